// The component's system services: the real control's neutral answers, then the page's address,
// name and automation object handed in by a subclass, the routines that raise, the mail binding,
// the window commands, the navigation sound's two roads by the version, and the object test.
#include "browser/component/HostedWB.h"
#include "browser/host/HwbUtils.h"
#include "browser/tools/ShellTools.h"
#include "browser/tools/StoredSettings.h"
#include "browser/tools/ToolBasics.h"
#include "browser/tools/UrlCache.h"
#include "browser/tools/Zones.h"

#include "classlib/Forms.h"
#include "classlib/MemoryStream.h"
#include "classlib/Registry.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/browser/InternetClientStub.h"
#include "tests/browser/MapiCallsSpy.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;
using test::DialogCallsSpy;
using test::MapiCallsSpy;
using tn::testing::TempDir;

constexpr wchar_t kTitle[] = L"TnHostedWBServicesTest";
const std::wstring kAppKey = std::wstring(L"SOFTWARE\\") + kTitle;
const std::wstring kDomains =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";
const std::wstring kNavigating = L"AppEvents\\Schemes\\Apps\\Explorer\\Navigating";

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(kTitle));

// A connected state kept as the system keeps it, and a history object that cannot be made.
class ClientDouble : public test::InternetClientStub {
public:
    mutable DWORD state = INTERNET_STATE_CONNECTED;
    mutable int historyAsked = 0;

    BOOL InternetQueryOption(HINTERNET, DWORD option, void* buffer,
                             DWORD* length) const noexcept override {
        if (option != INTERNET_OPTION_CONNECTED_STATE || *length < sizeof state) return FALSE;
        *static_cast<DWORD*>(buffer) = state;
        return TRUE;
    }
    BOOL InternetSetOption(HINTERNET, DWORD option, void* buffer,
                           DWORD length) const noexcept override {
        if (option != INTERNET_OPTION_CONNECTED_STATE || length != sizeof(INTERNET_CONNECTED_INFO))
            return FALSE;
        state = static_cast<const INTERNET_CONNECTED_INFO*>(buffer)->dwConnectedState;
        return TRUE;
    }
    HRESULT CreateUrlHistory(IUnknown** history) const noexcept override {
        ++historyAsked;
        *history = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
};

// The component with the page's address, name and automation object, the version and the
// internet-client calls handed in; the commands its window gets are kept.
class PageWB : public THostedWB {
public:
    explicit PageWB(TComponent* owner) : THostedWB(owner) {}
    std::wstring url, name;
    IDispatch* application = nullptr;
    int version = 8;
    const TInternetClientCalls* client = nullptr;
    std::vector<std::pair<WPARAM, LPARAM>> commands;

    [[nodiscard]] ComPtr<IDispatch> Application() const override { return ComPtr(application); }
    [[nodiscard]] std::wstring LocationURL() const override { return url; }
    [[nodiscard]] std::wstring LocationName() const override { return name; }

protected:
    [[nodiscard]] int BrowserMajorVersion() const noexcept override { return version; }
    [[nodiscard]] const TInternetClientCalls& InternetClient() const noexcept override {
        return client ? *client : THostedWB::InternetClient();
    }
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_COMMAND) commands.emplace_back(m.WParam, m.LParam);
        THostedWB::WndProc(m);
    }
};

std::wstring Text(bool value) {
    return value ? L"true" : L"false";
}
std::wstring ZoneName(const ZONEATTRIBUTES& a) {
    return a.szDisplayName;
}

std::wstring StartPage() {
    TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    if (!reg.OpenKeyReadOnly(L"Software\\Microsoft\\Internet Explorer\\Main") ||
        !reg.ValueExists(L"Start Page"))
        return {};
    return reg.ReadString(L"Start Page");
}

// The mail program that mailto addresses open, for as long as this lives: one that is not there,
// so that nothing starts. The merged classes view here reads the machine's classes only.
class NoMailProgram {
public:
    NoMailProgram() {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKeyReadOnly(kKey)) FSaved = reg.ReadString(L"");
        reg.CloseKey();
        EXPECT_TRUE(reg.OpenKey(kKey, true));
        reg.WriteString(L"", L"\"C:\\tn-missing\\mail.exe\" \"%1\"");
    }
    NoMailProgram(const NoMailProgram&) = delete;
    NoMailProgram& operator=(const NoMailProgram&) = delete;
    ~NoMailProgram() {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (!FSaved)
            (void)reg.DeleteKey(kKey);
        else if (reg.OpenKey(kKey, false))
            reg.WriteString(L"", *FSaved);
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Classes\\mailto\\shell\\open\\command";
    std::optional<std::wstring> FSaved;
};

