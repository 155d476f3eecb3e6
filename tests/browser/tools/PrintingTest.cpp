// Printing, preview and page setup through the control and page doubles: what reaches the
// browser's commands, the request flag, and the wait for the preview window on a fake clock.
#include "browser/tools/Printing.h"

#include "tests/browser/PrintingDoubles.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;
using test::BstrText;
using test::ClassWindow;
using test::FakeDispatch;
using test::FakeDocument;
using test::kHeaderFooterTag;
using test::PreviewCallsSpy;
using test::PrintBrowser;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// A control showing an HTML document.
struct Page {
    FakeDocument doc;
    PrintBrowser browser;
    test::FakeToolHost host;
    Page() {
        browser.SetDocument(doc.Dispatch());
        host.browser = &browser;
    }
};

TEST(Printing, HeaderAndFooterGoAsTwoStringsInTheTaggedArrayWithTheOptionOfTheFlag) {
    struct Case {
        bool dontPrompt;
        std::wstring header, footer;
        DWORD option;
    };
    for (const Case& c : {Case{true, L"Page &p of &P", L"&u&b&d", 2}, Case{false, L"", L"", 1},
                          Case{true, L"", L"only the footer", 2}}) {
        Page page;
        PrintDocument(&page.browser, c.dontPrompt, true, c.header, c.footer);
        ASSERT_EQ(page.browser.execs.size(), 1u);
        const auto& e = page.browser.execs[0];
        EXPECT_EQ(e.cmd, 6u);
        EXPECT_EQ(e.option, c.option);
        EXPECT_EQ(e.inType, kHeaderFooterTag);
        EXPECT_EQ(e.lower, 0);
        EXPECT_EQ(e.texts, (std::vector<std::wstring>{c.header, c.footer}))
            << "header first, empty texts as empty strings";
        EXPECT_TRUE(e.out);
    }
}

TEST(Printing, PrintsPreviewsAndSetsUpWithTheOptionsOfTheFlag) {
    Page page;
    PrintDocument(&page.browser, true, false, L"not", L"used");
    PrintDocument(&page.browser, false, false, L"", L"");
    ShowPrintSetup(&page.browser, true);
    ShowPrintSetup(&page.browser, false);
    ShowPrintPreview(&page.browser);
    std::vector<std::pair<DWORD, DWORD>> seen;
    for (const auto& e : page.browser.execs) {
        seen.emplace_back(e.cmd, e.option);
        EXPECT_EQ(e.inType, VT_EMPTY);
        EXPECT_TRUE(e.texts.empty());
    }
    EXPECT_EQ(seen, (std::vector<std::pair<DWORD, DWORD>>{{6, 2}, {6, 1}, {8, 2}, {8, 1}, {7, 2}}))
        << "the print setup is the page-setup command; the plain preview never prompts";
}

TEST(Printing, WithoutAnHtmlDocumentNothingHappens) {
    FakeDispatch notHtml;
    const PreviewCallsSpy spy;
    for (IDispatch* doc : {static_cast<IDispatch*>(nullptr), notHtml.Dispatch()}) {
        PrintBrowser browser;
        browser.SetDocument(doc);
        test::FakeToolHost host;
        host.browser = &browser;
        bool flag = false;
        PrintDocument(&browser, true, true, L"h", L"f");
        PrintDocument(&browser, true, false, L"", L"");
        ShowPrintSetup(&browser, true);
        ShowPrintPreview(&browser);
        ShowPrintPreviewWindow(host, SW_SHOW, true);
        PrintWithPageSetup(host, doc, true, true, true, flag);
        EXPECT_FALSE(ShowPageSetup(doc, true, true, flag));
        EXPECT_FALSE(flag);
        EXPECT_TRUE(browser.execs.empty());
        EXPECT_EQ(PreviewCallsSpy::Reads + PreviewCallsSpy::Polls, 0) << "nor a wait";
    }
    bool flag = false;
    PrintDocument(nullptr, true, false, L"", L"");
    PrintWithHeaderFooter(nullptr, L"h", L"f", 2);
    ShowPrintSetup(nullptr, false);
    ShowPrintPreview(nullptr);
    test::FakeToolHost none;
    PrintWithPageSetup(none, nullptr, true, true, true, flag);
    EXPECT_FALSE(flag);
}

