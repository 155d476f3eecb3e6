// Downloading a URL to a file through the URL moniker library.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <string>

namespace tn {

// The platform call behind the download; a test puts a double in its place.
struct DownloadCalls {
    HRESULT(WINAPI* urlDownloadToFile)
    (LPUNKNOWN caller, LPCWSTR url, LPCWSTR file, DWORD reserved, LPBINDSTATUSCALLBACK callback);
};
[[nodiscard]] const DownloadCalls& SystemDownloadCalls() noexcept;

// Downloads SourceUrl into TargetFile, blocking the calling thread; true only when the library
// reports S_OK (which it also does for an error page or a folder that is missing: check the
// file). An exception gives false.
[[nodiscard]] bool DownloadUrlToFile(const std::wstring& SourceUrl, const std::wstring& TargetFile,
                                     const DownloadCalls& calls = SystemDownloadCalls()) noexcept;

} // namespace tn
