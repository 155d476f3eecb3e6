// The shell services: folders, favourites, history items, the default browser, the host name and
// address, new mail, mail of a text or a page, and downloads with their notices.
#include "browser/tools/ShellTools.h"

#include "classlib/Registry.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/browser/MapiCallsSpy.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <iphlpapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// The cross compiler's headers declare the interface without its identifier for __uuidof.
__CRT_UUID_DECL(IQueryInfo, 0x00021500, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46)

namespace tn::test {

// The info-tip part of a history item's double.
class InfoTipPart : public IQueryInfo {
public:
    std::wstring tip;
    HRESULT tipResult = S_OK;
    HRESULT STDMETHODCALLTYPE GetInfoTip(DWORD flags, PWSTR* out) override {
        tipFlags.push_back(flags);
        *out = FAILED(tipResult) ? nullptr : CopyToTaskMem(tip);
        return tipResult;
    }
    HRESULT STDMETHODCALLTYPE GetInfoFlags(DWORD*) override { return E_NOTIMPL; }
    std::vector<DWORD> tipFlags;

protected:
    ~InfoTipPart() = default;
};
template <> struct FakePart<IQueryInfo> { using type = InfoTipPart; };

} // namespace tn::test

namespace {

using namespace tn;
using tn::test::DialogCallsSpy;
using tn::test::MapiCallsSpy;
using tn::testing::TempDir;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new tn::test::OleAppSetUp);

constexpr const wchar_t* kShellFolders =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// --- folders ------------------------------------------------------------------------------------

TEST(ShellFolders, AValueIsGivenAsStoredUnlessItIsBlankMissingOrNoText) {
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kShellFolders, false));
    reg.WriteString(L"TnBlank", L"  \t ");
    reg.WriteString(L"TnPadded", L"  C:\\Padded  ");
    reg.WriteInteger(L"TnNumber", 7);
    EXPECT_EQ(ReadShellFolderValue(L"TnBlank"), L"");
    EXPECT_EQ(ReadShellFolderValue(L"TnPadded"), L"  C:\\Padded  ");
    EXPECT_EQ(ReadShellFolderValue(L"TnNumber"), L"");
    EXPECT_EQ(ReadShellFolderValue(L"TnMissing"), L"");
    for (const wchar_t* name : {L"TnBlank", L"TnPadded", L"TnNumber"})
        (void)reg.DeleteValue(name);
}

TEST(ShellFolders, TheComponentsThreeFoldersAreListedHereAsTheShellNamesThem) {
    // Measured on this system: the list holds all three, and they are the special folders.
    const std::pair<const wchar_t*, int> folders[] = {
        {L"Favorites", CSIDL_FAVORITES}, {L"Cookies", CSIDL_COOKIES}, {L"History", CSIDL_HISTORY}};
    for (const auto& [name, csidl] : folders) {
        const std::wstring path = ReadShellFolderValue(name);
        EXPECT_FALSE(path.empty()) << name;
        EXPECT_EQ(path, GetSpecialFolder(nullptr, csidl)) << name;
        EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << name;
    }
    EXPECT_EQ(GetSpecialFolder(nullptr, 0x7F), L"");
}

// --- favourites ---------------------------------------------------------------------------------

struct ShellDouble {
    static inline std::vector<std::pair<HWND, std::string>> organised;
    static inline BOOL organiseAnswer = TRUE;
    static BOOL WINAPI Organise(HWND owner, LPSTR folder) {
        organised.emplace_back(owner, folder ? folder : "(null)");
        return organiseAnswer;
    }

    struct Execute {
        HWND owner;
        std::wstring verb, file;
        bool parameters, folder;
        INT show;
    };
    static inline std::vector<Execute> executed;
    static inline INT_PTR executeAnswer = 42;
    static HINSTANCE WINAPI ShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                         LPCWSTR folder, INT show) {
        executed.push_back({owner, verb ? verb : L"(null)", file ? file : L"(null)",
                            parameters != nullptr, folder != nullptr, show});
        return reinterpret_cast<HINSTANCE>(executeAnswer);
    }

    class Helper : public tn::test::FakeDispatchObject<IShellUIHelper> {
    public:
        std::vector<std::pair<std::wstring, OleVariant>> added;
        HRESULT addResult = S_OK;
        HRESULT STDMETHODCALLTYPE AddFavorite(BSTR url, VARIANT* title) override {
            added.emplace_back(url ? url : L"(null)", title ? OleVariant(*title) : OleVariant());
            if (addResult == E_UNEXPECTED) throw std::runtime_error("the dialog failed");
            return addResult;
        }
    };
    static inline Helper* helper = nullptr;
    static inline int creations = 0;
    static HRESULT Create(IShellUIHelper** out) {
        ++creations;
        *out = nullptr;
        if (!helper) return REGDB_E_CLASSNOTREG;
        helper->AddRef();
        *out = helper;
        return S_OK;
    }

    static ShellCalls Calls() { return {&ShellExecute, &Organise, &Create}; }
    static void Reset() {
        organised.clear();
        organiseAnswer = TRUE;
        executed.clear();
        executeAnswer = 42;
        helper = nullptr;
        creations = 0;
    }
};

