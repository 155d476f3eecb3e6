// INI files through the private-profile functions: the INI-file class and the direct 260-character
// reads.
#pragma once

#include <cstdint>
#include <string>

namespace tn {

class TIniFile {
public:
    explicit TIniFile(std::wstring fileName) : FFileName(std::move(fileName)) {}

    [[nodiscard]] const std::wstring& FileName() const noexcept { return FFileName; }

    // Values up to 2047 characters; a missing file, section or key yields def.
    [[nodiscard]] std::wstring ReadString(const std::wstring& section, const std::wstring& ident,
                                          const std::wstring& def) const;
    // The text read as a number (decimal or "$"/"0x" hexadecimal); def when absent or not a number.
    [[nodiscard]] std::int32_t ReadInteger(const std::wstring& section, const std::wstring& ident,
                                           std::int32_t def) const;
    // An integer read with def's ordinal as default; non-zero means true.
    [[nodiscard]] bool ReadBool(const std::wstring& section, const std::wstring& ident,
                                bool def) const;

    // Writes raise TIniFileError when the profile call fails.
    void WriteString(const std::wstring& section, const std::wstring& ident,
                     const std::wstring& value) const;
    void WriteInteger(const std::wstring& section, const std::wstring& ident,
                      std::int32_t value) const;
    void WriteBool(const std::wstring& section, const std::wstring& ident, bool value) const;

private:
    std::wstring FFileName;
};

class TIniFileError : public std::exception {
public:
    const char* what() const noexcept override { return "INI file write failed"; }
};

// Direct private-profile access with a 260-character buffer: a value keeps at most 259 characters,
// and a missing key reads as empty.
[[nodiscard]] std::wstring ReadIniValue260(const std::wstring& file, const std::wstring& section,
                                           const std::wstring& key);
// Returns false when the write failed.
bool WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) noexcept;

} // namespace tn
