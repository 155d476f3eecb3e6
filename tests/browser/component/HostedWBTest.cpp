// The browser component with the real web-browser control inside a form: load-time settings, its
// window procedure, waiting and stopping, the option objects, the proxy routines (behind doubles:
// no test touches the user's proxy), the navigation sound and the module's shutdown order.
#include "browser/component/BrowserModule.h"
#include "browser/component/HostedWB.h"
#include "browser/host/HwbControl.h"
#include "browser/host/HwbUtils.h"
#include "browser/tools/Printing.h"
#include "browser/tools/ProxyOptions.h"
#include "browser/tools/ShellTools.h"
#include "browser/tools/StoredSettings.h"

#include "classlib/Dialogs.h"
#include "classlib/FileUtil.h"
#include "classlib/Fpu.h"
#include "classlib/MemoryStream.h"
#include "classlib/Registry.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/FakeDocument.h"
#include "tests/browser/FakePage.h"
#include "tests/browser/MapiCallsSpy.h"
#include "tests/browser/PrintingDoubles.h"
#include "tests/support/ComDoubles.h"
#include "tests/support/RecordSizes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <mshtmhst.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tn {
// Readable in a failure's message.
void PrintTo(const TProxyConnectionSettings& s, std::ostream* out) {
    const auto text = [](const std::optional<std::wstring>& t) {
        return t ? ::testing::PrintToString(*t) : std::string("(none)");
    };
    *out << "{flags " << s.Flags << ", server " << text(s.Server) << ", bypass " << text(s.Bypass)
         << ", script " << text(s.AutoConfigUrl) << "}";
}
} // namespace tn

namespace {

using namespace tn;
using test::HostInterface;
using test::PumpUntil;

class ModuleSetUp : public ::testing::Environment {
public:
    void SetUp() override {
        BrowserModuleStartup();
        Application->Initialize();
    }
};
[[maybe_unused]] const auto* const kSetUp = ::testing::AddGlobalTestEnvironment(new ModuleSetUp);

constexpr DISPID kSilent = 551;
constexpr DISPID kRegisterAsBrowser = 552;
constexpr DISPID kRegisterAsDropTarget = 553;

// The component with its seams at the control open.
class WB : public THostedWB {
public:
    explicit WB(TComponent* owner) : THostedWB(owner) {}
    std::vector<DISPID> writes;
    bool oldSystem = false;
    long readyState = 1;
    int busyPasses = 0;                           // Busy answers true this many times
    IOleInPlaceActiveObject* ownObject = nullptr; // null: the control's own
    IDispatch* document = nullptr;                // borrowed; null: the control's (none here)
    IDispatch* application = nullptr;             // borrowed; null: the control's
    IWebBrowser2* browser = nullptr;              // borrowed; null: the control's
    test::FakeCommands* commandTarget = nullptr;  // null: the document's
    const ShellCalls* shell = nullptr;            // null: the system's
    [[nodiscard]] ComPtr<IDispatch> Document() const override {
        return document ? ComPtr(document) : THostedWB::Document();
    }
    [[nodiscard]] ComPtr<IDispatch> Application() const override {
        return application ? ComPtr(application) : THostedWB::Application();
    }
    [[nodiscard]] IWebBrowser2* Browser() const override {
        return browser ? browser : THostedWB::Browser();
    }
    void SetProperty(DISPID id, const VARIANT& value) override {
        writes.push_back(id);
        THostedWB::SetProperty(id, value);
    }
    [[nodiscard]] bool Busy() const override {
        if (busyPasses <= 0) return false;
        --const_cast<WB*>(this)->busyPasses;
        return true;
    }

protected:
    [[nodiscard]] ComPtr<IOleInPlaceActiveObject> ControlActiveObject() const noexcept override {
        return ownObject ? ComPtr<IOleInPlaceActiveObject>(ownObject)
                         : THostedWB::ControlActiveObject();
    }
    [[nodiscard]] long ReadyState() const override { return readyState; }
    [[nodiscard]] bool VersionIsXPSP2OrLater() const noexcept override { return !oldSystem; }
    [[nodiscard]] ComPtr<IOleCommandTarget> DocumentCommandTarget() const override {
        return commandTarget ? ComPtr<IOleCommandTarget>(commandTarget)
                             : THostedWB::DocumentCommandTarget();
    }
    [[nodiscard]] const ShellCalls& Shell() const noexcept override {
        return shell ? *shell : THostedWB::Shell();
    }
};

class OldSystemWB : public WB {
public:
    explicit OldSystemWB(TComponent* owner) : WB(owner) {}

protected:
    [[nodiscard]] bool VersionIsXPSP2OrLater() const noexcept override { return false; }
};

template <typename T = WB, typename Form = TForm> struct Layout : test::BrowserLayout<T, Form> {};

// An in-place object that takes every key it is offered.
class TakingObject : public test::InPlaceObjectStub {
public:
    std::vector<WPARAM> offered;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        if (msg->message == WM_KEYDOWN) offered.push_back(msg->wParam);
        return S_OK;
    }
};

void AnnounceActiveObject(TOleControl& host, IOleInPlaceActiveObject* object) {
    const auto site = HostInterface<IOleInPlaceSite>(host);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(site->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info), S_OK);
    ASSERT_EQ(frame->SetActiveObject(object, nullptr), S_OK);
}

// The window in the control's first-child chain below "Shell DocObject View".
HWND DeepestChild(HWND wnd) {
    for (HWND c = ::GetWindow(wnd, GW_CHILD); c; c = ::GetWindow(c, GW_CHILD))
        wnd = c;
    return wnd;
}

std::vector<WPARAM> KeysAtPage;
LRESULT CALLBACK PageProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_KEYDOWN) KeysAtPage.push_back(wp);
    return ::DefWindowProcW(wnd, msg, wp, lp);
}
HWND PageWindow(HWND parent, const wchar_t* cls = L"PageWindow") {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &PageProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassExW(&wc);
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr,
                             wc.hInstance, nullptr);
}

// --- creation and load-time settings ------------------------------------------------------------

TEST(HostedWB, CreationWritesNoPropertyAndLoadingWritesOnlyWhatTheLayoutChanged) {
    {
        Layout l; // the game frame's settings: Silent left at its default
        EXPECT_TRUE(l.wb->writes.empty());
        // The control's own setting, made behind the component's back (not recorded).
        l.wb->THostedWB::SetProperty(kSilent, OleVariant(false).get());
        l.wb->DisableCtrlShortcuts = L"N";
        l.wb->LoadSettings();
        EXPECT_TRUE(l.wb->writes.empty());
        EXPECT_FALSE(l.wb->Silent()) << "the control keeps its own setting";
    }
    Layout l; // the announcement popup's: Silent False
    l.wb->SetSilent(false);
    l.wb->LoadSettings();
    EXPECT_EQ(l.wb->writes, std::vector<DISPID>{kSilent});
    EXPECT_FALSE(l.wb->Silent());
    l.wb->SetRegisterAsBrowser(true);
    EXPECT_TRUE(l.wb->RegisterAsBrowser());
    l.wb->SetRegisterAsDropTarget(false);
    EXPECT_FALSE(l.wb->RegisterAsDropTarget());
    EXPECT_EQ(l.wb->writes,
              (std::vector<DISPID>{kSilent, kRegisterAsBrowser, kRegisterAsDropTarget}));
}

TEST(HostedWB, DefaultsOfTheComponentAndItsOptionObjects) {
    Layout l;
    THostedWB& wb = *l.wb;
    EXPECT_FALSE(wb.About().empty());
    EXPECT_TRUE(wb.EnableMessageHandler);
    EXPECT_TRUE(wb.DisabledPopupMenuItems.Empty());
    EXPECT_EQ(wb.UserAgentMode(), uaDefault);
    EXPECT_EQ(wb.Encoding(), UINT{CP_ACP});
    EXPECT_FALSE(wb.Modified());
    EXPECT_EQ(wb.PrintOptions().HTMLHeader, std::vector<std::wstring>{L"<HTML></HTML>"});
    EXPECT_EQ(wb.PrintOptions().Orientation, poPortrait);
    EXPECT_EQ(wb.PrintOptions().Measure(), mMetric);
    EXPECT_EQ(wb.ProxySettings().Port, 80);
    EXPECT_TRUE(wb.DisableErrors().EnableDDE);
    EXPECT_TRUE(wb.DisableErrors().fpExceptions());
    EXPECT_TRUE(wb.DisableErrors().ScriptErrorsSuppressed);
    EXPECT_FALSE(wb.DialogBoxes().DisableAll);
    EXPECT_TRUE(wb.DialogBoxes().ReplaceCaption);
    EXPECT_TRUE(wb.DialogBoxes().ReplaceIcon);
    EXPECT_FALSE(wb.VisualEffects().DisableSounds);
    EXPECT_EQ(wb.VisualEffects().TextSize, 2);
    EXPECT_EQ(kMenuCommandTable[rcsViewSource], 2139u);
    EXPECT_EQ(kMenuCommandTable[rcsProperties], 28u);
    EXPECT_EQ(kMenuCommandTable[rcsOpenLink], 2136u);
}

