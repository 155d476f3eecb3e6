// The login window with the real browser control over a background window, the modules started as
// the program starts them, and the stand-in as the platform's servers. This platform's control
// never completes a document: those events are raised through the control's own event path, and
// the page's document is a double behind the browser's document seam.
#include "windows/FormLogin.h"
#include "windows/FormMain.h"

#include "classlib/Application.h"
#include "classlib/CommandLine.h"
#include "classlib/ComPtr.h"
#include "classlib/FileUtil.h"
#include "classlib/Fpu.h"
#include "classlib/IniFile.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "services/Statistics.h"
#include "classlib/Handles.h"
#include "tests/services/InstallerCallsSpy.h"
#include "tests/support/ComDoubles.h"
#include "tests/support/Standin.h"
#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/windows/TraySpy.h"
#include "windows/FormBack.h"
#include "windows/Launcher.h"
#include "windows/ModuleSteps.h"

#include <exdispid.h>
#include <mshtml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tn;
using tn::testing::Standin;
using tn::testing::StandinReply;

// The program's module start-up around the whole run, the application, and the background window
// (made, not shown: showing it would make a login window of its own).
class ProgramSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        FModules = std::make_unique<TModuleSession>();
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
        FormBack = Application->CreateForm<TFormBack>();
        // Its first show would make its "/autorun" tray start; the tests put it in the tray.
        FormBack->IfFristActive = false;
        // The update check of each login window finds nothing to offer.
        VersionCheckUrl = Standin().Url(L"/formlogin/app.ini");
        // With the companion present, the check fetches and starts no installer.
        FAnimate = GetAnimateExePath();
        FMadeAnimate = !FileExists(FAnimate);
        if (FMadeAnimate) tn::testing::WriteFileBytes(FAnimate, "placeholder");
    }
    void TearDown() override {
        if (FMadeAnimate) ::DeleteFileW(FAnimate.c_str());
        Application->DestroyComponents();
        FormBack = nullptr;
        FModules.reset();
    }

private:
    std::unique_ptr<TModuleSession> FModules;
    std::wstring FAnimate;
    bool FMadeAnimate = false;
};
[[maybe_unused]] const auto* const kSetUp = ::testing::AddGlobalTestEnvironment(new ProgramSetUp);

// --- COM doubles ---------------------------------------------------------------------------------

// Stack objects that count references and answer IUnknown, IDispatch and what Answers adds.
template <typename I> using Fake = test::CountedDispatch<I>;

