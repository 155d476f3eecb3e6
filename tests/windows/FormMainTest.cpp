// The game window over the real browser control, run through the application's own message loop,
// with doubles where this platform cannot reach: the page's document and script, the busy state,
// the in-place object's answer, the taskbar, the tray, the shell and the URL cache.
#include "windows/FormMain.h"

#include "Deploy.h"
#include "classlib/IniFile.h"
#include "classlib/Registry.h"
#include "services/PublicUnit.h"
#include "tests/browser/InternetClientStub.h"
#include "tests/support/RecordSizes.h"
#include "tests/support/Standin.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/windows/GamePageDoubles.h"
#include "tests/windows/TraySpy.h"
#include "windows/Launcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;
using test::FakeDocument;
using test::FakeScript;
using test::LoopUntil;
using test::MenuDriver;
using test::TestWB;
using Call = FakeScript::Call;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"BrisaTarn"));

// The in-place object's answer to the keys handed to it.
class FakeActiveObject : public test::InPlaceObjectStub {
public:
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        keys.push_back(msg->wParam);
        downs += msg->message == WM_KEYDOWN;
        return answer;
    }
    HRESULT answer = S_OK;
    std::vector<WPARAM> keys;
    int downs = 0; // key-down messages among them
};

// A cache walk that waits inside its first step until the test lets it go on.
class SlowCache : public test::InternetClientStub {
public:
    SlowCache() : release(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~SlowCache() override { ::CloseHandle(release); }
    HANDLE FindFirstUrlCacheEntryEx(LPCWSTR, DWORD, DWORD filter, GROUPID,
                                    INTERNET_CACHE_ENTRY_INFOW*, DWORD*) const noexcept override {
        askedFilter = filter;
        started = true;
        ::WaitForSingleObject(release, 10000);
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return nullptr;
    }
    BOOL FindCloseUrlCache(HANDLE) const noexcept override {
        ended = true;
        return TRUE;
    }

    HANDLE release;
    mutable std::atomic<bool> started{false}, ended{false};
    mutable std::atomic<DWORD> askedFilter{0};
};

struct ShellCall {
    HWND owner;
    std::wstring verb, file, params;
    bool operator==(const ShellCall&) const = default;
};
std::vector<ShellCall> ShellCalls;
HINSTANCE WINAPI RecordShell(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR, INT) {
    ShellCalls.push_back({owner, verb ? verb : L"", file ? file : L"", params ? params : L""});
    return reinterpret_cast<HINSTANCE>(33);
}

class TestFormMain : public TFormMain {
public:
    explicit TestFormMain(TComponent* owner) : TFormMain(owner) {}
    using TFormMain::FShellExecute;
    TestWB& Browser() const { return *static_cast<TestWB*>(NewFrame->hostedwb); }

    const TInternetClientCalls* cache = nullptr;
    std::optional<TMonitorArea> monitor; // none: the system's answer

protected:
    TFrameWeb* MakeFrame(TComponent& owner) override {
        return TComponent::Create<TFrameWeb>(owner, test::MakeTestWB);
    }
    const TInternetClientCalls& CacheCalls() const noexcept override {
        return cache ? *cache : TFormMain::CacheCalls();
    }
    TMonitorArea MonitorArea() const noexcept override {
        return monitor ? *monitor : TFormMain::MonitorArea();
    }
};

// Answers the next message box of this thread from a timer, noting what it said and whether the
// cache walk had ended by then.
struct BoxAnswer {
    static inline std::wstring text, caption;
    static inline const SlowCache* cache = nullptr;
    static inline bool walkEndedFirst = true;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND box = test::ThreadBoxWindow();
        if (!box) return;
        ::KillTimer(nullptr, id);
        wchar_t buffer[64] = {};
        ::GetWindowTextW(box, buffer, 64);
        caption = buffer;
        ::GetDlgItemTextW(box, 0xFFFF, buffer, 64);
        text = buffer;
        walkEndedFirst = cache && cache->ended;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    static void Arm(const SlowCache& walk) {
        cache = &walk;
        text.clear();
        ::SetTimer(nullptr, 0, 50, &OnTimer);
    }
};

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override {
        standin.Reset();
        GameUrl = standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s1");
        form = TComponent::Create<TestFormMain>(*Application);
        FormMain = form;
        form->Show();
        wnd = form->Handle();
        document.Script = &script;
        form->Browser().document = &document;
    }
    void TearDown() override {
        if (::IsWindow(wnd)) TComponent::Free(form);
        FormMain = nullptr;
        GameUrl.clear();
        ServerId.clear();
    }
    bool Requested(const std::string& path) const {
        for (const std::string& r : standin.Requests())
            if (r.rfind(path, 0) == 0) return true;
        return false;
    }
    // Closes the window and waits until it is freed.
    void CloseAndWait(const std::function<void()>& close) {
        close();
        ASSERT_TRUE(LoopUntil([&] { return !::IsWindow(wnd); }));
    }

    tn::testing::Standin standin;
    TestFormMain* form = nullptr;
    HWND wnd = nullptr;
    FakeScript script;
    FakeDocument document;
};

RECT Rect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

// The work area of the monitor the window is on, as the system reports it. (Here the whole screen:
// the shell's taskbar, a strip of one pixel at the bottom, takes none of it.)
RECT WorkAreaOf(HWND w) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &info));
    return info.rcWork;
}