TEST(HostedWB, LoadingSuppressesScriptErrorsAndTheLaunchersAnswersReachTheControl) {
    Layout l;
    THostedWB& wb = *l.wb;
    using U = TUserInterfaceOption;
    wb.DisableCtrlShortcuts = L"N";
    wb.SetUserInterfaceOptions({U::DisableTextSelect, U::DisableHelpMenu, U::DontUse3DBorders,
                                U::DontUseScrollBars, U::EnablesFormsAutoComplete,
                                U::EnableThemes});
    wb.DisabledPopupMenus = {rcmAll};
    wb.ScriptErrorAction = eaAskUser;
    wb.LoadSettings();
    EXPECT_EQ(wb.ScriptErrorAction, eaContinue);

    const auto ui = HostInterface<IDocHostUIHandler>(wb);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    ASSERT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, DWORD{0x1 | 0x2 | 0x4 | 0x8 | 0x4000 | 0x40000});
    POINT at{10, 10};
    EXPECT_EQ(ui->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr), S_OK);
    MSG ctrlN{wb.Handle(), WM_KEYDOWN, 'N', 0, 0, {}};
    const test::KeyState ctrl(true, false);
    EXPECT_EQ(ui->TranslateAccelerator(&ctrlN, nullptr, 0), S_OK);
}

// The control word's meaningful bits (bit 6 is reserved and always reads as set).
std::uint16_t ControlWord() noexcept {
    return Get8087CW() & 0x1F3F;
}

TEST(HostedWB, TheControlWordFollowsFpExceptionsAndLoadingAppliesItAgain) {
    Layout l;
    TDisableErrors& errors = l.wb->DisableErrors();
    const std::uint16_t startup = SavedControlWord() & 0x1F3F;
    ASSERT_NE(startup, 0x133F);
    errors.SetfpExceptions(false);
    EXPECT_EQ(ControlWord(), 0x133F);
    errors.SetfpExceptions(true);
    EXPECT_EQ(ControlWord(), startup);
    Set8087CW(0x133F);
    l.wb->LoadSettings(); // the default True puts the start-up word back
    EXPECT_EQ(ControlWord(), startup);
}

// --- window procedure ---------------------------------------------------------------------------

TEST(HostedWB, WindowProcedureTable) {
    Layout l;
    WB& wb = *l.wb;
    wb.LoadSettings();

    bool canClose = false;
    int queries = 0;
    wb.OnCloseQuery = [&](TObject*, bool& can) {
        ++queries;
        can = canClose;
    };
    EXPECT_EQ(wb.Perform(WM_CLOSE), 0);
    EXPECT_TRUE(::IsWindow(wb.Handle())) << "a refused close leaves the window";
    EXPECT_EQ(queries, 1);

    // A key handler that clears the key keeps the message from the control.
    std::vector<WORD> down, up;
    wb.OnKeyDown = [&](TObject*, WORD& key, WORD scan, TShiftState) {
        down.push_back(key);
        EXPECT_EQ(scan, 0x1E);
        if (key == 'X') key = 0;
    };
    wb.OnKeyUp = [&](TObject*, WORD& key, WORD, TShiftState) { up.push_back(key); };
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, 'X', 0x001E0001), 1);
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, 'Y', 0x001E0001), 0); // no in-place object takes it
    EXPECT_EQ(wb.Perform(CN_KEYUP, 'Y', 0xC01E0001), 0);
    EXPECT_EQ(down, (std::vector<WORD>{'X', 'Y'}));
    EXPECT_EQ(up, std::vector<WORD>{'Y'});
    wb.OnKeyDown = nullptr;

    // Enter goes on to the page even after an in-place object took it; other keys do not.
    TakingObject object;
    AnnounceActiveObject(wb, &object);
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_RETURN, 1), 0);
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_TAB, 1), 1);
    wb.EnableMessageHandler = false;
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_RETURN, 1), 1);
    wb.EnableMessageHandler = true;
    AnnounceActiveObject(wb, nullptr);

    EXPECT_EQ(::SendMessageW(wb.Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);

    // Button presses in the page arrive as parent notifications; a timer numbered 513 is no click.
    std::vector<std::pair<TMouseButton, POINT>> clicks;
    wb.OnClick = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        clicks.push_back({b, POINT{x, y}});
    };
    ::SendMessageW(wb.Handle(), WM_PARENTNOTIFY, WM_LBUTTONDOWN, MAKELPARAM(5, 7));
    ::SendMessageW(wb.Handle(), WM_PARENTNOTIFY, WM_RBUTTONDOWN, MAKELPARAM(-3, 9));
    ::SendMessageW(wb.Handle(), WM_TIMER, WM_LBUTTONDOWN, 0);
    ::SendMessageW(wb.Handle(), WM_PARENTNOTIFY, WM_MBUTTONDOWN, 0);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].first, TMouseButton::mbLeft);
    EXPECT_EQ(clicks[0].second.x, 5);
    EXPECT_EQ(clicks[0].second.y, 7);
    EXPECT_EQ(clicks[1].first, TMouseButton::mbRight);
    EXPECT_EQ(clicks[1].second.x, -3);

    // Every message reaches OnMessage after the processing.
    std::vector<UINT> seen;
    wb.OnMessage = [&](TObject*, TMessage& m, bool&) { seen.push_back(m.Msg); };
    wb.Perform(WM_USER + 5);
    EXPECT_EQ(seen, std::vector<UINT>{WM_USER + 5});
    wb.OnMessage = nullptr;

    // A move or size request is left alone on this system.
    int moves = 0;
    wb.OnMove = [&](TObject*, LONG, LONG) { ++moves; };
    WINDOWPOS pos{wb.Handle(), nullptr, 40, 50, 100, 100, SWP_NOSIZE | SWP_NOZORDER};
    wb.Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(pos.flags, UINT{SWP_NOSIZE | SWP_NOZORDER});
    EXPECT_EQ(moves, 0);

    canClose = true;
    ::SendMessageW(wb.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(queries, 2);
}

TEST(HostedWB, OnOlderSystemsMovesAndSizesAskedByThePageAreTurnedIntoEvents) {
    Layout<OldSystemWB> l;
    OldSystemWB& wb = *l.wb;
    std::vector<std::pair<LONG, LONG>> moves, sizes;
    wb.OnMove = [&](TObject*, LONG x, LONG y) { moves.push_back({x, y}); };
    wb.OnResize = [&](TObject*, LONG cx, LONG cy) { sizes.push_back({cx, cy}); };
    WINDOWPOS move{wb.Handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE};
    wb.Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&move));
    EXPECT_EQ(move.flags, UINT{SWP_NOSIZE | SWP_NOMOVE});
    WINDOWPOS size{wb.Handle(), nullptr, 0, 0, 300, 200, SWP_NOMOVE};
    wb.Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&size));
    EXPECT_EQ(size.flags, UINT{SWP_NOSIZE | SWP_NOMOVE});
    WINDOWPOS both{wb.Handle(), nullptr, 1, 2, 3, 4, SWP_NOZORDER}; // neither flag: left alone
    wb.Perform(WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&both));
    EXPECT_EQ(both.flags, UINT{SWP_NOZORDER});
    EXPECT_EQ(moves, (std::vector<std::pair<LONG, LONG>>{{40, 50}}));
    EXPECT_EQ(sizes, (std::vector<std::pair<LONG, LONG>>{{300, 200}}));
}

TEST(HostedWB, ArrowKeysMoveTheFocusedItemOfAFolderList) {
    Layout l;
    WB& wb = *l.wb;
    const HWND list =
        ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_LIST, 0, 0, 100, 300,
                          DeepestChild(wb.Handle()), nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(wb.GetIEWin(L"SysListView32"), list);
    for (int i = 0; i < 3; ++i) {
        wchar_t name[] = L"item";
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = name;
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    const auto state = [&](int i) {
        return static_cast<UINT>(
            ::SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
    };
    LVITEMW focus{};
    focus.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    focus.state = focus.stateMask;
    ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));

    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    ASSERT_EQ(state(0), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_UP, 1), 1); // no neighbour: handled, nothing moves
    EXPECT_EQ(state(0), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_DOWN, 1), 1);
    EXPECT_EQ(state(0), 0u);
    EXPECT_EQ(state(1), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_DOWN, 1), 1);
    EXPECT_EQ(state(2), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, VK_UP, 1), 1);
    EXPECT_EQ(state(1), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(state(2), 0u);
    EXPECT_EQ(wb.Perform(CN_KEYDOWN, 'A', 1), 0);   // not an arrow: not the list's
    EXPECT_EQ(wb.Perform(CN_KEYUP, VK_DOWN, 1), 0); // key releases are not looked at
    EXPECT_EQ(state(1), UINT{LVIS_SELECTED | LVIS_FOCUSED});
    EXPECT_EQ(wb.Hwnd(), list);
}

TEST(HostedWB, HwndIsThePageWindowWhenThereIsOneElseTheFolderList) {
    Layout l;
    EXPECT_EQ(l.wb->Hwnd(), nullptr); // this platform's control makes neither
    const HWND server = PageWindow(DeepestChild(l.wb->Handle()), L"Internet Explorer_Server");
    EXPECT_EQ(l.wb->Hwnd(), server);
    const auto loose = TComponent::CreateOwned<THostedWB>();
    EXPECT_EQ(loose->Hwnd(), nullptr);
}