// The leading methods of the input element's interface, in its order: all the scan reads.
struct InputElementHead : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_type(BSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_type(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_value(BSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_value(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_name(BSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_name(BSTR*) = 0;
};

class FakeInput : public Fake<InputElementHead> {
public:
    FakeInput(std::wstring type, std::wstring name, std::wstring value)
        : Type(std::move(type)), Name(std::move(name)), Value(std::move(value)) {}
    HRESULT STDMETHODCALLTYPE put_type(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override { return Give(Type, p); }
    HRESULT STDMETHODCALLTYPE put_value(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_value(BSTR* p) override { return Give(Value, p); }
    HRESULT STDMETHODCALLTYPE put_name(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR* p) override { return Give(Name, p); }
    std::wstring Type, Name, Value;

protected:
    bool Answers(REFIID iid) const override {
        return iid == IID_IHTMLInputElement || CountedDispatch::Answers(iid);
    }

private:
    static HRESULT Give(const std::wstring& s, BSTR* p) {
        *p = ::SysAllocString(s.c_str());
        return S_OK;
    }
};

class FakeCollection : public Fake<IHTMLElementCollection> {
public:
    HRESULT STDMETHODCALLTYPE toString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_length(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_length(LONG* p) override {
        *p = static_cast<LONG>(Items.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT, IDispatch** p) override {
        *p = nullptr;
        if (name.vt != VT_I4 || name.lVal < 0 || name.lVal >= static_cast<LONG>(Items.size()))
            return E_INVALIDARG;
        ++ItemsAsked;
        if (name.lVal == FailAt) return E_FAIL;
        *p = Items[static_cast<std::size_t>(name.lVal)];
        (*p)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE tags(VARIANT, IDispatch**) override { return E_NOTIMPL; }
    std::vector<IDispatch*> Items;
    LONG FailAt = -1;
    int ItemsAsked = 0;
};

// The leading methods of the HTML document's second interface: all the scan reads.
struct DocumentHead : IHTMLDocument {
    virtual HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection**) = 0;
};

class FakeDocument : public Fake<DocumentHead> {
public:
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override {
        ++AllAsked;
        *p = nullptr;
        if (FailAll) return E_FAIL;
        *p = &All;
        All.AddRef();
        return S_OK;
    }
    FakeCollection All;
    bool FailAll = false;
    int AllAsked = 0;

protected:
    bool Answers(REFIID iid) const override {
        return iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2 ||
               CountedDispatch::Answers(iid);
    }
};

// The real component, with a document of the test's choosing and the control's event entry open.
class TestBrowser : public THostedWB {
public:
    explicit TestBrowser(TComponent* owner) : THostedWB(owner) {}
    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        return Doc ? ComPtr<IDispatch>(static_cast<IDispatch*>(Doc)) : THostedWB::Document();
    }
    using THWB::InvokeEvent;
    FakeDocument* Doc = nullptr;
};

// Raises a browser event with its arguments laid out as the control passes them: right to left,
// the URL and the other variants by reference, the cancel flag as a Boolean reference.
class EventArgs {
public:
    explicit EventArgs(std::vector<VARIANT> leftToRight)
        : FArgs(leftToRight.rbegin(), leftToRight.rend()) {}
    DISPPARAMS Params() { return {FArgs.data(), nullptr, static_cast<UINT>(FArgs.size()), 0}; }

private:
    std::vector<VARIANT> FArgs;
};

VARIANT ByRef(OleVariant& v) {
    VARIANT r;
    ::VariantInit(&r);
    r.vt = VT_BYREF | VT_VARIANT;
    r.pvarVal = v.ptr();
    return r;
}

VARIANT DispatchArg(IDispatch* d) {
    VARIANT r;
    ::VariantInit(&r);
    r.vt = VT_DISPATCH;
    r.pdispVal = d;
    return r;
}

HRESULT RaiseDocumentComplete(TestBrowser& b, IDispatch* disp, const std::wstring& url) {
    OleVariant u(url);
    EventArgs args({DispatchArg(disp), ByRef(u)});
    DISPPARAMS p = args.Params();
    return b.InvokeEvent(DISPID_DOCUMENTCOMPLETE, p);
}

HRESULT RaiseNavigateError(TestBrowser& b, IDispatch* disp, const std::wstring& url) {
    OleVariant u(url), frame(L""), status(LONG{404});
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT c;
    ::VariantInit(&c);
    c.vt = VT_BYREF | VT_BOOL;
    c.pboolVal = &cancel;
    EventArgs args({DispatchArg(disp), ByRef(u), ByRef(frame), ByRef(status), c});
    DISPPARAMS p = args.Params();
    return b.InvokeEvent(DISPID_NAVIGATEERROR, p);
}

// --- fixture -------------------------------------------------------------------------------------

struct ShellCall {
    std::wstring verb, file, parameters;
};
std::vector<ShellCall> ShellCalls;
HINSTANCE WINAPI RecordShell(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT) {
    ShellCalls.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L""});
    return reinterpret_cast<HINSTANCE>(42); // success: no fallback call
}

// Waits while something outside this thread's queue (the stand-in, a worker) is what changes.
bool WaitUntil(const std::function<bool()>& done, DWORD ms = 15000) {
    const UINT_PTR tick = ::SetTimer(nullptr, 0, 50, nullptr);
    const bool ok = test::PumpUntil(done, ms);
    ::KillTimer(nullptr, tick);
    return ok;
}

// When the stand-in saw the requests to a path, in seconds.
std::vector<double> ArrivalTimes(const Standin& standin, const std::string& path) {
    const std::string body =
        standin.Control("/_standin/times?path=" + tn::testing::PercentEncode(path));
    std::vector<double> times;
    std::size_t at = 0;
    while (at < body.size()) {
        const auto end = body.find('\n', at);
        times.push_back(std::stod(body.substr(at, end - at)));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return times;
}

using Box = std::array<LONG, 4>; // left, top, right, bottom
Box Bounds(const TControl& c) {
    const RECT r = c.BoundsRect();
    return {r.left, r.top, r.right, r.bottom};
}

constexpr Box kArea{328, 175, 931, 554};
constexpr Box kParked{-931, -554, -328, -175};

class FormLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin.Reset();
        ShellCalls.clear();
        LoginUserName.clear();
        GameUrl.clear();
        AutoRun = 0;
        TopMost = false;
        // A login page that never answers: the control stays quiet unless a test speaks for it.
        standin.Set("/formlogin/hang", StandinReply{.never = true});
        GameLoginUrl = standin.Url(L"/formlogin/hang");
    }
    void TearDown() override {
        TComponent::Free(FormLogin);
        EXPECT_EQ(FormLogin, nullptr);
        standin.Reset();
    }
    TFormLogin& Make(TFormLogin::TSeams seams = {}) {
        seams.CreateBrowser = [this](TFormLogin& owner) {
            wb = TComponent::Create<TestBrowser>(owner);
            return wb;
        };
        seams.shellExecute = &RecordShell;
        FormLogin = TComponent::Create<TFormLogin>(*Application, seams);
        FormLogin->Show();
        return *FormLogin;
    }
    [[nodiscard]] std::size_t RequestsTo(const std::string& path) const {
        return standin.Queries(path).size();
    }

    Standin standin;
    TestBrowser* wb = nullptr;
};

// --- creation and layout -------------------------------------------------------------------------

TEST_F(FormLoginTest, CreationLaysOutTheWindowStartsTheCheckAndMasksFloatingPointExceptions) {
    for (const bool topMost : {false, true}) {
        SCOPED_TRACE(topMost ? "TopMost" : "not TopMost");
        TComponent::Free(FormLogin);
        standin.Set("/formlogin/app.ini", StandinReply{.status = 404});
        TopMost = topMost;
        Set8087CW(0x027F); // the browser's settings put the start-up word back before FormCreate
        TFormLogin& f = Make();
        // Bit 6 is reserved; these processors read it back as set.
        EXPECT_EQ(Get8087CW() & ~0x40, 0x133F);
        const HWND wnd = f.Handle();

        RECT r{};
        ::GetWindowRect(wnd, &r);
        EXPECT_EQ(r.right - r.left, 1024);
        EXPECT_EQ(r.bottom - r.top, 651);
        EXPECT_EQ(f.Caption(), L"BrisaTarn");
        EXPECT_EQ(Application->Title(), L"BrisaTarn");
        const LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
        EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX | WS_SYSMENU),
                  static_cast<LONG>(WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU));
        const LONG ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
        EXPECT_TRUE(ex & WS_EX_LAYERED);
        EXPECT_EQ((ex & WS_EX_TOPMOST) != 0, topMost);
        EXPECT_EQ(::GetWindow(wnd, GW_OWNER), FormBack->Handle());
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(::GetLayeredWindowAttributes(wnd, &key, &alpha, &flags));
        EXPECT_EQ(key, RGB(0, 0, 0));
        EXPECT_EQ(alpha, 255);
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
        EXPECT_EQ(f.Color(), clBlack);

        EXPECT_EQ(Bounds(*f.browser), kParked);
        EXPECT_EQ(Bounds(*f.imgMin), (Box{865, 155, 885, 175}));
        EXPECT_EQ(Bounds(*f.imgClose), (Box{889, 155, 909, 175}));
        EXPECT_TRUE(f.imgClose->PictureNormal().HasGraphic());
        EXPECT_TRUE(f.imgClose->PictureMouseOver().HasGraphic());
        EXPECT_TRUE(f.imgMin->PictureNormal().HasGraphic());
        EXPECT_TRUE(f.imgMin->PictureMouseOver().HasGraphic());
        EXPECT_EQ(f.imgClose->Cursor(), TCursor::crHandPoint);

        const TLabel& label = *f.lblNavigateInfos;
        EXPECT_EQ(label.Caption(), L"正在为您加载资源，请稍后...");
        EXPECT_FALSE(label.Transparent());
        EXPECT_EQ(label.Color(), TColor{0x081025});
        EXPECT_EQ(label.Font().Color(), clYellow);
        EXPECT_EQ(label.Font().Height(), -21);
        EXPECT_GT(label.Width(), 0);
        // Centred, the odd half pixel to the even side.
        const auto half = [](int d) { return static_cast<int>(std::nearbyint(d / 2.0)); };
        EXPECT_EQ(label.Left(), 328 + half(603 - label.Width()));
        EXPECT_EQ(label.Top(), 175 + half(379 - label.Height()));

        EXPECT_EQ(f.browser->DisableCtrlShortcuts, L"N");
        using UI = TUserInterfaceOption;
        EXPECT_EQ(f.browser->UserInterfaceOptions(),
                  (TUserInterfaceOptions{UI::DisableTextSelect, UI::DisableHelpMenu,
                                         UI::DontUse3DBorders, UI::DontUseScrollBars,
                                         UI::EnablesFormsAutoComplete, UI::EnableThemes}));
        EXPECT_EQ(f.browser->DisabledPopupMenus, TIEPopupMenus{rcmAll});
        EXPECT_EQ(f.browser->PrintOptions().Header, L"w&b页码，&p/&P(&W)");
        EXPECT_EQ(f.browser->PrintOptions().Footer, L"&u&b&d");
        EXPECT_FALSE(f.NavigateError());
        EXPECT_FALSE(f.NavigateSuccess());

        // The login page was asked for, and the update check fetched the version file.
        EXPECT_TRUE(WaitUntil([&] { return RequestsTo("/formlogin/hang") == 1; }));
        EXPECT_TRUE(WaitUntil([&] { return RequestsTo("/formlogin/app.ini") == 1; }));
        standin.Reset();
        standin.Set("/formlogin/hang", StandinReply{.never = true});
    }
}

TEST_F(FormLoginTest, HitTestMakesTheRightAndBottomEdgesSizingBorders) {
    TFormLogin& f = Make();
    const HWND wnd = f.Handle();
    RECT r{};
    ::GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const struct {
        int x, y;
        LRESULT want;
    } cases[] = {
        {w - 1, h - 1, HTBOTTOMRIGHT}, {w - 6, h - 6, HTBOTTOMRIGHT}, {w - 7, h - 1, HTBOTTOM},
        {w - 1, h - 7, HTRIGHT},       {w - 4, 300, HTRIGHT},         {w - 5, 300, HTCLIENT},
        {500, h - 4, HTBOTTOM},        {500, h - 5, HTCLIENT},        {w - 6, h - 7, HTCLIENT},
    };
    for (const auto& c : cases) {
        const LRESULT got =
            ::SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + c.x, r.top + c.y));
        EXPECT_EQ(got, c.want) << "at (" << c.x << ", " << c.y << ")";
    }
    // The program's own hide-to-tray command means nothing here: the system's procedure has it.
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    EXPECT_TRUE(::IsWindowVisible(wnd));
}

