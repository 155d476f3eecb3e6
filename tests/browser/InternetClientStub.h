// The internet-client calls with nothing behind them: an empty cache, no connection, options
// neither read nor set, no history object. A double overrides what its test looks at.
#pragma once

#include "browser/tools/UrlCache.h"

#include <windows.h>
#include <wininet.h>

namespace tn::test {

class InternetClientStub : public TInternetClientCalls {
public:
    HANDLE FindFirstUrlCacheEntryEx(LPCWSTR, DWORD, DWORD, GROUPID, INTERNET_CACHE_ENTRY_INFOW*,
                                    DWORD*) const noexcept override {
        return NoMoreItems();
    }
    BOOL FindNextUrlCacheEntryEx(HANDLE, INTERNET_CACHE_ENTRY_INFOW*,
                                 DWORD*) const noexcept override {
        return NoMoreItems() != nullptr;
    }
    HANDLE FindFirstUrlCacheEntry(LPCWSTR, INTERNET_CACHE_ENTRY_INFOW*,
                                  DWORD*) const noexcept override {
        return NoMoreItems();
    }
    BOOL FindNextUrlCacheEntry(HANDLE, INTERNET_CACHE_ENTRY_INFOW*,
                               DWORD*) const noexcept override {
        return NoMoreItems() != nullptr;
    }
    BOOL FindCloseUrlCache(HANDLE) const noexcept override { return TRUE; }
    BOOL DeleteUrlCacheEntry(LPCWSTR) const noexcept override { return FALSE; }
    BOOL InternetGetConnectedState(DWORD*, DWORD) const override { return FALSE; }
    BOOL InternetQueryOption(HINTERNET, DWORD, void*, DWORD*) const noexcept override {
        return FALSE;
    }
    BOOL InternetSetOption(HINTERNET, DWORD, void*, DWORD) const noexcept override { return FALSE; }
    HRESULT CreateUrlHistory(IUnknown** history) const noexcept override {
        *history = nullptr;
        return E_NOTIMPL;
    }

protected:
    static HANDLE NoMoreItems() noexcept {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return nullptr;
    }
};

} // namespace tn::test
