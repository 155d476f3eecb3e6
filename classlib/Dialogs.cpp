#include "classlib/Dialogs.h"

#include "classlib/Application.h"

#include <windows.h>

namespace tn {

void ShowMessage(const std::wstring& text) {
    // Owned by the thread's active window so that it stays in front of it; the application
    // window when none of this thread's windows is active.
    HWND owner = ::GetActiveWindow();
    if (!owner && Application) owner = Application->Handle();
    const std::wstring caption = Application ? Application->Title() : std::wstring();
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK);
}

} // namespace tn
