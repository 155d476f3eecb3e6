// The focus and mouse-wheel hooks with real windows. The browser's inner windows are plain windows
// of the browser's class names ("Shell Embedding" > "Shell DocObject View" > a document window),
// so that the document window this platform's control never makes is there too.
#include "browser/component/BrowserModule.h"
#include "browser/host/HwbControl.h"

#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::Pump;
using test::PumpUntil;

class AppSetUp : public ::testing::Environment {
public:
    void SetUp() override { Application->Initialize(); }
};
[[maybe_unused]] const auto* const kSetUp = ::testing::AddGlobalTestEnvironment(new AppSetUp);

std::map<HWND, int> WheelsReceived;

LRESULT CALLBACK InnerProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_MOUSEWHEEL) {
        ++WheelsReceived[wnd];
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

HWND InnerWindow(const wchar_t* cls, HWND parent) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &InnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassExW(&wc); // a second registration fails harmlessly
    RECT r{};
    ::GetClientRect(parent, &r);
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, 0, 0, r.right, r.bottom, parent,
                             nullptr, wc.hInstance, nullptr);
}

// A windowed control whose window class is the given name, as the browser components' are.
class Host : public TWinControl {
public:
    Host(TComponent* owner, const wchar_t* cls) : TWinControl(owner), FClass(cls) {
        SetMessageHandler(WM_HWB_REFOCUS, [this](TMessage& m) {
            refocus.push_back(reinterpret_cast<TWinControl*>(m.WParam));
        });
    }
    std::vector<TWinControl*> refocus;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return FClass; }

private:
    const wchar_t* FClass;
};

struct Browser {
    Host* host = nullptr;
    HWND embedding = nullptr, view = nullptr, doc = nullptr;
};

// One form: browsers side by side (the last without a document window, as here) and a plain
// control to hold the focus.
struct BrowserForm {
    explicit BrowserForm(int left, const std::vector<const wchar_t*>& classes = {
                                       L"THostedWB", L"THWBCore", L"THostedWB"}) {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(left, 0, 140 * int(classes.size()) + 140, 200);
        for (std::size_t i = 0; i < classes.size(); ++i) {
            Browser b;
            b.host = TComponent::Create<Host>(*form, classes[i]);
            b.host->SetParent(form);
            b.host->SetBounds(10 + 140 * int(i), 10, 120, 120);
            browsers.push_back(b);
        }
        other = TComponent::Create<TWinControl>(*form);
        other->SetParent(form);
        other->SetBounds(10 + 140 * int(classes.size()), 10, 120, 120);
        form->Show();
        for (std::size_t i = 0; i < browsers.size(); ++i) {
            Browser& b = browsers[i];
            b.embedding = InnerWindow(L"Shell Embedding", b.host->Handle());
            b.view = InnerWindow(L"Shell DocObject View", b.embedding);
            if (i + 1 < browsers.size()) b.doc = InnerWindow(L"TestDocument", b.view);
        }
        Pump();
    }
    ~BrowserForm() { TComponent::Free(form); }
    TForm* form;
    std::vector<Browser> browsers;
    TWinControl* other;
};

POINT CentreOf(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LRESULT Wheel(THWBMouseHook& hook, HWND over, WPARAM msg = WM_MOUSEWHEEL, int code = HC_ACTION) {
    MOUSEHOOKSTRUCT record{};
    record.pt = CentreOf(over);
    record.hwnd = over;
    return hook.MouseHookMethod(code, msg, reinterpret_cast<LPARAM>(&record));
}

constexpr LRESULT Discarded = 2;

TEST(MouseWheelFix, WheelOverAPageWithoutFocusMovesTheFocusThereAndDiscardsThatOneMessage) {
    BrowserForm f(0);
    const Browser& a = f.browsers[0];
    const Browser& b = f.browsers[1];
    const Browser& wine = f.browsers[2];
    struct Case {
        const char* name;
        HWND focus, over;
        bool moves;
    } const cases[] = {
        {"focus in another browser's page", b.doc, a.doc, true},
        {"focus in a plain control", f.other->Handle(), a.doc, true},
        {"focus on the page's own document view", a.view, a.doc, true},
        {"focus already in the page", a.doc, a.doc, false},
        {"wheel over no browser", b.doc, f.other->Handle(), false},
        {"nothing focused", nullptr, a.doc, false},
        // A view without document window that already has the focus: discarding would stop the
        // page from ever scrolling.
        {"focus on the view under the cursor", wine.view, wine.view, false},
        {"focus elsewhere, view under the cursor", a.doc, wine.view, true},
    };
    auto hook = THWBMouseHook::Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::SetFocus(c.focus);
        ASSERT_EQ(::GetFocus(), c.focus);
        EXPECT_EQ(Wheel(*hook, c.over) == Discarded, c.moves);
        EXPECT_EQ(::GetFocus(), c.moves ? c.over : c.focus);
    }
}