TEST(Favourites, TheOrganiseDialogGetsTheWindowAndTheFavouritesFolderAsAnsiText) {
    ShellDouble::Reset();
    const ShellCalls calls = ShellDouble::Calls();
    const auto window = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(ShowOrganizeFavoritesDialog(window, calls));
    ShellDouble::organiseAnswer = FALSE;
    EXPECT_FALSE(ShowOrganizeFavoritesDialog(window, calls));
    const std::wstring favourites = GetSpecialFolder(nullptr, CSIDL_FAVORITES);
    ASSERT_FALSE(favourites.empty());
    const std::string ansi(favourites.begin(), favourites.end()); // measured: plain ASCII here
    ASSERT_EQ(ShellDouble::organised.size(), 2u);
    EXPECT_EQ(ShellDouble::organised[0], std::make_pair(window, ansi));

    // The 8-bit text is the system's code page (936 on these desktops).
    if (::GetACP() == 936) {
        ShellDouble::organised.clear();
        (void)OrganizeFavorites(window, L"C:\\\u6536\u85CF", calls);
        EXPECT_EQ(ShellDouble::organised[0].second, "C:\\\xCA\xD5\xB2\xD8");
    }
    // The system's dialog is there (never shown by a test).
    EXPECT_NE(SystemShellCalls().doOrganizeFavDlg, nullptr);
}

TEST(Favourites, AnEntryWithUrlAndTitleGoesToTheHelperAndItsFailuresStayInside) {
    ShellDouble::Reset();
    const ShellCalls calls = ShellDouble::Calls();
    ShellDouble::Helper helper;
    ShellDouble::helper = &helper;
    AddFavoriteEntry(L"http://example.org/", L"Example", calls);
    ASSERT_EQ(helper.added.size(), 1u);
    EXPECT_EQ(helper.added[0].first, L"http://example.org/");
    EXPECT_EQ(helper.added[0].second.vt(), VT_BSTR);
    EXPECT_EQ(VariantToString(helper.added[0].second.get()), L"Example");
    EXPECT_EQ(helper.Count(), 1u);

    // Blank URL or title: no helper at all.
    AddFavoriteEntry(L"http://example.org/", L"", calls);
    AddFavoriteEntry(L"http://example.org/", L"  ", calls);
    AddFavoriteEntry(L" ", L"Example", calls);
    EXPECT_EQ(ShellDouble::creations, 1);

    // A failing dialog, one that raises among them, ends in the routine: the helper was asked
    // and given back each time.
    for (const HRESULT failure : {E_FAIL, E_UNEXPECTED}) {
        helper.addResult = failure;
        AddFavoriteEntry(L"http://example.org/", L"Example", calls);
    }
    EXPECT_EQ(ShellDouble::creations, 3);
    EXPECT_EQ(helper.added.size(), 3u);
    EXPECT_EQ(helper.Count(), 1u);
    // A helper that cannot be made asks for nothing.
    ShellDouble::helper = nullptr;
    AddFavoriteEntry(L"http://example.org/", L"Example", calls);
    EXPECT_EQ(ShellDouble::creations, 4);
    EXPECT_EQ(helper.added.size(), 3u);
    EXPECT_EQ(helper.Count(), 1u);
}

TEST(Favourites, TheSystemsHelperCannotBeCreatedHereSoNothingHappens) {
    // Measured here: 0x80040111. Where it could be created its dialog would wait for a user.
    IShellUIHelper* probe = nullptr;
    const HRESULT hr = ::CoCreateInstance(CLSID_ShellUIHelper, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IShellUIHelper, reinterpret_cast<void**>(&probe));
    if (probe) probe->Release();
    if (SUCCEEDED(hr)) GTEST_SKIP() << "the helper exists here";
    EXPECT_EQ(hr, CLASS_E_CLASSNOTAVAILABLE);
    // Returns at once: no dialog waits for a user, none is left behind.
    AddFavoriteEntry(L"http://example.org/", L"Example");
    EXPECT_EQ(tn::test::ThreadBoxWindow(), nullptr);
}