TEST(HostedWB, KeysPostedToThePageGoThroughTheLoopAndEnterReachesThePageToo) {
    Layout l;
    WB& wb = *l.wb;
    wb.LoadSettings();
    TakingObject object;
    AnnounceActiveObject(wb, &object);
    const HWND page = PageWindow(DeepestChild(wb.Handle()));
    KeysAtPage.clear();
    for (const WPARAM k : {WPARAM{VK_TAB}, WPARAM{VK_RETURN}, WPARAM{'C'}})
        ::PostMessageW(page, WM_KEYDOWN, k, 1);
    // Through the application's own loop: its pre-processing offers each key to the control.
    const DWORD start = ::GetTickCount();
    while (KeysAtPage.empty() && ::GetTickCount() - start < 3000) {
        Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_EQ(object.offered, (std::vector<WPARAM>{VK_TAB, VK_RETURN, 'C'}));
    EXPECT_EQ(KeysAtPage, std::vector<WPARAM>{VK_RETURN});
    AnnounceActiveObject(wb, nullptr);
}

// An in-place object that takes every key and notes it with the modifiers held at that moment.
class NotingObject : public test::InPlaceObjectStub {
public:
    struct Key {
        WPARAM key;
        bool shift, ctrl;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> offered;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        if (msg->message == WM_KEYDOWN)
            offered.push_back(
                {msg->wParam, ::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0});
        return S_OK;
    }
};

// Before the page's control announces its in-place object (it does when a document takes the
// focus), the keys go to the one the control has.
TEST(HostedWB, KeysReachTheControlsOwnInPlaceObjectOnceEachWhenItAnnouncedNone) {
    Layout l;
    WB& wb = *l.wb;
    wb.LoadSettings();
    NotingObject own;
    wb.ownObject = &own;
    const HWND page = PageWindow(DeepestChild(wb.Handle()));
    KeysAtPage.clear();
    using Key = NotingObject::Key;
    const struct {
        const char* name;
        Key key;
    } cases[] = {
        {"Tab", {VK_TAB, false, false}},      {"Shift+Tab", {VK_TAB, true, false}},
        {"Enter", {VK_RETURN, false, false}}, {"Ctrl+C", {'C', false, true}},
        {"Ctrl+V", {'V', false, true}},       {"Ctrl+X", {'X', false, true}},
        {"Ctrl+A", {'A', false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        own.offered.clear();
        {
            const test::KeyState held(c.key.ctrl, c.key.shift);
            ::PostMessageW(page, WM_KEYDOWN, c.key.key, 1);
            test::LoopUntil([] { return true; }, 0);
        }
        EXPECT_EQ(own.offered, std::vector<Key>{c.key});
    }
    // Enter goes on to the page after the object saw it; the others it took.
    EXPECT_EQ(KeysAtPage, std::vector<WPARAM>{VK_RETURN});
}

// --- focus --------------------------------------------------------------------------------------

TEST(HostedWB, AfterTheApplicationComesBackWithTheFocusOnTheFormTheBrowserTakesItBack) {
    Layout l;
    WB& wb = *l.wb;
    wb.LoadSettings();
    ::SetForegroundWindow(l.form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == l.form->Handle(); }));
    l.form->SetActiveControl(&wb);
    ::SetFocus(l.form->Handle()); // the focus on the form itself, the browser still its choice
    EXPECT_FALSE(wb.Focused());
    ::SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
    const DWORD start = ::GetTickCount();
    while (!wb.Focused() && ::GetTickCount() - start < 3000) {
        Application->ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_TRUE(wb.Focused());
}

// A box of the program closes, or the window is shown again: the form is activated while the
// application stays active, and the browser that is its active control is asked once to take
// the focus into its page, as after the application's own activation.
// Owned by no window, as the launcher's are (the application window then never moves with it).
class TaskbarForm : public TForm {
public:
    explicit TaskbarForm(TComponent* owner) : TForm(owner) {}

protected:
    void CreateParams(TCreateParams& params) override {
        TForm::CreateParams(params);
        params.WndParent = nullptr;
        params.ExStyle |= WS_EX_APPWINDOW;
    }
};

TEST(HostedWB, AFormActivatedInsideTheProgramAsksItsBrowserToTakeTheFocus) {
    Layout<WB, TaskbarForm> l;
    WB& wb = *l.wb;
    wb.LoadSettings();
    int asked = 0;
    const TWndMethod proc = wb.WindowProc();
    wb.SetWindowProc([&asked, proc](TMessage& m) {
        if (m.Msg == WM_HWB_REFOCUS) ++asked;
        proc(m);
    });
    ::SetForegroundWindow(l.form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == l.form->Handle(); }));
    wb.SetFocus();
    ASSERT_EQ(l.form->ActiveControl(), &wb);
    test::Pump();
    asked = 0;

    const HWND box = ::CreateWindowExW(0, L"Static", L"box", WS_POPUP | WS_VISIBLE, 300, 300, 80,
                                       40, l.form->Handle(), nullptr, nullptr, nullptr);
    ::SetActiveWindow(box);
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == box; }));
    ::DestroyWindow(box);
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == l.form->Handle(); }));
    test::Pump();
    EXPECT_EQ(asked, 1) << "after a box closed";

    // Hidden while another window of the program is used, then shown again from there.
    l.form->Hide();
    TForm* other = TComponent::Create<TaskbarForm>(*Application);
    other->SetBounds(600, 0, 100, 100);
    other->Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == other->Handle(); }));
    test::Pump();
    asked = 0;
    l.form->Show();
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == l.form->Handle(); }));
    test::Pump();
    EXPECT_EQ(asked, 1) << "after the window was shown again";
    TComponent::Free(other);
    wb.SetWindowProc(proc);
}

TEST(HostedWB, SetFocusOnlyWhenTheControlCanTakeIt) {
    Layout l;
    ::SetForegroundWindow(l.form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == l.form->Handle(); }));
    l.wb->SetEnabled(false);
    l.wb->SetFocus();
    EXPECT_EQ(l.form->ActiveControl(), nullptr);
    l.wb->SetEnabled(true);
    l.wb->SetFocus();
    EXPECT_EQ(l.form->ActiveControl(), l.wb);
    EXPECT_TRUE(l.wb->Focused());
}

// --- waiting ------------------------------------------------------------------------------------

TEST(HostedWB, WaitEndsOnStopCancelOrTimeOutAndIsTrueWithoutAWindow) {
    Layout l;
    WB& wb = *l.wb;
    int passes = 0;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD&, bool&) {
        if (++passes == 3) wb.Stop();
    };
    EXPECT_FALSE(wb.Wait(0)) << "stop inside the loop";
    EXPECT_EQ(passes, 3);

    wb.OnBusyWait = nullptr;
    wb.Stop(); // while no loop runs: the next wait fails at its first pass
    EXPECT_FALSE(wb.Wait(0));
    wb.Stop();
    wb.readyState = 4; // a complete page: true, and the flag is cleared either way
    EXPECT_TRUE(wb.Wait(0));
    wb.readyState = 1;

    wb.OnBusyWait = [](TObject*, DWORD, DWORD&, bool& cancel) { cancel = true; };
    EXPECT_FALSE(wb.Wait(0));
    wb.OnBusyWait = [](TObject*, DWORD, DWORD& timeOut, bool&) { timeOut = 20; };
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(wb.Wait(0)) << "the handler may set a time-out";
    EXPECT_GE(::GetTickCount() - start, 20u);
    wb.OnBusyWait = nullptr;
    EXPECT_FALSE(wb.Wait(30));

    const auto windowless = TComponent::CreateOwned<THostedWB>();
    EXPECT_TRUE(windowless->Wait(0));
}

TEST(HostedWB, WaitWhileBusyRunsWhileTheControlIsBusy) {
    Layout l;
    WB& wb = *l.wb;
    EXPECT_TRUE(wb.WaitWhileBusy(0)); // never busy here
    wb.busyPasses = 5;
    int passes = 0;
    wb.OnBusyWait = [&](TObject*, DWORD, DWORD&, bool&) { ++passes; };
    EXPECT_TRUE(wb.WaitWhileBusy(0));
    EXPECT_EQ(passes, 5);
    wb.busyPasses = 1000000;
    EXPECT_FALSE(wb.WaitWhileBusy(30));
}

// A shown form with a browser whose freed block is kept and poisoned. The form frees the browser
// with itself, on the second pass of a wait: through a message the wait pumps, or at once from the
// busy-wait handler.
struct FreedInWait {
    enum How { byMessage, byHandler };
    explicit FreedInWait(How how) {
        form = TComponent::Create<TForm>(*Application);
        wb = TComponent::Create<test::Poisoned<WB>>(*form);
        wb->SetParent(form);
        form->Show();
        (void)wb->Handle();
        life = wb->Life();
        TForm* const owner = form;
        // The count lives here: the wait calls a copy of the handler.
        wb->OnBusyWait = [owner, how, passes = &passes](TObject*, DWORD, DWORD&, bool&) {
            if (++*passes != 2) return;
            if (how == byMessage)
                owner->Release();
            else
                TComponent::Free(owner);
        };
    }
    FreedInWait(const FreedInWait&) = delete;
    FreedInWait& operator=(const FreedInWait&) = delete;
    TForm* form;
    WB* wb;
    TLifeToken life;
    int passes = 0;
};

