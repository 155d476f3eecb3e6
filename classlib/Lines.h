// Lists of text lines read from bytes and saved to files (the list's text: classlib/Text.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tn {

// The lines of a text in bytes: a byte-order mark decides UTF-8, UTF-16LE or UTF-16BE (and is
// not part of the text); without one the bytes are in codePage. Raises std::system_error for a
// code page the system cannot convert from.
[[nodiscard]] std::vector<std::wstring> LinesFromBytes(std::span<const std::uint8_t> bytes,
                                                       UINT codePage = CP_ACP);

// Saves the list's text as UTF-8 with a byte-order mark, so that no character is lost whatever
// the system's code page; an existing file is replaced. Raises EFileError.
void SaveLinesToFile(const std::vector<std::wstring>& lines, const std::wstring& fileName);

} // namespace tn
