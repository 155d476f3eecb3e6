// The browser component's printing, dialogs, source view and snapshots: on the real control,
// which has no document here, and through a component that hands out page doubles. Every dialog
// goes through the replaceable table; the page-setup dialog is a window of the test's own.
#include "browser/component/BrowserModule.h"
#include "browser/component/HostedWB.h"
#include "browser/host/HwbGuids.h"

#include "classlib/FileUtil.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/Jpeg.h"
#include "classlib/StdCtrls.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/component/DialogWindows.h"
#include "tests/browser/FakePage.h"
#include "tests/browser/PrintingDoubles.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;
using test::DialogCallsSpy;
using test::FakeCollection;
using test::FakeDocument;
using test::FakeElement;
using test::FakeWindow;
using test::PreviewCallsSpy;
using test::PrintBrowser;
using tn::testing::TempDir;
using Lines = std::vector<std::wstring>;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"Printing test"));

// The launcher's layouts store these.
const std::wstring kHeader = L"w&b页码，&p/&P(&W)";
const std::wstring kFooter = L"&u&b&d";

// A page with its text, markup and one link, shown by a control that records its print commands
// and serves as the automation object.
struct Page : test::FakePage<PrintBrowser> {
    FakeElement link{L"A"};
    Page() {
        link.bag.Set(L"href", L"http://example.test/a");
        links.Add(link.Dispatch());
    }
};

// An image control of that size.
TComponent::Owned<TImage> ImageOf(int width, int height) {
    auto image = TComponent::CreateOwned<TImage>();
    image->SetBounds(0, 0, width, height);
    return image;
}

// The component handing out the page's doubles; its page is always complete.
class PageWB : public THostedWB {
public:
    explicit PageWB(TComponent* owner) : THostedWB(owner) {}
    Page* page = nullptr; // none yet: the control's own
    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        return page ? ComPtr(page->doc.Dispatch()) : THostedWB::Document();
    }
    [[nodiscard]] ComPtr<IDispatch> Application() const override {
        return page ? ComPtr(page->browser.Dispatch()) : THostedWB::Application();
    }
    [[nodiscard]] IWebBrowser2* Browser() const override {
        return page ? &page->browser : THostedWB::Browser();
    }

protected:
    [[nodiscard]] long ReadyState() const override { return 4; }
};

// A shown form with a small browser of the kind given.
template <typename WB> struct BrowserForm : test::BrowserLayout<WB> {
    BrowserForm() : test::BrowserLayout<WB>(48, 36) {}
};

// The page goes after the form (bases go in reverse order).
struct PageHolder {
    Page page;
};
struct PageForm : PageHolder, BrowserForm<PageWB> {
    PageForm() { wb->page = &page; }
};

// --- the real control ---------------------------------------------------------------------------

