// The focus model of forms and controls, hooks on a control's window procedure, key messages
// offered to controls before dispatch (with an ActiveX host handing them to the in-place
// object), and the simple message box.
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/OleControl.h"

#include "tests/support/ComDoubles.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <exdisp.h>

#include <string>
#include <vector>

namespace {

using namespace tn;
using test::LoopUntil;
using test::PumpUntil;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"Focus test"));

void Activate(TForm* form) {
    ::SetForegroundWindow(form->Handle());
    ::SetActiveWindow(form->Handle());
    ASSERT_TRUE(LoopUntil([&] { return ::GetActiveWindow() == form->Handle(); }));
}

struct TwoControls {
    TwoControls() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(50, 50, 300, 200);
        panel = TComponent::Create<TWinControl>(*form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 300, 100);
        a = TComponent::Create<TWinControl>(*form);
        a->SetParent(panel);
        a->SetBounds(10, 10, 50, 50);
        b = TComponent::Create<TWinControl>(*form);
        b->SetParent(form);
        b->SetBounds(100, 110, 50, 50);
        form->Show();
    }
    ~TwoControls() { TComponent::Free(form); }
    TForm* form;
    TWinControl* panel;
    TWinControl* a;
    TWinControl* b;
};

TEST(Focus, TheFormGivesTheFocusBackToTheControlThatLastHadIt) {
    TwoControls f;
    Activate(f.form);
    f.b->SetFocus();
    EXPECT_EQ(::GetFocus(), f.b->Handle());
    EXPECT_TRUE(f.b->Focused());
    EXPECT_EQ(f.form->ActiveControl(), f.b);

    // Focus given by the system (a click) makes the control the active one too.
    ::SetFocus(f.a->Handle());
    LoopUntil([] { return true; }, 0);
    EXPECT_EQ(f.form->ActiveControl(), f.a);
    EXPECT_FALSE(f.b->Focused());

    // Another window takes the activation; coming back, the form hands the focus to a again.
    TForm* other = TComponent::Create<TForm>(*Application);
    other->SetBounds(400, 50, 100, 100);
    other->Show();
    Activate(other);
    EXPECT_NE(::GetFocus(), f.a->Handle());
    EXPECT_EQ(f.form->ActiveControl(), f.a);
    Activate(f.form);
    EXPECT_EQ(::GetFocus(), f.a->Handle());

    // Set while another form is active: remembered, focused at the next activation.
    Activate(other);
    f.b->SetFocus();
    EXPECT_EQ(f.form->ActiveControl(), f.b);
    EXPECT_NE(::GetFocus(), f.b->Handle());
    Activate(f.form);
    EXPECT_EQ(::GetFocus(), f.b->Handle());
    TComponent::Free(other);
}

TEST(Focus, CanFocusNeedsAFormAndEveryParentVisibleAndEnabled) {
    TwoControls f;
    EXPECT_TRUE(f.a->CanFocus());
    f.panel->SetEnabled(false);
    EXPECT_FALSE(f.a->CanFocus());
    EXPECT_TRUE(f.b->CanFocus());
    f.panel->SetEnabled(true);
    f.panel->Hide();
    EXPECT_FALSE(f.a->CanFocus());
    f.panel->Show();
    f.form->Hide();
    EXPECT_FALSE(f.b->CanFocus());
    f.form->Show();
    const auto loose = TComponent::CreateOwned<TWinControl>();
    EXPECT_FALSE(loose->CanFocus());
}

TEST(Focus, AControlThatLeavesItsFormOrIsFreedIsNoLongerItsActiveControl) {
    TwoControls f;
    Activate(f.form);
    f.a->SetFocus();
    ASSERT_EQ(f.form->ActiveControl(), f.a);
    TComponent::Free(f.panel); // a lies inside it
    EXPECT_EQ(f.form->ActiveControl(), nullptr);
    f.b->SetFocus();
    f.b->SetParent(nullptr);
    EXPECT_EQ(f.form->ActiveControl(), nullptr);
    Activate(f.form); // nothing to hand the focus to: no stale pointer is touched
    EXPECT_EQ(::GetFocus(), f.form->Handle());
}

