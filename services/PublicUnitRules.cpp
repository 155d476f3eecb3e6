// The server-id and version-range rules: text in, text out, no Win32 call, so they build natively
// too.
#include "services/PublicUnit.h"

#include "Deploy.h"
#include "classlib/Text.h"

namespace tn {

std::wstring GameHostFragment() {
    return std::wstring(L".") + kGameCode + L"." + deploy::kGameHostLabel;
}

std::wstring ExtractServerId(const std::wstring& url) {
    using namespace text;
    const auto p = static_cast<std::ptrdiff_t>(Pos(L"http://s", url));
    const auto q = static_cast<std::ptrdiff_t>(Pos(GameHostFragment(), url));
    return Copy(url, p + 8, q - p - 8);
}

bool IsVersionInRange(const std::wstring& list) {
    using namespace text;
    if (list.empty()) return true;
    std::wstring rest = list + L",";
    while (!rest.empty()) {
        const auto comma = static_cast<std::ptrdiff_t>(Pos(L",", rest));
        const std::wstring item = Copy(rest, 1, comma - 1);
        rest = Copy(rest, comma + 1, static_cast<std::ptrdiff_t>(rest.size()));
        if (item.empty()) return false;
        if (const auto dash = static_cast<std::ptrdiff_t>(Pos(L"-", item))) {
            const std::int32_t low = StrToIntDef(Copy(item, 1, dash - 1), 0);
            const std::int32_t high =
                StrToIntDef(Copy(item, dash + 1, static_cast<std::ptrdiff_t>(item.size())), 0);
            if (low <= kClientVersion && kClientVersion <= high) return true;
        } else if (StrToIntDef(item, 0) == kClientVersion) {
            return true;
        }
    }
    return false;
}

} // namespace tn
