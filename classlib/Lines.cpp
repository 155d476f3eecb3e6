#include "classlib/Lines.h"

#include "classlib/MemoryStream.h"
#include "classlib/Text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <system_error>

namespace tn {

namespace {

std::wstring FromUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::wstring t(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < t.size(); ++i) {
        const unsigned first = bytes[2 * i], second = bytes[2 * i + 1];
        t[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return t;
}

std::wstring FromCodePage(std::span<const std::uint8_t> bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(codePage, 0, data, size, nullptr, 0);
    if (n <= 0)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "code page conversion");
    std::wstring t(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, data, size, t.data(), n);
    return t;
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

} // namespace

std::vector<std::wstring> LinesFromBytes(std::span<const std::uint8_t> bytes, UINT codePage) {
    std::wstring t;
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        const auto body = bytes.subspan(3);
        t = text::FromUtf8({reinterpret_cast<const char*>(body.data()), body.size()});
    } else if (StartsWith(bytes, {0xFF, 0xFE})) {
        t = FromUtf16(bytes.subspan(2), false);
    } else if (StartsWith(bytes, {0xFE, 0xFF})) {
        t = FromUtf16(bytes.subspan(2), true);
    } else if (codePage == CP_UTF8) {
        t = text::FromUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    } else {
        t = FromCodePage(bytes, codePage);
    }
    return text::SplitLines(t);
}

void SaveLinesToFile(const std::vector<std::wstring>& lines, const std::wstring& fileName) {
    static constexpr std::uint8_t kMark[] = {0xEF, 0xBB, 0xBF};
    const std::string body = text::ToUtf8(text::LinesText(lines));
    TMemoryStream stream;
    stream.Write(kMark, sizeof kMark);
    stream.Write(body.data(), body.size());
    stream.SaveToFile(fileName);
}

} // namespace tn