TEST_F(GameWindow, OpensMaximizedAboveTheTaskbarWithTheFrameUnderTheTitleBar) {
    EXPECT_EQ(form->Caption(), L"BrisaTarn");
    EXPECT_EQ(form->Color(), TColor{0x4E8395});
    EXPECT_EQ(form->BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0)),
              Application->Icon());
    const LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU),
              LONG{WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU});
    EXPECT_TRUE(::IsZoomed(wnd));
    EXPECT_TRUE(form->imgMax->Check());
    EXPECT_EQ(form->Align(), TAlign::alClient);
    EXPECT_EQ(form->lblBackservicelist->Caption(), L"【返回服务器列表】");

    const RECT r = Rect(wnd), work = WorkAreaOf(wnd);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
    const int w = r.right - r.left, h = r.bottom - r.top;
    EXPECT_EQ(w, work.right - work.left);
    EXPECT_EQ(h, work.bottom - work.top);

    // The frame overlaps the title bar by 2 pixels and runs past the window's edges.
    EXPECT_EQ(form->pnlTitle->BoundsRect().bottom, 37);
    EXPECT_EQ(form->Panel1->Left(), -2);
    EXPECT_EQ(form->Panel1->Top(), 35);
    EXPECT_EQ(form->Panel1->Width(), w + 4);
    EXPECT_EQ(form->Panel1->Height(), h - 37 + 3);
    ASSERT_NE(form->NewFrame, nullptr);
    EXPECT_EQ(form->NewFrame->Parent(), form->Panel1);
    EXPECT_EQ(form->NewFrame->Owner(), form->Panel1);
    EXPECT_EQ(form->NewFrame->Width(), w + 4);
    EXPECT_EQ(form->NewFrame->Height(), h - 34);

    // The buttons keep their distance to the right edge; the label sits after the title.
    EXPECT_EQ(form->imgClose->Left(), w - 36);
    EXPECT_EQ(form->imgClose->Width(), 34);
    EXPECT_EQ(form->imgService->Left(), w - 936 + 470);
    EXPECT_EQ(form->imgService->Top(), 2);
    EXPECT_EQ(form->imgMax->Width(), 28);
    EXPECT_EQ(form->lblwebtitle->Left(), 55);
    EXPECT_EQ(form->lblBackservicelist->Left(), 159);

    // The page is the game URL, fetched from the platform.
    EXPECT_TRUE(LoopUntil([&] { return Requested("/tn/wd2/wd_play_1016.php?sid=s1"); }));
}

TEST_F(GameWindow, MaximizeTogglesBetweenTheWorkAreaAndTheCentredDesignedSize) {
    form->imgMax->Click();
    EXPECT_FALSE(::IsZoomed(wnd));
    EXPECT_FALSE(form->imgMax->Check());
    EXPECT_EQ(form->Align(), TAlign::alNone);
    RECT r = Rect(wnd);
    EXPECT_EQ(r.left, std::lrint(ScreenWidth() / 2.0 - 1026 / 2.0));
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right - r.left, 1026);
    EXPECT_EQ(r.bottom - r.top, 717);
    EXPECT_EQ(form->Panel1->Width(), 1030);
    EXPECT_EQ(form->Panel1->Height(), 717 - 34);

    // The title picture, the logo and the title all double-click to the same toggle.
    form->imgTitleLeft->DblClick();
    EXPECT_TRUE(::IsZoomed(wnd));
    EXPECT_TRUE(form->imgMax->Check());
    EXPECT_EQ(form->Align(), TAlign::alClient);
    form->img1->DblClick();
    EXPECT_FALSE(::IsZoomed(wnd));
    form->lblwebtitle->DblClick();
    EXPECT_TRUE(::IsZoomed(wnd));
    r = Rect(wnd);
    const RECT work = WorkAreaOf(wnd);
    EXPECT_EQ(r.right - r.left, work.right - work.left);
    EXPECT_EQ(r.bottom - r.top, work.bottom - work.top);

    form->imgMin->Click();
    EXPECT_TRUE(::IsIconic(wnd));
    // System commands other than the program's own are the system's.
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(wnd));
    EXPECT_TRUE(::IsZoomed(wnd));
}

std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Where the window manager puts a maximized window from the values it was given. They describe
// the window as if on the primary monitor: the position counts from the corner of the window's
// own monitor, and a size at least as large as the primary's grows by the difference between the
// two monitors (in each dimension that reaches the primary's, or only when both do: the
// measurements do not tell, so both are tried). The tracking size then bounds the size (the
// game window holds itself to it: TheMaximizedWindowHoldsItselfToTheWorkAreaOfALargerMonitor).
RECT MaximizedRect(const MINMAXINFO& info, const TMonitorArea& monitor, bool eachDimension) {
    const bool reachesX = info.ptMaxSize.x >= monitor.Primary.cx;
    const bool reachesY = info.ptMaxSize.y >= monitor.Primary.cy;
    const bool growX = eachDimension ? reachesX : reachesX && reachesY;
    const bool growY = eachDimension ? reachesY : reachesX && reachesY;
    const LONG width =
        info.ptMaxSize.x +
        (growX ? monitor.Bounds.right - monitor.Bounds.left - monitor.Primary.cx : 0);
    const LONG height =
        info.ptMaxSize.y +
        (growY ? monitor.Bounds.bottom - monitor.Bounds.top - monitor.Primary.cy : 0);
    const LONG left = monitor.Bounds.left + info.ptMaxPosition.x;
    const LONG top = monitor.Bounds.top + info.ptMaxPosition.y;
    return {left, top, left + std::min(width, info.ptMaxTrackSize.x),
            top + std::min(height, info.ptMaxTrackSize.y)};
}

