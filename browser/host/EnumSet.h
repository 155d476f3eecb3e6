// A set of the members of an enumeration whose ordinals are below 32, one bit per member.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace tn {

template <typename E> class TEnumSet {
public:
    constexpr TEnumSet() noexcept = default;
    constexpr TEnumSet(std::initializer_list<E> members) noexcept {
        for (const E e : members)
            bits_ |= Bit(e);
    }
    [[nodiscard]] constexpr bool Contains(E e) const noexcept { return (bits_ & Bit(e)) != 0; }
    constexpr TEnumSet& Include(E e) noexcept {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TEnumSet& Exclude(E e) noexcept {
        bits_ &= ~Bit(e);
        return *this;
    }
    [[nodiscard]] constexpr bool Empty() const noexcept { return bits_ == 0; }
    // Bit n stands for the member of ordinal n.
    [[nodiscard]] constexpr std::uint32_t Bits() const noexcept { return bits_; }
    friend constexpr bool operator==(TEnumSet, TEnumSet) noexcept = default;

private:
    static constexpr std::uint32_t Bit(E e) noexcept {
        return std::uint32_t{1} << static_cast<unsigned>(e);
    }
    std::uint32_t bits_ = 0;
};

} // namespace tn