// --- navigations through the real control
// ----------------------------------------------------------

TEST_F(FormLoginTest,
       OnlyTheExactPayRedirectOpensTheExternalBrowserAndOnlyThePlayPageIsHandedOver) {
    TFormLogin& f = Make();
    const std::wstring pay = standin.Url(L"/action/redirect_pay.php?gid=1016");

    LoginUserName = L"someone";
    f.browser->Navigate(pay);
    ASSERT_TRUE(WaitUntil([] { return !ShellCalls.empty(); }, 5000));
    ASSERT_EQ(ShellCalls.size(), 1u);
    EXPECT_EQ(ShellCalls[0].verb, L"open");
    EXPECT_EQ(ShellCalls[0].file, L"IExplore.EXE");
    EXPECT_EQ(ShellCalls[0].parameters, pay);
    EXPECT_TRUE(LoginUserName.empty()); // the pay redirect is no play page

    // Passed on: a further parameter, and the play-page marker in capitals.
    const std::wstring longer = pay + L"&x=1";
    const std::wstring capitals = standin.Url(L"/formlogin/WD_PLAY_1016.PHP?sid=s1");
    for (const std::wstring& url : {longer, capitals}) {
        LoginUserName = L"someone";
        f.browser->Navigate(url);
        EXPECT_TRUE(WaitUntil([] { return LoginUserName.empty(); }, 5000));
    }
    EXPECT_TRUE(WaitUntil([&] {
        return RequestsTo("/action/redirect_pay.php") == 1 &&
               RequestsTo("/formlogin/WD_PLAY_1016.PHP") == 1;
    }));
    EXPECT_EQ(standin.Queries("/action/redirect_pay.php"),
              std::vector<std::string>{"gid=1016&x=1"});
    EXPECT_EQ(ShellCalls.size(), 1u);
    EXPECT_TRUE(GameUrl.empty());

    // The play page: its whole URL is the game's, the control never loads it, the login name
    // stays, and the reload that fails here does not stop the hand-over.
    const std::wstring play = standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s7&key=a%20b");
    LoginUserName = L"someone";
    f.browser->Navigate(play);
    ASSERT_TRUE(WaitUntil([&] { return GameUrl == play; }, 5000));
    EXPECT_EQ(LoginUserName, L"someone");
    // The game window takes over and loads the game URL (the login's control never does);
    // this window hides, and comes back when the game window closes.
    ASSERT_NE(FormMain, nullptr);
    EXPECT_TRUE(::IsWindowVisible(FormMain->Handle()));
    EXPECT_FALSE(::IsWindowVisible(f.Handle()));
    EXPECT_TRUE(WaitUntil([&] { return RequestsTo("/tn/wd2/wd_play_1016.php") == 1; }));
    FormMain->Close();
    EXPECT_TRUE(WaitUntil([] { return FormMain == nullptr; }));
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));
    // The background window is shown with it, but the page to type into is the login window's.
    EXPECT_TRUE(::IsWindowVisible(FormBack->Handle()));
    EXPECT_EQ(::GetActiveWindow(), f.Handle());
}

