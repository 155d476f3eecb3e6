// The tools' host as the component is one (the real control never has a document here), the
// script and command helpers through the page doubles, the byte array of post data, and
// downloads from the stand-in server.
#include "browser/tools/Downloads.h"
#include "browser/component/HostedWB.h"
#include "browser/tools/ScriptTools.h"

#include "classlib/Forms.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::CountWatch;
using test::FakeBrowser;
using test::FakeDispatch;
using test::FakeDocument;
using test::FakeToolHost;
using test::FakeWindow;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// The group the browser's own commands and the grouped document commands go to.
constexpr GUID kBrowserCommandGroup = {
    0xED016940, 0xBD5B, 0x11CF, {0xBA, 0x4E, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x16}};

// The component with a document and an automation object that this platform's control never has.
class PageWB : public THostedWB {
public:
    explicit PageWB(TComponent* owner) : THostedWB(owner) {}
    IDispatch* document = nullptr;
    IDispatch* application = nullptr;
    [[nodiscard]] ComPtr<IDispatch> Document() const override { return ComPtr(document); }
    [[nodiscard]] ComPtr<IDispatch> Application() const override { return ComPtr(application); }
};

// --- the component as host ----------------------------------------------------------------------

TEST(ToolHost, TheRealControlHasNoDocumentSoNothingComesOutOrIsSaved) {
    FakeDocument stale;
    {
        const auto wb = TComponent::CreateOwned<THostedWB>();
        TBrowserToolHost& host = *wb;
        EXPECT_NE(host.Browser(), nullptr);
        EXPECT_EQ(host.HostWindow(), nullptr);
        EXPECT_FALSE(host.DocumentLoaded());
        ComPtr<IHTMLDocument2> doc(static_cast<IHTMLDocument2*>(&stale));
        EXPECT_FALSE(host.DocumentLoaded(doc));
        EXPECT_FALSE(doc) << "the out document is cleared first";
        // Without a window the wait ends at once.
        EXPECT_TRUE(WaitForDocument(host));
        EXPECT_FALSE(wb->GetDocument());
        EXPECT_EQ(host.SaveToFile(L"C:\\page.htm"), S_FALSE);
        EXPECT_EQ(host.LocationName(), L"");
    }
    EXPECT_EQ(stale.Count(), 1u);

    // With a window the wait for a document never ends by itself here: only the busy-wait handler
    // ends it.
    test::BrowserLayout<THostedWB> layout(300, 200);
    THostedWB* wb = layout.wb;
    const HWND window = wb->Handle();
    TBrowserToolHost& host = *wb;
    EXPECT_EQ(host.HostWindow(), window);
    EXPECT_EQ(host.HostWidth(), 300);
    EXPECT_EQ(host.HostHeight(), 200);
    int passes = 0;
    wb->OnBusyWait = [&](TObject*, DWORD, DWORD&, bool& cancel) { cancel = ++passes == 3; };
    EXPECT_FALSE(WaitForDocument(host));
    EXPECT_EQ(passes, 3);
    passes = 0;
    EXPECT_FALSE(wb->GetDocument());
    EXPECT_EQ(passes, 3) << "the document is read after the wait";
    passes = 0;
    EXPECT_EQ(host.SaveToFile(L"C:\\page.htm"), S_FALSE);
    EXPECT_EQ(passes, 3);
}

