// The browser component's user agent, HTML code, document loading, host information and protocol
// object. This platform's control has no document and never calls the host or protocol
// interfaces, so a document double stands in and the tests call the interfaces themselves.
#include "browser/component/BrowserModule.h"
#include "browser/component/HostedWB.h"

#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/ComDoubles.h"

#include <gtest/gtest.h>

#include <mshtmdid.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::HostInterface;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// The module's start-up, as in the program: LoadSettings applies the control word saved there.
class ModuleSetUp : public ::testing::Environment {
public:
    void SetUp() override { BrowserModuleStartup(); }
    void TearDown() override {
        static constexpr BrowserShutdownCalls kNoSystemCalls{
            [](const TProxyConnectionSettings&, bool) noexcept { return true; },
            [](bool) noexcept {}};
        BrowserModuleShutdown(kNoSystemCalls);
    }
};
[[maybe_unused]] const auto* const kModuleSetUp =
    ::testing::AddGlobalTestEnvironment(new ModuleSetUp);

constexpr wchar_t kPostPlatform[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
const std::wstring kTokenHead =
    L"User-agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)(";

using Bytes = std::vector<std::uint8_t>;

Bytes AsBytes(std::string_view s) {
    return {s.begin(), s.end()};
}

// A document that loads from a stream as the browser's document does: it asks the stream for its
// size, then reads it in small pieces.
class FakeDocument final : public test::DispatchStubs<IDispatch>, public IPersistStreamInit {
public:
    Bytes loaded;
    int loads = 0;
    ULONGLONG statSize = 0;
    HRESULT loadResult = S_OK;
    bool keepStream = false;
    ComPtr<IStream> kept;
    bool persists = true; // answers IPersistStreamInit

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == IID_IPersistStreamInit && persists)
            *ppv = static_cast<IPersistStreamInit*>(this);
        else
            *ppv = nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
        ++loads;
        STATSTG st{};
        if (FAILED(stream->Stat(&st, STATFLAG_NONAME))) return E_FAIL;
        statSize = st.cbSize.QuadPart;
        loaded.clear();
        std::uint8_t piece[3];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(piece, sizeof piece, &got)) && got > 0)
            loaded.insert(loaded.end(), piece, piece + got);
        if (keepStream) kept = ComPtr<IStream>(stream);
        return loadResult;
    }
    HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
};

// The component with a document double, a ready-state double and the ambient announcements
// counted.
class AgentWB : public THostedWB {
public:
    explicit AgentWB(TComponent* owner) : THostedWB(owner) {}

    FakeDocument* document = nullptr;
    // The document appears only once a navigation to about:blank began.
    bool documentAfterBlank = false;
    bool blankStarted = false;
    long readyState = 1;
    std::vector<DISPID> announced;

    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        if (!document || (documentAfterBlank && !blankStarted)) return {};
        return ComPtr<IDispatch>(static_cast<IDispatch*>(document));
    }

protected:
    void NotifyAmbientChange(DISPID id) noexcept override {
        announced.push_back(id);
        THostedWB::NotifyAmbientChange(id);
    }
    [[nodiscard]] long ReadyState() const override { return readyState; }
};

// The component on a shown form, every navigation recorded and cancelled (no request leaves).
struct BrowserForm {
    BrowserForm() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 520, 400);
        wb = TComponent::Create<AgentWB>(*form);
        wb->SetParent(form);
        wb->SetBounds(16, 24, 490, 358);
        wb->document = &doc;
        wb->OnBeforeNavigate2 = [this](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&,
                                       VARIANT&, VARIANT&, bool& cancel) {
            const std::wstring u = VariantToString(url);
            navigations.push_back(u);
            if (u == L"about:blank") wb->blankStarted = true;
            cancel = true;
        };
        wb->OnHTMLCodeChange = [this](TObject*, const std::vector<std::wstring>& code,
                                      bool& handled) {
            changes.push_back(code);
            handled = handleChange;
        };
        form->Show();
        (void)wb->Handle();
    }
    ~BrowserForm() { TComponent::Free(form); }
    BrowserForm(const BrowserForm&) = delete;
    BrowserForm& operator=(const BrowserForm&) = delete;

    TForm* form;
    AgentWB* wb;
    FakeDocument doc;
    std::vector<std::wstring> navigations;
    std::vector<std::vector<std::wstring>> changes;
    bool handleChange = false;
};

// The values of the registry key, by name: the type and the data's first bytes as text.
struct RegValue {
    DWORD type = 0;
    std::wstring data;
    bool operator==(const RegValue&) const = default;
};

