#include "browser/tools/MapiMail.h"

#include "browser/host/HwbUtils.h"
#include "classlib/Application.h"
#include "classlib/Controls.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <array>
#include <deque>
#include <optional>
#include <utility>

namespace tn {

namespace {

constexpr ULONG kMissingEntry = 1;

template <typename F> F Bound(HMODULE module, const char* name) noexcept {
    return module
               ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)))
               : nullptr;
}

// The texts of codes 1 to 26; 7 has none.
constexpr std::array<const wchar_t*, 27> kErrorTexts = {
    nullptr,
    L"User cancelled request",
    L"General MAPI failure",
    L"Logon failure",
    L"Disk full",
    L"Insufficient memory",
    L"Access denied",
    nullptr,
    L"Too many sessions",
    L"Too many files open",
    L"Too many recipients",
    L"Attachment not found",
    L"Failed to open attachment",
    L"Failed to write attachment",
    L"Unknown recipient",
    L"Invalid recipient type",
    L"No messages",
    L"Invalid message",
    L"Text too large.",
    L"Invalid session",
    L"Type not supported",
    L"Ambiguous recipient",
    L"Message in use",
    L"Network failure",
    L"Invalid edit fields",
    L"Invalid recipients",
    L"Not supported",
};

// "DefaultProfile" of the first profile key that opens; empty when none does.
std::wstring DefaultProfile() {
    static constexpr const wchar_t* kKeys[] = {
        L"Software\\Microsoft\\Windows Messaging Subsystem\\Profiles",
        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles",
    };
    TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    for (const wchar_t* key : kKeys) {
        if (!reg.OpenKeyReadOnly(key)) continue;
        try {
            return reg.ReadString(L"DefaultProfile");
        } catch (const ERegistryException&) {
            // A value that is no text names no profile.
            return {};
        }
    }
    return {};
}

// The entries as the send calls them: a missing one answers 1.
struct Entries {
    const TMapiCalls& calls;

    ULONG Logon(LPSTR profile, LHANDLE& session) const {
        return calls.logon ? calls.logon(0, profile, nullptr, MAPI_NEW_SESSION, 0, &session)
                           : kMissingEntry;
    }
    ULONG ResolveName(LHANDLE session, ULONG_PTR window, LPSTR name, FLAGS flags,
                      lpMapiRecipDesc& found) const {
        return calls.resolveName ? calls.resolveName(session, window, name, flags, 0, &found)
                                 : kMissingEntry;
    }
    void FreeBuffer(void* buffer) const {
        if (calls.freeBuffer) (void)calls.freeBuffer(buffer);
    }
    ULONG SendMail(LHANDLE session, ULONG_PTR window, MapiMessage& message, FLAGS flags) const {
        return calls.sendMail ? calls.sendMail(session, window, &message, flags, 0) : kMissingEntry;
    }
    void Logoff(LHANDLE session) const {
        if (calls.logoff) (void)calls.logoff(session, 0, 0, 0);
    }
};

// Closes an open session on every way out of the send.
class Session {
public:
    explicit Session(const Entries& entries) noexcept : FEntries(entries) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session() {
        if (Open) FEntries.Logoff(Handle);
    }
    LHANDLE Handle = 0;
    bool Open = false;

private:
    const Entries& FEntries;
};