TEST_F(FormLoginTest, EveryFailedLoadShowsTheErrorAndRetriesFiveSecondsLater) {
    // Here the control ends every load it does not cancel in an error, a served page too.
    standin.Set("/formlogin/login.html", StandinReply{.body = "<html><body>login</body></html>",
                                                      .contentType = "text/html"});
    GameLoginUrl = standin.Url(L"/formlogin/login.html");
    TFormLogin& f = Make();
    const auto requests = [&] { return RequestsTo("/formlogin/login.html"); };

    ASSERT_TRUE(WaitUntil([&] { return f.NavigateError(); }));
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"您的网络出现异常，请检查，谢谢！");
    const TLabel& label = *f.lblNavigateInfos;
    EXPECT_LE(std::abs(label.Left() + label.Width() / 2 - (328 + 603 / 2)), 1);
    EXPECT_LE(std::abs(label.Top() + label.Height() / 2 - (175 + 379 / 2)), 1);
    EXPECT_EQ(Bounds(*f.browser), kParked);

    // A retry about every 5 s, never sooner: for a page that fails once per load (served) and,
    // from the fourth load on, for one that fails twice (404).
    ASSERT_TRUE(WaitUntil([&] { return requests() >= 3; }, 30000));
    standin.Set("/formlogin/login.html", StandinReply{.status = 404});
    ASSERT_TRUE(WaitUntil([&] { return requests() >= 5; }, 30000));
    const std::vector<double> times = ArrivalTimes(standin, "/formlogin/login.html");
    ASSERT_GE(times.size(), 5u);
    for (std::size_t i = 1; i < 5; ++i) {
        EXPECT_GE(times[i] - times[i - 1], 4.5) << "request " << i + 1;
        EXPECT_LT(times[i] - times[i - 1], 15.0) << "request " << i + 1;
    }
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"您的网络出现异常，请检查，谢谢！");
    EXPECT_EQ(Bounds(*f.browser), kParked);
    EXPECT_FALSE(f.NavigateSuccess());
}

// --- events the control never raises here --------------------------------------------------------

TEST_F(FormLoginTest, OnlyTheTopLevelNavigationsErrorStartsTheRetry) {
    TFormLogin& f = Make();
    Fake<IDispatch> frame;
    EXPECT_EQ(RaiseNavigateError(*wb, &frame, L"http://frame.example/"), S_OK);
    EXPECT_FALSE(f.NavigateError());
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"正在为您加载资源，请稍后...");

    EXPECT_EQ(RaiseNavigateError(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_TRUE(f.NavigateError());
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"您的网络出现异常，请检查，谢谢！");
    // The retry fires with the window's handle as its identifier; the error is then cleared.
    test::Pump();
    const auto before = RequestsTo("/formlogin/hang");
    ::SendMessageW(f.Handle(), WM_TIMER, reinterpret_cast<WPARAM>(f.Handle()), 0);
    EXPECT_FALSE(f.NavigateError());
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"您的网络出现异常，请检查，谢谢！");
    EXPECT_TRUE(WaitUntil([&] { return RequestsTo("/formlogin/hang") == before + 1; }));
    // Another timer of the window is not the retry.
    ::SendMessageW(f.Handle(), WM_TIMER, 7, 0);
    test::Pump();
    EXPECT_EQ(RequestsTo("/formlogin/hang"), before + 1);
}