TEST(WindowProc, AHookSeesEveryMessageFirstAndChainsToTheProcedureItReplaced) {
    TwoControls f;
    std::vector<UINT> seen;
    const TWndMethod old = f.b->WindowProc();
    f.b->SetWindowProc([&](TMessage& m) {
        if (m.Msg == WM_USER + 1) seen.push_back(m.Msg);
        if (m.Msg == WM_USER + 2) {
            m.Result = 7; // swallowed: the control never sees it
            return;
        }
        old(m);
    });
    f.b->SetMessageHandler(WM_USER + 1, [](TMessage& m) { m.Result = 42; });
    EXPECT_EQ(::SendMessageW(f.b->Handle(), WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(f.b->Perform(WM_USER + 1), 42);
    EXPECT_EQ(f.b->Perform(WM_USER + 2), 7);
    EXPECT_EQ(seen.size(), 2u);
    f.b->SetWindowProc(old);
    EXPECT_EQ(::SendMessageW(f.b->Handle(), WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(seen.size(), 2u);
}

// An in-place object that records the keys offered to it, and the window each was aimed at, and
// takes all but the letter A.
class ActiveObjectDouble : public test::InPlaceObjectStub {
public:
    std::vector<WPARAM> offered;
    std::vector<HWND> windows;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override {
        if (msg->message != WM_KEYDOWN) return S_FALSE;
        offered.push_back(msg->wParam);
        windows.push_back(msg->hwnd);
        return msg->wParam == 'A' ? S_FALSE : S_OK;
    }

protected:
    [[nodiscard]] bool Answers(REFIID iid) const override {
        return iid == IID_IOleWindow || InPlaceObjectStub::Answers(iid);
    }
};

std::vector<WPARAM> KeysAtTarget;
LRESULT CALLBACK TargetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg == WM_KEYDOWN) KeysAtTarget.push_back(wp);
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

HWND KeyTarget(HWND parent, DWORD style = WS_CHILD | WS_VISIBLE) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TargetProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KeyTarget";
    ::RegisterClassExW(&wc); // a second registration fails harmlessly
    return ::CreateWindowExW(0, L"KeyTarget", L"", style, 0, 0, 10, 10, parent, nullptr,
                             wc.hInstance, nullptr);
}

// A form with a hosted control whose in-place object is the double, as the control announces it
// (through the frame of the host's site), and a page window inside the control's window.
struct HostedPage {
    HostedPage() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 400, 300);
        host = TComponent::Create<TOleControl>(*form, CLSID_WebBrowser, DIID_DWebBrowserEvents2);
        host->SetParent(form);
        host->SetBounds(10, 10, 300, 200);
        form->Show();
        ComPtr<IOleInPlaceSite> site;
        EXPECT_EQ(host->ClientSite()->QueryInterface(IID_IOleInPlaceSite, site.put_void()), S_OK);
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        EXPECT_EQ(site->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info), S_OK);
        EXPECT_EQ(frame->SetActiveObject(&object, nullptr), S_OK);
        const HWND inner = ::GetWindow(host->Handle(), GW_CHILD);
        target = KeyTarget(inner ? inner : host->Handle());
        EXPECT_NE(target, nullptr);
        KeysAtTarget.clear();
    }
    HostedPage(const HostedPage&) = delete;
    HostedPage& operator=(const HostedPage&) = delete;
    ~HostedPage() {
        (void)frame->SetActiveObject(nullptr, nullptr);
        TComponent::Free(form);
    }
    TForm* form;
    TOleControl* host;
    ComPtr<IOleInPlaceFrame> frame;
    ActiveObjectDouble object;
    HWND target = nullptr;
};

