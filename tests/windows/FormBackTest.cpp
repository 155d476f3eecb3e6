// The background window as the main form of this test program, with GDI+ started around it and
// the built skin beside the program.
#include "windows/FormBack.h"

#include "windows/FormLogin.h"
#include "windows/Launcher.h"
#include "windows/ModuleSteps.h"

#include "browser/component/BrowserModule.h"
#include "classlib/Application.h"
#include "classlib/CommandLine.h"
#include "classlib/FileUtil.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/RecordSizes.h"
#include "tests/windows/TraySpy.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tn;
using test::ExStyle;
using test::MenuDriver;
using test::WindowRect;

// The browser module too: the first show makes the login window, whose browser needs OLE. The
// desktop's work area is not the screen (a taskbar at the top), so that nothing lines up by luck.
class ApplicationSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &FWorkArea, 0);
        RECT workArea{0, 40, ScreenWidth(), ScreenHeight()};
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &workArea, 0);
        BrowserModuleStartup();
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
    }
    void TearDown() override {
        Application->DestroyComponents();
        BrowserModuleShutdown();
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &FWorkArea, 0);
    }

private:
    RECT FWorkArea{};
};
[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new ApplicationSetUp);

using test::TrayIconShown;
using test::TraySpy;

// The skin beside the program (run by CTest with two of them), as its picture header says.
// A skin of another size than the shipped one, built beside the test programs.
std::wstring SmallSkin() {
    return L"Z:" + text::ReplaceAll(text::FromUtf8(std::getenv("TN_BINARY_DIR")), L"/", L"\\") +
           L"\\assets\\skin_small.png";
}

SIZE SkinSize() {
    const std::string png = tn::testing::ReadFileBytes(GetLoginBackImagePath());
    const auto at = [&](std::size_t i) {
        return static_cast<LONG>(static_cast<unsigned char>(png.at(i)) << 24 |
                                 static_cast<unsigned char>(png.at(i + 1)) << 16 |
                                 static_cast<unsigned char>(png.at(i + 2)) << 8 |
                                 static_cast<unsigned char>(png.at(i + 3)));
    };
    return {at(16), at(20)};
}

// While it lives, notes in order when the background window (back) and the login window are
// shown, and when the login window is made.
class ShowOrderWatch {
public:
    explicit ShowOrderWatch(HWND back)
        : FCreates(::SetWindowsHookExW(WH_CBT, &Creates, nullptr, ::GetCurrentThreadId())),
          FShows(::SetWindowsHookExW(WH_CALLWNDPROC, &Shows, nullptr, ::GetCurrentThreadId())) {
        Back = back;
        Log.clear();
    }
    ShowOrderWatch(const ShowOrderWatch&) = delete;
    ShowOrderWatch& operator=(const ShowOrderWatch&) = delete;
    ~ShowOrderWatch() {
        if (FCreates) ::UnhookWindowsHookEx(FCreates);
        if (FShows) ::UnhookWindowsHookEx(FShows);
    }
    [[nodiscard]] bool Hooked() const noexcept { return FCreates && FShows; }

    static inline std::vector<std::string> Log;

private:
    static bool IsLogin(HWND wnd) {
        wchar_t cls[16] = {};
        ::GetClassNameW(wnd, cls, 16);
        return std::wstring_view(cls) == L"TFormLogin";
    }
    static LRESULT CALLBACK Creates(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND && IsLogin(reinterpret_cast<HWND>(wp)))
            Log.emplace_back("login made");
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    static LRESULT CALLBACK Shows(int code, WPARAM wp, LPARAM lp) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam) {
            if (m->hwnd == Back) Log.emplace_back("back shown");
            if (IsLogin(m->hwnd)) Log.emplace_back("login shown");
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline HWND Back = nullptr;
    HHOOK FCreates;
    HHOOK FShows;
};

class FormBackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(FileExists(GetLoginBackImagePath())) << "skin missing beside the test program";
        FormBack = Application->CreateForm<TFormBack>();
        {
            const ShowOrderWatch watch(FormBack->Handle());
            ASSERT_TRUE(watch.Hooked());
            FormBack->Show();
            FirstShown.log = ShowOrderWatch::Log;
        }
        FirstShown.active = ::GetActiveWindow();
        FirstShown.back = WindowRect(FormBack->Handle());
        if (FormLogin) FirstShown.login = WindowRect(FormLogin->Handle());
    }
    // Both windows as the first show left them, the order it showed and made them in, and the
    // active window it left.
    static inline struct {
        RECT back, login;
        std::vector<std::string> log;
        HWND active;
    } FirstShown{};
    TFormBack& back = *FormBack;
    HWND wnd = FormBack->Handle();
};

