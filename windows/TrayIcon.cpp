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

void TTrayIcon::Show(HWND wnd, HICON icon) noexcept {
    NOTIFYICONDATAW nid = TrayIconRecord(wnd, icon, FTip);
    // An icon the shell still holds refuses a second add and takes a change.
    FShown = TrayIconCalls().ShellNotifyIcon(NIM_ADD, &nid) ||
             TrayIconCalls().ShellNotifyIcon(NIM_MODIFY, &nid);
    if (FShown)
        ::KillTimer(wnd, kRetryTimer);
    else
        ::SetTimer(wnd, kRetryTimer, kRetryMs, nullptr);
}

void TTrayIcon::Add(HWND wnd, HICON icon) noexcept {
    FWanted = true;
    Show(wnd, icon);
}

void TTrayIcon::Remove(HWND wnd, HICON icon) noexcept {
    FWanted = false;
    FShown = false;
    ::KillTimer(wnd, kRetryTimer);
    (void)SetTrayIcon(wnd, icon, FTip, true);
}

void TTrayIcon::TaskbarCreated(HWND wnd, HICON icon) noexcept {
    if (FWanted) Show(wnd, icon);
}

bool TTrayIcon::Timer(HWND wnd, HICON icon, UINT_PTR id) noexcept {
    if (id != kRetryTimer) return false;
    if (FWanted && !FShown)
        Show(wnd, icon);
    else
        ::KillTimer(wnd, kRetryTimer);
    return true;
}

UINT TaskbarCreatedMessage() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

} // namespace tn
