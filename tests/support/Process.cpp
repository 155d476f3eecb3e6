#include "tests/support/Process.h"

#include "classlib/Handles.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace tn::testing {

std::wstring WinePath(const std::string& unixPath) {
    std::wstring out = L"Z:";
    for (const char c : unixPath)
        out.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

namespace {
std::wstring FromEnv(const char* name, const std::wstring& relative) {
    const char* v = std::getenv(name);
    if (!v)
        throw std::runtime_error(std::string(name) + " is not set: run the tests through CTest");
    std::wstring rel = relative;
    for (auto& c : rel)
        if (c == L'/') c = L'\\';
    return WinePath(v) + L"\\" + rel;
}
} // namespace

std::wstring BuildFile(const std::wstring& relative) {
    return FromEnv("TN_BINARY_DIR", relative);
}
std::wstring SourceFile(const std::wstring& relative) {
    return FromEnv("TN_SOURCE_DIR", relative);
}

ProcessResult RunProcess(const std::wstring& commandLine, unsigned long timeoutMs,
                         const std::wstring& workingDir) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!::CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi))
        throw std::runtime_error("cannot start the program under test");
    const UniqueHandleKernel thread(pi.hThread), process(pi.hProcess);
    ProcessResult r;
    r.finished = ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
    if (!r.finished) {
        ::TerminateProcess(process.get(), 255);
        ::WaitForSingleObject(process.get(), 5000);
    }
    ::GetExitCodeProcess(process.get(), &r.exitCode);
    return r;
}

} // namespace tn::testing
