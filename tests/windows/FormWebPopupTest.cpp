// The announcement popup with the real browser control inside it, and its scheduler thread. This
// platform's control reaches no page: every load that is not cancelled ends in a navigation error,
// so the completion handler is raised directly.
#include "windows/FormWebPopup.h"
#include "windows/PopupManager.h"

#include "classlib/IniFile.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::ExStyle;
using test::PumpUntil;
using test::WindowRect;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

RECT WorkArea() {
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

// Ids first to last, each with its ",": nine characters apiece with the default base.
std::wstring Ids(int first, int last, int base = 10000000) {
    std::wstring s;
    for (int i = first; i <= last; ++i)
        s += std::to_wstring(base + i) + L",";
    return s;
}

// A popup whose loads are cancelled unless a test lets them through, so that no navigation error
// hides it behind a test's back. Every WM_SHOWWINDOW that gets past the popup's own window
// procedure is noted.
struct Popup {
    Popup() {
        form = TComponent::Create<TFormWebPopup>(*Application);
        wnd = form->Handle();
        form->embdwbComment->OnBeforeNavigate2 = [this](TObject*, IDispatch*, VARIANT&, VARIANT&,
                                                        VARIANT&, VARIANT&, VARIANT&,
                                                        bool& cancel) { cancel = cancelLoads; };
        form->SetMessageHandler(WM_SHOWWINDOW, [this](TMessage& m) {
            handled.push_back(m.WParam);
            static_cast<TWinControl*>(form)->Dispatch(m);
        });
    }
    ~Popup() { TComponent::Free(form); }
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;

    TFormWebPopup* form;
    HWND wnd;
    bool cancelLoads = true;
    // WM_SHOWWINDOW's wParam as the form's handling saw it.
    std::vector<WPARAM> handled;
};

// WM_SHOWWINDOW's wParam as the window received it, seen by a hook before its window procedure.
struct ShowWindowSpy {
    static inline HWND target = nullptr;
    static inline std::vector<WPARAM> sent;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && m->hwnd == target && m->message == WM_SHOWWINDOW)
            sent.push_back(m->wParam);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    explicit ShowWindowSpy(HWND wnd)
        : hook(::SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, ::GetCurrentThreadId())) {
        target = wnd;
        sent.clear();
    }
    ~ShowWindowSpy() { ::UnhookWindowsHookEx(hook); }
    ShowWindowSpy(const ShowWindowSpy&) = delete;
    ShowWindowSpy& operator=(const ShowWindowSpy&) = delete;
    HHOOK hook;
};

class FormWebPopupTest : public ::testing::Test {
protected:
    // lander.ini is the popup's own; its former content comes back afterwards.
    void SetUp() override {
        FIni = GetIniPath(false);
        FHadIni = ::GetFileAttributesW(FIni.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (FHadIni) FSaved = tn::testing::ReadFileBytes(FIni);
        ::DeleteFileW(FIni.c_str());
    }
    void TearDown() override {
        ::DeleteFileW(FIni.c_str());
        if (FHadIni) tn::testing::WriteFileBytes(FIni, FSaved);
    }

    std::wstring FIni;
    bool FHadIni = false;
    std::string FSaved;
};

TEST_F(FormWebPopupTest, IsABorderlessToolWindowOwnedByNoneOfTheApplicationsWindows) {
    Popup p;
    TFormWebPopup& f = *p.form;
    EXPECT_EQ(f.Caption(), L"Varkel公告");
    EXPECT_EQ(f.ClientWidth(), 258);
    EXPECT_EQ(f.ClientHeight(), 160);
    EXPECT_EQ(::GetWindowLongW(p.wnd, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME),
              LONG(WS_POPUP));
    // No taskbar button: a tool window that asks for none and has no owner to lend it one.
    EXPECT_EQ(ExStyle(p.wnd) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), LONG{WS_EX_TOOLWINDOW});
    const HWND owner = ::GetWindow(p.wnd, GW_OWNER);
    EXPECT_TRUE(owner == nullptr || owner == ::GetDesktopWindow());
    EXPECT_FALSE(::IsWindowVisible(p.wnd));

    struct Child {
        TControl* control;
        RECT bounds;
    };
    for (const auto& [control, bounds] :
         {Child{f.pnl1, {0, 0, 258, 160}}, Child{f.imgBack, {0, 0, 258, 160}},
          Child{f.imgClose, {230, 3, 256, 28}}, Child{f.embdwbComment, {6, 26, 252, 154}}}) {
        SCOPED_TRACE(text::ToUtf8(control->Name()));
        const RECT actual = control->BoundsRect();
        EXPECT_TRUE(::EqualRect(&bounds, &actual));
    }
    EXPECT_EQ(f.pnl1->BevelOuter(), TBevelCut::bvNone);
    EXPECT_FALSE(f.imgBack->Enabled());
    EXPECT_TRUE(f.imgBack->Transparent());
    EXPECT_EQ(f.imgBack->Picture().Width(), 258); // the background with its close mark
    EXPECT_EQ(f.imgBack->Picture().Height(), 160);
    EXPECT_EQ(f.imgClose->Cursor(), TCursor::crHandPoint);
    EXPECT_EQ(f.imgBack->Parent(), f.pnl1);
    EXPECT_EQ(f.embdwbComment->Parent(), f.pnl1);

