// Scrolling, scroll bars and positions, frames and the word at a point, through the page doubles
// (this platform's control never has a document); the folder view through a real window chain.
#include "browser/tools/DocScroll.h"

#include "tests/browser/FakeBrowser.h"
#include "tests/browser/tools/FakeToolHost.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::CountWatch;
using test::FakeBrowser;
using test::FakeCollection;
using test::FakeDispatch;
using test::FakeDocument;
using test::FakeElement;
using test::FakeRect;
using test::FakeSelection;
using test::FakeTextRange;
using test::FakeToolHost;
using test::FakeWindow;
using Scrolls = std::vector<FakeWindow::Scroll>;

// A rectangle that records the order its sides are read in.
class ReadRect final : public FakeRect {
public:
    ReadRect(LONG left, LONG top) : FakeRect(left, top, left + 10, top + 10) {}
    std::vector<std::wstring> reads;
    HRESULT STDMETHODCALLTYPE get_left(LONG* p) override {
        reads.emplace_back(L"left");
        return FakeRect::get_left(p);
    }
    HRESULT STDMETHODCALLTYPE get_top(LONG* p) override {
        reads.emplace_back(L"top");
        return FakeRect::get_top(p);
    }
};

// A page: a document with its window and body, and the control's host handing it out.
struct Page {
    FakeDocument doc;
    FakeWindow window;
    FakeElement body{L"BODY"};
    FakeCollection all;
    FakeBrowser browser;
    FakeToolHost host;
    Page() {
        doc.SetWindow(&window);
        doc.SetBody(&body);
        doc.bag.SetObject(L"all", all.Dispatch());
        browser.SetDocument(doc.Dispatch());
        host.document = doc.Dispatch();
        host.application = browser.Dispatch();
        host.browser = &browser;
    }
    // An element of the page with this id, placed at (left, top) of the view.
    FakeElement& Add(const wchar_t* id, ReadRect& rect) {
        auto& e = *elements.emplace_back(std::make_unique<FakeElement>());
        e.bag.Set(L"id", id);
        e.bag.SetObject(L"getBoundingClientRect", rect.Dispatch());
        all.Add(e.Dispatch());
        return e;
    }
    std::vector<std::unique_ptr<FakeElement>> elements;
};

// --- word at a point ----------------------------------------------------------------------------

TEST(WordAtPoint, TheWordUnderThePointComesTrimmedFromTheSelectionsRange) {
    Page page;
    FakeSelection selection;
    FakeTextRange range(L"one word\r\n two");
    range.pointIndex = 6;
    selection.bag.SetObject(L"createRange", range.Dispatch());
    page.doc.bag.SetObject(L"selection", selection.Dispatch());
    const CountWatch counts{&page.doc, &selection, &range};

    EXPECT_EQ(GetWordAtPoint(page.host, 40, 12), L"word");
    EXPECT_EQ(range.log,
              (std::vector<std::wstring>{L"moveToPoint(40,12) [6,6)", L"moveStart(word,-1) [4,6)",
                                         L"moveEnd(word,1) [4,11)"}));
    EXPECT_TRUE(counts.Changed().empty());

    range.bag.Fail(L"moveEnd", E_ACCESSDENIED);
    try {
        (void)GetWordAtPoint(page.host, 40, 12);
        ADD_FAILURE() << "a failing move is raised";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), E_ACCESSDENIED);
    }
    EXPECT_TRUE(counts.Changed().empty());

    // No selection, no document: no word, nothing asked.
    page.doc.bag.SetObject(L"selection", nullptr);
    EXPECT_EQ(GetWordAtPoint(page.host, 40, 12), L"");
    page.host.document = nullptr;
    EXPECT_EQ(GetWordAtPoint(page.host, 40, 12), L"");
}

// --- scrolling to an element --------------------------------------------------------------------

TEST(ScrollToElement, TheWindowScrollsByTheElementsOffsetReadTopFirst) {
    Page page;
    ReadRect other(1, 2), target(30, 400);
    page.Add(L"menu", other);
    page.Add(L"news", target);
    const CountWatch counts{&page.doc, &page.window, &target};

    ScrollToElementId(L"news", page.host);
    EXPECT_EQ(page.window.scrolls, (Scrolls{{L"scrollBy", 30, 400}}));
    EXPECT_EQ(target.reads, (std::vector<std::wstring>{L"top", L"left"}));
    EXPECT_TRUE(other.reads.empty());
    EXPECT_TRUE(counts.Changed().empty());

    // A missing element or document scrolls nothing.
    ScrollToElementId(L"gone", page.host);
    page.host.document = nullptr;
    ScrollToElementId(L"news", page.host);
    EXPECT_EQ(page.window.scrolls.size(), 1u);
}