// --- the real control ---------------------------------------------------------------------------

class HostedWBServices : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kAppKey);
        (void)TRegistry(HKEY_CURRENT_USER).DeleteKey(kDomains + L"tn-services.example");
    }
};

// Nothing here has a page: each operation answers what the system answers without one, and
// none raises (each is noexcept: a raise would end the program).
TEST_F(HostedWBServices, TheRealControlGivesEveryOperationItsNeutralValue) {
    test::BrowserLayout<THostedWB> l;
    THostedWB& wb = *l.wb;
    int waits = 0;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD&, bool& cancel) {
        ++waits;
        cancel = true;
    };
    const DialogCallsSpy dialogs;
    const NoMailProgram noMail;
    const TempDir dir;
    const HICON icon = Application->Icon();
    std::wstring host, address, error = L"untouched", page = L"before", ssl = L"before", sslText,
                                zone = L"before", zoneText;
    UniqueIcon zoneIcon;

    struct Case {
        const char* operation;
        std::function<std::wstring()> run;
        std::wstring neutral;
    } const cases[] = {
        {"GetCookiesPath", [] { return THostedWB::GetCookiesPath(); },
         ReadShellFolderValue(L"Cookies")},
        {"GetHistoryPath", [] { return THostedWB::GetHistoryPath(); },
         ReadShellFolderValue(L"History")},
        {"GetFavoritesPath", [] { return THostedWB::GetFavoritesPath(); },
         ReadShellFolderValue(L"Favorites")},
        {"GetSpecialFolderPath", [] { return THostedWB::GetSpecialFolderPath(nullptr, 0x10); },
         GetSpecialFolder(nullptr, 0x10)},
        {"GetDefaultBrowserFromRegistry", [] { return THostedWB::GetDefaultBrowserFromRegistry(); },
         L"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""},
        {"GetCachedFileFromURL",
         [&] { return wb.GetCachedFileFromURL(L"http://tn-services.example/none"); }, L""},
        {"URLFromFavorites", [&] { return THostedWB::URLFromFavorites(dir.File(L"none.url")); },
         L""},
        {"UrlFromHistory", [] { return THostedWB::UrlFromHistory(nullptr, nullptr); }, L""},
        {"GetIPAndHostName",
         [&] {
             const bool found = THostedWB::GetIPAndHostName(host, address, error);
             return Text(found) + (host.empty() || address.empty() ? L" none " : L" named ") +
                    error;
         },
         L"true named untouched"},
        {"GetIEHandle",
         [&] {
             return Text(THostedWB::GetIEHandle(&wb, L"Internet Explorer_Server") ||
                         THostedWB::GetIEHandle(nullptr, L"Shell Embedding"));
         },
         L"false"},
        {"AddToFavorites",
         [] {
             THostedWB::AddToFavorites(L"http://tn-services.example/", L"Services");
             return std::wstring(L"done");
         },
         L"done"},
        {"ShowOrganizeFavorites", [&] { return Text(wb.ShowOrganizeFavorites()); }, L"false"},
        {"CreateDesktopShortcut, ShowIEVersionInfo",
         [&] {
             wb.CreateDesktopShortcut();
             wb.ShowIEVersionInfo();
             return std::wstring(L"done");
         },
         L"done"},
        {"SetNewHomePage",
         [] {
             THostedWB::SetNewHomePage(L"http://tn-services.example/home");
             return StartPage();
         },
         L"http://tn-services.example/home"},
        {"GetLastVisitedPage",
         [&] {
             const bool found = THostedWB::GetLastVisitedPage(page);
             return Text(found) + L" [" + page + L"]";
         },
         L"false []"},
        {"SaveLastVisitedPage", [&] { return Text(wb.SaveLastVisitedPage()); }, L"true"},
        {"Save-, RestoreApplicationFormSize (no main form)",
         [] {
             THostedWB::SaveApplicationFormSize();
             THostedWB::RestoreApplicationFormSize();
             return Text(TRegistry(HKEY_LOCAL_MACHINE).KeyExists(kAppKey + L"\\FormSize"));
         },
         L"false"},
        {"ClearHistory (the store answers E_NOTIMPL)",
         [&] {
             wb.ClearHistory();
             return std::wstring(L"done");
         },
         L"done"},
        {"ClearTypedUrls",
         [] {
             THostedWB::ClearTypedUrls();
             return Text(TRegistry(HKEY_CURRENT_USER)
                             .KeyExists(L"Software\\Microsoft\\Internet Explorer\\TypedURLs"));
         },
         L"false"},
        {"CheckOnlineStatus", [&] { return Text(wb.CheckOnlineStatus()); },
         Text(IsConnectedToInternet())},
        {"WorkOffline, IsGlobalOffline (setting it is a stub here), WorkOnline",
         [&] {
             wb.WorkOffline();
             const bool offline = wb.IsGlobalOffline();
             wb.WorkOnline();
             return Text(offline) + L" " + Text(wb.IsGlobalOffline());
         },
         L"false false"},
        {"AddToTrustedSiteList (http: refused with the box)",
         [] {
             THostedWB::AddToTrustedSiteList(L"http://www.tn-services.example/");
             return std::to_wstring(DialogCallsSpy::Boxes.size());
         },
         L"1"},
        {"AddToRestrictedSiteList, CheckIfInRestricredList",
         [] {
             THostedWB::AddToRestrictedSiteList(L"http://www.tn-services.example/");
             return Text(THostedWB::CheckIfInRestricredList(L"tn-services.example", false));
         },
         L"true"},
        {"CheckIfInTrustedList (not listed)",
         [] { return Text(THostedWB::CheckIfInTrustedList(L"www.tn-services.example", true)); },
         L"false"},
        {"ImportCertFile (no file)",
         [&] { return Text(THostedWB::ImportCertFile(dir.File(L"none.cer"), L"Root")); }, L"false"},
        {"GetZoneIcon (no module)",
         [&] {
             THostedWB::GetZoneIcon(dir.File(L"none.dll") + L"#1", zoneIcon);
             return Text(zoneIcon.valid());
         },
         L"false"},
        {"GetZoneAttributes", [] { return ZoneName(THostedWB::GetZoneAttributes(L"")); }, L""},
        {"GetZoneIconToForm",
         [&] {
             const bool done = wb.GetZoneIconToForm();
             return Text(done) + L" " + Text(Application->Icon() == icon);
         },
         L"true true"},
        {"GetSSLStatus",
         [&] {
             const bool secured = wb.GetSSLStatus(ssl, sslText);
             return Text(secured) + L" " + ssl + L" " + sslText;
         },
         L"false None The page is not secured."},
        {"GetURLSecurityZone",
         [&] {
             const bool read = wb.GetURLSecurityZone(zone, zoneText, zoneIcon);
             return Text(read) + L" [" + zone + L"] [" + zoneText + L"] " + Text(zoneIcon.valid());
         },
         L"true [] [] false"},
        {"CreateNewMail (no mail program: nothing starts)",
         [] {
             THostedWB::CreateNewMail();
             return std::wstring(L"done");
         },
         L"done"},
    };
    const std::wstring startPage = StartPage();
    for (const Case& c : cases)
        EXPECT_EQ(c.run(), c.neutral) << c.operation;
    SetBrowserStartPage(startPage);
    EXPECT_TRUE(DialogCallsSpy::Opens.empty() && DialogCallsSpy::Saves.empty());
    EXPECT_EQ(DialogCallsSpy::Boxes.size(), 1u) << "the refused trusted site's box alone";

    // The page saved first waits in vain and saves nothing, so no mail goes: the page's address,
    // mailed next, goes alone.
    {
        const MapiCallsSpy spy;
        auto owner = TComponent::CreateOwned<TComponent>();
        const std::wstring page = dir.File(L"page.mht");
        waits = 0;
        wb.SendPageInMailAsAttachment(owner.get(), page, L"Subject", L"Body");
        EXPECT_GT(waits, 0);
        EXPECT_EQ(::GetFileAttributesW(page.c_str()), INVALID_FILE_ATTRIBUTES);
        wb.SendURLInMail();
        ASSERT_TRUE(MapiCallsSpy::Sent());
        ASSERT_EQ(MapiCallsSpy::Sends.size(), 1u);
        EXPECT_EQ(MapiCallsSpy::Sends[0].subject, "");
        EXPECT_TRUE(MapiCallsSpy::Sends[0].files.empty());
    }
}

