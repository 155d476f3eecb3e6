// The browser component's navigations, editing and window commands, incremental search and the
// forwards to the tool routines. The real control's navigations are recorded and cancelled before
// they leave; a recording browser stands in for the control where the arguments of a call count,
// and page doubles for the document this platform's control never has.
#include "browser/component/HostedWB.h"

#include "browser/host/HwbGuids.h"
#include "browser/tools/StoredSettings.h"
#include "browser/tools/UrlText.h"
#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/browser/FakeDocument.h"
#include "tests/support/SavedRegistryValue.h"

#include <gtest/gtest.h>

#include <olectl.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::CountWatch;
using test::FakeBrowser;
using test::FakeDocument;
using test::FakeElement;
using test::FakeTextRange;
using test::FakeWindow;
using Log = std::vector<std::wstring>;
using Results = THostedWB::TSearchResults;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// The component with its document, automation object, control and ready state replaceable, and
// the commands that reach its window recorded.
class NavWB : public THostedWB {
public:
    explicit NavWB(TComponent* owner) : THostedWB(owner) {}
    IDispatch* document = nullptr;    // borrowed; null: no document
    IDispatch* application = nullptr; // borrowed; null: the control's
    FakeBrowser* browser = nullptr;   // null: the control itself
    long readyState = 1;
    std::vector<WPARAM> commands;

    [[nodiscard]] ComPtr<IDispatch> Document() const override { return ComPtr(document); }
    [[nodiscard]] ComPtr<IDispatch> Application() const override {
        return application ? ComPtr(application) : THostedWB::Application();
    }
    [[nodiscard]] IWebBrowser2* Browser() const override {
        return browser ? static_cast<IWebBrowser2*>(browser) : THostedWB::Browser();
    }

protected:
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_COMMAND) commands.push_back(m.WParam);
        THostedWB::WndProc(m);
    }
    [[nodiscard]] long ReadyState() const override { return readyState; }
};

// The component with the real control on a shown form; every navigation is recorded and
// cancelled.
struct Layout {
    Layout() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 520, 400);
        wb = TComponent::Create<NavWB>(*form);
        wb->SetParent(form);
        wb->SetBounds(16, 24, 490, 358);
        wb->OnBeforeNavigate2 = [this](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&,
                                       VARIANT&, VARIANT&, bool& cancel) {
            navigations.push_back(VariantToString(url));
            cancel = true;
        };
        form->Show();
        (void)wb->Handle();
    }
    ~Layout() { TComponent::Free(form); }
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
    TForm* form;
    NavWB* wb;
    std::vector<std::wstring> navigations;
};

// A page: the document with its window and a body whose text range is given.
struct Page {
    FakeDocument doc;
    FakeWindow window;
    FakeElement body{L"BODY"};
    FakeTextRange range;
    explicit Page(std::wstring text = L"") : range(std::move(text)) {
        doc.SetWindow(&window);
        doc.SetBody(&body);
        body.bag.SetObject(L"createTextRange", range.Dispatch());
    }
};

std::vector<BYTE> ArrayBytes(const OleVariant& v) {
    if (v.vt() != (VT_ARRAY | VT_UI1) || !v.get().parray) return {};
    SAFEARRAY* a = v.get().parray;
    LONG low = 0, high = -1;
    EXPECT_EQ(::SafeArrayGetLBound(a, 1, &low), S_OK);
    EXPECT_EQ(::SafeArrayGetUBound(a, 1, &high), S_OK);
    std::vector<BYTE> bytes(static_cast<std::size_t>(high - low + 1));
    if (bytes.empty()) return bytes;
    void* data = nullptr;
    EXPECT_EQ(::SafeArrayAccessData(a, &data), S_OK);
    std::memcpy(bytes.data(), data, bytes.size());
    (void)::SafeArrayUnaccessData(a);
    return bytes;
}

std::vector<BYTE> AsBytes(std::string_view s) {
    return {s.begin(), s.end()};
}

