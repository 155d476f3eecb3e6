// Text rules the launcher relies on exactly: 1-based positions, trimming of blanks and control
// characters, decimal conversion with a default, ASCII case mapping. No Win32 calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tn::text {

// 1-based position of the first occurrence of sub in s; 0 when absent (or sub empty).
[[nodiscard]] std::size_t Pos(std::wstring_view sub, std::wstring_view s) noexcept;
// count characters from 1-based index; out-of-range parts are clipped, never an error.
[[nodiscard]] std::wstring Copy(std::wstring_view s, std::ptrdiff_t index, std::ptrdiff_t count);

// Removes leading and trailing characters up to U+0020 (blanks and control characters).
[[nodiscard]] std::wstring Trim(std::wstring_view s);

// Decimal (optionally signed, "$"/"0x" hexadecimal) 32-bit integer; def when s is not exactly a
// number.
[[nodiscard]] std::int32_t StrToIntDef(std::wstring_view s, std::int32_t def) noexcept;
[[nodiscard]] bool TryStrToInt(std::wstring_view s, std::int32_t& value) noexcept;
[[nodiscard]] std::wstring IntToStr(std::int64_t v);

// ASCII-only case mapping: other characters stay as they are.
[[nodiscard]] std::wstring LowerCase(std::wstring_view s);
[[nodiscard]] std::wstring UpperCase(std::wstring_view s);
[[nodiscard]] bool SameText(std::wstring_view a, std::wstring_view b) noexcept;

// Every occurrence of from replaced by to.
[[nodiscard]] std::wstring ReplaceAll(std::wstring_view s, std::wstring_view from,
                                      std::wstring_view to);

// A list of lines as one text: every line followed by CR LF.
[[nodiscard]] std::wstring LinesText(const std::vector<std::wstring>& lines);
// The lines of a text: CR LF, LF or CR ends a line; a last line without a break is kept, and an
// empty text has none.
[[nodiscard]] std::vector<std::wstring> SplitLines(std::wstring_view s);

// The text as UTF-16LE bytes, whatever the width of wchar_t on this build.
[[nodiscard]] std::vector<std::uint8_t> ToUtf16LeBytes(std::wstring_view s);
// UTF-8 <-> wide text; invalid UTF-8 sequences become U+FFFD.
[[nodiscard]] std::wstring FromUtf8(std::string_view s);
[[nodiscard]] std::string ToUtf8(std::wstring_view s);
[[nodiscard]] bool IsValidUtf8(std::string_view s) noexcept;

} // namespace tn::text
