#include "windows/TrayIcon.h"

#include "windows/Launcher.h"

#include <algorithm>
#include <iterator>

namespace tn {
namespace {

// The size of the oldest single-byte record, though the wide record is passed; the shell then
// reads only as far as that size reaches, which holds the launcher's short tips.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAA_V1_SIZE;
#ifndef _WIN64
static_assert(kTrayRecordSize == 88);
#endif

NOTIFYICONDATAW TrayIconRecord(HWND wnd, HICON icon, std::wstring_view tip) noexcept {
    NOTIFYICONDATAW nid{};
    nid.cbSize = kTrayRecordSize;
    nid.hWnd = wnd;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_BARICON;
    nid.hIcon = icon;
    const std::size_t n = std::min(tip.size(), std::size(nid.szTip) - 1);
    std::copy_n(tip.begin(), n, nid.szTip);
    return nid;
}

} // namespace

TTrayIconCalls& TrayIconCalls() noexcept {
    static TTrayIconCalls calls{&::Shell_NotifyIconW};
    return calls;
}

bool SetTrayIcon(HWND wnd, HICON icon, std::wstring_view tip, bool remove) noexcept {
    NOTIFYICONDATAW nid = TrayIconRecord(wnd, icon, tip);
    return TrayIconCalls().ShellNotifyIcon(remove ? NIM_DELETE : NIM_ADD, &nid) != FALSE;
}

UINT TaskbarCreatedMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

} // namespace tn