TEST(ScrollToElement, TheNumericWalkTakesTheFirstElementOfThatIdAndStops) {
    Page page;
    FakeDispatch notAnElement;
    ReadRect three(5, 5), first(0, 70), second(0, 900);
    page.all.Add(notAnElement.Dispatch());
    page.Add(L"3", three);
    page.Add(L"7", first);
    page.Add(L"7", second);
    const CountWatch counts{&page.doc, &notAnElement, &first, &second};

    ScrollToNumericId(7, page.host);
    EXPECT_EQ(page.window.scrolls, (Scrolls{{L"scrollBy", 0, 70}}));
    EXPECT_TRUE(second.reads.empty()) << "the walk stops at the first match";
    EXPECT_TRUE(three.reads.empty());
    EXPECT_TRUE(counts.Changed().empty());

    ScrollToNumericId(8, page.host);
    page.host.document = nullptr;
    ScrollToNumericId(7, page.host);
    EXPECT_EQ(page.window.scrolls.size(), 1u);
}

TEST(ScrollToElement, AFailingCallOfThePageIsRaised) {
    Page page;
    ReadRect rect(3, 4);
    page.Add(L"7", rect).bag.Fail(L"getBoundingClientRect", E_UNEXPECTED);
    EXPECT_THROW(ScrollToElementId(L"7", page.host), EOleSysError);
    EXPECT_THROW(ScrollToNumericId(7, page.host), EOleSysError);
    page.doc.bag.Fail(L"getElementById", E_FAIL);
    EXPECT_THROW(ScrollToElementId(L"7", page.host), EOleSysError);
    EXPECT_TRUE(page.window.scrolls.empty());
}

// --- top, position, bottom ----------------------------------------------------------------------

