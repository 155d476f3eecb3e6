// The version test, the HTML-document test and the certificate import.
#include "browser/tools/ToolBasics.h"

#include "classlib/Handles.h"
#include "classlib/MemoryStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <mshtml.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tn;
using tn::testing::TempDir;
using tn::testing::WriteFileBytes;

template <typename F> FARPROC ToProc(F f) noexcept {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

// What the version-test doubles saw; one test at a time uses it.
struct VersionProbe {
    bool loads = true;
    bool hasVerify = true;
    bool hasSetMask = true;
    BOOL verifyResult = TRUE;
    std::vector<std::string> lookups;
    std::vector<std::pair<DWORD, BYTE>> maskCalls;
    bool verified = false;
    OSVERSIONINFOEXA info{};
    DWORD typeMask = 0;
    DWORDLONG conditionMask = 0;
} probe;

BOOL WINAPI FakeVerify(OSVERSIONINFOEXA* info, DWORD typeMask, DWORDLONG conditionMask) {
    probe.verified = true;
    probe.info = *info;
    probe.typeMask = typeMask;
    probe.conditionMask = conditionMask;
    return probe.verifyResult;
}
// Shifts in each call's type and condition, so the final mask shows the whole sequence.
ULONGLONG WINAPI FakeSetMask(ULONGLONG mask, DWORD type, BYTE condition) {
    probe.maskCalls.emplace_back(type, condition);
    return (mask << 16) | (type << 8) | condition;
}
HMODULE WINAPI FakeLoad(LPCWSTR name) {
    return probe.loads && std::wstring_view(name) == L"kernel32.dll"
               ? reinterpret_cast<HMODULE>(0x1000)
               : nullptr;
}
FARPROC WINAPI FakeLookup(HMODULE, LPCSTR name) {
    probe.lookups.emplace_back(name);
    if (probe.hasVerify && std::strcmp(name, "VerifyVersionInfoA") == 0) return ToProc(&FakeVerify);
    if (probe.hasSetMask && std::strcmp(name, "VerSetConditionMask") == 0)
        return ToProc(&FakeSetMask);
    return nullptr;
}
constexpr VersionTestCalls kFakeVersionCalls{&FakeLoad, &FakeLookup};

TEST(ToolBasics, VersionTestAsksForMajor5Minor1ServicePack2) {
    probe = {};
    EXPECT_TRUE(IsWinXPSP2OrLater(kFakeVersionCalls));
    ASSERT_TRUE(probe.verified);
    EXPECT_EQ(probe.info.dwOSVersionInfoSize, sizeof(OSVERSIONINFOEXA));
    EXPECT_EQ(probe.info.dwMajorVersion, 5u);
    EXPECT_EQ(probe.info.dwMinorVersion, 1u);
    EXPECT_EQ(probe.info.wServicePackMajor, 2u);
    EXPECT_EQ(probe.info.wServicePackMinor, 0u);
    EXPECT_EQ(probe.info.dwBuildNumber, 0u);
    EXPECT_EQ(probe.info.dwPlatformId, 0u);
    EXPECT_EQ(probe.info.wProductType, 0u);
    EXPECT_EQ(probe.typeMask, 0x33u);
    const std::vector<std::pair<DWORD, BYTE>> sequence = {{2, 3}, {1, 3}, {0x20, 3}, {0x10, 3}};
    EXPECT_EQ(probe.maskCalls, sequence);
    EXPECT_EQ(probe.conditionMask, 0x0203'0103'2003'1003ull);

    probe = {};
    probe.verifyResult = FALSE;
    EXPECT_FALSE(IsWinXPSP2OrLater(kFakeVersionCalls));
}

TEST(ToolBasics, VersionTestIsFalseWithoutTheLibraryOrEitherEntryPoint) {
    struct Case {
        bool loads, hasVerify, hasSetMask;
    };
    for (const Case& c : {Case{false, true, true}, Case{true, false, true}, Case{true, true, false},
                          Case{true, false, false}}) {
        SCOPED_TRACE(::testing::Message() << c.loads << c.hasVerify << c.hasSetMask);
        probe = {};
        probe.loads = c.loads;
        probe.hasVerify = c.hasVerify;
        probe.hasSetMask = c.hasSetMask;
        EXPECT_FALSE(IsWinXPSP2OrLater(kFakeVersionCalls));
        EXPECT_FALSE(probe.verified);
        EXPECT_TRUE(probe.maskCalls.empty());
        if (!c.loads) {
            EXPECT_TRUE(probe.lookups.empty());
        }
    }
}

TEST(ToolBasics, VersionTestOfThisSystemIsTrue) {
    EXPECT_TRUE(IsWinXPSP2OrLater());
}

// Answers IHTMLDocument2 (with itself: only Release is ever called on it) as configured, and
// counts its references.
class FakeDocument final : public IUnknown {
public:
    bool answers = false;
    HRESULT status = S_OK;
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        if (riid != IID_IHTMLDocument2) return E_NOINTERFACE;
        if (answers) {
            *ppv = this;
            AddRef();
        }
        return status;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(ToolBasics, HtmlDocumentTestLooksAtThePointerAndReleasesItAtOnce) {
    EXPECT_FALSE(IsHtmlDocument(nullptr));
    struct Case {
        bool answers;
        HRESULT status;
        bool html;
    };
    for (const Case& c : {Case{true, S_OK, true}, Case{false, E_NOINTERFACE, false},
                          Case{true, E_NOINTERFACE, true}, Case{false, S_OK, false}}) {
        SCOPED_TRACE(::testing::Message() << c.answers << " " << std::hex << c.status);
        FakeDocument doc;
        doc.answers = c.answers;
        doc.status = c.status;
        EXPECT_EQ(IsHtmlDocument(&doc), c.html);
        EXPECT_EQ(doc.refs, 1);
    }
}

// A self-signed certificate, DER.
const unsigned char kCertificate[] = {
    0x30, 0x82, 0x01, 0x8d, 0x30, 0x82, 0x01, 0x33, 0xa0, 0x03, 0x02, 0x01, 0x02, 0x02, 0x14, 0x05,
    0x9f, 0xba, 0x10, 0xf7, 0xd1, 0xe9, 0x1e, 0x92, 0x6d, 0x66, 0xb3, 0xea, 0x8a, 0xdf, 0x02, 0x6e,
    0x8a, 0xf0, 0x64, 0x30, 0x0a, 0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x04, 0x03, 0x02, 0x30,
    0x1b, 0x31, 0x19, 0x30, 0x17, 0x06, 0x03, 0x55, 0x04, 0x03, 0x0c, 0x10, 0x54, 0x6f, 0x6f, 0x6c,
    0x20, 0x42, 0x61, 0x73, 0x69, 0x63, 0x73, 0x20, 0x54, 0x65, 0x73, 0x74, 0x30, 0x20, 0x17, 0x0d,
    0x32, 0x36, 0x31, 0x32, 0x31, 0x30, 0x31, 0x31, 0x33, 0x37, 0x33, 0x30, 0x5a, 0x18, 0x0f, 0x32,
    0x31, 0x32, 0x36, 0x31, 0x31, 0x31, 0x36, 0x31, 0x31, 0x33, 0x37, 0x33, 0x30, 0x5a, 0x30, 0x1b,
    0x31, 0x19, 0x30, 0x17, 0x06, 0x03, 0x55, 0x04, 0x03, 0x0c, 0x10, 0x54, 0x6f, 0x6f, 0x6c, 0x20,
    0x42, 0x61, 0x73, 0x69, 0x63, 0x73, 0x20, 0x54, 0x65, 0x73, 0x74, 0x30, 0x59, 0x30, 0x13, 0x06,
    0x07, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48, 0xce, 0x3d, 0x03,
    0x01, 0x07, 0x03, 0x42, 0x00, 0x04, 0x5c, 0x2e, 0x99, 0x93, 0x40, 0x46, 0xf8, 0xe1, 0x4c, 0x59,
    0x40, 0x79, 0xde, 0xe7, 0xf4, 0x52, 0x77, 0x47, 0xd4, 0x5f, 0xcc, 0x3b, 0xaa, 0x74, 0x8d, 0xe4,
    0x3c, 0xbf, 0x8e, 0x02, 0x13, 0xac, 0x28, 0x6e, 0x57, 0xb5, 0x7b, 0xe4, 0x7e, 0x1f, 0x71, 0x21,
    0xd4, 0x12, 0x4e, 0x47, 0x28, 0x8c, 0x74, 0x86, 0xed, 0xf3, 0x0c, 0x56, 0xc8, 0x26, 0xba, 0xc4,
    0x0b, 0x6e, 0xe4, 0xb5, 0x05, 0x1b, 0xa3, 0x53, 0x30, 0x51, 0x30, 0x1d, 0x06, 0x03, 0x55, 0x1d,
    0x0e, 0x04, 0x16, 0x04, 0x14, 0x2b, 0x9a, 0xf3, 0xda, 0xc9, 0x95, 0x14, 0x39, 0xba, 0xcd, 0xb8,
    0xf6, 0x1d, 0x0f, 0x77, 0x1d, 0x01, 0x9a, 0x51, 0xca, 0x30, 0x1f, 0x06, 0x03, 0x55, 0x1d, 0x23,
    0x04, 0x18, 0x30, 0x16, 0x80, 0x14, 0x2b, 0x9a, 0xf3, 0xda, 0xc9, 0x95, 0x14, 0x39, 0xba, 0xcd,
    0xb8, 0xf6, 0x1d, 0x0f, 0x77, 0x1d, 0x01, 0x9a, 0x51, 0xca, 0x30, 0x0f, 0x06, 0x03, 0x55, 0x1d,
    0x13, 0x01, 0x01, 0xff, 0x04, 0x05, 0x30, 0x03, 0x01, 0x01, 0xff, 0x30, 0x0a, 0x06, 0x08, 0x2a,
    0x86, 0x48, 0xce, 0x3d, 0x04, 0x03, 0x02, 0x03, 0x48, 0x00, 0x30, 0x45, 0x02, 0x20, 0x1c, 0x8e,
    0x68, 0x74, 0x88, 0x41, 0x2d, 0x9e, 0x8c, 0x18, 0xeb, 0xeb, 0x64, 0x9b, 0x3f, 0xb9, 0xdb, 0x65,
    0xd0, 0x70, 0xb7, 0xed, 0x23, 0x2e, 0xa1, 0x5a, 0xf4, 0xac, 0xe9, 0xa7, 0xe1, 0xa6, 0x02, 0x21,
    0x00, 0xff, 0x53, 0x63, 0xc5, 0x72, 0xeb, 0x3d, 0xf6, 0x38, 0x0c, 0x08, 0x91, 0x7b, 0x6c, 0x8c,
    0x55, 0x09, 0xc7, 0x0b, 0x94, 0x2b, 0xf2, 0x60, 0xf0, 0x20, 0xff, 0x58, 0xde, 0x26, 0x64, 0xc5,
    0x13};
const std::string kCertificateBytes(reinterpret_cast<const char*>(kCertificate),
                                    sizeof kCertificate);

// What the certificate-store doubles were asked, in order; one test at a time uses it.
struct StoreProbe {
    bool creates = true;
    bool opens = true;
    BOOL addResult = TRUE;
    std::vector<std::string> calls;
    DWORD encoding = 0;
    std::string data;
    std::wstring storeName;
    HCRYPTPROV_LEGACY provider = 1;
    DWORD disposition = 0;
    DWORD closeFlags = 1;
    bool sameObjects = true;
} store;

CERT_CONTEXT fakeContext{};
int fakeStore = 0;

PCCERT_CONTEXT WINAPI FakeCreate(DWORD encoding, const BYTE* data, DWORD size) {
    store.calls.emplace_back("create");
    store.encoding = encoding;
    store.data.assign(reinterpret_cast<const char*>(data), size);
    return store.creates ? &fakeContext : nullptr;
}
HCERTSTORE WINAPI FakeOpen(HCRYPTPROV_LEGACY provider, LPCWSTR name) {
    store.calls.emplace_back("open");
    store.provider = provider;
    store.storeName = name;
    return store.opens ? &fakeStore : nullptr;
}
BOOL WINAPI FakeAdd(HCERTSTORE s, PCCERT_CONTEXT c, DWORD disposition, PCCERT_CONTEXT* added) {
    store.calls.emplace_back("add");
    store.sameObjects &= s == &fakeStore && c == &fakeContext && added == nullptr;
    store.disposition = disposition;
    return store.addResult;
}
BOOL WINAPI FakeClose(HCERTSTORE s, DWORD flags) {
    store.calls.emplace_back("close");
    store.sameObjects &= s == &fakeStore;
    store.closeFlags = flags;
    return TRUE;
}
BOOL WINAPI FakeFree(PCCERT_CONTEXT c) {
    store.calls.emplace_back("free");
    store.sameObjects &= c == &fakeContext;
    return TRUE;
}
constexpr CertStoreCalls kFakeStoreCalls{&FakeCreate, &FakeOpen, &FakeAdd, &FakeClose, &FakeFree};

TEST(ToolBasics, CertificateImportReleasesWhatItOpenedOnEveryRoad) {
    TempDir dir;
    const std::wstring file = dir.File(L"证书.cer");
    WriteFileBytes(file, kCertificateBytes);

    using Calls = std::vector<std::string>;
    struct Case {
        const char* name;
        bool creates, opens;
        BOOL addResult;
        bool result;
        Calls calls;
    };
    for (const Case& c : {
             Case{"imported", true, true, TRUE, true, {"create", "open", "add", "close", "free"}},
             Case{"store refuses",
                  true,
                  true,
                  FALSE,
                  false,
                  {"create", "open", "add", "close", "free"}},
             Case{"no store", true, false, TRUE, false, {"create", "open", "free"}},
             Case{"no certificate", false, true, TRUE, false, {"create"}},
         }) {
        SCOPED_TRACE(c.name);
        store = {};
        store.creates = c.creates;
        store.opens = c.opens;
        store.addResult = c.addResult;
        EXPECT_EQ(ImportCertificateFile(file, L"Root", kFakeStoreCalls), c.result);
        EXPECT_EQ(store.calls, c.calls);
        EXPECT_TRUE(store.sameObjects);
        EXPECT_EQ(store.encoding, 0x10001u);
        EXPECT_EQ(store.data, kCertificateBytes);
        if (c.creates) {
            EXPECT_EQ(store.provider, 0u);
            EXPECT_EQ(store.storeName, L"Root");
        }
        if (c.creates && c.opens) {
            EXPECT_EQ(store.disposition, 3u);
            EXPECT_EQ(store.closeFlags, 0u);
        }
    }
}

TEST(ToolBasics, CertificateImportOfAMissingFileTouchesNoStore) {
    TempDir dir;
    store = {};
    EXPECT_FALSE(ImportCertificateFile(dir.File(L"missing.cer"), L"Root", kFakeStoreCalls));
    EXPECT_FALSE(ImportCertificateFile(L"", L"Root", kFakeStoreCalls));
    EXPECT_TRUE(store.calls.empty());
}

TEST(ToolBasics, CertificateImportRaisesWhenTheFileCannotBeRead) {
    TempDir dir;
    const std::wstring file = dir.File(L"locked.cer");
    WriteFileBytes(file, kCertificateBytes);
    const UniqueHandleKernel locked(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    ASSERT_TRUE(locked);
    store = {};
    EXPECT_THROW((void)ImportCertificateFile(file, L"Root", kFakeStoreCalls), EFileError);
    EXPECT_TRUE(store.calls.empty());
}

struct CertContextFree {
    void operator()(PCCERT_CONTEXT c) const noexcept { ::CertFreeCertificateContext(c); }
};
using CertContextPtr = std::unique_ptr<const CERT_CONTEXT, CertContextFree>;
struct CertStoreClose {
    void operator()(HCERTSTORE s) const noexcept { ::CertCloseStore(s, 0); }
};
using CertStorePtr = std::unique_ptr<void, CertStoreClose>;

// The real stores: a store of the test's own, so no trusted store of the user is changed.
TEST(ToolBasics, CertificateImportAddsTheCertificateToTheNamedSystemStore) {
    TempDir dir;
    const wchar_t* const storeName = L"TnToolBasicsTest";
    const std::wstring good = dir.File(L"good.cer");
    const std::wstring junk = dir.File(L"junk.cer");
    const std::wstring empty = dir.File(L"empty.cer");
    WriteFileBytes(good, kCertificateBytes);
    WriteFileBytes(junk, "not a certificate");
    WriteFileBytes(empty, "");

    EXPECT_FALSE(ImportCertificateFile(junk, storeName));
    EXPECT_FALSE(ImportCertificateFile(empty, storeName));
    EXPECT_TRUE(ImportCertificateFile(good, storeName));
    EXPECT_TRUE(ImportCertificateFile(good, storeName)); // an equal one is replaced

    const CertContextPtr wanted(::CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, kCertificate, sizeof kCertificate));
    ASSERT_TRUE(wanted);
    const CertStorePtr s(::CertOpenSystemStoreW(0, storeName));
    ASSERT_TRUE(s);
    std::vector<CertContextPtr> found;
    for (PCCERT_CONTEXT c = nullptr; (c = ::CertEnumCertificatesInStore(s.get(), c)) != nullptr;)
        if (::CertCompareCertificate(X509_ASN_ENCODING, c->pCertInfo, wanted->pCertInfo))
            found.emplace_back(::CertDuplicateCertificateContext(c));
    ASSERT_EQ(found.size(), 1u);
    // Deleting frees the context, so the owner lets go of it first.
    EXPECT_TRUE(::CertDeleteCertificateFromStore(found.front().release()));
}

} // namespace
