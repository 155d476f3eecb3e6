// The timer component: OnTimer every Interval milliseconds while enabled, on the GUI thread.
#pragma once

#include "classlib/Component.h"
#include "classlib/Graphics.h"

#include <windows.h>

namespace tn {

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    [[nodiscard]] bool Enabled() const noexcept { return FEnabled; }
    void SetEnabled(bool value);
    [[nodiscard]] UINT Interval() const noexcept { return FInterval; }
    void SetInterval(UINT ms);
    [[nodiscard]] const TNotifyEvent& OnTimer() const noexcept { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void Update();

    HWND FWindow = nullptr; // a message-only window that receives WM_TIMER
    bool FEnabled = true;
    UINT FInterval = 1000;
    TNotifyEvent FOnTimer;
};

} // namespace tn
