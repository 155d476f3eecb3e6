// Typed views of window messages, so form code reads fields rather than WPARAM and LPARAM bits.
// Each cracker keeps the raw message, whose Result the handler sets and which the default
// handling receives unchanged.
#pragma once

#include <windows.h>

namespace tn {

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Posted to the application window when the application, or one of its forms, becomes the
// active one; its main-window hooks see it once the activation is done.
constexpr UINT CM_ACTIVATE = 0xB000;

// A queued key message is first offered, as its CN_ twin, to the class-library control it is
// aimed at (the nearest one at or above the target window); a non-zero result drops it.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;
[[nodiscard]] constexpr bool IsCnKeyMessage(UINT msg) noexcept {
    return msg == CN_KEYDOWN || msg == CN_KEYUP || msg == CN_SYSKEYDOWN || msg == CN_SYSKEYUP;
}

// Signed client or screen coordinates packed in the low and high words.
[[nodiscard]] inline POINT PointFromLParam(LPARAM lp) noexcept {
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

struct TWMNoParams {
    explicit TWMNoParams(TMessage& m) noexcept : Raw(m) {}
    TMessage& Raw;
};

// WM_xBUTTONDOWN/UP/DBLCLK and WM_MOUSEMOVE.
struct TWMMouse {
    explicit TWMMouse(TMessage& m) noexcept
        : Raw(m), Keys(static_cast<UINT>(m.WParam)), Pos(PointFromLParam(m.LParam)) {}
    TMessage& Raw;
    UINT Keys; // MK_* flags
    POINT Pos;
};

struct TWMMove {
    explicit TWMMove(TMessage& m) noexcept : Raw(m), Pos(PointFromLParam(m.LParam)) {}
    TMessage& Raw;
    POINT Pos; // client-area origin in the parent's (or the screen's) coordinates
};

struct TWMSize {
    explicit TWMSize(TMessage& m) noexcept
        : Raw(m), SizeType(static_cast<UINT>(m.WParam)), Width(LOWORD(m.LParam)),
          Height(HIWORD(m.LParam)) {}
    TMessage& Raw;
    UINT SizeType; // SIZE_*
    int Width, Height;
};

struct TWMSysCommand {
    explicit TWMSysCommand(TMessage& m) noexcept
        : Raw(m), CmdType(m.WParam), Pos(PointFromLParam(m.LParam)) {}
    TMessage& Raw;
    WPARAM CmdType; // the whole wParam: the program's own commands use values below 0xF000
    POINT Pos;
};

struct TWMTimer {
    explicit TWMTimer(TMessage& m) noexcept : Raw(m), TimerID(m.WParam) {}
    TMessage& Raw;
    UINT_PTR TimerID;
};

struct TWMNCHitTest {
    explicit TWMNCHitTest(TMessage& m) noexcept : Raw(m), Pos(PointFromLParam(m.LParam)) {}
    TMessage& Raw;
    POINT Pos; // screen coordinates
};

struct TWMGetMinMaxInfo {
    explicit TWMGetMinMaxInfo(TMessage& m) noexcept
        : Raw(m), MinMaxInfo(reinterpret_cast<MINMAXINFO*>(m.LParam)) {}
    TMessage& Raw;
    MINMAXINFO* MinMaxInfo;
};

struct TWMCommand {
    explicit TWMCommand(TMessage& m) noexcept
        : Raw(m), ItemID(LOWORD(m.WParam)), NotifyCode(HIWORD(m.WParam)),
          Ctl(reinterpret_cast<HWND>(m.LParam)) {}
    TMessage& Raw;
    WORD ItemID;
    WORD NotifyCode;
    HWND Ctl;
};

// The tray-icon callback and other messages that carry a mouse message in lParam.
struct TWMNotifyIcon {
    explicit TWMNotifyIcon(TMessage& m) noexcept
        : Raw(m), ID(m.WParam), MouseMsg(static_cast<UINT>(m.LParam)) {}
    TMessage& Raw;
    WPARAM ID;
    UINT MouseMsg;
};

} // namespace tn
