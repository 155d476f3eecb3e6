// The control as the print commands see it, and the wait for the print-preview window on a
// scripted clock and foreground.
#pragma once

#include "browser/tools/Printing.h"
#include "tests/browser/FakeBrowser.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tn::test {

inline constexpr VARTYPE kHeaderFooterTag = 0x6000; // VT_ARRAY | VT_BYREF

inline std::wstring BstrText(BSTR b) {
    return b ? std::wstring(b, ::SysStringLen(b)) : L"<null>";
}

// The control, reading the print command's header and footer array while the command runs (the
// array is gone once it returns).
class PrintBrowser : public FakeBrowser {
public:
    struct Command {
        DWORD cmd, option;
        VARTYPE inType;
        LONG lower = -1;
        std::vector<std::wstring> texts; // "<null>" for a null string, "<vt>" for no string
        bool out;
    };
    std::vector<Command> execs;
    HRESULT result = S_OK;

    HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID cmd, OLECMDEXECOPT option, VARIANT* in,
                                     VARIANT* out) override {
        Command c{static_cast<DWORD>(cmd),
                  static_cast<DWORD>(option),
                  in ? in->vt : VARTYPE(VT_ILLEGAL),
                  -1,
                  {},
                  out != nullptr};
        if (in && in->vt == kHeaderFooterTag && in->parray && ::SafeArrayGetDim(in->parray) == 1) {
            LONG upper = -1;
            (void)::SafeArrayGetLBound(in->parray, 1, &c.lower);
            (void)::SafeArrayGetUBound(in->parray, 1, &upper);
            for (LONG i = c.lower; i <= upper; ++i) {
                OleVariant item;
                (void)::SafeArrayGetElement(in->parray, &i, item.put());
                c.texts.push_back(item.vt() == VT_BSTR ? BstrText(item.get().bstrVal) : L"<vt>");
            }
        }
        execs.push_back(std::move(c));
        return result;
    }
};

// The preview calls on a scripted clock and foreground; the system's are put back after.
class PreviewCallsSpy {
public:
    PreviewCallsSpy() : FSaved(PrintPreviewCalls()) {
        Elapsed.clear();
        Foreground.clear();
        Reads = Polls = 0;
        Shows.clear();
        PrintPreviewCalls() = {&ForegroundWindow, &TickCount, &Poll, &Show};
    }
    PreviewCallsSpy(const PreviewCallsSpy&) = delete;
    PreviewCallsSpy& operator=(const PreviewCallsSpy&) = delete;
    ~PreviewCallsSpy() { PrintPreviewCalls() = FSaved; }

    // Near the wrap of the tick count, so that the difference must be taken modulo 2^32.
    static constexpr DWORD kStart = 0xFFFFF000;
    // The tick count's readings after the start, one per reading; the last one repeats.
    static inline std::vector<DWORD> Elapsed;
    // The foreground window of each poll; the last one repeats.
    static inline std::vector<HWND> Foreground;
    static inline int Reads = 0, Polls = 0;
    static inline std::vector<std::pair<HWND, int>> Shows;

private:
    static HWND WINAPI ForegroundWindow() {
        const auto i = static_cast<std::size_t>(Polls);
        return Foreground.empty() ? nullptr : Foreground[std::min(i, Foreground.size() - 1)];
    }
    static DWORD WINAPI TickCount() {
        const auto i = static_cast<std::size_t>(Reads++);
        return kStart + (Elapsed.empty() ? 0 : Elapsed[std::min(i, Elapsed.size() - 1)]);
    }
    static void Poll() { ++Polls; }
    static BOOL WINAPI Show(HWND wnd, int cmdShow) {
        Shows.emplace_back(wnd, cmdShow);
        return TRUE;
    }
    TPrintPreviewCalls FSaved;
};

} // namespace tn::test
