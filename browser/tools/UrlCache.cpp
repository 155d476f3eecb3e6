#include "browser/tools/UrlCache.h"

#include "classlib/ComPtr.h"
#include "classlib/Registry.h"

#include <urlhist.h>

#include <cstddef>
#include <memory>
#include <new>

namespace tn {

namespace {

inline constexpr GUID kCLSID_CUrlHistory = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
inline constexpr GUID kIID_IUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

constexpr DWORD kConnectedStateOption = 50; // INTERNET_OPTION_CONNECTED_STATE
constexpr DWORD kStateConnected = 0x1;
constexpr DWORD kStateDisconnectedByUser = 0x10;
constexpr DWORD kForceDisconnected = 0x1; // ISO_FORCE_DISCONNECTED

// Failures in a row, other than the end of the enumeration, after which a walk gives up: enough
// to ride out an entry that grew between its size query and its read while the page keeps
// caching, without spinning on a cache that keeps failing.
constexpr int kMaxStepFailures = 3;

class TSystemInternetClient final : public TInternetClientCalls {
public:
    HANDLE FindFirstUrlCacheEntryEx(LPCWSTR pattern, DWORD flags, DWORD filter, GROUPID group,
                                    INTERNET_CACHE_ENTRY_INFOW* entry,
                                    DWORD* size) const noexcept override {
        return ::FindFirstUrlCacheEntryExW(pattern, flags, filter, group, entry, size, nullptr,
                                           nullptr, nullptr);
    }
    BOOL FindNextUrlCacheEntryEx(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                                 DWORD* size) const noexcept override {
        return ::FindNextUrlCacheEntryExW(enumeration, entry, size, nullptr, nullptr, nullptr);
    }
    HANDLE FindFirstUrlCacheEntry(LPCWSTR pattern, INTERNET_CACHE_ENTRY_INFOW* entry,
                                  DWORD* size) const noexcept override {
        return ::FindFirstUrlCacheEntryW(pattern, entry, size);
    }
    BOOL FindNextUrlCacheEntry(HANDLE enumeration, INTERNET_CACHE_ENTRY_INFOW* entry,
                               DWORD* size) const noexcept override {
        return ::FindNextUrlCacheEntryW(enumeration, entry, size);
    }
    BOOL FindCloseUrlCache(HANDLE enumeration) const noexcept override {
        return ::FindCloseUrlCache(enumeration);
    }
    BOOL DeleteUrlCacheEntry(LPCWSTR url) const noexcept override {
        return ::DeleteUrlCacheEntryW(url);
    }
    BOOL InternetGetConnectedState(DWORD* flags, DWORD reserved) const override {
        return ::InternetGetConnectedState(flags, reserved);
    }
    BOOL InternetQueryOption(HINTERNET handle, DWORD option, void* buffer,
                             DWORD* length) const noexcept override {
        return ::InternetQueryOptionW(handle, option, buffer, length);
    }
    BOOL InternetSetOption(HINTERNET handle, DWORD option, void* buffer,
                           DWORD length) const noexcept override {
        return ::InternetSetOptionW(handle, option, buffer, length);
    }
    HRESULT CreateUrlHistory(IUnknown** history) const noexcept override {
        return ::CoCreateInstance(kCLSID_CUrlHistory, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(history));
    }
};

// One entry's buffer, exactly the size the system asked for; null when memory ran out.
class TEntryBuffer {
public:
    explicit TEntryBuffer(DWORD size) noexcept : FBytes(new (std::nothrow) std::byte[size]()) {}
    [[nodiscard]] INTERNET_CACHE_ENTRY_INFOW* get() const noexcept {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(FBytes.get());
    }
    explicit operator bool() const noexcept { return FBytes != nullptr; }

private:
    std::unique_ptr<std::byte[]> FBytes;
};

// The last error of a failed call; never 0, so a failure is never taken for a success.
DWORD FailureCode() noexcept {
    const DWORD code = ::GetLastError();
    return code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE;
}

void DeleteEntry(const INTERNET_CACHE_ENTRY_INFOW& entry,
                 const TInternetClientCalls& calls) noexcept {
    // An entry that cannot be deleted stays; the walk goes on.
    if (entry.lpszSourceUrlName) (void)calls.DeleteUrlCacheEntry(entry.lpszSourceUrlName);
}

bool SameUrl(const INTERNET_CACHE_ENTRY_INFOW& entry, std::wstring_view url) noexcept {
    return entry.lpszSourceUrlName && std::wstring_view(entry.lpszSourceUrlName) == url;
}

std::wstring LocalFile(const INTERNET_CACHE_ENTRY_INFOW& entry) {
    return entry.lpszLocalFileName ? std::wstring(entry.lpszLocalFileName) : std::wstring();
}

// Closes the enumeration when the lookup ends, however it ends.
class TCacheEnumeration {
public:
    TCacheEnumeration(HANDLE handle, const TInternetClientCalls& calls) noexcept
        : FHandle(handle), FCalls(calls) {}
    TCacheEnumeration(const TCacheEnumeration&) = delete;
    TCacheEnumeration& operator=(const TCacheEnumeration&) = delete;
    ~TCacheEnumeration() {
        if (FHandle) (void)FCalls.FindCloseUrlCache(FHandle);
    }
    [[nodiscard]] HANDLE get() const noexcept { return FHandle; }

private:
    HANDLE FHandle;
    const TInternetClientCalls& FCalls;
};

} // namespace

const TInternetClientCalls& SystemInternetClient() noexcept {
    static const TSystemInternetClient calls;
    return calls;
}

DWORD DeleteFirstCacheEntry(HANDLE& enumeration, const TInternetClientCalls& calls) noexcept {
    enumeration = nullptr;
    DWORD size = 0;
    // The size query opens nothing on the system; should it ever, that handle is not ours to keep.
    if (const HANDLE probe =
            calls.FindFirstUrlCacheEntryEx(nullptr, 0, kUrlCacheDefaultFilter, 0, nullptr, &size))
        (void)calls.FindCloseUrlCache(probe);
    const TEntryBuffer entry(size);
    if (!entry) return ERROR_NOT_ENOUGH_MEMORY;
    enumeration =
        calls.FindFirstUrlCacheEntryEx(nullptr, 0, kUrlCacheDefaultFilter, 0, entry.get(), &size);
    if (!enumeration) return FailureCode();
    DeleteEntry(*entry.get(), calls);
    return ERROR_SUCCESS;
}

DWORD DeleteNextCacheEntry(HANDLE enumeration, const TInternetClientCalls& calls) noexcept {
    DWORD size = 0;
    (void)calls.FindNextUrlCacheEntryEx(enumeration, nullptr, &size);
    const TEntryBuffer entry(size);
    if (!entry) return ERROR_NOT_ENOUGH_MEMORY;
    if (!calls.FindNextUrlCacheEntryEx(enumeration, entry.get(), &size)) return FailureCode();
    DeleteEntry(*entry.get(), calls);
    return ERROR_SUCCESS;
}

void DeleteAllCacheEntries(const TInternetClientCalls& calls,
                           const std::function<bool()>& stop) noexcept {
    HANDLE enumeration = nullptr;
    if (DeleteFirstCacheEntry(enumeration, calls) == ERROR_SUCCESS) {
        int failures = 0;
        while (!(stop && stop())) {
            const DWORD code = DeleteNextCacheEntry(enumeration, calls);
            if (code == ERROR_NO_MORE_ITEMS) break;
            if (code == ERROR_SUCCESS)
                failures = 0;
            else if (++failures >= kMaxStepFailures)
                break;
        }
    }
    // Closed whatever the first step gave, null included.
    (void)calls.FindCloseUrlCache(enumeration);
}

std::wstring FindCachedFileFromUrl(std::wstring_view url, const TInternetClientCalls& calls) {
    DWORD size = 0;
    if (const HANDLE probe = calls.FindFirstUrlCacheEntry(nullptr, nullptr, &size))
        (void)calls.FindCloseUrlCache(probe);
    HANDLE handle = nullptr;
    bool matched = false;
    std::wstring found;
    {
        const TEntryBuffer entry(size);
        if (!entry) return {};
        handle = calls.FindFirstUrlCacheEntry(nullptr, entry.get(), &size);
        if (handle && SameUrl(*entry.get(), url)) {
            matched = true;
            found = LocalFile(*entry.get());
        }
    }
    const TCacheEnumeration enumeration(handle, calls);
    if (!handle || matched) return found;

    for (int failures = 0; failures < kMaxStepFailures;) {
        size = 0;
        const BOOL probed = calls.FindNextUrlCacheEntry(handle, nullptr, &size);
        const DWORD code = probed ? ERROR_INVALID_DATA : ::GetLastError();
        if (code == ERROR_NO_MORE_ITEMS) break;
        if (code != ERROR_INSUFFICIENT_BUFFER) {
            ++failures;
            continue;
        }
        const TEntryBuffer entry(size);
        if (!entry) break;
        if (!calls.FindNextUrlCacheEntry(handle, entry.get(), &size)) {
            ++failures;
            continue;
        }
        failures = 0;
        if (SameUrl(*entry.get(), url)) return LocalFile(*entry.get());
    }
    return {};
}

void DeleteTypedUrls() noexcept {
    // A missing key is the same as an empty list.
    (void)TRegistry(HKEY_CURRENT_USER)
        .DeleteKey(L"Software\\Microsoft\\Internet Explorer\\TypedURLs");
}

void DeleteUrlHistory(const TInternetClientCalls& calls) {
    ComPtr<IUnknown> history;
    OleCheck(calls.CreateUrlHistory(history.put()));
    if (!history) throw EOleSysError(E_NOINTERFACE);
    ComPtr<IUrlHistoryStg2> stg;
    OleCheck(history->QueryInterface(kIID_IUrlHistoryStg2, stg.put_void()));
    if (!stg) throw EOleSysError(E_NOINTERFACE);
    // Whether the store could empty itself is not the caller's concern.
    (void)stg->ClearHistory();
}

bool IsConnectedToInternet(const TInternetClientCalls& calls) noexcept {
    try {
        DWORD flags = 7;
        return calls.InternetGetConnectedState(&flags, 0) != FALSE;
    } catch (...) {
        return false;
    }
}

bool SetGlobalOffline(bool offline, const TInternetClientCalls& calls) noexcept {
    INTERNET_CONNECTED_INFO info =
        offline ? INTERNET_CONNECTED_INFO{kStateDisconnectedByUser, kForceDisconnected}
                : INTERNET_CONNECTED_INFO{kStateConnected, 0};
    return calls.InternetSetOption(nullptr, kConnectedStateOption, &info, sizeof info) != FALSE;
}

bool IsGlobalOfflineState(const TInternetClientCalls& calls) noexcept {
    DWORD state = 0;
    DWORD length = sizeof state;
    return calls.InternetQueryOption(nullptr, kConnectedStateOption, &state, &length) != FALSE &&
           (state & kStateDisconnectedByUser) != 0;
}

} // namespace tn