// Every operation that waits first: freed meanwhile, it gives its empty answer and touches
// nothing of the component after the wait (a read of a freed pointer would fault, a write would
// show in the poisoned block).
TEST(HostedWB, AnOperationWhoseWaitFreesTheComponentGivesItsEmptyAnswerAndTouchesNothing) {
    const test::DialogCallsSpy dialogs;
    const test::MapiCallsSpy mail;
    const tn::testing::TempDir dir;
    const std::wstring file = dir.File(L"page.htm");
    using Results = THostedWB::TSearchResults;
    const struct {
        const char* name;
        std::function<void(WB&)> run;
    } cases[] = {
        {"Wait", [](WB& wb) { EXPECT_FALSE(wb.Wait(0)); }},
        {"WaitWhileBusy",
         [](WB& wb) {
             wb.busyPasses = 1000000;
             EXPECT_FALSE(wb.WaitWhileBusy(0));
         }},
        {"GetDocument", [](WB& wb) { EXPECT_FALSE(wb.GetDocument()); }},
        {"SaveToFile", [&](WB& wb) { EXPECT_EQ(wb.SaveToFile(file), E_ABORT); }},
        {"RefreshFrame", [](WB& wb) { wb.RefreshFrame(0); }},
        {"FrameCount", [](WB& wb) { EXPECT_EQ(wb.FrameCount(), 0); }},
        {"FrameCountFromDocument",
         [](WB& wb) { EXPECT_EQ(wb.FrameCountFromDocument(nullptr), 0); }},
        {"SaveToStream",
         [](WB& wb) {
             TMemoryStream stream;
             EXPECT_EQ(wb.SaveToStream(stream), E_ABORT);
         }},
        {"SaveToStrings",
         [](WB& wb) {
             std::vector<std::wstring> lines{L"kept"};
             EXPECT_EQ(wb.SaveToStrings(lines), S_FALSE);
         }},
        {"Print", [](WB& wb) { wb.Print(); }},
        {"PrintWithOptions", [](WB& wb) { wb.PrintWithOptions(); }},
        {"PageSetup", [](WB& wb) { EXPECT_FALSE(wb.PageSetup(true)); }},
        {"PrintSetup", [](WB& wb) { wb.PrintSetup(); }},
        {"SavePageTextDialog", [](WB& wb) { wb.SavePageTextDialog(); }},
        {"ViewPageSourceTextToStrings",
         [](WB& wb) {
             std::vector<std::wstring> lines{L"old"};
             wb.ViewPageSourceTextToStrings(lines);
             EXPECT_TRUE(lines.empty());
         }},
        {"ViewPageSourceHtmlToStrings",
         [](WB& wb) {
             std::vector<std::wstring> lines{L"old"};
             wb.ViewPageSourceHtmlToStrings(lines);
             EXPECT_TRUE(lines.empty());
         }},
        {"ScrollToTop", [](WB& wb) { wb.ScrollToTop(); }},
        {"ScrollToBottom", [](WB& wb) { wb.ScrollToBottom(); }},
        {"ScrollToPosition", [](WB& wb) { wb.ScrollToPosition(10, 20); }},
        {"SearchAndHighlight, asking",
         [](WB& wb) {
             wb.SearchAndHighlight(L"a", L"Find", L"Text:", {}, L"yellow", L"black", sivFirstMatch);
         }},
        {"SearchAndHighlight",
         [](WB& wb) { wb.SearchAndHighlight(L"a", {}, L"yellow", L"black", sivFirstMatch); }},
        {"SearchNextText",
         [](WB& wb) {
             EXPECT_EQ(wb.SearchNextText(L"a", THostedWB::sdDown, true),
                       Results{THostedWB::srNotFound});
         }},
        {"SearchString", [](WB& wb) { EXPECT_FALSE(wb.SearchString(L"a")); }},
        {"SearchText", [](WB& wb) { EXPECT_FALSE(wb.SearchText(L"a", 1)); }},
        {"SetCharartersSet", [](WB& wb) { EXPECT_FALSE(wb.SetCharartersSet(L"utf-8", true)); }},
        {"SendPageInMailAsAttachment",
         [&](WB& wb) { wb.SendPageInMailAsAttachment(nullptr, file, L"Subject", L"Body"); }},
    };
    for (const auto how : {FreedInWait::byMessage, FreedInWait::byHandler}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) +
                         (how == FreedInWait::byMessage ? ", by a message" : ", by the handler"));
            FreedInWait f(how);
            const test::FaultCount faults;
            c.run(*f.wb);
            EXPECT_EQ(faults.Value(), 0) << "the freed component was read";
            EXPECT_FALSE(f.life.Alive()) << "freed during the wait";
            EXPECT_TRUE(test::Poisoned<WB>::FreedUntouched());
        }
    }
    EXPECT_TRUE(test::DialogCallsSpy::Saves.empty());
    EXPECT_TRUE(test::DialogCallsSpy::Inputs.empty());
    EXPECT_TRUE(test::MapiCallsSpy::Sends.empty()) << "nothing was saved, so nothing goes";
}

// --- destruction, visibility and the document's state -------------------------------------------

TEST(HostedWB, DestructionPutsTheTextSizeBackOnlyWhenItIsNotTheDefault) {
    test::FakeCommands commands;
    for (const int textSize : {3, 2, 0}) {
        SCOPED_TRACE(textSize);
        commands.calls.clear();
        auto wb = TComponent::CreateOwned<WB>();
        wb->commandTarget = &commands;
        wb->VisualEffects().TextSize = textSize;
        wb.reset();
        const auto zoom = std::find_if(commands.calls.begin(), commands.calls.end(),
                                       [](const auto& call) { return call.cmd == OLECMDID_ZOOM; });
        if (textSize == 2) {
            EXPECT_TRUE(commands.calls.empty()) << "the text size is left alone";
            continue;
        }
        ASSERT_NE(zoom, commands.calls.end());
        EXPECT_EQ(zoom->inType, VT_I4);
        EXPECT_EQ(zoom->in, 2);
    }
}

TEST(HostedWB, OnVisibleTellsEachChangeOfVisibilityAndNothingElse) {
    Layout l;
    std::vector<bool> told;
    l.wb->OnVisible = [&](TObject* sender, bool visible) {
        EXPECT_EQ(sender, l.wb);
        told.push_back(visible);
    };
    l.wb->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(l.wb->Handle()));
    l.wb->SetVisible(false); // unchanged: nothing
    l.wb->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(l.wb->Handle()));
    EXPECT_EQ(told, (std::vector<bool>{false, true}));
}

