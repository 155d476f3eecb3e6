#include "classlib/MemoryStream.h"

#include "classlib/Handles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

using tn::EFileError;
using tn::TMemoryStream;
using tn::testing::ReadFileBytes;
using tn::testing::TempDir;
using tn::testing::WriteFileBytes;

namespace {

std::string AsString(const TMemoryStream& s) {
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    tn::UniqueFind find(::FindFirstFileW((folder + L"*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.get(), &fd));
    return names;
}

TEST(MemoryStream, WriteOverwritesThenGrowsAndReadFollowsPosition) {
    TMemoryStream s;
    s.Write("abc", 3);
    s.SetPosition(1);
    s.Write("XYZW", 4);
    EXPECT_EQ(AsString(s), "aXYZW");
    EXPECT_EQ(s.Position(), 5u);

    s.SetPosition(7); // past the end: the gap fills with zeros
    s.Write("q", 1);
    EXPECT_EQ(AsString(s), std::string("aXYZW\0\0q", 8));

    char buf[4] = {};
    s.SetPosition(6);
    EXPECT_EQ(s.Read(buf, sizeof(buf)), 2u);
    EXPECT_EQ(std::string(buf, 2), std::string("\0q", 2));
    EXPECT_EQ(s.Read(buf, sizeof(buf)), 0u);
    s.SetPosition(100);
    EXPECT_EQ(s.Read(buf, sizeof(buf)), 0u);

    s.SetSize(2); // shrinking pulls the position back
    EXPECT_EQ(s.Position(), 2u);
    EXPECT_EQ(AsString(s), "aX");
    s.Clear();
    EXPECT_EQ(s.Size(), 0u);
    EXPECT_EQ(s.Position(), 0u);
}

TEST(MemoryStream, SaveReplacesFileAndLoadRoundTrips) {
    TempDir dir;
    const std::wstring file = dir.File(L"setup.exe");
    WriteFileBytes(file, std::string(10000, 'o')); // longer than the new content

    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    TMemoryStream s;
    s.Write(all.data(), all.size());
    s.SetPosition(10); // saving takes everything, whatever the position
    s.SaveToFile(file);
    EXPECT_EQ(ReadFileBytes(file), all);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::wstring>{L"setup.exe"});

    TMemoryStream loaded;
    loaded.Write("old", 3);
    loaded.LoadFromFile(file);
    EXPECT_EQ(AsString(loaded), all);
    EXPECT_EQ(loaded.Position(), 0u);

    TMemoryStream().SaveToFile(file); // an empty stream empties the file
    EXPECT_EQ(ReadFileBytes(file), "");
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.Size(), 0u);
}

TEST(MemoryStream, FailedSaveRaisesAndKeepsOlderFile) {
    TempDir dir;
    TMemoryStream s;
    s.Write("new", 3);

    try {
        s.SaveToFile(dir.File(L"missing\\setup.exe"));
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Win32Error(), 0u);
    }

    // A target that another process holds open without sharing cannot be replaced.
    const std::wstring file = dir.File(L"busy.exe");
    WriteFileBytes(file, "old");
    {
        tn::UniqueHandleKernel busy(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(busy);
        EXPECT_THROW(s.SaveToFile(file), EFileError);
    }
    EXPECT_EQ(ReadFileBytes(file), "old");
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::wstring>{L"busy.exe"});
}

TEST(MemoryStream, FailedLoadRaisesAndKeepsContent) {
    TempDir dir;
    TMemoryStream s;
    s.Write("keep", 4);
    EXPECT_THROW(s.LoadFromFile(dir.File(L"absent.ini")), EFileError);
    EXPECT_EQ(AsString(s), "keep");
    EXPECT_EQ(s.Position(), 4u);
}

} // namespace
