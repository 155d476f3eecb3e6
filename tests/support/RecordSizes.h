// System records whose size the 32-bit program fixes: a test checks that figure on the 32-bit
// build and the system's own size of the same record on the x86_64 test build.
#pragma once

#include <cstddef>

namespace tn::test {

constexpr std::size_t RecordSize([[maybe_unused]] std::size_t on32Bit,
                                 [[maybe_unused]] std::size_t system) noexcept {
#ifdef _WIN64
    return system;
#else
    return on32Bit;
#endif
}

} // namespace tn::test