bool ReadPostPlatform(const std::wstring& name, RegValue& out) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kPostPlatform, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t data[64] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    const LSTATUS rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &out.type,
                                          reinterpret_cast<BYTE*>(data), &bytes);
    ::RegCloseKey(key);
    out.data = data;
    return rc == ERROR_SUCCESS;
}

bool TokenPresent(const std::wstring& agent) {
    RegValue v;
    return ReadPostPlatform(kTokenHead + agent + L")", v) && v == RegValue{REG_SZ, L""};
}

// Records every task-memory block freed while it is registered.
class FreeSpy final : public test::Fixed<IMallocSpy> {
public:
    FreeSpy() { registered_ = ::CoRegisterMallocSpy(this) == S_OK; }
    ~FreeSpy() {
        if (registered_) (void)::CoRevokeMallocSpy();
    }
    FreeSpy(const FreeSpy&) = delete;
    FreeSpy& operator=(const FreeSpy&) = delete;
    [[nodiscard]] bool Registered() const noexcept { return registered_; }
    [[nodiscard]] bool Freed(const void* p) const {
        return std::find(freed.begin(), freed.end(), p) != freed.end();
    }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cb) override { return cb; }
    void* STDMETHODCALLTYPE PostAlloc(void* p) override { return p; }
    void* STDMETHODCALLTYPE PreFree(void* p, BOOL) override {
        freed.push_back(p);
        return p;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* p, SIZE_T cb, void** ppNew, BOOL) override {
        *ppNew = p;
        return cb;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* p, BOOL) override { return p; }
    void* STDMETHODCALLTYPE PreGetSize(void* p, BOOL) override { return p; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* p, BOOL) override { return p; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    std::vector<const void*> freed;
    bool registered_ = false;
};

// A protocol sink that hands out an HTTP negotiator through its service provider, as the
// browser's sink does.
class FakeSink final : public IInternetProtocolSink,
                       public IServiceProvider,
                       public IHttpNegotiate {
public:
    bool offersServices = true;
    LONG refs = 0;
    std::vector<std::wstring> urls;
    std::vector<const wchar_t*> headersIn;
    std::vector<DWORD> reserved;
    wchar_t* extraOut = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IInternetProtocolSink)
            *ppv = static_cast<IInternetProtocolSink*>(this);
        else if (riid == IID_IServiceProvider && offersServices)
            *ppv = static_cast<IServiceProvider*>(this);
        else
            *ppv = nullptr;
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD, ULONG, ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT, DWORD, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (service != IID_IHttpNegotiate || riid != IID_IHttpNegotiate) return E_NOINTERFACE;
        *ppv = static_cast<IHttpNegotiate*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD r,
                                                   LPWSTR* extra) override {
        urls.emplace_back(url ? url : L"(null)");
        headersIn.push_back(headers);
        reserved.push_back(r);
        extraOut = CopyToTaskMem(L"X-Extra: 1\r\n");
        *extra = extraOut;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR*) override {
        return E_NOTIMPL;
    }
};

// --- host information ---------------------------------------------------------------------------

TEST(HostedWBHostInfo, StyleSheetAndNamespaceGoWhereTheBaseLeftNoneOnBothEntries) {
    static wchar_t baseCss[] = L"base css";
    struct Case {
        const char* name;
        const wchar_t* css;
        const wchar_t* ns;
        bool baseSuppliesCss;
        const wchar_t* expectCss; // nullptr: none
        const wchar_t* expectNs;
    };
    const Case cases[] = {
        {"nothing set", L"", L"", false, nullptr, nullptr},
        {"both set", L"body{margin:0}", L"ns1", false, L"body{margin:0}", L"ns1"},
        {"style sheet only", L"p{}", L"", false, L"p{}", nullptr},
        {"base style sheet stays", L"p{}", L"ns1", true, baseCss, L"ns1"},
    };
    for (const Case& c : cases) {
        for (const bool second : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (second ? ", UI handler 2" : ", UI handler"));
            auto wb = TComponent::CreateOwned<AgentWB>();
            wb->HostCSS = c.css;
            wb->HostNS = c.ns;
            if (c.baseSuppliesCss)
                wb->OnGetHostInfo = [](TObject*, DOCHOSTUIINFO& info) {
                    info.pchHostCss = baseCss;
                };
            DOCHOSTUIINFO info;
            std::memset(&info, 0xCC, sizeof info);
            const HRESULT hr = second ? HostInterface<IDocHostUIHandler2>(*wb)->GetHostInfo(&info)
                                      : HostInterface<IDocHostUIHandler>(*wb)->GetHostInfo(&info);
            ASSERT_EQ(hr, S_OK);
            EXPECT_EQ(info.dwFlags, 0x44000u); // the base's answer stands
            const auto same = [](const wchar_t* got, const wchar_t* want) {
                return want ? got && std::wstring(got) == want : got == nullptr;
            };
            EXPECT_TRUE(same(info.pchHostCss, c.expectCss));
            EXPECT_TRUE(same(info.pchHostNS, c.expectNs));
            // Copies in task memory for the control to free, never the component's own text.
            if (info.pchHostCss != baseCss) {
                EXPECT_NE(info.pchHostCss, wb->HostCSS.c_str());
                ::CoTaskMemFree(info.pchHostCss);
            }
            ::CoTaskMemFree(info.pchHostNS);
        }
    }
}

