// The user's internet-client state that the browser control shares with every program: the URL
// cache, the typed-address list, the URL history and the process-wide online state.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <string_view>

namespace tn {

// Every entry kind that the cache's default search yields: stored pages and files, sticky and
// offline-tracked entries, cookies and URL history; edited and sparse entries are left out.
inline constexpr DWORD kUrlCacheDefaultFilter = 0x300035;

// The platform calls below the routines; the system's in production, a double in tests.
class TInternetClientCalls {
public:
    virtual ~TInternetClientCalls() = default;

    virtual HANDLE FindFirstUrlCacheEntryEx(LPCWSTR pattern, DWORD flags, DWORD filter,
                                            GROUPID group, INTERNET_CACHE_ENTRY_INFOW* entry,
                                            DWORD* size) const noexcept = 0;
    virtual BOOL FindNextUrlCacheEntryEx(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                                         DWORD* size) const noexcept = 0;
    virtual HANDLE FindFirstUrlCacheEntry(LPCWSTR pattern, INTERNET_CACHE_ENTRY_INFOW* entry,
                                          DWORD* size) const noexcept = 0;
    virtual BOOL FindNextUrlCacheEntry(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                                       DWORD* size) const noexcept = 0;
    virtual BOOL FindCloseUrlCache(HANDLE enumeration) const noexcept = 0;
    virtual BOOL DeleteUrlCacheEntry(LPCWSTR url) const noexcept = 0;

    virtual BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved) const = 0;
    virtual BOOL InternetQueryOption(HINTERNET handle, DWORD option, void* buffer,
                                     DWORD* length) const noexcept = 0;
    virtual BOOL InternetSetOption(HINTERNET handle, DWORD option, void* buffer,
                                   DWORD length) const noexcept = 0;
    // The system URL-history object.
    virtual HRESULT CreateUrlHistory(IUnknown** history) const noexcept = 0;
};

// The system's own calls; safe to use from any thread.
[[nodiscard]] const TInternetClientCalls& SystemInternetClient() noexcept;

// Deletes every entry of the user's cache that the default filter selects; reports nothing. A
// stop question, when given, is asked between two entries (a walk that must end early).
void DeleteAllCacheEntries(const TInternetClientCalls& calls = SystemInternetClient(),
                           const std::function<bool()>& stop = {}) noexcept;
// Steps of that walk: 0 or the system's error code. The first step hands out the enumeration
// handle (null when none was opened), which the caller closes.
[[nodiscard]] DWORD
DeleteFirstCacheEntry(HANDLE& enumeration,
                      const TInternetClientCalls& calls = SystemInternetClient()) noexcept;
[[nodiscard]] DWORD
DeleteNextCacheEntry(HANDLE enumeration,
                     const TInternetClientCalls& calls = SystemInternetClient()) noexcept;

// The local file of the cache entry whose source URL is exactly url (case-sensitive); empty when
// there is none.
[[nodiscard]] std::wstring
FindCachedFileFromUrl(std::wstring_view url,
                      const TInternetClientCalls& calls = SystemInternetClient());

// Removes the address bar's list of typed addresses; nothing when there is none.
void DeleteTypedUrls() noexcept;
// Empties the URL history; raises EOleSysError when the history object cannot be had.
void DeleteUrlHistory(const TInternetClientCalls& calls = SystemInternetClient());

[[nodiscard]] bool
IsConnectedToInternet(const TInternetClientCalls& calls = SystemInternetClient()) noexcept;
// Changes the connected state of the whole process; the system's result.
bool SetGlobalOffline(bool offline,
                      const TInternetClientCalls& calls = SystemInternetClient()) noexcept;
[[nodiscard]] bool
IsGlobalOfflineState(const TInternetClientCalls& calls = SystemInternetClient()) noexcept;

} // namespace tn