// --- navigation ---------------------------------------------------------------------------------

TEST(HostedWBNavigation, TheControlNavigatesFoldersUrlsAndWaitsThatEndOnStopOrCancel) {
    Layout l;
    NavWB& wb = *l.wb;
    EXPECT_TRUE(wb.Go(L" \t ", 0));
    EXPECT_TRUE(l.navigations.empty()) << "a blank address navigates nothing";

    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    ASSERT_TRUE(DirectoryExists(temp));
    EXPECT_TRUE(wb.Go(temp, 0));
    // This control reports the "file:///" address of a folder as its plain path.
    EXPECT_EQ(l.navigations, std::vector<std::wstring>{temp});
    EXPECT_TRUE(wb.Go(L"http://127.0.0.1:1/go", 0));
    EXPECT_TRUE(wb.NavigateWait(L"http://127.0.0.1:1/at-once", 0));
    EXPECT_EQ(l.navigations.back(), L"http://127.0.0.1:1/at-once");

    // The page never completes here: a wait ends only on Stop or the handler's Cancel.
    int passes = 0;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD&, bool&) {
        if (++passes == 2) wb.Stop();
    };
    EXPECT_FALSE(wb.NavigateWait(L"http://127.0.0.1:1/stopped", 60000));
    EXPECT_EQ(passes, 2);
    wb.OnBusyWait = [](TObject*, DWORD, DWORD&, bool& cancel) { cancel = true; };
    EXPECT_FALSE(wb.NavigateWait(L"http://127.0.0.1:1/cancelled", 60000));
    EXPECT_EQ(l.navigations.back(), L"http://127.0.0.1:1/cancelled");
    EXPECT_EQ(l.navigations.size(), 5u);
}

TEST(HostedWBNavigation, GoAndNavigateWaitAreTheControlsOwnAndFalseWhenItRefuses) {
    auto wb = TComponent::CreateOwned<NavWB>();
    FakeBrowser browser;
    wb->browser = &browser;
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    EXPECT_TRUE(wb->Go(temp, 0));
    EXPECT_TRUE(wb->Go(L"http://a.example/", 0));
    EXPECT_TRUE(wb->NavigateWait(L"http://b.example/", 0));
    ASSERT_EQ(browser.navigations.size(), 3u);
    EXPECT_EQ(browser.navigations[0].method, L"Navigate");
    EXPECT_EQ(VariantToString(browser.navigations[0].url.get()), L"file:///" + std::wstring(temp));
    EXPECT_EQ(browser.navigations[1].method, L"Navigate2");
    EXPECT_EQ(browser.navigations[2].method, L"Navigate");
    EXPECT_EQ(VariantToString(browser.navigations[2].url.get()), L"http://b.example/");
    for (const auto& n : browser.navigations)
        EXPECT_TRUE(n.flags.IsEmpty() && n.target.IsEmpty() && n.postData.IsEmpty() &&
                    n.headers.IsEmpty());

    browser.navigateResult = E_ACCESSDENIED;
    EXPECT_FALSE(wb->Go(temp, 0));
    EXPECT_FALSE(wb->NavigateWait(L"http://b.example/", 0));
    EXPECT_FALSE(wb->Go(L"http://a.example/", 0));
    wb->GoBack(); // the recording browser has no history: refused, and swallowed
    wb->GoForward();
}

