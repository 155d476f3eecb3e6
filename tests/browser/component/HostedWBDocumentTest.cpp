// The browser component's document, frame, loading, saving, source, form and script operations:
// through the real control (which never has a document here) and through a component that hands
// out page doubles as its document and automation object.
#include "browser/component/HostedWB.h"

#include "classlib/Forms.h"
#include "classlib/Handles.h"
#include "classlib/Jpeg.h"
#include "classlib/StdCtrls.h"
#include "classlib/Text.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::FakeBrowser;
using test::FakeCollection;
using test::FakeDispatch;
using test::FakeDocument;
using test::FakeElement;
using test::FakeSelection;
using test::FakeTextRange;
using test::FakeWindow;
using tn::testing::TempDir;
using Lines = std::vector<std::wstring>;
using Bytes = std::vector<std::uint8_t>;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

Bytes AsBytes(std::string_view s) {
    return {s.begin(), s.end()};
}

Bytes InCodePage(const std::wstring& t, UINT codePage) {
    const int n = ::WideCharToMultiByte(codePage, 0, t.data(), static_cast<int>(t.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, t.data(), static_cast<int>(t.size()), out.data(), n, nullptr,
                          nullptr);
    return AsBytes(out);
}

Bytes Utf8WithMark(const std::wstring& t) {
    Bytes bytes = {0xEF, 0xBB, 0xBF};
    const std::string body = text::ToUtf8(t);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TMemoryStream StreamOf(const Bytes& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    return stream;
}

// The component with a document, an automation object and a control of the test's (this
// platform's control has no document). Its waits are recorded; with documentAfterWait the
// document shows only once a wait has run.
class DocWB : public THostedWB {
public:
    explicit DocWB(TComponent* owner) : THostedWB(owner) {}
    IDispatch* document = nullptr;
    IDispatch* application = nullptr;
    IWebBrowser2* browser = nullptr;
    bool documentAfterWait = false;
    std::vector<DWORD> waits;

    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        if (documentAfterWait && waits.empty()) return {};
        return ComPtr(document);
    }
    [[nodiscard]] ComPtr<IDispatch> Application() const override { return ComPtr(application); }
    [[nodiscard]] IWebBrowser2* Browser() const override { return browser; }
    bool Wait(DWORD TimeOut) override {
        waits.push_back(TimeOut);
        return true;
    }
};

// A frame element of a page: it answers the frame element interface and, as the browser's do,
// the web-browser interface of the frame, whose document it hands out.
class FakeFrameElement
    : public test::FakeDispatchObject<IHTMLElement, IHTMLFrameElement, IWebBrowser2> {
public:
    explicit FakeFrameElement(IDispatch* document) {
        bag.DeclareObjects({L"Document"});
        bag.SetObject(L"Document", document);
    }
    HRESULT STDMETHODCALLTYPE get_Document(IDispatch** p) override {
        return bag.GetDispatch(L"Document", p);
    }
};

// A frame: the browser the container enumerates and the document it shows.
struct Frame {
    FakeBrowser browser;
    FakeDocument doc;
    Frame() { browser.SetDocument(doc.Dispatch()); }
    IUnknown* Object() noexcept { return browser.Unknown(); }
};

// A page with a body, a document element, a window and two frames; the component hands it out.
struct Page {
    FakeBrowser app;
    FakeDocument doc;
    FakeElement body{L"BODY"};
    FakeElement root{L"HTML"};
    FakeWindow window;
    Frame frames[2];
    TComponent::Owned<DocWB> wb = TComponent::CreateOwned<DocWB>();

    Page() {
        doc.SetBody(&body);
        doc.SetWindow(&window);
        doc.bag.SetObject(L"documentElement", root.Dispatch());
        doc.embeddings = {frames[0].Object(), frames[1].Object()};
        app.SetDocument(doc.Dispatch());
        wb->document = doc.Dispatch();
        wb->application = app.Dispatch();
        wb->browser = &app;
    }
    IHTMLDocument2* Doc2(FakeDocument& d) { return static_cast<IHTMLDocument2*>(&d); }
};

// --- the real control ---------------------------------------------------------------------------

// Each operation, run on the component, is true when it gave its neutral value.
struct NeutralCase {
    const char* name;
    bool waits;
    std::function<bool(THostedWB&)> neutral;
};

std::vector<NeutralCase> NeutralCases(const std::wstring& file, TImage& image) {
    const auto none = [](auto&& call) {
        return [call](THostedWB& wb) {
            call(wb);
            return true;
        };
    };
    return {
        {"GetFrame", false, [](THostedWB& wb) { return !wb.GetFrame(0); }},
        {"GetFrameFromDocument", false,
         [](THostedWB& wb) { return !wb.GetFrameFromDocument(nullptr, 0); }},
        {"RefreshFrame", true, none([](THostedWB& wb) { wb.RefreshFrame(0); })},
        {"NavigateToFrame", true, [](THostedWB& wb) { return !wb.NavigateToFrame(L"0"); }},
        {"FrameCount", true, [](THostedWB& wb) { return wb.FrameCount() == 0; }},
        {"FrameCountFromDocument", true,
         [](THostedWB& wb) { return wb.FrameCountFromDocument(nullptr) == 0; }},
        {"GetActiveFrame", false, [](THostedWB& wb) { return !wb.GetActiveFrame(); }},
        {"GetActiveElement", false, [](THostedWB& wb) { return !wb.GetActiveElement(nullptr); }},
        {"GetSelectedText", false,
         [](THostedWB& wb) { return wb.GetSelectedText(true, false).empty(); }},
        {"GetSelLength", false, [](THostedWB& wb) { return wb.GetSelLength(true) == 0; }},
        {"LoadFromString", false,
         [](THostedWB& wb) { return wb.LoadFromString(L"<p>x</p>") == S_FALSE; }},
        {"LoadFromWideString", false,
         [](THostedWB& wb) { return wb.LoadFromWideString(L"<p>x</p>") == S_FALSE; }},
        {"LoadFromFile", false, [file](THostedWB& wb) { return wb.LoadFromFile(file) == S_FALSE; }},
        {"LoadFromImage", false,
         [&image](THostedWB& wb) { return wb.LoadFromImage(&image) == S_FALSE; }},
        {"LoadFrameFromStrings", false,
         [](THostedWB& wb) { return wb.LoadFrameFromStrings(0, {L"<p>x</p>"}) == S_FALSE; }},
        {"LoadFrameFromStream", false,
         [](THostedWB& wb) {
             TMemoryStream stream = StreamOf(AsBytes("<p>x</p>"));
             return wb.LoadFrameFromStream(0, stream) == S_FALSE;
         }},
        {"SaveToStream", true,
         [](THostedWB& wb) {
             TMemoryStream stream;
             return wb.SaveToStream(stream) == S_FALSE && stream.Size() == 0;
         }},
        {"SaveToStrings", true,
         [](THostedWB& wb) {
             Lines lines{L"kept"};
             return wb.SaveToStrings(lines) == S_FALSE && lines == Lines{L"kept"};
         }},
        {"SaveFrameToFile", false,
         [file](THostedWB& wb) { return wb.SaveFrameToFile(0, file + L".saved") == S_FALSE; }},
        {"SaveFrameToStream", false,
         [](THostedWB& wb) {
             TMemoryStream stream;
             return wb.SaveFrameToStream(0, stream) == S_FALSE;
         }},
        {"SaveFrameToStrings", false,
         [](THostedWB& wb) {
             Lines lines;
             return wb.SaveFrameToStrings(0, lines) == S_FALSE;
         }},
        {"DocumentSource", false, [](THostedWB& wb) { return wb.DocumentSource().empty(); }},
        {"DocumentSourceText", false,
         [](THostedWB& wb) { return wb.DocumentSourceText().empty(); }},
        {"GetFieldValue", false, [](THostedWB& wb) { return wb.GetFieldValue(L"user").empty(); }},
        {"FillForm", false, [](THostedWB& wb) { return !wb.FillForm(L"user", L"bob", -1); }},
        {"FillFormAndExcecute", false, none([](THostedWB& wb) { wb.FillFormAndExcecute(); })},
        {"GetCookie", false, [](THostedWB& wb) { return wb.GetCookie().empty(); }},
        {"SetCharartersSet", true,
         [](THostedWB& wb) { return !wb.SetCharartersSet(L"utf-8", true); }},
        {"ExecScript", false, none([](THostedWB& wb) { wb.ExecScript(L"go()", L"JScript"); })},
        {"ExecScriptEx", false,
         [](THostedWB& wb) {
             return wb.ExecScriptEx(L"go", {1, std::wstring(L"a")}).IsEmpty();
         }},
        {"GetWordAtCursor", false, [](THostedWB& wb) { return wb.GetWordAtCursor(5, 5).empty(); }},
    };
}

void RunNeutralTable(THostedWB& wb, const int& passes, const std::vector<std::wstring>& navigations,
                     bool windowed) {
    TempDir dir;
    const std::wstring file = dir.File(L"page.htm");
    tn::testing::WriteFileBytes(file, "<p>file</p>");
    const auto image = TComponent::CreateOwned<TImage>();
    image->Picture().Bitmap().SetSize(2, 2);
    for (const NeutralCase& c : NeutralCases(file, *image)) {
        SCOPED_TRACE(c.name);
        const int before = passes;
        const std::size_t navigated = navigations.size();
        bool neutral = false;
        EXPECT_NO_THROW(neutral = c.neutral(wb));
        EXPECT_TRUE(neutral);
        if (!windowed) continue;
        EXPECT_EQ(passes > before, c.waits) << "the busy wait ran";
        // Each loader asks for an empty document once, without waiting for it.
        const bool loader = std::string_view(c.name).starts_with("Load");
        ASSERT_EQ(navigations.size() - navigated, loader ? 1u : 0u);
        if (loader) {
            EXPECT_EQ(navigations.back(), L"about:blank");
        }
    }
    EXPECT_EQ(::GetFileAttributesW((file + L".saved").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(HostedWBDocument, TheRealControlGivesEveryOperationsNeutralValueAndRaisesNothing) {
    // Without a window the waits end at once.
    {
        const auto wb = TComponent::CreateOwned<THostedWB>();
        std::vector<std::wstring> navigations;
        wb->OnBeforeNavigate2 = [&](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&,
                                    VARIANT&, VARIANT&, bool& cancel) {
            navigations.push_back(VariantToString(url));
            cancel = true;
        };
        const int passes = 0;
        RunNeutralTable(*wb, passes, navigations, false);
    }
    // With one a wait never ends by itself here: the busy-wait handler cancels it.
    test::BrowserLayout<THostedWB> layout(300, 200);
    THostedWB* wb = layout.wb;
    int passes = 0;
    wb->OnBusyWait = [&](TObject*, DWORD, DWORD&, bool& cancel) { cancel = ++passes > 0; };
    std::vector<std::wstring> navigations;
    wb->OnBeforeNavigate2 = [&](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&, VARIANT&,
                                VARIANT&, bool& cancel) {
        navigations.push_back(VariantToString(url));
        cancel = true;
    };
    RunNeutralTable(*wb, passes, navigations, true);

    // The markup navigation is made for real.
    EXPECT_TRUE(wb->AddHtmlToAboutBlank(L"<b>x</b>"));
    EXPECT_EQ(navigations.back(), L"about:<b>x</b>");
}

// --- frames -------------------------------------------------------------------------------------

TEST(HostedWBDocument, FramesAreTheContainersObjectsAndNumbersPastTheEndGiveNothing) {
    Page page;
    DocWB& wb = *page.wb;
    Frame inner; // the first frame of the second frame, among its container's other objects
    page.frames[1].doc.others = {inner.Object()};

    EXPECT_EQ(wb.GetFrame(1).get(), static_cast<IWebBrowser2*>(&page.frames[1].browser));
    EXPECT_FALSE(wb.GetFrame(2));
    EXPECT_EQ(page.doc.enumFlags, (std::vector<DWORD>{1, 1}));

    EXPECT_EQ(wb.GetFrameFromDocument(page.Doc2(page.frames[1].doc), 0).get(),
              static_cast<IWebBrowser2*>(&inner.browser));
    EXPECT_FALSE(wb.GetFrameFromDocument(page.Doc2(page.frames[1].doc), 1));
    EXPECT_EQ(page.frames[1].doc.enumFlags, (std::vector<DWORD>{5, 5}));

    EXPECT_EQ(wb.NavigateToFrame(L"1,0").get(), page.Doc2(inner.doc));
    EXPECT_EQ(wb.NavigateToFrame(L" 1 , 0 ").get(), page.Doc2(inner.doc));
    EXPECT_EQ(wb.NavigateToFrame(L"0").get(), page.Doc2(page.frames[0].doc));
    EXPECT_EQ(wb.NavigateToFrame(L"").get(), page.Doc2(page.doc)) << "no step: the document";
    for (const wchar_t* list : {L"2", L"1,1", L"1,0,0", L"1,x", L"-1", L"1,"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(list)));
        EXPECT_FALSE(wb.NavigateToFrame(list));
    }
    inner.browser.SetDocument(nullptr);
    EXPECT_FALSE(wb.NavigateToFrame(L"1,0")) << "a frame without a document";

    EXPECT_EQ(wb.FrameCount(), 2);
    EXPECT_EQ(wb.FrameCountFromDocument(page.Doc2(page.frames[1].doc)), 0)
        << "only embeddings count";
    wb.waits.clear();
    wb.RefreshFrame(1);
    EXPECT_EQ(wb.waits, std::vector<DWORD>{0});
    EXPECT_EQ(page.frames[1].browser.refreshes, 1);
    EXPECT_EQ(page.frames[0].browser.refreshes, 0);
    wb.RefreshFrame(7);

    // A frameless page has none; a component without a document reads no other document's
    // frames.
    page.doc.embeddings.clear();
    EXPECT_FALSE(wb.GetFrame(0));
    EXPECT_EQ(wb.FrameCount(), 0);
    wb.document = nullptr;
    page.frames[1].doc.enumFlags.clear();
    EXPECT_FALSE(wb.GetFrameFromDocument(page.Doc2(page.frames[1].doc), 0));
    EXPECT_TRUE(page.frames[1].doc.enumFlags.empty());
}

TEST(HostedWBDocument, TheActiveFrameIsTheInnermostDocumentReachedThroughFrameElements) {
    Page page;
    DocWB& wb = *page.wb;
    FakeDocument middle, innermost;
    FakeFrameElement toMiddle(middle.Dispatch()), toInnermost(innermost.Dispatch());
    FakeElement field(L"INPUT");
    page.doc.bag.SetObject(L"activeElement", toMiddle.Dispatch());
    middle.bag.SetObject(L"activeElement", toInnermost.Dispatch());
    innermost.bag.SetObject(L"activeElement", field.Dispatch());

    EXPECT_EQ(wb.GetActiveFrame().get(), page.Doc2(innermost));
    EXPECT_EQ(wb.GetActiveFrame(page.Doc2(middle)).get(), page.Doc2(innermost));
    EXPECT_EQ(wb.GetActiveElement(nullptr).get(), static_cast<IHTMLElement*>(&field));
    EXPECT_EQ(wb.GetActiveElement(page.Doc2(page.doc)).get(),
              static_cast<IHTMLElement*>(&toMiddle));

    // The descent stops at a frame without a document, and at an element that is no frame
    // element even when it is a browser.
    toInnermost.bag.SetObject(L"Document", nullptr);
    EXPECT_EQ(wb.GetActiveFrame().get(), page.Doc2(middle));
    toMiddle.Refuse(IID_IHTMLFrameElement);
    EXPECT_EQ(wb.GetActiveFrame().get(), page.Doc2(page.doc));
    page.doc.bag.SetObject(L"activeElement", nullptr);
    EXPECT_EQ(wb.GetActiveFrame().get(), page.Doc2(page.doc));
    wb.document = nullptr;
    EXPECT_FALSE(wb.GetActiveFrame());
}

// --- selection ----------------------------------------------------------------------------------

TEST(HostedWBDocument, TheSelectionIsReadOnlyFromACompletePageWithATextSelection) {
    struct Case {
        const wchar_t* readyState;
        const wchar_t* type;
        const wchar_t* text;
        const wchar_t* html;
    };
    const Case cases[] = {
        {L"complete", L"Text", L"Hello", L"<b>Hello</b>"},
        {L"complete", L"None", L"", L""},
        {L"complete", L"Control", L"", L""},
        {L"loading", L"Text", L"", L""},
        {L"interactive", L"Text", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.readyState << " " << c.type);
        Page page;
        FakeSelection selection;
        FakeTextRange range(L"Hello world", 0, 5);
        range.htmlText = L"<b>Hello</b>";
        selection.bag.Set(L"type", c.type);
        selection.bag.SetObject(L"createRange", range.Dispatch());
        page.doc.bag.SetObject(L"selection", selection.Dispatch());
        page.doc.bag.Set(L"readyState", c.readyState);
        EXPECT_EQ(page.wb->GetSelectedText(false, true), c.text);
        EXPECT_EQ(page.wb->GetSelectedText(true, true), c.html);
        EXPECT_EQ(page.wb->GetSelLength(true), static_cast<int>(std::wcslen(c.text)));
    }

    // Without bOnlyTopLevel the active frame's selection is read.
    Page page;
    FakeDocument frameDoc;
    FakeFrameElement frame(frameDoc.Dispatch());
    page.doc.bag.SetObject(L"activeElement", frame.Dispatch());
    FakeSelection top, inner;
    FakeTextRange topRange(L"Top"), innerRange(L"Inner text");
    top.bag.Set(L"type", L"Text");
    top.bag.SetObject(L"createRange", topRange.Dispatch());
    inner.bag.Set(L"type", L"Text");
    inner.bag.SetObject(L"createRange", innerRange.Dispatch());
    page.doc.bag.SetObject(L"selection", top.Dispatch());
    frameDoc.bag.SetObject(L"selection", inner.Dispatch());
    EXPECT_EQ(page.wb->GetSelectedText(false, true), L"Top");
    EXPECT_EQ(page.wb->GetSelectedText(false, false), L"Inner text");
    EXPECT_EQ(page.wb->GetSelLength(false), 10);
}

// --- loading ------------------------------------------------------------------------------------

TEST(HostedWBDocument, TheLoadersHandTheDocumentTheBytesOfTheirSource) {
    Page page;
    DocWB& wb = *page.wb;
    EXPECT_EQ(wb.LoadFromString(L"<p>one\ntwo</p>"), S_OK);
    EXPECT_EQ(page.doc.loaded, AsBytes("<p>one\ntwo</p>")) << "no line break is added";
    wb.SetEncoding(CP_UTF8);
    EXPECT_EQ(wb.LoadFromString(L"<p>中文</p>"), S_OK);
    EXPECT_EQ(page.doc.loaded, Utf8WithMark(L"<p>中文</p>"));
    wb.SetEncoding(CP_ACP);

    EXPECT_EQ(wb.LoadFromWideString(L"<p>a\nb\r\nc</p>"), S_OK);
    EXPECT_EQ(page.doc.loaded, AsBytes("<p>a\r\nb\r\nc</p>\r\n"));

    TempDir dir;
    const std::wstring file = dir.File(L"page.htm");
    const char raw[] = "<p>\0\xff file</p>";
    const std::string content(raw, sizeof raw - 1);
    tn::testing::WriteFileBytes(file, content);
    {
        // Others may read the file meanwhile.
        const UniqueHandleKernel reader(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_EQ(wb.LoadFromFile(file), S_OK);
        EXPECT_EQ(page.doc.loaded, AsBytes(content));
    }
    {
        // A writer elsewhere keeps it from being read.
        const UniqueHandleKernel writer(::CreateFileW(file.c_str(), GENERIC_WRITE,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                      OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer);
        EXPECT_EQ(wb.LoadFromFile(file), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
    }
    const int loads = page.doc.streamLoads;
    EXPECT_EQ(wb.LoadFromFile(dir.File(L"missing.htm")), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(page.doc.streamLoads, loads);
}

TEST(HostedWBDocument, AnImageIsLoadedAsABitmapFileAndKeepsItsOwnPicture) {
    Page page;
    DocWB& wb = *page.wb;
    const auto image = TComponent::CreateOwned<TImage>();
    EXPECT_EQ(wb.LoadFromImage(image.get()), S_FALSE) << "no picture";
    EXPECT_EQ(wb.LoadFromImage(nullptr), S_FALSE);
    EXPECT_EQ(page.doc.streamLoads, 0);

    TBitmap& bitmap = image->Picture().Bitmap();
    bitmap.SetSize(3, 2);
    bitmap.Bits()[0] = 0x40;
    TMemoryStream expected;
    bitmap.SaveToStream(expected);
    EXPECT_EQ(wb.LoadFromImage(image.get()), S_OK);
    EXPECT_EQ(page.doc.loaded, expected.Bytes());

    // A picture of another kind is drawn into a bitmap; the image keeps its JPEG.
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(bitmap);
    image->Picture().SetGraphic(std::move(jpeg));
    EXPECT_EQ(wb.LoadFromImage(image.get()), S_OK);
    ASSERT_GE(page.doc.loaded.size(), 26u);
    EXPECT_EQ(page.doc.loaded[0], 'B');
    EXPECT_EQ(page.doc.loaded[1], 'M');
    std::int32_t width = 0, height = 0;
    std::memcpy(&width, page.doc.loaded.data() + 18, 4);
    std::memcpy(&height, page.doc.loaded.data() + 22, 4);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(std::abs(height), 2);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(image->Picture().Graphic()), nullptr);
}

TEST(HostedWBDocument, OnlyLoadFromStringRaisesWhenTheDocumentRefusesTheLoad) {
    Page page;
    DocWB& wb = *page.wb;
    page.doc.streamLoadResult = S_FALSE;
    EXPECT_EQ(wb.LoadFromString(L"x"), S_OK) << "a successful load gives 0";

    page.doc.streamLoadResult = E_ACCESSDENIED;
    try {
        (void)wb.LoadFromString(L"x");
        ADD_FAILURE() << "no exception";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), E_ACCESSDENIED);
    }
    TempDir dir;
    tn::testing::WriteFileBytes(dir.File(L"a.htm"), "x");
    const auto image = TComponent::CreateOwned<TImage>();
    image->Picture().Bitmap().SetSize(1, 1);
    TMemoryStream stream = StreamOf(AsBytes("x"));
    page.frames[0].doc.streamLoadResult = E_ACCESSDENIED;
    EXPECT_EQ(wb.LoadFromWideString(L"x"), E_ACCESSDENIED);
    EXPECT_EQ(wb.LoadFromFile(dir.File(L"a.htm")), E_ACCESSDENIED);
    EXPECT_EQ(wb.LoadFromImage(image.get()), E_ACCESSDENIED);
    EXPECT_EQ(wb.LoadFrameFromStrings(0, {L"x"}), E_ACCESSDENIED);
    EXPECT_EQ(wb.LoadFrameFromStream(0, stream), E_ACCESSDENIED);

    // A document that does not load from streams: 1, and nothing raises.
    page.doc.Refuse(IID_IPersistStreamInit);
    EXPECT_EQ(wb.LoadFromString(L"x"), S_FALSE);
}

TEST(HostedWBDocument, FrameLoadersReachTheFramesDocumentOnly) {
    Page page;
    DocWB& wb = *page.wb;
    FakeDocument& frameDoc = page.frames[1].doc;
    wb.SetEncoding(CP_UTF8);
    EXPECT_EQ(wb.LoadFrameFromStrings(1, {L"<p>框</p>", L"x"}), S_OK);
    EXPECT_EQ(frameDoc.loaded, Utf8WithMark(L"<p>框</p>\r\nx\r\n"));

    TMemoryStream stream = StreamOf(AsBytes("<p>stream</p>"));
    ASSERT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(wb.LoadFrameFromStream(1, stream), S_OK);
    EXPECT_EQ(frameDoc.loaded, AsBytes("<p>stream</p>")) << "rewound first";
    EXPECT_EQ(page.doc.streamLoads, 0);
    EXPECT_EQ(page.frames[0].doc.streamLoads, 0);

    // A missing frame, a frame without a document or one that does not load from streams: 1.
    EXPECT_EQ(wb.LoadFrameFromStrings(2, {L"x"}), S_FALSE);
    EXPECT_EQ(wb.LoadFrameFromStream(-1, stream), S_FALSE);
    EXPECT_EQ(wb.LoadFrameFromStream(9, stream), S_FALSE);
    page.frames[0].doc.Refuse(IID_IPersistStreamInit);
    EXPECT_EQ(wb.LoadFrameFromStream(0, stream), S_FALSE);
    page.frames[1].browser.SetDocument(nullptr);
    EXPECT_EQ(wb.LoadFrameFromStrings(1, {L"x"}), S_FALSE);
    wb.SetEncoding(54321); // no such code page: the component's own failure
    page.frames[1].browser.SetDocument(frameDoc.Dispatch());
    EXPECT_EQ(wb.LoadFrameFromStrings(1, {L"x"}), S_FALSE);
    EXPECT_EQ(frameDoc.streamLoads, 2);
}

// --- saving -------------------------------------------------------------------------------------

TEST(HostedWBDocument, TheSaversWaitAndSaveTheDocumentClearingItsDirtyFlag) {
    Page page;
    DocWB& wb = *page.wb;
    wb.documentAfterWait = true; // read before the wait, there is none
    EXPECT_EQ(wb.SaveToFile(L"C:\\page.htm"), S_OK);
    EXPECT_EQ(page.doc.fileSaves, (std::vector<FakeDocument::FileSave>{{L"C:\\page.htm", FALSE}}));
    EXPECT_EQ(wb.waits, std::vector<DWORD>{0});

    wb.waits.clear();
    page.doc.saveBytes = AsBytes("<p>saved</p>");
    TMemoryStream stream = StreamOf(AsBytes("AB"));
    EXPECT_EQ(wb.SaveToStream(stream), S_OK);
    EXPECT_EQ(wb.waits, std::vector<DWORD>{0});
    EXPECT_EQ(page.doc.streamSaves, std::vector<BOOL>{TRUE});
    EXPECT_EQ(stream.Bytes(), AsBytes("AB<p>saved</p>")) << "written at the stream's position";

    page.doc.Refuse(IID_IPersistStreamInit);
    EXPECT_EQ(wb.SaveToStream(stream), S_FALSE);
    Lines lines{L"kept"};
    EXPECT_EQ(wb.SaveToStrings(lines), S_FALSE);
    EXPECT_EQ(lines, Lines{L"kept"});
}

TEST(HostedWBDocument, AStringsRoundTripKeepsCjkText) {
    const Lines text{L"<p>第一行</p>", L"二"};
    Page page;
    DocWB& wb = *page.wb;
    wb.SetEncoding(CP_UTF8);
    ASSERT_EQ(wb.LoadFromStrings(text), S_OK);
    page.doc.saveBytes = page.doc.loaded;
    Lines lines;
    EXPECT_EQ(wb.SaveToStrings(lines), S_OK);
    EXPECT_EQ(lines, text);

    // Without a byte-order mark the component's encoding reads the bytes; with one the mark
    // decides.
    wb.SetEncoding(936);
    page.doc.saveBytes = InCodePage(text::LinesText(text), 936);
    lines.clear();
    EXPECT_EQ(wb.SaveToStrings(lines), S_OK);
    EXPECT_EQ(lines, text);
    page.doc.saveBytes = Utf8WithMark(L"中\r\n");
    EXPECT_EQ(wb.SaveToStrings(lines), S_OK);
    EXPECT_EQ(lines, Lines{L"中"});
    wb.SetEncoding(54321);
    page.doc.saveBytes = AsBytes("plain");
    EXPECT_EQ(wb.SaveToStrings(lines), S_FALSE);
    EXPECT_EQ(lines, Lines{L"中"});
}

TEST(HostedWBDocument, FrameSaversSaveTheFramesDocument) {
    Page page;
    DocWB& wb = *page.wb;
    FakeDocument& frameDoc = page.frames[1].doc;
    frameDoc.saveBytes = Utf8WithMark(L"<p>帧</p>\r\n");
    EXPECT_EQ(wb.SaveFrameToFile(1, L"C:\\frame.htm"), S_OK);
    EXPECT_EQ(frameDoc.fileSaves, (std::vector<FakeDocument::FileSave>{{L"C:\\frame.htm", FALSE}}));
    TMemoryStream stream;
    EXPECT_EQ(wb.SaveFrameToStream(1, stream), S_OK);
    EXPECT_EQ(stream.Bytes(), frameDoc.saveBytes);
    Lines lines;
    EXPECT_EQ(wb.SaveFrameToStrings(1, lines), S_OK);
    EXPECT_EQ(lines, Lines{L"<p>帧</p>"});
    EXPECT_EQ(frameDoc.streamSaves, (std::vector<BOOL>{TRUE, TRUE}));
    EXPECT_TRUE(page.doc.fileSaves.empty());
    EXPECT_TRUE(page.doc.streamSaves.empty());
    EXPECT_TRUE(wb.waits.empty()) << "only the whole-document savers wait";

    frameDoc.fileSaveResult = STG_E_ACCESSDENIED;
    EXPECT_EQ(wb.SaveFrameToFile(1, L"C:\\frame.htm"), STG_E_ACCESSDENIED);
    EXPECT_EQ(wb.SaveFrameToFile(2, L"C:\\frame.htm"), S_FALSE);
    EXPECT_EQ(wb.SaveFrameToStream(-1, stream), S_FALSE);
    EXPECT_EQ(wb.SaveFrameToStrings(5, lines), S_FALSE);
}

// --- source, fields and scripts -----------------------------------------------------------------

TEST(HostedWBDocument, TheForwardsReachThePage) {
    Page page;
    DocWB& wb = *page.wb;
    page.root.bag.Set(L"innerHTML", L"<body>Hi</body>");
    page.root.bag.Set(L"innerText", L"Hi");
    EXPECT_EQ(wb.DocumentSource(), L"<body>Hi</body>\r\n");
    EXPECT_EQ(wb.DocumentSourceText(), L"Hi\r\n");
    page.doc.bag.Set(L"cookie", L"a=1");
    EXPECT_EQ(wb.GetCookie(), L"a=1");

    // Two fields of one name in a form: set by name and number, read by name.
    FakeElement form(L"FORM"), first(L"INPUT"), second(L"INPUT");
    first.bag.Set(L"name", L"city");
    second.bag.Set(L"name", L"city");
    second.bag.Set(L"value", L"Porto");
    form.SetItems({first.Dispatch(), second.Dispatch()});
    FakeCollection all({form.Dispatch(), first.Dispatch(), second.Dispatch()});
    FakeCollection forms({form.Dispatch()});
    page.doc.bag.SetObject(L"all", all.Dispatch());
    page.doc.bag.SetObject(L"forms", forms.Dispatch());
    EXPECT_EQ(wb.GetFieldValue(L"city"), L"Porto") << "the last of the name";
    EXPECT_FALSE(wb.FillForm(L"city", L"Lisboa", 0));
    EXPECT_TRUE(wb.FillForm(L"city", L"Lisboa", 1));
    EXPECT_EQ(second.bag.Text(L"value"), L"Lisboa");
    EXPECT_EQ(first.bag.Text(L"value"), L"");
    EXPECT_TRUE(wb.FillForm(L"city", L"Faro", -1));
    EXPECT_EQ(first.bag.Text(L"value"), L"Faro");

    EXPECT_TRUE(wb.SetCharartersSet(L"utf-8", false));
    EXPECT_TRUE(page.app.refreshLevels.empty());
    EXPECT_TRUE(wb.SetCharartersSet(L"gb2312", true));
    ASSERT_EQ(page.doc.bag.puts.size(), 2u);
    EXPECT_EQ(page.doc.bag.puts[1].first, L"charset");
    EXPECT_EQ(VariantToString(page.doc.bag.puts[1].second.get()), L"gb2312");
    ASSERT_EQ(page.app.refreshLevels.size(), 1u);
    EXPECT_EQ(VariantToInt(page.app.refreshLevels[0].get()), 7);

    wb.ExecScript(L"go(1)", L"JScript");
    EXPECT_EQ(page.window.scripts, (std::vector<FakeWindow::Script>{{L"go(1)", L"JScript"}}));

    FakeDispatch script;
    std::vector<std::wstring> received;
    script.bag.SetMethod(L"add", [&](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        received = {std::to_wstring(test::ArgInt(p, 0)), test::ArgText(p, 1)};
        if (result) *result = OleVariant(LONG{42}).Detach();
        return S_OK;
    });
    page.doc.bag.SetObject(L"Script", script.Dispatch());
    EXPECT_EQ(VariantToInt(wb.ExecScriptEx(L"add", {2, std::wstring(L"x")}).get()), 42);
    EXPECT_EQ(received, (std::vector<std::wstring>{L"2", L"x"}));
    EXPECT_THROW((void)wb.ExecScriptEx(L"missing", {}), EOleError);

    page.app.navigateResult = E_ACCESSDENIED;
    EXPECT_FALSE(wb.AddHtmlToAboutBlank(L"<b>x</b>")) << "a refused navigation is no success";
    page.app.navigateResult = S_OK;
    EXPECT_TRUE(wb.AddHtmlToAboutBlank(L""));
    ASSERT_EQ(page.app.navigations.size(), 2u);
    EXPECT_EQ(VariantToString(page.app.navigations[1].url.get()), L"about:");
}

TEST(HostedWBDocument, TheWordAtTheCursorLetsThePagesErrorsThrough) {
    Page page;
    DocWB& wb = *page.wb;
    FakeSelection selection;
    FakeTextRange range(L"alpha beta gamma");
    range.pointIndex = 7;
    selection.bag.SetObject(L"createRange", range.Dispatch());
    page.doc.bag.SetObject(L"selection", selection.Dispatch());
    EXPECT_EQ(wb.GetWordAtCursor(30, 4), L"beta");
    range.bag.Fail(L"moveToPoint", E_INVALIDARG);
    EXPECT_THROW((void)wb.GetWordAtCursor(30, 4), EOleSysError);
}

} // namespace