TEST(Favourites, AnInternetShortcutGivesItsUrlAndAnythingElseNothing) {
    const TempDir dir;
    tn::testing::WriteFileBytes(dir.File(L"a.url"),
                                "[InternetShortcut]\r\nURL=http://example.org/a?b=1\r\n");
    tn::testing::WriteFileBytes(dir.File(L"other.url"), "[Other]\r\nURL=http://example.org/\r\n");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File(L"a.url")), L"http://example.org/a?b=1");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File(L"other.url")), L"");
    EXPECT_EQ(ReadInternetShortcutUrl(dir.File(L"missing.url")), L"");
    EXPECT_EQ(ReadInternetShortcutUrl(L""), L"");
}

// --- history items ------------------------------------------------------------------------------

class HistoryItem : public tn::test::FakeObject<IQueryInfo> {};

class HistoryFolder : public tn::test::FakeObject<IShellFolder> {
public:
    HistoryItem* item = nullptr;
    struct Ask {
        HWND owner;
        UINT count;
        PCUITEMID_CHILD first;
        IID iid;
        bool reserved;
    };
    std::vector<Ask> asked;
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY items,
                                            REFIID iid, UINT* reserved, void** out) override {
        asked.push_back({owner, count, count ? items[0] : nullptr, iid, reserved != nullptr});
        *out = nullptr;
        if (!item) return E_NOINTERFACE;
        return item->QueryInterface(iid, out);
    }
};

TEST(HistoryItems, TheAddressIsTheTipAfterItsFirstLineFeedTrimmed) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Example page\nhttp://example.org/a  ", L"http://example.org/a"},
        {L"  http://example.org/whole \r", L"http://example.org/whole"},
        {L"Title\r\n http://example.org/b\nmore\n", L"http://example.org/b\nmore"},
        {L"Title\n", L""},
        {L"", L""},
    };
    ITEMIDLIST pidl{};
    for (const auto& [tip, url] : cases) {
        HistoryItem item;
        item.tip = tip;
        HistoryFolder folder;
        folder.item = &item;
        EXPECT_EQ(GetHistoryItemUrl(&folder, &pidl), url) << tip;
        ASSERT_EQ(folder.asked.size(), 1u);
        EXPECT_EQ(folder.asked[0].owner, nullptr);
        EXPECT_EQ(folder.asked[0].count, 1u);
        EXPECT_EQ(folder.asked[0].first, &pidl);
        EXPECT_EQ(folder.asked[0].iid, IID_IQueryInfo);
        EXPECT_FALSE(folder.asked[0].reserved);
        EXPECT_EQ(item.tipFlags, std::vector<DWORD>{0});
        EXPECT_EQ(item.Count(), 1u);
    }
}

TEST(HistoryItems, WithoutTheInterfaceOrATipThereIsNoAddress) {
    ITEMIDLIST pidl{};
    HistoryFolder folder;
    EXPECT_EQ(GetHistoryItemUrl(&folder, &pidl), L"");
    EXPECT_EQ(GetHistoryItemUrl(nullptr, &pidl), L"");
    HistoryItem item;
    item.tip = L"Title\nhttp://example.org/";
    item.tipResult = E_FAIL;
    folder.item = &item;
    EXPECT_EQ(GetHistoryItemUrl(&folder, &pidl), L"");
    EXPECT_EQ(item.Count(), 1u);
}

// --- default browser ----------------------------------------------------------------------------

// The command key of HTML files as the system has it, put back afterwards.
class BrowserCommandKey {
public:
    static constexpr const wchar_t* kKey = L"Software\\Classes\\htmlfile\\shell\\open\\command";
    BrowserCommandKey() {
        TRegistry machine(HKEY_LOCAL_MACHINE, KEY_READ);
        if (machine.OpenKeyReadOnly(kKey)) Saved = machine.ReadString(L"");
    }
    BrowserCommandKey(const BrowserCommandKey&) = delete;
    BrowserCommandKey& operator=(const BrowserCommandKey&) = delete;
    ~BrowserCommandKey() {
        if (Saved.empty()) return;
        TRegistry machine(HKEY_LOCAL_MACHINE);
        if (machine.OpenKey(kKey, true)) machine.WriteString(L"", Saved);
    }
    std::wstring Saved;
};