TEST_F(FormBackTest, IsCreatedAsTheLayeredMainFormWithTheSkinsSize) {
    EXPECT_EQ(Application->MainForm(), &back);
    EXPECT_EQ(back.Caption(), L"BrisaTarn");
    EXPECT_EQ(Application->Title(), L"BrisaTarn");
    ASSERT_NE(Application->Icon(), nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0)),
              Application->Icon());
    const LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CAPTION),
              static_cast<LONG>(WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU));
    EXPECT_EQ(ExStyle(wnd) & (WS_EX_LAYERED | WS_EX_APPWINDOW),
              LONG{WS_EX_LAYERED | WS_EX_APPWINDOW});
    const RECT r = WindowRect(wnd);
    const SIZE skin = SkinSize();
    EXPECT_EQ(r.right - r.left, skin.cx);
    EXPECT_EQ(r.bottom - r.top, skin.cy);
    EXPECT_EQ(r.left, (ScreenWidth() - skin.cx) / 2);
    EXPECT_EQ(r.top, (ScreenHeight() - skin.cy) / 2);
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_TRUE(back.IfFristActive);
    EXPECT_FALSE(back.IsBarIcon());
    EXPECT_EQ(back.pmtaskbar->Items().Items().size(), 2u);
}

// Run twice by CTest: without arguments, and with "/autorun" as the first (the tray start). The
// skin is drawn when the window is made: a plain start shows it before it makes the login window
// with its browser; the login window comes over it, and the skin's window is left active.
TEST_F(FormBackTest, TheFirstShowShowsTheSkinBeforeTheLoginWindowIsMadeButNotOnTheTrayStart) {
    ASSERT_NE(FormLogin, nullptr);
    const HWND login = FormLogin->Handle();
    const auto& log = FirstShown.log;
    if (ParamStr(1) != L"/autorun") {
        EXPECT_EQ(log, (std::vector<std::string>{"back shown", "login made", "login shown"}));
        EXPECT_EQ(FirstShown.active, wnd);
        EXPECT_EQ(::GetWindow(login, GW_OWNER), wnd);
        EXPECT_TRUE(::IsWindowVisible(login));
        return;
    }
    // The login window is shown as it is made, then goes to the tray with the skin.
    EXPECT_EQ(log, (std::vector<std::string>{"login made", "login shown"}));
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_FALSE(::IsWindowVisible(login));
    EXPECT_TRUE(back.InTray());
    EXPECT_FALSE(back.IfFristActive);
}

TEST_F(FormBackTest, DrawLayeredImageGivesTheWindowThePicturesSizeAndRefusesWhatCannotLoad) {
    auto other = TComponent::CreateOwned<TForm>();
    other->SetBorderStyle(TBorderStyle::bsNone);
    other->SetBounds(30, 40, 100, 100);
    const HWND h = other->Handle();
    ASSERT_TRUE(TFormBack::DrawLayeredImage(h, SmallSkin(), 100));
    RECT r = WindowRect(h);
    EXPECT_EQ(r.right - r.left, 400);
    EXPECT_EQ(r.bottom - r.top, 260);
    EXPECT_EQ(r.left, 30); // the position stays
    EXPECT_TRUE(ExStyle(h) & WS_EX_LAYERED);

    tn::testing::TempDir dir;
    tn::testing::WriteFileBytes(dir.File(L"broken.png"), "\x89PNG\r\n\x1a\n-not-a-picture");
    for (const std::wstring& bad : {dir.File(L"missing.png"), dir.File(L"broken.png")}) {
        EXPECT_FALSE(TFormBack::DrawLayeredImage(h, bad, 100));
        r = WindowRect(h);
        EXPECT_EQ(r.right - r.left, 400);
    }
}

// The entry routine has the skin painted on another thread while the windows are made: the window
// puts on what was painted there, and a painting that failed ends the start with the resource
// message.
TEST_F(FormBackTest, ASkinPaintedAsideIsWhatTheWindowPutsOnAndAFailedOneEndsTheStart) {
    {
        const auto other =
            TComponent::CreateOwned<TFormBack>(TLayeredPicture::PaintAside(SmallSkin(), 100));
        const HWND h = other->Handle();
        const RECT r = WindowRect(h);
        EXPECT_EQ(r.right - r.left, 400);
        EXPECT_EQ(r.bottom - r.top, 260);
        EXPECT_TRUE(ExStyle(h) & WS_EX_LAYERED);
    }
    tn::testing::TempDir dir;
    try {
        (void)TComponent::CreateOwned<TFormBack>(
            TLayeredPicture::PaintAside(dir.File(L"missing.png"), 100));
        ADD_FAILURE() << "a window without its picture was made";
    } catch (const TStartupError& e) {
        EXPECT_EQ(e.Message(), L"您的资源缺失，请下载新的程序或联系Varkel客服，谢谢！");
    }
}

