// Page content, character set and snapshots: through the page doubles, through the real control
// (which never has a document here but draws), and the pictures of a page fetched from the
// stand-in server.
#include "browser/tools/Content.h"

#include "browser/component/HostedWB.h"
#include "classlib/Jpeg.h"
#include "classlib/StdCtrls.h"
#include "tests/browser/FakePage.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::DialogCallsSpy;
using test::FakeBrowser;
using test::FakeCollection;
using test::FakeDocument;
using test::FakeElement;
using test::FakeToolHost;
using test::FakeWindow;
using test::ViewPainter;
using tn::testing::TempDir;
using Lines = std::vector<std::wstring>;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"Content test"));

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

using Page = test::FakePage<>;

// A link element with its address.
struct Link : FakeElement {
    explicit Link(const wchar_t* href) : FakeElement(L"A") { bag.Set(L"href", href); }
};

// A frame: its window and the document it shows.
struct Frame {
    FakeWindow window;
    FakeDocument doc;
    FakeElement body;
    FakeCollection links;
    explicit Frame(const wchar_t* tag = L"BODY") : body(tag) {
        doc.SetBody(&body);
        doc.SetWindow(&window);
        doc.bag.SetObject(L"links", links.Dispatch());
    }
};

// --- markup, text and links ---------------------------------------------------------------------