TEST(DefaultBrowser, TheCommandIsTheKeysDefaultValueAndOnlyAMissingKeyHasTheNotice) {
    const BrowserCommandKey key;
    // Measured: this system registers its own browser.
    ASSERT_FALSE(key.Saved.empty());
    EXPECT_EQ(GetDefaultBrowserCommand(), key.Saved);

    TRegistry machine(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.OpenKey(BrowserCommandKey::kKey, false));
    machine.WriteString(L"", L"");
    EXPECT_EQ(GetDefaultBrowserCommand(), L"");
    machine.CloseKey();
    ASSERT_TRUE(machine.DeleteKey(BrowserCommandKey::kKey));
    EXPECT_EQ(GetDefaultBrowserCommand(), L"No default browser found.");
}

// --- host name and address ----------------------------------------------------------------------

struct WinsockDouble {
    static inline std::vector<std::string> log;
    static inline int startupAnswer = 0;
    static inline int lastError = 0;
    static inline hostent entry{};
    static inline bool hasEntry = true;
    static inline in_addr address{};
    static inline char* addresses[2] = {};
    static inline char name[] = "tn-host";

    static int WINAPI Startup(WORD version, LPWSADATA) {
        log.push_back("startup " + std::to_string(version));
        return startupAnswer;
    }
    static int WINAPI HostName(char* buffer, int size) {
        log.push_back("gethostname " + std::to_string(size));
        std::strcpy(buffer, "tn-host");
        return 0;
    }
    static hostent* WINAPI ByName(const char* asked) {
        log.push_back(std::string("gethostbyname ") + asked);
        return hasEntry ? &entry : nullptr;
    }
    static char* WINAPI Ntoa(in_addr a) {
        static char text[32];
        const auto* b = reinterpret_cast<const unsigned char*>(&a);
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        log.push_back(std::string("ntoa ") + text);
        return text;
    }
    static int WINAPI LastError() { return lastError; }
    static int WINAPI Cleanup() {
        log.push_back("cleanup");
        return 0;
    }
    static WinsockCalls Calls() {
        return {&Startup, &HostName, &ByName, &Ntoa, &LastError, &Cleanup};
    }
    // A good entry with one address.
    static void Reset() {
        log.clear();
        startupAnswer = 0;
        lastError = 0;
        hasEntry = true;
        const unsigned char bytes[4] = {10, 1, 2, 3};
        std::memcpy(&address, bytes, 4);
        addresses[0] = reinterpret_cast<char*>(&address);
        addresses[1] = nullptr;
        entry = {};
        entry.h_name = name;
        entry.h_addrtype = AF_INET;
        entry.h_length = 4;
        entry.h_addr_list = addresses;
    }
};

TEST(HostName, AnEntryGivesItsNameAndFirstAddressAfterAVersion11StartUp) {
    WinsockDouble::Reset();
    std::wstring host, ip, error = L"before";
    EXPECT_TRUE(GetLocalHostNameAndAddress(host, ip, error, WinsockDouble::Calls()));
    EXPECT_EQ(host, L"tn-host");
    EXPECT_EQ(ip, L"10.1.2.3");
    EXPECT_EQ(error, L"before");
    const std::vector<std::string> log = {"startup 257", "gethostname 260", "gethostbyname tn-host",
                                          "ntoa 10.1.2.3", "cleanup"};
    EXPECT_EQ(WinsockDouble::log, log);
}