    THostedWB& wb = *f.embdwbComment;
    EXPECT_FALSE(wb.Silent());
    EXPECT_EQ(wb.DisableCtrlShortcuts, L"N");
    // DisableTextSelect, DisableHelpMenu, DontUse3DBorders, DontUseScrollBars,
    // EnablesFormsAutoComplete, EnableThemes.
    EXPECT_EQ(wb.UserInterfaceValue(), DWORD{0x1 | 0x2 | 0x4 | 0x8 | 0x4000 | 0x40000});
    EXPECT_EQ(wb.DisabledPopupMenus, TIEPopupMenus{rcmAll});
    EXPECT_EQ(wb.PrintOptions().Header, L"w&b页码，&p/&P(&W)");
    EXPECT_EQ(wb.PrintOptions().Footer, L"&u&b&d");
    EXPECT_EQ(wb.PrintOptions().Orientation, poPortrait);

    EXPECT_FALSE(f.tmrAutoClose->Enabled());
    EXPECT_EQ(f.tmrAutoClose->Interval(), 120000u);
}

TEST_F(FormWebPopupTest, ShowsOutsideTheCornerThenInsideItTopmostWithoutTakingTheActivation) {
    auto active = TComponent::CreateOwned<TForm>();
    active->SetBounds(100, 100, 200, 150);
    active->Show();
    ::SetForegroundWindow(active->Handle());
    ASSERT_EQ(::GetActiveWindow(), active->Handle());

    Popup p;
    const RECT work = WorkArea();
    // Width and height are not applied.
    p.form->InitPopupParam(L"http://127.0.0.1:1/notice", 7, 400, 500, 0);
    EXPECT_TRUE(::IsWindowVisible(p.wnd));
    RECT r = WindowRect(p.wnd);
    EXPECT_EQ(r.left, work.right);
    EXPECT_EQ(r.top, work.bottom);
    EXPECT_EQ(r.right - r.left, 258);
    EXPECT_EQ(r.bottom - r.top, 160);
    EXPECT_FALSE(ExStyle(p.wnd) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetActiveWindow(), active->Handle());

    VARIANT url{};
    p.form->embdwbCommentNavigateComplete2(p.form->embdwbComment, nullptr, url);
    test::Pump();
    EXPECT_TRUE(::IsWindowVisible(p.wnd));
    r = WindowRect(p.wnd);
    EXPECT_EQ(r.right, work.right);
    EXPECT_EQ(r.bottom, work.bottom);
    EXPECT_EQ(r.right - r.left, 258);
    EXPECT_TRUE(ExStyle(p.wnd) & WS_EX_TOPMOST);
    EXPECT_EQ(::GetActiveWindow(), active->Handle());
    EXPECT_EQ(::GetForegroundWindow(), active->Handle());
    EXPECT_TRUE(p.form->Visible());

    // Placed again after it was hidden, it comes back, still without the activation.
    p.form->Close();
    ASSERT_FALSE(::IsWindowVisible(p.wnd));
    EXPECT_TRUE(p.form->PlacePopup(false));
    EXPECT_TRUE(::IsWindowVisible(p.wnd));
    EXPECT_TRUE(p.form->Visible());
    EXPECT_EQ(::GetActiveWindow(), active->Handle());
}

TEST_F(FormWebPopupTest, CompletionRecordsTheIdOnceAndTrimsTheListByLengthOnly) {
    struct Case {
        const char* what;
        std::wstring before; // empty: no key
        int completions;
        std::wstring after;
    };
    const std::wstring longRun(151, L'9');
    const Case cases[] = {
        {"no list yet", L"", 1, L"7,"},
        {"the same id again is appended again", L"3,7,", 1, L"3,7,7,"},
        {"a second completion of the same window appends nothing", L"3,", 2, L"3,7,"},
        {"250 characters after appending are kept whole", Ids(1, 27) + L"1234,", 1,
         Ids(1, 27) + L"1234,7,"},
        {"251: the first 100 go, with the rest of the id they cut into", Ids(1, 27) + L"12345,", 1,
         Ids(13, 27) + L"12345,7,"},
        {"a cut that ends on a \",\" drops the whole next id as well", Ids(1, 25, 100000000), 1,
         Ids(12, 25, 100000000) + L"7,"},
        {"no \",\" after the first 100 but the appended one: nothing is left",
         Ids(1, 10) + L"12345678" + longRun, 1, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::DeleteFileW(FIni.c_str());
        if (!c.before.empty()) {
            ASSERT_TRUE(WriteIniValue(FIni, L"History", L"PopupList", c.before));
        }
        Popup p;
        p.form->InitPopupParam(L"http://127.0.0.1:1/notice", 7, 160, 258, 0);
        VARIANT url{};
        for (int i = 0; i < c.completions; ++i)
            p.form->embdwbCommentNavigateComplete2(p.form->embdwbComment, nullptr, url);
        EXPECT_EQ(ReadIniValue260(FIni, L"History", L"PopupList"), c.after);
    }
}

TEST_F(FormWebPopupTest, TheDelayArmsTheAutoCloseTimer) {
    struct Case {
        std::vector<int> delays;
        bool enabled;
        UINT interval;
    };
    const Case cases[] = {
        {{0}, false, 120000},     {{1500}, true, 1500},     {{-1}, true, 120000},
        {{1500, -1}, true, 1500}, {{1500, 0}, false, 1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.delays));
        Popup p;
        for (const int delay : c.delays)
            p.form->InitPopupParam(L"http://127.0.0.1:1/notice", 7, 400, 500, delay);
        EXPECT_EQ(p.form->tmrAutoClose->Enabled(), c.enabled);
        EXPECT_EQ(p.form->tmrAutoClose->Interval(), c.interval);
        EXPECT_EQ(p.form->Width(), 258);
        EXPECT_EQ(p.form->Height(), 160);
    }
}

