// What the parser targets share: a check that names the broken property, and the ways outside
// bytes become the program's text.
#pragma once

#include "classlib/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace tn::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort(); // libFuzzer saves the input that did it
}

#define TN_FUZZ_CHECK(cond) ((cond) ? void() : ::tn::fuzz::Fail(#cond, __FILE__, __LINE__))

// A copy of a text in a heap block of exactly its length, so that a read one past the end lands
// in the sanitizer's red zone rather than in a string's spare capacity or terminator.
class ExactText {
public:
    explicit ExactText(std::wstring_view s)
        : size_(s.size()), buf_(std::make_unique<wchar_t[]>(s.size())) {
        s.copy(buf_.get(), s.size());
    }
    [[nodiscard]] std::wstring_view view() const noexcept { return {buf_.get(), size_}; }

private:
    std::size_t size_;
    std::unique_ptr<wchar_t[]> buf_;
};

// The text forms outside bytes take in the program: a body or file read as UTF-8 (invalid
// sequences become U+FFFD), and a wide Windows string, one UTF-16 code unit per byte pair, where
// lone surrogates and every other unit can occur.
template <typename Fn> void ForEachTextForm(const std::uint8_t* data, std::size_t size, Fn&& fn) {
    fn(text::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size)));
    std::wstring units;
    units.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    fn(units);
}

} // namespace tn::fuzz
