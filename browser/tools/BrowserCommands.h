// Short bridges from the browser component to one system service each: its file dialogs, the
// browser's own dialogs and commands, shell actions, search shortcuts and special navigations.
#pragma once

#include "browser/tools/ToolHost.h"

#include <windows.h>
#include <unknwn.h>

#include <string>

namespace tn {

class TComponent;

// The platform calls that reach beyond the process: the system's in production, doubles in tests.
struct TBrowserCommandCalls {
    HINSTANCE(WINAPI* ShellExecuteW)
    (HWND wnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show);
    // The system URL-history object.
    HRESULT (*CreateUrlHistory)(IUnknown** history);
};
// A test may replace entries and must put them back.
[[nodiscard]] TBrowserCommandCalls& BrowserCommandCalls() noexcept;

// A file-open dialog for pages, pictures and documents, owned by the window of Owner (or of its
// nearest windowed owner); a confirmed file is opened in Host. Whether the user confirmed; false
// when the dialog freed Host.
bool OpenPageDialog(TBrowserToolHost& Host, TComponent* Owner);

// A file-save dialog with the caller's Title and Filter (the defaults for empty ones); FileName
// gets the chosen name when confirmed, else it is empty. Whenever the dialog ends with a file
// name, Host saves its document there; a dialog that freed Host saves nothing and names nothing.
void SavePageDialog(TBrowserToolHost& Host, TComponent* Owner, const std::wstring& Title,
                    const std::wstring& Filter, std::wstring& FileName);

// The browser's own dialogs and views of the document: true when the command ran (status 0).
[[nodiscard]] bool ShowSaveAsCommand(IUnknown* Document) noexcept;
[[nodiscard]] bool ShowPagePropertiesCommand(IUnknown* Document) noexcept;
[[nodiscard]] bool ShowFindCommand(IUnknown* Document) noexcept;
[[nodiscard]] bool ShowSourceCommand(IUnknown* Document) noexcept;
[[nodiscard]] bool ShowInternetOptionsCommand(IUnknown* Document) noexcept;

// Starts the machine's default program of the kind Client ("Mail", "News", ...) as registered
// under HKEY_LOCAL_MACHINE "Software\Clients". False, and nothing started, when no command line is
// registered or it names no program.
bool StartDefaultClient(const std::wstring& Client);

// Opens Path in the shell's explorer, owned by Wnd.
void ExploreFolderPath(HWND Wnd, const std::wstring& Path);

// Asks the control's window for a new browser window at its address; the window's answer.
LRESULT SendNewWindowCommand(HWND Wnd);

// A search engine's result page for Term (appended as it stands, not encoded).
void SearchWithGoogle(TBrowserToolHost& Host, const std::wstring& Term);
void SearchWithMsn(TBrowserToolHost& Host, const std::wstring& Term);
void SearchWithBaidu(TBrowserToolHost& Host, const std::wstring& Term);
void SearchWithYahoo(TBrowserToolHost& Host, const std::wstring& Term);

// The control's navigations: a failing call raises EOleSysError, as the control's own
// navigation does (E_UNEXPECTED without a control).
// Navigates to URL unless it is blank.
void NavigateIfNotBlank(TBrowserToolHost& Host, const std::wstring& URL);
// Navigates to Url + Query, posting a fixed form body.
void NavigateWithPostData(TBrowserToolHost& Host, const std::wstring& Url,
                          const std::wstring& Query);
// Navigates without a history entry, waits for the page, then removes URL from the URL history;
// raises when the history cannot be had.
void NavigateWithoutHistory(TBrowserToolHost& Host, const std::wstring& URL);
// Host goes to "about:blank"; the wait for the document's result.
bool NavigateToBlank(TBrowserToolHost& Host);
// Navigates to "about:" + HTML; true.
bool NavigateToAboutHtml(TBrowserToolHost& Host, const std::wstring& HTML);

} // namespace tn
