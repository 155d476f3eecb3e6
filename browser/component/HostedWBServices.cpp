// The component's reach into the system's browser settings: folders, favourites, history and
// online state, zones and certificates, stored pages and window sizes, mail and the browser's own
// window commands. Each operation hands its work to one tool routine.
#include "browser/component/HostedWB.h"

#include "browser/tools/ShellTools.h"
#include "browser/tools/StoredSettings.h"
#include "browser/tools/ToolBasics.h"
#include "browser/tools/UrlCache.h"
#include "browser/tools/Zones.h"

#include <type_traits>

namespace tn {

namespace {

// These operations promise their callers a result, never an exception: whatever the routine, or
// a read of the control on the way, raises ends here as the operation's neutral result (false,
// an empty text, a null window, nothing done).
template <typename Call> auto Quietly(const Call& call) noexcept {
    using Result = decltype(call());
    try {
        return call();
    } catch (...) {
        if constexpr (!std::is_void_v<Result>) return Result{};
    }
}

} // namespace

const TInternetClientCalls& THostedWB::InternetClient() const noexcept {
    return SystemInternetClient();
}

const ShellCalls& THostedWB::Shell() const noexcept {
    return SystemShellCalls();
}

// --- folders, paths and host --------------------------------------------------------------------

std::wstring THostedWB::GetCookiesPath() noexcept {
    return Quietly([] { return ReadShellFolderValue(L"Cookies"); });
}

std::wstring THostedWB::GetHistoryPath() noexcept {
    return Quietly([] { return ReadShellFolderValue(L"History"); });
}

std::wstring THostedWB::GetFavoritesPath() noexcept {
    return Quietly([] { return ReadShellFolderValue(L"Favorites"); });
}

std::wstring THostedWB::GetSpecialFolderPath(HWND CallerHandle, int CSIDL) noexcept {
    return Quietly([&] { return GetSpecialFolder(CallerHandle, CSIDL); });
}

std::wstring THostedWB::GetDefaultBrowserFromRegistry() noexcept {
    return Quietly([] { return GetDefaultBrowserCommand(); });
}

std::wstring THostedWB::GetCachedFileFromURL(const std::wstring& ItemUrl) const noexcept {
    return Quietly([&] { return FindCachedFileFromUrl(ItemUrl, InternetClient()); });
}

std::wstring THostedWB::URLFromFavorites(const std::wstring& dotURL) noexcept {
    return ReadInternetShortcutUrl(dotURL);
}

std::wstring THostedWB::UrlFromHistory(IShellFolder* ShellFolder, PCUITEMID_CHILD pidl) noexcept {
    return Quietly([&] { return GetHistoryItemUrl(ShellFolder, pidl); });
}

bool THostedWB::GetIPAndHostName(std::wstring& HostName, std::wstring& IPaddr,
                                 std::wstring& WSAErr) noexcept {
    return Quietly([&] { return GetLocalHostNameAndAddress(HostName, IPaddr, WSAErr); });
}

HWND THostedWB::GetIEHandle(THostedWB* WebBrowser, const std::wstring& ClassName) noexcept {
    if (!WebBrowser) return nullptr;
    return Quietly([&] { return WebBrowser->GetIEWin(ClassName); });
}

bool THostedWB::VariantIsObject(const VARIANT& value) noexcept {
    return value.vt == VT_DISPATCH;
}

// --- favourites, shortcuts, home page and window size -------------------------------------------

void THostedWB::AddToFavorites(const std::wstring& URL, const std::wstring& Title) noexcept {
    AddFavoriteEntry(URL, Title);
}

bool THostedWB::ShowOrganizeFavorites() noexcept {
    // The dialog runs the program's messages, which may free this instance.
    return Quietly([this] {
        return AnswerIfLives(false,
                             [this] { return ShowOrganizeFavoritesDialog(HostWindow(), Shell()); });
    });
}

void THostedWB::CreateDesktopShortcut() noexcept {
    if (const HWND wnd = ControlWindow()) CreateShortcutCommand(wnd);
}

void THostedWB::ShowIEVersionInfo() noexcept {
    if (const HWND wnd = ControlWindow()) ShowVersionDialogCommand(wnd);
}

void THostedWB::SetNewHomePage(const std::wstring& HomePage) noexcept {
    SetBrowserStartPage(HomePage);
}

bool THostedWB::GetLastVisitedPage(std::wstring& LastVisitedPage) noexcept {
    return ReadLastVisitedPage(LastVisitedPage);
}

bool THostedWB::SaveLastVisitedPage() noexcept {
    return Quietly([this] { return WriteLastVisitedPage(LocationURL()); });
}

void THostedWB::SaveApplicationFormSize() noexcept {
    SaveMainFormPlacement();
}

void THostedWB::RestoreApplicationFormSize() noexcept {
    RestoreMainFormPlacement();
}

// --- history, typed addresses and online state --------------------------------------------------

void THostedWB::ClearHistory() noexcept {
    Quietly([this] { DeleteUrlHistory(InternetClient()); });
}

void THostedWB::ClearTypedUrls() noexcept {
    DeleteTypedUrls();
}

bool THostedWB::CheckOnlineStatus() const noexcept {
    return IsConnectedToInternet(InternetClient());
}

bool THostedWB::IsGlobalOffline() const noexcept {
    return IsGlobalOfflineState(InternetClient());
}

void THostedWB::WorkOnline() noexcept {
    (void)SetGlobalOffline(false, InternetClient());
}

void THostedWB::WorkOffline() noexcept {
    (void)SetGlobalOffline(true, InternetClient());
}

// --- zones, security and certificates -----------------------------------------------------------

void THostedWB::AddToRestrictedSiteList(const std::wstring& URL) noexcept {
    Quietly([&] { AddRestrictedSite(URL); });
}

void THostedWB::AddToTrustedSiteList(const std::wstring& URL) noexcept {
    Quietly([&] { AddTrustedSite(URL); });
}

bool THostedWB::CheckIfInTrustedList(const std::wstring& Host, bool SecureSite) noexcept {
    return Quietly([&] { return IsHostInTrustedZone(Host, SecureSite); });
}

bool THostedWB::CheckIfInRestricredList(const std::wstring& Host, bool SecureSite) noexcept {
    return Quietly([&] { return IsHostInRestrictedZone(Host, SecureSite); });
}

bool THostedWB::ImportCertFile(const std::wstring& FileName,
                               const std::wstring& StoreType) noexcept {
    return Quietly([&] { return ImportCertificateFile(FileName, StoreType); });
}

void THostedWB::GetZoneIcon(const std::wstring& IconPath, UniqueIcon& Icon) noexcept {
    (void)LoadZoneIcon(IconPath, Icon);
}

ZONEATTRIBUTES THostedWB::GetZoneAttributes(const std::wstring& URL) noexcept {
    ZONEATTRIBUTES attributes{};
    attributes.cbSize = sizeof attributes;
    GetUrlZoneAttributes(URL, attributes);
    return attributes;
}

bool THostedWB::GetZoneIconToForm() noexcept {
    return Quietly([this] { return SetApplicationZoneIcon(LocationURL(), Caption(), Hint); });
}

bool THostedWB::GetSSLStatus(std::wstring& SSLName, std::wstring& SSLDescription) noexcept {
    return Quietly([&] {
        return GetPageSslStatus(Application().get(), LocationURL(), SSLName, SSLDescription);
    });
}

bool THostedWB::GetURLSecurityZone(std::wstring& ZoneName, std::wstring& ZoneDescription,
                                   UniqueIcon& Icon) noexcept {
    return Quietly(
        [&] { return GetUrlSecurityZoneInfo(LocationURL(), ZoneName, ZoneDescription, Icon); });
}

// --- mail ---------------------------------------------------------------------------------------

void THostedWB::SendPageInMailAsAttachment(TComponent* aOwner, const std::wstring& FileName,
                                           const std::wstring& Subject,
                                           const std::wstring& Body) noexcept {
    Quietly([&] { MailPageAsAttachment(*this, aOwner, FileName, Subject, Body); });
}

void THostedWB::CreateNewMail() noexcept {
    (void)Quietly([] { return OpenNewMailMessage(); });
}

void THostedWB::SendURLInMail() noexcept {
    Quietly([this] { SendTextInMail(LocationURL(), LocationName()); });
}

} // namespace tn
