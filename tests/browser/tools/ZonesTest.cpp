// Security zones: the zone map's site lists in the user's registry, the system's zones of URLs with
// their icons (other zones through manager doubles), the application's zone icon, and the page's
// SSL status through automation doubles.
#include "browser/tools/Zones.h"

#include "classlib/Application.h"
#include "classlib/Registry.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/support/Process.h"
#include "tests/support/RecordSizes.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

const std::wstring kZoneMap =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\";
const std::wstring kDomains = kZoneMap + L"Domains\\";
const std::wstring kEscDomains = kZoneMap + L"EscDomains\\";

constexpr wchar_t kTrustedOnlyHttps[] =
    L"Only sites with https:// prefix (secured sites) can be added to the trusted sites list zone!";

// The icon's width and height; 0 x 0 for none.
SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bm{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return {bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
}

std::wstring ZoneIconModule() {
    return tn::testing::BuildFile(L"tests/browser/tools/zone-icon-module.dll");
}

// --- the site lists -----------------------------------------------------------------------------

// Every site key a test writes lies under one of these invented domains; all go afterwards.
class SiteLists : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        TRegistry reg(HKEY_CURRENT_USER);
        for (const wchar_t* site : {L"bank.example", L"evil.example", L"shady.example",
                                    L"x.example", L"plain.example", L"tn-zones.example"}) {
            (void)reg.DeleteKey(kDomains + site);
            (void)reg.DeleteKey(kEscDomains + site);
        }
    }
    // The zone number under that site key, or -1 when the key or the value is missing.
    static int Listed(const std::wstring& key, const std::wstring& value) {
        TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
        if (!reg.OpenKeyReadOnly(kDomains + key) || !reg.ValueExists(value)) return -1;
        return reg.ReadInteger(value);
    }
    static void Write(const std::wstring& key, const std::wstring& value, int zone) {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(key, true));
        reg.WriteInteger(value, zone);
    }
};

TEST_F(SiteLists, TheBaseDomainIsWhatFollowsTheSecondDotFromTheEnd) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"a.b.c.d", L"c.d"},         {L"b.c.d", L"c.d"}, {L"c.d", L"c.d"},
        {L"localhost", L"localhost"}, {L".d", L".d"},     {L"", L""}};
    for (const auto& [host, base] : cases) {
        std::wstring out = L">";
        ExtractBaseDomain(host, out);
        EXPECT_EQ(out, std::wstring(L">") + base) << ::testing::PrintToString(std::wstring(host));
    }
}

// Adding lists the parsed host under base domain and prefix; the trusted list takes https only
// and says so once otherwise.
TEST_F(SiteLists, AddingListsTheHostOfTheUrlUnderItsBaseDomainAndPrefix) {
    test::DialogCallsSpy spy;
    struct Case {
        const wchar_t* url;
        bool trusted;
        const wchar_t* key = nullptr; // under Domains; null: nothing may be written
        const wchar_t* value = nullptr;
        int zone = 0;
    } const cases[] = {
        {L"https://www.bank.example/login", true, L"bank.example\\www", L"https", 2},
        {L"HTTPS://user@Pay.Bank.Example:443/x?y", true, L"bank.example\\pay", L"https", 2},
        {L"http://www.bank.example/", true, nullptr},
        // The letters https elsewhere make no secured site.
        {L"http://x.example/?https", true, nullptr},
        {L"http://www.evil.example:8080/p", false, L"evil.example\\", L"*", 4},
        {L"WWW.shady.example", false, L"shady.example\\", L"*", 4}, // a bare host
        {L"ftp://ops@a.b.tn-zones.example/www.x", false, L"tn-zones.example\\a.b", L"*", 4},
        {L"https:///nothing", true, nullptr}, // no host: nothing lands on the list itself
        {L"http://", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.url)));
        test::DialogCallsSpy::Boxes.clear();
        (c.trusted ? AddTrustedSite : AddRestrictedSite)(c.url);
        if (c.key) {
            EXPECT_EQ(Listed(c.key, c.value), c.zone);
        }
        const bool refused = c.trusted && !c.key && std::wstring(c.url).starts_with(L"http:");
        ASSERT_EQ(test::DialogCallsSpy::Boxes.size(), refused ? 1u : 0u);
        if (refused) {
            EXPECT_EQ(test::DialogCallsSpy::Boxes[0].text, kTrustedOnlyHttps);
            EXPECT_EQ(test::DialogCallsSpy::Boxes[0].flags, UINT{MB_OK | MB_ICONERROR});
        }
    }
    // The refused and hostless ones wrote nothing.
    EXPECT_EQ(Listed(L"bank.example\\www", L"http"), -1);
    EXPECT_EQ(Listed(L"x.example", L"https"), -1);
    EXPECT_EQ(Listed(L"", L"*"), -1);
    EXPECT_EQ(Listed(L"", L"https"), -1);
}

