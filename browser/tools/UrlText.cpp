#include "browser/tools/UrlText.h"

#include <algorithm>
#include <array>

namespace tn {

namespace {

constexpr std::array<std::wstring_view, 11> kProtocolPrefixes = {
    L"ftp://",  L"http://",   L"https://", L"gopher://", L"mailto:",    L"news:",
    L"nntp://", L"telnet://", L"wais://",  L"file://",   L"prospero://"};

constexpr bool IsUnreserved(char32_t c) noexcept {
    return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
           c == U'-' || c == U'.' || c == U'_';
}

void AppendEscape(std::wstring& out, unsigned code) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    wchar_t buf[8];
    int n = 0;
    do {
        buf[n++] = kDigits[code & 0xF];
        code >>= 4;
    } while (code != 0);
    if (n < 2) buf[n++] = L'0';
    out += L'%';
    while (n > 0)
        out += buf[--n];
}

int HexValue(wchar_t c) noexcept {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

} // namespace

std::wstring EncodeUrlText(std::wstring_view text, bool bQueryStr) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t ch : text) {
        const auto c = static_cast<char32_t>(ch);
        if (c == U' ') {
            out += bQueryStr ? L"+" : L"%20";
        } else if (IsUnreserved(c)) {
            out += ch;
        } else if (c > 0xFFFF) {
            // A 32-bit wide character: escape the two UTF-16 code units it stands for.
            const char32_t v = c - 0x10000;
            AppendEscape(out, 0xD800 + (v >> 10));
            AppendEscape(out, 0xDC00 + (v & 0x3FF));
        } else {
            AppendEscape(out, static_cast<unsigned>(c));
        }
    }
    return out;
}

std::wstring DecodeUrlText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch == L'%') {
            int value = -1;
            if (text.size() - i > 2) {
                const int hi = HexValue(text[i + 1]);
                const int lo = HexValue(text[i + 2]);
                if (hi >= 0 && lo >= 0) value = hi * 16 + lo;
                i += 2;
            }
            if (value < 0) throw EConvertError("Invalid HEX digit in URL");
            out += static_cast<wchar_t>(value);
        } else if (ch == L'+') {
            out += L' ';
        } else {
            out += ch;
        }
    }
    return out;
}

bool HasKnownProtocol(std::wstring_view URL) noexcept {
    // The prefixes are lower-case ASCII, so lower-casing ASCII letters on the fly is enough.
    const auto sameLowered = [](wchar_t u, wchar_t p) noexcept {
        return (u >= L'A' && u <= L'Z' ? static_cast<wchar_t>(u + (L'a' - L'A')) : u) == p;
    };
    for (const std::wstring_view prefix : kProtocolPrefixes)
        if (std::search(URL.begin(), URL.end(), prefix.begin(), prefix.end(), sameLowered) !=
            URL.end())
            return true;
    return false;
}

} // namespace tn
