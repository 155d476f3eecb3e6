// The mail sender: the message Simple MAPI is given (through the binding doubles), the logon to
// the default profile, and the thread that sends, reports, deletes the attachments and frees.
#include "browser/tools/MapiMail.h"

#include "classlib/Forms.h"
#include "classlib/Registry.h"
#include "tests/browser/MapiCallsSpy.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tn;
using tn::test::MapiCallsSpy;
using Recipient = MapiCallsSpy::Recipient;
using File = MapiCallsSpy::File;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new tn::test::OleAppSetUp);

constexpr const wchar_t* kProfiles = L"Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
constexpr const wchar_t* kNtProfiles =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";

// The two profile keys as a test lays them out (none: the key is missing; empty: the key without
// a value); both are gone again afterwards.
class Profiles {
public:
    Profiles(std::optional<std::wstring> first, std::optional<std::wstring> second) {
        Clear();
        Lay(kProfiles, first);
        Lay(kNtProfiles, second);
    }
    Profiles(const Profiles&) = delete;
    Profiles& operator=(const Profiles&) = delete;
    ~Profiles() { Clear(); }

private:
    static void Lay(const wchar_t* key, const std::optional<std::wstring>& value) {
        if (!value) return;
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(key, true));
        if (!value->empty()) reg.WriteString(L"DefaultProfile", *value);
    }
    static void Clear() {
        TRegistry reg(HKEY_CURRENT_USER);
        (void)reg.DeleteKey(kProfiles);
        (void)reg.DeleteKey(kNtProfiles);
    }
};

// A mail object without owner; the send function borrows it.
TComponent::Owned<THwbMapiMail> NewMail() {
    return TComponent::CreateOwned<THwbMapiMail>();
}

MapiCallsSpy::Message SendOne(const THwbMapiMail& mail) {
    EXPECT_EQ(SendMapiMessage(mail, MapiCalls()), 0u);
    EXPECT_EQ(MapiCallsSpy::Sends.size(), 1u);
    return MapiCallsSpy::Sends.empty() ? MapiCallsSpy::Message{} : MapiCallsSpy::Sends[0];
}