TEST_F(FormLoginTest, ACompletedPageShowsTheBrowserAndAsksOnceForTheActivationRecord) {
    // A fresh manager and an installation whose first run this is.
    StatisticsModuleShutdown();
    const std::wstring ini = GetIniPath(false);
    const bool hadIni = FileExists(ini);
    const std::string saved = tn::testing::ReadFileBytes(ini);
    ASSERT_TRUE(WriteIniValue(ini, L"Common", L"RunCount", L"0"));
    StatisticsModuleStartup();

    TFormLogin& f = Make();
    for (int i = 0; i < 3; ++i) // the page and two frames
        EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_TRUE(f.NavigateSuccess());
    EXPECT_EQ(Bounds(*f.browser), kArea);
    ASSERT_TRUE(WaitUntil([&] { return standin.StatQueries().size() == 1; }, 30000));
    const std::string query = standin.StatQueries()[0];
    EXPECT_NE(query.find(IsAutoRunStart(ProgramArgs()) ? "&ext_1=4&" : "&ext_1=5&"),
              std::string::npos)
        << query;

    // Once loaded, errors change nothing and the retry does not run.
    EXPECT_EQ(RaiseNavigateError(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_FALSE(f.NavigateError());
    EXPECT_EQ(f.lblNavigateInfos->Caption(), L"正在为您加载资源，请稍后...");
    ::SendMessageW(f.Handle(), WM_NAVIGATERETRY, 0, 0);
    EXPECT_EQ(Bounds(*f.browser), kArea);
    test::Pump();
    EXPECT_EQ(standin.StatQueries().size(), 1u);

    StatisticsModuleShutdown(); // waits for the worker
    if (hadIni)
        tn::testing::WriteFileBytes(ini, saved);
    else
        ::DeleteFileW(ini.c_str());
    StatisticsModuleStartup();
}

TEST_F(FormLoginTest, APageCompletedWhileAnErrorIsPendingStaysHidden) {
    TFormLogin& f = Make();
    FakeInput name(L"text", L"USERNAME", L"carol");
    FakeDocument doc;
    doc.All.Items = {&name};
    wb->Doc = &doc;
    EXPECT_EQ(RaiseNavigateError(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    // The engine's own error page.
    EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), L"res://error.htm"), S_OK);
    EXPECT_FALSE(f.NavigateSuccess());
    EXPECT_EQ(Bounds(*f.browser), kParked);
    // The user name is read all the same.
    EXPECT_EQ(LoginUserName, L"carol");
    wb->Doc = nullptr;
}

TEST_F(FormLoginTest, TheUserNameIsTheFirstFilledTextOrHiddenInputNamedUserName) {
    TFormLogin& f = Make();
    Fake<IDispatch> div;
    FakeInput password(L"password", L"USERNAME", L"secret");
    FakeInput emptyHidden(L"hidden", L"username", L"");
    FakeInput otherName(L"text", L"user", L"eve");
    FakeInput taken(L"Text", L"UserName", L"alice");
    FakeInput later(L"HIDDEN", L"USERNAME", L"bob");
    FakeDocument doc;
    doc.All.Items = {&div, &password, &emptyHidden, &otherName, &taken, &later};
    wb->Doc = &doc;
    EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_EQ(LoginUserName, L"alice");
    EXPECT_EQ(doc.All.ItemsAsked, 5); // the later one is not looked at

    // Known: the next page is not scanned.
    EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_EQ(doc.AllAsked, 1);

    // A failing collection or element ends the scan quietly.
    LoginUserName.clear();
    doc.FailAll = true;
    EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_TRUE(LoginUserName.empty());
    doc.FailAll = false;
    doc.All.FailAt = 2;
    doc.All.ItemsAsked = 0;
    EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
    EXPECT_TRUE(LoginUserName.empty());
    EXPECT_EQ(doc.All.ItemsAsked, 3);
    EXPECT_TRUE(f.NavigateSuccess());
    wb->Doc = nullptr;
    // Every reference the scan took is given back.
    EXPECT_EQ(doc.Count(), 1u);
    EXPECT_EQ(doc.All.Count(), 1u);
    EXPECT_EQ(taken.Count(), 1u);
    EXPECT_EQ(div.Count(), 1u);
}

// Run twice by CTest: without arguments, and with "/autorun" as the first. In the tray counts
// whether the shell took the icon or refused it (no taskbar yet at logon).
TEST_F(FormLoginTest, AutorunRestoreNeedsTheTrayAutoRunOneAndTheExactSwitch) {
    const bool autorunStart = ParamStr(1) == L"/autorun";
    TFormLogin& f = Make();
    const HWND back = FormBack->Handle();
    enum class Tray { none, icon, refusedIcon };
    for (const Tray tray : {Tray::none, Tray::icon, Tray::refusedIcon}) {
        for (const int autoRun : {0, 1, 2}) {
            SCOPED_TRACE(::testing::Message()
                         << "tray " << static_cast<int>(tray) << ", AutoRun " << autoRun);
            FormBack->Show();
            test::TraySpy spy;
            test::TraySpy::RefuseAdd = tray == Tray::refusedIcon;
            if (tray != Tray::none) ::SendMessageW(back, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
            ASSERT_EQ(FormBack->InTray(), tray != Tray::none);
            ASSERT_EQ(FormBack->IsBarIcon(), tray == Tray::icon);
            AutoRun = autoRun;
            EXPECT_EQ(RaiseDocumentComplete(*wb, wb->DefaultInterface(), GameLoginUrl), S_OK);
            // The restore is posted: what is queued now has it.
            test::Pump();
            const bool restore = tray != Tray::none && autorunStart && autoRun == 1;
            EXPECT_EQ(FormBack->InTray(), tray != Tray::none && !restore);
            // Shown as they were, or back from the tray: both windows with the taskbar button.
            const bool shown = tray == Tray::none || restore;
            EXPECT_EQ(::IsWindowVisible(back) != FALSE, shown);
            EXPECT_EQ(::IsWindowVisible(f.Handle()) != FALSE, shown);
            if (shown) {
                EXPECT_FALSE(FormBack->IsBarIcon());
                EXPECT_FALSE(test::TrayIconShown(back));
                EXPECT_EQ(test::ExStyle(back) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW),
                          LONG{WS_EX_APPWINDOW});
            }
            if (FormBack->InTray()) ::SendMessageW(back, WM_BARICON, 0, WM_LBUTTONDOWN);
        }
    }
    FormBack->Hide();
}

// --- the hand-over ---------------------------------------------------------------------------

// The login page's way to a URL as the control reports it before going there; true when it was
// cancelled. Made here at once, before this thread serves anything queued.
bool BeforeNavigate(TFormLogin& f, const std::wstring& url) {
    OleVariant u(url), none;
    bool cancel = false;
    f.browserBeforeNavigate2(nullptr, nullptr, *u.ptr(), *none.ptr(), *none.ptr(), *none.ptr(),
                             *none.ptr(), cancel);
    return cancel;
}

// A start at logon whose login page goes on to the play page by itself, the windows in the tray.
TEST_F(FormLoginTest, AGameWindowOpenedFromTheTrayClosesBackToTheWindowsAsTheTraysOpenBrings) {
    TFormLogin& f = Make();
    FormBack->Show();
    const HWND back = FormBack->Handle();
    ::SendMessageW(back, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    ASSERT_TRUE(FormBack->InTray());
    EXPECT_TRUE(BeforeNavigate(f, standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s2")));
    ASSERT_NE(FormMain, nullptr);
    EXPECT_TRUE(::IsWindowVisible(FormMain->Handle()));
    FormMain->Close();
    ASSERT_TRUE(WaitUntil([] { return FormMain == nullptr; }));

    EXPECT_TRUE(::IsWindowVisible(back));
    EXPECT_FALSE(::IsIconic(back));
    EXPECT_EQ(test::ExStyle(back) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), LONG{WS_EX_APPWINDOW});
    EXPECT_FALSE(FormBack->InTray());
    EXPECT_FALSE(FormBack->IsBarIcon());
    EXPECT_FALSE(test::TrayIconShown(back));
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));
    FormBack->Hide();
}

TEST_F(FormLoginTest, APlayPageWhoseGameWindowCannotBeMadeLeavesTheLoginWindowInPlace) {
    TFormLogin::TSeams seams;
    seams.ShowGame = [] { throw std::runtime_error("no game window"); };
    TFormLogin& f = Make(std::move(seams));
    FormBack->Show();
    const std::wstring play = standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s9");
    f.browser->Navigate(play);
    ASSERT_TRUE(WaitUntil([&] { return GameUrl == play; }, 5000));
    test::Pump();
    EXPECT_EQ(FormMain, nullptr);
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));
    EXPECT_TRUE(::IsWindowVisible(FormBack->Handle()));
    EXPECT_EQ(RequestsTo("/tn/wd2/wd_play_1016.php"), 0u); // cancelled all the same
    FormBack->Hide();
}