// A path as the ANSI code page holds it: as it stands when it can, else its short name; none
// when neither can be given without changing it.
std::optional<std::string> AnsiPath(const std::wstring& path) {
    if (std::string ansi = AnsiText(path); TextFromAnsi(ansi.c_str()) == path) return ansi;
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD n =
        ::GetShortPathNameW(path.c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (n > shortPath.size()) {
        shortPath.resize(n);
        n = ::GetShortPathNameW(path.c_str(), shortPath.data(), n);
    }
    if (n == 0 || n >= shortPath.size()) return std::nullopt;
    shortPath.resize(n);
    if (std::string ansi = AnsiText(shortPath); TextFromAnsi(ansi.c_str()) == shortPath)
        return ansi;
    return std::nullopt;
}

// Every attachment's path for the send; none when one of them cannot be given.
std::optional<std::vector<std::string>> AnsiPaths(const THwbMapiMail& Mail) {
    std::vector<std::string> paths;
    for (const std::wstring& path : Mail.Attachments()) {
        std::optional<std::string> ansi = AnsiPath(path);
        if (!ansi) return std::nullopt;
        paths.push_back(std::move(*ansi));
    }
    return paths;
}

std::wstring FilePart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The class a recipient line's prefix gives, and the line without it.
std::pair<ULONG, std::wstring> RecipientOf(const std::wstring& line) {
    if (text::UpperCase(line.substr(0, 3)) == L"CC:") return {MAPI_CC, line.substr(3)};
    if (text::UpperCase(line.substr(0, 4)) == L"BCC:") return {MAPI_BCC, line.substr(4)};
    return {MAPI_TO, line};
}

} // namespace

TMapiCalls BindMapiCalls(const wchar_t* library) noexcept {
    // Kept loaded: the bound entries point into it.
    const HMODULE module = SafeLoadLibrary(library);
    return {Bound<LPMAPILOGON>(module, "MAPILogon"),
            Bound<LPMAPIRESOLVENAME>(module, "MAPIResolveName"),
            Bound<LPMAPIFREEBUFFER>(module, "MAPIFreeBuffer"),
            Bound<LPMAPISENDMAIL>(module, "MAPISendMail"),
            Bound<LPMAPILOGOFF>(module, "MAPILogoff")};
}

const TMapiCalls& SystemMapiCalls() noexcept {
    static const TMapiCalls calls = BindMapiCalls(L"MAPI32.DLL");
    return calls;
}

TMapiCalls& MapiCalls() noexcept {
    static TMapiCalls calls = SystemMapiCalls();
    return calls;
}

std::wstring MapiErrorText(ULONG code) {
    if (code < kErrorTexts.size() && kErrorTexts[code]) return kErrorTexts[code];
    return L"Unknown Error Code: " + std::to_wstring(code);
}

EMapiError::EMapiError(ULONG code)
    : std::runtime_error("MAPI Error " + std::to_string(code) + ": " +
                         text::ToUtf8(MapiErrorText(code))),
      FCode(code) {}

THwbMapiMail::THwbMapiMail(TComponent* AOwner) : TComponent(AOwner) {}

bool THwbMapiMail::Send() {
    // Taken now, on the owner's thread: the owner may be gone before the send answers.
    HWND ownerWindow = nullptr;
    if (TComponent* owner = Owner()) {
        if (const auto* control = dynamic_cast<const TWinControl*>(owner))
            ownerWindow = control->HandleIfAllocated();
        owner->RemoveComponent(this);
    }
    try {
        // Whatever fails on the way frees this object through the pointer handed over.
        (void)TThread::StartFreeOnTerminate<TSendMailThread>(TComponent::Owned<THwbMapiMail>(this),
                                                             ownerWindow);
    } catch (...) {
        return false;
    }
    return true;
}