TEST(KeyMessages, KeysInsideAHostedControlGoToItsInPlaceObjectFirst) {
    HostedPage p;
    const std::vector<WPARAM> keys = {VK_TAB, VK_RETURN, VK_BACK, VK_LEFT, VK_CONTROL, 'C', 'A'};
    for (const WPARAM k : keys)
        ::PostMessageW(p.target, WM_KEYDOWN, k, 1);
    ASSERT_TRUE(LoopUntil([] { return !KeysAtTarget.empty(); }));
    LoopUntil([] { return true; }, 0);
    EXPECT_EQ(p.object.offered, keys);
    EXPECT_EQ(p.object.windows, std::vector<HWND>(keys.size(), p.target));
    EXPECT_EQ(KeysAtTarget, std::vector<WPARAM>{'A'});

    // A window outside any class-library control is never offered.
    p.object.offered.clear();
    KeysAtTarget.clear();
    const HWND loose = KeyTarget(nullptr, WS_POPUP);
    ::PostMessageW(loose, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(LoopUntil([] { return !KeysAtTarget.empty(); }));
    EXPECT_TRUE(p.object.offered.empty());
    ::DestroyWindow(loose);
}

// A control that runs a message loop while a key is being offered to it (a box shown from a key
// handler): after that loop the key still carries its own target window to the in-place object.
TEST(KeyMessages, AKeyOfferedAroundANestedLoopKeepsItsTargetWindow) {
    HostedPage p;
    TwoControls other;
    const TWndMethod proc = p.host->WindowProc();
    p.host->SetWindowProc([&](TMessage& m) {
        if (m.Msg == CN_KEYDOWN && m.WParam == 'N') {
            ::PostMessageW(other.b->Handle(), WM_KEYDOWN, VK_F1, 1);
            Application->ProcessMessages(); // that key is offered to its control meanwhile
        }
        proc(m);
    });
    ::PostMessageW(p.target, WM_KEYDOWN, 'N', 1);
    LoopUntil([] { return true; }, 0);
    p.host->SetWindowProc(proc);
    EXPECT_EQ(p.object.offered, std::vector<WPARAM>{'N'});
    EXPECT_EQ(p.object.windows, std::vector<HWND>{p.target});
}

TEST(KeyMessages, APlainControlTakesNoKeyAndTheWindowGetsIt) {
    TwoControls f;
    std::vector<UINT> offered;
    f.b->SetMessageHandler(CN_KEYDOWN, [&](TMessage& m) {
        offered.push_back(m.Msg);
        f.b->Dispatch(m);
    });
    std::vector<WPARAM> received;
    f.b->SetMessageHandler(WM_KEYDOWN, [&](TMessage& m) { received.push_back(m.WParam); });
    ::PostMessageW(f.b->Handle(), WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(LoopUntil([&] { return !received.empty(); }));
    EXPECT_EQ(offered, std::vector<UINT>{CN_KEYDOWN});
    EXPECT_EQ(received, std::vector<WPARAM>{VK_TAB});
}

struct BoxSeen {
    std::wstring caption;
    bool ok = false, cancel = false;
};
BoxSeen Seen;
void CALLBACK ReadAndCloseBox(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND box = test::ThreadBoxWindow();
    if (!box) return;
    ::KillTimer(nullptr, id);
    wchar_t text[64] = {};
    ::GetWindowTextW(box, text, 64);
    Seen = {text, ::GetDlgItem(box, IDOK) != nullptr, ::GetDlgItem(box, IDCANCEL) != nullptr};
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(ShowMessage, ShowsTheTextUnderTheApplicationsTitleWithOneOkButton) {
    ::SetTimer(nullptr, 0, 50, &ReadAndCloseBox);
    ShowMessage(L"hello");
    EXPECT_EQ(Seen.caption, L"Focus test");
    EXPECT_TRUE(Seen.ok);
    EXPECT_FALSE(Seen.cancel);
}

} // namespace