TEST(MouseWheelFix, OtherMessagesCodesAndAHandlerThatHandlesLeaveTheFocus) {
    BrowserForm f(0);
    const Browser& a = f.browsers[0];
    auto hook = THWBMouseHook::Create();
    ::SetFocus(f.other->Handle());
    EXPECT_NE(Wheel(*hook, a.doc, WM_MOUSEMOVE), Discarded);
    EXPECT_NE(Wheel(*hook, a.doc, WM_MOUSEWHEEL, HC_NOREMOVE), Discarded);
    std::vector<HWND> seen;
    hook->OnMouseWheel = [&](POINT, HWND wnd, LPARAM, bool& handled) {
        seen.push_back(wnd);
        handled = true;
    };
    EXPECT_NE(Wheel(*hook, a.doc), Discarded);
    EXPECT_EQ(seen, std::vector<HWND>{a.doc});
    EXPECT_EQ(::GetFocus(), f.other->Handle());
    hook->OnMouseWheel = [](POINT, HWND, LPARAM, bool&) { throw std::runtime_error("handler"); };
    EXPECT_EQ(Wheel(*hook, a.doc), Discarded);
    EXPECT_EQ(::GetFocus(), a.doc);
}

TEST(MouseWheelFix, ActiveFormOnlyIgnoresTheWheelOverAnInactiveForm) {
    BrowserForm inactive(0, {L"THostedWB", L"THostedWB"});
    BrowserForm active(450, {L"THostedWB", L"THostedWB"});
    auto hook = THWBMouseHook::Create();
    const HWND page = inactive.browsers[0].doc;
    ASSERT_NE(page, nullptr);
    for (const bool activeFormOnly : {true, false}) {
        SCOPED_TRACE(activeFormOnly);
        ::SetActiveWindow(active.form->Handle());
        ::SetFocus(active.other->Handle());
        hook->FActiveFormOnly = activeFormOnly;
        // The handler's answer is replaced when the control under the cursor has a form.
        hook->OnMouseWheel = [](POINT, HWND, LPARAM, bool& handled) { handled = true; };
        EXPECT_EQ(Wheel(*hook, page) == Discarded, false);
        hook->OnMouseWheel = nullptr;
        EXPECT_EQ(Wheel(*hook, page) == Discarded, !activeFormOnly);
        EXPECT_EQ(::GetFocus(), activeFormOnly ? active.other->Handle() : page);
    }
    // Over the active form the fix works as ever.
    hook->FActiveFormOnly = true;
    hook->OnMouseWheel = [](POINT, HWND, LPARAM, bool& handled) { handled = true; };
    ::SetFocus(inactive.other->Handle());
    EXPECT_EQ(Wheel(*hook, inactive.browsers[0].doc), Discarded);
}

TEST(MouseWheelFix, SwitchingOnTwiceInstallsOneHookAndOffRemovesItAndFreesTheSharedObject) {
    TMouseWheelFix fix(false), second(false);
    fix.SetActive(true);
    THWBMouseHook* const shared = fix.HWBMouseHook();
    ASSERT_NE(shared, nullptr);
    const HHOOK installed = shared->Handle();
    ASSERT_NE(installed, nullptr);
    fix.SetActive(true);
    EXPECT_EQ(fix.HWBMouseHook(), shared);
    EXPECT_EQ(shared->Handle(), installed);

    second.SetActiveFormOnly(true);
    second.SetActive(true);
    EXPECT_EQ(second.HWBMouseHook(), shared);
    EXPECT_TRUE(shared->FActiveFormOnly);
    fix.SetActiveFormOnly(false);
    EXPECT_FALSE(shared->FActiveFormOnly);

    fix.SetActive(false);
    EXPECT_EQ(fix.HWBMouseHook(), nullptr);
    EXPECT_FALSE(fix.Active());
    // The hook is one for the process: off for one fix is off for all.
    EXPECT_EQ(shared->Handle(), nullptr);
    EXPECT_FALSE(::UnhookWindowsHookEx(installed));
    second.SetActive(false);
    EXPECT_EQ(second.HWBMouseHook(), nullptr);
    // The next one is a new object, with the list's defaults.
    auto fresh = THWBMouseHook::Create();
    EXPECT_FALSE(fresh->FActiveFormOnly);
    EXPECT_EQ(fresh->Handle(), nullptr);
}

