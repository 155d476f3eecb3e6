// Security zones: the user's zone map of trusted and restricted sites, the zone a URL belongs to
// with its name, description and icon, and whether the page is served over SSL.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>
#include <urlmon.h>

#include <cstdint>
#include <string>

namespace tn {

// The zone-map values: the zone a listed site belongs to.
inline constexpr std::int32_t kTrustedSitesZone = 2;
inline constexpr std::int32_t kRestrictedSitesZone = 4;

// The system's URL security and zone managers, made by the routines below; doubles in tests.
struct TZoneCalls {
    HRESULT(WINAPI* createSecurityManager)
    (IServiceProvider* provider, IInternetSecurityManager** manager, DWORD reserved);
    HRESULT(WINAPI* createZoneManager)
    (IServiceProvider* provider, IInternetZoneManager** manager, DWORD reserved);
};
[[nodiscard]] const TZoneCalls& SystemZoneCalls() noexcept;

// Appends the host's base domain, the text after its second dot from the end (the whole host
// when it has fewer dots), to BaseDomain.
void ExtractBaseDomain(const std::wstring& Host, std::wstring& BaseDomain);

// Whether the current user's zone map (its Domains, then its EscDomains list) puts the host in
// that zone for https (SecureSite) or http; a site listed for any protocol ("*") counts. False
// for a host that is not listed; a listed site with neither value raises ERegistryException.
[[nodiscard]] bool IsHostInRestrictedZone(const std::wstring& Host, bool SecureSite);
[[nodiscard]] bool IsHostInTrustedZone(const std::wstring& Host, bool SecureSite);

// Lists the URL's host as a trusted site for https. Only an https URL is taken: any other shows
// the one error box and writes nothing. Registry failures are swallowed.
void AddTrustedSite(const std::wstring& URL);
// Lists the URL's host (a text without "://" is the host), less a leading "www.", as a
// restricted site for any protocol. Registry failures are swallowed.
void AddRestrictedSite(const std::wstring& URL);

// The attributes of the URL's zone, read into Attributes (the caller sets its size). Left as
// given when a manager cannot be made or the URL maps to no zone.
void GetUrlZoneAttributes(const std::wstring& URL, ZONEATTRIBUTES& Attributes,
                          const TZoneCalls& calls = SystemZoneCalls()) noexcept;

// The 16 x 16 icon that a zone's icon path ("module#number") names, read from the module's
// resources without running its code. Icon is replaced when the module could be mapped (null
// when it holds no such icon) and left as it was otherwise; true when an icon came.
bool LoadZoneIcon(const std::wstring& IconPath, UniqueIcon& Icon) noexcept;

// Name, description and icon of the URL's zone; false when something raised on the way.
bool GetUrlSecurityZoneInfo(const std::wstring& URL, std::wstring& ZoneName,
                            std::wstring& ZoneDescription, UniqueIcon& Icon,
                            const TZoneCalls& calls = SystemZoneCalls()) noexcept;
// The application's icon becomes that of the URL's zone; always true. Caption and Hint are the
// caller's texts, which stay as they are.
bool SetApplicationZoneIcon(const std::wstring& URL, const std::wstring& Caption,
                            const std::wstring& Hint,
                            const TZoneCalls& calls = SystemZoneCalls()) noexcept;

// For a URL holding "https://", asks the browser object's document for the protocol of its
// location: "https:" gives "SSL" and "It is a secure web page." and true. Any other URL gives
// "None" and "The page is not secured." and false; any other protocol false with the texts as
// they were. A failing automation call raises EOleSysError.
bool GetPageSslStatus(IDispatch* Browser, const std::wstring& URL, std::wstring& SSLName,
                      std::wstring& SSLDescription);

} // namespace tn
