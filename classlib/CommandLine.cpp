#include "classlib/CommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>

namespace tn {

namespace {
struct LocalFreeDeleter {
    void operator()(LPWSTR* p) const noexcept { ::LocalFree(p); }
};

const std::vector<std::wstring>& Args() {
    static const std::vector<std::wstring> args = SplitCommandLine(::GetCommandLineW());
    return args;
}
} // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> out;
    int n = 0;
    std::unique_ptr<LPWSTR, LocalFreeDeleter> argv(::CommandLineToArgvW(commandLine.c_str(), &n));
    if (!argv) return out;
    for (int i = 0; i < n; ++i)
        out.emplace_back(argv.get()[i]);
    return out;
}

std::vector<std::wstring> ProgramArgs() {
    const auto& a = Args();
    return a.empty() ? std::vector<std::wstring>{}
                     : std::vector<std::wstring>(a.begin() + 1, a.end());
}

int ParamCount() {
    return Args().empty() ? 0 : static_cast<int>(Args().size()) - 1;
}

std::wstring ParamStr(int i) {
    const auto& a = Args();
    if (i < 0 || i >= static_cast<int>(a.size())) return {};
    return a[static_cast<std::size_t>(i)];
}

} // namespace tn
