// The x87 floating-point control word (exception masks, precision, rounding).
#pragma once

#include <cstdint>

namespace tn {

// Every floating-point exception masked, extended precision, round to nearest: what the windows
// that host foreign pages run with, so that a page's scripts cannot stop the program.
inline constexpr std::uint16_t kMaskedControlWord = 0x133F;

[[nodiscard]] inline std::uint16_t Get8087CW() noexcept {
    std::uint16_t cw = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(cw));
    return cw;
}

inline void Set8087CW(std::uint16_t cw) noexcept {
    __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(cw));
}

} // namespace tn