TEST_F(HostedWBServices, HistoryThatCannotBeMadeIsQuietAndTheOnlineStateGoesThroughTheCalls) {
    const auto wb = TComponent::CreateOwned<PageWB>();
    const ClientDouble client;
    wb->client = &client;
    EXPECT_THROW(DeleteUrlHistory(client), EOleSysError) << "the routine raises";
    wb->ClearHistory();
    EXPECT_EQ(client.historyAsked, 2);

    wb->WorkOffline();
    EXPECT_TRUE(wb->IsGlobalOffline());
    wb->WorkOnline();
    EXPECT_FALSE(wb->IsGlobalOffline());
    EXPECT_FALSE(wb->CheckOnlineStatus());
}

// --- through the page's address, name and automation object -------------------------------------

TEST_F(HostedWBServices, ZoneAttributesAreThoseOfTheUrlGivenNotOfTheCurrentPage) {
    const auto wb = TComponent::CreateOwned<PageWB>();
    wb->url = L"http://www.example.com/";
    const std::wstring local = ZoneName(THostedWB::GetZoneAttributes(L"file:///C:/windows/"));
    std::wstring page, description;
    UniqueIcon icon;
    ASSERT_TRUE(wb->GetURLSecurityZone(page, description, icon));
    EXPECT_FALSE(local.empty());
    EXPECT_FALSE(page.empty());
    EXPECT_NE(local, page);
    EXPECT_EQ(ZoneName(THostedWB::GetZoneAttributes(wb->url)), page);
    EXPECT_TRUE(icon.valid()) << "the Internet zone's icon loads here";
}

