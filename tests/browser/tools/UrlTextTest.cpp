// URL percent-encoding, decoding and the known-protocol test.
#include "browser/tools/UrlText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using namespace tn;

std::string Narrow(std::wstring_view s) {
    std::string r;
    for (const wchar_t c : s)
        r += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    return r;
}

TEST(UrlText, EncodeKeepsOnlyUnreservedCharactersAndEscapesEachCodeUnit) {
    struct Case {
        std::wstring_view in;
        bool query;
        std::wstring_view out;
    };
    for (const Case& c : {
             Case{L"a b", true, L"a+b"}, Case{L"a b", false, L"a%20b"}, Case{L"", true, L""},
             Case{L"AZaz09-._", false, L"AZaz09-._"}, Case{L"~/", true, L"%7E%2F"},
             Case{L"+%&=?#", true, L"%2B%25%26%3D%3F%23"},
             Case{L"\n\x01", false, L"%0A%01"},          // two digits at least
             Case{L"\u00E9", false, L"%E9"},             // Latin-1: one escape, no UTF-8 step
             Case{L"\u4E2D\u6587", true, L"%4E2D%6587"}, // wider codes give more digits
             Case{L"\U0001F600", false, L"%D83D%DE00"},  // each UTF-16 code unit on its own
         }) {
        SCOPED_TRACE(testing::Message() << "'" << Narrow(c.in) << "' query " << c.query);
        EXPECT_EQ(EncodeUrlText(c.in, c.query), c.out);
    }
}

TEST(UrlText, DecodeTurnsEscapesAndPlusSignsIntoCharacters) {
    struct Case {
        std::wstring_view in;
        std::wstring out;
    };
    for (const Case& c : {
             Case{L"%41+b", L"A b"},
             Case{L"%4a%4A", L"JJ"},
             Case{L"a%20b%2B", L"a b+"},
             Case{L"%e9", L"\u00E9"},
             Case{L"%00", std::wstring(1, L'\0')},
             Case{L"\u4E2D~", L"\u4E2D~"},
             Case{L"", L""},
         }) {
        SCOPED_TRACE(testing::Message() << "'" << Narrow(c.in) << "'");
        EXPECT_EQ(DecodeUrlText(c.in), c.out);
    }
}

TEST(UrlText, DecodeRaisesForCutOffOrNonHexadecimalEscapes) {
    // "%%41": the first escape takes "%4" as its digits.
    for (const std::wstring_view in :
         {L"%", L"%4", L"ab%4", L"%zz", L"%4g", L"%g4", L"%%41", L"%41%"}) {
        SCOPED_TRACE(Narrow(in));
        try {
            (void)DecodeUrlText(in);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid HEX digit in URL");
        }
    }
}

TEST(UrlText, EveryByteValueSurvivesEncodeThenDecode) {
    std::wstring all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<wchar_t>(c);
    for (const bool query : {true, false}) {
        const std::wstring encoded = EncodeUrlText(all, query);
        EXPECT_EQ(encoded.find_first_not_of(L"%+-._0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            L"abcdefghijklmnopqrstuvwxyz"),
                  std::wstring::npos);
        EXPECT_EQ(DecodeUrlText(encoded), all) << "query " << query;
    }
}

TEST(UrlText, KnownProtocolIsFoundAnywhereWhateverTheCase) {
    struct Case {
        std::wstring_view url;
        bool known;
    };
    for (const Case& c : {
             Case{L"HTTP://example", true},
             Case{L"see http://example", true},
             Case{L"ftp://a", true},
             Case{L"HTTPS://a", true},
             Case{L"Gopher://a", true},
             Case{L"MailTo:me", true},
             Case{L"news:group", true},
             Case{L"nntp://a", true},
             Case{L"telnet://a", true},
             Case{L"wais://a", true},
             Case{L"file:///c:/x", true},
             Case{L"prospero://a", true},
             Case{L"about:blank", false},
             Case{L"", false},
             Case{L"http:/example", false},
             Case{L"javascript:x", false},
             Case{L"www.example", false},
             Case{L"\u4E2Dhttp://", true},
         }) {
        SCOPED_TRACE(Narrow(c.url));
        EXPECT_EQ(HasKnownProtocol(c.url), c.known);
    }
}

} // namespace
