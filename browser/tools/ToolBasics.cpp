#include "browser/tools/ToolBasics.h"

#include "classlib/FileUtil.h"
#include "classlib/MemoryStream.h"

#include <mshtml.h>

#include <memory>

namespace tn {

namespace {

using VerifyVersionInfoAProc = BOOL(WINAPI*)(OSVERSIONINFOEXA*, DWORD, DWORDLONG);
using VerSetConditionMaskProc = ULONGLONG(WINAPI*)(ULONGLONG, DWORD, BYTE);

// GetProcAddress hands out one generic type for every export.
template <typename F> F FromProc(FARPROC p) noexcept {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

HMODULE WINAPI SystemLoadLibrary(LPCWSTR name) {
    return ::LoadLibraryW(name);
}
FARPROC WINAPI SystemGetProcAddress(HMODULE module, LPCSTR name) {
    return ::GetProcAddress(module, name);
}

// The owners release through the call table they were made with, so test doubles see every
// release.
struct CertContextRelease {
    const CertStoreCalls* calls;
    void operator()(PCCERT_CONTEXT c) const noexcept { (void)calls->freeContext(c); }
};
struct CertStoreRelease {
    const CertStoreCalls* calls;
    void operator()(void* store) const noexcept { (void)calls->closeStore(store, 0); }
};

} // namespace

const VersionTestCalls& SystemVersionTestCalls() noexcept {
    static constexpr VersionTestCalls calls{&SystemLoadLibrary, &SystemGetProcAddress};
    return calls;
}

bool IsWinXPSP2OrLater(const VersionTestCalls& calls) noexcept {
    // Never freed: kernel32 stays loaded for the life of the process anyway.
    const HMODULE kernel = calls.loadLibrary(L"kernel32.dll");
    if (!kernel) return false;
    const auto verify =
        FromProc<VerifyVersionInfoAProc>(calls.getProcAddress(kernel, "VerifyVersionInfoA"));
    const auto setMask =
        FromProc<VerSetConditionMaskProc>(calls.getProcAddress(kernel, "VerSetConditionMask"));
    if (!verify || !setMask) return false;

    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwMajorVersion = 5;
    info.dwMinorVersion = 1;
    info.wServicePackMajor = 2;
    info.wServicePackMinor = 0;
    ULONGLONG mask = 0;
    mask = setMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = setMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = setMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    mask = setMask(mask, VER_SERVICEPACKMINOR, VER_GREATER_EQUAL);
    return verify(&info,
                  VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR,
                  mask) != FALSE;
}

bool IsHtmlDocument(IUnknown* document) noexcept {
    if (!document) return false;
    // The pointer decides, not the status: an object may hand one out with an odd status.
    IUnknown* html = nullptr;
    (void)document->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&html));
    if (!html) return false;
    html->Release();
    return true;
}

const CertStoreCalls& SystemCertStoreCalls() noexcept {
    static constexpr CertStoreCalls calls{&::CertCreateCertificateContext, &::CertOpenSystemStoreW,
                                          &::CertAddCertificateContextToStore, &::CertCloseStore,
                                          &::CertFreeCertificateContext};
    return calls;
}

bool ImportCertificateFile(const std::wstring& FileName, const std::wstring& StoreType,
                           const CertStoreCalls& calls) {
    if (!FileExists(FileName)) return false;
    TMemoryStream buffer;
    buffer.LoadFromFile(FileName);

    const std::unique_ptr<const CERT_CONTEXT, CertContextRelease> context(
        calls.createContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, buffer.Bytes().data(),
                            static_cast<DWORD>(buffer.Size())),
        CertContextRelease{&calls});
    if (!context) return false;
    const std::unique_ptr<void, CertStoreRelease> store(calls.openSystemStore(0, StoreType.c_str()),
                                                        CertStoreRelease{&calls});
    if (!store) return false;
    return calls.addContext(store.get(), context.get(), CERT_STORE_ADD_REPLACE_EXISTING, nullptr) !=
           FALSE;
}

} // namespace tn
