// A page URL from the game frame: the server id is a piece of the URL that stands right in front
// of the game servers' host-name fragment, or empty.
#include "FuzzSupport.h"
#include "services/PublicUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tn;
    const std::wstring fragment = GameHostFragment();
    fuzz::ForEachTextForm(data, size, [&fragment](const std::wstring& form) {
        const std::wstring url(form);
        const std::wstring id = ExtractServerId(url);
        if (id.empty()) return;
        // It starts at the eighth character at the earliest, right after "http://s" when the URL
        // holds that.
        TN_FUZZ_CHECK(7 + id.size() + fragment.size() <= url.size());
        TN_FUZZ_CHECK(url.find(id + fragment) != std::wstring::npos);
    });
    return 0;
}