// The monitor the window is on, whatever its taskbar does: one at any edge, one hidden until the
// pointer comes (the work area is then the whole monitor), one on another monitor; and a second
// monitor as large as the primary, larger (with its work area whole, cut by a taskbar yet at
// least the primary's size, or cut to less than it), or smaller.
TEST_F(GameWindow, TheMaximizedWindowFillsTheWorkAreaOfItsMonitorAndRestoresBelowATopTaskbar) {
    // The system's own values first, the tracking size that of the whole desktop.
    const auto ask = [&](POINT desktop) {
        MINMAXINFO info{};
        info.ptMaxSize = {111, 222};
        info.ptMaxPosition = {5, 6};
        info.ptMaxTrackSize = desktop;
        ::SendMessageW(wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return info;
    };
    // The system's own monitor, the primary one: its work area, the tracking size left alone.
    const POINT systemTrack{::GetSystemMetrics(SM_CXMAXTRACK), ::GetSystemMetrics(SM_CYMAXTRACK)};
    MINMAXINFO info = ask(systemTrack);
    const RECT work = WorkAreaOf(wnd);
    EXPECT_EQ(info.ptMaxSize.x, work.right - work.left);
    EXPECT_EQ(info.ptMaxSize.y, work.bottom - work.top);
    EXPECT_EQ(info.ptMaxPosition.x, 0);
    EXPECT_EQ(info.ptMaxPosition.y, 0);
    EXPECT_EQ(info.ptMaxTrackSize.x, systemTrack.x);
    EXPECT_EQ(info.ptMaxTrackSize.y, systemTrack.y);

    constexpr SIZE primary{1024, 768};
    const struct {
        const char* name;
        TMonitorArea monitor;
        POINT restored; // the top-left corner of the designed size
    } cases[] = {
        {"taskbar at the bottom", {{0, 0, 1024, 768}, {0, 0, 1024, 728}, primary}, {-1, 2}},
        {"taskbar at the top", {{0, 0, 1024, 768}, {0, 40, 1024, 768}, primary}, {-1, 42}},
        {"taskbar at the left", {{0, 0, 1024, 768}, {60, 0, 1024, 768}, primary}, {-1, 2}},
        {"taskbar at the right", {{0, 0, 1024, 768}, {0, 0, 964, 768}, primary}, {-1, 2}},
        {"taskbar hidden, or on another monitor",
         {{0, 0, 1024, 768}, {0, 0, 1024, 768}, primary},
         {-1, 2}},
        {"second monitor as large as the primary, with its own taskbar",
         {{1024, 0, 2048, 768}, {1024, 0, 2048, 728}, primary},
         {1023, 2}},
        {"second monitor larger than the primary, no taskbar on it",
         {{1024, -100, 2304, 924}, {1024, -100, 2304, 924}, primary},
         {1151, -98}},
        {"second monitor larger than the primary with its own taskbar at the top",
         {{1024, -100, 2304, 924}, {1024, -60, 2304, 924}, primary},
         {1151, -58}},
        {"second monitor larger than the primary, its taskbar at the left leaving the primary's "
         "width",
         {{1024, 0, 2304, 1024}, {1280, 0, 2304, 1024}, primary},
         {1151, 2}},
        {"second monitor wider but lower than the primary",
         {{1024, 0, 2944, 700}, {1024, 0, 2944, 660}, primary},
         {1471, 2}},
        {"second monitor smaller than the primary",
         {{-800, 0, 0, 600}, {-800, 0, 0, 560}, primary},
         {-913, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        form->monitor = c.monitor;
        // The desktop spanning the primary monitor and this one.
        const TMonitorArea& m = c.monitor;
        info = ask({std::max(m.Bounds.right, m.Primary.cx) - std::min(m.Bounds.left, LONG{0}),
                    std::max(m.Bounds.bottom, m.Primary.cy) - std::min(m.Bounds.top, LONG{0})});
        for (const bool eachDimension : {true, false}) {
            SCOPED_TRACE(eachDimension ? "grown in each dimension" : "grown in both or neither");
            EXPECT_EQ(Text(MaximizedRect(info, c.monitor, eachDimension)),
                      Text(c.monitor.WorkArea));
        }

        // Restored from maximized to the designed size on the same monitor, then maximized again
        // in its work area.
        ASSERT_EQ(form->WindowState(), TWindowState::wsMaximized);
        form->imgMax->Click();
        const RECT r = Rect(wnd);
        EXPECT_EQ(r.left, c.restored.x);
        EXPECT_EQ(r.top, c.restored.y);
        EXPECT_EQ(r.right - r.left, 1026);
        form->imgMax->Click();
        EXPECT_TRUE(::IsZoomed(wnd));
    }
    form->monitor.reset();
}

// The system bounds only a window with a sizing border by its tracking size; the game window has
// none, so it keeps its maximized size within its own tracking size itself: on a monitor larger
// than the primary, the size the window manager grows (a larger size set here while maximized
// stands in for it) comes back to the work area. The restored window is not held.
TEST_F(GameWindow, TheMaximizedWindowHoldsItselfToTheWorkAreaOfALargerMonitor) {
    form->monitor = TMonitorArea{{0, 0, 1024, 768}, {0, 0, 1024, 728}, {800, 600}};
    ASSERT_TRUE(::IsZoomed(wnd));
    constexpr UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(wnd, nullptr, 0, 0, 1024 + 224, 728 + 168, flags);
    RECT r = Rect(wnd);
    EXPECT_EQ(r.right - r.left, 1024);
    EXPECT_EQ(r.bottom - r.top, 728);

    form->imgMax->Click();
    ASSERT_FALSE(::IsZoomed(wnd));
    ::SetWindowPos(wnd, nullptr, 0, 0, 1100, 800, flags);
    r = Rect(wnd);
    EXPECT_EQ(r.right - r.left, 1100);
    EXPECT_EQ(r.bottom - r.top, 800);
    form->imgMax->Click();
    EXPECT_TRUE(::IsZoomed(wnd));
    form->monitor.reset();
}

TEST_F(GameWindow, TheLoadGameMarkerReloadsTheRestOfTheUrlThroughABlankPage) {
    TestWB& wb = form->Browser();
    std::vector<std::wstring> navigations;
    const auto route = wb.OnBeforeNavigate2;
    wb.OnBeforeNavigate2 = [&](TObject* s, IDispatch* d, VARIANT& url, VARIANT& f, VARIANT& t,
                               VARIANT& p, VARIANT& h, bool& cancel) {
        navigations.push_back(VariantToString(url));
        route(s, d, url, f, t, p, h, cancel);
    };
    ASSERT_TRUE(LoopUntil([&] { return Requested("/tn/wd2/wd_play_1016.php"); }));

    // This platform's control raises the navigation's events from its message queue.
    const std::wstring game = standin.Url(L"/tn/game.html?server=2");
    wb.Navigate(L"client://loadgame|" + game);
    ASSERT_TRUE(LoopUntil([&] { return Requested("/tn/game.html?server=2"); }));
    EXPECT_EQ(form->RevigateUrl(), game);
    EXPECT_EQ(navigations,
              (std::vector<std::wstring>{L"client://loadgame|" + game, L"about:blank", game}));

    // The marker alone reloads an empty address after the blank page.
    navigations.clear();
    wb.Navigate(L"client://loadgame|");
    ASSERT_TRUE(LoopUntil([&] { return navigations.size() >= 2; }));
    test::Pump();
    EXPECT_EQ(form->RevigateUrl(), L"");
    EXPECT_EQ(navigations[0], L"client://loadgame|");
    EXPECT_EQ(navigations[1], L"about:blank");
    for (std::size_t i = 2; i < navigations.size(); ++i)
        EXPECT_EQ(navigations[i], L"");

    // The marker anywhere else is an ordinary address.
    navigations.clear();
    const std::wstring later = standin.Url(L"/tn/later.html?next=client://loadgame|x");
    wb.Navigate(later);
    ASSERT_TRUE(LoopUntil([&] { return Requested("/tn/later.html"); }));
    EXPECT_EQ(navigations, std::vector<std::wstring>{later});
    EXPECT_EQ(form->RevigateUrl(), L"");
}

// Counts what the page's own window receives, and what the application loop leaves unhandled
// after the game window's routing.
struct PageWatch {
    static inline WNDPROC old = nullptr;
    static inline std::vector<std::pair<UINT, WPARAM>> got;
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_KEYDOWN || m == WM_CHAR || m == WM_MOUSEMOVE || m == WM_RBUTTONDOWN ||
            m == WM_RBUTTONUP)
            got.emplace_back(m, wp);
        return ::CallWindowProcW(old, w, m, wp, lp);
    }
    explicit PageWatch(HWND page) : wnd(page) {
        got.clear();
        old = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
        cookie = Application->AddMessageListener([this](MSG& msg, bool&) {
            if (msg.hwnd == wnd) passed.emplace_back(msg.message, msg.wParam);
        });
    }
    ~PageWatch() {
        Application->RemoveMessageListener(cookie);
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    }
    // Posts a message to the page and runs the loop until it has been dealt with.
    void Post(UINT msg, WPARAM wp, LPARAM lp) {
        got.clear();
        passed.clear();
        ::PostMessageW(wnd, msg, wp, lp);
        Application->ProcessMessages();
        Application->ProcessMessages(); // the characters a key makes
    }
    [[nodiscard]] int Reached(UINT msg) const {
        int n = 0;
        for (const auto& g : got)
            n += g.first == msg;
        return n;
    }
    [[nodiscard]] bool Passed(UINT msg) const {
        for (const auto& p : passed)
            if (p.first == msg) return true;
        return false;
    }
    HWND wnd;
    int cookie;
    std::vector<std::pair<UINT, WPARAM>> passed;
};

class PageRouting : public GameWindow {
protected:
    void SetUp() override {
        GameWindow::SetUp();
        ASSERT_TRUE(LoopUntil([&] { return form->Browser().GetIEWin(L"Shell DocObject View"); }));
        page.emplace(form->Browser().GetIEWin(L"Shell DocObject View"));
    }
    void TearDown() override {
        page.reset();
        GameWindow::TearDown();
    }
    std::optional<PageWatch> page;
};

constexpr LPARAM kExtended = 0x1000000;

TEST_F(PageRouting, ChosenKeysGoToTheBrowsersAcceleratorsAndReachThePageOnce) {
    const struct {
        const char* key;
        WPARAM vk;
        LPARAM data;
        bool routed;
    } cases[] = {
        {"Backspace", VK_BACK, 0, true},
        {"Tab", VK_TAB, 0, true},
        {"Enter", VK_RETURN, 0, true},
        {"extended Left", VK_LEFT, kExtended, true},
        {"extended Down", VK_DOWN, kExtended, true},
        {"extended Delete", VK_DELETE, kExtended, true},
        {"letter", 'A', 0, false},
        {"keypad Left", VK_LEFT, 0, false},
        {"keypad Delete", VK_DELETE, 0, false},
        {"F5", VK_F5, 0, false},
    };
    // Here the control's in-place object answers S_FALSE: the key is dispatched at once.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        page->Post(WM_KEYDOWN, c.vk, c.data);
        EXPECT_EQ(page->Reached(WM_KEYDOWN), 1);
        EXPECT_EQ(page->Passed(WM_KEYDOWN), !c.routed);
    }
    {
        // Ctrl is read from the keyboard state, which a posted key does not change.
        const test::KeyState ctrl(true, false);
        page->Post(WM_KEYDOWN, 'A', 0);
        EXPECT_EQ(page->Reached(WM_KEYDOWN), 1);
        EXPECT_FALSE(page->Passed(WM_KEYDOWN));
    }

    // An in-place object that takes the key: it never reaches the page.
    FakeActiveObject active;
    TestWB& browser = form->Browser();
    browser.activeObject = &active;
    page->Post(WM_KEYDOWN, VK_BACK, 0);
    EXPECT_EQ(active.keys, std::vector<WPARAM>{VK_BACK});
    EXPECT_EQ(page->Reached(WM_KEYDOWN), 0);
    EXPECT_FALSE(page->Passed(WM_KEYDOWN));
    // A key the game window leaves alone is offered the ordinary way, by the class library.
    active.keys.clear();
    page->Post(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(page->Passed(WM_KEYDOWN));
    EXPECT_EQ(active.keys, std::vector<WPARAM>{'A'});
    EXPECT_EQ(page->Reached(WM_KEYDOWN), 0);

    // A failing in-place object: the page gets the key from the game window at once; the key
    // and the character it makes are each asked once.
    active.keys.clear();
    active.answer = E_FAIL;
    page->Post(WM_KEYDOWN, VK_TAB, 0);
    EXPECT_FALSE(page->Passed(WM_KEYDOWN));
    EXPECT_EQ(page->Reached(WM_KEYDOWN), 1);
    EXPECT_EQ(active.keys, (std::vector<WPARAM>{VK_TAB, VK_TAB}));

    // A busy browser, or one that cannot say: the ordinary way.
    active.answer = S_OK;
    for (bool* state : {&browser.busy, &browser.busyFails}) {
        active.keys.clear();
        *state = true;
        page->Post(WM_KEYDOWN, VK_TAB, 0);
        *state = false;
        EXPECT_TRUE(page->Passed(WM_KEYDOWN));
        EXPECT_EQ(active.keys, std::vector<WPARAM>{VK_TAB});
    }

    // Keys of windows outside the browser are not looked at.
    active.keys.clear();
    ::PostMessageW(form->Panel1->Handle(), WM_KEYDOWN, VK_BACK, 0);
    Application->ProcessMessages();
    EXPECT_TRUE(active.keys.empty());
    browser.activeObject = nullptr;
}

// The modifiers really held: each key is offered to the in-place object once, whatever it
// answers, and reaches the page once unless the object took it.
TEST_F(PageRouting, TabEnterAndTheCtrlKeysAreEachOfferedOnce) {
    FakeActiveObject active;
    form->Browser().activeObject = &active;
    const struct {
        const char* name;
        WPARAM vk;
        bool ctrl, shift;
    } cases[] = {
        {"Tab", VK_TAB, false, false},      {"Shift+Tab", VK_TAB, false, true},
        {"Enter", VK_RETURN, false, false}, {"Ctrl+C", 'C', true, false},
        {"Ctrl+V", 'V', true, false},       {"Ctrl+X", 'X', true, false},
        {"Ctrl+A", 'A', true, false},
    };
    for (const HRESULT answer : {S_OK, S_FALSE, E_FAIL}) {
        active.answer = answer;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " answered " + std::to_string(answer));
            active.downs = 0;
            {
                const test::KeyState held(c.ctrl, c.shift);
                page->Post(WM_KEYDOWN, c.vk, 0);
            }
            EXPECT_EQ(active.downs, 1);
            EXPECT_EQ(page->Reached(WM_KEYDOWN), answer == S_OK ? 0 : 1);
        }
    }
    form->Browser().activeObject = nullptr;
}

