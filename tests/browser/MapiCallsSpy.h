// The Simple MAPI entries as doubles: while a spy lives, every send goes to it instead of the
// system's library (which no test may reach), and what each entry was given is kept as copies.
// The send runs on its own thread: read what was kept once Sent() has been signalled.
#pragma once

#include "browser/tools/MapiMail.h"
#include "classlib/Handles.h"

#include <windows.h>
#include <mapi.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tn::test {

class MapiCallsSpy {
public:
    struct Recipient {
        ULONG recipientClass;
        std::string name, address;
        std::vector<BYTE> entryId;
        bool operator==(const Recipient&) const = default;
    };
    struct File {
        ULONG position;
        std::string path, name;
        bool operator==(const File&) const = default;
    };
    struct Message {
        LHANDLE session;
        ULONG_PTR window;
        FLAGS flags;
        FLAGS messageFlags;
        std::string subject, body;
        std::optional<Recipient> originator;
        std::vector<Recipient> recipients;
        std::vector<File> files;
    };
    struct Logon {
        ULONG_PTR window;
        std::string profile;
        bool password;
        FLAGS flags;
    };
    struct Resolve {
        std::string name;
        FLAGS flags;
        bool operator==(const Resolve&) const = default;
    };
    // One answer of the resolve call for a name; a name without answers left gets 2.
    struct ResolveAnswer {
        ULONG result;
        std::string name, address;
        std::vector<BYTE> entryId;
    };

    MapiCallsSpy() : FSaved(MapiCalls()) {
        Logons.clear();
        LogonAnswer = SUCCESS_SUCCESS;
        Logoffs.clear();
        Resolves.clear();
        ResolveAnswers.clear();
        Buffers.clear();
        Freed = 0;
        Sends.clear();
        SendAnswer = SUCCESS_SUCCESS;
        Gate.reset();
        SentSignal.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        MapiCalls() = {&OnLogon, &OnResolve, &OnFree, &OnSend, &OnLogoff};
    }
    MapiCallsSpy(const MapiCallsSpy&) = delete;
    MapiCallsSpy& operator=(const MapiCallsSpy&) = delete;
    ~MapiCallsSpy() { MapiCalls() = FSaved; }

    // Waits (at most 10 s) until the send entry has been called; true when it was.
    [[nodiscard]] static bool Sent() {
        return ::WaitForSingleObject(SentSignal.get(), 10000) == WAIT_OBJECT_0;
    }
    // From now on the send entry waits until Open() before it answers.
    static void Close() { Gate.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }
    static void Open() { ::SetEvent(Gate.get()); }

    static constexpr LHANDLE kSession = 0x5E55;

    static inline std::vector<Logon> Logons;
    static inline ULONG LogonAnswer = SUCCESS_SUCCESS;
    static inline std::vector<std::pair<LHANDLE, FLAGS>> Logoffs;
    static inline std::vector<Resolve> Resolves;
    static inline std::map<std::string, std::deque<ResolveAnswer>> ResolveAnswers;
    static inline int Freed = 0;
    static inline std::vector<Message> Sends;
    static inline ULONG SendAnswer = SUCCESS_SUCCESS;

private:
    static std::string Text(LPCSTR s) { return s ? s : "(null)"; }
    static Recipient Copy(const MapiRecipDesc& r) {
        const auto* id = static_cast<const BYTE*>(r.lpEntryID);
        return {r.ulRecipClass, Text(r.lpszName), Text(r.lpszAddress),
                id ? std::vector<BYTE>(id, id + r.ulEIDSize) : std::vector<BYTE>{}};
    }

    static ULONG WINAPI OnLogon(ULONG_PTR window, LPSTR profile, LPSTR password, FLAGS flags, ULONG,
                                LPLHANDLE session) {
        Logons.push_back({window, Text(profile), password != nullptr, flags});
        if (LogonAnswer == SUCCESS_SUCCESS) *session = kSession;
        return LogonAnswer;
    }
    static ULONG WINAPI OnLogoff(LHANDLE session, ULONG_PTR, FLAGS flags, ULONG) {
        Logoffs.emplace_back(session, flags);
        return SUCCESS_SUCCESS;
    }
    // The resolved entries handed out, each with its texts, until the test ends.
    struct Buffer {
        MapiRecipDesc desc{};
        ResolveAnswer answer;
    };
    static inline std::deque<Buffer> Buffers;
    static ULONG WINAPI OnResolve(LHANDLE, ULONG_PTR, LPSTR name, FLAGS flags, ULONG,
                                  lpMapiRecipDesc* found) {
        Resolves.push_back({Text(name), flags});
        auto& answers = ResolveAnswers[Text(name)];
        if (answers.empty()) return MAPI_E_FAILURE;
        ResolveAnswer answer = answers.front();
        answers.pop_front();
        if (answer.result != SUCCESS_SUCCESS) return answer.result;
        Buffer& b = Buffers.emplace_back();
        b.answer = std::move(answer);
        b.desc.ulRecipClass = MAPI_TO;
        b.desc.lpszName = b.answer.name.data();
        b.desc.lpszAddress = b.answer.address.data();
        b.desc.ulEIDSize = static_cast<ULONG>(b.answer.entryId.size());
        b.desc.lpEntryID = b.answer.entryId.empty() ? nullptr : b.answer.entryId.data();
        *found = &b.desc;
        return SUCCESS_SUCCESS;
    }
    static ULONG WINAPI OnFree(LPVOID buffer) {
        for (Buffer& b : Buffers)
            if (&b.desc == buffer) ++Freed;
        return SUCCESS_SUCCESS;
    }
    static ULONG WINAPI OnSend(LHANDLE session, ULONG_PTR window, lpMapiMessage m, FLAGS flags,
                               ULONG) {
        Message kept{
            session,      window, flags, m->flFlags, Text(m->lpszSubject), Text(m->lpszNoteText),
            std::nullopt, {},     {}};
        if (m->lpOriginator) kept.originator = Copy(*m->lpOriginator);
        for (ULONG i = 0; i < m->nRecipCount; ++i)
            kept.recipients.push_back(Copy(m->lpRecips[i]));
        for (ULONG i = 0; i < m->nFileCount; ++i)
            kept.files.push_back({m->lpFiles[i].nPosition, Text(m->lpFiles[i].lpszPathName),
                                  Text(m->lpFiles[i].lpszFileName)});
        Sends.push_back(std::move(kept));
        if (Gate) ::WaitForSingleObject(Gate.get(), 10000);
        ::SetEvent(SentSignal.get());
        return SendAnswer;
    }

    static inline UniqueHandleKernel Gate;
    static inline UniqueHandleKernel SentSignal;
    TMapiCalls FSaved;
};

} // namespace tn::test
