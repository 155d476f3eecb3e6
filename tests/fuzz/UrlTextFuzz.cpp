// Page addresses and query values: encoding gives only unreserved characters and escapes, and
// decoding it gives the text back whenever every code unit is at most 0xFF (a wider unit is
// escaped on its own, with no UTF-8 step); decoding any text either gives a text no longer than
// it or raises the conversion error; the protocol test ignores ASCII case and finds a prefix
// anywhere.
#include "FuzzSupport.h"
#include "browser/tools/UrlText.h"

#include <algorithm>
#include <cstring>

namespace {

using tn::fuzz::ExactText;

void CheckText(const std::wstring& t) {
    using namespace tn;
    const ExactText exact(t);
    const bool narrow = std::all_of(
        t.begin(), t.end(), [](wchar_t c) { return static_cast<std::uint32_t>(c) <= 0xFF; });

    for (const bool query : {true, false}) {
        const std::wstring encoded = EncodeUrlText(exact.view(), query);
        TN_FUZZ_CHECK(encoded.find_first_not_of(L"%+-._0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                L"abcdefghijklmnopqrstuvwxyz") ==
                      std::wstring::npos);
        // Five characters a code unit at most; a 32-bit wide character is two units.
        TN_FUZZ_CHECK(encoded.size() <= 10 * t.size());
        if (!query) TN_FUZZ_CHECK(encoded.find(L'+') == std::wstring::npos);
        // Every escape the encoder writes has two digits at least: decoding never raises.
        const std::wstring decoded = DecodeUrlText(ExactText(encoded).view());
        if (narrow) TN_FUZZ_CHECK(decoded == t);
    }

    try {
        TN_FUZZ_CHECK(DecodeUrlText(exact.view()).size() <= t.size());
    } catch (const EConvertError& e) {
        TN_FUZZ_CHECK(std::strcmp(e.what(), "Invalid HEX digit in URL") == 0);
    }

    const bool known = HasKnownProtocol(exact.view());
    TN_FUZZ_CHECK(HasKnownProtocol(ExactText(text::UpperCase(t)).view()) == known);
    if (known) TN_FUZZ_CHECK(HasKnownProtocol(ExactText(L"<" + t + L">").view()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckText(std::wstring(data, data + size)); // every byte one character: the round trip holds
    tn::fuzz::ForEachTextForm(data, size, CheckText);
    return 0;
}