TEST(RealControl, EveryOperationGivesItsNeutralValueWithoutRaisingOrShowingADialog) {
    const DialogCallsSpy dialogs; // answers Cancel
    const PreviewCallsSpy preview;
    BrowserForm<THostedWB> f;
    THostedWB& wb = *f.wb;
    // A wait here never ends by itself: each is cancelled at its first pass.
    std::vector<DWORD> waits;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD& timeOut, bool& cancel) {
        waits.push_back(timeOut);
        cancel = true;
    };
    wb.PrintOptions().Enabled = true;
    wb.PrintOptions().Header = kHeader;
    BrowserModuleFlags().FillNextPrintDialog = false;
    const TempDir dir;
    Lines list;
    const auto filled = [&](void (THostedWB::*read)(Lines&)) {
        list = {L"old"};
        (wb.*read)(list);
        return list.empty();
    };
    struct Case {
        const char* name;
        bool waits;
        std::function<bool()> neutral;
    };
    const Case cases[] = {
        {"Print", true, [&] { return wb.Print(), true; }},
        {"PrintWithOptions", true, [&] { return wb.PrintWithOptions(), true; }},
        {"PageSetup", true, [&] { return !wb.PageSetup(true); }},
        {"PrintSetup", true, [&] { return wb.PrintSetup(), true; }},
        {"PrintPreview", false, [&] { return wb.PrintPreview(), true; }},
        {"PrintPreviewExtended", false,
         [&] { return wb.PrintPreviewExtended(SW_SHOW), PreviewCallsSpy::Reads == 0; }},
        {"PrintPreviewFromTemplate", false,
         [&] { return wb.PrintPreviewFromTemplate(dir.File(L"t.htm")), true; }},
        {"OpenDialog", false, [&] { return !wb.OpenDialog(); }},
        {"SaveDialog", false, [&] { return !wb.SaveDialog(); }},
        {"SaveDialogEx", false, [&] { return wb.SaveDialogEx(L"", L"").empty(); }},
        {"ShowInternetOptions", false, [&] { return !wb.ShowInternetOptions(); }},
        {"ShowPageProperties", false, [&] { return !wb.ShowPageProperties(); }},
        {"ShowFindDialog", false, [&] { return !wb.ShowFindDialog(); }},
        {"ViewPageSourceHtml", false, [&] { return !wb.ViewPageSourceHtml(); }},
        {"SaveImagesDialog", false, [&] { return wb.SaveImagesDialog(), true; }},
        {"SavePageTextDialog", true, [&] { return wb.SavePageTextDialog(), true; }},
        {"ViewPageSourceText", false, [&] { return wb.ViewPageSourceText(), true; }},
        {"ViewPageSourceTextToStrings", true,
         [&] { return filled(&THostedWB::ViewPageSourceTextToStrings); }},
        {"ViewPageSourceHtmlToStrings", true,
         [&] { return filled(&THostedWB::ViewPageSourceHtmlToStrings); }},
        {"ViewPageLinksToStrings", false,
         [&] { return filled(&THostedWB::ViewPageLinksToStrings); }},
        {"GetBmpFromBrowser", false,
         [&] {
             return !wb.GetBmpFromBrowser(dir.File(L"page.bmp")) &&
                    !FileExists(dir.File(L"page.bmp"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        waits.clear();
        EXPECT_TRUE(c.neutral());
        EXPECT_EQ(waits, c.waits ? std::vector<DWORD>{0} : std::vector<DWORD>{});
    }
    EXPECT_FALSE(BrowserModuleFlags().FillNextPrintDialog) << "no page, no page setup";
    EXPECT_TRUE(DialogCallsSpy::Boxes.empty());
    EXPECT_TRUE(DialogCallsSpy::Folders.empty());
    // The two file dialogs ask whatever the page: cancelled, they open and save nothing.
    EXPECT_EQ(DialogCallsSpy::Opens.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Saves.size(), 1u);
    EXPECT_TRUE(PreviewCallsSpy::Shows.empty());
}

TEST(RealControl, ItsDrawingMakesAJpegOfTheTargetSizeAndAThumbnail) {
    BrowserForm<THostedWB> f;
    const TempDir dir;
    const std::wstring file = dir.File(L"real.jpg");
    ASSERT_TRUE(f.wb->GetJpegFromBrowser(file, 120, 160, 30, 40));
    TPicture pic;
    pic.LoadFromFile(file);
    EXPECT_EQ(pic.Width(), 40);
    EXPECT_EQ(pic.Height(), 30);

    const auto image = ImageOf(20, 10);
    f.wb->GetThumbnail(image.get());
    EXPECT_EQ(image->Picture().Width(), 20);
    f.wb->GetThumbnail(nullptr);
}

// --- printing -----------------------------------------------------------------------------------

TEST(Printing, PrintHandsTheStoredHeaderAndFooterOnlyWhileTheOptionsAreOff) {
    PageForm f;
    TPrintOptions& o = f.wb->PrintOptions();
    o.Header = kHeader;
    o.Footer = kFooter;
    o.Enabled = false;
    o.HideSetup = true;
    f.wb->Print();
    o.Enabled = true;
    o.HideSetup = false;
    f.wb->Print();
    const auto& execs = f.page.browser.execs;
    ASSERT_EQ(execs.size(), 2u);
    EXPECT_EQ(execs[0].cmd, 6u);
    EXPECT_EQ(execs[0].option, 2u) << "without the print dialog";
    EXPECT_EQ(execs[0].inType, test::kHeaderFooterTag);
    EXPECT_EQ(execs[0].lower, 0);
    EXPECT_EQ(execs[0].texts, (Lines{kHeader, kFooter}));
    EXPECT_EQ(execs[1].cmd, 6u);
    EXPECT_EQ(execs[1].option, 1u);
    EXPECT_EQ(execs[1].inType, VT_EMPTY) << "no array";
    EXPECT_TRUE(f.page.doc.commands.calls.empty()) << "no page setup";
}

TEST(Printing, PrintWithOptionsRaisesTheFlagOnlyWhenEnabledThenPrintsWithoutHeaderAndFooter) {
    PageForm f;
    TPrintOptions& o = f.wb->PrintOptions();
    o.Header = kHeader;
    o.HideSetup = true;
    bool& flag = BrowserModuleFlags().FillNextPrintDialog;
    struct Case {
        bool enabled, before, after;
    };
    for (const Case& c :
         {Case{true, false, true}, Case{false, false, false}, Case{false, true, true}}) {
        SCOPED_TRACE(::testing::Message() << c.enabled << c.before);
        o.Enabled = c.enabled;
        flag = c.before;
        f.page.doc.commands.calls.clear();
        f.page.browser.execs.clear();
        f.wb->PrintWithOptions();
        EXPECT_EQ(flag, c.after);
        ASSERT_EQ(f.page.doc.commands.calls.size(), 1u);
        EXPECT_EQ(f.page.doc.commands.calls[0].cmd, 8u);
        EXPECT_FALSE(f.page.doc.commands.calls[0].grouped);
        ASSERT_EQ(f.page.browser.execs.size(), 1u);
        EXPECT_EQ(f.page.browser.execs[0].cmd, 6u);
        EXPECT_EQ(f.page.browser.execs[0].option, 2u);
        EXPECT_EQ(f.page.browser.execs[0].inType, VT_EMPTY);
    }
    flag = false;
}

TEST(Printing, PageSetupGivesTheCommandsResultAndRaisesTheFlagForOptionsInUseAndEnabled) {
    PageForm f;
    bool& flag = BrowserModuleFlags().FillNextPrintDialog;
    struct Case {
        bool use, enabled, flag;
        HRESULT answer;
        bool result;
    };
    for (const Case& c :
         {Case{true, true, true, S_OK, true}, Case{true, false, false, S_OK, true},
          Case{false, true, false, S_OK, true}, Case{true, true, true, E_FAIL, false},
          Case{false, false, false, OLECMDERR_E_DISABLED, false}}) {
        SCOPED_TRACE(::testing::Message() << c.use << c.enabled << std::hex << c.answer);
        flag = false;
        f.wb->PrintOptions().Enabled = c.enabled;
        f.page.doc.commands.result = c.answer;
        f.page.doc.commands.calls.clear();
        EXPECT_EQ(f.wb->PageSetup(c.use), c.result);
        EXPECT_EQ(flag, c.flag);
        ASSERT_EQ(f.page.doc.commands.calls.size(), 1u);
        EXPECT_EQ(f.page.doc.commands.calls[0].cmd, 8u);
        EXPECT_EQ(f.page.doc.commands.calls[0].option, 0u);
    }
    flag = false;
    EXPECT_TRUE(f.page.browser.execs.empty());
}

TEST(Printing, PageSetupWithOptionsHasTheNextPageSetupDialogFilledByTheOwnerHook) {
    PageForm f;
    // Loaded (hooking the form) before the page comes, whose double has no undo state to read.
    f.wb->page = nullptr;
    f.wb->DisableErrors().SetfpExceptions(false); // the module's start-up does not run here
    f.wb->LoadSettings();
    f.wb->page = &f.page;
    ASSERT_TRUE(BrowserModuleFlags().OwnerHooked);
    TPrintOptions& o = f.wb->PrintOptions();
    o.Enabled = true;
    o.Header = kHeader;
    o.Footer = kFooter;
    ASSERT_TRUE(f.wb->PageSetup(true));
    ASSERT_TRUE(BrowserModuleFlags().FillNextPrintDialog);

    const test::PlainWindow plain;
    ASSERT_TRUE(test::Activate(f.form->Handle()));
    const HWND dialog = test::NewDialog(L"Page Setup", plain.wnd);
    test::ShowActive(dialog);
    EXPECT_EQ(test::ItemText(dialog, 8147), kHeader);
    EXPECT_EQ(test::ItemText(dialog, 8149), kFooter);
    EXPECT_FALSE(BrowserModuleFlags().FillNextPrintDialog);
    ::DestroyWindow(dialog);
}

TEST(Printing, SetupAndPreviewsReachTheirCommandsWithTheOptionOfHideSetup) {
    PageForm f;
    const PreviewCallsSpy spy;
    const test::ClassWindow preview(kPrintPreviewClass);
    PreviewCallsSpy::Foreground = {preview.get()};
    TPrintOptions& o = f.wb->PrintOptions();
    o.HideSetup = true;
    f.wb->PrintSetup();
    f.wb->PrintPreviewExtended(SW_SHOWMAXIMIZED);
    o.HideSetup = false;
    f.wb->PrintSetup();
    f.wb->PrintPreview();
    f.wb->PrintPreviewExtended(SW_SHOWNORMAL);
    std::vector<std::pair<DWORD, DWORD>> seen;
    for (const auto& e : f.page.browser.execs)
        seen.emplace_back(e.cmd, e.option);
    EXPECT_EQ(seen, (std::vector<std::pair<DWORD, DWORD>>{{8, 2}, {7, 2}, {8, 1}, {7, 2}, {7, 1}}))
        << "the print setup is the page-setup command";
    EXPECT_EQ(PreviewCallsSpy::Shows,
              (std::vector<std::pair<HWND, int>>{{preview.get(), SW_SHOWMAXIMIZED},
                                                 {preview.get(), SW_SHOWNORMAL}}));

    f.wb->PrintPreviewFromTemplate(L"C:\\templates\\print.htm");
    ASSERT_EQ(f.page.doc.commands.calls.size(), 1u);
    const auto& call = f.page.doc.commands.calls[0];
    EXPECT_EQ(call.cmd, 7u);
    EXPECT_EQ(call.option, 1u);
    EXPECT_EQ(VariantToString(call.in.get()), L"C:\\templates\\print.htm");
}

// --- dialogs ------------------------------------------------------------------------------------

TEST(Dialogs, TheBrowsersOwnDialogsAreItsDocumentsCommands) {
    PageForm f;
    THostedWB& wb = *f.wb;
    struct Case {
        const char* name;
        bool (THostedWB::*show)() noexcept;
        bool grouped;
        DWORD cmd;
    } const cases[] = {
        {"SaveDialog", &THostedWB::SaveDialog, false, 4},
        {"ShowPageProperties", &THostedWB::ShowPageProperties, false, 10},
        {"ShowFindDialog", &THostedWB::ShowFindDialog, true, 1},
        {"ViewPageSourceHtml", &THostedWB::ViewPageSourceHtml, true, 2},
        {"ShowInternetOptions", &THostedWB::ShowInternetOptions, true, 3},
    };
    auto& commands = f.page.doc.commands;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const HRESULT answer : {S_OK, S_FALSE, E_FAIL}) {
            commands.result = answer;
            commands.calls.clear();
            EXPECT_EQ((wb.*c.show)(), answer == S_OK);
            ASSERT_EQ(commands.calls.size(), 1u);
            EXPECT_EQ(commands.calls[0].grouped, c.grouped);
            if (c.grouped) {
                EXPECT_EQ(commands.calls[0].group, CGID_IWebBrowser);
            }
            EXPECT_EQ(commands.calls[0].cmd, c.cmd);
            EXPECT_EQ(commands.calls[0].option, 0u);
        }
    }
}

TEST(Dialogs, SaveDialogExSavesThePageToTheChosenFileAndReturnsItsName) {
    PageForm f;
    const DialogCallsSpy spy;
    const TempDir dir;
    const std::wstring file = dir.File(L"page.htm");
    DialogCallsSpy::FileAnswer = file;
    EXPECT_EQ(f.wb->SaveDialogEx(L"Pages|*.htm", L"Keep the page"), file);
    ASSERT_EQ(DialogCallsSpy::Saves.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Saves[0].Filter, L"Pages|*.htm");
    EXPECT_EQ(DialogCallsSpy::Saves[0].Title, L"Keep the page");
    EXPECT_EQ(DialogCallsSpy::Saves[0].Owner, f.wb->HandleIfAllocated());
    EXPECT_EQ(f.page.doc.fileSaves, (std::vector<FakeDocument::FileSave>{{file, FALSE}}));

    DialogCallsSpy::FileAnswer.reset();
    EXPECT_EQ(f.wb->SaveDialogEx(L"", L""), L"");
    ASSERT_EQ(DialogCallsSpy::Saves.size(), 2u);
    EXPECT_EQ(DialogCallsSpy::Saves[1].Title, L"Browser - Save Dialog");
    EXPECT_EQ(f.page.doc.fileSaves.size(), 1u) << "cancelled: nothing saved";

    EXPECT_FALSE(f.wb->OpenDialog());
    ASSERT_EQ(DialogCallsSpy::Opens.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Opens[0].Title, L"Browser - Open Dialog");
}

TEST(Dialogs, TextPicturesAndSourceTextGoThroughTheirDialogs) {
    PageForm f;
    const DialogCallsSpy spy;
    const TempDir dir;
    DialogCallsSpy::FileAnswer = dir.File(L"text.txt");
    f.wb->SavePageTextDialog();
    ASSERT_EQ(DialogCallsSpy::Saves.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Saves[0].Title, L"Web Site Text");
    EXPECT_NE(tn::testing::ReadFileBytes(dir.File(L"text.txt")).find("Hello"), std::string::npos);

    f.wb->SaveImagesDialog(); // cancelled
    ASSERT_EQ(DialogCallsSpy::Folders.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Folders[0].owner, f.form->Handle()) << "the component's form's";

    f.wb->ViewPageSourceText();
    ASSERT_EQ(DialogCallsSpy::Boxes.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Boxes[0].text, L"Hello");
}

// --- source view --------------------------------------------------------------------------------

TEST(SourceView, TheTextTheMarkupAndTheLinksComeAsLines) {
    PageForm f;
    Lines list{L"old"};
    f.wb->ViewPageSourceTextToStrings(list);
    EXPECT_EQ(list, Lines{L"Hello"});
    f.wb->ViewPageSourceHtmlToStrings(list);
    EXPECT_EQ(list, Lines{L"<body>Hello</body>"});
    f.wb->ViewPageLinksToStrings(list);
    EXPECT_EQ(list, Lines{L"http://example.test/a"});
    FakeCollection none;
    f.page.doc.bag.SetObject(L"links", none.Dispatch());
    f.wb->ViewPageLinksToStrings(list);
    EXPECT_EQ(list, Lines{L"No Links found in the page body"});
}

// --- snapshots ----------------------------------------------------------------------------------

TEST(Snapshots, SizesReachTheViewObjectAndTheFileInTheirOrder) {
    PageForm f;
    const TempDir dir;
    // Heights before widths: the page is drawn 40 wide and 30 high, the file is 20 x 15.
    const std::wstring jpeg = dir.File(L"page.jpg");
    ASSERT_TRUE(f.wb->GetJpegFromBrowser(jpeg, 30, 40, 15, 20));
    ASSERT_EQ(f.page.browser.painter.calls.size(), 1u);
    EXPECT_EQ(f.page.browser.painter.calls[0].bounds.right, 40);
    EXPECT_EQ(f.page.browser.painter.calls[0].bounds.bottom, 30);
    TPicture pic;
    pic.LoadFromFile(jpeg);
    EXPECT_EQ(pic.Width(), 20);
    EXPECT_EQ(pic.Height(), 15);

    // The bitmap: the document drawn at the component's own width and height.
    const std::wstring bmp = dir.File(L"page.bmp");
    ASSERT_TRUE(f.wb->GetBmpFromBrowser(bmp));
    ASSERT_EQ(f.page.doc.painter.calls.size(), 1u);
    EXPECT_EQ(f.page.doc.painter.calls[0].bounds.right, 48);
    EXPECT_EQ(f.page.doc.painter.calls[0].bounds.bottom, 36);
    EXPECT_EQ(f.page.doc.painter.calls[0].targetDc, nullptr);
    const std::string bytes = tn::testing::ReadFileBytes(bmp);
    TBitmap back;
    back.LoadFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(back.Width(), 48);
    EXPECT_EQ(back.Height(), 36);

    // The thumbnail: the automation object drawn at the image's size.
    const auto image = ImageOf(200, 100);
    f.wb->GetThumbnail(image.get());
    ASSERT_EQ(f.page.browser.painter.calls.size(), 2u);
    EXPECT_EQ(f.page.browser.painter.calls[1].aspect, DWORD{DVASPECT_DOCPRINT});
    EXPECT_EQ(f.page.browser.painter.calls[1].bounds.right, 200);
    EXPECT_EQ(f.page.browser.painter.calls[1].bounds.bottom, 100);
}

// --- failures -----------------------------------------------------------------------------------

TEST(Failures, WhatTheRoutinesRaiseEndsInsideTheComponent) {
    const DialogCallsSpy dialogs;
    const PreviewCallsSpy preview;
    const TempDir dir;
    Lines list;
    struct Case {
        const char* name;
        std::function<void(Page&)> fault;
        std::function<void(THostedWB&)> run;
        std::function<bool(const Page&)> neutral;
    };
    const auto failingCommands = [](Page& p) { p.browser.result = E_FAIL; };
    const auto printed = [](const Page& p) { return p.browser.execs.size() == 1; };
    const Case cases[] = {
        {"Print: the document cannot be read",
         [](Page& p) { p.browser.bag.Fail(L"Document", E_ACCESSDENIED); },
         [](THostedWB& wb) { wb.Print(); }, [](const Page& p) { return p.browser.execs.empty(); }},
        {"Print: the print command fails", failingCommands,
         [](THostedWB& wb) {
             wb.PrintOptions().Enabled = true;
             wb.Print();
         },
         printed},
        {"PrintWithOptions: the print command fails", failingCommands,
         [](THostedWB& wb) { wb.PrintWithOptions(); }, printed},
        {"PrintSetup: the command fails", failingCommands, [](THostedWB& wb) { wb.PrintSetup(); },
         printed},
        {"PrintPreview: the command fails", failingCommands,
         [](THostedWB& wb) { wb.PrintPreview(); }, printed},
        {"PrintPreviewExtended: the command fails", failingCommands,
         [](THostedWB& wb) { wb.PrintPreviewExtended(SW_SHOW); },
         [&](const Page& p) { return printed(p) && PreviewCallsSpy::Shows.empty(); }},
        {"ViewPageSourceText: the text cannot be read",
         [](Page& p) { p.root.bag.Fail(L"innerText", E_ACCESSDENIED); },
         [](THostedWB& wb) { wb.ViewPageSourceText(); },
         [](const Page&) { return DialogCallsSpy::Boxes.empty(); }},
        {"ViewPageLinksToStrings: the links cannot be read",
         [](Page& p) { p.doc.bag.Fail(L"links", E_ACCESSDENIED); },
         [&](THostedWB& wb) {
             list = {L"old"};
             wb.ViewPageLinksToStrings(list);
         },
         [&](const Page&) { return list.empty(); }},
        {"GetThumbnail: no view object", [](Page& p) { p.browser.Refuse(IID_IViewObject); },
         [](THostedWB& wb) { wb.GetThumbnail(ImageOf(20, 10).get()); },
         [](const Page& p) { return p.browser.painter.calls.empty(); }},
        {"SaveImagesDialog: the pictures cannot be read",
         [&](Page& p) {
             DialogCallsSpy::FolderAnswer = dir.Path();
             p.doc.bag.Fail(L"images", E_ACCESSDENIED);
         },
         [](THostedWB& wb) { wb.SaveImagesDialog(); },
         [&](const Page&) { return !DirectoryExists(dir.File(L"Images")); }},
        {"SavePageTextDialog: the file cannot be written",
         [&](Page&) { DialogCallsSpy::FileAnswer = dir.File(L"missing\\text.txt"); },
         [](THostedWB& wb) { wb.SavePageTextDialog(); },
         [&](const Page&) { return !FileExists(dir.File(L"missing\\text.txt")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageForm f;
        c.fault(f.page);
        c.run(*f.wb);
        EXPECT_TRUE(c.neutral(f.page));
    }
}

} // namespace