TEST_F(PageRouting, ARightButtonDragBecomesThePageFunctionsWithTheClientPoint) {
    page->Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 20));
    EXPECT_TRUE(form->RightMouseDown());
    page->Post(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(30, 40));
    page->Post(WM_MOUSEMOVE, MK_RBUTTON | MK_SHIFT, MAKELPARAM(65535, 2));
    page->Post(WM_RBUTTONUP, 0, MAKELPARAM(50, 60));
    EXPECT_FALSE(form->RightMouseDown());
    EXPECT_EQ(script.Calls, (std::vector<Call>{{L"jjssyyllDown", {10, 20}},
                                               {L"jjssyyllMove", {30, 40}},
                                               {L"jjssyyllMove", {65535, 2}},
                                               {L"jjssyyllUp", {50, 60}}}));
    EXPECT_EQ(page->Reached(WM_RBUTTONUP), 0);

    // Plain moves go to the page.
    script.Calls.clear();
    page->Post(WM_MOUSEMOVE, 0, MAKELPARAM(1, 2));
    EXPECT_EQ(page->Reached(WM_MOUSEMOVE), 1);
    page->Post(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(1, 2)); // held, but not pressed over the page
    EXPECT_EQ(page->Reached(WM_MOUSEMOVE), 1);
    EXPECT_TRUE(script.Calls.empty());

    // A page without the functions is left alone; the messages are still the game's.
    document.Script = nullptr;
    page->Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    EXPECT_EQ(page->Reached(WM_RBUTTONDOWN), 0);
    page->Post(WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
    document.Script = &script;
}

