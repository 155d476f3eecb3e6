#include "browser/tools/Zones.h"

#include "classlib/Application.h"
#include "classlib/ComPtr.h"
#include "classlib/Dialogs.h"
#include "classlib/OleAuto.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <cwchar>
#include <utility>

namespace tn {

namespace {

#ifndef _WIN64
static_assert(sizeof(ZONEATTRIBUTES) == 1460);
#endif

constexpr wchar_t kZoneMap[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
                               L"Settings\\ZoneMap\\";
constexpr wchar_t kDomains[] = L"Domains\\";
constexpr wchar_t kEscDomains[] = L"EscDomains\\";
constexpr wchar_t kAnyProtocol[] = L"*";

const TZoneCalls kSystem{&::CoInternetCreateSecurityManager, &::CoInternetCreateZoneManager};

// The site's key in a zone-map list: base domain, a backslash, the prefix (an empty prefix leaves
// the trailing backslash, which names the base domain's own key).
std::wstring SiteKey(const wchar_t* list, const std::wstring& host) {
    std::wstring base;
    ExtractBaseDomain(host, base);
    const std::size_t prefixLength = host.size() - base.size();
    const std::wstring prefix = host.substr(0, prefixLength ? prefixLength - 1 : 0);
    return std::wstring(kZoneMap) + list + base + L"\\" + prefix;
}

bool IsHostInZone(const std::wstring& host, bool secureSite, std::int32_t zone) {
    if (host.empty()) return false; // no site is listed under no name
    TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    if (!reg.OpenKeyReadOnly(SiteKey(kDomains, host)) &&
        !reg.OpenKeyReadOnly(SiteKey(kEscDomains, host)))
        return false;
    const std::wstring protocol = secureSite ? L"https" : L"http";
    // A site listed for any protocol has only "*"; a site with neither raises the read error.
    const bool any = !reg.ValueExists(protocol) && reg.ValueExists(kAnyProtocol);
    return reg.ReadInteger(any ? kAnyProtocol : protocol) == zone;
}

// The host part of a URL: after "://" (from the start when there is none), up to the path, the
// query or the fragment, without user information and port.
std::wstring HostOfUrl(const std::wstring& url) {
    const std::size_t scheme = url.find(L"://");
    const std::size_t start = scheme == std::wstring::npos ? 0 : scheme + 3;
    std::wstring authority = url.substr(start, url.find_first_of(L"/\\?#", start) - start);
    const std::size_t at = authority.rfind(L'@');
    if (at != std::wstring::npos) authority.erase(0, at + 1);
    const std::size_t end =
        authority.starts_with(L'[') ? authority.find(L']') + 1 : authority.find(L':');
    return authority.substr(0, end);
}

bool IsHttpsUrl(const std::wstring& url) {
    const std::size_t scheme = url.find(L"://");
    return scheme != std::wstring::npos &&
           text::SameText(std::wstring_view(url).substr(0, scheme), L"https");
}

void ListSite(const std::wstring& host, const wchar_t* protocol, std::int32_t zone) noexcept {
    try {
        if (host.empty()) return; // the value would land on the list itself
        TRegistry reg(HKEY_CURRENT_USER);
        if (reg.OpenKey(SiteKey(kDomains, host), true)) reg.WriteInteger(protocol, zone);
    } catch (...) {
        // A zone map that cannot be written leaves the site where it was.
    }
}

template <std::size_t N> std::wstring FieldText(const wchar_t (&field)[N]) {
    return std::wstring(field, ::wcsnlen(field, N));
}

ZONEATTRIBUTES ZoneAttributesOf(const std::wstring& url, const TZoneCalls& calls) noexcept {
    ZONEATTRIBUTES attributes{};
    attributes.cbSize = sizeof attributes;
    GetUrlZoneAttributes(url, attributes, calls);
    return attributes;
}

} // namespace

const TZoneCalls& SystemZoneCalls() noexcept {
    return kSystem;
}

void ExtractBaseDomain(const std::wstring& Host, std::wstring& BaseDomain) {
    const std::size_t last = Host.rfind(L'.');
    const std::size_t second =
        last == 0 || last == std::wstring::npos ? std::wstring::npos : Host.rfind(L'.', last - 1);
    BaseDomain += second == std::wstring::npos ? Host : Host.substr(second + 1);
}

bool IsHostInRestrictedZone(const std::wstring& Host, bool SecureSite) {
    return IsHostInZone(Host, SecureSite, kRestrictedSitesZone);
}

bool IsHostInTrustedZone(const std::wstring& Host, bool SecureSite) {
    return IsHostInZone(Host, SecureSite, kTrustedSitesZone);
}

void AddTrustedSite(const std::wstring& URL) {
    if (IsHttpsUrl(URL)) {
        ListSite(HostOfUrl(URL), L"https", kTrustedSitesZone);
        return;
    }
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = Application->Handle();
    DialogCalls().MessageBoxW(owner,
                              L"Only sites with https:// prefix (secured sites) can be added to "
                              L"the trusted sites list zone!",
                              L"Error", MB_OK | MB_ICONERROR);
}

void AddRestrictedSite(const std::wstring& URL) {
    std::wstring host = HostOfUrl(URL);
    if (text::SameText(std::wstring_view(host).substr(0, 4), L"www.")) host.erase(0, 4);
    ListSite(host, kAnyProtocol, kRestrictedSitesZone);
}

void GetUrlZoneAttributes(const std::wstring& URL, ZONEATTRIBUTES& Attributes,
                          const TZoneCalls& calls) noexcept {
    ComPtr<IInternetSecurityManager> security;
    ComPtr<IInternetZoneManager> zones;
    const HRESULT madeSecurity = calls.createSecurityManager(nullptr, security.put(), 0);
    const HRESULT madeZones = calls.createZoneManager(nullptr, zones.put(), 0);
    if (madeSecurity != S_OK || madeZones != S_OK || !security || !zones) return;
    DWORD zone = 0;
    if (FAILED(security->MapUrlToZone(URL.c_str(), &zone, 0))) return;
    // What the zone manager could not read stays as the caller gave it.
    (void)zones->GetZoneAttributes(zone, &Attributes);
}

bool LoadZoneIcon(const std::wstring& IconPath, UniqueIcon& Icon) noexcept {
    try {
        const std::size_t hash = IconPath.find(L'#');
        if (hash == std::wstring::npos) return false; // no module is named
        const std::wstring file = IconPath.substr(0, hash);
        // Mapped for its resources only: the path is the caller's, and its code must not run.
        UniqueModule module(::LoadLibraryExW(
            file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        // Systems before the image-resource mapping refuse that flag.
        if (!module)
            module.reset(::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module) return false;
        // "#" and a number: the system's name of a numbered resource.
        Icon.reset(static_cast<HICON>(::LoadImageW(module.get(), IconPath.c_str() + hash,
                                                   IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
        return Icon.valid();
    } catch (...) {
        return false; // no memory for the module's name
    }
}

bool GetUrlSecurityZoneInfo(const std::wstring& URL, std::wstring& ZoneName,
                            std::wstring& ZoneDescription, UniqueIcon& Icon,
                            const TZoneCalls& calls) noexcept {
    try {
        const ZONEATTRIBUTES attributes = ZoneAttributesOf(URL, calls);
        (void)LoadZoneIcon(FieldText(attributes.szIconPath), Icon);
        ZoneName = FieldText(attributes.szDisplayName);
        ZoneDescription = FieldText(attributes.szDescription);
        return true;
    } catch (...) {
        return false;
    }
}

bool SetApplicationZoneIcon(const std::wstring& URL, const std::wstring& /*Caption*/,
                            const std::wstring& /*Hint*/, const TZoneCalls& calls) noexcept {
    try {
        const ZONEATTRIBUTES attributes = ZoneAttributesOf(URL, calls);
        UniqueIcon icon;
        // A zone whose icon does not load leaves the program's own: replacing it with none would
        // leave the launcher's windows and tray with the system's blank icon.
        if (LoadZoneIcon(FieldText(attributes.szIconPath), icon) && icon)
            Application->SetIcon(icon.get()); // a copy: the temporary goes here
    } catch (...) {
        // No memory for the icon path: the application keeps its icon.
    }
    return true;
}

bool GetPageSslStatus(IDispatch* Browser, const std::wstring& URL, std::wstring& SSLName,
                      std::wstring& SSLDescription) {
    if (URL.find(L"https://") == std::wstring::npos) {
        SSLName = L"None";
        SSLDescription = L"The page is not secured.";
        return false;
    }
    const OleVariant protocol = OleGetProperty(Browser, L"Document.Location.Protocol");
    if (VariantToString(protocol.get()) != L"https:") return false;
    SSLName = L"SSL";
    SSLDescription = L"It is a secure web page.";
    return true;
}

} // namespace tn