TEST(ScrollDocument, TopPositionAndBottomReachThePagesWindow) {
    Page page;
    page.body.bag.Set(L"scrollHeight", LONG{1800});
    const CountWatch counts{&page.doc, &page.window, &page.body, &page.browser};
    ScrollDocumentToTop(page.browser.Dispatch());
    ScrollDocumentTo(page.browser.Dispatch(), 15, 260);
    ScrollDocumentToBottom(page.doc.Dispatch());
    EXPECT_EQ(page.window.scrolls,
              (Scrolls{{L"scrollTo", 0, 0}, {L"scrollTo", 15, 260}, {L"scrollBy", 0, 1800}}));
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(ScrollDocument, MissingPiecesAndFailuresDoNothingAndRaiseNothing) {
    Page page;
    page.body.bag.Set(L"scrollHeight", LONG{900});
    page.window.scrollResult = E_FAIL;
    // Each scroll reaches the page, which refuses it; the refusal ends there.
    ScrollDocumentToTop(page.browser.Dispatch());
    ScrollDocumentTo(page.browser.Dispatch(), 1, 2);
    ScrollDocumentToBottom(page.doc.Dispatch());
    EXPECT_EQ(page.window.refused,
              (Scrolls{{L"scrollTo", 0, 0}, {L"scrollTo", 1, 2}, {L"scrollBy", 0, 900}}));
    page.window.refused.clear();

    page.window.scrollResult = S_OK;
    FakeDispatch notHtml;
    FakeBrowser other;
    other.SetDocument(notHtml.Dispatch());
    ScrollDocumentToTop(other.Dispatch());
    ScrollDocumentToTop(nullptr);
    ScrollDocumentToBottom(notHtml.Dispatch());
    ScrollDocumentToBottom(nullptr);
    page.body.bag.Fail(L"scrollHeight", E_FAIL);
    ScrollDocumentToBottom(page.doc.Dispatch());
    page.doc.SetBody(nullptr);
    ScrollDocumentToBottom(page.doc.Dispatch());
    page.doc.SetWindow(nullptr);
    ScrollDocumentTo(page.browser.Dispatch(), 1, 2);
    EXPECT_TRUE(page.window.scrolls.empty());
    EXPECT_TRUE(page.window.refused.empty());
}

// --- positions and bars -------------------------------------------------------------------------

TEST(ScrollPosition, TheRootElementElseTheBodysAttributeElseUnknown) {
    struct Case {
        const char* name;
        bool root;
        LONG rootTop, rootLeft;
        LONG bodyTop, bodyLeft;
        const wchar_t* failing; // a member of the root that cannot be read
        POINT expected;
        bool ok;
    };
    const Case cases[] = {
        {"root scrolled", true, 30, 12, 500, 500, nullptr, {12, 30}, true},
        {"root at 0: the body's attribute", true, 0, 0, 120, 8, nullptr, {8, 120}, true},
        {"root 0 down, 40 across", true, 0, 40, 120, 8, nullptr, {40, 120}, true},
        {"unreadable top", true, 30, 12, 0, 0, L"scrollTop", {12, -1}, false},
        {"no root element", false, 0, 0, 120, 8, nullptr, {-1, -1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        FakeElement root(L"HTML");
        root.bag.Set(L"scrollTop", c.rootTop);
        root.bag.Set(L"scrollLeft", c.rootLeft);
        if (c.failing) root.bag.Fail(c.failing, E_FAIL);
        page.body.bag.Set(L"scrollTop", c.bodyTop);
        page.body.bag.Set(L"scrollLeft", c.bodyLeft);
        if (c.root) page.doc.bag.SetObject(L"documentElement", root.Dispatch());
        const CountWatch counts{&page.doc, &page.body, &root};
        POINT pos{5, 5};
        EXPECT_EQ(GetDocumentScrollPos(page.host, pos), c.ok);
        EXPECT_EQ(pos.x, c.expected.x);
        EXPECT_EQ(pos.y, c.expected.y);
        EXPECT_EQ(GetScrollPosition(page.host, pos), c.ok) << "no folder view to fall back on";
        EXPECT_TRUE(counts.Changed().empty());
    }

    // Without a body, or an HTML document, nothing is read.
    Page page;
    page.doc.SetBody(nullptr);
    POINT pos{5, 5};
    EXPECT_FALSE(GetDocumentScrollPos(page.host, pos));
    EXPECT_EQ(pos.x, -1);
    EXPECT_EQ(pos.y, -1);
    FakeDispatch notHtml;
    page.host.document = notHtml.Dispatch();
    EXPECT_FALSE(GetScrollPosition(page.host, pos));
}

TEST(ScrollBars, ThePagesBarsFollowItsScrollAndClientSizes) {
    Page page;
    page.body.bag.Set(L"scrollHeight", LONG{900});
    page.body.bag.Set(L"clientHeight", LONG{400});
    page.body.bag.Set(L"scrollWidth", LONG{300});
    page.body.bag.Set(L"clientWidth", LONG{300});
    bool horizontal = true, vertical = false;
    GetScrollBarsVisible(page.host, horizontal, vertical);
    EXPECT_TRUE(vertical);
    EXPECT_FALSE(horizontal);
    page.body.bag.Fail(L"clientHeight", E_FAIL);
    EXPECT_THROW(GetScrollBarsVisible(page.host, horizontal, vertical), EOleSysError);

    // Without a body both are off.
    page.doc.SetBody(nullptr);
    vertical = horizontal = true;
    GetScrollBarsVisible(page.host, horizontal, vertical);
    EXPECT_FALSE(vertical);
    EXPECT_FALSE(horizontal);
}

// --- the folder view ----------------------------------------------------------------------------

// A window destroyed with its children at the end of the test.
struct TestWindow {
    HWND handle;
    explicit TestWindow(HWND h) : handle(h) {}
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow() { ::DestroyWindow(handle); }
};

HWND Child(const wchar_t* cls, HWND parent, DWORD style = 0) {
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 150, parent,
                             nullptr, nullptr, nullptr);
}

TEST(FolderView, BarsAndPositionComeFromTheListViewOnTheFirstChildsChain) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    EXPECT_EQ(sizeof(SCROLLINFO), 28u);
    TestWindow control(::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 200,
                                         nullptr, nullptr, nullptr, nullptr));
    // As the control shows a folder: embedding > document view > folder view > list view.
    const HWND embedding = Child(L"Static", control.handle);
    const HWND folder = Child(L"Static", Child(L"Static", embedding));
    // The list view leaves its bars to the test.
    const HWND view = Child(WC_LISTVIEWW, folder, WS_VSCROLL | LVS_REPORT | LVS_NOSCROLL);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(FindFolderListView(control.handle), view);

    FakeToolHost host;
    host.window = control.handle;
    bool horizontal = true, vertical = false;
    GetScrollBarsVisible(host, horizontal, vertical);
    EXPECT_TRUE(vertical);
    EXPECT_FALSE(horizontal);

    // The positions the bars were given (a horizontal one too, which shows that bar).
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_POS, 0, 100, 0, 40, 0};
    ::SetScrollInfo(view, SB_VERT, &info, FALSE);
    info.nPos = 7;
    ::SetScrollInfo(view, SB_HORZ, &info, FALSE);
    POINT pos{-1, -1};
    EXPECT_TRUE(GetFolderScrollPos(host, pos));
    EXPECT_EQ(pos.y, 40);
    EXPECT_EQ(pos.x, 7);
    pos = {-1, -1};
    EXPECT_TRUE(GetScrollPosition(host, pos)) << "no document: the folder view decides";
    EXPECT_EQ(pos.y, 40);
}

