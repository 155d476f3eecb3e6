#include "classlib/Text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "classlib/Lines.h"
#include "classlib/MemoryStream.h"
#include "tests/support/TempDir.h"
#endif

using namespace tn::text;

TEST(Text, PositionsAreOneBasedAndCopyClips) {
    EXPECT_EQ(Pos(L"b", L"abc"), 2u);
    EXPECT_EQ(Pos(L"x", L"abc"), 0u);
    EXPECT_EQ(Pos(L"", L"abc"), 0u);
    EXPECT_EQ(Copy(L"abcdef", 2, 3), L"bcd");
    EXPECT_EQ(Copy(L"abcdef", 5, 100), L"ef");
    EXPECT_EQ(Copy(L"abcdef", 0, 2), L"ab"); // index below 1 counts as 1
    EXPECT_EQ(Copy(L"abcdef", 7, 1), L"");
    EXPECT_EQ(Copy(L"abcdef", 2, -1), L"");
}

TEST(Text, TrimRemovesBlanksAndControlCharacters) {
    EXPECT_EQ(Trim(L" \t\r\n x y \x01\x1f"), L"x y");
    EXPECT_EQ(Trim(L"\x7f"), L"\x7f"); // DEL is above the blank
    EXPECT_EQ(Trim(L"   "), L"");
}

TEST(Text, StrToIntDefAcceptsOnlyWholeNumbers) {
    struct Case {
        const wchar_t* text;
        std::int32_t expected;
    } cases[] = {
        {L"0", 0},
        {L"1000", 1000},
        {L"-12", -12},
        {L"+7", 7},
        {L"  42", 42},
        {L"42 ", -99},
        {L"", -99},
        {L"abc", -99},
        {L"12a", -99},
        {L"$FF", 255},
        {L"0x10", 16},
        {L"2147483647", 2147483647},
        {L"2147483648", -99},
        {L"-2147483648", INT32_MIN},
        {L"$FFFFFFFF", -1},
        {L"-", -99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToIntDef(c.text, -99), c.expected) << "text: " << c.text;
}

TEST(Text, CaseMappingIsAsciiOnly) {
    EXPECT_EQ(LowerCase(L"/SetupSucc"), L"/setupsucc");
    EXPECT_EQ(UpperCase(L"s12\u00e9"), L"S12\u00e9");
    EXPECT_TRUE(SameText(L"/UNINST", L"/uninst"));
    EXPECT_FALSE(SameText(L"/uninst ", L"/uninst"));
}

TEST(Text, Utf16LeBytesAreTheSameOnEveryBuild) {
    const std::wstring s = L"a\u4e2d" + std::wstring(1, static_cast<wchar_t>(0x10));
    const std::vector<std::uint8_t> expected = {0x61, 0x00, 0x2d, 0x4e, 0x10, 0x00};
    EXPECT_EQ(ToUtf16LeBytes(s), expected);
    EXPECT_EQ(FromUtf8(ToUtf8(L"\u6e38\u620f x")), L"\u6e38\u620f x");
    EXPECT_FALSE(IsValidUtf8("\xc3"));
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80")); // an encoded surrogate
    EXPECT_TRUE(IsValidUtf8("\xe6\xb8\xb8"));
    EXPECT_EQ(FromUtf8("a\xff"), L"a\ufffd");
    EXPECT_EQ(IntToStr(-9223372036854775807ll - 1), L"-9223372036854775808");
    EXPECT_EQ(ReplaceAll(L"{A-B}", L"-", L""), L"{AB}");
}

TEST(Text, LinesEndInCrLfLfOrCrAndTheTextOfAListEndsEveryLine) {
    using Lines = std::vector<std::wstring>;
    struct Case {
        const wchar_t* text;
        Lines lines;
    } cases[] = {
        {L"", {}},
        {L"a\r\nb", {L"a", L"b"}},
        {L"a\nb\r", {L"a", L"b"}},
        {L"a\r\n\r\n", {L"a", L""}},
        {L"a\r\rb", {L"a", L"", L"b"}},
        {L"\n", {L""}},
    };
    for (const Case& c : cases) {
        const Lines lines = SplitLines(c.text);
        EXPECT_EQ(lines, c.lines) << "text: "
                                  << ToUtf8(ReplaceAll(ReplaceAll(c.text, L"\r", L"\\r"), L"\n",
                                                       L"\\n"));
    }
    EXPECT_EQ(LinesText({L"a", L"b"}), L"a\r\nb\r\n");
    EXPECT_EQ(LinesText({}), L"");
    EXPECT_EQ(LinesText({L""}), L"\r\n");
}

#ifdef _WIN32
TEST(Lines, AByteOrderMarkDecidesTheEncodingElseTheCodePageAndSavedLinesReadBackIdentical) {
    using Bytes = std::vector<std::uint8_t>;
    using Lines = std::vector<std::wstring>;
    struct Case {
        Bytes bytes;
        UINT codePage;
        Lines lines;
    } cases[] = {
        {{0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA9, '\n', 'b'}, 1252, {L"a\u00e9", L"b"}},
        {{0xFF, 0xFE, 0x2D, 0x4E, '\r', 0, '\n', 0}, 1252, {L"\u4e2d"}},
        {{0xFE, 0xFF, 0x4E, 0x2D, 0, '\r', 0, 'x'}, 1252, {L"\u4e2d", L"x"}},
        {{'c', 'a', 'f', 0xE9, '\r', '\n'}, 1252, {L"caf\u00e9"}},
        {{0xD6, 0xD0, '\n'}, 936, {L"\u4e2d"}},
        {{'a', 0xC3, 0xA9}, CP_UTF8, {L"a\u00e9"}},
        {{}, 1252, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tn::LinesFromBytes(c.bytes, c.codePage), c.lines) << "code page " << c.codePage;

    const tn::testing::TempDir dir;
    const Lines saved = {L"\u6e38\u620f\u767b\u5f55", L"", L"Cr\u00e8me br\u00fbl\u00e9e \u00c5",
                         L"\U0001F600 end"};
    tn::SaveLinesToFile(saved, dir.File(L"lines.txt"));
    tn::TMemoryStream file;
    file.LoadFromFile(dir.File(L"lines.txt"));
    EXPECT_EQ(Bytes(file.Bytes().begin(), file.Bytes().begin() + 3), (Bytes{0xEF, 0xBB, 0xBF}));
    // Read back in a code page that has none of these characters: the mark decides.
    EXPECT_EQ(tn::LinesFromBytes(file.Bytes(), 1252), saved);
}
#endif
