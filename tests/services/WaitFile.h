// Waits, without polling, until something in a folder holds what a test expects: the folder's
// change notifications wake the check.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tn::testing {

struct ChangeNotificationTraits {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) noexcept { ::FindCloseChangeNotification(h); }
};

// True once done() holds; false when timeoutMs passes first. The folder must exist.
inline bool WaitInFolder(const std::wstring& folder, const std::function<bool()>& done,
                         DWORD timeoutMs, bool subtree = false) {
    const UniqueHandle<HANDLE, ChangeNotificationTraits> change(::FindFirstChangeNotificationW(
        folder.c_str(), subtree,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
            FILE_NOTIFY_CHANGE_LAST_WRITE));
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline || !change) return done();
        ::WaitForSingleObject(change.get(), static_cast<DWORD>(deadline - now));
        ::FindNextChangeNotification(change.get());
    }
}

} // namespace tn::testing
