// Popup menus: items with captions, check marks and click handlers, shown at a screen point.
#pragma once

#include "classlib/Component.h"
#include "classlib/Graphics.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace tn {

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}

    std::wstring Caption;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    TNotifyEvent OnClick;

    // Sub-items, owned by this item; a caption of "-" is a separator.
    TMenuItem* Add(const std::wstring& caption, TNotifyEvent onClick = {});
    [[nodiscard]] const std::vector<TMenuItem*>& Items() const noexcept { return FItems; }
    virtual void Click();

private:
    std::vector<TMenuItem*> FItems;
};

// The platform calls of TPopupMenu::Popup: the system's in production, a double in tests.
struct TPopupMenuCalls {
    BOOL(WINAPI* SetForegroundWindow)(HWND wnd);
    BOOL(WINAPI* TrackPopupMenu)
    (HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
    BOOL(WINAPI* PostMessageW)(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
// The calls every popup menu makes; a test may replace them and must put them back.
[[nodiscard]] TPopupMenuCalls& PopupMenuCalls() noexcept;

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);

    // The top-level items (an item without caption holds them).
    [[nodiscard]] TMenuItem& Items() noexcept { return *FItems; }
    // Automatic hot keys are never added here; kept for the layouts that set it.
    bool AutoHotkeys = false;
    bool AutoPopup = true;
    TComponent* PopupComponent = nullptr;
    TNotifyEvent OnPopup;

    // Shows the menu at a screen point and waits for the choice; the chosen item's OnClick runs
    // after the menu has closed. The menu's window is the nearest windowed owner's: it is made
    // the foreground window first and gets a WM_NULL after, so that a menu opened from a tray
    // icon closes on a click elsewhere.
    virtual void Popup(int x, int y);

private:
    [[nodiscard]] HWND OwnerWindow() const;
    TMenuItem* FItems;
};

} // namespace tn