TEST(ToolHost, TheComponentsDocumentOverrideServesTheToolsAndIsSavedOnce) {
    FakeDocument doc;
    FakeBrowser browser;
    FakeWindow window;
    doc.SetWindow(&window);
    browser.SetDocument(doc.Dispatch());
    const CountWatch counts{&doc, &browser, &window};
    {
        const auto wb = TComponent::CreateOwned<PageWB>();
        wb->document = doc.Dispatch();
        wb->application = browser.Dispatch();
        TBrowserToolHost& host = *wb;
        EXPECT_EQ(host.Application().get(), browser.Dispatch());

        ComPtr<IHTMLDocument2> loaded;
        ASSERT_TRUE(host.DocumentLoaded(loaded));
        EXPECT_EQ(loaded.get(), static_cast<IHTMLDocument2*>(&doc));
        loaded.reset();
        EXPECT_EQ(wb->GetDocument().get(), static_cast<IHTMLDocument2*>(&doc));

        doc.fileSaveResult = STG_E_ACCESSDENIED;
        EXPECT_EQ(host.SaveToFile(L"C:\\saved page.htm"), STG_E_ACCESSDENIED);
        EXPECT_EQ(doc.fileSaves,
                  (std::vector<FakeDocument::FileSave>{{L"C:\\saved page.htm", FALSE}}));

        // The tools reach the page through the component.
        ExecScriptCode(host, L"go()", L"JScript");
        EXPECT_EQ(window.scripts, (std::vector<FakeWindow::Script>{{L"go()", L"JScript"}}));

        // A document that does not save to files gives S_FALSE; an object that is no HTML
        // document is no document at all.
        doc.Refuse(IID_IPersistFile);
        EXPECT_EQ(host.SaveToFile(L"C:\\again.htm"), S_FALSE);
        EXPECT_EQ(doc.fileSaves.size(), 1u);
        FakeDispatch other;
        wb->document = other.Dispatch();
        EXPECT_FALSE(host.DocumentLoaded());
        EXPECT_FALSE(wb->GetDocument());
        EXPECT_EQ(other.Count(), 1u);
    }
    EXPECT_TRUE(counts.Changed().empty());
}

// --- script calls -------------------------------------------------------------------------------

// A script object whose function "f" records its arguments as the array holds them (last
// argument first) and answers 42; it records how it was invoked.
class ScriptObject final : public test::FakeDispatchObject<IDispatch> {
public:
    ScriptObject() {
        bag.SetMethod(L"f", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
            received.clear();
            for (UINT i = 0; i < p.cArgs; ++i)
                received.push_back(Describe(p.rgvarg[i]));
            if (p.cArgs > 0 && p.rgvarg[0].vt == (VT_BYREF | VT_VARIANT))
                byRef = p.rgvarg[0].pvarVal;
            if (result) *result = OleVariant(LONG{42}).Detach();
            return S_OK;
        });
        bag.Raise(L"raises", L"Bad argument", L"JScript");
        bag.SetMethod(L"defers", [](const DISPPARAMS&, VARIANT*, EXCEPINFO* e) {
            if (e) e->pfnDeferredFillIn = &FillIn;
            return DISP_E_EXCEPTION;
        });
        bag.Fail(L"fails", E_FAIL);
    }
    std::vector<std::wstring> received;
    VARIANT* byRef = nullptr;
    WORD flags = 0;
    LCID locale = 1;
    bool nullInterface = false;

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD f, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        flags = f;
        locale = lcid;
        nullInterface = riid == IID_NULL;
        return FakeDispatchObject::Invoke(id, riid, lcid, f, params, result, excep, argErr);
    }

private:
    static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* e) {
        e->bstrDescription = Bstr(L"Filled later").detach();
        e->bstrSource = Bstr(L"Page").detach();
        return S_OK;
    }
    // The type and value; a text by the length its string carries.
    static std::wstring Describe(const VARIANT& v) {
        switch (v.vt) {
        case VT_I4:
            return L"I4 " + std::to_wstring(v.lVal);
        case VT_BOOL:
            return L"BOOL " + std::to_wstring(v.boolVal);
        case VT_R8:
            return L"R8 " + std::to_wstring(v.dblVal);
        case VT_CY:
            return L"CY " + std::to_wstring(v.cyVal.int64);
        case VT_I8:
            return L"I8 " + std::to_wstring(v.llVal);
        case VT_BSTR:
            return L"BSTR " + std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal));
        case VT_BYREF | VT_VARIANT:
            return L"BYREF VARIANT";
        default:
            return L"vt " + std::to_wstring(v.vt);
        }
    }
};

TShortString Short(std::string_view s) {
    TShortString r;
    r.bytes[0] = static_cast<std::uint8_t>(s.size());
    std::memcpy(r.bytes.data() + 1, s.data(), s.size());
    r.bytes[1 + s.size()] = '!'; // no terminator: the length decides
    return r;
}