// --- protocol object ----------------------------------------------------------------------------

TEST(HostedWBProtocol, StartNegotiatesThroughTheSinkAndLeavesTheRequestToTheDefaultHandler) {
    auto wb = TComponent::CreateOwned<AgentWB>();
    const auto root = HostInterface<IInternetProtocolRoot>(*wb);
    const auto protocol = HostInterface<IInternetProtocol>(*wb);
    ASSERT_TRUE(root && protocol);

    FakeSink sink;
    FreeSpy spy;
    ASSERT_TRUE(spy.Registered());
    EXPECT_EQ(root->Start(L"http://example.invalid/page", &sink, nullptr, 0, 0),
              HRESULT(0x800C0011));
    ASSERT_EQ(sink.urls, std::vector<std::wstring>{L"http://example.invalid/page"});
    EXPECT_EQ(sink.headersIn.front(), nullptr);
    EXPECT_EQ(sink.reserved.front(), 0u);
    // The extra headers handed back are freed, and the sink is kept.
    EXPECT_TRUE(spy.Freed(sink.extraOut));
    EXPECT_EQ(sink.refs, 1);

    // A sink without services, and no sink at all, still send the request to the default handler.
    FakeSink plain;
    plain.offersServices = false;
    EXPECT_EQ(protocol->Start(L"http://example.invalid/", &plain, nullptr, 0, 0),
              HRESULT(0x800C0011));
    EXPECT_TRUE(plain.urls.empty());
    EXPECT_EQ(sink.refs, 0); // the earlier sink was let go
    EXPECT_EQ(protocol->Start(L"http://example.invalid/", nullptr, nullptr, 0, 0),
              HRESULT(0x800C0011));
    EXPECT_EQ(plain.refs, 0);

    EXPECT_EQ(protocol->Continue(nullptr), S_OK);
    EXPECT_EQ(protocol->Abort(E_ABORT, 0), E_NOTIMPL);
    EXPECT_EQ(protocol->Terminate(0), S_OK);
    EXPECT_EQ(protocol->Suspend(), E_NOTIMPL);
    EXPECT_EQ(protocol->Resume(), E_NOTIMPL);
    char buffer[8] = {};
    ULONG read = 99;
    EXPECT_EQ(protocol->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(protocol->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr), E_NOTIMPL);
    EXPECT_EQ(protocol->LockRequest(0), S_OK);
    EXPECT_EQ(protocol->UnlockRequest(), S_OK);
}

// --- user agent ---------------------------------------------------------------------------------

OleVariant AmbientUserAgent(TOleControl& wb, HRESULT& result) {
    DISPPARAMS none{};
    OleVariant v;
    result = HostInterface<IDispatch>(wb)->Invoke(DISPID_AMBIENT_USERAGENT, IID_NULL, 0,
                                                  DISPATCH_PROPERTYGET, &none, v.put(), nullptr,
                                                  nullptr);
    return v;
}

