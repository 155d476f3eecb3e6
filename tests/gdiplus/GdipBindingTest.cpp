#include "gdiplus/GdipApiTesting.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace tn::gdiplus;

namespace {

std::vector<std::string> ListedNames() {
    const char* source = std::getenv("TN_SOURCE_DIR");
    if (!source) return {};
    std::ifstream in(std::string("Z:") + source + "/tests/gdiplus/entry-names.txt");
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) names.push_back(line);
    return names;
}

std::set<std::size_t> PositionsIn(EntryState state) {
    std::set<std::size_t> positions;
    for (std::size_t i = 0; i < kEntryPointCount; ++i)
        if (GetEntryPointState(i) == state) positions.insert(i + 1);
    return positions;
}

// Every entry not left to its stand-in holds exactly what the library exports under its name.
void ExpectBoundLikeGetProcAddress(HMODULE module) {
    const auto names = EntryPointNames();
    for (std::size_t i = 0; i < kEntryPointCount; ++i) {
        const FARPROC exported = ::GetProcAddress(module, names[i]);
        if (exported) {
            EXPECT_EQ(GetEntryPointState(i), EntryState::Bound) << names[i];
            EXPECT_EQ(GetEntryPointAddress(i), exported) << names[i];
        } else {
            EXPECT_EQ(GetEntryPointState(i), EntryState::StandIn) << names[i];
        }
    }
}

void ExpectUnbound() {
    EXPECT_EQ(GdiplusLibrary(), nullptr);
    EXPECT_EQ(PositionsIn(EntryState::Empty).size(), kEntryPointCount);
}

class GdipBinding : public ::testing::Test {
protected:
    void TearDown() override { UnloadGdiplusEntryPoints(); }
};

TEST_F(GdipBinding, NamesAreTheListedOnesInOrderAndUnique) {
    const auto listed = ListedNames();
    ASSERT_EQ(listed.size(), kEntryPointCount);
    const auto names = EntryPointNames();
    ASSERT_EQ(names.size(), kEntryPointCount);
    std::set<std::string> unique;
    for (std::size_t i = 0; i < kEntryPointCount; ++i) {
        EXPECT_EQ(names[i], listed[i]) << "position " << i + 1;
        unique.insert(names[i]);
    }
    EXPECT_EQ(unique.size(), kEntryPointCount);
}

TEST_F(GdipBinding, SystemLibraryBindsEveryExportAndStandsInForTheRest) {
    ExpectUnbound();
    LoadGdiplusEntryPoints();
    ASSERT_NE(GdiplusLibrary(), nullptr);
    const HMODULE independent = ::GetModuleHandleW(L"gdiplus.dll");
    ASSERT_EQ(independent, GdiplusLibrary());
    ExpectBoundLikeGetProcAddress(independent);

    // This Wine lacks GdipSetImageAttributesICMMode and the two font-collection enumerators.
    EXPECT_EQ(PositionsIn(EntryState::StandIn), (std::set<std::size_t>{372, 550, 551}));
    EXPECT_EQ(Gdip().GdipSetImageAttributesICMMode(nullptr, TRUE), NotImplemented);
    INT found = -1;
    EXPECT_EQ(Gdip().GdipFontCollectionEnumerable(nullptr, nullptr, &found), NotImplemented);
    EXPECT_EQ(found, -1);
    EXPECT_TRUE(CheckGdiplusEntryPoints().ok);

    UnloadGdiplusEntryPoints();
    ExpectUnbound();
}

struct FakeLibrary {
    const wchar_t* file;
    const char* missing;
    bool usable;
};

class GdipBindingFake : public GdipBinding, public ::testing::WithParamInterface<FakeLibrary> {};

TEST_P(GdipBindingFake, LeavesExactlyTheMissingNameUnbound) {
    const FakeLibrary& fake = GetParam();
    LoadGdiplusEntryPoints(fake.file);
    ASSERT_NE(GdiplusLibrary(), nullptr);
    ExpectBoundLikeGetProcAddress(GdiplusLibrary());

    std::set<std::string> standIns;
    for (std::size_t i : PositionsIn(EntryState::StandIn))
        standIns.insert(EntryPointNames()[i - 1]);
    EXPECT_EQ(standIns, std::set<std::string>{fake.missing});
    EXPECT_EQ(PositionsIn(EntryState::Bound).size(), kEntryPointCount - 1);

    const GdiplusAvailability check = CheckGdiplusEntryPoints();
    EXPECT_EQ(check.ok, fake.usable);
    if (!fake.usable) {
        const std::wstring missing(fake.missing, fake.missing + std::strlen(fake.missing));
        EXPECT_NE(check.message.find(missing), std::wstring::npos);
    }

    UnloadGdiplusEntryPoints();
    ExpectUnbound();
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, GdipBindingFake,
    ::testing::Values(FakeLibrary{L"gdipfake-without-GdipCreateMatrix.dll", "GdipCreateMatrix",
                                  true},
                      FakeLibrary{L"gdipfake-without-GdiplusStartup.dll", "GdiplusStartup", false},
                      FakeLibrary{L"gdipfake-without-GdipAlloc.dll", "GdipAlloc", false},
                      FakeLibrary{L"gdipfake-without-GdipFree.dll", "GdipFree", false}));

TEST_F(GdipBinding, LibraryThatDoesNotLoadLeavesEverythingEmptyAndIsReported) {
    LoadGdiplusEntryPoints(L"no-such-gdiplus.dll");
    ExpectUnbound();
    const GdiplusAvailability check = CheckGdiplusEntryPoints();
    EXPECT_FALSE(check.ok);
    EXPECT_NE(check.message.find(L"gdiplus.dll"), std::wstring::npos);
}

TEST_F(GdipBinding, UnbindingWithoutALibraryChangesNothing) {
    const auto marker = reinterpret_cast<decltype(EntryPointTable::GdipFlush)>(
        reinterpret_cast<void (*)()>(&::GetTickCount));
    MutableEntryPoints().GdipFlush = marker;
    UnloadGdiplusEntryPoints();
    EXPECT_EQ(Gdip().GdipFlush, marker);
    MutableEntryPoints().GdipFlush = nullptr;
}

TEST_F(GdipBinding, BindingAgainReplacesTheEarlierLibrary) {
    LoadGdiplusEntryPoints(L"gdipfake-without-GdipCreateMatrix.dll");
    LoadGdiplusEntryPoints();
    EXPECT_EQ(GdiplusLibrary(), ::GetModuleHandleW(L"gdiplus.dll"));
    EXPECT_EQ(::GetModuleHandleW(L"gdipfake-without-GdipCreateMatrix.dll"), nullptr);
    EXPECT_EQ(GetEntryPointState(82), EntryState::Bound); // GdipCreateMatrix
}

} // namespace