TEST_F(FormBackTest, HideToTrayLeavesOnlyTheTrayIconAndALeftClickBringsTheWindowBack) {
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_TRUE(back.IsBarIcon());
    EXPECT_TRUE(TrayIconShown(wnd));
    EXPECT_EQ(ExStyle(wnd) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), LONG{WS_EX_TOOLWINDOW});

    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_FALSE(::IsIconic(wnd));
    EXPECT_FALSE(back.IsBarIcon());
    EXPECT_FALSE(TrayIconShown(wnd));
    EXPECT_EQ(ExStyle(wnd) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), LONG{WS_EX_APPWINDOW});
    const RECT r = WindowRect(wnd);
    EXPECT_EQ(r.right - r.left, SkinSize().cx);
}

TEST_F(FormBackTest, TheTrayRecordCarriesTheOldRecordSizeTheCallbackMessageAndTheTip) {
    {
        TraySpy spy;
        ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
        ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
    }
    ASSERT_EQ(TraySpy::Calls.size(), 2u);
    EXPECT_EQ(TraySpy::Calls[0].message, DWORD{NIM_ADD});
    EXPECT_EQ(TraySpy::Calls[1].message, DWORD{NIM_DELETE});
    for (const auto& [message, nid, visible] : TraySpy::Calls) {
        SCOPED_TRACE(message);
        EXPECT_EQ(nid.cbSize, test::RecordSize(88, NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(nid.hWnd, wnd);
        EXPECT_EQ(nid.uID, 0u);
        EXPECT_EQ(nid.uFlags, 7u);
        EXPECT_EQ(nid.uCallbackMessage, 1230u);
        EXPECT_EQ(nid.hIcon, Application->Icon());
        EXPECT_STREQ(nid.szTip, L"左键双击弹出或右键");
    }
    EXPECT_FALSE(back.IsBarIcon());
}

// A shell that starts again makes a new taskbar without the icons of the old one, and says so to
// every window; a shell may also say so while it still holds the icon, or refuse the icon (no
// taskbar yet at a start at logon) and say nothing later.
TEST_F(FormBackTest, ATrayIconTheShellLostOrRefusedComesBackAndAnAnnouncementKeepsAShownOne) {
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    TraySpy spy;
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(TraySpy::Calls.empty()) << "a shown window has no icon to add";

    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    NOTIFYICONDATAW lost = TraySpy::Calls.at(0).record;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &lost)); // gone with the old taskbar
    TraySpy::Calls.clear();
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    ASSERT_EQ(TraySpy::Calls.size(), 1u);
    EXPECT_EQ(TraySpy::Calls[0].message, DWORD{NIM_ADD});
    EXPECT_EQ(TraySpy::Calls[0].record.hWnd, wnd);
    EXPECT_STREQ(TraySpy::Calls[0].record.szTip, L"左键双击弹出或右键");
    EXPECT_TRUE(back.IsBarIcon());
    EXPECT_TRUE(TrayIconShown(wnd));

    // Said while the icon is still there: it stays shown, once.
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(back.IsBarIcon());
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &lost));
    EXPECT_FALSE(TrayIconShown(wnd));
    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);

    // Refused: no icon yet, the window hidden all the same; it is added once the shell takes it,
    // with no new taskbar to say so.
    TraySpy::RefuseAdd = true;
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    EXPECT_FALSE(::IsWindowVisible(wnd));
    EXPECT_FALSE(back.IsBarIcon());
    EXPECT_TRUE(back.InTray());
    EXPECT_FALSE(TrayIconShown(wnd));
    TraySpy::RefuseAdd = false;
    EXPECT_TRUE(test::LoopUntil([&] { return back.IsBarIcon(); }, 15000));
    EXPECT_TRUE(TrayIconShown(wnd));
    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_FALSE(back.IsBarIcon());
    EXPECT_FALSE(back.InTray());

    TraySpy::Calls.clear();
    ::SendMessageW(wnd, taskbarCreated, 0, 0);
    EXPECT_TRUE(TraySpy::Calls.empty()) << "back from the tray";
}

