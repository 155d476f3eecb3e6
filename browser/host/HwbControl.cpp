#include "browser/host/HwbControl.h"

#include "classlib/Application.h"
#include "classlib/Forms.h"

namespace tn {

namespace {

// The shared hook object, its construction count, and the hook procedure's way back to it.
THWBMouseHook* SharedMouseHook = nullptr;
int MouseHookCount = 0;

constexpr DWORD SetFeatureOnProcess = 2; // SET_FEATURE_ON_PROCESS
constexpr unsigned FeatureCount = static_cast<unsigned>(TInternetFeatureList::EntryCount) + 1;

bool FormCanFocus(TForm& form) noexcept {
    const HWND wnd = form.HandleIfAllocated();
    return form.Visible() && form.Enabled() && wnd && ::IsWindowVisible(wnd) &&
           ::IsWindowEnabled(wnd);
}

// The form whose window is the active window, when the application is still running.
TForm* ActiveForm() noexcept {
    if (Application->Terminated()) return nullptr;
    auto* form = dynamic_cast<TForm*>(FindControl(::GetActiveWindow()));
    return form && FormCanFocus(*form) ? form : nullptr;
}

bool IsBrowserClass(const std::wstring& name) noexcept {
    return name == L"THostedWB" || name == L"THWBCore";
}

// --- application main-window hook ---------------------------------------------------------------

class TAppHookWindow : public TWinControl {
public:
    explicit TAppHookWindow(TComponent* owner) : TWinControl(owner) {}
    void Activate();
    void Deactivate() noexcept;
    [[nodiscard]] bool HookSet() const noexcept { return FHookSet; }

protected:
    void BeforeDestruction() noexcept override {
        TWinControl::BeforeDestruction();
        Deactivate();
    }

private:
    static bool HookProc(UINT msg) noexcept;
    bool FHookSet = false;
    int FCookie = 0;
};

TComponent::Owned<TAppHookWindow> AppHookWindow;
std::unique_ptr<THWBFocusControl> FocusControlInstance;

void TAppHookWindow::Activate() {
    if (FHookSet) return;
    FCookie = Application->HookMainWindow(
        [](UINT msg, WPARAM, LPARAM, LRESULT&) noexcept { return HookProc(msg); });
    FHookSet = true;
}

void TAppHookWindow::Deactivate() noexcept {
    if (!FHookSet) return;
    Application->UnhookMainWindow(FCookie);
    FHookSet = false;
}

bool TAppHookWindow::HookProc(UINT msg) noexcept {
    if (msg != WM_WINDOWPOSCHANGING && msg != CM_ACTIVATE) return false;
    TForm* form = ActiveForm();
    if (!form) return false;
    TWinControl* control = form->ActiveControl();
    if (!control) return false;
    const HWND wnd = control->HandleIfAllocated();
    try {
        if (!IsBrowserClass(GetWindowClassName(wnd))) return false;
    } catch (...) {
        return false; // no memory for a class name: nothing to refocus
    }
    if (wnd != ::GetFocus())
        ::PostMessageW(wnd, WM_HWB_REFOCUS, reinterpret_cast<WPARAM>(control), 0);
    return false;
}

} // namespace

// --- THWBMouseHook ------------------------------------------------------------------------------

THWBMouseHook::Ref THWBMouseHook::Create() {
    if (!SharedMouseHook) SharedMouseHook = new THWBMouseHook;
    ++MouseHookCount;
    return Ref(SharedMouseHook);
}

void THWBMouseHook::Releaser::operator()(THWBMouseHook* hook) const noexcept {
    if (!hook || hook != SharedMouseHook || --MouseHookCount > 0) return;
    SharedMouseHook = nullptr;
    delete hook;
}

THWBMouseHook::~THWBMouseHook() {
    // A hook the system refused to remove earlier must not outlive the object it calls.
    Deactivate();
}

bool THWBMouseHook::Activate() noexcept {
    if (FMouseHook) return true;
    FMouseHook = ::SetWindowsHookExW(WH_MOUSE, &THWBMouseHook::FMouseHookProc, nullptr,
                                     ::GetCurrentThreadId());
    return FMouseHook != nullptr;
}

bool THWBMouseHook::Deactivate() noexcept {
    if (!FMouseHook) return true;
    if (!::UnhookWindowsHookEx(FMouseHook)) return false;
    FMouseHook = nullptr;
    return true;
}

LRESULT CALLBACK THWBMouseHook::FMouseHookProc(int nCode, WPARAM wp, LPARAM lp) noexcept {
    if (SharedMouseHook) return SharedMouseHook->MouseHookMethod(nCode, wp, lp);
    return ::CallNextHookEx(nullptr, nCode, wp, lp);
}

LRESULT THWBMouseHook::MouseHookMethod(int nCode, WPARAM wp, LPARAM lp) noexcept {
    if (nCode < 0) return ::CallNextHookEx(FMouseHook, nCode, wp, lp);
    bool handled = false;
    if (wp == WM_MOUSEWHEEL && nCode == HC_ACTION) {
        const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->pt;
        const HWND target = ::WindowFromPoint(pt);
        bool skip = false;
        if (OnMouseWheel) {
            try {
                OnMouseWheel(pt, target, lp, skip);
            } catch (...) {
                // A failing handler must not unwind into the system's hook chain.
            }
        }
        if (FActiveFormOnly) {
            TWinControl* control = FindControlAtOrAbove(target);
            if (TForm* form = GetParentForm(control); control && form)
                skip = form->HandleIfAllocated() != ::GetActiveWindow();
        }
        const HWND focus = ::GetFocus();
        // A focus already on the window under the cursor is left alone: discarding the wheel
        // there would stop the page from ever scrolling.
        if (!skip && target && focus && target != focus) {
            const HWND browserOfTarget = FindParentByClassName(target, L"Shell Embedding");
            if (browserOfTarget) {
                const HWND browserOfFocus = FindParentByClassName(focus, L"Shell Embedding");
                bool moveFocus = browserOfTarget != browserOfFocus;
                if (!moveFocus) {
                    try {
                        moveFocus = GetWindowClassName(focus) == L"Shell DocObject View";
                    } catch (...) {
                        moveFocus = false; // no memory for a class name: leave the focus
                    }
                }
                if (moveFocus) {
                    ::SetFocus(target);
                    handled = true;
                }
            }
        }
    }
    if (handled) return 2;
    return ::CallNextHookEx(FMouseHook, nCode, wp, lp);
}

// --- TMouseWheelFix, TFocusControl --------------------------------------------------------------

void TMouseWheelFix::SetActive(bool value) {
    FActive = value;
    if (FDesignMode) return;
    if (value) {
        if (FHWBMouseHook) return;
        FHWBMouseHook = THWBMouseHook::Create();
        FHWBMouseHook->OnMouseWheel = OnMouseWheel;
        FHWBMouseHook->FActiveFormOnly = FActiveFormOnly;
        (void)FHWBMouseHook->Activate(); // without the hook the wheel simply goes unfixed
    } else if (FHWBMouseHook) {
        (void)FHWBMouseHook->Deactivate();
        FHWBMouseHook.reset();
    }
}

void TMouseWheelFix::SetActiveFormOnly(bool value) noexcept {
    FActiveFormOnly = value;
    if (FHWBMouseHook) FHWBMouseHook->FActiveFormOnly = value;
}

void TFocusControl::SetActive(bool value) {
    FActive = value;
    if (!FDesignMode) THWBFocusControl::Activate(value);
}

// --- THWBFocusControl ---------------------------------------------------------------------------

THWBFocusControl::THWBFocusControl() {
    if (!AppHookWindow) {
        AppHookWindow = TComponent::CreateOwned<TAppHookWindow>();
        AppHookWindow->Activate();
    }
}

void THWBFocusControl::Activate(bool Value) {
    if (!Value) {
        AppHookWindow.reset();
        FocusControlInstance.reset();
    } else if (!FocusControlInstance) {
        FocusControlInstance = std::make_unique<THWBFocusControl>();
    }
}

bool THWBFocusControl::Hooked() noexcept {
    return AppHookWindow && AppHookWindow->HookSet();
}

// --- THwbControl --------------------------------------------------------------------------------

THwbControl::THwbControl(TComponent* owner) : TComponent(owner), FDesignMode(false) {
    // Active is set directly: the constructor installs no hook.
    FMouseWheelFix = std::make_unique<TMouseWheelFix>(FDesignMode);
    FFocusControl = std::make_unique<TFocusControl>(FDesignMode);
    if (FDesignMode) FInternetFeatures = ReadInternetFeatures();
}

void THwbControl::BeforeDestruction() noexcept {
    if (!FDesignMode) {
        try {
            FMouseWheelFix->SetActive(false);
            FMouseWheelFix.reset();
            FFocusControl->SetActive(false);
            FFocusControl.reset();
        } catch (...) {
            // Switching off frees objects only; nothing here is expected to raise.
        }
    }
    TComponent::BeforeDestruction();
}

void THwbControl::Loaded() {
    if (FOnMouseWheel) FMouseWheelFix->OnMouseWheel = FOnMouseWheel;
}

void THwbControl::SetInternetFeatures(TInternetFeatures value) noexcept {
    FInternetFeatures = value;
    if (value.Empty()) return;
    for (unsigned i = 0; i < FeatureCount; ++i) {
        const auto feature = static_cast<TInternetFeatureList>(i);
        // A feature the library does not know keeps its state; there is nothing to report to.
        (void)SetInternetFeatureEnabled(feature, SetFeatureOnProcess, value.Contains(feature));
    }
}

TInternetFeatures ReadInternetFeatures() noexcept {
    TInternetFeatures features;
    for (unsigned i = 0; i < FeatureCount; ++i) {
        const auto feature = static_cast<TInternetFeatureList>(i);
        if (IsInternetFeatureEnabled(feature, SetFeatureOnProcess) == S_OK)
            features.Include(feature);
    }
    return features;
}

} // namespace tn
