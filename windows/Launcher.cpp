#include "windows/Launcher.h"

#include "classlib/Text.h"

namespace tn {

TFormBack* FormBack = nullptr;
TFormLogin* FormLogin = nullptr;
TFormMain* FormMain = nullptr;
std::wstring GameUrl;

bool IsAutoRunStart(const std::vector<std::wstring>& args) {
    return !args.empty() && args[0] == L"/autorun";
}

bool IsTrayStart(const std::vector<std::wstring>& args) {
    return IsAutoRunStart(args) && !(args.size() >= 2 && args[1] == L"/setuprun");
}

} // namespace tn
