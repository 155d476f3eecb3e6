// The x87 floating-point control word (exception masks, precision, rounding).
#pragma once

#include <cstdint>

namespace tn {

[[nodiscard]] inline std::uint16_t Get8087CW() noexcept {
    std::uint16_t cw = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(cw));
    return cw;
}

inline void Set8087CW(std::uint16_t cw) noexcept {
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(cw));
}

} // namespace tn