ULONG SendMapiMessage(const THwbMapiMail& Mail, const TMapiCalls& Calls) {
    // A path the library would read as another one is never handed to it.
    const std::optional<std::vector<std::string>> paths = AnsiPaths(Mail);
    if (!paths) return MAPI_E_ATTACHMENT_NOT_FOUND;
    const Entries entries{Calls};
    const auto window = reinterpret_cast<ULONG_PTR>(Application ? Application->Handle() : nullptr);
    // Every text is an ANSI copy of its own length; a deque keeps them where they are.
    std::deque<std::string> texts;
    auto copy = [&texts](const std::wstring& s) { return texts.emplace_back(AnsiText(s)).data(); };
    std::deque<std::vector<BYTE>> entryIds;

    MapiMessage message{};

    Session session(entries);
    if (const std::wstring profile = DefaultProfile(); !profile.empty()) {
        const ULONG result = entries.Logon(copy(profile), session.Handle);
        if (result != SUCCESS_SUCCESS) throw EMapiError(result);
        session.Open = true;
    }

    MapiRecipDesc originator{};
    if (!Mail.SenderAddress().empty()) {
        originator.ulRecipClass = MAPI_ORIG;
        originator.lpszName =
            copy(Mail.SenderName().empty() ? Mail.SenderAddress() : Mail.SenderName());
        originator.lpszAddress = copy(Mail.SenderAddress());
        message.lpOriginator = &originator;
    }

    message.lpszSubject = copy(Mail.Subject());
    message.lpszNoteText = copy(Mail.Body());
    if (Mail.RequestReceipt()) message.flFlags = MAPI_RECEIPT_REQUESTED;

    std::vector<MapiFileDesc> files(Mail.Attachments().size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::wstring& path = Mail.Attachments()[i];
        files[i].nPosition = static_cast<ULONG>(-1);
        files[i].lpszPathName = texts.emplace_back((*paths)[i]).data();
        files[i].lpszFileName =
            copy(i < Mail.AttachmentNames().size() ? Mail.AttachmentNames()[i] : FilePart(path));
    }
    message.nFileCount = static_cast<ULONG>(files.size());
    message.lpFiles = files.empty() ? nullptr : files.data();

    std::vector<MapiRecipDesc> recipients(Mail.Recipients().size());
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        const auto [recipientClass, name] = RecipientOf(Mail.Recipients()[i]);
        MapiRecipDesc& r = recipients[i];
        r.ulRecipClass = recipientClass;
        lpMapiRecipDesc found = nullptr;
        ULONG resolved = MAPI_E_FAILURE;
        if (Mail.ResolveNames()) {
            resolved = entries.ResolveName(session.Handle, window, copy(name), 0, found);
            if (resolved == MAPI_E_UNKNOWN_RECIPIENT || resolved == MAPI_E_AMBIGUOUS_RECIPIENT)
                resolved =
                    entries.ResolveName(session.Handle, window, copy(name), MAPI_DIALOG, found);
        }
        if (resolved == SUCCESS_SUCCESS && found) {
            const std::wstring foundName = TextFromAnsi(found->lpszName);
            const std::wstring foundAddress = TextFromAnsi(found->lpszAddress);
            r.lpszName = copy(foundName);
            r.lpszAddress = copy(foundAddress.empty() ? foundName : foundAddress);
            if (found->ulEIDSize > 0 && found->lpEntryID) {
                const auto* id = static_cast<const BYTE*>(found->lpEntryID);
                auto& kept = entryIds.emplace_back(id, id + found->ulEIDSize);
                r.ulEIDSize = found->ulEIDSize;
                r.lpEntryID = kept.data();
            }
            entries.FreeBuffer(found);
        } else {
            // Not resolved (or not asked to be): the line is both name and address.
            r.lpszName = copy(name);
            r.lpszAddress = copy(name);
        }
    }
    message.nRecipCount = static_cast<ULONG>(recipients.size());
    message.lpRecips = recipients.empty() ? nullptr : recipients.data();

    FLAGS flags = MAPI_LOGON_UI;
    if (Mail.EditDialog()) flags |= MAPI_DIALOG;
    if (!session.Open) flags |= MAPI_LOGON_UI | MAPI_NEW_SESSION;
    if (Mail.RequestReceipt()) flags |= 2;
    return entries.SendMail(session.Handle, window, message, flags);
}

void TSendMailThread::Execute() {
    // The thread's from Send on: freed on every way out of here, a failed logon's included.
    const TComponent::Owned<THwbMapiMail> mail = std::move(HwbMapiMail);
    // Nothing was sent of a mail whose attachment cannot be named to the library: nothing goes.
    if (!AnsiPaths(*mail)) {
        ReturnValue = MAPI_E_ATTACHMENT_NOT_FOUND;
        return;
    }
    ReturnValue = SendMapiMessage(*mail, MapiCalls());
    if (ReturnValue == MAPI_E_FAILURE && FOwnerWindow)
        (void)::PostMessageW(FOwnerWindow, 1280, 0, 0);
    for (const std::wstring& file : mail->Attachments())
        (void)::DeleteFileW(file.c_str());
}

} // namespace tn
