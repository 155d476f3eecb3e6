// Windows that take the activation from a form as the browser's dialogs do: a dialog ("#32770")
// with the items of the browser's page-setup dialog, and a plain window of no class of the
// program to own one.
#pragma once

#include "browser/host/HwbUtils.h"
#include "tests/support/WindowTestSupport.h"

#include <windows.h>

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tn::test {

// Makes the window the active one; false when it does not become so.
inline bool Activate(HWND wnd) {
    ::SetForegroundWindow(wnd);
    ::SetActiveWindow(wnd);
    return PumpUntil([&] { return ::GetActiveWindow() == wnd; });
}

// Shows a top-level window, which takes the activation from the active one.
inline void ShowActive(HWND wnd) {
    ::ShowWindow(wnd, SW_SHOW);
    if (::IsWindow(wnd)) ::SetActiveWindow(wnd);
    Pump();
}

// An in-memory dialog template ("#32770") with the page-setup dialog's items: OK first, the
// orientation buttons, header, footer and the four margins.
class PageSetupTemplate {
public:
    explicit PageSetupTemplate(const wchar_t* caption) {
        words_.reserve(512);
        Put(DWORD{WS_POPUP | WS_CAPTION | DS_MODALFRAME});
        Put(DWORD{0});
        countAt_ = words_.size();
        words_.push_back(0);
        words_.insert(words_.end(), {10, 10, 200, 160, 0, 0}); // x, y, cx, cy, menu, class
        PutText(caption);
        Item(IDOK, kButton, BS_DEFPUSHBUTTON, L"OK");
        Item(1056, kButton, BS_AUTORADIOBUTTON, L"Portrait");
        Item(1057, kButton, BS_AUTORADIOBUTTON, L"Landscape");
        for (const WORD id : {8147, 8149, 1155, 1156, 1157, 1158})
            Item(id, kEdit, ES_AUTOHSCROLL, L"");
    }
    [[nodiscard]] const DLGTEMPLATE* get() const {
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

private:
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kEdit = 0x0081;
    void Put(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void PutText(const wchar_t* s) {
        for (; *s; ++s)
            words_.push_back(static_cast<WORD>(*s));
        words_.push_back(0);
    }
    void Item(WORD id, WORD cls, DWORD style, const wchar_t* text) {
        if (words_.size() % 2) words_.push_back(0); // items start on a DWORD boundary
        Put(style | WS_CHILD | WS_VISIBLE | WS_TABSTOP);
        Put(0);
        const WORD y = static_cast<WORD>(5 + 15 * words_[countAt_]);
        words_.insert(words_.end(), {5, y, 80, 12, id, 0xFFFF, cls});
        PutText(text);
        words_.push_back(0); // no creation data
        ++words_[countAt_];
    }
    std::vector<WORD> words_;
    std::size_t countAt_ = 0;
};

// The commands each dialog received (item and notification).
inline std::map<HWND, std::vector<std::pair<int, int>>> DialogCommands;

inline INT_PTR CALLBACK PageSetupProc(HWND wnd, UINT msg, WPARAM wp, LPARAM) noexcept {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND) DialogCommands[wnd].push_back({LOWORD(wp), HIWORD(wp)});
    return FALSE;
}

// A modeless page-setup dialog with the caption, owned by owner (hidden until shown).
inline HWND NewDialog(const wchar_t* caption, HWND owner) {
    const PageSetupTemplate t(caption);
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), t.get(), owner, &PageSetupProc,
                                        0);
}

// A top-level window of no class of the program.
struct PlainWindow {
    PlainWindow()
        : wnd(::CreateWindowExW(0, L"Static", L"plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr)) {}
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    ~PlainWindow() { ::DestroyWindow(wnd); }
    HWND wnd;
};

// The text of a dialog item.
inline std::wstring ItemText(HWND dialog, int id) {
    return GetWindowTextString(::GetDlgItem(dialog, id));
}

} // namespace tn::test