// Real wheel input through the hook that the module's start-up installs.
TEST(MouseWheelFix, ModuleStartupFixesRealWheelInput) {
    BrowserModuleStartup();
    EXPECT_TRUE(THWBFocusControl::Hooked());
    {
        BrowserForm f(0);
        const Browser& a = f.browsers[0];
        const Browser& b = f.browsers[1];
        ::SetFocus(b.doc);
        const POINT pt = CentreOf(a.doc);
        ASSERT_TRUE(::SetCursorPos(pt.x, pt.y));
        ASSERT_EQ(::WindowFromPoint(pt), a.doc);
        WheelsReceived.clear();
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_WHEEL;
        in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
        ASSERT_EQ(::SendInput(1, &in, sizeof in), 1u);
        ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == a.doc; }));
        Pump();
        EXPECT_TRUE(WheelsReceived.empty());
        // The next turn reaches the page.
        ASSERT_EQ(::SendInput(1, &in, sizeof in), 1u);
        ASSERT_TRUE(PumpUntil([&] { return !WheelsReceived.empty(); }));
        EXPECT_EQ(WheelsReceived, (std::map<HWND, int>{{a.doc, 1}}));
    }
    BrowserModuleShutdown();
    EXPECT_FALSE(THWBFocusControl::Hooked());
    // With the hook gone the wheel goes where the focus is.
    BrowserForm f(0);
    ::SetFocus(f.browsers[1].doc);
    const POINT pt = CentreOf(f.browsers[0].doc);
    ::SetCursorPos(pt.x, pt.y);
    WheelsReceived.clear();
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = WHEEL_DELTA;
    ASSERT_EQ(::SendInput(1, &in, sizeof in), 1u);
    ASSERT_TRUE(PumpUntil([&] { return !WheelsReceived.empty(); }));
    EXPECT_EQ(::GetFocus(), f.browsers[1].doc);
}

struct FocusControlOn {
    FocusControlOn() { control->FocusControl().SetActive(true); }
    TComponent::Owned<THwbControl> control = TComponent::CreateOwned<THwbControl>();
};

WINDOWPOS Pos{};