TEST(HostedWBUserAgent, InternalModeAnnouncesEachNewAgentOnceAndSuppliesItAsTheAmbient) {
    auto wb = TComponent::CreateOwned<AgentWB>();
    HRESULT hr = S_OK;
    (void)AmbientUserAgent(*wb, hr);
    const HRESULT hostAnswer = hr; // what the control host says when no agent is supplied
    EXPECT_NE(hostAnswer, S_OK);

    wb->SetUserAgent(L"Agent/1"); // in the default mode: nothing to announce
    EXPECT_TRUE(wb->announced.empty());
    wb->SetUserAgentMode(uaInternal);
    wb->SetUserAgent(L"Agent/1");
    wb->SetUserAgentMode(uaInternal);
    EXPECT_EQ(wb->announced, std::vector<DISPID>{DISPID_AMBIENT_USERAGENT});
    OleVariant v = AmbientUserAgent(*wb, hr);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(VariantToString(v.get()), L"Agent/1\r\n");

    wb->SetUserAgent(L"Agent/2");
    wb->SetUserAgent(L"Agent/2");
    EXPECT_EQ(wb->announced.size(), 2u);
    v = AmbientUserAgent(*wb, hr);
    EXPECT_EQ(VariantToString(v.get()), L"Agent/2\r\n");

    // An empty agent, or another mode, leaves the answer to the control host.
    wb->SetUserAgent(L"");
    EXPECT_EQ(wb->announced.size(), 3u);
    (void)AmbientUserAgent(*wb, hr);
    EXPECT_EQ(hr, hostAnswer);
    wb->SetUserAgent(L"Agent/3");
    wb->SetUserAgentMode(uaDefault);
    (void)AmbientUserAgent(*wb, hr);
    EXPECT_EQ(hr, hostAnswer);
    // Back in the internal mode with the agent already announced: nothing new to say.
    wb->SetUserAgentMode(uaInternal);
    EXPECT_EQ(wb->announced.size(), 4u);
}

TEST(HostedWBUserAgent, RegistryModeWritesOneTokenAndTakesItOutLeavingOtherValues) {
    const std::wstring other = L"Token of another program";
    {
        TRegistry reg(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey(kPostPlatform, true));
        reg.WriteString(other, L"kept");
    }
    {
        auto wb = TComponent::CreateOwned<AgentWB>();
        wb->SetUserAgent(L"Launcher 1");
        EXPECT_FALSE(TokenPresent(L"Launcher 1")); // the default mode writes nothing
        wb->SetUserAgentMode(uaRegistry);
        EXPECT_TRUE(TokenPresent(L"Launcher 1"));

        wb->SetUserAgent(L"Launcher 2");
        EXPECT_FALSE(TokenPresent(L"Launcher 1"));
        EXPECT_TRUE(TokenPresent(L"Launcher 2"));

        wb->SetUserAgentMode(uaInternal);
        EXPECT_FALSE(TokenPresent(L"Launcher 2"));
        wb->SetUserAgentMode(uaRegistry);
        EXPECT_TRUE(TokenPresent(L"Launcher 2"));
        wb->SetUserAgentMode(uaDefault);
        EXPECT_FALSE(TokenPresent(L"Launcher 2"));

        wb->SetUserAgentMode(uaRegistry);
        EXPECT_TRUE(TokenPresent(L"Launcher 2"));
        // Freeing the component takes its token out.
    }
    EXPECT_FALSE(TokenPresent(L"Launcher 2"));
    RegValue v;
    ASSERT_TRUE(ReadPostPlatform(other, v));
    EXPECT_EQ(v, (RegValue{REG_SZ, L"kept"}));
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(kPostPlatform, false));
    EXPECT_TRUE(reg.DeleteValue(other));
}

// While it lives, the current user's registry is a key that was deleted: every key below it
// fails to open or to be made (ERROR_KEY_DELETED).
class DeletedUserRegistry {
public:
    DeletedUserRegistry() {
        constexpr wchar_t kScratch[] = L"Software\\TnDeletedUserRegistry";
        EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &FKey, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(::RegDeleteKeyW(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
        EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, FKey), ERROR_SUCCESS);
    }
    DeletedUserRegistry(const DeletedUserRegistry&) = delete;
    DeletedUserRegistry& operator=(const DeletedUserRegistry&) = delete;
    ~DeletedUserRegistry() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegCloseKey(FKey);
    }

private:
    HKEY FKey = nullptr;
};

TEST(HostedWBUserAgent, TheSettersNeverRaiseWhenTheRegistryRefusesTheToken) {
    auto wb = TComponent::CreateOwned<AgentWB>();
    wb->SetUserAgent(L"Launcher 3");
    {
        const DeletedUserRegistry refusing;
        ASSERT_FALSE(TRegistry(HKEY_CURRENT_USER).OpenKey(kPostPlatform, true));
        EXPECT_NO_THROW(wb->SetUserAgentMode(uaRegistry));
        EXPECT_NO_THROW(wb->SetUserAgent(L"Launcher 4"));
        EXPECT_EQ(wb->UserAgentMode(), uaRegistry);
        EXPECT_EQ(wb->UserAgent(), L"Launcher 4");
    }
    EXPECT_FALSE(TokenPresent(L"Launcher 4")) << "nothing was written";
    // A value name the registry refuses (longer than it takes) raises nothing either.
    EXPECT_NO_THROW(wb->SetUserAgent(std::wstring(20000, L'x')));
    // Once the registry takes it, the token is written as before.
    wb->SetUserAgent(L"Launcher 5");
    EXPECT_TRUE(TokenPresent(L"Launcher 5"));
}