TEST_F(PageRouting, ALostReleaseLeavesLaterMovesToThePage) {
    // Released while the page was busy: the release is not routed, but the drag is over.
    page->Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
    form->Browser().busy = true;
    page->Post(WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(page->Reached(WM_RBUTTONUP), 1);
    form->Browser().busy = false;
    page->Post(WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(page->Reached(WM_MOUSEMOVE), 1);

    // Released over another window: the moves no longer have the button.
    page->Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 4));
    page->Post(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(page->Reached(WM_MOUSEMOVE), 1);
    EXPECT_EQ(script.Calls,
              (std::vector<Call>{{L"jjssyyllDown", {1, 1}}, {L"jjssyyllDown", {4, 4}}}));

    // A release anywhere ends the drag.
    ::PostMessageW(form->Panel1->Handle(), WM_RBUTTONUP, 0, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(form->RightMouseDown());
}

TEST_F(GameWindow, TheBossKeyLeavesOnlyTheTrayIconWhichBringsTheWindowBackUnactivated) {
    test::TraySpy tray;
    const auto& calls = test::TraySpy::Calls;
    // Another window is the active one; the game window comes back behind it.
    auto other = TComponent::CreateOwned<TForm>();
    other->SetBounds(10, 10, 200, 100);
    other->Show();
    ::SetForegroundWindow(other->Handle());
    ASSERT_TRUE(LoopUntil([&] { return ::GetActiveWindow() == other->Handle(); }));

    form->imgBossKey->Click();
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_FALSE(form->Visible());
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].message, DWORD{NIM_ADD});
    const NOTIFYICONDATAW& record = calls[0].record;
    EXPECT_EQ(record.hWnd, wnd);
    EXPECT_EQ(record.cbSize, test::RecordSize(88, NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, WM_BARICON);
    EXPECT_EQ(record.hIcon, Application->Icon());
    EXPECT_STREQ(record.szTip, L"单击左键或右键");
    EXPECT_TRUE(test::TrayIconShown(wnd));

    // Left button: the icon goes first, then the window shows.
    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, DWORD{NIM_DELETE});
    EXPECT_FALSE(calls[1].visible);
    EXPECT_FALSE(test::TrayIconShown(wnd));
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_TRUE(::IsZoomed(wnd));
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(::GetActiveWindow(), other->Handle());

    // "打开": the window shows first, then the icon goes.
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    MenuDriver::Choose(0, [&] { ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN); });
    EXPECT_EQ(MenuDriver::captions, (std::vector<std::wstring>{L"打开", L"退出"}));
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].message, DWORD{NIM_DELETE});
    EXPECT_TRUE(calls[3].visible);
    EXPECT_TRUE(form->Visible());

    // "退出": the icon goes, then the window closes and is freed.
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    MenuDriver::Choose(1, [&] { ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN); });
    EXPECT_EQ(MenuDriver::captions, (std::vector<std::wstring>{L"打开", L"退出"}));
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls[5].message, DWORD{NIM_DELETE});
    EXPECT_FALSE(calls[5].visible);
    ASSERT_TRUE(LoopUntil([&] { return !::IsWindow(wnd); }));
    EXPECT_EQ(FormMain, nullptr);
    EXPECT_FALSE(test::TrayIconShown(wnd));
}