TEST(HostedWBNavigation, AFolderGoesAsTheBytesOfItsWholeItemIdList) {
    auto wb = TComponent::CreateOwned<NavWB>();
    FakeBrowser browser;
    wb->browser = &browser;
    PIDLIST_ABSOLUTE pidl = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &pidl), S_OK);
    const UniqueTaskMem<ITEMIDLIST> owned(pidl);
    const UINT size = ::ILGetSize(pidl);
    ASSERT_GT(size, 2u);

    wb->NavigateFolder(CSIDL_DESKTOPDIRECTORY);
    ASSERT_EQ(browser.navigations.size(), 1u);
    const FakeBrowser::Navigation& n = browser.navigations[0];
    EXPECT_EQ(n.method, L"Navigate2");
    EXPECT_EQ(n.url.vt(), 8209);
    const std::vector<BYTE> expected(reinterpret_cast<const BYTE*>(pidl),
                                     reinterpret_cast<const BYTE*>(pidl) + size);
    EXPECT_EQ(ArrayBytes(n.url), expected) << "the items and the 2-byte terminator";
    EXPECT_TRUE(n.flags.IsEmpty() && n.target.IsEmpty() && n.postData.IsEmpty() &&
                n.headers.IsEmpty());

    wb->NavigatePidl(nullptr);
    ASSERT_EQ(browser.navigations.size(), 2u);
    EXPECT_EQ(browser.navigations[1].url.vt(), 8209);
    EXPECT_TRUE(ArrayBytes(browser.navigations[1].url).empty());

    // A folder number the shell does not know navigates nothing.
    wb->NavigateFolder(0x7F);
    EXPECT_EQ(browser.navigations.size(), 2u);
}

// --- commands -----------------------------------------------------------------------------------

TEST(HostedWBCommands, EditingCommandsRunWithoutAGroupAndAreTrueOnlyForSOk) {
    auto wb = TComponent::CreateOwned<NavWB>();
    FakeDocument doc;
    wb->document = doc.Dispatch();
    auto& calls = doc.commands.calls;
    const struct {
        const char* name;
        bool (THostedWB::*run)();
        DWORD id;
    } cases[] = {{"Cut", &THostedWB::Cut, 11},
                 {"Copy", &THostedWB::Copy, 12},
                 {"Paste", &THostedWB::Paste, 13},
                 {"PasteSpecial", &THostedWB::PasteSpecial, 14},
                 {"Undo", &THostedWB::Undo, 15},
                 {"Redo", &THostedWB::Redo, 16},
                 {"SelectAll", &THostedWB::SelectAll, 17},
                 {"ClearSelection", &THostedWB::ClearSelection, 18},
                 {"Delete", &THostedWB::Delete, 33}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const HRESULT answer : {S_OK, S_FALSE, OLECMDERR_E_DISABLED}) {
            doc.commands.result = answer;
            calls.clear();
            EXPECT_EQ(((*wb).*c.run)(), answer == S_OK);
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_FALSE(calls[0].grouped);
            EXPECT_EQ(calls[0].cmd, c.id);
            EXPECT_EQ(calls[0].option, 0u);
            EXPECT_TRUE(calls[0].in.IsEmpty());
            EXPECT_TRUE(calls[0].out);
        }
    }

    // InvokeCMD: the browser's group on request, the option and variants as given.
    doc.commands.result = S_FALSE;
    OleVariant in(LONG{7}), out;
    calls.clear();
    EXPECT_EQ(wb->InvokeCMD(true, 2300, 2, *in.ptr(), *out.ptr()), S_FALSE);
    EXPECT_EQ(wb->InvokeCMD(false, 2301, 0, *in.ptr(), *out.ptr()), S_FALSE);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].grouped);
    EXPECT_EQ(calls[0].group, CGID_IWebBrowser);
    EXPECT_EQ(calls[0].cmd, 2300u);
    EXPECT_EQ(calls[0].option, 2u);
    EXPECT_EQ(VariantToInt(calls[0].in.get()), 7);
    EXPECT_FALSE(calls[1].grouped);

    // Without a command target nothing runs.
    wb->document = nullptr;
    EXPECT_EQ(wb->InvokeCMD(true, 2300, 0, *in.ptr(), *out.ptr()), E_UNEXPECTED);
    for (const auto& c : cases)
        EXPECT_FALSE(((*wb).*c.run)()) << c.name;
}