TEST(Printing, FailingCommandsRaiseExceptWithHeaderAndFooter) {
    Page page;
    page.browser.result = E_FAIL;
    EXPECT_THROW(PrintDocument(&page.browser, true, false, L"", L""), EOleSysError);
    EXPECT_THROW(ShowPrintSetup(&page.browser, true), EOleSysError);
    EXPECT_THROW(ShowPrintPreview(&page.browser), EOleSysError);
    EXPECT_THROW(ShowPrintPreviewWindow(page.host, SW_SHOW, true), EOleSysError);
    EXPECT_NO_THROW(PrintDocument(&page.browser, true, true, L"h", L"f"));
    EXPECT_NO_THROW(PrintWithHeaderFooter(&page.browser, L"h", L"f", 1));
    EXPECT_EQ(page.browser.execs.size(), 6u);

    page.browser.bag.Fail(L"Document", E_ACCESSDENIED);
    try {
        PrintDocument(&page.browser, true, true, L"h", L"f");
        ADD_FAILURE() << "a failing document read raises";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), E_ACCESSDENIED);
    }
    EXPECT_THROW(ShowPrintSetup(&page.browser, true), EOleSysError);
    EXPECT_EQ(page.browser.execs.size(), 6u);
}

TEST(PageSetup, RaisesTheRequestOnlyForOptionsInUseAndEnabledAndNeverClearsIt) {
    struct Case {
        bool use, enabled, before, after;
    };
    for (const Case& c : {Case{true, true, false, true}, Case{true, false, false, false},
                          Case{false, true, false, false}, Case{false, false, true, true},
                          Case{true, true, true, true}}) {
        FakeDocument doc;
        bool flag = c.before;
        EXPECT_TRUE(ShowPageSetup(doc.Unknown(), c.use, c.enabled, flag));
        EXPECT_EQ(flag, c.after) << c.use << c.enabled << c.before;
        ASSERT_EQ(doc.commands.calls.size(), 1u);
        const auto& call = doc.commands.calls[0];
        EXPECT_FALSE(call.grouped);
        EXPECT_EQ(call.cmd, 8u);
        EXPECT_EQ(call.option, 0u);
        EXPECT_EQ(call.in.vt(), VT_EMPTY);
    }
    for (const HRESULT answer : {S_FALSE, OLECMDERR_E_DISABLED}) {
        FakeDocument doc;
        doc.commands.result = answer;
        bool flag = false;
        EXPECT_FALSE(ShowPageSetup(doc.Unknown(), true, true, flag));
        EXPECT_TRUE(flag) << "raised before the command runs";
    }
}

TEST(PageSetup, PrintWithPageSetupShowsTheSetupThenPrintsWithoutHeaderAndFooter) {
    Page page;
    bool flag = false;
    PrintWithPageSetup(page.host, page.doc.Unknown(), true, true, false, flag);
    EXPECT_TRUE(flag);
    ASSERT_EQ(page.doc.commands.calls.size(), 1u);
    EXPECT_EQ(page.doc.commands.calls[0].cmd, 8u);
    ASSERT_EQ(page.browser.execs.size(), 1u);
    EXPECT_EQ(page.browser.execs[0].cmd, 6u);
    EXPECT_EQ(page.browser.execs[0].option, 1u);
    EXPECT_EQ(page.browser.execs[0].inType, VT_EMPTY);

    page.doc.commands.result = E_FAIL;
    PrintWithPageSetup(page.host, page.doc.Unknown(), false, true, true, flag);
    EXPECT_EQ(page.browser.execs.size(), 2u) << "a failed setup still prints";
}