TEST(HostName, FailuresAreNamedByTheirCodeAndAnEntryWithoutAddressIsOne) {
    const std::pair<int, const wchar_t*> codes[] = {{WSAEINPROGRESS, L"WSAEInProgress"},
                                                    {WSAENETDOWN, L"WSAENetDown"},
                                                    {WSANOTINITIALISED, L"WSANotInitialised"},
                                                    {WSAHOST_NOT_FOUND, L"before"}};
    for (const auto& [code, text] : codes) {
        WinsockDouble::Reset();
        WinsockDouble::hasEntry = false;
        WinsockDouble::lastError = code;
        std::wstring host = L"h", ip = L"i", error = L"before";
        EXPECT_FALSE(GetLocalHostNameAndAddress(host, ip, error, WinsockDouble::Calls()));
        EXPECT_EQ(error, text) << code;
        EXPECT_EQ(host, L"h");
        EXPECT_EQ(ip, L"i");
        EXPECT_EQ(WinsockDouble::log.back(), "cleanup");
    }

    WinsockDouble::Reset();
    WinsockDouble::addresses[0] = nullptr;
    std::wstring host = L"h", ip = L"i", error = L"before";
    EXPECT_FALSE(GetLocalHostNameAndAddress(host, ip, error, WinsockDouble::Calls()));
    EXPECT_EQ(host, L"h");
    EXPECT_EQ(ip, L"i");
    EXPECT_EQ(error, L"before");

    // A start-up that fails: its text (with the one quote), and no clean-up.
    WinsockDouble::Reset();
    WinsockDouble::startupAnswer = WSASYSNOTREADY;
    EXPECT_FALSE(GetLocalHostNameAndAddress(host, ip, error, WinsockDouble::Calls()));
    EXPECT_EQ(error, L"Winsock is not responding.\"");
    EXPECT_EQ(WinsockDouble::log, std::vector<std::string>{"startup 257"});
}

// The machine's IPv4 interface addresses.
std::vector<std::wstring> AdapterAddresses() {
    ULONG size = 0;
    (void)::GetAdaptersInfo(nullptr, &size);
    std::vector<BYTE> buffer(size);
    std::vector<std::wstring> found;
    auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    if (size == 0 || ::GetAdaptersInfo(info, &size) != ERROR_SUCCESS) return found;
    for (; info; info = info->Next)
        for (const IP_ADDR_STRING* a = &info->IpAddressList; a; a = a->Next)
            found.emplace_back(a->IpAddress.String,
                               a->IpAddress.String + std::strlen(a->IpAddress.String));
    return found;
}

TEST(HostName, ThisMachineAnswersWithItsNameAndOneOfItsAddresses) {
    std::wstring host, ip, error;
    ASSERT_TRUE(GetLocalHostNameAndAddress(host, ip, error));
    EXPECT_EQ(error, L"");
    // Measured: the host's own name, and 127.0.0.1 or (where the machine has one) the address of
    // its network interface.
    EXPECT_FALSE(host.empty());
    std::vector<std::wstring> expected = AdapterAddresses();
    expected.push_back(L"127.0.0.1");
    EXPECT_NE(std::find(expected.begin(), expected.end(), ip), expected.end()) << ip;
}

// --- mail ---------------------------------------------------------------------------------------

TEST(NewMail, TheShellOpensAnEmptyMailtoAndOnlyAnAnswerAbove32IsSuccess) {
    ShellDouble::Reset();
    const ShellCalls calls = ShellDouble::Calls();
    const std::pair<INT_PTR, bool> answers[] = {
        {33, true}, {42, true}, {32, false}, {2, false}, {0, false}};
    for (const auto& [answer, result] : answers) {
        ShellDouble::executeAnswer = answer;
        EXPECT_EQ(OpenNewMailMessage(calls), result) << answer;
    }
    ASSERT_EQ(ShellDouble::executed.size(), 5u);
    const auto& call = ShellDouble::executed[0];
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, L"mailto:?subject=&body=");
    EXPECT_FALSE(call.parameters);
    EXPECT_FALSE(call.folder);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

TEST(MailTools, ATextGoesWithSubjectAndBodyForEditing) {
    const MapiCallsSpy spy;
    SendTextInMail(L"http://example.org/page", L"The page");
    ASSERT_TRUE(MapiCallsSpy::Sent());
    ASSERT_EQ(MapiCallsSpy::Sends.size(), 1u);
    const auto& sent = MapiCallsSpy::Sends[0];
    EXPECT_EQ(sent.subject, "The page");
    EXPECT_EQ(sent.body, "http://example.org/page");
    EXPECT_NE(sent.flags & MAPI_DIALOG, 0u);
    EXPECT_TRUE(sent.recipients.empty());
    EXPECT_TRUE(sent.files.empty());
}

// A host whose save writes the page to the file, as the component's does.
class SavingHost : public tn::test::FakeToolHost {
public:
    HRESULT SaveToFile(const std::wstring& FileName) override {
        const HRESULT hr = FakeToolHost::SaveToFile(FileName);
        if (hr != S_OK || !writes) return hr;
        tn::testing::WriteFileBytes(FileName, "<html>page</html>");
        // Read while the file is there: the mail's thread deletes it.
        wchar_t path[MAX_PATH] = {};
        if (::GetShortPathNameW(FileName.c_str(), path, MAX_PATH) > 0) shortPath = path;
        return hr;
    }
    bool writes = true;
    std::wstring shortPath;
};