// --- the update road, in this process ----------------------------------------------------------

using Spy = tn::testing::InstallerCallsSpy;
using BoxSpy = test::DialogCallsSpy;

// The login window's own update thread on its road: a newer version offered by the stand-in, the
// installer served as a test sets it, the boxes answered by the spy, the installer's start in the
// test's hands. UpGrade.ini and the addresses are put back afterwards.
class UpdateRoad {
public:
    explicit UpdateRoad(const Standin& standin)
        : FStandin(standin), FCheck(VersionCheckUrl), FDownload(VersionDownloadUrl) {
        FHad = FileExists(FUpgrade);
        if (FHad) FBytes = tn::testing::ReadFileBytes(FUpgrade);
        ::DeleteFileW(FUpgrade.c_str());
        standin.Set("/formlogin/upd.ini",
                    StandinReply{.body = "[version]\r\ncurrentversion=1.0.0.2\r\nupgraderange=\r\n",
                                 .contentType = "text/plain"});
        Installer(StandinReply{.body = "MZ: the test's installer"});
        VersionCheckUrl = standin.Url(L"/formlogin/upd.ini");
        VersionDownloadUrl = standin.Url(L"/formlogin/Setup.exe");
    }
    UpdateRoad(const UpdateRoad&) = delete;
    UpdateRoad& operator=(const UpdateRoad&) = delete;
    ~UpdateRoad() {
        VersionCheckUrl = FCheck;
        VersionDownloadUrl = FDownload;
        ::DeleteFileW(FUpgrade.c_str());
        if (FHad) tn::testing::WriteFileBytes(FUpgrade, FBytes);
        for (const std::wstring& folder : {ExeFolder(), GetTempDir()})
            ::DeleteFileW(SavedAs(folder).c_str());
    }
    void Installer(const StandinReply& reply) const { FStandin.Set("/formlogin/Setup.exe", reply); }
    [[nodiscard]] static std::wstring SavedAs(const std::wstring& folder) {
        return folder + L"Setup_Varkelpfr.exe";
    }
    [[nodiscard]] std::wstring Recorded() const {
        return ReadIniValue260(FUpgrade, L"Common", L"LastTimeUpGradeVersion");
    }

    BoxSpy boxes;
    Spy starts;

private:
    const Standin& FStandin;
    const std::wstring FCheck, FDownload, FUpgrade = GetIniPath(true);
    bool FHad = false;
    std::string FBytes;
};

constexpr wchar_t kOffer[] = L"检测到最新版本1.0.0.2，确认更新！";

