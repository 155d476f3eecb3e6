// Library loaders and the window and string helpers of the browser host.
#include "browser/host/HwbUtils.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>
#include <string_view>

namespace {

using namespace tn;

constexpr DWORD kOnProcess = 2; // SET_FEATURE_ON_PROCESS

TEST(HwbUtils, CharPosFindsTheExactSixteenBitCharacter) {
    struct Case {
        wchar_t ch;
        std::wstring_view s;
        int pos;
    };
    for (const Case& c : {Case{L'N', L"N", 1}, Case{L'N', L"n", 0}, Case{L'N', L"", 0},
                          Case{L'C', L"NC", 2}, Case{L'开', L"打开", 2}}) {
        SCOPED_TRACE(testing::Message() << "in '" << std::wstring(c.s) << "'");
        EXPECT_EQ(CharPos(c.ch, c.s), c.pos);
    }
}

TEST(HwbUtils, IndexOfStringComparesCaseSensitivelyAndOnlyWithinTheList) {
    const std::wstring_view list[] = {L"On", L"Off", L"Inherit", L""};
    struct Case {
        std::wstring_view s;
        int high;
        int index;
    };
    for (const Case& c : {Case{L"On", 3, 0}, Case{L"on", 3, -1}, Case{L"Inherit", 3, 2},
                          Case{L"", 3, 3}, Case{L"Inherit", 1, -1}, Case{L"On", -1, -1},
                          Case{L"", 99, 3}, Case{L"Unknown", 99, -1}}) {
        SCOPED_TRACE(testing::Message() << "'" << std::wstring(c.s) << "' up to " << c.high);
        EXPECT_EQ(IndexOfString(c.s, list, c.high), c.index);
    }
}

TEST(HwbUtils, TaskMemoryCopiesHoldTheTextAndItsTerminator) {
    for (const std::wstring_view s :
         {std::wstring_view(L"Software\\Brisa"), std::wstring_view(L"")}) {
        for (wchar_t* (*copy)(std::wstring_view) noexcept :
             {&StringToTaskMem, &WideStringToTaskMem}) {
            wchar_t* p = copy(s);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(std::wstring_view(p), s);
            EXPECT_EQ(p[s.size()], L'\0');
            ::CoTaskMemFree(p);
        }
    }
}

TEST(HwbUtils, WindowHelpersSearchOnlyAncestorsAndReadNamesAndCaptions) {
    const HWND outer = ::CreateWindowExW(0, L"Static", L"外层", WS_POPUP, 0, 0, 50, 50, nullptr,
                                         nullptr, nullptr, nullptr);
    ASSERT_NE(outer, nullptr);
    const HWND middle = ::CreateWindowExW(0, L"Button", L"", WS_CHILD, 0, 0, 40, 40, outer, nullptr,
                                          nullptr, nullptr);
    const HWND inner = ::CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 30, 30, middle, nullptr,
                                         nullptr, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(FindParentByClassName(inner, L"Static"), outer);
    EXPECT_EQ(FindParentByClassName(inner, L"Button"), middle);
    EXPECT_EQ(FindParentByClassName(outer, L"Static"), nullptr); // never the window itself
    EXPECT_EQ(FindParentByClassName(inner, L"static"), nullptr);

    EXPECT_EQ(GetWindowClassName(middle), L"Button");
    EXPECT_EQ(GetWindowClassName(nullptr), L"");
    ::DestroyWindow(outer);
    EXPECT_EQ(GetWindowClassName(inner), L"");
}

TEST(HwbUtils, WindowCaptionIsReadWhole) {
    const HWND wnd = ::CreateWindowExW(0, L"Static", L"单击左键或右键", WS_POPUP, 0, 0, 50, 50,
                                       nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(GetWindowTextString(wnd), L"单击左键或右键");
    ::SetWindowTextW(wnd, L"");
    EXPECT_EQ(GetWindowTextString(wnd), L"");
    ::DestroyWindow(wnd);
}

TEST(HwbUtils, FeatureControlGoesThroughTheUrlMonikerLibrary) {
    ASSERT_TRUE(LoadUrlMon());
    const auto feature = TInternetFeatureList::DisableNavigationSounds;
    ASSERT_EQ(SetInternetFeatureEnabled(feature, kOnProcess, true), S_OK);
    EXPECT_EQ(IsInternetFeatureEnabled(feature, kOnProcess), S_OK);
    ASSERT_EQ(SetInternetFeatureEnabled(feature, kOnProcess, false), S_OK);
    EXPECT_EQ(IsInternetFeatureEnabled(feature, kOnProcess), S_FALSE);
}

TEST(HwbUtils, GetUrlMonProcMarksAMissingEntryAndKeepsTheAddressOfAFoundOne) {
    UrlMonProcCell cell = 0;
    EXPECT_FALSE(GetUrlMonProc("NoSuchUrlMonEntry", cell));
    EXPECT_EQ(cell, 1u);
    EXPECT_TRUE(GetUrlMonProc("CoInternetIsFeatureEnabled", cell));
    EXPECT_GT(cell, 1u);
}

} // namespace