TEST_F(FormBackTest, TheTrayMenuTakesTheForegroundAndPostsANullMessageThroughTheClassLibrary) {
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    POINT at{};
    ::GetCursorPos(&at);
    std::vector<std::string> log;
    {
        test::PopupCallsSpy spy(log);
        ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN);
    }
    EXPECT_EQ(log, (std::vector<std::string>{
                       "foreground", "track " + std::to_string(at.x) + "," + std::to_string(at.y),
                       "post WM_NULL"}));
    EXPECT_EQ(test::PopupCallsSpy::Windows, std::vector<HWND>(3, wnd));
    ::SendMessageW(wnd, WM_BARICON, 0, WM_LBUTTONDOWN);
}

TEST_F(FormBackTest, RightClickOpensTheTrayMenuWhoseOpenRestores) {
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    MenuDriver::Choose(-1, [&] { ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN); });
    EXPECT_EQ(MenuDriver::captions, (std::vector<std::wstring>{L"打开", L"退出"}));
    EXPECT_FALSE(::IsWindowVisible(wnd)); // cancelled: still in the tray
    EXPECT_TRUE(back.IsBarIcon());

    MenuDriver::Choose(0, [&] { ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN); });
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_FALSE(back.IsBarIcon());
}

TEST_F(FormBackTest, OtherSystemCommandsAndTheHideTimerBehaveAsTheSystemsAndHide) {
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(wnd));
    EXPECT_FALSE(back.IsBarIcon());
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(wnd));

    // Without "/autorun" the tray start is not made.
    back.CheckMinsizeAfterClose();
    EXPECT_TRUE(::IsWindowVisible(wnd));
    EXPECT_TRUE(back.IfFristActive);

    ::SendMessageW(wnd, WM_TIMER, reinterpret_cast<WPARAM>(wnd), 0);
    EXPECT_FALSE(::IsWindowVisible(wnd));
    back.Show();
}

// The login window, made at the first show, lies exactly over the skin from then on.
TEST_F(FormBackTest, TheLoginWindowLiesOverTheSkinFromTheFirstShowAndFollowsEveryMove) {
    ASSERT_NE(FormLogin, nullptr);
    const HWND login = FormLogin->Handle();
    EXPECT_EQ(FirstShown.login.left, FirstShown.back.left);
    EXPECT_EQ(FirstShown.login.top, FirstShown.back.top);
    EXPECT_EQ(FirstShown.login.right - FirstShown.login.left, 1024);
    EXPECT_EQ(FirstShown.login.bottom - FirstShown.login.top, 651);
    EXPECT_TRUE(::IsWindowVisible(login));

    const RECT home = WindowRect(wnd);
    const int w = home.right - home.left, h = home.bottom - home.top;
    for (const POINT to : {POINT{100, 80}, POINT{-30, 200}, POINT{home.left, home.top}}) {
        back.SetBounds(to.x, to.y, w, h);
        const RECT r = WindowRect(login);
        EXPECT_EQ(r.left, to.x);
        EXPECT_EQ(r.top, to.y);
        EXPECT_EQ(r.right - r.left, 1024);
    }
}

TEST_F(FormBackTest, APressOfAnyButtonBringsTheLoginWindowAlongAndStartsTheSystemsMoveLoop) {
    const test::SysCommandWatch watch;
    ASSERT_TRUE(watch.Hooked());
    const HWND login = FormLogin->Handle();
    const RECT home = WindowRect(wnd);
    for (const UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
        watch.sysCommands.clear();
        // Out of place, as nothing of the program leaves it: the press puts it back.
        ::SetWindowPos(login, nullptr, 3, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // The move loop reads the queue; Escape ends it at once.
        ::PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
        ::SendMessageW(wnd, press, 0, MAKELPARAM(200, 200));
        EXPECT_EQ(watch.sysCommands, std::vector<WPARAM>{0xF011}) << "button message " << press;
        EXPECT_EQ(::GetCapture(), nullptr);
        const RECT r = WindowRect(login);
        EXPECT_EQ(r.left, home.left) << "button message " << press;
        EXPECT_EQ(r.top, home.top) << "button message " << press;
    }
}

// Last: ends the application.
TEST_F(FormBackTest, ExitFromTheTrayEndsTheProgramAndTakesTheIconAway) {
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_HIDETOTRAY, 0);
    // A taskbar announced while the shell holds the icon leaves it the window's to take away.
    ::SendMessageW(wnd, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_TRUE(TrayIconShown(wnd));
    MenuDriver::Choose(1, [&] { ::SendMessageW(wnd, WM_BARICON, 0, WM_RBUTTONDOWN); });
    EXPECT_TRUE(Application->Terminated());
    Application->DestroyComponents();
    EXPECT_FALSE(::IsWindow(wnd));
    FormBack = nullptr;
    EXPECT_FALSE(TrayIconShown(wnd));
}

} // namespace