TEST(HostedWB, ModifiedIsSetOnceThePageIsCompleteAndCanUndoAndNeverCleared) {
    test::FakeDocument doc;
    auto wb = TComponent::CreateOwned<WB>();
    const struct {
        const char* name;
        long readyState;
        IDispatch* document;
        bool undo;
        bool modified;
    } steps[] = {
        {"no document", 4, nullptr, true, false},
        {"still loading", 3, doc.Dispatch(), true, false},
        {"nothing to undo", 4, doc.Dispatch(), false, false},
        {"complete with something to undo", 4, doc.Dispatch(), true, true},
        {"once set, it stays", 1, nullptr, false, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        wb->readyState = step.readyState;
        wb->document = step.document;
        doc.enabledCommands =
            step.undo ? std::vector<std::wstring>{L"Undo"} : std::vector<std::wstring>{L"Copy"};
        wb->SetModified(false); // the value is not used
        EXPECT_EQ(wb->Modified(), step.modified);
    }
}

TEST(HostedWB, TheDocumentsDesignModeIsReadAndWrittenAsOnAndOff) {
    auto wb = TComponent::CreateOwned<WB>();
    wb->SetDocumentDesignMode(true); // no document: nothing to set
    EXPECT_FALSE(wb->DocumentDesignMode());
    test::FakeDocument doc;
    wb->document = doc.Dispatch();
    doc.bag.Set(L"designMode", L"Inherit");
    EXPECT_FALSE(wb->DocumentDesignMode());
    wb->SetDocumentDesignMode(true);
    EXPECT_EQ(doc.bag.Text(L"designMode"), L"On");
    EXPECT_TRUE(wb->DocumentDesignMode());
    wb->SetDocumentDesignMode(false);
    EXPECT_EQ(doc.bag.Text(L"designMode"), L"Off");
    EXPECT_FALSE(wb->DocumentDesignMode());
}

// --- option objects and the proxy ---------------------------------------------------------------

// The WinINet calls over a connection of the recorder's own: each per-connection write is kept
// as it came and applied to the connection, whatever the handle (as this platform does), and a
// per-connection query reads it.
struct ProxyRecorder {
    struct Write {
        HINTERNET handle;
        DWORD option;
        std::vector<std::pair<DWORD, std::wstring>> values; // flags as decimal text
    };
    // A per-connection query: its handle and the first option it asked for.
    struct Query {
        HINTERNET handle;
        DWORD first;
        bool operator==(const Query&) const = default;
        friend void PrintTo(const Query& q, std::ostream* out) {
            *out << "{" << q.handle << ", option " << q.first << "}";
        }
    };
    static inline std::vector<Write> writes;
    static inline std::vector<std::wstring> shown, agents;
    static inline std::vector<Query> queried;
    // The connection type as the user chose it, where the system keeps it apart from the one in
    // force (none: a system that refuses every query asking for it, as this platform does).
    static inline std::optional<DWORD> chosenFlags;
    static inline bool openFails = false, connectFails = false, writeFails = false,
                       reloadFails = false, queryFails = false;
    static inline int closed = 0;
    static inline TProxyConnectionSettings connection;
    static HINTERNET WINAPI Open(LPCWSTR agent, DWORD, LPCWSTR, LPCWSTR, DWORD) {
        agents.emplace_back(agent ? agent : L"");
        return openFails ? nullptr : reinterpret_cast<HINTERNET>(0x1000);
    }
    static HINTERNET WINAPI Connect(HINTERNET, LPCWSTR, INTERNET_PORT, LPCWSTR, LPCWSTR, DWORD,
                                    DWORD, DWORD_PTR) {
        return connectFails ? nullptr : reinterpret_cast<HINTERNET>(0x2000);
    }
    static std::optional<std::wstring>* Text(DWORD option) {
        switch (option) {
        case INTERNET_PER_CONN_PROXY_SERVER:
            return &connection.Server;
        case INTERNET_PER_CONN_PROXY_BYPASS:
            return &connection.Bypass;
        case INTERNET_PER_CONN_AUTOCONFIG_URL:
            return &connection.AutoConfigUrl;
        default:
            return nullptr;
        }
    }
    static BOOL WINAPI SetOption(HINTERNET h, DWORD option, LPVOID buffer, DWORD length) {
        Write w{h, option, {}};
        const bool fails = option == INTERNET_OPTION_REFRESH ? reloadFails : writeFails;
        if (option == INTERNET_OPTION_PER_CONNECTION_OPTION) {
            EXPECT_EQ(length, test::RecordSize(20, sizeof(INTERNET_PER_CONN_OPTION_LISTW)));
            const auto* list = static_cast<INTERNET_PER_CONN_OPTION_LISTW*>(buffer);
            EXPECT_EQ(list->pszConnection, nullptr);
            for (DWORD i = 0; i < list->dwOptionCount; ++i) {
                const auto& o = list->pOptions[i];
                if (o.dwOption == INTERNET_PER_CONN_FLAGS) {
                    w.values.push_back({o.dwOption, std::to_wstring(o.Value.dwValue)});
                    if (!fails) connection.Flags = o.Value.dwValue;
                    if (!fails && chosenFlags) chosenFlags = o.Value.dwValue;
                    continue;
                }
                w.values.push_back({o.dwOption, o.Value.pszValue ? o.Value.pszValue : L"(none)"});
                if (std::optional<std::wstring>* text = Text(o.dwOption); text && !fails)
                    *text = o.Value.pszValue ? std::optional<std::wstring>(o.Value.pszValue)
                                             : std::nullopt;
            }
        }
        writes.push_back(w);
        return !fails;
    }
    static BOOL WINAPI QueryOption(HINTERNET h, DWORD option, LPVOID buffer, LPDWORD length) {
        if (option != INTERNET_OPTION_PER_CONNECTION_OPTION) {
            ADD_FAILURE() << "option " << option << " queried";
            return FALSE;
        }
        EXPECT_EQ(*length, test::RecordSize(20, sizeof(INTERNET_PER_CONN_OPTION_LISTW)));
        auto* list = static_cast<INTERNET_PER_CONN_OPTION_LISTW*>(buffer);
        queried.push_back({h, list->dwOptionCount ? list->pOptions[0].dwOption : 0});
        if (queryFails) return FALSE;
        for (DWORD i = 0; i < list->dwOptionCount; ++i) {
            if (list->pOptions[i].dwOption == INTERNET_PER_CONN_FLAGS_UI && !chosenFlags) {
                ::SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
        }
        for (DWORD i = 0; i < list->dwOptionCount; ++i) {
            auto& o = list->pOptions[i];
            if (o.dwOption == INTERNET_PER_CONN_FLAGS) {
                o.Value.dwValue = connection.Flags;
            } else if (o.dwOption == INTERNET_PER_CONN_FLAGS_UI) {
                o.Value.dwValue = *chosenFlags;
            } else if (const std::optional<std::wstring>* text = Text(o.dwOption); text && *text) {
                // As the library hands texts out: the caller frees them with GlobalFree.
                const std::size_t bytes = ((*text)->size() + 1) * sizeof(wchar_t);
                o.Value.pszValue = static_cast<wchar_t*>(::GlobalAlloc(GMEM_FIXED, bytes));
                std::memcpy(o.Value.pszValue, (*text)->c_str(), bytes);
            } else {
                o.Value.pszValue = nullptr;
            }
        }
        return TRUE;
    }
    static BOOL WINAPI Close(HINTERNET) {
        ++closed;
        return TRUE;
    }
    static void Show(const std::wstring& text) { shown.push_back(text); }
    static void Reset() {
        writes.clear();
        shown.clear();
        agents.clear();
        queried.clear();
        openFails = connectFails = writeFails = reloadFails = queryFails = false;
        closed = 0;
        connection = {};
        chosenFlags = std::nullopt;
    }
};
const TProxyCalls kProxyDouble{&ProxyRecorder::Open,      &ProxyRecorder::Connect,
                               &ProxyRecorder::SetOption, &ProxyRecorder::QueryOption,
                               &ProxyRecorder::Close,     &ProxyRecorder::Show};

using Values = std::vector<std::pair<DWORD, std::wstring>>;
using Queries = std::vector<ProxyRecorder::Query>;
constexpr DWORD kFlags = INTERNET_PER_CONN_FLAGS, kServer = INTERNET_PER_CONN_PROXY_SERVER,
                kBypass = INTERNET_PER_CONN_PROXY_BYPASS, kPac = INTERNET_PER_CONN_AUTOCONFIG_URL,
                kChosenFlags = INTERNET_PER_CONN_FLAGS_UI;
const auto kSession = reinterpret_cast<HINTERNET>(0x1000);

TEST(ProxyOptions, EachRoutineWritesItsOptionsInOrderThenReloads) {
    ProxyRecorder::Reset();
    EXPECT_TRUE(ApplyProxyServer(L"agent", L"proxy:81", L"", kProxyDouble));
    EXPECT_EQ(ProxyRecorder::shown, std::vector<std::wstring>{L""}) << "even an empty list shows";
    ASSERT_EQ(ProxyRecorder::writes.size(), 2u);
    EXPECT_EQ(ProxyRecorder::writes[0].handle, nullptr); // the user's settings
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kFlags, L"2"}, {kServer, L"proxy:81"}, {kBypass, L""}}));
    EXPECT_EQ(ProxyRecorder::writes[1].option, DWORD{INTERNET_OPTION_REFRESH});
    EXPECT_EQ(ProxyRecorder::agents, std::vector<std::wstring>{L"agent"});
    EXPECT_EQ(ProxyRecorder::closed, 1);

    ProxyRecorder::Reset();
    EXPECT_TRUE(ApplyProxyServerWithLogin(L"a", L"proxy", L"u", L"p", 8080, kProxyDouble));
    ASSERT_EQ(ProxyRecorder::writes.size(), 2u);
    EXPECT_EQ(ProxyRecorder::writes[0].handle, kSession);
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kFlags, L"3"}, {kServer, L"proxy:8080"}, {kBypass, L"<local>"}}));
    ProxyRecorder::Reset();
    ProxyRecorder::connectFails = true;
    EXPECT_FALSE(ApplyProxyServerWithLogin(L"a", L"proxy", L"u", L"p", 8080, kProxyDouble));
    EXPECT_TRUE(ProxyRecorder::writes.empty());
    EXPECT_EQ(ProxyRecorder::closed, 1);

    ProxyRecorder::Reset();
    EXPECT_TRUE(ApplyProxyAutoConfig(L"a", L"http://pac/x.pac", kProxyDouble));
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kPac, L"http://pac/x.pac"}, {kFlags, L"4"}}));

    ProxyRecorder::Reset();
    ProxyRecorder::writeFails = true;
    EXPECT_FALSE(ApplyProxyServer(L"a", L"p", L"b", kProxyDouble));
    EXPECT_EQ(ProxyRecorder::writes.size(), 1u) << "no reload after a failed write";
    const TProxyConnectionSettings before{13, std::nullopt, L"*.corp", L"http://wpad/x.pac"};
    EXPECT_TRUE(ResetProxyServer(before, true, kProxyDouble))
        << "the reset ignores the writes' results";
    EXPECT_EQ(ProxyRecorder::writes[1].handle, nullptr);
    EXPECT_EQ(ProxyRecorder::writes[1].values, (Values{{kFlags, L"13"},
                                                       {kServer, L"(none)"},
                                                       {kBypass, L"*.corp"},
                                                       {kPac, L"http://wpad/x.pac"}}));
    EXPECT_EQ(ProxyRecorder::agents.back(), L"");
    EXPECT_TRUE(ResetProxyServer(before, false, kProxyDouble));
    EXPECT_EQ(ProxyRecorder::writes.back().handle, kSession);
    EXPECT_TRUE(ProxyRecorder::queried.empty()) << "nothing is read unless asked";

    ProxyRecorder::Reset();
    ProxyRecorder::openFails = true;
    EXPECT_FALSE(ApplyProxyServer(L"a", L"p", L"b", kProxyDouble));
    EXPECT_FALSE(ResetProxyServer(before, true, kProxyDouble));
    EXPECT_TRUE(ProxyRecorder::writes.empty());
}

// What the connection held is read on the handle the write goes to, before it; when it cannot be
// read, the user's settings could not be put back, so nothing is written.
TEST(ProxyOptions, EachRoutineReadsWhatTheConnectionHeldBeforeItWritesOrWritesNothing) {
    const TProxyConnectionSettings users{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL |
                                             PROXY_TYPE_AUTO_DETECT,
                                         std::nullopt, std::nullopt, L"http://wpad/proxy.pac"};
    const struct {
        const char* name;
        std::function<bool(bool*, TProxyConnectionSettings*)> apply;
        HINTERNET handle;
    } cases[] = {
        {"proxy",
         [](bool* w, TProxyConnectionSettings* b) {
             return ApplyProxyServer(L"", L"p:81", L"", kProxyDouble, w, b);
         },
         nullptr},
        {"proxy with login",
         [](bool* w, TProxyConnectionSettings* b) {
             return ApplyProxyServerWithLogin(L"", L"p", L"u", L"w", 81, kProxyDouble, w, b);
         },
         kSession},
        {"script",
         [](bool* w, TProxyConnectionSettings* b) {
             return ApplyProxyAutoConfig(L"", L"http://pac/x.pac", kProxyDouble, w, b);
         },
         kSession},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProxyRecorder::Reset();
        ProxyRecorder::connection = users;
        TProxyConnectionSettings read;
        bool written = false;
        EXPECT_TRUE(c.apply(&written, &read));
        EXPECT_TRUE(written);
        EXPECT_EQ(read, users);
        EXPECT_EQ(ProxyRecorder::queried, (Queries{{c.handle, kChosenFlags}, {c.handle, kFlags}}))
            << "the user's choice first; refused, the options with the type in force";
        EXPECT_NE(ProxyRecorder::connection, users);

        ProxyRecorder::Reset();
        ProxyRecorder::connection = users;
        ProxyRecorder::queryFails = true;
        EXPECT_FALSE(c.apply(&written, &read));
        EXPECT_FALSE(written);
        EXPECT_TRUE(ProxyRecorder::writes.empty());
        EXPECT_EQ(ProxyRecorder::connection, users);
        EXPECT_EQ(ProxyRecorder::closed, 1);
    }
}