TEST(FolderView, AListViewRightUnderTheControlWindowIsNotFound) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    TestWindow control(::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 240, 200, nullptr,
                                         nullptr, nullptr, nullptr));
    ASSERT_NE(Child(WC_LISTVIEWW, control.handle, WS_VSCROLL), nullptr);
    EXPECT_EQ(FindFolderListView(control.handle), nullptr);
    // Nor is one below a later sibling: only the first children lead down.
    const HWND later = Child(L"Static", control.handle);
    ::SetWindowPos(later, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_NE(Child(WC_LISTVIEWW, later, WS_VSCROLL), nullptr);
    EXPECT_EQ(FindFolderListView(control.handle), nullptr);
    FakeToolHost host;
    host.window = control.handle;
    POINT pos{-1, -1};
    EXPECT_FALSE(GetFolderScrollPos(host, pos));
    EXPECT_EQ(FindFolderListView(nullptr), nullptr);
}

// --- frames -------------------------------------------------------------------------------------

TEST(Frames, EmbeddedObjectsCountAtMost100) {
    FakeDocument doc;
    std::vector<std::unique_ptr<FakeDispatch>> objects(150);
    for (auto& o : objects) {
        o = std::make_unique<FakeDispatch>();
        doc.embeddings.push_back(o->Unknown());
    }
    EXPECT_EQ(CountEmbeddedObjects(doc.Unknown()), 100);
    EXPECT_EQ(doc.enumFlags, (std::vector<DWORD>{1}));
    EXPECT_EQ(doc.enumerators.at(0)->nexts, (std::vector<ULONG>{100}));
    for (const auto& o : objects)
        EXPECT_EQ(o->Count(), 1u);
    EXPECT_EQ(doc.Count(), 1u);
}

TEST(Frames, OnlyWebBrowsersAmongTheEmbeddingsAreFrames) {
    FakeDocument doc;
    FakeDispatch plugIn1, plugIn2;
    FakeBrowser frame1, frame2;
    const CountWatch counts{&doc, &plugIn1, &plugIn2, &frame1, &frame2};
    doc.embeddings = {plugIn1.Unknown(), plugIn2.Unknown()};
    EXPECT_EQ(CountFrameBrowsers(doc.Unknown()), 0);
    doc.embeddings = {frame1.Unknown(), plugIn1.Unknown(), frame2.Unknown()};
    EXPECT_EQ(CountFrameBrowsers(doc.Unknown()), 2);
    EXPECT_EQ(doc.enumFlags, (std::vector<DWORD>{1, 1}));
    EXPECT_EQ(doc.enumerators.at(1)->nexts, (std::vector<ULONG>{1, 1, 1, 1}));
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(Frames, AFrameIsFetchedByItsNumberAmongEmbeddingsAndOthers) {
    FakeDocument doc;
    FakeDispatch plugIn;
    FakeBrowser embedded, other;
    doc.embeddings = {plugIn.Unknown(), embedded.Unknown()};
    doc.others = {other.Unknown()};
    const CountWatch counts{&doc, &plugIn, &embedded, &other};
    const auto frame = [&](int n) {
        ComPtr<IWebBrowser2> b(&embedded);
        GetFrameBrowser(doc.Unknown(), n, b);
        return b.get();
    };
    EXPECT_EQ(frame(1), static_cast<IWebBrowser2*>(&embedded));
    EXPECT_EQ(frame(2), static_cast<IWebBrowser2*>(&other));
    EXPECT_EQ(frame(0), nullptr) << "the plug-in is no browser";
    EXPECT_EQ(frame(3), nullptr) << "past the end";
    EXPECT_EQ(doc.enumFlags, (std::vector<DWORD>{5, 5, 5, 5}));
    EXPECT_TRUE(counts.Changed().empty());

    // Without an HTML document, or when the container cannot enumerate, there is nothing.
    FakeDispatch notHtml;
    EXPECT_EQ(CountEmbeddedObjects(notHtml.Unknown()), 0);
    EXPECT_EQ(CountFrameBrowsers(nullptr), 0);
    doc.bag.Fail(L"EnumObjects", E_FAIL);
    EXPECT_EQ(frame(1), nullptr);
    EXPECT_EQ(CountFrameBrowsers(doc.Unknown()), 0);
    EXPECT_EQ(CountEmbeddedObjects(doc.Unknown()), 0);
}

} // namespace
