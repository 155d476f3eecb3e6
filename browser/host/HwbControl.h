// Two process-wide hooks that keep a hosted browser usable inside a form: the mouse-wheel fix hands
// the focus to the page under the mouse, the focus control asks the active form's browser to take
// the focus back when the application or one of its forms is activated, or a window is moved.
#pragma once

#include "browser/host/EnumSet.h"
#include "browser/host/HwbUtils.h"
#include "classlib/Component.h"
#include "classlib/Controls.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace tn {

// Posted to the active form's browser when it should take the focus back; wParam is the control.
constexpr UINT WM_HWB_REFOCUS = WM_USER + 68;

using TInternetFeatures = TEnumSet<TInternetFeatureList>;

// Setting Handled leaves the focus where it is.
using TMouseWheelEvent = std::function<void(POINT pt, HWND wnd, LPARAM lp, bool& Handled)>;

// The thread mouse hook. Every Create hands out the one shared instance; the last release frees it.
class THWBMouseHook {
public:
    struct Releaser {
        void operator()(THWBMouseHook* hook) const noexcept;
    };
    using Ref = std::unique_ptr<THWBMouseHook, Releaser>;
    [[nodiscard]] static Ref Create();

    THWBMouseHook(const THWBMouseHook&) = delete;
    THWBMouseHook& operator=(const THWBMouseHook&) = delete;

    // Installs the hook for the calling thread; true when it is (or already was) installed.
    bool Activate() noexcept;
    // True when the hook is gone; the handle is kept when the system refuses to remove it.
    bool Deactivate() noexcept;
    [[nodiscard]] HHOOK Handle() const noexcept { return FMouseHook; }

    // The hook procedure, reached through the installed entry with this instance.
    LRESULT MouseHookMethod(int nCode, WPARAM wp, LPARAM lp) noexcept;

    TMouseWheelEvent OnMouseWheel;
    bool FActiveFormOnly = false;

private:
    THWBMouseHook() = default;
    ~THWBMouseHook();
    static LRESULT CALLBACK FMouseHookProc(int nCode, WPARAM wp, LPARAM lp) noexcept;

    HHOOK FMouseHook = nullptr;
};

class TMouseWheelFix : public TObject {
public:
    explicit TMouseWheelFix(bool designMode) noexcept : FDesignMode(designMode) {}

    [[nodiscard]] bool Active() const noexcept { return FActive; }
    void SetActive(bool value);
    [[nodiscard]] bool ActiveFormOnly() const noexcept { return FActiveFormOnly; }
    void SetActiveFormOnly(bool value) noexcept;
    // The shared hook object while the fix is active, else null.
    [[nodiscard]] THWBMouseHook* HWBMouseHook() const noexcept { return FHWBMouseHook.get(); }

    TMouseWheelEvent OnMouseWheel;

private:
    bool FActive = true;
    bool FActiveFormOnly = false;
    THWBMouseHook::Ref FHWBMouseHook;
    bool FDesignMode;
};

class TFocusControl : public TObject {
public:
    explicit TFocusControl(bool designMode) noexcept : FDesignMode(designMode) {}

    [[nodiscard]] bool Active() const noexcept { return FActive; }
    void SetActive(bool value);

private:
    bool FActive = true;
    bool FDesignMode;
};

// Owner of the shared application main-window hook; at most one exists.
class THWBFocusControl : public TObject {
public:
    THWBFocusControl();
    static void Activate(bool Value);
    // Whether the application hook is in place now.
    [[nodiscard]] static bool Hooked() noexcept;
};

class THwbControl : public TComponent {
public:
    explicit THwbControl(TComponent* owner);

    [[nodiscard]] TMouseWheelFix& MouseWheelFix() noexcept { return *FMouseWheelFix; }
    [[nodiscard]] TFocusControl& FocusControl() noexcept { return *FFocusControl; }
    [[nodiscard]] const TMouseWheelEvent& OnMouseWheel() const noexcept { return FOnMouseWheel; }
    void SetOnMouseWheel(TMouseWheelEvent event) { FOnMouseWheel = std::move(event); }
    [[nodiscard]] TInternetFeatures InternetFeatures() const noexcept { return FInternetFeatures; }
    // A non-empty set switches every feature for the process: on exactly for its members.
    void SetInternetFeatures(TInternetFeatures value) noexcept;

    // Hands the wheel event to the mouse-wheel fix, once the component's properties are set.
    void Loaded();

protected:
    void BeforeDestruction() noexcept override;

private:
    std::unique_ptr<TMouseWheelFix> FMouseWheelFix;
    std::unique_ptr<TFocusControl> FFocusControl;
    TMouseWheelEvent FOnMouseWheel;
    bool FDesignMode;
    TInternetFeatures FInternetFeatures;
};

// The features switched on for the process now.
[[nodiscard]] TInternetFeatures ReadInternetFeatures() noexcept;

} // namespace tn
