// The background window: the main form, a borderless per-pixel-alpha window painted from the
// skin picture. It carries the login phase's taskbar button, the drag of the window pair, and the
// hide-to-tray behaviour with its tray icon and tray menu.
#pragma once

#include "classlib/Forms.h"
#include "classlib/Handles.h"
#include "classlib/Menus.h"
#include "classlib/Messages.h"
#include "windows/TrayIcon.h"

#include <future>
#include <string>

namespace tn {

// A picture drawn into a memory bitmap compatible with the screen, ready to become the image of a
// per-pixel-alpha layered window. Drawing it needs no window, so it can be done on another thread
// while the window is being made.
class TLayeredPicture {
public:
    TLayeredPicture() noexcept = default;
    // Empty when the picture cannot be loaded or drawn.
    static TLayeredPicture Paint(const std::wstring& path, int percent) noexcept;
    // Paint on a thread of its own; a future without state when no thread could be started.
    static std::future<TLayeredPicture> PaintAside(std::wstring path, int percent) noexcept;
    // Gives wnd the picture at the picture's size, its position kept; false when empty or refused.
    bool Present(HWND wnd) const noexcept;
    explicit operator bool() const noexcept { return static_cast<bool>(FBitmap); }

private:
    UniqueMemDc FDc;
    UniqueBitmap FBitmap; // not selected into FDc between the calls
    SIZE FSize{};
    BYTE FAlpha = 255;
};

class TFormBack : public TForm {
public:
    explicit TFormBack(TComponent* owner);
    // With the skin picture already being painted elsewhere; the creation waits for it.
    TFormBack(TComponent* owner, std::future<TLayeredPicture> skin);

    // Layout.
    TPopupMenu* pmtaskbar;
    TMenuItem* mniOpen;
    TMenuItem* mniExit;

    // Handlers bound by the layout.
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void mniOpenClick(TObject* Sender);
    void mniExitClick(TObject* Sender);

    // Message handlers.
    void WMMove(TWMMove& Msg);
    void WMSysCommand(TWMSysCommand& Msg);
    void WMBarIconClick(TWMNotifyIcon& Msg);
    void WMOnTimer(TWMTimer& Msg);
    // The shell made its taskbar again: a window in the tray adds its icon again.
    void WMTaskbarCreated(TWMNoParams& Msg);

    // Adds (remove false) or deletes the tray icon; the icon is then shown when the shell took
    // it (a refused one is added later), and not after a delete.
    void UpdateTrayIcon(bool remove);
    // Back from the tray, as its "打开" brings it: the icon deleted, the window and the login
    // window shown in the normal state with the taskbar button.
    void Restore();
    // Paints a picture file into a window as a per-pixel-alpha layered window of the picture's
    // size. False when the picture cannot be loaded (the window then unchanged) or not shown.
    static bool DrawLayeredImage(HWND wnd, const std::wstring& path, int percent);
    // The tray start of "/autorun", once.
    void CheckMinsizeAfterClose();

    [[nodiscard]] bool IsBarIcon() const noexcept { return FIsBarIcon; }
    // Hidden to the tray, whether the shell shows the icon yet or not.
    [[nodiscard]] bool InTray() const noexcept { return FTray.Wanted(); }
    bool IfFristActive = true;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TFormBack"; }
    void BeforeDestruction() noexcept override;

private:
    void MoveLoginHere();

    bool FIsBarIcon = false;
    TTrayIcon FTray;
    std::future<TLayeredPicture> FSkin;
};

} // namespace tn