TEST(MailTools, APageIsSavedAndGoesAsTheAttachmentOfAMailThatLeavesItsOwner) {
    const MapiCallsSpy spy;
    const TempDir dir;
    SavingHost host;
    auto owner = TComponent::CreateOwned<TComponent>();
    const std::wstring file = dir.File(L"page.mht");
    MailPageAsAttachment(host, owner.get(), file, L"Subject", L"Body");
    EXPECT_EQ(host.saved, std::vector<std::wstring>{file});
    EXPECT_EQ(owner->ComponentCount(), 0u);
    ASSERT_TRUE(MapiCallsSpy::Sent());
    ASSERT_EQ(MapiCallsSpy::Sends.size(), 1u);
    const auto& sent = MapiCallsSpy::Sends[0];
    EXPECT_EQ(sent.subject, "Subject");
    EXPECT_EQ(sent.body, "Body");
    const std::string path(file.begin(), file.end()); // a temporary folder: plain ASCII here
    EXPECT_EQ(sent.files,
              (std::vector<MapiCallsSpy::File>{{static_cast<ULONG>(-1), path, "page.mht"}}));
    EXPECT_NE(sent.flags & MAPI_DIALOG, 0u);
}

// The path of the one attachment of the one mail sent, once it went.
std::string OnlyAttachmentSent() {
    if (!MapiCallsSpy::Sent()) return "(no mail)";
    if (MapiCallsSpy::Sends.size() != 1 || MapiCallsSpy::Sends[0].files.size() != 1)
        return std::to_string(MapiCallsSpy::Sends.size()).append(" mails");
    return MapiCallsSpy::Sends[0].files[0].path;
}

