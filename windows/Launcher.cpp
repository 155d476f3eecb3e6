#include "windows/Launcher.h"

#include "classlib/CommandLine.h"
#include "classlib/Text.h"

namespace tn {

TFormBack* FormBack = nullptr;
TFormLogin* FormLogin = nullptr;
TFormMain* FormMain = nullptr;
std::wstring GameUrl;

bool IsUninstallMode(const std::vector<std::wstring>& args) {
    return !args.empty() && text::SameText(args[0], L"/uninst");
}

bool IsAutoRunStart(const std::vector<std::wstring>& args) {
    return !args.empty() && args[0] == L"/autorun";
}

bool IsTrayStart(const std::vector<std::wstring>& args) {
    return IsAutoRunStart(args) && !(args.size() >= 2 && args[1] == L"/setuprun");
}

std::vector<std::wstring> ProgramArgs() {
    std::vector<std::wstring> args;
    for (int i = 1; i <= ParamCount(); ++i)
        args.push_back(ParamStr(i));
    return args;
}

} // namespace tn