TEST(Content, MarkupAndTextComeFromTheDocumentElementOnlyForAnHtmlDocument) {
    Page page;
    Lines list{L"old"};
    GetDocumentHtml(page.App(), page.Doc(), list);
    EXPECT_EQ(list, Lines{L"<body>Hello</body>"});
    GetDocumentText(page.App(), page.Doc(), list);
    EXPECT_EQ(list, Lines{L"Hello"});
    EXPECT_EQ(GetDocumentSource(page.App()), L"<body>Hello</body>\r\n");
    EXPECT_EQ(GetDocumentSourceText(page.App(), page.Doc()), L"Hello\r\n");

    // The document reference only guards; what is read is the automation object's.
    test::FakeDispatch notADocument;
    GetDocumentHtml(page.App(), notADocument.Dispatch(), list);
    EXPECT_TRUE(list.empty());
    list = {L"old"};
    GetDocumentText(page.App(), nullptr, list);
    EXPECT_TRUE(list.empty());

    // Errors are swallowed into an empty list.
    page.root.bag.Fail(L"innerHTML", E_ACCESSDENIED);
    list = {L"old"};
    GetDocumentHtml(page.App(), page.Doc(), list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(GetDocumentSource(page.App()), L"");
}

TEST(Content, TheTextIsShownInAnOwnerlessBoxWithoutIcon) {
    Page page;
    const DialogCallsSpy spy;
    ShowDocumentText(page.App(), page.Doc());
    ASSERT_EQ(DialogCallsSpy::Boxes.size(), 1u);
    const auto& box = DialogCallsSpy::Boxes[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, L"Hello");
    EXPECT_EQ(box.caption, L"Content test");
    EXPECT_EQ(box.flags, UINT(MB_OK));

    ShowDocumentText(page.App(), nullptr);
    EXPECT_EQ(DialogCallsSpy::Boxes.size(), 1u);
    page.root.bag.Fail(L"innerText", E_ACCESSDENIED);
    EXPECT_THROW(ShowDocumentText(page.App(), page.Doc()), EOleError);
}

TEST(Content, LinksOfTheBodyAndOfEveryFrameInOrder) {
    struct Case {
        const char* name;
        std::vector<const wchar_t*> top;                 // null: the top is a frame set
        std::vector<std::vector<const wchar_t*>> frames; // null item: an unreadable frame
        Lines expected;
    };
    const std::vector<Case> cases{
        {"one link", {L"http://a/1"}, {}, {L"http://a/1"}},
        {"no link", {}, {}, {L"No Links found in the page body"}},
        {"frame set of two frames",
         {nullptr},
         {{L"http://f1/a", L"http://f1/b"}, {}},
         {L"http://f1/a", L"http://f1/b", L"No Links found in the page body"}},
        {"an unreadable frame is skipped",
         {L"http://a/1"},
         {{nullptr}, {L"http://f2/a"}},
         {L"http://a/1", L"http://f2/a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        std::vector<std::unique_ptr<Link>> made;
        const bool frameSet = !c.top.empty() && c.top[0] == nullptr;
        if (frameSet)
            page.body.bag.Set(L"tagName", L"FRAMESET");
        else
            for (const wchar_t* href : c.top)
                page.links.Add(made.emplace_back(std::make_unique<Link>(href))->Dispatch());
        std::vector<std::unique_ptr<Frame>> frames;
        for (const auto& hrefs : c.frames) {
            Frame& f = *frames.emplace_back(std::make_unique<Frame>());
            page.window.frames.push_back(&f.window);
            if (!hrefs.empty() && hrefs[0] == nullptr) {
                f.window.bag.Fail(L"document", E_ACCESSDENIED); // another site's frame
                continue;
            }
            for (const wchar_t* href : hrefs)
                f.links.Add(made.emplace_back(std::make_unique<Link>(href))->Dispatch());
        }

        Lines list{L"old"};
        GetPageLinks(page.App(), list);
        EXPECT_EQ(list, c.expected);
    }
}

TEST(Content, FramesNestToAnyDepthAndTheTopDocumentsErrorsRaise) {
    Page page;
    page.body.bag.Set(L"tagName", L"FRAMESET");
    Frame outer(L"FRAMESET"), inner;
    Link deep(L"http://deep/");
    inner.links.Add(deep.Dispatch());
    outer.window.frames.push_back(&inner.window);
    page.window.frames.push_back(&outer.window);
    Lines list;
    GetPageLinks(page.App(), list);
    EXPECT_EQ(list, Lines{L"http://deep/"});

    page.doc.bag.Fail(L"links", E_ACCESSDENIED);
    page.body.bag.Set(L"tagName", L"BODY");
    EXPECT_THROW(GetPageLinks(page.App(), list), EOleError);
    EXPECT_TRUE(list.empty()) << "cleared first";

    // No HTML document: nothing, and no error.
    page.doc.Refuse(IID_IHTMLDocument2);
    list = {L"old"};
    GetPageLinks(page.App(), list);
    EXPECT_TRUE(list.empty());
}

// --- saving the text and the pictures -----------------------------------------------------------

// While it lives, the current folder is the one given: a file saved under a bare name lands there.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::wstring& folder) {
        wchar_t saved[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, saved);
        FSaved = saved;
        EXPECT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;
    ~CurrentFolder() { ::SetCurrentDirectoryW(FSaved.c_str()); }

private:
    std::wstring FSaved;
};

TEST(Content, TheTextIsSavedWhereTheUserChoseAndNotWhenCancelled) {
    Page page;
    FakeToolHost owner;
    owner.window = reinterpret_cast<HWND>(0x1234);
    const TempDir dir;
    const DialogCallsSpy spy;
    // A save of the proposed name despite the cancel would land here.
    const TempDir current;
    const CurrentFolder inCurrent(current.Path());

    SaveDocumentTextDialog(owner, page.App(), page.Doc());
    ASSERT_EQ(DialogCallsSpy::Saves.size(), 1u);
    const TFileDialogRequest& r = DialogCallsSpy::Saves[0];
    EXPECT_EQ(r.Owner, owner.window);
    EXPECT_EQ(r.Title, L"Web Site Text");
    EXPECT_EQ(r.Filter, L"Text file|*.txt|Word file|*.doc");
    EXPECT_EQ(r.DefaultExt, L"txt");
    EXPECT_EQ(r.FilterIndex, 1u);
    EXPECT_EQ(r.FileName, L"WebSiteText.txt");
    EXPECT_FALSE(Exists(current.File(L"WebSiteText.txt"))) << "cancelled: nothing saved";

    DialogCallsSpy::FileAnswer = dir.File(L"page.txt");
    SaveDocumentTextDialog(owner, page.App(), page.Doc());
    EXPECT_EQ(tn::testing::ReadFileBytes(dir.File(L"page.txt")), "\xEF\xBB\xBFHello\r\n");

    SaveDocumentTextDialog(owner, page.App(), nullptr);
    EXPECT_EQ(DialogCallsSpy::Saves.size(), 2u) << "no HTML document, no dialog";
}

TEST(Content, PicturesOfTheFourKindsAreSavedIntoTheImagesFolderOfTheChosenOne) {
    const tn::testing::Standin standin;
    standin.Reset();
    const std::string png("\x89PNG\r\n\x1a\nbytes", 13);
    for (const char* path : {"/img/logo.PNG", "/img/ok.png", "/img/CON.png", "/img/nul.gif",
                             "/img/com1.jpg", "/img/LPT9.bmp", "/img/aux .png", "/img/x.php"})
        standin.Set(path, {.status = 200, .body = png, .contentType = "image/png"});
    Page page;
    std::vector<std::unique_ptr<FakeElement>> pictures;
    for (const std::wstring& src :
         {standin.Url(L"/img/logo.PNG"), standin.Url(L"/img/photo.jpeg"), standin.Url(L"/img/pic"),
          standin.Url(L"/img/..\\x.png"), standin.Url(L"/img/ok.png?size=2#top"),
          standin.Url(L"/img/x.php?id=3.png"), standin.Url(L"/img/CON.png"),
          standin.Url(L"/img/nul.gif"), standin.Url(L"/img/com1.jpg"),
          standin.Url(L"/img/LPT9.bmp"), standin.Url(L"/img/aux .png")}) {
        auto& img = *pictures.emplace_back(std::make_unique<FakeElement>(L"IMG"));
        img.bag.Set(L"src", std::wstring_view(src));
        page.images.Add(img.Dispatch());
    }
    const TempDir dir;
    const std::wstring folder = dir.File(L"chosen");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const DialogCallsSpy spy;
    const auto owner = reinterpret_cast<HWND>(0x4321);
    FakeToolHost host;

    // Cancelled: nothing is asked of the server.
    SaveDocumentImages(host, owner, page.App(), page.Doc());
    ASSERT_EQ(DialogCallsSpy::Folders.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Folders[0].owner, owner) << "the dialog is the component's form's";
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_FALSE(Exists(folder + L"\\Images"));

    DialogCallsSpy::FolderAnswer = folder;
    SaveDocumentImages(host, owner, page.App(), page.Doc());
    EXPECT_EQ(tn::testing::ReadFileBytes(folder + L"\\Images\\logo.PNG"), png);
    // The page's name cannot lead out of the folder: it lands inside, cleaned.
    EXPECT_TRUE(Exists(folder + L"\\Images\\x.png"));
    EXPECT_FALSE(Exists(folder + L"\\x.png"));
    // The kind and the name are the path's: the query and fragment are no part of either.
    EXPECT_EQ(tn::testing::ReadFileBytes(folder + L"\\Images\\ok.png"), png);
    // The ".jpeg", dotless, script and device-named addresses are never asked for; the address
    // with a backslash is asked for as the library resolves it.
    EXPECT_EQ(standin.Requests(),
              (std::vector<std::string>{"/img/logo.PNG", "/x.png", "/img/ok.png?size=2"}));

    pictures[0]->bag.Fail(L"src", E_ACCESSDENIED);
    EXPECT_THROW(SaveDocumentImages(host, owner, page.App(), page.Doc()), EOleError);
    SaveDocumentImages(host, owner, page.App(), nullptr);
    EXPECT_EQ(DialogCallsSpy::Folders.size(), 3u) << "no HTML document, no folder asked";
}

// --- character set ------------------------------------------------------------------------------

TEST(Content, TheCharacterSetIsSetAfterTheWaitAndReloadedOnlyWhenAsked) {
    Page page;
    FakeToolHost host;
    host.document = page.doc.Dispatch();
    host.browser = &page.browser;

    EXPECT_TRUE(SetDocumentCharset(host, page.Doc(), L"gb2312", false));
    EXPECT_EQ(host.waits, std::vector<DWORD>{0});
    EXPECT_EQ(page.doc.bag.Text(L"charset"), L"gb2312");
    EXPECT_TRUE(page.browser.refreshLevels.empty());

    EXPECT_TRUE(SetDocumentCharset(host, page.Doc(), L"utf-8", true));
    EXPECT_EQ(page.doc.bag.Text(L"charset"), L"utf-8");
    ASSERT_EQ(page.browser.refreshLevels.size(), 1u);
    EXPECT_EQ(page.browser.refreshLevels[0].vt(), VT_I4);
    EXPECT_EQ(page.browser.refreshLevels[0].get().lVal, 7);

    // A failing reload keeps the character set's success.
    page.browser.bag.Fail(L"Refresh2", E_FAIL);
    EXPECT_TRUE(SetDocumentCharset(host, page.Doc(), L"big5", true));

    EXPECT_FALSE(SetDocumentCharset(host, nullptr, L"big5", true));
    page.doc.bag.Fail(L"charset", E_INVALIDARG);
    EXPECT_FALSE(SetDocumentCharset(host, page.Doc(), L"no-such-set", true));
    EXPECT_EQ(page.browser.refreshLevels.size(), 1u);

    // A wait that frees the host: false, and the host is not asked for anything more.
    page.doc.bag.Fail(L"charset", S_OK);
    host.waitEndsLife = true;
    EXPECT_FALSE(SetDocumentCharset(host, page.Doc(), L"koi8-r", true));
    EXPECT_EQ(host.touchedAfterEnd, 0);
    EXPECT_EQ(page.doc.bag.Text(L"charset"), L"big5");
}

// --- pictures of the page -----------------------------------------------------------------------

void ExpectPaintedCall(const ViewPainter::Call& call, DWORD aspect, LONG index, LONG w, LONG h) {
    EXPECT_EQ(call.aspect, aspect);
    EXPECT_EQ(call.index, index);
    EXPECT_FALSE(call.aspectData);
    EXPECT_FALSE(call.targetDevice);
    EXPECT_EQ(call.targetDc, nullptr) << "no target device";
    EXPECT_EQ(call.bounds.left, 0);
    EXPECT_EQ(call.bounds.top, 0);
    EXPECT_EQ(call.bounds.right, w);
    EXPECT_EQ(call.bounds.bottom, h);
}

// Every pixel of the bitmap within tolerance of the colour.
void ExpectAll(const TBitmap& b, COLORREF colour, int tolerance) {
    ::GdiFlush();
    int off = 0;
    for (int i = 0; i < b.Width() * b.Height(); ++i) {
        const std::uint8_t* p = b.Bits() + std::size_t(i) * 4;
        off += std::abs(p[0] - GetBValue(colour)) > tolerance ||
               std::abs(p[1] - GetGValue(colour)) > tolerance ||
               std::abs(p[2] - GetRValue(colour)) > tolerance;
    }
    EXPECT_EQ(off, 0) << "pixels off the colour";
}

TEST(Content, TheBitmapSnapshotHoldsThePaintedPageExactly) {
    Page page;
    const TempDir dir;
    const std::wstring file = dir.File(L"page.bmp");
    ASSERT_TRUE(SaveSnapshotBitmap(page.Doc(), 30, 20, file));
    ASSERT_EQ(page.doc.painter.calls.size(), 1u);
    ExpectPaintedCall(page.doc.painter.calls[0], DVASPECT_CONTENT, 1, 30, 20);

    const std::string bytes = tn::testing::ReadFileBytes(file);
    TBitmap back;
    back.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(back.Width(), 30);
    EXPECT_EQ(back.Height(), 20);
    ExpectAll(back, page.doc.painter.colour, 0);

    // Failures are false and leave no file.
    ASSERT_TRUE(::DeleteFileW(file.c_str()));
    page.doc.painter.result = E_FAIL;
    EXPECT_FALSE(SaveSnapshotBitmap(page.Doc(), 30, 20, file));
    page.doc.painter.result = S_OK;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 20}, {30, -1}, {10000, 10000}})
        EXPECT_FALSE(SaveSnapshotBitmap(page.Doc(), w, h, file)) << w << " x " << h;
    EXPECT_FALSE(SaveSnapshotBitmap(page.Doc(), 30, 20, dir.File(L"missing\\page.bmp")));
    page.doc.Refuse(IID_IViewObject);
    EXPECT_FALSE(SaveSnapshotBitmap(page.Doc(), 30, 20, file));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(SaveSnapshotBitmap(page.browser.Dispatch(), 30, 20, file)) << "no HTML document";
}