TEST_F(SiteLists, ALookupFindsTheHostInDomainsThenEscDomainsForItsProtocolOrAny) {
    AddTrustedSite(L"https://www.bank.example/login");
    AddRestrictedSite(L"http://www.evil.example:8080/p");
    Write(kDomains + L"tn-zones.example\\a.b", L"http", 4);
    Write(kDomains + L"tn-zones.example", L"http", 2);
    Write(kEscDomains + L"plain.example\\www", L"https", 2);
    using Lookup = bool (*)(const std::wstring&, bool);
    struct Case {
        Lookup lookup;
        const wchar_t* host;
        bool secure;
        bool listed;
    } const cases[] = {
        {IsHostInTrustedZone, L"www.bank.example", true, true},
        {IsHostInRestrictedZone, L"www.bank.example", true, false}, // listed, in the other zone
        {IsHostInRestrictedZone, L"evil.example", false, true},     // through "*"
        {IsHostInRestrictedZone, L"evil.example", true, true},
        {IsHostInTrustedZone, L"evil.example", false, false},
        {IsHostInRestrictedZone, L"a.b.tn-zones.example", false, true},
        {IsHostInTrustedZone, L"tn-zones.example", false, true},    // the key of the base domain
        {IsHostInTrustedZone, L"www.plain.example", true, true},    // the escaped list
        {IsHostInTrustedZone, L"b.tn-zones.example", false, false}, // no such key
        {IsHostInRestrictedZone, L"www.evil.example", false, false},
        {IsHostInTrustedZone, L"", false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lookup(c.host, c.secure), c.listed)
            << ::testing::PrintToString(std::wstring(c.host)) << (c.secure ? " https" : " http");
    // A listed site without the protocol's value and without "*" is a read error.
    EXPECT_THROW((void)IsHostInTrustedZone(L"www.bank.example", false), ERegistryException);
}

// --- zones of URLs ------------------------------------------------------------------------------

TEST(Zones, TheSystemMapsHttpToTheInternetZoneWhoseIconLoadsAndFilesToTheComputer) {
    EXPECT_EQ(sizeof(ZONEATTRIBUTES), test::RecordSize(1460, sizeof(ZONEATTRIBUTES)));
    ZONEATTRIBUTES internet{};
    internet.cbSize = sizeof internet;
    GetUrlZoneAttributes(L"http://www.example.com/", internet);
    const std::wstring iconPath = internet.szIconPath;
    EXPECT_NE(std::wstring(internet.szDisplayName), L"");
    EXPECT_NE(std::wstring(internet.szDescription), L"");
    EXPECT_NE(iconPath.find(L'#'), std::wstring::npos) << ::testing::PrintToString(iconPath);

    std::wstring name, description;
    UniqueIcon icon;
    EXPECT_TRUE(GetUrlSecurityZoneInfo(L"http://www.example.com/", name, description, icon));
    EXPECT_EQ(name, internet.szDisplayName);
    EXPECT_EQ(description, internet.szDescription);
    const SIZE size = IconSize(icon.get());
    EXPECT_EQ(size.cx, 16) << "the Internet zone's icon, mapped as a data file: "
                           << ::testing::PrintToString(iconPath);
    EXPECT_EQ(size.cy, 16);

    // A file is on the computer, zone 0.
    ComPtr<IInternetZoneManager> zones;
    ASSERT_EQ(::CoInternetCreateZoneManager(nullptr, zones.put(), 0), S_OK);
    ZONEATTRIBUTES computer{};
    computer.cbSize = sizeof computer;
    ASSERT_EQ(zones->GetZoneAttributes(URLZONE_LOCAL_MACHINE, &computer), S_OK);
    EXPECT_TRUE(GetUrlSecurityZoneInfo(L"file:///C:/windows/win.ini", name, description, icon));
    EXPECT_EQ(name, computer.szDisplayName);
    EXPECT_NE(name, internet.szDisplayName);
}

class FakeSecurityManager : public test::FakeObject<IInternetSecurityManager> {
public:
    std::vector<std::pair<std::wstring, DWORD>> mapped; // URL and flags
    HRESULT mapResult = S_OK;
    DWORD zone = URLZONE_TRUSTED;
    HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR url, DWORD* outZone, DWORD flags) override {
        mapped.emplace_back(url, flags);
        if (FAILED(mapResult)) return mapResult;
        *outZone = zone;
        return S_OK;
    }
};

class FakeZoneManager : public test::FakeObject<IInternetZoneManager> {
public:
    std::vector<DWORD> asked;
    ZONEATTRIBUTES answer{};
    HRESULT STDMETHODCALLTYPE GetZoneAttributes(DWORD zone, ZONEATTRIBUTES* out) override {
        asked.push_back(zone);
        *out = answer;
        return S_OK;
    }
};