// The shell refused the icon (no taskbar yet, a busy shell), made its taskbar again without the
// old icons, or announced a taskbar while it still holds the icon.
TEST_F(GameWindow, ARefusedTrayIconIsAddedLaterAndEachNewTaskbarShowsItOnce) {
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    test::TraySpy tray;
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(test::TraySpy::Calls.empty()) << "a shown window has no icon to add";

    test::TraySpy::RefuseAll = true;
    form->imgBossKey->Click();
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_FALSE(test::TrayIconShown(wnd));
    // The shell takes icons again: without a new taskbar, the window tries again by itself.
    test::TraySpy::RefuseAll = false;
    EXPECT_TRUE(LoopUntil([&] { return test::TrayIconShown(wnd); }, 15000));

    // Announced while the shell still holds the icon: it stays, once.
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    NOTIFYICONDATAW once = test::TraySpy::Calls.back().record;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &once));
    EXPECT_FALSE(test::TrayIconShown(wnd));

    // A new taskbar without it.
    test::TraySpy::Calls.clear();
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    ASSERT_EQ(test::TraySpy::Count(NIM_ADD), 1u);
    EXPECT_STREQ(test::TraySpy::Calls[0].record.szTip, L"单击左键或右键");
    EXPECT_EQ(test::TraySpy::Calls[0].record.uCallbackMessage, WM_BARICON);
    EXPECT_TRUE(test::TrayIconShown(wnd));

    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(wnd));
    test::TraySpy::Calls.clear();
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(test::TraySpy::Calls.empty()) << "back from the tray";
}

TEST_F(GameWindow, TheTrayIconGoesWithTheWindow) {
    test::TraySpy tray;
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    ASSERT_TRUE(test::TrayIconShown(wnd));
    TComponent::Free(form);
    const auto& calls = test::TraySpy::Calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].message, DWORD{NIM_DELETE});
    EXPECT_EQ(calls[1].record.hWnd, wnd);
    EXPECT_FALSE(::IsWindow(wnd));
    EXPECT_FALSE(test::TrayIconShown(wnd));
    EXPECT_EQ(FormMain, nullptr);
}