TEST(Content, TheJpegSnapshotIsTheSourceStretchedToTheTarget) {
    Page page;
    const TempDir dir;
    const std::wstring file = dir.File(L"page.jpg");
    // Height before width, source before target.
    ASSERT_TRUE(SaveSnapshotJpeg(page.browser.Unknown(), file, 60, 80, 30, 40));
    ASSERT_EQ(page.browser.painter.calls.size(), 1u);
    ExpectPaintedCall(page.browser.painter.calls[0], DVASPECT_CONTENT, 1, 80, 60);

    TPicture pic;
    pic.LoadFromFile(file);
    const auto* jpeg = dynamic_cast<TJPEGImage*>(pic.Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->Width(), 40);
    EXPECT_EQ(jpeg->Height(), 30);
    ExpectAll(jpeg->Bitmap(), page.browser.painter.colour, 6);

    ASSERT_TRUE(::DeleteFileW(file.c_str()));
    page.browser.painter.result = E_FAIL;
    EXPECT_FALSE(SaveSnapshotJpeg(page.browser.Unknown(), file, 60, 80, 30, 40));
    page.browser.painter.result = S_OK;
    const std::vector<std::array<int, 4>> sizes{{0, 80, 30, 40},
                                                {60, -5, 30, 40},
                                                {60, 80, 0, 40},
                                                {60, 80, 30, -1},
                                                {10000, 10000, 30, 40}};
    for (const auto& s : sizes)
        EXPECT_FALSE(SaveSnapshotJpeg(page.browser.Unknown(), file, s[0], s[1], s[2], s[3]));
    EXPECT_FALSE(SaveSnapshotJpeg(nullptr, file, 60, 80, 30, 40));
    page.browser.Refuse(IID_IViewObject);
    EXPECT_FALSE(SaveSnapshotJpeg(page.browser.Unknown(), file, 60, 80, 30, 40));
    EXPECT_FALSE(Exists(file));
    EXPECT_EQ(page.browser.painter.calls.size(), 2u) << "only the failing draw besides the first";
}