// The status follows its routine: an address holding "https://" asks the page's protocol.
TEST_F(HostedWBServices, SslStatusOfAnHttpsAddressIsThePagesProtocol) {
    test::FakeLocation location;
    test::FakeDocument document;
    document.bag.SetObject(L"location", location.Dispatch());
    test::FakeBrowser browser, empty;
    browser.SetDocument(document.Dispatch());
    const auto wb = TComponent::CreateOwned<PageWB>();
    struct Case {
        const wchar_t* url;
        const wchar_t* protocol;
        IDispatch* application;
        bool secured;
        const wchar_t* name;
        const wchar_t* description;
    } const cases[] = {
        {L"https://bank.example/", L"https:", browser.Dispatch(), true, L"SSL",
         L"It is a secure web page."},
        {L"https://bank.example/", L"http:", browser.Dispatch(), false, L"before", L"before"},
        {L"http://bank.example/", L"https:", browser.Dispatch(), false, L"None",
         L"The page is not secured."},
        // No document to ask: the routine raises, the component gives false.
        {L"https://bank.example/", L"https:", empty.Dispatch(), false, L"before", L"before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.url) + L" " + c.protocol));
        wb->url = c.url;
        wb->application = c.application;
        location.bag.Set(L"protocol", c.protocol);
        std::wstring name = L"before", description = L"before";
        EXPECT_EQ(wb->GetSSLStatus(name, description), c.secured);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(description, c.description);
    }
}

// --- routines that raise ------------------------------------------------------------------------

TEST_F(HostedWBServices, AListedSiteWithoutTheValueAndAnUnreadableCertificateGiveFalse) {
    {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(kDomains + L"tn-services.example\\www", true));
    }
    const std::wstring host = L"www.tn-services.example";
    EXPECT_THROW((void)IsHostInTrustedZone(host, true), ERegistryException);
    EXPECT_FALSE(THostedWB::CheckIfInTrustedList(host, true));
    EXPECT_THROW((void)IsHostInRestrictedZone(host, false), ERegistryException);
    EXPECT_FALSE(THostedWB::CheckIfInRestricredList(host, false));
    {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(kDomains + L"tn-services.example\\www", false));
        reg.WriteInteger(L"https", kTrustedSitesZone);
    }
    EXPECT_TRUE(THostedWB::CheckIfInTrustedList(host, true));

    const TempDir dir;
    const std::wstring file = dir.File(L"locked.cer");
    tn::testing::WriteFileBytes(file, "not read");
    const UniqueHandleKernel locked(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    ASSERT_TRUE(locked);
    EXPECT_THROW((void)ImportCertificateFile(file, L"Root"), EFileError);
    EXPECT_FALSE(THostedWB::ImportCertFile(file, L"Root"));
}

// --- mail and the window's commands -------------------------------------------------------------