TEST(MapiErrorText, ListedCodesHaveTheirTextsAndAnyOtherCodeIsUnknown) {
    const std::vector<std::pair<ULONG, std::wstring>> cases = {
        {1, L"User cancelled request"},
        {2, L"General MAPI failure"},
        {3, L"Logon failure"},
        {6, L"Access denied"},
        {7, L"Unknown Error Code: 7"},
        {8, L"Too many sessions"},
        {14, L"Unknown recipient"},
        {18, L"Text too large."},
        {21, L"Ambiguous recipient"},
        {26, L"Not supported"},
        {0, L"Unknown Error Code: 0"},
        {27, L"Unknown Error Code: 27"},
        {4000000000u, L"Unknown Error Code: 4000000000"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(MapiErrorText(code), text) << code;
    EXPECT_STREQ(EMapiError(3).what(), "MAPI Error 3: Logon failure");
}

TEST(MapiBinding, AMissingLibraryOrEntryAnswersOneForEveryCall) {
    const Profiles none(std::nullopt, std::nullopt);
    for (const wchar_t* library : {L"tn-no-such-mapi.dll", L"kernel32.dll"}) {
        const TMapiCalls calls = BindMapiCalls(library);
        EXPECT_FALSE(calls.logon || calls.resolveName || calls.freeBuffer || calls.sendMail ||
                     calls.logoff)
            << library;
        const auto mail = NewMail();
        mail->Recipients() = {L"someone"};
        mail->SetResolveNames(true);
        EXPECT_EQ(SendMapiMessage(*mail, calls), 1u) << library;
    }
    // The simple-mail library of this system has all five (platform notes); none is called.
    const TMapiCalls& system = SystemMapiCalls();
    EXPECT_TRUE(system.logon && system.resolveName && system.freeBuffer && system.sendMail &&
                system.logoff);
}

TEST(MapiSend, RecipientsTakeTheirClassFromAPrefixInAnyCaseAndLoseIt) {
    const MapiCallsSpy spy;
    const Profiles none(std::nullopt, std::nullopt);
    const auto mail = NewMail();
    mail->Recipients() = {L"plain", L"cc:x", L"BCC:y", L"Cc:z", L"bcc:", L"ccx", L"b"};
    const auto sent = SendOne(*mail);
    const std::vector<Recipient> expected = {
        {MAPI_TO, "plain", "plain", {}}, {MAPI_CC, "x", "x", {}}, {MAPI_BCC, "y", "y", {}},
        {MAPI_CC, "z", "z", {}},         {MAPI_BCC, "", "", {}},  {MAPI_TO, "ccx", "ccx", {}},
        {MAPI_TO, "b", "b", {}},
    };
    EXPECT_EQ(sent.recipients, expected);
    EXPECT_TRUE(MapiCallsSpy::Resolves.empty());
}

TEST(MapiSend, SubjectBodyAttachmentsAndSenderGoAsWholeAnsiTexts) {
    const MapiCallsSpy spy;
    const Profiles none(std::nullopt, std::nullopt);
    const auto mail = NewMail();
    // Longer than the 256 characters a fixed buffer would keep.
    const std::wstring longSubject(600, L's');
    mail->SetSubject(longSubject);
    mail->SetBody(L"line one\r\nline two");
    mail->Attachments() = {L"C:\\pages\\saved page.htm", L"C:\\pages\\other.txt", L"relative.bin"};
    mail->AttachmentNames() = {L"The page"};
    auto sent = SendOne(*mail);
    EXPECT_EQ(sent.subject, std::string(600, 's'));
    EXPECT_EQ(sent.body, "line one\r\nline two");
    const std::vector<File> files = {
        {static_cast<ULONG>(-1), "C:\\pages\\saved page.htm", "The page"},
        {static_cast<ULONG>(-1), "C:\\pages\\other.txt", "other.txt"},
        {static_cast<ULONG>(-1), "relative.bin", "relative.bin"},
    };
    EXPECT_EQ(sent.files, files);
    EXPECT_FALSE(sent.originator);
    EXPECT_TRUE(sent.recipients.empty());
    EXPECT_EQ(sent.window, reinterpret_cast<ULONG_PTR>(Application->Handle()));

    // The sender: its address always, its name when there is one, else the address again.
    mail->SetSenderAddress(L"me@example.org");
    MapiCallsSpy::Sends.clear();
    sent = SendOne(*mail);
    ASSERT_TRUE(sent.originator);
    EXPECT_EQ(*sent.originator, (Recipient{MAPI_ORIG, "me@example.org", "me@example.org", {}}));
    mail->SetSenderName(L"Me");
    MapiCallsSpy::Sends.clear();
    sent = SendOne(*mail);
    ASSERT_TRUE(sent.originator);
    EXPECT_EQ(*sent.originator, (Recipient{MAPI_ORIG, "Me", "me@example.org", {}}));
}

TEST(MapiSend, ResolvedNamesGiveNameAddressAndIdAndAnUnknownOneIsAskedAgainWithTheDialog) {
    const MapiCallsSpy spy;
    const Profiles none(std::nullopt, std::nullopt);
    MapiCallsSpy::ResolveAnswers["bob"] = {{MAPI_E_UNKNOWN_RECIPIENT, {}, {}, {}},
                                           {SUCCESS_SUCCESS, "Bob Smith", "", {1, 2, 3}}};
    MapiCallsSpy::ResolveAnswers["amb"] = {{MAPI_E_AMBIGUOUS_RECIPIENT, {}, {}, {}},
                                           {MAPI_E_USER_ABORT, {}, {}, {}}};
    MapiCallsSpy::ResolveAnswers["ann"] = {{SUCCESS_SUCCESS, "Ann", "SMTP:ann@example.org", {9}}};
    MapiCallsSpy::ResolveAnswers["far"] = {{MAPI_E_FAILURE, {}, {}, {}}};
    const auto mail = NewMail();
    mail->SetResolveNames(true);
    mail->Recipients() = {L"bob", L"cc:ann", L"amb", L"far"};
    const auto sent = SendOne(*mail);
    const std::vector<Recipient> expected = {
        {MAPI_TO, "Bob Smith", "Bob Smith", {1, 2, 3}},
        {MAPI_CC, "Ann", "SMTP:ann@example.org", {9}},
        // Not resolved: the line is both name and address.
        {MAPI_TO, "amb", "amb", {}},
        {MAPI_TO, "far", "far", {}},
    };
    EXPECT_EQ(sent.recipients, expected);
    const std::vector<MapiCallsSpy::Resolve> asked = {{"bob", 0}, {"bob", MAPI_DIALOG}, {"ann", 0},
                                                      {"amb", 0}, {"amb", MAPI_DIALOG}, {"far", 0}};
    EXPECT_EQ(MapiCallsSpy::Resolves, asked);
    EXPECT_EQ(MapiCallsSpy::Freed, 2);
}

TEST(MapiSend, FlagsAreAUnionOfLogonUiDialogNewSessionAndReceipt) {
    struct Case {
        bool editDialog, session, receipt;
        FLAGS flags;
    };
    const Case cases[] = {
        {true, false, false, 11}, {false, false, false, 3}, {true, true, false, 9},
        {false, true, false, 1},  {true, true, true, 11},   {false, true, true, 3},
        {true, false, true, 11},
    };
    for (const Case& c : cases) {
        const MapiCallsSpy spy;
        const Profiles profiles(c.session ? std::optional<std::wstring>(L"Mail") : std::nullopt,
                                std::nullopt);
        const auto mail = NewMail();
        EXPECT_TRUE(mail->EditDialog());
        mail->SetEditDialog(c.editDialog);
        mail->SetRequestReceipt(c.receipt);
        const auto sent = SendOne(*mail);
        const std::string name =
            std::to_string(c.editDialog) + std::to_string(c.session) + std::to_string(c.receipt);
        EXPECT_EQ(sent.flags, c.flags) << name;
        EXPECT_EQ(sent.session, c.session ? MapiCallsSpy::kSession : 0) << name;
        // The receipt is asked of the message too.
        EXPECT_EQ(sent.messageFlags, c.receipt ? FLAGS{MAPI_RECEIPT_REQUESTED} : 0) << name;
        EXPECT_EQ(MapiCallsSpy::Logoffs.size(), c.session ? 1u : 0u) << name;
    }
}

TEST(MapiSend, TheFirstProfileKeyThatOpensNamesTheProfileToLogOnTo) {
    struct Case {
        std::optional<std::wstring> first, second;
        std::vector<std::string> logons;
    };
    const Case cases[] = {
        {L"One", L"Two", {"One"}},
        {std::nullopt, L"Two", {"Two"}},
        // The first key opens but holds no profile: no logon at all.
        {L"", L"Two", {}},
        {std::nullopt, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        const MapiCallsSpy spy;
        const Profiles profiles(c.first, c.second);
        (void)SendOne(*NewMail());
        std::vector<std::string> names;
        for (const auto& logon : MapiCallsSpy::Logons) {
            names.push_back(logon.profile);
            EXPECT_EQ(logon.window, 0u);
            EXPECT_FALSE(logon.password);
            EXPECT_EQ(logon.flags, FLAGS{MAPI_NEW_SESSION});
        }
        EXPECT_EQ(names, c.logons);
        if (!c.logons.empty()) {
            const std::vector<std::pair<LHANDLE, FLAGS>> logoffs = {{MapiCallsSpy::kSession, 0}};
            EXPECT_EQ(MapiCallsSpy::Logoffs, logoffs);
        }
    }
}

TEST(MapiSend, AFailedLogonRaisesItsCodeAndTextAndSendsNothing) {
    const MapiCallsSpy spy;
    const Profiles profiles(L"Mail", std::nullopt);
    MapiCallsSpy::LogonAnswer = MAPI_E_LOGON_FAILURE;
    const auto mail = NewMail();
    try {
        (void)SendMapiMessage(*mail, MapiCalls());
        ADD_FAILURE() << "no exception";
    } catch (const EMapiError& e) {
        EXPECT_STREQ(e.what(), "MAPI Error 3: Logon failure");
        EXPECT_EQ(e.Code(), 3u);
    }
    EXPECT_TRUE(MapiCallsSpy::Sends.empty());
    EXPECT_TRUE(MapiCallsSpy::Logoffs.empty());
}

// --- the thread ---------------------------------------------------------------------------------

// Signals when it is freed, and counts how often.
class WatchedMail : public THwbMapiMail {
public:
    explicit WatchedMail(TComponent* owner) : THwbMapiMail(owner) {}
    ~WatchedMail() override {
        ++Frees;
        ::SetEvent(Gone.get());
    }
    static void Reset() {
        Frees = 0;
        Gone.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    }
    [[nodiscard]] static bool WaitGone() {
        return ::WaitForSingleObject(Gone.get(), 10000) == WAIT_OBJECT_0;
    }
    static inline std::atomic<int> Frees = 0;
    static inline UniqueHandleKernel Gone;
};

class SendThread : public ::testing::Test {
protected:
    void SetUp() override {
        WatchedMail::Reset();
        form = TComponent::CreateOwned<TForm>();
        form->HandleNeeded();
        for (const wchar_t* name : {L"page.htm", L"note.txt"}) {
            tn::testing::WriteFileBytes(dir.File(name), "attached");
            files.push_back(dir.File(name));
        }
    }
    // A mail with both attachments, owned by the form.
    WatchedMail* NewFormMail() {
        auto* mail = TComponent::Create<WatchedMail>(*form);
        mail->Attachments() = files;
        return mail;
    }
    [[nodiscard]] bool FilesThere() const {
        for (const auto& f : files)
            if (::GetFileAttributesW(f.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
        return true;
    }
    [[nodiscard]] bool FilesGone() const {
        for (const auto& f : files)
            if (::GetFileAttributesW(f.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
        return true;
    }
    // The report the thread posted to the form's window, taken off the queue: (wParam, lParam).
    std::optional<std::pair<WPARAM, LPARAM>> Report() {
        MSG msg;
        if (!::PeekMessageW(&msg, form->Handle(), 1280, 1280, PM_REMOVE)) return std::nullopt;
        return std::pair{msg.wParam, msg.lParam};
    }

    const MapiCallsSpy spy;
    const Profiles none{std::nullopt, std::nullopt};
    tn::testing::TempDir dir;
    std::vector<std::wstring> files;
    TComponent::Owned<TForm> form;
};

TEST_F(SendThread, AGeneralFailureIsReportedToTheOwnersWindowAndTheAttachmentsGoWhateverTheResult) {
    for (const ULONG answer :
         {ULONG{MAPI_E_FAILURE}, ULONG{SUCCESS_SUCCESS}, ULONG{MAPI_E_USER_ABORT}}) {
        WatchedMail::Reset();
        MapiCallsSpy::SendAnswer = answer;
        ASSERT_TRUE(FilesThere());
        WatchedMail* mail = NewFormMail();
        EXPECT_TRUE(mail->Send());
        // Left its owner at once.
        EXPECT_EQ(form->ComponentCount(), 0u);
        ASSERT_TRUE(WatchedMail::WaitGone()) << answer;
        EXPECT_EQ(WatchedMail::Frees, 1);
        EXPECT_TRUE(FilesGone()) << answer;
        const auto report = Report();
        if (answer == MAPI_E_FAILURE) {
            ASSERT_TRUE(report);
            EXPECT_EQ(*report, (std::pair<WPARAM, LPARAM>{0, 0}));
        } else {
            EXPECT_FALSE(report) << answer;
        }
        for (const auto& f : files)
            tn::testing::WriteFileBytes(f, "attached");
    }
}

TEST_F(SendThread, AFailedLogonStillFreesTheMailAndKeepsTheAttachments) {
    const Profiles profiles(L"Mail", std::nullopt);
    MapiCallsSpy::LogonAnswer = MAPI_E_LOGON_FAILURE;
    EXPECT_TRUE(NewFormMail()->Send());
    ASSERT_TRUE(WatchedMail::WaitGone());
    EXPECT_EQ(WatchedMail::Frees, 1);
    EXPECT_EQ(MapiCallsSpy::Logons.size(), 1u);
    EXPECT_TRUE(MapiCallsSpy::Sends.empty());
    EXPECT_TRUE(FilesThere());
    EXPECT_FALSE(Report());
}

TEST_F(SendThread, AnOwnerFreedWhileTheSendWaitsFreesNothingUnderTheThread) {
    MapiCallsSpy::Close();
    MapiCallsSpy::SendAnswer = MAPI_E_FAILURE;
    EXPECT_TRUE(NewFormMail()->Send());
    form.reset();
    EXPECT_EQ(WatchedMail::Frees, 0);
    MapiCallsSpy::Open();
    ASSERT_TRUE(WatchedMail::WaitGone());
    EXPECT_EQ(WatchedMail::Frees, 1);
    EXPECT_TRUE(FilesGone());
}

// An attachment the ANSI code page cannot name goes by its short name, and is deleted afterwards
// like the others; one without a short name (here: none is there to have one) cannot be named to
// the library at all, so nothing is sent and nothing deleted, the other attachments included.
TEST_F(SendThread, AnAttachmentTheAnsiCodePageCannotNameGoesByItsShortNameOrNothingGoes) {
    const std::wstring unnamed = dir.File(L"page\u0915.htm");
    tn::testing::WriteFileBytes(unnamed, "attached");
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameW(unnamed.c_str(), shortPath, MAX_PATH), 0u);
    const std::wstring expected(shortPath);
    ASSERT_NE(expected, unnamed) << "this system gives short names";
    files.push_back(unnamed);
    EXPECT_TRUE(NewFormMail()->Send());
    ASSERT_TRUE(WatchedMail::WaitGone());
    ASSERT_EQ(MapiCallsSpy::Sends.size(), 1u);
    ASSERT_EQ(MapiCallsSpy::Sends[0].files.size(), 3u);
    EXPECT_EQ(MapiCallsSpy::Sends[0].files[2].path, std::string(expected.begin(), expected.end()));
    EXPECT_TRUE(FilesGone());

    WatchedMail::Reset();
    MapiCallsSpy::Sends.clear();
    files.pop_back();
    for (const auto& f : files)
        tn::testing::WriteFileBytes(f, "attached");
    WatchedMail* mail = NewFormMail();
    mail->Attachments().push_back(dir.File(L"gone\u0915.htm"));
    EXPECT_EQ(SendMapiMessage(*mail, MapiCalls()), ULONG{MAPI_E_ATTACHMENT_NOT_FOUND});
    EXPECT_TRUE(mail->Send());
    ASSERT_TRUE(WatchedMail::WaitGone());
    EXPECT_TRUE(MapiCallsSpy::Sends.empty());
    EXPECT_TRUE(FilesThere());
}

TEST_F(SendThread, AMailWithoutOwnerIsSentAndFreedByItsThread) {
    MapiCallsSpy::SendAnswer = MAPI_E_FAILURE;
    auto mail = TComponent::CreateOwned<WatchedMail>();
    mail->Attachments() = files;
    EXPECT_TRUE(mail.release()->Send());
    ASSERT_TRUE(WatchedMail::WaitGone());
    EXPECT_EQ(WatchedMail::Frees, 1);
    EXPECT_TRUE(FilesGone());
    // No owner, no window to tell.
    EXPECT_FALSE(Report());
}

} // namespace
