// The body of the address-lookup page: the address is what follows its first "[" up to the next
// "]", and never more than the body holds.
#include "FuzzSupport.h"
#include "services/Statistics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tn;
    fuzz::ForEachTextForm(data, size, [](const std::wstring& form) {
        const std::wstring body(form);
        const std::wstring ip = ExtractPublicIp(body);
        const std::size_t open = body.find(L'[');
        if (open == std::wstring::npos) {
            TN_FUZZ_CHECK(ip.empty());
            return;
        }
        TN_FUZZ_CHECK(ip.size() < body.size());
        TN_FUZZ_CHECK(ip.find(L']') == std::wstring::npos);
        TN_FUZZ_CHECK(body.compare(open + 1, ip.size(), ip) == 0);
    });
    return 0;
}
