// While it lives, a downloaded installer's start goes to doubles that note what they were asked
// and answer as set here (Wine asks for no administrator rights), and a test may act on the file
// just before it is held and while its start runs; the system's calls are back afterwards.
#pragma once

#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "services/Shell.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tn::testing {

class InstallerCallsSpy {
public:
    InstallerCallsSpy() : FSaved(InstallerCalls()) {
        CommandLines.clear();
        ShellStarts.clear();
        CreateError = 0;
        ShellError = 0;
        Virtualized = false;
        BeforeHold = nullptr;
        DuringStart = nullptr;
        InstallerCalls() = {&Create, &Shell, &Open, &WritesVirtualized};
    }
    InstallerCallsSpy(const InstallerCallsSpy&) = delete;
    InstallerCallsSpy& operator=(const InstallerCallsSpy&) = delete;
    ~InstallerCallsSpy() { InstallerCalls() = FSaved; }

    struct ShellStart {
        std::wstring verb, file;
        ULONG mask;
        bool fileThere; // the file existed when the shell was asked to start it
    };
    static inline std::vector<std::wstring> CommandLines;
    static inline std::vector<ShellStart> ShellStarts;
    // 0: the call succeeds; else it fails with this error (740: administrator rights needed).
    static inline DWORD CreateError = 0, ShellError = 0;
    static inline bool Virtualized = false;
    // The installer a command line starts: its path, without the quotes around it.
    static std::wstring FileOf(const std::wstring& commandLine) {
        if (commandLine.size() >= 2 && commandLine.front() == L'"' && commandLine.back() == L'"')
            return commandLine.substr(1, commandLine.size() - 2);
        return commandLine;
    }
    // Run with the installer's path: before the open that holds it, and inside the start call.
    static inline std::function<void(const std::wstring&file)> BeforeHold, DuringStart;

private:
    static BOOL WINAPI Create(LPCWSTR, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                              LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                              LPPROCESS_INFORMATION started) {
        CommandLines.emplace_back(commandLine);
        if (DuringStart) DuringStart(FileOf(commandLine));
        *started = {};
        ::SetLastError(CreateError);
        return CreateError == 0;
    }
    static BOOL WINAPI Shell(SHELLEXECUTEINFOW* info) {
        const std::wstring file = info->lpFile ? info->lpFile : L"";
        ShellStarts.push_back(
            {info->lpVerb ? info->lpVerb : L"", file, info->fMask, FileExists(file)});
        if (DuringStart) DuringStart(file);
        ::SetLastError(ShellError);
        return ShellError == 0;
    }
    static HANDLE WINAPI Open(LPCWSTR name, DWORD access, DWORD share,
                              LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                              HANDLE templateFile) {
        if (BeforeHold && disposition == OPEN_EXISTING && !(access & GENERIC_WRITE))
            BeforeHold(name);
        return ::CreateFileW(name, access, share, security, disposition, flags, templateFile);
    }
    static bool WritesVirtualized() noexcept { return Virtualized; }
    TInstallerCalls FSaved;
};

// The files of folder whose names begin with stem and end in ".exe": an installer saved under its
// own name or under one of its own.
inline std::vector<std::wstring> SavedInstallers(const std::wstring& folder,
                                                 const std::wstring& stem) {
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    const UniqueFind find(::FindFirstFileW((folder + stem + L"*.exe").c_str(), &data));
    if (!find) return found;
    do
        found.push_back(folder + data.cFileName);
    while (::FindNextFileW(find.get(), &data));
    return found;
}

} // namespace tn::testing
