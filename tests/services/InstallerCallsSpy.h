// While it lives, a downloaded installer's start goes to doubles that note what they were asked
// and answer as set here (Wine asks for no administrator rights); the system's calls are back
// afterwards.
#pragma once

#include "classlib/FileUtil.h"
#include "services/Shell.h"

#include <windows.h>

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
        InstallerCalls() = {&Create, &Shell, &WritesVirtualized};
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

private:
    static BOOL WINAPI Create(LPCWSTR, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                              LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                              LPPROCESS_INFORMATION started) {
        CommandLines.emplace_back(commandLine);
        *started = {};
        ::SetLastError(CreateError);
        return CreateError == 0;
    }
    static BOOL WINAPI Shell(SHELLEXECUTEINFOW* info) {
        const std::wstring file = info->lpFile ? info->lpFile : L"";
        ShellStarts.push_back(
            {info->lpVerb ? info->lpVerb : L"", file, info->fMask, FileExists(file)});
        ::SetLastError(ShellError);
        return ShellError == 0;
    }
    static bool WritesVirtualized() noexcept { return Virtualized; }
    TInstallerCalls FSaved;
};

} // namespace tn::testing
