// Shell services of the launcher: opening web addresses, the start-at-logon value, fetching and
// starting the companion programs' installers, the full-screen test and page script calls.
#pragma once

#include "classlib/MemoryStream.h"

#include <windows.h>
#include <oaidl.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace tn {

// The shell call that OpenUrl makes; a test puts a recorder in its place.
using TShellExecute = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

// Opens url in the system web browser, else with the shell's own handler for it.
void OpenUrl(HWND owner, const std::wstring& url, TShellExecute shellExecute = nullptr) noexcept;

// The start-at-logon value runs the launcher copy in the data folder with "/autorun". An empty
// name stands for the application title; an existing value keeps its data.
void SetAutoRun(const std::wstring& name) noexcept;
// True when a start-at-logon value named after the application title exists.
[[nodiscard]] bool IsAutoRunSet() noexcept;
// Deletes the value of that name when it exists; an empty name deletes nothing.
void RemoveAutoRun(const std::wstring& name) noexcept;

// Lets a step on files and programs run, or not: the program's end may refuse it.
class TStepGate {
public:
    // Runs step unless refused; false when it did not run.
    virtual bool Run(const std::function<void()>& step) = 0;

protected:
    ~TStepGate() = default;
};

// Each fetches its installer, then, through gate when there is one, saves it for the download
// folder beside the executable and starts it (SaveAndStartInstaller); true when the file was saved
// and its start attempted. The download itself runs outside the gate.
[[nodiscard]] bool DownloadIconTips(TStepGate* gate = nullptr) noexcept;
[[nodiscard]] bool DownloadAnimateIcon(TStepGate* gate = nullptr) noexcept;

// The calls behind an installer's save and start: the system's in production, doubles in tests (a
// test may replace entries and must put them back).
struct TInstallerCalls {
    BOOL(WINAPI* CreateProcessW)
    (LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
     LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment, LPCWSTR folder,
     LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started);
    BOOL(WINAPI* ShellExecuteExW)(SHELLEXECUTEINFOW* info);
    // The opens of a saved installer: made new in the temporary folder, then held for its start.
    HANDLE(WINAPI* CreateFileW)
    (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
     DWORD flags, HANDLE templateFile);
    // True when the system redirects this program's writes to protected folders into a store of
    // the user's own, which a program started with administrator rights does not see.
    bool (*WritesVirtualized)() noexcept;
};
[[nodiscard]] TInstallerCalls& InstallerCalls() noexcept;

enum class TInstallerStart { Started, Declined, Failed };
// Starts a downloaded installer as a new process (its quoted path as the command line, a new
// process group, normal priority). One that needs administrator rights, which a plain start
// cannot give, goes through the shell, which asks the user: Declined when the user says no.
[[nodiscard]] TInstallerStart StartInstaller(const std::wstring& file) noexcept;
// Where an installer is saved: preferred (with a trailing backslash), when this program writes
// files there plainly; else the user's temporary folder, which an installer that runs with
// administrator rights can read.
[[nodiscard]] std::wstring InstallerFolder(const std::wstring& preferred);
// Saves a downloaded installer where InstallerFolder says and starts it (StartInstaller). In
// preferred it is name, an older file replaced. In the temporary folder, which every program of the
// user may write, it is a new file named name with a random part added. From the save until the
// start returns nobody may write, rename or delete it, and it is started only when it holds bytes.
// A file that started nothing goes, unless keepUnstarted and it lies in preferred. Raises
// EFileError, nothing started, when it cannot be saved or held as it was written.
[[nodiscard]] TInstallerStart SaveAndStartInstaller(const TMemoryStream& bytes,
                                                    const std::wstring& preferred,
                                                    const std::wstring& name, bool keepUnstarted);

// COM on this thread for the scope (the shell's calls need it); where it already runs, this only
// counts it up and down.
class TComScope {
public:
    TComScope() noexcept;
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
    ~TComScope();

private:
    bool FOk;
};

// True when the foreground window, or one of its parents, covers the whole primary screen.
[[nodiscard]] bool IsForegroundFullScreen() noexcept;

// Calls the page's script function name on the document of a browser control (its dispatch
// interface); the script receives (second, first). False when there is no such function to call.
[[nodiscard]] bool CallPageScript(int first, int second, const std::wstring& name,
                                  IDispatch* browser) noexcept;

} // namespace tn