TEST_F(HostedWBServices, SendURLInMailHandsThePagesNameAndAddressToTheMailForEditing) {
    const auto wb = TComponent::CreateOwned<PageWB>();
    wb->url = L"http://x.example/page?id=7";
    wb->name = L"The page";
    const MapiCallsSpy spy;
    wb->SendURLInMail();
    ASSERT_TRUE(MapiCallsSpy::Sent());
    ASSERT_EQ(MapiCallsSpy::Sends.size(), 1u);
    EXPECT_EQ(MapiCallsSpy::Sends[0].subject, "The page");
    EXPECT_EQ(MapiCallsSpy::Sends[0].body, "http://x.example/page?id=7");
    EXPECT_NE(MapiCallsSpy::Sends[0].flags & MAPI_DIALOG, 0u);
}

TEST_F(HostedWBServices, TheControlsWindowGetsTheShortcutAndVersionCommandsAndHandsOutItsChildren) {
    test::BrowserLayout<PageWB> l;
    const HWND embedding = THostedWB::GetIEHandle(l.wb, L"Shell Embedding");
    EXPECT_NE(embedding, nullptr);
    EXPECT_EQ(embedding, ::GetWindow(l.wb->Handle(), GW_CHILD));
    const test::WindowCommands commands(embedding);
    l.wb->CreateDesktopShortcut();
    l.wb->ShowIEVersionInfo();
    using Commands = std::vector<std::pair<WPARAM, LPARAM>>;
    EXPECT_EQ(test::WindowCommands::Received, (Commands{{284, 0}, {336, 0}}));
    EXPECT_TRUE(l.wb->commands.empty()) << "none reached the component's own window";
}

// --- the navigation sound -----------------------------------------------------------------------

// Each key below the Navigating event with its sound.
std::vector<std::pair<std::wstring, std::wstring>> SoundKeys() {
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    if (!reg.OpenKeyReadOnly(kNavigating)) return keys;
    for (const std::wstring& name : reg.GetKeyNames()) {
        TRegistry sub(HKEY_CURRENT_USER, KEY_READ);
        EXPECT_TRUE(sub.OpenKeyReadOnly(kNavigating + L"\\" + name));
        keys.emplace_back(name, sub.ReadString(L""));
    }
    return keys;
}

TEST_F(HostedWBServices, DisableNavSoundBelowSevenMovesTheSoundAsideAndBackElseSwitchesTheFeature) {
    {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(kNavigating + L"\\.Current", true));
        reg.WriteString(L"", L"C:\\sounds\\click.wav");
    }
    const auto before = SoundKeys();
    ASSERT_EQ(before, (std::vector<std::pair<std::wstring, std::wstring>>{
                          {L".Current", L"C:\\sounds\\click.wav"}}));
    const auto wb = TComponent::CreateOwned<PageWB>();
    for (const int version : {6, -1}) {
        SCOPED_TRACE(version);
        wb->version = version;
        wb->DisableNavSound(true);
        EXPECT_EQ(SoundKeys(), (std::vector<std::pair<std::wstring, std::wstring>>{
                                   {L"Old_Current", L"C:\\sounds\\click.wav"}}));
        wb->DisableNavSound(false);
        EXPECT_EQ(SoundKeys(), before);
    }
    wb->version = 8;
    wb->DisableNavSound(true);
    EXPECT_EQ(SoundKeys(), before);
    EXPECT_EQ(IsInternetFeatureEnabled(TInternetFeatureList::DisableNavigationSounds, 2), S_OK);
    (void)TRegistry(HKEY_CURRENT_USER).DeleteKey(kNavigating);
}

// --- the object test ----------------------------------------------------------------------------

TEST_F(HostedWBServices, VariantIsObjectOnlyForADispatchHeldByValue) {
    test::FakeDispatch object;
    IDispatch* held = object.Dispatch();
    const OleVariant dispatch(held);
    const OleVariant empty;
    VARIANT unknown{};
    unknown.vt = VT_UNKNOWN;
    unknown.punkVal = held;
    VARIANT byReference{};
    byReference.vt = VT_DISPATCH | VT_BYREF;
    byReference.ppdispVal = &held;
    const std::pair<const char*, const VARIANT*> cases[] = {
        {"VT_DISPATCH", &dispatch.get()},
        {"VT_UNKNOWN", &unknown},
        {"VT_EMPTY", &empty.get()},
        {"VT_DISPATCH | VT_BYREF", &byReference},
    };
    for (const auto& [name, value] : cases)
        EXPECT_EQ(THostedWB::VariantIsObject(*value), value == &dispatch.get()) << name;
}

} // namespace