// The managers the routines make, doubles in place of the system's, and how they were asked for.
class ZoneDoubles : public ::testing::Test {
protected:
    static inline FakeSecurityManager* security = nullptr;
    static inline FakeZoneManager* zones = nullptr;
    static inline HRESULT securityMade = S_OK, zonesMade = S_OK;
    static inline std::vector<std::pair<IServiceProvider*, DWORD>> made; // provider, reserved

    FakeSecurityManager securityDouble;
    FakeZoneManager zonesDouble;
    const TZoneCalls calls{&MakeSecurity, &MakeZones};

    void SetUp() override {
        security = &securityDouble;
        zones = &zonesDouble;
        securityMade = zonesMade = S_OK;
        made.clear();
        Answer(L"Trusted sites", L"Sites you trust.", ZoneIconModule() + L"#1");
    }
    void TearDown() override {
        EXPECT_EQ(securityDouble.Count(), 1u) << "the security manager is released";
        EXPECT_EQ(zonesDouble.Count(), 1u) << "the zone manager is released";
    }
    void Answer(const wchar_t* name, const wchar_t* description, const std::wstring& icon) {
        ZONEATTRIBUTES& a = zonesDouble.answer;
        a.cbSize = sizeof a;
        ::lstrcpynW(a.szDisplayName, name, MAX_ZONE_PATH);
        ::lstrcpynW(a.szDescription, description, MAX_ZONE_DESCRIPTION);
        ::lstrcpynW(a.szIconPath, icon.c_str(), MAX_ZONE_PATH);
    }

private:
    template <typename I, typename Fake>
    static HRESULT Make(IServiceProvider* provider, I** out, DWORD reserved, Fake* fake,
                        HRESULT result) {
        made.emplace_back(provider, reserved);
        *out = nullptr;
        if (result != S_OK) return result;
        fake->AddRef();
        *out = fake;
        return S_OK;
    }
    static HRESULT WINAPI MakeSecurity(IServiceProvider* provider, IInternetSecurityManager** out,
                                       DWORD reserved) {
        return Make(provider, out, reserved, security, securityMade);
    }
    static HRESULT WINAPI MakeZones(IServiceProvider* provider, IInternetZoneManager** out,
                                    DWORD reserved) {
        return Make(provider, out, reserved, zones, zonesMade);
    }
};

TEST_F(ZoneDoubles, AttributesAreThoseOfTheZoneOfTheUrlGiven) {
    ZONEATTRIBUTES a{};
    a.cbSize = sizeof a;
    GetUrlZoneAttributes(L"https://www.bank.example/", a, calls);
    EXPECT_EQ(made, (std::vector<std::pair<IServiceProvider*, DWORD>>{{nullptr, 0}, {nullptr, 0}}));
    EXPECT_EQ(securityDouble.mapped,
              (std::vector<std::pair<std::wstring, DWORD>>{{L"https://www.bank.example/", 0}}));
    EXPECT_EQ(zonesDouble.asked, std::vector<DWORD>{URLZONE_TRUSTED});
    EXPECT_EQ(std::wstring(a.szDisplayName), L"Trusted sites");

    // No zone for the URL, or a manager missing: the record stays as the caller gave it.
    const std::function<void()> failures[] = {
        [] { security->mapResult = E_INVALIDARG; },
        [] { securityMade = E_OUTOFMEMORY; },
        [] { zonesMade = E_OUTOFMEMORY; },
    };
    for (const auto& fail : failures) {
        securityDouble.mapResult = S_OK;
        securityMade = zonesMade = S_OK;
        zonesDouble.asked.clear();
        fail();
        ZONEATTRIBUTES given{};
        given.cbSize = sizeof given;
        ::lstrcpyW(given.szDisplayName, L"as given");
        GetUrlZoneAttributes(L"http://x.example/", given, calls);
        EXPECT_EQ(std::wstring(given.szDisplayName), L"as given");
        EXPECT_TRUE(zonesDouble.asked.empty());
    }
}

// This platform's zones other than the Internet have icons that do not load; the double's zone
// names one that does.
TEST_F(ZoneDoubles, ZoneInfoHandsOutNameDescriptionAndIcon) {
    std::wstring name = L"old", description = L"old";
    UniqueIcon icon;
    EXPECT_TRUE(
        GetUrlSecurityZoneInfo(L"https://www.bank.example/", name, description, icon, calls));
    EXPECT_EQ(name, L"Trusted sites");
    EXPECT_EQ(description, L"Sites you trust.");
    EXPECT_EQ(IconSize(icon.get()).cx, 16);

    // Texts that fill their fields end there.
    zonesDouble.answer.szDisplayName[0] = 0;
    std::fill_n(zonesDouble.answer.szDescription, MAX_ZONE_DESCRIPTION, L'd');
    EXPECT_TRUE(
        GetUrlSecurityZoneInfo(L"https://www.bank.example/", name, description, icon, calls));
    EXPECT_EQ(name, L"");
    EXPECT_EQ(description, std::wstring(MAX_ZONE_DESCRIPTION, L'd'));
}