// The mail's thread deletes what it sent: a save that failed, or wrote nothing, sends nothing, and
// the file that was at the path before stays. Only the page saved next goes.
TEST(MailTools, ASaveThatFailsOrWritesNothingSendsNothingAndKeepsTheFileThatWasThere) {
    const MapiCallsSpy spy;
    const TempDir dir;
    const std::wstring theirs = dir.File(L"theirs.htm");
    const struct {
        const char* name;
        HRESULT result;
        bool writes;
    } cases[] = {
        {"the save fails", E_FAIL, true},
        {"a freed component's save", E_ABORT, true},
        {"no document to save", S_FALSE, true},
        {"the save writes nothing", S_OK, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tn::testing::WriteFileBytes(theirs, "the user's own file");
        SavingHost host;
        host.saveResult = c.result;
        host.writes = c.writes;
        MailPageAsAttachment(host, nullptr, theirs, L"Subject", L"Body");
        EXPECT_EQ(host.saved, std::vector<std::wstring>{theirs});
    }
    const std::wstring page = dir.File(L"page.htm");
    SavingHost host;
    MailPageAsAttachment(host, nullptr, page, L"Subject", L"Body");
    EXPECT_EQ(OnlyAttachmentSent(), std::string(page.begin(), page.end()));
    EXPECT_EQ(tn::testing::ReadFileBytes(theirs), "the user's own file");
}

// The library takes 8-bit paths: one that the ANSI code page cannot hold goes by its short name.
TEST(MailTools, APagePathTheAnsiCodePageCannotHoldGoesByItsShortName) {
    const MapiCallsSpy spy;
    const TempDir dir;
    const std::wstring page = dir.File(L"page\u0915.mht");
    SavingHost host;
    MailPageAsAttachment(host, nullptr, page, L"Subject", L"Body");
    const std::string sent = OnlyAttachmentSent();
    const std::wstring expected = host.shortPath;
    ASSERT_FALSE(expected.empty());
    ASSERT_NE(expected, page) << "this system gives short names";
    EXPECT_EQ(sent, std::string(expected.begin(), expected.end()));
}

// --- downloads ----------------------------------------------------------------------------------

TEST(Downloads, ADownloadNavigationAsksForNoHistoryAndNoCache) {
    tn::test::FakeBrowser browser;
    tn::test::FakeToolHost host;
    NavigateForDownload(host, L"http://example.org/file.zip");
    host.browser = &browser;
    NavigateForDownload(host, L"http://example.org/file.zip");
    ASSERT_EQ(browser.navigations.size(), 1u);
    const auto& n = browser.navigations[0];
    EXPECT_EQ(n.method, L"Navigate");
    EXPECT_EQ(VariantToString(n.url.get()), L"http://example.org/file.zip");
    EXPECT_EQ(n.flags.vt(), VT_I4);
    EXPECT_EQ(VariantToInt(n.flags.get()), 62);
    EXPECT_TRUE(n.target.IsEmpty());
    EXPECT_TRUE(n.postData.IsEmpty());
    EXPECT_TRUE(n.headers.IsEmpty());
    EXPECT_EQ(browser.Count(), 1u);
}

struct DownloadAnswer {
    static inline HRESULT answer = S_OK;
    static inline int calls = 0;
    static HRESULT WINAPI Download(LPUNKNOWN, LPCWSTR, LPCWSTR, DWORD, LPBINDSTATUSCALLBACK) {
        ++calls;
        return answer;
    }
};

TEST(Downloads, TheNoticeTellsSuccessOrFailureWithoutOwnerAndOnlyWhenAsked) {
    const DialogCallsSpy boxes;
    const DownloadCalls calls{&DownloadAnswer::Download};
    DownloadAnswer::calls = 0;
    DownloadAnswer::answer = S_OK;
    DownloadUrlToFileWithNotice(L"http://host/a.zip", L"C:\\a.zip", true, calls);
    DownloadAnswer::answer = INET_E_DOWNLOAD_FAILURE;
    DownloadUrlToFileWithNotice(L"http://host/b.zip", L"C:\\b.zip", true, calls);
    ASSERT_EQ(DialogCallsSpy::Boxes.size(), 2u);
    const auto& done = DialogCallsSpy::Boxes[0];
    EXPECT_EQ(done.owner, nullptr);
    EXPECT_EQ(done.text, L"Downloading: http://host/a.zip\n\rTo: C:\\a.zip\n\rwas successfully "
                         L"finished.");
    EXPECT_EQ(done.caption, L"Download successful.");
    EXPECT_EQ(done.flags, UINT{MB_OK});
    const auto& failed = DialogCallsSpy::Boxes[1];
    EXPECT_EQ(failed.owner, nullptr);
    EXPECT_EQ(failed.text, L"An error ocurred while downloading the file.http://host/b.zip");
    EXPECT_EQ(failed.caption, L"Downloading Error!!");
    EXPECT_EQ(failed.flags, UINT{MB_ICONERROR});

    for (const HRESULT answer : {S_OK, E_FAIL}) {
        DownloadAnswer::answer = answer;
        DownloadUrlToFileWithNotice(L"http://host/c.zip", L"C:\\c.zip", false, calls);
    }
    EXPECT_EQ(DownloadAnswer::calls, 4);
    EXPECT_EQ(DialogCallsSpy::Boxes.size(), 2u);
}

TEST(Downloads, HereAnErrorPageAndAMissingFolderAreNoticedAsSuccessSoTheFileTells) {
    const DialogCallsSpy boxes;
    const tn::testing::Standin standin;
    standin.Reset();
    standin.Set("/files/a.zip", {.status = 200, .body = std::string("zip bytes")});
    standin.Set("/files/gone.zip", {.status = 404, .body = std::string("no such file")});
    const TempDir dir;

    DownloadUrlToFileWithNotice(standin.Url(L"/files/a.zip"), dir.File(L"a.zip"), true);
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"a.zip")), "zip bytes");
    DownloadUrlToFileWithNotice(standin.Url(L"/files/gone.zip"), dir.File(L"gone.zip"), true);
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"gone.zip")), "no such file");
    DownloadUrlToFileWithNotice(standin.Url(L"/files/a.zip"), dir.File(L"missing\\a.zip"), true);
    EXPECT_EQ(::GetFileAttributesW(dir.File(L"missing\\a.zip").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_EQ(DialogCallsSpy::Boxes.size(), 3u);
    for (const auto& box : DialogCallsSpy::Boxes)
        EXPECT_EQ(box.caption, L"Download successful.") << box.text;
    EXPECT_EQ(DialogCallsSpy::Boxes[1].text, L"Downloading: " + standin.Url(L"/files/gone.zip") +
                                                 L"\n\rTo: " + dir.File(L"gone.zip") +
                                                 L"\n\rwas successfully finished.");
}

} // namespace
