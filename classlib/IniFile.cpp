#include "classlib/IniFile.h"

#include "classlib/Text.h"

#include <windows.h>

#include <vector>

namespace tn {

namespace {
std::wstring ReadProfile(const std::wstring& file, const std::wstring& section,
                         const std::wstring& key, const std::wstring& def, DWORD bufferChars) {
    std::vector<wchar_t> buf(bufferChars, L'\0');
    const DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(),
                                               buf.data(), bufferChars, file.c_str());
    return std::wstring(buf.data(), n);
}
} // namespace

std::wstring TIniFile::ReadString(const std::wstring& section, const std::wstring& ident,
                                  const std::wstring& def) const {
    return ReadProfile(FFileName, section, ident, def, 2048);
}

std::int32_t TIniFile::ReadInteger(const std::wstring& section, const std::wstring& ident,
                                   std::int32_t def) const {
    const std::wstring s = ReadString(section, ident, L"");
    return s.empty() ? def : text::StrToIntDef(s, def);
}

bool TIniFile::ReadBool(const std::wstring& section, const std::wstring& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::wstring& section, const std::wstring& ident,
                           const std::wstring& value) const {
    if (!WriteIniValue(FFileName, section, ident, value)) throw TIniFileError();
}

void TIniFile::WriteInteger(const std::wstring& section, const std::wstring& ident,
                            std::int32_t value) const {
    WriteString(section, ident, text::IntToStr(value));
}

void TIniFile::WriteBool(const std::wstring& section, const std::wstring& ident, bool value) const {
    WriteString(section, ident, value ? L"1" : L"0");
}

std::wstring ReadIniValue260(const std::wstring& file, const std::wstring& section,
                             const std::wstring& key) {
    return ReadProfile(file, section, key, L"", MAX_PATH);
}

bool WriteIniValue(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value) noexcept {
    return ::WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(),
                                        file.c_str()) != FALSE;
}

} // namespace tn