// Wine asks for no rights: the doubles refuse the start as a system with UAC refuses an installer
// that asks for administrator rights (740), and the user then declines the system's question
// (1223).
TEST_F(FormLoginTest, AnInstallerThatNeedsRightsIsStartedByTheShellAndADeclineRecordsNothing) {
    const struct {
        const char* name;
        bool virtualized;
        std::wstring folder;
    } cases[] = {
        {"the program's folder", false, ExeFolder()},
        {"writes redirected: the temporary folder", true, GetTempDir()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TComponent::Free(FormLogin);
        UpdateRoad road(standin);
        Spy::CreateError = 740;
        Spy::ShellError = ERROR_CANCELLED;
        Spy::Virtualized = c.virtualized;
        TFormLogin& f = Make();
        // Hidden for the download, shown again after the decline.
        ASSERT_TRUE(WaitUntil([&] { return !Spy::ShellStarts.empty() && f.Showing(); }, 30000));
        ASSERT_EQ(Spy::CommandLines.size(), 1u);
        const std::wstring installer = Spy::FileOf(Spy::CommandLines[0]);
        EXPECT_EQ(Spy::CommandLines[0], L"\"" + installer + L"\"");
        EXPECT_EQ(ExtractFilePath(installer), c.folder);
        // Every program of the user may write the temporary folder: a name nobody foresees.
        if (c.virtualized)
            EXPECT_TRUE(ExtractFileName(installer).starts_with(L"Setup_Varkelpfr_"))
                << text::ToUtf8(installer);
        else
            EXPECT_EQ(installer, UpdateRoad::SavedAs(c.folder));
        ASSERT_EQ(Spy::ShellStarts.size(), 1u);
        EXPECT_EQ(Spy::ShellStarts[0].file, installer);
        EXPECT_TRUE(Spy::ShellStarts[0].fileThere);
        ASSERT_EQ(BoxSpy::Boxes.size(), 1u) << "more than the offer";
        EXPECT_EQ(BoxSpy::Boxes[0].text, kOffer);
        EXPECT_TRUE(road.Recorded().empty());
        EXPECT_FALSE(FileExists(installer));
    }
    EXPECT_EQ(RequestsTo("/formlogin/Setup.exe"), std::size(cases));
}

// The close of the login window is the program's end: a download that finishes after it saves,
// starts and records nothing.
TEST_F(FormLoginTest, AnInstallerThatArrivesAfterTheLoginWindowHasGoneIsNeitherStartedNorRecorded) {
    UpdateRoad road(standin);
    road.Installer(StandinReply{.body = "MZ: late", .delayMs = 3000});
    TFormLogin& f = Make();
    ASSERT_TRUE(WaitUntil([&] { return RequestsTo("/formlogin/Setup.exe") == 1; }, 30000));
    // It waits for the installer now, so it still lives.
    const UniqueHandleKernel worker(::OpenThread(SYNCHRONIZE, FALSE, f.UpdataThread->ThreadID()));
    ASSERT_TRUE(worker);
    TComponent::Free(FormLogin);
    ASSERT_TRUE(
        WaitUntil([&] { return ::WaitForSingleObject(worker.get(), 0) == WAIT_OBJECT_0; }, 30000));
    EXPECT_TRUE(Spy::CommandLines.empty());
    EXPECT_TRUE(road.Recorded().empty());
    EXPECT_FALSE(FileExists(UpdateRoad::SavedAs(ExeFolder())));
    EXPECT_EQ(BoxSpy::Boxes.size(), 1u); // the offer, nothing after
}

// The animated-icon companion missing for the scope, so that the check fetches its installer.
class CompanionMissing {
public:
    CompanionMissing() : FHad(FileExists(FPath)) {
        if (FHad) FBytes = tn::testing::ReadFileBytes(FPath);
        ::DeleteFileW(FPath.c_str());
    }
    CompanionMissing(const CompanionMissing&) = delete;
    CompanionMissing& operator=(const CompanionMissing&) = delete;
    ~CompanionMissing() {
        if (FHad) tn::testing::WriteFileBytes(FPath, FBytes);
    }

private:
    const std::wstring FPath = GetAnimateExePath();
    bool FHad = false;
    std::string FBytes;
};

// The companion's installer is saved and started under the same rule as the full one: once the
// login window has gone, a download that ends is neither saved, wherever it would go, nor started.
TEST_F(FormLoginTest,
       ACompanionInstallerThatArrivesAfterTheLoginWindowHasGoneIsNeitherSavedNorStarted) {
    constexpr char kCompanion[] = "/Varkel/bn/animateicon/VarkelAnimateIcon.exe";
    const struct {
        const char* name;
        bool virtualized;
        std::wstring folder;
    } cases[] = {
        {"the download folder", false, IncludeTrailingBackslash(GetDownloadDir())},
        {"writes redirected: the temporary folder", true, GetTempDir()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        standin.Reset();
        standin.Set("/formlogin/hang", StandinReply{.never = true});
        const CompanionMissing missing;
        Spy starts;
        Spy::Virtualized = c.virtualized;
        const auto before = tn::testing::SavedInstallers(c.folder, L"IconAnimate_Update");
        standin.Set(kCompanion, StandinReply{.body = "MZ: late companion", .delayMs = 3000});
        TFormLogin& f = Make();
        ASSERT_TRUE(WaitUntil([&] { return RequestsTo(kCompanion) == 1; }, 30000));
        const UniqueHandleKernel worker(
            ::OpenThread(SYNCHRONIZE, FALSE, f.UpdataThread->ThreadID()));
        ASSERT_TRUE(worker);
        TComponent::Free(FormLogin);
        ASSERT_TRUE(WaitUntil(
            [&] { return ::WaitForSingleObject(worker.get(), 0) == WAIT_OBJECT_0; }, 30000));
        EXPECT_TRUE(Spy::CommandLines.empty());
        EXPECT_TRUE(Spy::ShellStarts.empty());
        const auto after = tn::testing::SavedInstallers(c.folder, L"IconAnimate_Update");
        EXPECT_EQ(after, before);
        for (const std::wstring& file : after)
            if (std::find(before.begin(), before.end(), file) == before.end())
                ::DeleteFileW(file.c_str());
    }
}

// Another program's window, made the active one: the user works elsewhere while the check runs.
class ForeignWindow {
public:
    ForeignWindow() {
        UniqueHandleKernel made(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        FThread = std::thread([this, &made] {
            FWnd = ::CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 600, 500,
                                     80, 60, nullptr, nullptr, nullptr, nullptr);
            FThreadId = ::GetCurrentThreadId();
            ::SetEvent(made.get());
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageW(&msg);
            ::DestroyWindow(FWnd);
        });
        ::WaitForSingleObject(made.get(), 10000);
        // This thread hears of the change by sent messages only: nothing posted runs meanwhile.
        for (int i = 0; i < 50 && ::GetActiveWindow(); ++i) {
            ::SetForegroundWindow(FWnd);
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        }
    }
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;
    ~ForeignWindow() {
        ::PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
        FThread.join();
    }

private:
    std::thread FThread;
    HWND FWnd = nullptr;
    DWORD FThreadId = 0;
};

TEST_F(FormLoginTest, TheUpdatesBoxesBelongToAVisibleWindowOfTheProgramAndComeToTheFront) {
    UpdateRoad road(standin);
    road.Installer(StandinReply{.status = 404});
    TFormLogin& f = Make();
    FormBack->Show();
    const ForeignWindow elsewhere;
    ASSERT_EQ(::GetActiveWindow(), nullptr) << "the program is still the active one";
    ASSERT_TRUE(WaitUntil([&] { return BoxSpy::Boxes.size() == 2 && f.Showing(); }, 30000));
    const auto& boxes = BoxSpy::Boxes;
    EXPECT_EQ(boxes[0].text, kOffer);
    EXPECT_EQ(boxes[0].owner, f.Handle());
    // The login window is hidden while the installer comes: the background window has the box.
    EXPECT_EQ(boxes[1].text, L"网络出错");
    EXPECT_EQ(boxes[1].owner, FormBack->Handle());
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, L"BrisaTarn");
        EXPECT_EQ(box.flags, UINT{MB_OK | MB_SETFOREGROUND});
    }
    FormBack->Hide();
}