// --- HTML code ----------------------------------------------------------------------------------

TEST(HostedWBHtmlCode, AnAddressLineNavigatesOnceLoadedAndOnEveryChange) {
    BrowserForm f;
    f.wb->SetHTMLCode({L"about:blank"});
    EXPECT_TRUE(f.navigations.empty()); // not before the settings are loaded
    f.wb->LoadSettings();
    EXPECT_EQ(f.navigations, std::vector<std::wstring>{L"about:blank"});

    struct Case {
        const wchar_t* line;
        const wchar_t* reaches; // a part of the address the control navigates to
    };
    const Case cases[] = {
        {L"HTTP://127.0.0.1:1/upper", L"127.0.0.1:1/upper"},
        {L"www.example.invalid", L"www.example.invalid"},
        {L"ftp://127.0.0.1:1/file", L"127.0.0.1:1/file"},
        {L"file:///C:/nowhere/page.htm", L"nowhere"},
        {L"about:blank", L"about:blank"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        f.navigations.clear();
        f.wb->SetHTMLCode({c.line});
        ASSERT_EQ(f.navigations.size(), 1u);
        EXPECT_NE(f.navigations.front().find(c.reaches), std::wstring::npos)
            << testing::PrintToString(f.navigations.front());
    }
    EXPECT_TRUE(f.changes.empty());
    EXPECT_EQ(f.doc.loads, 0);
}

TEST(HostedWBHtmlCode, MarkupIsOfferedToTheHandlerAndLoadedAsTheDocument) {
    BrowserForm f;
    f.wb->LoadSettings();
    // The empty code of the launcher's layouts: offered, nothing loaded.
    ASSERT_EQ(f.changes.size(), 1u);
    EXPECT_TRUE(f.changes.front().empty());
    EXPECT_EQ(f.doc.loads, 0);

    f.wb->SetHTMLCode({L"<p>hello</p>"});
    EXPECT_EQ(f.doc.loaded, AsBytes("<p>hello</p>\r\n"));
    EXPECT_EQ(f.changes.back(), std::vector<std::wstring>{L"<p>hello</p>"});
    // An address among several lines is markup too.
    f.wb->SetHTMLCode({L"http://127.0.0.1:1/", L"<p>2</p>"});
    EXPECT_EQ(f.doc.loaded, AsBytes("http://127.0.0.1:1/\r\n<p>2</p>\r\n"));
    EXPECT_TRUE(f.navigations.empty());

    f.handleChange = true;
    f.wb->SetHTMLCode({L"<p>handled</p>"});
    EXPECT_EQ(f.doc.loads, 2);
    EXPECT_EQ(f.changes.size(), 4u);
}

// --- loading and navigation ---------------------------------------------------------------------

TEST(HostedWBLoading, LinesAreWrappedOnRequestAndWrittenInTheComponentEncoding) {
    auto wb = TComponent::CreateOwned<AgentWB>();
    FakeDocument doc;
    wb->document = &doc;
    struct Case {
        const char* name;
        std::vector<std::wstring> lines;
        bool addTags;
        UINT codePage;
        Bytes expected;
    };
    const Case cases[] = {
        {"lower-case html tag is not wrapped",
         {L"<html>", L"x</html>"},
         true,
         1252,
         AsBytes("<html>\r\nx</html>\r\n")},
        {"fragment is wrapped",
         {L"<p>x</p>"},
         true,
         1252,
         AsBytes("<html>\r\n<body>\r\n<body bgcolor=\"#ffffff\">\r\n<p>x</p>\r\n</body>\r\n"
                 "</html>\r\n")},
        {"no wrapping asked", {L"<p>x</p>"}, false, 1252, AsBytes("<p>x</p>\r\n")},
        {"code page", {L"\u00fc"}, false, 1252, Bytes{0xFC, '\r', '\n'}},
        {"UTF-8 with its mark",
         {L"\u00fc"},
         false,
         CP_UTF8,
         Bytes{0xEF, 0xBB, 0xBF, 0xC3, 0xBC, '\r', '\n'}},
        {"UTF-16 with its mark",
         {L"\u00fc"},
         false,
         1200,
         Bytes{0xFF, 0xFE, 0xFC, 0, '\r', 0, '\n', 0}},
        {"UTF-16 big-endian",
         {L"\u00fc"},
         false,
         1201,
         Bytes{0xFE, 0xFF, 0, 0xFC, 0, '\r', 0, '\n'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wb->SetEncoding(c.codePage);
        ASSERT_EQ(wb->LoadFromStrings(c.lines, c.addTags), S_OK);
        EXPECT_EQ(doc.loaded, c.expected);
        EXPECT_EQ(doc.statSize, c.expected.size());
    }
    // A code page the system cannot write in gives 1; Load's own failure is passed on.
    wb->SetEncoding(12345);
    const int loads = doc.loads;
    EXPECT_EQ(wb->LoadFromStrings({L"x"}), S_FALSE);
    EXPECT_EQ(doc.loads, loads);
    wb->SetEncoding(1252);
    doc.loadResult = E_ACCESSDENIED;
    EXPECT_EQ(wb->LoadFromStrings({L"x"}), E_ACCESSDENIED);
}

TEST(HostedWBLoading, TheStreamIsRewoundAndStaysTheCallersAfterTheLoad) {
    auto wb = TComponent::CreateOwned<AgentWB>();
    FakeDocument doc;
    doc.keepStream = true;
    wb->document = &doc;
    TMemoryStream stream;
    stream.Write("<b>x</b>", 8);
    ASSERT_EQ(stream.Position(), 8u);
    ASSERT_EQ(wb->LoadFromStream(stream), S_OK);
    EXPECT_EQ(doc.loaded, AsBytes("<b>x</b>"));
    // A document that keeps the stream past the load reads nothing more from it.
    ASSERT_TRUE(doc.kept);
    stream.SetPosition(0);
    char piece[4] = {};
    ULONG got = 99;
    EXPECT_TRUE(FAILED(doc.kept->Read(piece, sizeof piece, &got)));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(stream.Position(), 0u);
    doc.kept.reset(); // the adapter goes with the last reference

    // Without a document that loads from streams there is nothing to act on.
    doc.persists = false;
    EXPECT_EQ(wb->LoadFromStream(stream), S_FALSE);
    wb->document = nullptr;
    EXPECT_EQ(wb->LoadFromStrings({L"x"}), S_FALSE);
}

TEST(HostedWBLoading, WithoutADocumentAnEmptyOneIsAskedForFirst) {
    BrowserForm f;
    f.wb->documentAfterBlank = true;
    ASSERT_FALSE(f.wb->Document());
    EXPECT_EQ(f.wb->LoadFromStrings({L"<p>x</p>"}, false), S_OK);
    EXPECT_EQ(f.navigations, std::vector<std::wstring>{L"about:blank"});
    EXPECT_EQ(f.doc.loaded, AsBytes("<p>x</p>\r\n"));
    // With a document there already, no navigation.
    EXPECT_EQ(f.wb->LoadFromStrings({L"<p>y</p>"}), S_OK);
    EXPECT_EQ(f.navigations.size(), 1u);
}

TEST(HostedWBNavigation, GoNavigatesFoldersAsFileUrlsIgnoresBlanksAndWaitsOnRequest) {
    BrowserForm f;
    EXPECT_TRUE(f.wb->Go(L"  ", 0));
    EXPECT_TRUE(f.navigations.empty());

    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    ASSERT_TRUE(DirectoryExists(temp));
    // A folder is shown at once, without waiting for a page (this control reports the file URL
    // as the path).
    EXPECT_TRUE(f.wb->Go(temp, 1));
    EXPECT_EQ(f.navigations, std::vector<std::wstring>{temp});

    // A time-out waits for the page: complete at once, or never complete and stopped.
    f.wb->readyState = 4;
    EXPECT_TRUE(f.wb->Go(L"http://127.0.0.1:1/complete", 60000));
    f.wb->readyState = 1;
    f.wb->Stop();
    EXPECT_FALSE(f.wb->Go(L"http://127.0.0.1:1/stopped", 60000));
    EXPECT_EQ(f.navigations.back(), L"http://127.0.0.1:1/stopped");

    // The empty document with waiting returns once the page is complete.
    f.wb->readyState = 4;
    f.wb->AssignEmptyDocument(true);
    EXPECT_EQ(f.navigations.back(), L"about:blank");
}

} // namespace