TEST_F(GameWindow, TheTitleBarDragsTheWindowWithTheLeftButtonAlone) {
    {
        const test::SysCommandWatch watch;
        ASSERT_TRUE(watch.Hooked());
        const struct {
            TShiftState shift;
            bool drags;
        } cases[] = {{ssLeft, true},
                     {ssLeft | ssShift, false},
                     {ssLeft | ssRight, false},
                     {ssRight, false},
                     {0, false}};
        for (const auto& c : cases) {
            SCOPED_TRACE(c.shift);
            watch.sysCommands.clear();
            // The move loop reads the queue; Escape ends it at once.
            ::PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
            form->imgTitleLeft->OnMouseMove(form->imgTitleLeft, c.shift, 5, 5);
            EXPECT_EQ(watch.sysCommands,
                      c.drags ? std::vector<WPARAM>{0xF011} : std::vector<WPARAM>{});
            test::Pump();
        }
    }

    form->lblBackservicelist->MouseEnter();
    EXPECT_TRUE(form->lblBackservicelist->Font().Style() & fsUnderline);
    form->lblBackservicelist->MouseLeave();
    EXPECT_FALSE(form->lblBackservicelist->Font().Style() & fsUnderline);
    form->lblBackservicelist->MouseEnter();
    form->lblBackservicelist->MouseUp(TMouseButton::mbLeft, 0, 1, 1);
    EXPECT_FALSE(form->lblBackservicelist->Font().Style() & fsUnderline);
}

TEST_F(GameWindow, TheExternalPagesOpenThroughTheShellWithThisWindow) {
    form->FShellExecute = &RecordShell;
    const std::wstring platform = deploy::kPlatformServer;
    const auto opened = [&](TZorButton* button) {
        ShellCalls.clear();
        button->Click();
        return ShellCalls.size() == 1 ? ShellCalls[0].params
                                      : L"(" + std::to_wstring(ShellCalls.size()) + L" calls)";
    };
    EXPECT_EQ(opened(form->imgBbs), platform + L"/forum.php?gid=147");
    EXPECT_EQ(ShellCalls[0],
              (ShellCall{wnd, L"open", L"IExplore.EXE", platform + L"/forum.php?gid=147"}));
    EXPECT_EQ(opened(form->imgHomePage), platform + L"/tn/");
    EXPECT_EQ(opened(form->imgService), platform + L"/action/redirect_kf.php");
    // No server id yet: the platform's own pay page.
    ServerId.clear();
    EXPECT_EQ(opened(form->imgPay), platform + L"/action/redirect_pay.php?gid=1016");
    ServerId = L"S12";
    EXPECT_EQ(opened(form->imgPay), GetPayUrl());
    EXPECT_NE(GetPayUrl().find(L"sid=S12"), std::wstring::npos);
}

TEST_F(GameWindow, StartAtLogonIsShownCheckedAndSwitchedBothWaysNotingTheUsersChoice) {
    const std::wstring ini = GetIniPath(false);
    const auto clearChoice = [&] {
        ::WritePrivateProfileStringW(L"Operate", L"ManualAutoRun", nullptr, ini.c_str());
    };
    RemoveAutoRun(L"BrisaTarn");
    clearChoice();

    const RECT title = Rect(form->pnlTitle->Handle());
    for (const bool was : {false, true}) {
        SCOPED_TRACE(was ? "switching off" : "switching on");
        MenuDriver::Choose(2, [&] { form->imgSetting->Click(); });
        EXPECT_EQ(MenuDriver::captions,
                  (std::vector<std::wstring>{L"刷新", L"清理缓存", L"开机启动"}));
        EXPECT_EQ(MenuDriver::checked, (std::vector<bool>{false, false, was}));
        EXPECT_EQ(MenuDriver::place.left, title.left + form->imgSetting->Left());
        EXPECT_EQ(MenuDriver::place.top, title.top + form->imgSetting->Top() + 25);
        EXPECT_EQ(IsAutoRunSet(), !was);
        EXPECT_EQ(ReadIniValue260(ini, L"Operate", L"ManualAutoRun"), L"1");
        clearChoice();
    }
    RemoveAutoRun(L"BrisaTarn");
}