// A document that answers the command queries.
class QueryingDocument final : public FakeDocument {
public:
    std::vector<std::wstring> asked;
    HRESULT STDMETHODCALLTYPE queryCommandEnabled(BSTR cmd, VARIANT_BOOL* enabled) override {
        asked.emplace_back(cmd);
        *enabled = std::wstring(cmd) == L"Undo" ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE queryCommandValue(BSTR cmd, VARIANT* value) override {
        asked.emplace_back(cmd);
        *value = OleVariant(L"Arial").Detach();
        return S_OK;
    }
};

TEST(HostedWBCommands, CommandQueriesAskTheDocumentAndAreFalseWithoutOne) {
    auto wb = TComponent::CreateOwned<NavWB>();
    QueryingDocument doc;
    wb->document = doc.Dispatch();
    EXPECT_TRUE(wb->IsCommandEnabled(L"Undo"));
    EXPECT_FALSE(wb->IsCommandEnabled(L"Redo"));
    EXPECT_EQ(VariantToString(wb->QueryCommandValue(L"FontName").get()), L"Arial");
    EXPECT_EQ(doc.asked, (std::vector<std::wstring>{L"Undo", L"Redo", L"FontName"}));

    // A document that cannot answer, and none at all: false.
    FakeDocument mute;
    for (IDispatch* d : {mute.Dispatch(), static_cast<IDispatch*>(nullptr)}) {
        wb->document = d;
        EXPECT_FALSE(wb->IsCommandEnabled(L"Undo"));
        const OleVariant value = wb->QueryCommandValue(L"FontName");
        EXPECT_EQ(value.vt(), VT_BOOL);
        EXPECT_FALSE(VariantToBool(value.get(), true));
    }
}

// The browser acts on its window commands at its own window, the first child of the component's
// here; the component's window would hand them to the default procedure, where nothing happens.
TEST(HostedWBCommands, WindowCommandsReachTheControlsWindowAndTheAboutBoxFallsBackToTheView) {
    Layout l;
    NavWB& wb = *l.wb;
    {
        const HWND control = ::GetWindow(wb.Handle(), GW_CHILD);
        ASSERT_NE(control, nullptr);
        const test::WindowCommands commands(control);
        wb.InvokeIEServerCommand(4321);
        wb.ShowImportExportFavoritesAndCookies();
        wb.OpenIEBrowserWithAddress();
        using Commands = std::vector<std::pair<WPARAM, LPARAM>>;
        EXPECT_EQ(test::WindowCommands::Received, (Commands{{4321, 0}, {374, 0}, {275, 0}}));
    }
    EXPECT_TRUE(wb.commands.empty()) << "none reached the component's own window";

    // The control makes its view at its first navigation that goes through.
    wb.OnBeforeNavigate2 = nullptr;
    wb.Navigate(L"about:blank");
    ASSERT_TRUE(test::PumpUntil([&] { return wb.GetIEWin(L"Shell DocObject View") != nullptr; }));
    const test::WindowCommands viewCommands(wb.GetIEWin(L"Shell DocObject View"));
    // This control has no about-box member: the view's version command goes instead. So it does
    // for a control that refuses the member.
    wb.ShowAboutBox();
    FakeBrowser browser;
    wb.browser = &browser;
    wb.ShowAboutBox();
    using Commands = std::vector<std::pair<WPARAM, LPARAM>>;
    EXPECT_EQ(test::WindowCommands::Received, (Commands{{336, 0}, {336, 0}}));
    // A control that has one shows it, and nothing else.
    int shown = 0;
    browser.bag.SetMethod(L"AboutBox", [&](const DISPPARAMS&, VARIANT*, EXCEPINFO*) {
        ++shown;
        return S_OK;
    });
    browser.bag.SetId(L"AboutBox", DISPID_ABOUTBOX);
    wb.ShowAboutBox();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(test::WindowCommands::Received.size(), 2u);
    EXPECT_TRUE(wb.commands.empty());
}

// --- incremental search -------------------------------------------------------------------------

TEST(HostedWBSearch, SearchNextTextMovesFromTheLastMatchAsTheDirectionAsks) {
    Page page(L"one two three"), next(L"two");
    auto wb = TComponent::CreateOwned<NavWB>();
    const CountWatch counts{&page.doc, &page.range};
    wb->document = page.doc.Dispatch();
    const Results found{THostedWB::srFound};
    const Results notFound{THostedWB::srNotFound};
    const Results endOf{THostedWB::srNotFound, THostedWB::srEndOf};
    const auto down = THostedWB::sdDown, up = THostedWB::sdUp;
    const struct {
        const char* name;
        const wchar_t* text;
        THostedWB::TSearchDirections direction;
        bool select;
        Results result;
        Log calls; // of the range, with the range after each
    } steps[] = {
        {"the first match, selected on request",
         L"two",
         down,
         true,
         found,
         {L"findText(two,1,0) [4,7)", L"scrollIntoView(-1) [4,7)", L"select() [4,7)"}},
        {"on from the one match the same way: the end",
         L"two",
         down,
         false,
         endOf,
         {L"move(character,1) [5,5)", L"findText(two,1,0) [5,5)"}},
        {"a turn without a match moves one step the other way",
         L"two",
         up,
         false,
         found,
         {L"move(character,-1) [4,4)", L"findText(two,-1,0) [4,7)", L"scrollIntoView(-1) [4,7)"}},
        {"a turn after a match moves by 0",
         L"two",
         down,
         false,
         found,
         {L"move(character,0) [4,4)", L"findText(two,1,0) [4,7)", L"scrollIntoView(-1) [4,7)"}},
        {"another text searches from the range as it stands",
         L"t",
         down,
         false,
         found,
         {L"findText(t,1,0) [4,5)", L"scrollIntoView(-1) [4,5)"}},
        {"a change of case only keeps the text and the state: on past the match",
         L"T",
         down,
         false,
         found,
         {L"move(character,1) [5,5)", L"findText(t,1,0) [8,9)", L"scrollIntoView(-1) [8,9)"}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        page.range.log.clear();
        EXPECT_EQ(wb->SearchNextText(s.text, s.direction, s.select), s.result);
        EXPECT_EQ(page.range.log, s.calls);
    }

    // Another page gets a range of its own, searched from its start; the old one is let go.
    wb->document = next.doc.Dispatch();
    page.range.log.clear();
    EXPECT_EQ(wb->SearchNextText(L"T", down, false), found);
    EXPECT_EQ(next.range.log, (Log{L"findText(t,1,0) [0,1)", L"scrollIntoView(-1) [0,1)"}));
    EXPECT_TRUE(page.range.log.empty());
    EXPECT_TRUE(counts.Changed().empty());

    // A failing selection is swallowed; any other failing range call is raised.
    next.range.bag.Fail(L"select", E_ACCESSDENIED);
    EXPECT_EQ(wb->SearchNextText(L"t", up, true), found);
    next.range.bag.Fail(L"findText", E_FAIL);
    EXPECT_THROW((void)wb->SearchNextText(L"t", down, false), EOleSysError);

    // No text, no document, a page without a body: not found, and no range is asked.
    next.range.log.clear();
    EXPECT_EQ(wb->SearchNextText(L"", down, false), notFound);
    wb->document = nullptr;
    EXPECT_EQ(wb->SearchNextText(L"two", up, false), notFound);
    EXPECT_TRUE(next.range.log.empty());
    FakeDocument bodiless;
    wb->document = bodiless.Dispatch();
    EXPECT_EQ(wb->SearchNextText(L"two", up, false), notFound);
}

// --- forwards -----------------------------------------------------------------------------------

TEST(HostedWBForwards, PostDataAndTheUrlRoutinesReachTheirToolsAndRefusalsRaiseNothing) {
    auto wb = TComponent::CreateOwned<NavWB>();
    FakeBrowser browser;
    wb->browser = &browser;
    wb->GoWithQueryDetails(L"http://a.example/form", L"?q=1");
    ASSERT_EQ(browser.navigations.size(), 1u);
    const FakeBrowser::Navigation& n = browser.navigations[0];
    EXPECT_EQ(VariantToString(n.url.get()), L"http://a.example/form?q=1");
    EXPECT_EQ(ArrayBytes(n.postData), AsBytes("version=current&name=myname\r\n"));
    EXPECT_EQ(VariantToString(n.headers.get()),
              L"Content-Type:application/x-www-form-urlencoded\r\n");

    // Refused navigations raise nothing from the component.
    browser.navigateResult = E_ACCESSDENIED;
    wb->GoWithQueryDetails(L"http://a.example/form", L"?q=2");
    wb->GoSearchInGoogle(L"a b");
    wb->GoDownloadFile(L"http://a.example/file.zip");
    wb->GoNoHistory(L"http://a.example/");
    EXPECT_EQ(browser.navigations.size(), 5u);

    EXPECT_THROW((void)THostedWB::DecodeUrl(L"%4"), EConvertError);
    EXPECT_EQ(THostedWB::DecodeUrl(L"%41+b"), L"A b");
    EXPECT_EQ(THostedWB::EncodeUrl(L"a b/", true), L"a+b%2F");
    EXPECT_TRUE(THostedWB::IsValidProtocol(L"see HTTP://a.example"));
}

TEST(HostedWBForwards, TheHomePageIsTheUsersStartPageAndEmptyWithoutOne) {
    const std::wstring key = L"Software\\Microsoft\\Internet Explorer\\Main";
    const test::SavedRegistryValue saved(HKEY_CURRENT_USER, key, L"Start Page");
    SetBrowserStartPage(L"http://home.tn-test.example/");
    EXPECT_EQ(THostedWB::GetIEHomePage(), L"http://home.tn-test.example/");
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(key, false));
    (void)reg.DeleteValue(L"Start Page");
    EXPECT_EQ(THostedWB::GetIEHomePage(), L"");
    reg.WriteInteger(L"Start Page", 1);
    EXPECT_EQ(THostedWB::GetIEHomePage(), L"") << "a start page that is no text is none";
}

TEST(HostedWBForwards, ScrollingWaitsForThePageAndAFailingElementRaisesNothing) {
    Layout l;
    NavWB& wb = *l.wb;
    Page page;
    FakeBrowser app;
    app.SetDocument(page.doc.Dispatch());
    wb.document = page.doc.Dispatch();
    wb.application = app.Dispatch();
    std::vector<std::size_t> scrollsAtWait;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD&, bool&) {
        scrollsAtWait.push_back(page.window.scrolls.size());
        wb.readyState = 4;
    };
    wb.ScrollToPosition(10, 20);
    EXPECT_EQ(scrollsAtWait, std::vector<std::size_t>{0});
    EXPECT_EQ(page.window.scrolls, (std::vector<FakeWindow::Scroll>{{L"scrollTo", 10, 20}}));

    // An element whose rectangle cannot be read scrolls nothing and raises nothing.
    test::FakeCollection all;
    FakeElement element;
    element.bag.Set(L"id", L"7");
    element.bag.Fail(L"getBoundingClientRect", E_FAIL);
    all.Add(element.Dispatch());
    page.doc.bag.SetObject(L"all", all.Dispatch());
    wb.ScrollToID(7);
    wb.ScrollToIDEx(L"7");
    EXPECT_EQ(page.window.scrolls.size(), 1u);
    // Once it can, the page scrolls by its offset.
    test::FakeRect rect(5, 9, 15, 19);
    element.bag.Fail(L"getBoundingClientRect", S_OK);
    element.bag.SetObject(L"getBoundingClientRect", rect.Dispatch());
    wb.ScrollToID(7);
    EXPECT_EQ(page.window.scrolls.back(), (FakeWindow::Scroll{L"scrollBy", 5, 9}));

    // Positions that cannot be read are -1.
    wb.document = nullptr;
    EXPECT_EQ(wb.HScrollBarPosition(), -1);
    EXPECT_EQ(wb.VScrollBarPosition(), -1);
}

} // namespace