// A command target that also keeps the type of the output it was handed.
class TemplateTarget : public test::FakeObject<IOleCommandTarget> {
public:
    std::vector<VARTYPE> outTypes;
    std::vector<std::wstring> outTexts;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD cmd, DWORD option, VARIANT* in,
                                   VARIANT* out) override {
        outTypes.push_back(out ? out->vt : VARTYPE(VT_ILLEGAL));
        outTexts.push_back(out && out->vt == VT_BSTR ? BstrText(out->bstrVal) : L"");
        return commands.Exec(group, cmd, option, in, out);
    }
};

TEST(PrintPreview, TheTemplateGoesToAnyCommandTargetAsTextWithAnEmptyTextOut) {
    TemplateTarget target; // not an HTML document: the document is only tested for being set
    PrintPreviewWithTemplate(L"C:\\templates\\print.htm", target.Unknown());
    ASSERT_EQ(target.commands.calls.size(), 1u);
    const auto& call = target.commands.calls[0];
    EXPECT_FALSE(call.grouped);
    EXPECT_EQ(call.cmd, 7u);
    EXPECT_EQ(call.option, 1u);
    ASSERT_EQ(call.in.vt(), VT_BSTR);
    EXPECT_EQ(VariantToString(call.in.get()), L"C:\\templates\\print.htm");
    EXPECT_EQ(target.outTypes, std::vector<VARTYPE>{VT_BSTR});
    EXPECT_EQ(target.outTexts, std::vector<std::wstring>{L""});
    EXPECT_EQ(target.Count(), 1u);

    target.commands.result = E_FAIL;
    EXPECT_NO_THROW(PrintPreviewWithTemplate(L"t.htm", target.Unknown()));
    FakeDocument noTarget;
    noTarget.Refuse(IID_IOleCommandTarget);
    PrintPreviewWithTemplate(L"t.htm", noTarget.Unknown());
    EXPECT_TRUE(noTarget.commands.calls.empty());
    PrintPreviewWithTemplate(L"t.htm", nullptr);
}

TEST(PrintPreview, WithoutAPreviewWindowTheWaitGivesUpAt7001MsWithoutShowingAnything) {
    Page page;
    const PreviewCallsSpy spy;
    const ClassWindow other(L"TnNotThePreview");
    PreviewCallsSpy::Foreground = {nullptr, other.get()};
    PreviewCallsSpy::Elapsed = {0, 3000, 7000, 7001, 9000};
    ShowPrintPreviewWindow(page.host, SW_SHOWMAXIMIZED, false);
    EXPECT_EQ(PreviewCallsSpy::Polls, 3) << "7000 ms goes on, 7001 ms ends";
    EXPECT_EQ(PreviewCallsSpy::Reads, 4);
    EXPECT_TRUE(PreviewCallsSpy::Shows.empty());
    ASSERT_EQ(page.browser.execs.size(), 1u);
    EXPECT_EQ(page.browser.execs[0].cmd, 7u);
    EXPECT_EQ(page.browser.execs[0].option, 1u);
}

TEST(PrintPreview, APreviewFoundOnTheThirdPollIsShownOnceWithTheGivenCommand) {
    Page page;
    const PreviewCallsSpy spy;
    const ClassWindow other(L"TnNotThePreview");
    const ClassWindow preview(kPrintPreviewClass);
    PreviewCallsSpy::Foreground = {nullptr, other.get(), preview.get(), other.get()};
    PreviewCallsSpy::Elapsed = {0, 100, 200, 300};
    ShowPrintPreviewWindow(page.host, SW_SHOWMAXIMIZED, true);
    EXPECT_EQ(PreviewCallsSpy::Polls, 3) << "messages are processed in the round that finds it";
    EXPECT_EQ(PreviewCallsSpy::Shows,
              (std::vector<std::pair<HWND, int>>{{preview.get(), SW_SHOWMAXIMIZED}}));
    ASSERT_EQ(page.browser.execs.size(), 1u);
    EXPECT_EQ(page.browser.execs[0].option, 2u);
}

} // namespace