TEST_F(GameWindow, ARefreshTheControlRefusesLeavesTheWindowAndItsPageAsTheyAre) {
    // The failure the menu item meets: this platform's control refuses to reload.
    EXPECT_THROW(form->Browser().Refresh(), EOleSysError);
    TFrameWeb* const frame = form->NewFrame;
    MenuDriver::Choose(0, [&] { form->imgSetting->Click(); });
    ASSERT_FALSE(MenuDriver::captions.empty());
    EXPECT_EQ(MenuDriver::captions[0], L"刷新");
    test::Pump();
    // Nothing said, nothing closed: the same frame in the same maximized window.
    EXPECT_EQ(test::ThreadBoxWindow(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_TRUE(::IsZoomed(wnd));
    EXPECT_EQ(form->NewFrame, frame);
    EXPECT_EQ(FormMain, form);
}

TEST_F(GameWindow, ClearingTheCacheSaysDoneAtOnceAndTheWindowMayCloseMidWalk) {
    // Outlives the test: the worker may still be returning from its last call.
    static SlowCache walk;
    form->cache = &walk;
    BoxAnswer::Arm(walk);
    form->mitemClearCache->Click();
    EXPECT_EQ(BoxAnswer::text, L"缓存清除完毕！");
    EXPECT_EQ(BoxAnswer::caption, L"BrisaTarn");
    EXPECT_FALSE(BoxAnswer::walkEndedFirst);
    ASSERT_TRUE(LoopUntil([&] { return walk.started.load(); }));
    EXPECT_EQ(walk.askedFilter.load(), 0x300035u);

    CloseAndWait([&] { form->Close(); });
    EXPECT_FALSE(walk.ended);
    ::SetEvent(walk.release);
    ASSERT_TRUE(LoopUntil([&] { return walk.ended.load(); }));
}

TEST_F(GameWindow, TheBackToServerListLinkClosesAndFreesTheWindow) {
    // (The page is sent to a blank one before its frame goes; this platform's control would only
    // say so from its queue, after the frame is gone.)
    CloseAndWait([&] { form->lblBackservicelist->Click(); });
    EXPECT_EQ(FormMain, nullptr);
}

// A cache that never runs out of entries, each deleted as it comes.
class EndlessCache : public test::InternetClientStub {
public:
    HANDLE FindFirstUrlCacheEntryEx(LPCWSTR, DWORD, DWORD, GROUPID,
                                    INTERNET_CACHE_ENTRY_INFOW* entry,
                                    DWORD* size) const noexcept override {
        return Give(entry, size) ? reinterpret_cast<HANDLE>(0x51) : nullptr;
    }
    BOOL FindNextUrlCacheEntryEx(HANDLE, INTERNET_CACHE_ENTRY_INFOW* entry,
                                 DWORD* size) const noexcept override {
        return Give(entry, size);
    }
    BOOL DeleteUrlCacheEntry(LPCWSTR) const noexcept override {
        ++deleted;
        return TRUE;
    }
    BOOL FindCloseUrlCache(HANDLE) const noexcept override {
        closed = true;
        return TRUE;
    }
    mutable std::atomic<int> deleted{0};
    mutable std::atomic<bool> closed{false};

private:
    static BOOL Give(INTERNET_CACHE_ENTRY_INFOW* entry, DWORD* size) noexcept {
        if (!entry || *size < sizeof *entry) {
            *size = sizeof *entry;
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        *entry = {};
        entry->dwStructSize = sizeof *entry;
        entry->lpszSourceUrlName = const_cast<LPWSTR>(L"http://cached.example/");
        return TRUE;
    }
};

// The program's end, before its static objects go, stops every walk: none calls into them later.
TEST(CacheWalk, TheProgramsEndStopsAWalkUnderWayAndWaitsForIt) {
    TClearCacheThread::StopAll(); // none running: at once
    static EndlessCache cache;
    TThread::StartFreeOnTerminate<TClearCacheThread>(cache);
    ASSERT_TRUE(LoopUntil([&] { return cache.deleted >= 10; }, 15000));
    TClearCacheThread::StopAll();
    EXPECT_TRUE(cache.closed) << "the walk goes on after the program's end";
}

// --- the hand-over, with the launcher's own windows ---------------------------------------------

TEST(GameWindowHandOver, EachCaptureOpensAWindowOfItsOwnWhoseTitleStaysInIt) {
    tn::testing::Standin standin;
    // The background window is the taskbar's main form; the game windows are nobody's.
    Application->MainFormOnTaskBar = true;
    auto main = TComponent::CreateOwned<TForm>();
    Application->SetMainForm(main.get());
    main->Show();

    GameUrl = standin.Url(L"/tn/wd2/wd_play_1016.php?sid=s1");
    TFormMain* first = ShowGameWindow();
    EXPECT_EQ(FormMain, first);
    TFormMain* second = ShowGameWindow();
    EXPECT_EQ(FormMain, second);
    for (TFormMain* w : {first, second}) {
        const HWND h = w->Handle();
        EXPECT_TRUE(::IsWindowVisible(h));
        EXPECT_TRUE(::IsZoomed(h));
        EXPECT_EQ(::GetWindow(h, GW_OWNER), nullptr);
        EXPECT_TRUE(::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(w->Owner(), Application);
    }

    test::RaiseTitleChange(*first->NewFrame->hostedwb, L"第一个游戏服务器");
    EXPECT_EQ(first->lblwebtitle->Caption(), L"第一个游戏服务器");
    EXPECT_GT(first->lblwebtitle->Width(), 20);
    EXPECT_EQ(first->lblBackservicelist->Left(),
              first->lblwebtitle->Left() + first->lblwebtitle->Width() + 10);
    EXPECT_EQ(second->lblwebtitle->Caption(), L"");
    EXPECT_EQ(second->lblBackservicelist->Left(), 159);
    // A long title stops at 350 pixels.
    test::RaiseTitleChange(*second->NewFrame->hostedwb, std::wstring(200, L'游'));
    EXPECT_EQ(second->lblwebtitle->Width(), 350);
    EXPECT_EQ(second->lblBackservicelist->Left(), 55 + 350 + 10);

    // Closing the older window leaves FormMain naming the newer one.
    const HWND firstWnd = first->Handle(), secondWnd = second->Handle();
    first->imgClose->Click();
    ASSERT_TRUE(LoopUntil([&] { return !::IsWindow(firstWnd); }));
    EXPECT_EQ(FormMain, second);
    second->imgClose->Click();
    ASSERT_TRUE(LoopUntil([&] { return !::IsWindow(secondWnd); }));
    EXPECT_EQ(FormMain, nullptr);

    Application->SetMainForm(nullptr);
    Application->MainFormOnTaskBar = false;
    GameUrl.clear();
}

} // namespace
