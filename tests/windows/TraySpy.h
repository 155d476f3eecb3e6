// What the launcher's windows hand to the shell for their tray icons, noted while a spy lives, and
// the shell's own view of an icon.
#pragma once

#include "windows/TrayIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace tn::test {

// The shell knows the icon when it accepts a change of nothing in it.
inline bool TrayIconShown(HWND wnd) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = wnd;
    nid.uID = 0;
    nid.uFlags = 0;
    return ::Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

// While it lives, every tray call is noted (with whether its window showed at that moment) and
// passed on to the shell, unless the spy is told to refuse it.
class TraySpy {
public:
    struct Call {
        DWORD message;
        NOTIFYICONDATAW record;
        bool visible;
    };

    TraySpy() : FSaved(TrayIconCalls()) {
        Calls.clear();
        RefuseAdd = RefuseAll = false;
        TrayIconCalls() = {&Record};
    }
    TraySpy(const TraySpy&) = delete;
    TraySpy& operator=(const TraySpy&) = delete;
    ~TraySpy() {
        TrayIconCalls() = FSaved;
        RefuseAdd = RefuseAll = false;
    }

    // The calls of one kind, in order.
    [[nodiscard]] static std::size_t Count(DWORD message) {
        std::size_t n = 0;
        for (const Call& c : Calls)
            n += c.message == message;
        return n;
    }

    static inline std::vector<Call> Calls;
    // The shell refuses every add (one not running yet, say), or every call and passes nothing on.
    static inline bool RefuseAdd = false;
    static inline bool RefuseAll = false;

private:
    static BOOL WINAPI Record(DWORD message, PNOTIFYICONDATAW record) {
        Calls.push_back({message, *record, ::IsWindowVisible(record->hWnd) != FALSE});
        if (RefuseAll || (message == NIM_ADD && RefuseAdd)) return FALSE;
        return ::Shell_NotifyIconW(message, record);
    }
    TTrayIconCalls FSaved;
};

} // namespace tn::test