TEST_F(FormLoginTest, AnUpdateOfferedWhileTheGameIsPlayedBelongsToTheGameWindowAndLeavesItOpen) {
    UpdateRoad road(standin);
    road.Installer(StandinReply{.status = 404});
    TFormLogin& f = Make();
    FormBack->Show();
    // The hand-over first: this thread serves the update only once it waits below.
    EXPECT_TRUE(BeforeNavigate(f, standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s3")));
    ASSERT_NE(FormMain, nullptr);
    const HWND game = FormMain->Handle();
    ASSERT_TRUE(WaitUntil([&] { return BoxSpy::Boxes.size() == 2; }, 30000));
    const auto& boxes = BoxSpy::Boxes;
    EXPECT_EQ(boxes[0].text, kOffer);
    EXPECT_EQ(boxes[1].text, L"网络出错");
    for (const auto& box : boxes)
        EXPECT_EQ(box.owner, game);
    // The hand-over had hidden the login window: it stays hidden, and the game goes on.
    test::Pump();
    EXPECT_FALSE(::IsWindowVisible(f.Handle()));
    EXPECT_FALSE(::IsWindowVisible(FormBack->Handle()));
    EXPECT_TRUE(::IsWindowVisible(game));
    FormMain->Close();
    ASSERT_TRUE(WaitUntil([] { return FormMain == nullptr; }));
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));
    FormBack->Hide();
}

// Last: the close ends the application.
TEST_F(FormLoginTest, TheMinimizeButtonMinimizesTheBackgroundAndTheCloseButtonEndsTheProgram) {
    TFormLogin& f = Make();
    FormBack->Show();
    const HWND back = FormBack->Handle();
    ASSERT_TRUE(::IsWindowVisible(f.Handle()));
    f.imgMin->Click();
    EXPECT_TRUE(::IsIconic(back));
    // Owned by it, the login window goes with it (the system hides owned windows of a minimized
    // one; this platform's window manager leaves them) and comes back with it.
    EXPECT_EQ(::GetWindow(f.Handle(), GW_OWNER), back);
    FormBack->SetWindowState(TWindowState::wsNormal);
    EXPECT_FALSE(::IsIconic(back));
    EXPECT_TRUE(::IsWindowVisible(f.Handle()));

    f.imgClose->Click();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(WaitUntil([] { return FormLogin == nullptr; }, 3000));
}

TEST(UpgradeVersionNumber, IsTheDigitsWithoutPointsOrZero) {
    const struct {
        const wchar_t* text;
        std::int32_t want;
    } cases[] = {
        {L"1.0.0.2", 1002},
        {L"0.0.0.0", 0},
        {L"1.0.1", 101},
        {L"1.0.0.9", 1009},
        {L"", 0},
        {L"1.0.a", 0},
        {L"99.99.99.99.99", 0},
        {L"2147.483.647", 2147483647},
        {L"2147.483.648", 0},
        {L"1000", 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpgradeVersionNumber(c.text), c.want) << text::ToUtf8(c.text);
}

} // namespace