TEST(FocusControl, ActivationOrAMoveAsksTheActiveFormsUnfocusedBrowserToTakeTheFocus) {
    BrowserForm f(0, {L"THostedWB", L"THWBCore", L"TCustomHostedWB"});
    FocusControlOn on;
    ASSERT_TRUE(THWBFocusControl::Hooked());
    struct Case {
        const char* name;
        UINT msg;
        WPARAM wp;
        LPARAM lp;
        TWinControl* active; // the form's active control
        HWND focus;
        Host* expected;
    } const cases[] = {
        {"move, focus in the page", WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&Pos),
         f.browsers[0].host, f.browsers[0].doc, f.browsers[0].host},
        {"activation message", CM_ACTIVATE, 0, 0, f.browsers[0].host, f.browsers[0].view,
         f.browsers[0].host},
        {"application activated", WM_ACTIVATEAPP, TRUE, 0, f.browsers[1].host, f.browsers[1].doc,
         f.browsers[1].host},
        // The application comes back with the focus on the form itself: the browser that was
        // its active control is still asked to take it.
        {"focus on the form", CM_ACTIVATE, 0, 0, f.browsers[0].host, f.form->Handle(),
         f.browsers[0].host},
        {"application deactivated", WM_ACTIVATEAPP, FALSE, 0, f.browsers[0].host, f.browsers[0].doc,
         nullptr},
        {"another message", WM_MOVE, 0, 0, f.browsers[0].host, f.browsers[0].doc, nullptr},
        {"browser's own window focused", CM_ACTIVATE, 0, 0, f.browsers[0].host,
         f.browsers[0].host->Handle(), nullptr},
        {"not a browser class", CM_ACTIVATE, 0, 0, f.browsers[2].host, f.browsers[2].doc, nullptr},
        {"plain control active", CM_ACTIVATE, 0, 0, f.other, f.browsers[0].doc, nullptr},
        {"no active control", CM_ACTIVATE, 0, 0, nullptr, f.form->Handle(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::SetFocus(c.focus);
        Pump();
        f.form->ControlFocused(c.active);
        for (const Browser& b : f.browsers)
            b.host->refocus.clear();
        ::SendMessageW(Application->Handle(), c.msg, c.wp, c.lp);
        Pump();
        for (const Browser& b : f.browsers)
            EXPECT_EQ(b.host->refocus, b.host == c.expected ? std::vector<TWinControl*>{b.host}
                                                            : std::vector<TWinControl*>{});
    }
}

TEST(FocusControl, SwitchingOffOrFreeingTheComponentRemovesTheApplicationHook) {
    BrowserForm f(0, {L"THostedWB"});
    Host* host = f.browsers[0].host;
    ::SetFocus(f.browsers[0].doc);
    {
        FocusControlOn on;
        on.control->FocusControl().SetActive(true);
        EXPECT_TRUE(THWBFocusControl::Hooked());
        on.control->FocusControl().SetActive(false);
        EXPECT_FALSE(THWBFocusControl::Hooked());
        ::SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
        Pump();
        EXPECT_TRUE(host->refocus.empty());
        on.control->FocusControl().SetActive(true);
        on.control->MouseWheelFix().SetActive(true);
        EXPECT_TRUE(THWBFocusControl::Hooked());
    }
    EXPECT_FALSE(THWBFocusControl::Hooked());
    ::SendMessageW(Application->Handle(), CM_ACTIVATE, 0, 0);
    Pump();
    EXPECT_TRUE(host->refocus.empty());
    // A new component starts with both on as values, but installs nothing by itself.
    const auto control = TComponent::CreateOwned<THwbControl>();
    EXPECT_TRUE(control->FocusControl().Active());
    EXPECT_TRUE(control->MouseWheelFix().Active());
    EXPECT_EQ(control->MouseWheelFix().HWBMouseHook(), nullptr);
    EXPECT_FALSE(THWBFocusControl::Hooked());
}

TEST(HwbControl, LoadedHandsTheWheelEventToTheFix) {
    const auto control = TComponent::CreateOwned<THwbControl>();
    int calls = 0;
    control->SetOnMouseWheel([&](POINT, HWND, LPARAM, bool&) { ++calls; });
    EXPECT_FALSE(control->MouseWheelFix().OnMouseWheel);
    control->Loaded();
    ASSERT_TRUE(control->MouseWheelFix().OnMouseWheel);
    bool handled = false;
    control->MouseWheelFix().OnMouseWheel({}, nullptr, 0, handled);
    EXPECT_EQ(calls, 1);
}

TEST(HwbControl, InternetFeaturesSwitchEveryFeatureAndAnEmptySetChangesNothing) {
    using F = TInternetFeatureList;
    if (IsInternetFeatureEnabled(F::ZoneElevation, 2) == E_NOTIMPL)
        GTEST_SKIP() << "no feature control in the URL moniker library";
    const auto control = TComponent::CreateOwned<THwbControl>();
    const TInternetFeatures chosen{F::ZoneElevation, F::MimeSniffing};
    control->SetInternetFeatures(chosen);
    EXPECT_EQ(control->InternetFeatures(), chosen);
    const TInternetFeatures now = ReadInternetFeatures();
    EXPECT_TRUE(now.Contains(F::ZoneElevation));
    EXPECT_TRUE(now.Contains(F::MimeSniffing));
    EXPECT_FALSE(now.Contains(F::ObjectCaching));
    EXPECT_FALSE(now.Contains(F::MimeHandling));
    control->SetInternetFeatures({});
    EXPECT_TRUE(control->InternetFeatures().Empty());
    EXPECT_EQ(ReadInternetFeatures(), now);
}

} // namespace
