// The page and control doubles that the browser tools are tested through: late-bound names in any
// case answer what the early-bound getters answer, the interfaces each double offers, the
// collections, the container's enumerations, text ranges, the window, painting and the browser's
// records. Every reference handed out comes back.
#include "tests/browser/FakeBrowser.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tn;
using namespace tn::test;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// A late-bound read: the name asked as written, then the property got.
HRESULT LateGet(IDispatch* object, const wchar_t* name, OleVariant& out) {
    std::wstring n = name;
    LPOLESTR names[] = {n.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, out.put(),
                          nullptr, nullptr);
}

HRESULT LateCall(IDispatch* object, const wchar_t* name, std::vector<OleVariant> argsLastFirst,
                 OleVariant& out) {
    std::wstring n = name;
    LPOLESTR names[] = {n.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> args;
    for (OleVariant& a : argsLastFirst)
        args.push_back(a.get());
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    return object->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                          out.put(), nullptr, nullptr);
}

std::wstring Text(const std::function<HRESULT(BSTR*)>& get) {
    Bstr b;
    EXPECT_EQ(get(b.put()), S_OK);
    return b.str();
}

TEST(BrowserDoubles, LateBoundNamesInAnyCaseReadWhatTheEarlyBoundGettersRead) {
    FakeElement body(L"body");
    FakeDocument doc;
    FakeBrowser browser;
    FakeLocation location;
    FakeRect rect(1, 2, 3, 4);
    body.bag.Set(L"innerHTML", L"<b>x</b>");
    body.bag.Set(L"scrollHeight", LONG{300});
    doc.SetBody(&body);
    doc.bag.SetObject(L"location", location.Dispatch());
    location.bag.Set(L"protocol", L"https:");
    browser.bag.Set(L"LocationURL", L"http://host/page");
    const CountWatch counts{&body, &doc, &browser, &location, &rect};

    struct Case {
        const char* what;
        IDispatch* object;
        const wchar_t* name;
        std::wstring early;
    };
    LONG height = 0;
    EXPECT_EQ(body.get_scrollHeight(&height), S_OK);
    LONG top = 0;
    EXPECT_EQ(rect.get_top(&top), S_OK);
    const std::vector<Case> cases = {
        {"element markup", body.Dispatch(), L"INNERhtml",
         Text([&](BSTR* p) { return body.get_innerHTML(p); })},
        {"element number", body.Dispatch(), L"scrollheight", std::to_wstring(height)},
        {"element tag", body.Dispatch(), L"TagName",
         Text([&](BSTR* p) { return body.get_tagName(p); })},
        {"document state", doc.Dispatch(), L"ReadyState",
         Text([&](BSTR* p) { return doc.get_readyState(p); })},
        {"location", location.Dispatch(), L"PROTOCOL",
         Text([&](BSTR* p) { return location.get_protocol(p); })},
        {"browser", browser.Dispatch(), L"locationurl",
         Text([&](BSTR* p) { return browser.get_LocationURL(p); })},
        {"rectangle", rect.Dispatch(), L"Top", std::to_wstring(top)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OleVariant late;
        ASSERT_EQ(LateGet(c.object, c.name, late), S_OK);
        EXPECT_EQ(VariantToString(late.get()), c.early);
        EXPECT_FALSE(c.early.empty());
    }
    EXPECT_EQ(body.bag.asked,
              (std::vector<std::wstring>{L"INNERhtml", L"scrollheight", L"TagName"}));

    // Objects: the same object either way, and the control's own property number.
    ComPtr<IHTMLElement> early;
    ASSERT_EQ(doc.get_body(early.put()), S_OK);
    OleVariant late;
    ASSERT_EQ(LateGet(doc.Dispatch(), L"Body", late), S_OK);
    EXPECT_EQ(VariantToDispatch(late.get()).get(), body.Dispatch());
    EXPECT_EQ(early.as<IDispatch>().get(), body.Dispatch());
    browser.SetDocument(doc.Dispatch());
    DISPPARAMS none{};
    ASSERT_EQ(
        browser.Invoke(203, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, late.put(), nullptr, nullptr),
        S_OK);
    EXPECT_EQ(VariantToDispatch(late.get()).get(), doc.Dispatch());
    early.reset();
    late.Clear();

    // Unknown names, writes and failures.
    EXPECT_EQ(LateGet(doc.Dispatch(), L"nosuch", late), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(doc.put_charset(Bstr(L"gb2312").get()), S_OK);
    EXPECT_EQ(Text([&](BSTR* p) { return doc.get_charset(p); }), L"gb2312");
    ASSERT_EQ(doc.bag.puts.size(), 1u);
    EXPECT_EQ(doc.bag.puts[0].first, L"charset");
    doc.bag.Fail(L"Charset", E_ACCESSDENIED);
    Bstr charset;
    EXPECT_EQ(doc.get_charset(charset.put()), E_ACCESSDENIED);
    EXPECT_EQ(doc.put_charset(Bstr(L"utf-8").get()), E_ACCESSDENIED);
    EXPECT_EQ(LateGet(doc.Dispatch(), L"CHARSET", late), E_ACCESSDENIED);
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(BrowserDoubles, EachDoubleOffersTheInterfacesOfWhatItStandsFor) {
    struct Case {
        const wchar_t* tag;
        IID answered;
        IID refused;
    };
    const Case cases[] = {
        {L"input", IID_IHTMLInputElement, IID_IHTMLBodyElement},
        {L"BODY", IID_IHTMLBodyElement, IID_IHTMLInputElement},
        {L"select", IID_IHTMLSelectElement, IID_IHTMLTextAreaElement},
        {L"TextArea", IID_IHTMLTextAreaElement, IID_IHTMLSelectElement},
    };
    for (const Case& c : cases) {
        FakeElement e(c.tag);
        ComPtr<IUnknown> p;
        EXPECT_EQ(e.QueryInterface(c.answered, p.put_void()), S_OK);
        EXPECT_EQ(e.QueryInterface(c.refused, p.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(p);
        EXPECT_EQ(e.QueryInterface(IID_IHTMLElement2, p.put_void()), S_OK);
        p.reset();
        EXPECT_EQ(e.Count(), 1u);
    }
    FakeDocument doc;
    FakeBrowser browser;
    for (const IID& iid :
         {IID_IHTMLDocument, IID_IHTMLDocument3, IID_IOleContainer, IID_IPersistFile,
          IID_IPersistStreamInit, IID_IOleCommandTarget, IID_IViewObject, IID_IDispatch}) {
        ComPtr<IUnknown> p;
        EXPECT_EQ(doc.QueryInterface(iid, p.put_void()), S_OK);
    }
    ComPtr<IWebBrowserApp> app;
    EXPECT_EQ(browser.QueryInterface(IID_IWebBrowserApp, app.put_void()), S_OK);
    app.reset();
    doc.Refuse(IID_IPersistFile);
    ComPtr<IPersistFile> file;
    EXPECT_EQ(doc.QueryInterface(IID_IPersistFile, file.put_void()), E_NOINTERFACE);
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_EQ(browser.Count(), 1u);
}

TEST(BrowserDoubles, CollectionsIndexFindAndFilterAndTheDocumentLooksThroughAll) {
    FakeElement form1(L"FORM"), div(L"DIV"), form2(L"form"), field(L"INPUT");
    form1.bag.Set(L"name", L"login");
    div.bag.Set(L"id", L"7");
    field.bag.Set(L"name", L"USERNAME");
    form1.SetItems({field.Dispatch()});
    FakeCollection all({form1.Dispatch(), div.Dispatch(), form2.Dispatch(), field.Dispatch()});
    FakeDocument doc;
    doc.bag.SetObject(L"all", all.Dispatch());
    const CountWatch counts{&form1, &div, &form2, &field, &all, &doc};

    ComPtr<IDispatch> item;
    ASSERT_EQ(all.item(OleVariant(LONG{1}).get(), OleVariant().get(), item.put()), S_OK);
    EXPECT_EQ(item.get(), div.Dispatch());
    ASSERT_EQ(all.item(OleVariant(L"login").get(), OleVariant().get(), item.put()), S_OK);
    EXPECT_EQ(item.get(), form1.Dispatch());
    ASSERT_EQ(all.item(OleVariant(LONG{9}).get(), OleVariant().get(), item.put()), S_OK);
    EXPECT_FALSE(item);

    // tags, late-bound as the tools ask it, and the form's own elements.
    OleVariant forms, length, first;
    ASSERT_EQ(LateCall(all.Dispatch(), L"Tags", {OleVariant(L"Form")}, forms), S_OK);
    ASSERT_EQ(LateGet(VariantToDispatch(forms.get()).get(), L"Length", length), S_OK);
    EXPECT_EQ(VariantToInt(length.get()), 2);
    ASSERT_EQ(LateCall(form1.Dispatch(), L"item", {OleVariant(LONG{0})}, first), S_OK);
    EXPECT_EQ(VariantToDispatch(first.get()).get(), field.Dispatch());
    ASSERT_EQ(LateGet(form1.Dispatch(), L"LENGTH", length), S_OK);
    EXPECT_EQ(VariantToInt(length.get()), 1);
    forms.Clear();
    first.Clear();
    item.reset();

    ComPtr<IHTMLElement> byId;
    ASSERT_EQ(doc.getElementById(Bstr(L"7").get(), byId.put()), S_OK);
    EXPECT_EQ(byId.as<IDispatch>().get(), div.Dispatch());
    byId.reset();
    ComPtr<IHTMLElementCollection> named;
    ASSERT_EQ(doc.getElementsByName(Bstr(L"USERNAME").get(), named.put()), S_OK);
    LONG n = 0;
    ASSERT_EQ(named->get_length(&n), S_OK);
    EXPECT_EQ(n, 1);
    named.reset();
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(BrowserDoubles, TheContainerEnumeratesEmbeddingsForFlagOneAndOthersForFlagFour) {
    FakeBrowser frame1, frame2;
    FakeDispatch plugin;
    FakeDocument doc;
    doc.embeddings = {frame1.Unknown(), frame2.Unknown()};
    doc.others = {plugin.Unknown()};
    const CountWatch counts{&frame1, &frame2, &plugin, &doc};

    ComPtr<IEnumUnknown> e;
    ASSERT_EQ(doc.EnumObjects(OLECONTF_EMBEDDINGS, e.put()), S_OK);
    IUnknown* fetched[100] = {};
    ULONG got = 0;
    EXPECT_EQ(e->Next(100, fetched, &got), S_FALSE);
    ASSERT_EQ(got, 2u);
    EXPECT_EQ(fetched[0], frame1.Unknown());
    for (ULONG i = 0; i < got; ++i)
        fetched[i]->Release();

    ASSERT_EQ(doc.EnumObjects(OLECONTF_EMBEDDINGS | OLECONTF_OTHERS, e.put()), S_OK);
    EXPECT_EQ(e->Skip(2), S_OK);
    EXPECT_EQ(e->Next(1, fetched, &got), S_OK);
    EXPECT_EQ(fetched[0], plugin.Unknown());
    fetched[0]->Release();
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Next(1, fetched, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    e.reset();
    EXPECT_EQ(doc.enumFlags, (std::vector<DWORD>{1, 5}));
    ASSERT_EQ(doc.enumerators.size(), 2u);
    EXPECT_EQ(doc.enumerators[1]->nexts, (std::vector<ULONG>{1, 1}));
    for (const auto& made : doc.enumerators)
        EXPECT_EQ(made->Count(), 1u);
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(BrowserDoubles, TextRangesMoveByTheirUnitsAndFindAsAskedAndLogEveryCall) {
    // The word at a point: from inside a word to its start and the next word's start.
    FakeTextRange word(L" word next");
    word.pointIndex = 3;
    ASSERT_EQ(word.moveToPoint(40, 12), S_OK);
    ASSERT_EQ(word.moveStart(Bstr(L"word").get(), -1, nullptr), S_OK);
    ASSERT_EQ(word.moveEnd(Bstr(L"Word").get(), 1, nullptr), S_OK);
    EXPECT_EQ(word.Text(), L"word ");
    EXPECT_EQ(word.log,
              (std::vector<std::wstring>{L"moveToPoint(40,12) [3,3)", L"moveStart(word,-1) [1,3)",
                                         L"moveEnd(Word,1) [1,6)"}));

    // The search-and-highlight walk over a text: find, colour, step past the start, run to the
    // end; matches by flags.
    struct Case {
        LONG flags;
        std::vector<long> found;
    };
    const Case cases[] = {{0, {0, 3, 6, 10}}, {4, {0, 6, 10}}, {2, {0, 3, 6}}, {6, {0, 6}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        FakeTextRange range(L"ab Ab ab xab");
        std::vector<long> found;
        VARIANT_BOOL hit = VARIANT_FALSE;
        while (range.findText(Bstr(L"ab").get(), 1, c.flags, &hit) == S_OK && hit) {
            found.push_back(range.Start());
            OleVariant red(L"red");
            VARIANT_BOOL ok = VARIANT_FALSE;
            ASSERT_EQ(range.execCommand(Bstr(L"BackColor").get(), VARIANT_FALSE, red.get(), &ok),
                      S_OK);
            ASSERT_EQ(range.moveStart(Bstr(L"Character").get(), 1, nullptr), S_OK);
            ASSERT_EQ(range.moveEnd(Bstr(L"Textedit").get(), 1, nullptr), S_OK);
        }
        EXPECT_EQ(found, c.found);
    }

    // Backward search, a collapsed range searching to the end, and failures by name.
    FakeTextRange back(L"ab ab");
    VARIANT_BOOL hit = VARIANT_FALSE;
    ASSERT_EQ(back.findText(Bstr(L"AB").get(), -1, 0, &hit), S_OK);
    EXPECT_TRUE(hit);
    EXPECT_EQ(back.Start(), 3);
    ASSERT_EQ(back.collapse(VARIANT_TRUE), S_OK);
    ASSERT_EQ(back.findText(Bstr(L"ab").get(), 1, 0, &hit), S_OK);
    EXPECT_TRUE(hit);
    ASSERT_EQ(back.findText(Bstr(L"zz").get(), 1, 0, &hit), S_OK);
    EXPECT_FALSE(hit);
    EXPECT_EQ(back.Text(), L"ab") << "a miss leaves the range";
    back.bag.Fail(L"moveEnd", E_FAIL);
    EXPECT_EQ(back.moveEnd(Bstr(L"word").get(), 1, nullptr), E_FAIL);
    Bstr markup;
    back.htmlText = L"<b>ab</b>";
    ASSERT_EQ(back.get_htmlText(markup.put()), S_OK);
    EXPECT_EQ(markup.str(), L"<b>ab</b>");
    EXPECT_EQ(word.Count(), 1u);
    EXPECT_EQ(back.Count(), 1u);
}

TEST(BrowserDoubles, TheWindowRecordsEarlyAndLateBoundCallsAlikeAndHoldsItsFrames) {
    FakeWindow window, frame1, frame2;
    FakeDocument doc, frameDoc;
    doc.SetWindow(&window);
    frameDoc.SetWindow(&frame2);
    window.frames = {&frame1, &frame2};
    const CountWatch counts{&window, &frame1, &frame2, &doc, &frameDoc};

    ASSERT_EQ(window.scrollBy(5, 6), S_OK);
    OleVariant out;
    // Late-bound arguments come last first.
    ASSERT_EQ(
        LateCall(window.Dispatch(), L"ScrollTo", {OleVariant(LONG{2}), OleVariant(LONG{1})}, out),
        S_OK);
    EXPECT_EQ(window.scrolls,
              (std::vector<FakeWindow::Scroll>{{L"scrollBy", 5, 6}, {L"scrollTo", 1, 2}}));
    ASSERT_EQ(LateCall(window.Dispatch(), L"execScript",
                       {OleVariant(L"JScript"), OleVariant(L"go()")}, out),
              S_OK);
    EXPECT_EQ(window.scripts, (std::vector<FakeWindow::Script>{{L"go()", L"JScript"}}));

    // The document's frames are its window's; a frame's document is its window's document.
    OleVariant frames, length, second, frameDocument;
    ASSERT_EQ(LateGet(doc.Dispatch(), L"Frames", frames), S_OK);
    ASSERT_EQ(LateGet(VariantToDispatch(frames.get()).get(), L"Length", length), S_OK);
    EXPECT_EQ(VariantToInt(length.get()), 2);
    ASSERT_EQ(
        LateCall(VariantToDispatch(frames.get()).get(), L"item", {OleVariant(LONG{1})}, second),
        S_OK);
    ASSERT_EQ(LateGet(VariantToDispatch(second.get()).get(), L"Document", frameDocument), S_OK);
    EXPECT_EQ(VariantToDispatch(frameDocument.get()).get(), frameDoc.Dispatch());
    ComPtr<IHTMLWindow2> parent;
    ASSERT_EQ(doc.get_parentWindow(parent.put()), S_OK);
    EXPECT_EQ(parent.get(), static_cast<IHTMLWindow2*>(&window));
    parent.reset();
    frames.Clear();
    second.Clear();
    frameDocument.Clear();
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(BrowserDoubles, ViewObjectsPaintTheirBoundsInOneColourUnlessTheyFail) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 20;
    info.bmiHeader.biHeight = -10;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(bitmap);
    const HGDIOBJ old = ::SelectObject(dc, bitmap);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);

    FakeDocument doc;
    doc.painter.colour = RGB(0x11, 0x22, 0x33);
    const RECTL bounds{0, 0, 20, 10};
    EXPECT_EQ(
        doc.Draw(DVASPECT_CONTENT, 1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
        S_OK);
    ::GdiFlush();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(pixels[20 * 10 - 1] & 0xFFFFFF, 0x112233u);

    FakeBrowser browser;
    browser.painter.result = E_FAIL;
    EXPECT_EQ(browser.Draw(8, 0, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              E_FAIL);
    ::GdiFlush();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0x112233u) << "a failing draw paints nothing";
    ASSERT_EQ(browser.painter.calls.size(), 1u);
    EXPECT_EQ(browser.painter.calls[0].aspect, 8u);
    EXPECT_EQ(browser.painter.calls[0].bounds.right, 20);
    EXPECT_FALSE(browser.painter.calls[0].targetDevice);

    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST(BrowserDoubles, TheBrowserRecordsNavigationsRefreshesAndCommands) {
    FakeBrowser browser;
    OleVariant url(L"http://host/a"), flags(LONG{2}), level(LONG{7}), in(L"in");
    ASSERT_EQ(browser.Navigate2(url.ptr(), flags.ptr(), nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(browser.Navigate(Bstr(L"http://host/b").get(), nullptr, nullptr, nullptr, nullptr),
              S_OK);
    ASSERT_EQ(browser.Refresh2(level.ptr()), S_OK);
    ASSERT_EQ(browser.ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, in.ptr(), nullptr),
              S_OK);
    ASSERT_EQ(browser.navigations.size(), 2u);
    EXPECT_EQ(browser.navigations[0].method, L"Navigate2");
    EXPECT_EQ(VariantToString(browser.navigations[0].url.get()), L"http://host/a");
    EXPECT_EQ(VariantToInt(browser.navigations[0].flags.get()), 2);
    EXPECT_EQ(browser.navigations[0].target.vt(), VT_ERROR) << "not given";
    EXPECT_EQ(VariantToString(browser.navigations[1].url.get()), L"http://host/b");
    ASSERT_EQ(browser.refreshLevels.size(), 1u);
    EXPECT_EQ(VariantToInt(browser.refreshLevels[0].get()), 7);
    ASSERT_EQ(browser.commands.calls.size(), 1u);
    EXPECT_EQ(browser.commands.calls[0].cmd, DWORD{OLECMDID_PRINT});
    EXPECT_EQ(browser.commands.calls[0].option, DWORD{OLECMDEXECOPT_DONTPROMPTUSER});
    EXPECT_EQ(VariantToString(browser.commands.calls[0].in.get()), L"in");
    EXPECT_EQ(browser.Count(), 1u);
}

} // namespace
