#include "classlib/Text.h"

#include <climits>

namespace tn::text {

std::size_t Pos(std::wstring_view sub, std::wstring_view s) noexcept {
    if (sub.empty()) return 0;
    const auto at = s.find(sub);
    return at == std::wstring_view::npos ? 0 : at + 1;
}

std::wstring Copy(std::wstring_view s, std::ptrdiff_t index, std::ptrdiff_t count) {
    if (index < 1) index = 1;
    const auto len = static_cast<std::ptrdiff_t>(s.size());
    if (index > len || count <= 0) return {};
    const auto avail = len - index + 1;
    return std::wstring(s.substr(static_cast<std::size_t>(index - 1),
                                 static_cast<std::size_t>(count < avail ? count : avail)));
}

std::wstring Trim(std::wstring_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<std::uint32_t>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<std::uint32_t>(s[e - 1]) <= 0x20)
        --e;
    return std::wstring(s.substr(b, e - b));
}

bool TryStrToInt(std::wstring_view s, std::int32_t& value) noexcept {
    std::size_t i = 0;
    // Leading blanks are allowed, trailing ones are not.
    while (i < s.size() && s[i] == L' ')
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == L'-' || s[i] == L'+')) neg = s[i++] == L'-';
    unsigned base = 10;
    if (i < s.size() && s[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    std::int64_t acc = 0;
    for (; i < s.size(); ++i) {
        const wchar_t c = s[i];
        unsigned d;
        if (c >= L'0' && c <= L'9')
            d = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            d = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            d = static_cast<unsigned>(c - L'A' + 10);
        else
            return false;
        acc = acc * base + d;
        // Hexadecimal may use all 32 bits (as the original conversion does); decimal must fit.
        const std::int64_t limit = base == 16 ? 0xFFFFFFFFll : (neg ? 0x80000000ll : 0x7FFFFFFFll);
        if (acc > limit) return false;
    }
    if (base == 16) {
        // C++20 conversion to a signed type is modular: "$FFFFFFFF" reads as -1.
        const auto u = static_cast<std::uint32_t>(acc);
        value = static_cast<std::int32_t>(neg ? 0u - u : u);
    } else {
        value = static_cast<std::int32_t>(neg ? -acc : acc);
    }
    return true;
}

std::int32_t StrToIntDef(std::wstring_view s, std::int32_t def) noexcept {
    std::int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

std::wstring IntToStr(std::int64_t v) {
    const bool neg = v < 0;
    // Work on the unsigned magnitude so INT64_MIN converts too.
    std::uint64_t u = neg ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    std::wstring out;
    do {
        out.insert(out.begin(), static_cast<wchar_t>(L'0' + u % 10));
        u /= 10;
    } while (u);
    if (neg) out.insert(out.begin(), L'-');
    return out;
}

std::wstring LowerCase(std::wstring_view s) {
    std::wstring r(s);
    for (auto& c : r)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    return r;
}

std::wstring UpperCase(std::wstring_view s) {
    std::wstring r(s);
    for (auto& c : r)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
    return r;
}

bool SameText(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x + 32);
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::wstring ReplaceAll(std::wstring_view s, std::wstring_view from, std::wstring_view to) {
    if (from.empty()) return std::wstring(s);
    std::wstring r;
    std::size_t at = 0;
    for (;;) {
        const auto hit = s.find(from, at);
        if (hit == std::wstring_view::npos) break;
        r.append(s.substr(at, hit - at)).append(to);
        at = hit + from.size();
    }
    r.append(s.substr(at));
    return r;
}

std::wstring LinesText(const std::vector<std::wstring>& lines) {
    std::size_t size = 0;
    for (const std::wstring& line : lines)
        size += line.size() + 2;
    std::wstring t;
    t.reserve(size);
    for (const std::wstring& line : lines) {
        t += line;
        t += L"\r\n";
    }
    return t;
}

std::vector<std::wstring> SplitLines(std::wstring_view s) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != L'\r' && s[i] != L'\n') continue;
        lines.emplace_back(s.substr(start, i - start));
        if (s[i] == L'\r' && i + 1 < s.size() && s[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::vector<std::uint8_t> ToUtf16LeBytes(std::wstring_view s) {
    std::vector<std::uint8_t> out;
    out.reserve(s.size() * 2);
    auto put = [&out](std::uint32_t unit) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    };
    for (const wchar_t wc : s) {
        auto cp = static_cast<std::uint32_t>(wc);
        if constexpr (sizeof(wchar_t) == 2) {
            put(cp);
        } else if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

namespace {
// Decodes one UTF-8 sequence at s[i]; returns false (and advances one byte) on an invalid one.
bool DecodeOne(std::string_view s, std::size_t& i, std::uint32_t& cp) noexcept {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int n;
    std::uint32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        n = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return false;
    }
    if (i + static_cast<std::size_t>(n) >= s.size()) {
        ++i;
        return false;
    }
    for (int k = 1; k <= n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += static_cast<std::size_t>(n) + 1;
    return true;
}
} // namespace

bool IsValidUtf8(std::string_view s) noexcept {
    std::size_t i = 0;
    std::uint32_t cp;
    while (i < s.size())
        if (!DecodeOne(s, i, cp)) return false;
    return true;
}

std::wstring FromUtf8(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        std::uint32_t cp;
        if (!DecodeOne(s, i, cp)) cp = 0xFFFD;
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(cp));
    }
    return out;
}

std::string ToUtf8(std::wstring_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto cp = static_cast<std::uint32_t>(s[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size()) {
                const auto lo = static_cast<std::uint32_t>(s[i + 1]);
                if (lo >= 0xDC00 && lo <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

} // namespace tn::text