TEST(ScriptTools, EachArgumentKindArrivesAsItsAutomationTypeLastItemFirst) {
    ScriptObject script;
    VARIANT caller;
    ::VariantInit(&caller);
    caller.vt = VT_I4;
    caller.lVal = 9;
    CY money;
    money.int64 = 15000; // 1.5 in currency units
    struct Case {
        const char* what;
        std::vector<TScriptArg> args;
        std::vector<std::wstring> received; // in array order: the last argument first
    };
    const std::vector<Case> cases = {
        {"integer then text", {7, L"abc"}, {L"BSTR abc", L"I4 7"}},
        {"Booleans", {true, false}, {L"BOOL 0", L"BOOL -1"}},
        {"float, currency, 64-bit",
         {2.5, money, std::int64_t{1} << 40},
         {L"I8 1099511627776", L"CY 15000", L"R8 2.500000"}},
        {"the caller's variant", {&caller}, {L"BYREF VARIANT"}},
        {"every text kind",
         {'c', "ansi", L'w', L"wide", std::string("8-bit"), std::wstring(L"\u4e2d\u6587"),
          Short("short"), static_cast<const wchar_t*>(nullptr), L""},
         {L"BSTR ", L"BSTR ", L"BSTR short", L"BSTR \u4e2d\u6587", L"BSTR 8-bit", L"BSTR wide",
          L"BSTR w", L"BSTR ansi", L"BSTR c"}},
        {"no arguments", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OleVariant result(L"before");
        InvokeScriptMethod(script.Dispatch(), L"F", c.args, result);
        EXPECT_EQ(script.received, c.received);
        EXPECT_EQ(result.vt(), VT_I4);
        EXPECT_EQ(VariantToInt(result.get()), 42);
        EXPECT_EQ(script.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
        EXPECT_EQ(script.locale, 0u);
        EXPECT_TRUE(script.nullInterface);
        EXPECT_EQ(script.Count(), 1u);
    }
    EXPECT_EQ(script.byRef, &caller) << "the caller's own variant, by reference";
    EXPECT_EQ(caller.vt, VT_I4);
    EXPECT_EQ(caller.lVal, 9);
    EXPECT_EQ(script.bag.asked, std::vector<std::wstring>(cases.size(), L"F"));
}

TEST(ScriptTools, AMissingMethodARefusedItemAndAFailingCallRaiseTheirTexts) {
    ScriptObject script;
    FakeDispatch stranger;
    struct Case {
        const char* what;
        IDispatch* object;
        const wchar_t* name;
        std::vector<TScriptArg> args;
        std::wstring message;
    };
    const std::vector<Case> cases = {
        {"unknown name",
         script.Dispatch(),
         L"nosuch",
         {},
         L"This object does not support this method"},
        {"no object", nullptr, L"f", {}, L"This object does not support this method"},
        {"an interface, counted from the end",
         script.Dispatch(),
         L"f",
         {stranger.Unknown(), 1, 2},
         L"Unsupported type for Parameter with Index 2"},
        {"no variant",
         script.Dispatch(),
         L"f",
         {static_cast<VARIANT*>(nullptr)},
         L"Unsupported type for Parameter with Index 0"},
        {"exception record",
         script.Dispatch(),
         L"raises",
         {1},
         L"Method call unsuccessful. Bad argument (JScript)."},
        {"record filled in later",
         script.Dispatch(),
         L"defers",
         {},
         L"Method call unsuccessful. Filled later (Page)."},
        {"plain failure", script.Dispatch(), L"fails", {}, L"Method call unsuccessful.  ()."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        script.received = {L"not called"};
        OleVariant result(L"before");
        try {
            InvokeScriptMethod(c.object, c.name, c.args, result);
            ADD_FAILURE() << "no exception";
        } catch (const EOleError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(result.vt(), VT_BOOL) << "false until the call succeeds";
        EXPECT_FALSE(VariantToBool(result.get()));
        EXPECT_EQ(script.Count(), 1u);
        EXPECT_EQ(stranger.Count(), 1u);
    }
    EXPECT_EQ(script.received, std::vector<std::wstring>{L"not called"});
}

TEST(ScriptTools, ScriptFunctionAndCodeGoToThePageAndNeedAnHtmlDocument) {
    FakeDocument doc;
    FakeWindow window;
    ScriptObject script;
    doc.SetWindow(&window);
    doc.bag.SetObject(L"Script", script.Dispatch());
    FakeToolHost host;
    const CountWatch counts{&doc, &window, &script};

    OleVariant result(L"stale");
    host.document = doc.Dispatch();
    ExecScriptFunction(host, L"f", {1, L"two"}, result);
    EXPECT_EQ(script.received, (std::vector<std::wstring>{L"BSTR two", L"I4 1"}));
    EXPECT_EQ(VariantToInt(result.get()), 42);
    // Its errors reach the caller.
    EXPECT_THROW(ExecScriptFunction(host, L"raises", {}, result), EOleError);

    window.execResult = DISP_E_EXCEPTION;
    ExecScriptCode(host, L"alert(1)", L"VBScript");
    EXPECT_EQ(window.scripts, (std::vector<FakeWindow::Script>{{L"alert(1)", L"VBScript"}}));
    window.bag.Fail(L"execScript", E_ACCESSDENIED);
    EXPECT_NO_THROW(ExecScriptCode(host, L"again()", L"JScript"));
    EXPECT_EQ(window.scripts.size(), 1u);

    // Without an HTML document nothing is called and the result stays empty.
    FakeDispatch notHtml;
    for (IDispatch* d : {static_cast<IDispatch*>(nullptr), notHtml.Dispatch()}) {
        host.document = d;
        result = OleVariant(L"stale");
        script.received.clear();
        ExecScriptFunction(host, L"f", {1}, result);
        EXPECT_TRUE(result.IsEmpty());
        EXPECT_TRUE(script.received.empty());
        ExecScriptCode(host, L"more()", L"JScript");
        EXPECT_EQ(window.scripts.size(), 1u);
    }
    EXPECT_TRUE(counts.Changed().empty());
}

// --- document commands --------------------------------------------------------------------------

// A command target that is no HTML document.
class TargetOnly final : public test::FakeObject<IOleCommandTarget> {};

TEST(ScriptTools, ExecOleCommandReachesOnlyAnHtmlDocumentsTargetInTheGroupOnRequest) {
    FakeDocument doc;
    TargetOnly target;
    const CountWatch counts{&doc, &target};
    OleVariant in(LONG{5}), out;

    EXPECT_EQ(ExecOleCommand(nullptr, true, 8, 0, in.ptr(), out.ptr()), S_FALSE);
    EXPECT_EQ(ExecOleCommand(target.Unknown(), true, 8, 0, in.ptr(), out.ptr()), S_FALSE);
    EXPECT_TRUE(target.commands.calls.empty());

    doc.commands.result = OLECMDERR_E_DISABLED;
    doc.commands.out = OleVariant(L"answer");
    EXPECT_EQ(ExecOleCommand(doc.Unknown(), false, OLECMDID_PAGESETUP, 0, in.ptr(), out.ptr()),
              OLECMDERR_E_DISABLED);
    EXPECT_EQ(ExecOleCommand(doc.Unknown(), true, 3, 2, in.ptr(), out.ptr()), OLECMDERR_E_DISABLED);
    ASSERT_EQ(doc.commands.calls.size(), 2u);
    const auto& plain = doc.commands.calls[0];
    EXPECT_FALSE(plain.grouped);
    EXPECT_EQ(plain.cmd, DWORD{OLECMDID_PAGESETUP});
    EXPECT_EQ(plain.option, 0u);
    EXPECT_EQ(VariantToInt(plain.in.get()), 5);
    EXPECT_TRUE(plain.out);
    EXPECT_EQ(VariantToString(out.get()), L"answer");
    const auto& grouped = doc.commands.calls[1];
    EXPECT_TRUE(grouped.grouped);
    EXPECT_TRUE(grouped.group == kBrowserCommandGroup);
    EXPECT_EQ(grouped.cmd, 3u);
    EXPECT_EQ(grouped.option, 2u);

    doc.Refuse(IID_IOleCommandTarget);
    EXPECT_EQ(ExecOleCommand(doc.Unknown(), false, 4, 0, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(doc.commands.calls.size(), 2u);
    EXPECT_TRUE(counts.Changed().empty());
}

// --- post data ----------------------------------------------------------------------------------

std::string ArrayBytes(const VARIANT& v) {
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(::SafeArrayGetDim(v.parray), 1u);
    LONG low = -1, high = -1;
    EXPECT_EQ(::SafeArrayGetLBound(v.parray, 1, &low), S_OK);
    EXPECT_EQ(::SafeArrayGetUBound(v.parray, 1, &high), S_OK);
    EXPECT_EQ(low, 0);
    void* data = nullptr;
    EXPECT_EQ(::SafeArrayAccessData(v.parray, &data), S_OK);
    std::string bytes(static_cast<const char*>(data), static_cast<std::size_t>(high - low + 1));
    (void)::SafeArrayUnaccessData(v.parray);
    return bytes;
}

TEST(ScriptTools, StringToByteArrayGivesOneByteForEachCharacterFromIndexZero) {
    OleVariant out(L"old content");
    StringToByteArray(L"", out);
    EXPECT_TRUE(out.IsEmpty());

    StringToByteArray(L"A", out);
    EXPECT_EQ(out.vt(), 8209);
    EXPECT_EQ(ArrayBytes(out.get()), "A");

    StringToByteArray(L"version=current&name=myname\r\n", out);
    EXPECT_EQ(ArrayBytes(out.get()), "version=current&name=myname\r\n");
}

// --- downloads ----------------------------------------------------------------------------------

struct DownloadDouble {
    static inline std::vector<std::wstring> calls;
    static inline HRESULT answer = S_OK;
    static inline bool raise = false;
    static HRESULT WINAPI Download(LPUNKNOWN caller, LPCWSTR url, LPCWSTR file, DWORD reserved,
                                   LPBINDSTATUSCALLBACK callback) {
        calls.push_back(std::wstring(caller ? L"caller " : L"") + url + L" > " + file + L" " +
                        std::to_wstring(reserved) + (callback ? L" callback" : L""));
        if (raise) throw std::runtime_error("download");
        return answer;
    }
};

TEST(Downloads, OnlySOkIsSuccessAndAnExceptionIsFailure) {
    const DownloadCalls calls{&DownloadDouble::Download};
    DownloadDouble::calls.clear();
    EXPECT_TRUE(DownloadUrlToFile(L"http://host/a.png", L"C:\\a.png", calls));
    EXPECT_EQ(DownloadDouble::calls, std::vector<std::wstring>{L"http://host/a.png > C:\\a.png 0"});
    DownloadDouble::answer = S_FALSE;
    EXPECT_FALSE(DownloadUrlToFile(L"http://host/a.png", L"C:\\a.png", calls));
    DownloadDouble::answer = INET_E_DOWNLOAD_FAILURE;
    EXPECT_FALSE(DownloadUrlToFile(L"http://host/a.png", L"C:\\a.png", calls));
    DownloadDouble::raise = true;
    EXPECT_FALSE(DownloadUrlToFile(L"http://host/a.png", L"C:\\a.png", calls));
    DownloadDouble::raise = false;
    DownloadDouble::answer = S_OK;
}

TEST(Downloads, TheFileHoldsTheServersBytesAndOnlyTheFileTellsAFailure) {
    const tn::testing::Standin standin;
    standin.Reset();
    const std::string bytes("\x89PNG\r\n\x1a\n\0binary\xff", 16);
    standin.Set("/images/a.png", {.status = 200, .body = bytes, .contentType = "image/png"});
    standin.Set("/images/gone.png", {.status = 404, .body = std::string("no such picture")});
    const tn::testing::TempDir dir;

    EXPECT_TRUE(DownloadUrlToFile(standin.Url(L"/images/a.png"), dir.File(L"a.png")));
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"a.png")), bytes);

    // Here a 404 and a missing folder are reported as success (platform notes): the error page
    // is saved in place of the picture, and nothing is written into the missing folder.
    EXPECT_TRUE(DownloadUrlToFile(standin.Url(L"/images/gone.png"), dir.File(L"gone.png")));
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"gone.png")), "no such picture");
    EXPECT_TRUE(
        DownloadUrlToFile(standin.Url(L"/images/a.png"), dir.File(L"missing\\folder\\a.png")));
    EXPECT_EQ(::GetFileAttributesW(dir.File(L"missing\\folder\\a.png").c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(standin.Requests(),
              (std::vector<std::string>{"/images/a.png", "/images/gone.png", "/images/a.png"}));
}

} // namespace