TEST_F(ZoneDoubles, TheApplicationTakesACopyOfTheZoneIcon) {
    Application->SetIcon(nullptr);
    const HICON before = Application->Icon();
    EXPECT_TRUE(SetApplicationZoneIcon(L"https://www.bank.example/", L"caption", L"hint", calls));
    const HICON now = Application->Icon();
    EXPECT_NE(now, before);
    EXPECT_EQ(IconSize(now).cx, 16) << "the copy outlives the routine's own icon";
    EXPECT_EQ(::SendMessageW(Application->Handle(), WM_GETICON, ICON_BIG, 0),
              reinterpret_cast<LRESULT>(now));

    // The real Internet zone changes it again.
    EXPECT_TRUE(SetApplicationZoneIcon(L"http://www.example.com/", L"", L""));
    EXPECT_NE(Application->Icon(), now);
    EXPECT_EQ(IconSize(Application->Icon()).cx, 16);

    // A zone whose icon does not load leaves the application's icon as it was.
    const HICON internet = Application->Icon();
    Answer(L"Restricted sites", L"", L"C:\\missing\\none.dll#1");
    EXPECT_TRUE(SetApplicationZoneIcon(L"http://evil.example/", L"", L"", calls));
    EXPECT_EQ(Application->Icon(), internet);
}

// --- zone icons ---------------------------------------------------------------------------------

TEST(ZoneIcons, TheIconComesFromTheModuleOfThePathWithoutRunningIt) {
    const std::wstring module = ZoneIconModule();
    ASSERT_EQ(::GetEnvironmentVariableW(L"TN_ZONE_ICON_MODULE_RAN", nullptr, 0), 0u);
    UniqueIcon icon;
    EXPECT_TRUE(LoadZoneIcon(module + L"#1", icon));
    EXPECT_EQ(IconSize(icon.get()).cx, 16);
    EXPECT_EQ(IconSize(icon.get()).cy, 16);
    EXPECT_EQ(::GetEnvironmentVariableW(L"TN_ZONE_ICON_MODULE_RAN", nullptr, 0), 0u)
        << "the module's code ran";

    // A path naming no icon of a module found replaces the icon with none; one whose module is
    // not found, or that names no module, leaves it.
    EXPECT_FALSE(LoadZoneIcon(module + L"#7", icon));
    EXPECT_FALSE(icon.valid());
    EXPECT_TRUE(LoadZoneIcon(module + L"#1", icon));
    for (const std::wstring& path :
         std::vector<std::wstring>{L"C:\\missing\\none.dll#1", module, L""}) {
        EXPECT_FALSE(LoadZoneIcon(path, icon)) << ::testing::PrintToString(path);
        EXPECT_TRUE(icon.valid());
    }

    // The same module loaded for running does run: the check above means something.
    UniqueModule running(::LoadLibraryW(module.c_str()));
    ASSERT_TRUE(running);
    EXPECT_NE(::GetEnvironmentVariableW(L"TN_ZONE_ICON_MODULE_RAN", nullptr, 0), 0u);
}

// --- SSL status ---------------------------------------------------------------------------------

TEST(SslStatus, ASecuredUrlIsAskedOfTheDocumentsLocation) {
    test::FakeLocation location;
    test::FakeDocument document;
    document.bag.SetObject(L"location", location.Dispatch());
    test::FakeBrowser browser;
    browser.SetDocument(document.Dispatch());
    struct Case {
        const wchar_t* url;
        const wchar_t* protocol;
        bool secured;
        const wchar_t* name;
        const wchar_t* description;
    } const cases[] = {
        {L"http://x.example/?https", L"https:", false, L"None", L"The page is not secured."},
        {L"https://x.example/", L"https:", true, L"SSL", L"It is a secure web page."},
        {L"https://x.example/", L"http:", false, L"before", L"before"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.url) + L" " + c.protocol));
        location.bag.Set(L"protocol", c.protocol);
        location.bag.asked.clear();
        std::wstring name = L"before", description = L"before";
        EXPECT_EQ(GetPageSslStatus(browser.Dispatch(), c.url, name, description), c.secured);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(description, c.description);
        EXPECT_EQ(location.bag.asked.empty(), !std::wstring(c.url).starts_with(L"https"));
    }
    // No document to ask: the automation error reaches the caller.
    test::FakeBrowser empty;
    std::wstring name, description;
    EXPECT_THROW((void)GetPageSslStatus(empty.Dispatch(), L"https://x.example/", name, description),
                 EOleSysError);
}

} // namespace