// Where the system keeps the connection type the user chose apart from the one in force (an
// automatic detection that found nothing is in force as direct), the choice is what is read and
// put back; a system that refuses to be asked for it gives the type in force. Either goes back as
// the connection type, which every system takes.
TEST(ProxyOptions, TheConnectionTypeIsReadAsTheUserChoseItAndPutBackAsThat) {
    constexpr DWORD chosen = PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT;
    constexpr DWORD inForce = PROXY_TYPE_DIRECT;
    const struct {
        const char* name;
        std::optional<DWORD> choice;
        DWORD read;
    } systems[] = {
        {"a system that keeps the choice", chosen, chosen},
        {"a system that refuses to be asked for it", std::nullopt, inForce},
    };
    for (const auto& s : systems) {
        for (const bool processWide : {true, false}) {
            SCOPED_TRACE(std::string(s.name) + (processWide ? ", the user's" : ", a session's"));
            ProxyRecorder::Reset();
            ProxyRecorder::connection = {inForce, std::nullopt, L"*.corp", std::nullopt};
            ProxyRecorder::chosenFlags = s.choice;
            TProxyConnectionSettings before;
            bool written = false;
            EXPECT_TRUE(processWide
                            ? ApplyProxyServer(L"", L"p:81", L"", kProxyDouble, &written, &before)
                            : ApplyProxyAutoConfig(L"", L"http://pac/x.pac", kProxyDouble, &written,
                                                   &before));
            EXPECT_TRUE(written);
            EXPECT_EQ(before.Flags, s.read);
            EXPECT_EQ(before.Bypass, std::optional<std::wstring>(L"*.corp"));
            const HINTERNET h = processWide ? nullptr : kSession;
            EXPECT_EQ(ProxyRecorder::queried, (Queries{{h, kChosenFlags}, {h, kFlags}}));

            ProxyRecorder::writes.clear();
            EXPECT_TRUE(ResetProxyServer(before, processWide, kProxyDouble));
            ASSERT_FALSE(ProxyRecorder::writes.empty());
            EXPECT_EQ(ProxyRecorder::writes[0].values[0],
                      (std::pair<DWORD, std::wstring>{kFlags, std::to_wstring(s.read)}));
            EXPECT_EQ(ProxyRecorder::connection.Flags, s.read);
        }
    }
}

TEST(ProxyOptions, RefreshProxyAndTheShutdownResetEveryScopeAWriteReached) {
    Layout l;
    TProxySettings& proxy = l.wb->ProxySettings();
    proxy.Calls = &kProxyDouble;
    BrowserModuleFlags() = {};

    ProxyRecorder::Reset();
    proxy.Address = L"10.0.0.1";
    proxy.Port = 8080;
    proxy.Bypass = L"*.local";
    l.wb->RefreshProxy();
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kFlags, L"2"}, {kServer, L"10.0.0.1:8080"}, {kBypass, L"*.local"}}));
    EXPECT_TRUE(BrowserModuleFlags().ProxyChangedProcessWide);

    // A later failing write undoes nothing: the reset is still owed.
    ProxyRecorder::Reset();
    ProxyRecorder::writeFails = true;
    EXPECT_FALSE(proxy.SetProxy(L"", L"x", L""));
    EXPECT_TRUE(BrowserModuleFlags().ProxyChangedProcessWide);

    ProxyRecorder::Reset();
    proxy.UserName = L"user";
    l.wb->RefreshProxy(); // with a user name: the login form, on a session
    EXPECT_EQ(ProxyRecorder::writes[0].handle, kSession);
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kFlags, L"3"}, {kServer, L"10.0.0.1:8080"}, {kBypass, L"<local>"}}));
    EXPECT_TRUE(BrowserModuleFlags().ProxyChangedOnHandle);

    // Loading with AutoLoadProxy applies the settings.
    ProxyRecorder::Reset();
    proxy.AutoLoadProxy = true;
    l.wb->LoadSettings();
    EXPECT_EQ(ProxyRecorder::writes.size(), 2u);
    BrowserModuleFlags() = {};
}

// The reload after the write fails on this platform's user settings; the write itself has
// changed them, so the reset at the end is owed all the same.
TEST(ProxyOptions, AWriteThatWentThroughOwesTheResetWhateverTheReloadSays) {
    TProxySettings proxy;
    proxy.Calls = &kProxyDouble;
    const struct {
        const char* name;
        std::function<bool()> set;
        bool TBrowserModuleFlags::*scope;
    } cases[] = {
        {"proxy", [&] { return proxy.SetProxy(L"", L"p:81", L""); },
         &TBrowserModuleFlags::ProxyChangedProcessWide},
        {"proxy with login", [&] { return proxy.SetProxy(L"", L"p", L"u", L"w", 81); },
         &TBrowserModuleFlags::ProxyChangedOnHandle},
        {"script", [&] { return proxy.SetProxyFromPAC(L"", L"http://pac/x.pac"); },
         &TBrowserModuleFlags::ProxyChangedOnHandle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BrowserModuleFlags() = {};
        ProxyRecorder::Reset();
        ProxyRecorder::reloadFails = true;
        EXPECT_FALSE(c.set()) << "the result stays: both succeeded";
        EXPECT_EQ(ProxyRecorder::writes.size(), 2u);
        EXPECT_TRUE(BrowserModuleFlags().*c.scope);
        // A write that did not go through owes nothing.
        BrowserModuleFlags() = {};
        ProxyRecorder::Reset();
        ProxyRecorder::writeFails = true;
        EXPECT_FALSE(c.set());
        EXPECT_FALSE(BrowserModuleFlags().*c.scope);
    }
    BrowserModuleFlags() = {};
}

// --- navigation sound and version ---------------------------------------------------------------

TEST(StoredSettings, NavigationSoundIsMovedAsideAndBackLeavingTheKeyAsItWas) {
    const std::wstring nav = L"AppEvents\\Schemes\\Apps\\Explorer\\Navigating";
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(nav + L"\\.Current", true));
    reg.WriteString(L"", L"C:\\sounds\\click.wav");
    reg.CloseKey();

    SetNavigationSoundScheme(true);
    EXPECT_FALSE(reg.KeyExists(nav + L"\\.Current"));
    ASSERT_TRUE(reg.OpenKeyReadOnly(nav + L"\\Old_Current"));
    EXPECT_EQ(reg.ReadString(L""), L"C:\\sounds\\click.wav");
    reg.CloseKey();
    SetNavigationSoundScheme(false);
    EXPECT_FALSE(reg.KeyExists(nav + L"\\Old_Current"));
    ASSERT_TRUE(reg.OpenKeyReadOnly(nav + L"\\.Current"));
    EXPECT_EQ(reg.ReadString(L""), L"C:\\sounds\\click.wav");
    reg.CloseKey();
    SetNavigationSoundScheme(false); // nothing to move back: nothing happens
    EXPECT_TRUE(reg.KeyExists(nav + L"\\.Current"));
    (void)reg.DeleteKey(nav);
    SetNavigationSoundScheme(true); // no sound at all: nothing is made
    EXPECT_FALSE(reg.KeyExists(nav + L"\\Old_Current"));
}

