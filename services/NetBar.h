// Recognises an internet-cafe client seat by the management software installed on it. Reads the
// registry and tests files only.
#pragma once

#include <cstdint>

namespace tn {

// The code of the first product found (0 to 13), or -1 for none.
[[nodiscard]] std::int32_t DetectNetBar() noexcept;

} // namespace tn