TEST(Content, TheThumbnailFillsTheImageAtItsSize) {
    Page page;
    const auto image = TComponent::CreateOwned<TImage>();
    image->SetBounds(0, 0, 200, 100);
    DrawThumbnail(page.App(), image.get());
    ASSERT_EQ(page.browser.painter.calls.size(), 1u);
    ExpectPaintedCall(page.browser.painter.calls[0], DVASPECT_DOCPRINT, 0, 200, 100);
    TBitmap& bitmap = image->Picture().Bitmap();
    EXPECT_EQ(bitmap.Width(), 200);
    EXPECT_EQ(bitmap.Height(), 100);
    ExpectAll(bitmap, page.browser.painter.colour, 0);

    DrawThumbnail(page.App(), nullptr);
    EXPECT_EQ(page.browser.painter.calls.size(), 1u);
    page.browser.Refuse(IID_IViewObject);
    EXPECT_THROW(DrawThumbnail(page.App(), image.get()), EOleSysError);
}

// --- the real control ---------------------------------------------------------------------------

TEST(Content, TheRealControlDrawsButHasNoContent) {
    const auto wb = TComponent::CreateOwned<THostedWB>();
    TBrowserToolHost& host = *wb;
    IWebBrowser2* browser = host.Browser();
    ASSERT_NE(browser, nullptr);
    const ComPtr<IDispatch> app = host.Application();
    const ComPtr<IDispatch> doc = host.Document();
    const TempDir dir;

    // Its Draw answers without a document, so the JPEG snapshot runs for real.
    ASSERT_TRUE(SaveSnapshotJpeg(browser, dir.File(L"real.jpg"), 120, 160, 30, 40));
    TPicture pic;
    pic.LoadFromFile(dir.File(L"real.jpg"));
    EXPECT_EQ(pic.Width(), 40);
    EXPECT_EQ(pic.Height(), 30);
    EXPECT_FALSE(SaveSnapshotBitmap(doc.get(), 160, 120, dir.File(L"real.bmp")));
    EXPECT_FALSE(Exists(dir.File(L"real.bmp")));

    // What the thumbnail's aspect answers here.
    const auto view = ComPtr<IWebBrowser2>(browser).as<IViewObject>();
    ASSERT_TRUE(view);
    TBitmap bitmap;
    bitmap.SetSize(20, 10);
    const RECTL bounds{0, 0, 20, 10};
    EXPECT_EQ(view->Draw(DVASPECT_DOCPRINT, 0, nullptr, nullptr, nullptr, bitmap.Canvas().Handle(),
                         &bounds, nullptr, nullptr, 0),
              S_OK);
    // The automation object is the control itself, so the thumbnail draws through it.
    const auto image = TComponent::CreateOwned<TImage>();
    image->SetBounds(0, 0, 200, 100);
    DrawThumbnail(app.get(), image.get());
    EXPECT_EQ(image->Picture().Width(), 200);

    const DialogCallsSpy spy;
    Lines list{L"old"};
    GetDocumentHtml(app.get(), doc.get(), list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(GetDocumentSource(app.get()), L"");
    EXPECT_EQ(GetDocumentSourceText(app.get(), doc.get()), L"");
    list = {L"old"};
    GetPageLinks(app.get(), list);
    EXPECT_TRUE(list.empty());
    ShowDocumentText(app.get(), doc.get());
    SaveDocumentTextDialog(host, app.get(), doc.get());
    SaveDocumentImages(host, nullptr, app.get(), doc.get());
    EXPECT_TRUE(DialogCallsSpy::Boxes.empty());
    EXPECT_TRUE(DialogCallsSpy::Saves.empty());
    EXPECT_TRUE(DialogCallsSpy::Folders.empty());
    EXPECT_FALSE(SetDocumentCharset(host, doc.get(), L"utf-8", true));
}

} // namespace
