// Paths of the build and source trees as Windows paths, and running a program to its end.
#pragma once

#include <string>

namespace tn::testing {

// TN_BINARY_DIR / TN_SOURCE_DIR (Unix paths set by CTest) + a relative path, as a Windows path.
[[nodiscard]] std::wstring BuildFile(const std::wstring& relative);
[[nodiscard]] std::wstring SourceFile(const std::wstring& relative);
// A Unix path as Wine sees it ("Z:" and backslashes).
[[nodiscard]] std::wstring WinePath(const std::string& unixPath);

struct ProcessResult {
    bool finished = false; // false: still running at the time-out (it is then ended)
    unsigned long exitCode = 0;
};
// Starts commandLine and waits for it at most timeoutMs.
[[nodiscard]] ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs,
                                       const std::wstring& workingDir = L"");

} // namespace tn::testing
