// The "upgraderange" value of the remote version file: any text must give an answer, and the
// answer must not change when an empty item is added behind the list or when more items follow
// a list that already matched (the scan stops at the first match and at the first empty item).
#include "FuzzSupport.h"
#include "services/PublicUnit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tn;
    fuzz::ForEachTextForm(data, size, [](const std::wstring& form) {
        const std::wstring list(form); // exactly as long as the text
        const bool inRange = IsVersionInRange(list);
        if (list.empty()) {
            TN_FUZZ_CHECK(inRange);
            return;
        }
        TN_FUZZ_CHECK(IsVersionInRange(list + L",") == inRange);
        if (inRange) TN_FUZZ_CHECK(IsVersionInRange(list + L",x-y,,2000"));
    });
    return 0;
}