TEST_F(FormWebPopupTest, CloseClickNavigationErrorAndTimeOutHideItThoughTheHidingNoticeIsDropped) {
    enum Cause { Click, Error, Timer };
    const char* const names[] = {"close click", "navigation error", "time-out"};
    for (const Cause cause : {Click, Error, Timer}) {
        SCOPED_TRACE(names[cause]);
        Popup p;
        const ShowWindowSpy spy(p.wnd);
        ASSERT_NE(spy.hook, nullptr);
        p.cancelLoads = cause != Error;
        // The refused port fails only once the queue is served.
        p.form->InitPopupParam(L"http://127.0.0.1:1/notice", 7, 160, 258, cause == Timer ? 100 : 0);
        ASSERT_TRUE(::IsWindowVisible(p.wnd));
        if (cause == Click) {
            const HWND panel = p.form->pnl1->Handle();
            ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(240, 10));
            ::SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(240, 10));
        }
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(p.wnd); }, 10000));
        EXPECT_FALSE(p.form->Visible());
        // The hide's notice reached the window but not the form's own handling.
        EXPECT_EQ(std::count(spy.sent.begin(), spy.sent.end(), FALSE), 1);
        EXPECT_EQ(std::count(p.handled.begin(), p.handled.end(), FALSE), 0);
        // Once hidden, the same notice takes the ordinary way again.
        ::SendMessageW(p.wnd, WM_SHOWWINDOW, FALSE, 0);
        EXPECT_EQ(std::count(p.handled.begin(), p.handled.end(), FALSE), 1);
    }
}

TEST_F(FormWebPopupTest, ClicksOnTheBackgroundOutsideTheCloseAreaLeaveItShown) {
    Popup p;
    p.form->InitPopupParam(L"http://127.0.0.1:1/notice", 7, 160, 258, 0);
    const HWND panel = p.form->pnl1->Handle();
    for (const POINT pt : {POINT{229, 10}, POINT{100, 10}, POINT{240, 2}}) {
        ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        ::SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    test::Pump();
    EXPECT_TRUE(::IsWindowVisible(p.wnd));
}

TEST_F(FormWebPopupTest, AnErrorInsideNavigateComesBeforeTheShowSoTheWindowStaysOutsideTheCorner) {
    // This platform fails "about:blank" inside Navigate itself: the close comes first, and the
    // placement then shows the window just outside the work area, where it stays.
    Popup p;
    p.cancelLoads = false;
    p.form->InitPopupParam(L"about:blank", 7, 160, 258, 0);
    test::Pump();
    EXPECT_TRUE(::IsWindowVisible(p.wnd));
    EXPECT_EQ(WindowRect(p.wnd).left, WorkArea().right);
    EXPECT_EQ(ReadIniValue260(FIni, L"History", L"PopupList"), L"");
}

// The process's open handles, found by asking after each handle value up to one that this small
// program never reaches (this platform's handle count is a stub that answers 0).
DWORD OpenHandles() {
    DWORD n = 0;
    for (std::uintptr_t h = 4; h < 0x2000; h += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
    }
    return n;
}

// Nothing tells when a thread that frees itself is gone; its handles going tell it.
bool HandlesSettleAt(DWORD expected) {
    const DWORD start = ::GetTickCount();
    while (OpenHandles() != expected) {
        if (::GetTickCount() - start > 5000) return false;
        ::Sleep(20);
    }
    return true;
}

TEST(PopupManager, EndsAtOnceFreesItselfAndClosesItsEvent) {
    // The first thread of the process may leave handles of the runtime behind for good.
    (void)TPopupManager::Create(L"warm-up.ini");
    DWORD before = 0;
    for (DWORD now = OpenHandles(); now != before; now = OpenHandles()) {
        before = now;
        ::Sleep(100);
    }
    for (int i = 0; i < 3; ++i)
        (void)TPopupManager::Create(GetIniPath(false));
    // Each had its event and its thread handle; both go when the thread ends and is freed.
    EXPECT_TRUE(HandlesSettleAt(before)) << OpenHandles() << " handles, " << before << " before";
}

} // namespace