TEST(StoredSettings, MajorVersionIsTheTextUpToItsFirstDot) {
    struct Case {
        const wchar_t* text;
        int major;
    } const cases[] = {{L"8.00.7601.17601", 8},
                       {L"11.0.9600", 11},
                       {L"", -1},
                       {L"8", -1},
                       {L"x.1", -1},
                       {L".5", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(MajorVersionOf(c.text), c.major)
            << ::testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(GetBrowserMajorVersion(), 8); // this platform's browser library
}

TEST(StoredSettings, DisableNavSoundFromVersionSevenOnSwitchesTheFeatureForTheProcess) {
    Layout l;
    l.wb->VisualEffects().DisableSounds = true;
    BrowserModuleFlags().NavSoundOff = false;
    l.wb->LoadSettings();
    EXPECT_TRUE(BrowserModuleFlags().NavSoundOff);
    EXPECT_EQ(IsInternetFeatureEnabled(TInternetFeatureList::DisableNavigationSounds, 2), S_OK);
    BrowserModuleFlags().NavSoundOff = false;
}

// --- module shutdown ----------------------------------------------------------------------------

std::vector<std::string> ShutdownCalls;
bool ResetDouble(const TProxyConnectionSettings&, bool processWide) noexcept {
    ShutdownCalls.push_back(processWide ? "proxy: user" : "proxy: session");
    return true;
}
// The system's reset, made through the recorder's connection.
bool ResetThroughRecorder(const TProxyConnectionSettings& before, bool processWide) noexcept {
    return ResetProxyServer(before, processWide, kProxyDouble);
}
void SoundDouble(bool disable) noexcept {
    ShutdownCalls.push_back(disable ? "sound off" : "sound on");
}

// Runs last: it takes the module down.
TEST(ZModule, ShutdownPutsBackWhatTheComponentChangedThenTheControlWord) {
    const std::uint16_t saved = SavedControlWord();
    Set8087CW(0x133F);
    BrowserModuleFlags().ProxyChangedProcessWide = true;
    BrowserModuleFlags().ProxyChangedOnHandle = true;
    BrowserModuleFlags().NavSoundOff = true;
    BrowserModuleShutdown({&ResetDouble, &SoundDouble});
    EXPECT_EQ(ShutdownCalls,
              (std::vector<std::string>{"proxy: user", "proxy: session", "sound on"}));
    EXPECT_EQ(Get8087CW(), saved);
    EXPECT_FALSE(THWBFocusControl::Hooked());

    // Nothing changed: nothing put back.
    ShutdownCalls.clear();
    BrowserModuleStartup();
    BrowserModuleShutdown({&ResetDouble, &SoundDouble});
    EXPECT_TRUE(ShutdownCalls.empty());

    // A login-form write that went through, though its reload failed, is reset at the end.
    ShutdownCalls.clear();
    BrowserModuleStartup();
    TProxySettings proxy;
    proxy.Calls = &kProxyDouble;
    ProxyRecorder::Reset();
    ProxyRecorder::reloadFails = true;
    EXPECT_FALSE(proxy.SetProxy(L"", L"proxy", L"user", L"word", 8080));
    ASSERT_FALSE(ProxyRecorder::writes.empty());
    EXPECT_EQ(ProxyRecorder::writes[0].values,
              (Values{{kFlags, L"3"}, {kServer, L"proxy:8080"}, {kBypass, L"<local>"}}));
    BrowserModuleShutdown({&ResetDouble, &SoundDouble});
    EXPECT_EQ(ShutdownCalls, std::vector<std::string>{"proxy: session"});
    BrowserModuleStartup(); // for the application's teardown
}

// The user's own connection (an automatic configuration script found by auto-detection) comes
// back at the end exactly as it was before the program's first write, however many followed.
TEST(ZModule, TheUsersOwnProxySettingsComeBackAtShutdownAsTheyWereBeforeTheFirstWrite) {
    const TProxyConnectionSettings users{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL |
                                             PROXY_TYPE_AUTO_DETECT,
                                         std::nullopt, L"*.corp", L"http://wpad/proxy.pac"};
    for (const bool processWide : {true, false}) {
        SCOPED_TRACE(processWide ? "the user's settings" : "a session's");
        BrowserModuleStartup();
        ProxyRecorder::Reset();
        ProxyRecorder::connection = users;
        TProxySettings proxy;
        proxy.Calls = &kProxyDouble;
        if (processWide) {
            EXPECT_TRUE(proxy.SetProxy(L"", L"10.0.0.1:8080", L"*.local"));
            EXPECT_TRUE(proxy.SetProxy(L"", L"10.0.0.2:8080", L""));
        } else {
            EXPECT_TRUE(proxy.SetProxyFromPAC(L"", L"http://pac/x.pac"));
            EXPECT_TRUE(proxy.SetProxy(L"", L"10.0.0.1", L"user", L"word", 8080));
        }
        EXPECT_EQ(ProxyRecorder::queried.size(), 2u)
            << "only the first write reads (the user's choice, then the options)";
        ASSERT_NE(ProxyRecorder::connection, users);
        BrowserModuleShutdown({&ResetThroughRecorder, &SoundDouble});
        EXPECT_EQ(ProxyRecorder::connection, users);
        EXPECT_EQ(ProxyRecorder::writes.back().handle, processWide ? nullptr : kSession);
    }
    // A scope whose settings cannot be read is left as it was, and owes nothing.
    BrowserModuleStartup();
    ProxyRecorder::Reset();
    ProxyRecorder::connection = users;
    ProxyRecorder::queryFails = true;
    TProxySettings proxy;
    proxy.Calls = &kProxyDouble;
    EXPECT_FALSE(proxy.SetProxy(L"", L"10.0.0.1:8080", L""));
    EXPECT_FALSE(BrowserModuleFlags().ProxyChangedProcessWide);
    EXPECT_TRUE(ProxyRecorder::writes.empty());
    ShutdownCalls.clear();
    BrowserModuleShutdown({&ResetDouble, &SoundDouble});
    EXPECT_TRUE(ShutdownCalls.empty());
    EXPECT_EQ(ProxyRecorder::connection, users);
    BrowserModuleStartup(); // for the application's teardown
}

// A logoff may end the process as soon as the session-end message returns, without the shutdown:
// the user's settings are put back then, at once, and the shutdown owes nothing more.
TEST(ZModule, TheUsersOwnProxySettingsComeBackWhenTheSessionEndsAndOnlyThen) {
    const TProxyConnectionSettings users{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, L"corp:3128",
                                         L"*.corp", std::nullopt};
    const HWND app = Application->Handle();
    ASSERT_NE(app, nullptr);
    BrowserModuleShutdown({&ResetDouble, &SoundDouble});
    struct Restart {
        ~Restart() { BrowserModuleStartup(); } // for the application's teardown
    } restart;
    for (const bool processWide : {true, false}) {
        SCOPED_TRACE(processWide ? "the user's settings" : "a session's");
        BrowserModuleStartup({&ResetThroughRecorder, &SoundDouble});
        ProxyRecorder::Reset();
        ProxyRecorder::connection = users;
        TProxySettings proxy;
        proxy.Calls = &kProxyDouble;
        EXPECT_TRUE(processWide ? proxy.SetProxy(L"", L"10.0.0.1:8080", L"")
                                : proxy.SetProxyFromPAC(L"", L"http://pac/x.pac"));
        ASSERT_NE(ProxyRecorder::connection, users);
        BrowserModuleFlags().NavSoundOff = true; // as a component with sounds off leaves it
        const std::size_t written = ProxyRecorder::writes.size();
        ShutdownCalls.clear();

        ::SendMessageW(app, WM_QUERYENDSESSION, 0, 0);
        ::SendMessageW(app, WM_ENDSESSION, FALSE, 0); // the session goes on
        EXPECT_EQ(ProxyRecorder::writes.size(), written);
        EXPECT_NE(ProxyRecorder::connection, users);
        EXPECT_TRUE(ShutdownCalls.empty());

        ::SendMessageW(app, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(ProxyRecorder::connection, users);
        ASSERT_GT(ProxyRecorder::writes.size(), written);
        EXPECT_EQ(ProxyRecorder::writes[written].handle, processWide ? nullptr : kSession);
        EXPECT_EQ(ShutdownCalls, std::vector<std::string>{"sound on"});

        ShutdownCalls.clear();
        BrowserModuleShutdown({&ResetDouble, &SoundDouble});
        EXPECT_TRUE(ShutdownCalls.empty()) << "put back once";
    }
    // Put back it could not be (no session to write with): the shutdown, should it come, still
    // owes it.
    BrowserModuleStartup({&ResetThroughRecorder, &SoundDouble});
    ProxyRecorder::Reset();
    ProxyRecorder::connection = users;
    TProxySettings proxy;
    proxy.Calls = &kProxyDouble;
    EXPECT_TRUE(proxy.SetProxy(L"", L"10.0.0.1:8080", L""));
    ProxyRecorder::openFails = true;
    ::SendMessageW(app, WM_ENDSESSION, TRUE, 0);
    EXPECT_NE(ProxyRecorder::connection, users);
    ProxyRecorder::openFails = false;
    BrowserModuleShutdown({&ResetThroughRecorder, &SoundDouble});
    EXPECT_EQ(ProxyRecorder::connection, users);
}

// --- freed during its own dialog ----------------------------------------------------------------

// The class library's dialogs and boxes as the spy answers them, each first running WhileUp, as
// its modal loop runs the program's messages; the table found is back afterwards.
class DialogsThatRunMessages {
public:
    DialogsThatRunMessages() : FSaved(DialogCalls()) {
        Inner = FSaved;
        DialogCalls() = {&Box, &Input, &Open, &Save, &Folder};
    }
    DialogsThatRunMessages(const DialogsThatRunMessages&) = delete;
    DialogsThatRunMessages& operator=(const DialogsThatRunMessages&) = delete;
    ~DialogsThatRunMessages() {
        DialogCalls() = FSaved;
        WhileUp = nullptr;
    }
    static inline std::function<void()> WhileUp;

private:
    static void Run() {
        if (WhileUp) WhileUp();
    }
    static int WINAPI Box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
        Run();
        return Inner.MessageBoxW(owner, text, caption, flags);
    }
    static bool Input(const std::wstring& caption, const std::wstring& prompt,
                      std::wstring& value) {
        Run();
        return Inner.InputQuery(caption, prompt, value);
    }
    static bool Open(TFileDialogRequest& request) {
        Run();
        return Inner.OpenFile(request);
    }
    static bool Save(TFileDialogRequest& request) {
        Run();
        return Inner.SaveFile(request);
    }
    static bool Folder(HWND owner, const std::wstring& title, std::wstring& folder) {
        Run();
        return Inner.SelectDirectory(owner, title, folder);
    }
    static inline TDialogCalls Inner{};
    TDialogCalls FSaved;
};

// A control whose about box runs the program's messages and then fails, as one without a box of
// its own would.
class AboutBoxBrowser : public test::FakeBrowser {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* argErr) override {
        if (id != DISPID_ABOUTBOX)
            return FakeBrowser::Invoke(id, iid, lcid, flags, params, result, excep, argErr);
        if (commands.running) commands.running(0);
        return E_NOTIMPL;
    }
};

// The favourites dialog runs the program's messages and answers that it was shown.
struct FavouritesThatRunMessages {
    static HINSTANCE WINAPI Execute(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
        return nullptr;
    }
    static BOOL WINAPI Organise(HWND, LPSTR) {
        if (DialogsThatRunMessages::WhileUp) DialogsThatRunMessages::WhileUp();
        return TRUE;
    }
    static HRESULT Helper(IShellUIHelper**) { return E_NOTIMPL; }
};
const ShellCalls kFavouritesThatRunMessages{&FavouritesThatRunMessages::Execute,
                                            &FavouritesThatRunMessages::Organise,
                                            &FavouritesThatRunMessages::Helper};

// The proxy's bypass box runs the program's messages; the rest is the recorder's.
void ShowBypassRunningMessages(const std::wstring& text) {
    if (DialogsThatRunMessages::WhileUp) DialogsThatRunMessages::WhileUp();
    ProxyRecorder::Show(text);
}
const TProxyCalls kProxyWithBoxThatRunsMessages{
    &ProxyRecorder::Open,        &ProxyRecorder::Connect, &ProxyRecorder::SetOption,
    &ProxyRecorder::QueryOption, &ProxyRecorder::Close,   &ShowBypassRunningMessages};

// A shown form with a browser whose freed block is kept and poisoned, showing a complete page of
// doubles that outlive it, so that whatever reaches the page afterwards shows. The first dialog,
// box or command that runs the program's messages dispatches the form's release, which frees the
// browser with the form.
struct FreedInDialog {
    test::FakePage<AboutBoxBrowser> page;
    TForm* form;
    WB* wb;
    TLifeToken life;
    FreedInDialog() {
        form = TComponent::Create<TForm>(*Application);
        wb = TComponent::Create<test::Poisoned<WB>>(*form);
        wb->SetParent(form);
        form->Show();
        (void)wb->Handle();
        wb->readyState = 4; // the waits before the dialogs run no messages
        wb->document = page.doc.Dispatch();
        wb->application = page.App();
        wb->browser = &page.browser;
        wb->shell = &kFavouritesThatRunMessages;
        life = wb->Life();
        page.doc.commands.running =
            page.browser.commands.running = [this](DWORD) { RunMessages(); };
        DialogsThatRunMessages::WhileUp = [this] { RunMessages(); };
    }
    FreedInDialog(const FreedInDialog&) = delete;
    FreedInDialog& operator=(const FreedInDialog&) = delete;
    ~FreedInDialog() {
        DialogsThatRunMessages::WhileUp = nullptr;
        if (life.Alive()) TComponent::Free(form);
    }
    void RunMessages() {
        if (!life.Alive()) return;
        form->Release();
        Application->ProcessMessages();
    }
};

// Every operation that shows a dialog or a box, or runs a command that may show one: freed while
// it is up, the operation gives its empty answer and touches nothing of the component or its
// control afterwards (a read of a freed pointer would fault, a write would show in the poisoned
// block, a call would reach the page's doubles). Work that no longer needs the component (a text
// already read and saved to the chosen file, the proxy write) finishes.
TEST(HostedWB, AnOperationWhoseDialogFreesTheComponentGivesItsEmptyAnswerAndTouchesNothing) {
    const test::DialogCallsSpy spy;
    const DialogsThatRunMessages dialogs;
    const test::PreviewCallsSpy preview;
    const test::ClassWindow previewWindow(kPrintPreviewClass);
    const tn::testing::TempDir dir;
    const std::wstring file = dir.File(L"chosen.htm");
    BrowserModuleFlags() = {};
    struct Case {
        const char* name;
        std::function<void(FreedInDialog&)> run;
    };
    const Case cases[] = {
        {"Print",
         [](FreedInDialog& f) {
             f.wb->PrintOptions().Enabled = true; // the plain print command
             f.wb->Print();
             EXPECT_EQ(f.page.browser.commands.calls.size(), 1u);
         }},
        {"PrintWithOptions",
         [](FreedInDialog& f) {
             f.wb->PrintWithOptions();
             EXPECT_EQ(f.page.doc.commands.calls.size(), 1u) << "the page setup";
             EXPECT_TRUE(f.page.browser.commands.calls.empty()) << "nothing printed";
         }},
        {"PageSetup", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->PageSetup(true)); }},
        {"PrintSetup", [](FreedInDialog& f) { f.wb->PrintSetup(); }},
        {"PrintPreview", [](FreedInDialog& f) { f.wb->PrintPreview(); }},
        {"PrintPreviewExtended",
         [&](FreedInDialog& f) {
             test::PreviewCallsSpy::Foreground = {previewWindow.get()};
             test::PreviewCallsSpy::Elapsed = {0, 8000};
             f.wb->PrintPreviewExtended(SW_SHOW);
             EXPECT_EQ(test::PreviewCallsSpy::Polls, 0) << "no wait for a preview gone with it";
             EXPECT_TRUE(test::PreviewCallsSpy::Shows.empty());
         }},
        {"PrintPreviewFromTemplate",
         [&](FreedInDialog& f) { f.wb->PrintPreviewFromTemplate(dir.File(L"t.htm")); }},
        {"OpenDialog",
         [&](FreedInDialog& f) {
             test::DialogCallsSpy::FileAnswer = file;
             EXPECT_FALSE(f.wb->OpenDialog());
             EXPECT_TRUE(f.page.browser.navigations.empty());
         }},
        {"SaveDialogEx",
         [&](FreedInDialog& f) {
             test::DialogCallsSpy::FileAnswer = file;
             EXPECT_EQ(f.wb->SaveDialogEx(L"", L""), L"");
             EXPECT_TRUE(f.page.doc.fileSaves.empty());
         }},
        {"SaveDialog", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->SaveDialog()); }},
        {"ShowInternetOptions",
         [](FreedInDialog& f) { EXPECT_FALSE(f.wb->ShowInternetOptions()); }},
        {"ShowPageProperties", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->ShowPageProperties()); }},
        {"ShowFindDialog", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->ShowFindDialog()); }},
        {"ViewPageSourceHtml", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->ViewPageSourceHtml()); }},
        {"SaveImagesDialog",
         [&](FreedInDialog& f) {
             test::FakeElement picture(L"IMG");
             picture.bag.Set(L"src", L"file:///C:/tn-missing/picture.png");
             f.page.images.Add(picture.Dispatch());
             test::DialogCallsSpy::FolderAnswer = dir.File(L"");
             f.wb->SaveImagesDialog();
             EXPECT_FALSE(DirectoryExists(dir.File(L"Images"))) << "nothing saved";
         }},
        {"SavePageTextDialog",
         [&](FreedInDialog& f) {
             test::DialogCallsSpy::FileAnswer = dir.File(L"text.txt");
             f.wb->SavePageTextDialog();
             EXPECT_NE(tn::testing::ReadFileBytes(dir.File(L"text.txt")).find("Hello"),
                       std::string::npos)
                 << "the text read before the dialog is saved all the same";
         }},
        {"ViewPageSourceText", [](FreedInDialog& f) { f.wb->ViewPageSourceText(); }},
        {"SearchAndHighlight, asking",
         [](FreedInDialog& f) {
             test::DialogCallsSpy::InputAnswer = L"Hello";
             f.wb->SearchAndHighlight(L"a", L"Find", L"Text:", {}, L"yellow", L"black",
                                      sivFirstMatch);
             EXPECT_TRUE(f.page.doc.enumFlags.empty()) << "the page is not searched";
         }},
        {"PasteSpecial", [](FreedInDialog& f) { EXPECT_FALSE(f.wb->PasteSpecial()); }},
        {"ShowOrganizeFavorites",
         [](FreedInDialog& f) { EXPECT_FALSE(f.wb->ShowOrganizeFavorites()); }},
        {"ShowAboutBox", [](FreedInDialog& f) { f.wb->ShowAboutBox(); }},
        {"RefreshProxy",
         [](FreedInDialog& f) {
             TProxySettings& proxy = f.wb->ProxySettings();
             proxy.Calls = &kProxyWithBoxThatRunsMessages;
             proxy.UserAgent = L"agent";
             proxy.Address = L"10.0.0.1";
             proxy.Port = 8080;
             proxy.Bypass = L"*.local";
             f.wb->RefreshProxy();
             EXPECT_EQ(ProxyRecorder::shown, std::vector<std::wstring>{L"*.local"});
             ASSERT_FALSE(ProxyRecorder::writes.empty()) << "the settings are written as asked";
             EXPECT_EQ(
                 ProxyRecorder::writes[0].values,
                 (Values{{kFlags, L"2"}, {kServer, L"10.0.0.1:8080"}, {kBypass, L"*.local"}}));
             EXPECT_EQ(ProxyRecorder::agents, std::vector<std::wstring>{L"agent"});
             EXPECT_TRUE(BrowserModuleFlags().ProxyChangedProcessWide)
                 << "and put back at shutdown";
         }},
        {"LoadSettings with AutoLoadProxy",
         [](FreedInDialog& f) {
             TProxySettings& proxy = f.wb->ProxySettings();
             proxy.Calls = &kProxyWithBoxThatRunsMessages;
             proxy.AutoLoadProxy = true;
             f.wb->VisualEffects().DisableSounds = true;
             f.wb->SetHTMLCode({L"about:blank"});
             f.wb->LoadSettings();
             EXPECT_FALSE(BrowserModuleFlags().NavSoundOff) << "the load goes no further";
             EXPECT_TRUE(f.page.browser.navigations.empty());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::DialogCallsSpy::FileAnswer.reset();
        test::DialogCallsSpy::FolderAnswer.reset();
        test::DialogCallsSpy::InputAnswer.reset();
        ProxyRecorder::Reset();
        {
            FreedInDialog f;
            const test::FaultCount faults;
            try {
                c.run(f);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "raised: " << e.what();
            }
            EXPECT_EQ(faults.Value(), 0) << "the freed component was read";
            EXPECT_FALSE(f.life.Alive()) << "freed while its dialog was up";
        }
        EXPECT_TRUE(test::Poisoned<WB>::FreedUntouched());
    }
    BrowserModuleFlags() = {};
}

// Runs last of all: the application cannot run again once told to end.
TEST(ZZTerminating, AWaitEndsWithoutFailingWhenTheApplicationIsTerminating) {
    Layout l;
    Application->Terminate();
    EXPECT_TRUE(l.wb->Wait(0));
    EXPECT_TRUE(l.wb->WaitWhileBusy(0));
}

} // namespace
