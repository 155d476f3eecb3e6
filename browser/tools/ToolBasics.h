// The small routines the browser tools lean on: the system version test, the HTML-document test,
// the certificate import, and (from UrlText.h) the URL text rules.
#pragma once

#include "browser/tools/UrlText.h"

#include <windows.h>
#include <unknwn.h>
#include <wincrypt.h>

#include <string>

namespace tn {

// The platform calls behind the version test; a test puts doubles in their place.
struct VersionTestCalls {
    HMODULE(WINAPI* loadLibrary)(LPCWSTR name);
    FARPROC(WINAPI* getProcAddress)(HMODULE module, LPCSTR name);
};
[[nodiscard]] const VersionTestCalls& SystemVersionTestCalls() noexcept;

// Windows XP SP2 or later, asked of the version-test entry points of "kernel32.dll"; False when
// they are missing.
[[nodiscard]] bool
IsWinXPSP2OrLater(const VersionTestCalls& calls = SystemVersionTestCalls()) noexcept;

// True when the object (may be null) answers IHTMLDocument2.
[[nodiscard]] bool IsHtmlDocument(IUnknown* document) noexcept;

// The certificate-store calls behind the import; a test puts doubles in their place.
struct CertStoreCalls {
    PCCERT_CONTEXT(WINAPI* createContext)(DWORD encoding, const BYTE* data, DWORD size);
    HCERTSTORE(WINAPI* openSystemStore)(HCRYPTPROV_LEGACY provider, LPCWSTR name);
    BOOL(WINAPI* addContext)
    (HCERTSTORE store, PCCERT_CONTEXT context, DWORD disposition, PCCERT_CONTEXT* added);
    BOOL(WINAPI* closeStore)(HCERTSTORE store, DWORD flags);
    BOOL(WINAPI* freeContext)(PCCERT_CONTEXT context);
};
[[nodiscard]] const CertStoreCalls& SystemCertStoreCalls() noexcept;

// Adds the certificate file to the current user's system store StoreType, replacing an equal one.
// False for a missing file, a file that is no certificate, or a store that cannot take it; a file
// that cannot be read raises EFileError.
[[nodiscard]] bool ImportCertificateFile(const std::wstring& FileName,
                                         const std::wstring& StoreType,
                                         const CertStoreCalls& calls = SystemCertStoreCalls());

} // namespace tn
