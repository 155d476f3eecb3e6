// The browser's URL text rules: percent-encoding and decoding of page addresses and query values,
// and the test for a known protocol prefix. No Win32 calls.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tn {

// A text that cannot be converted (the class library's conversion error).
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Letters, digits, "-", "." and "_" stay; a blank becomes "+" (bQueryStr) or "%20"; every other
// UTF-16 code unit becomes "%" and its code in upper-case hexadecimal, two digits at least.
[[nodiscard]] std::wstring EncodeUrlText(std::wstring_view text, bool bQueryStr);
// "%hh" becomes the character hh (0 to 255), "+" a blank. Raises EConvertError "Invalid HEX digit
// in URL" for an escape that is cut off or not hexadecimal.
[[nodiscard]] std::wstring DecodeUrlText(std::wstring_view text);
// True when the lower-cased URL contains one of the known protocol prefixes anywhere.
[[nodiscard]] bool HasKnownProtocol(std::wstring_view URL) noexcept;

} // namespace tn
