// The real tn.exe with a graphics library or a skin it cannot use: it must stop before its first
// window and say why, instead of drawing nothing or calling an empty entry point.
#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace tn {
namespace {

using testing::BoxWatch;
using testing::BuildFile;

// A folder of its own, so that its gdiplus.dll is the one the program finds first.
struct BrokenInstall {
    explicit BrokenInstall(const std::wstring& library) {
        Exe = dir.File(L"tnStartupE2E.exe");
        EXPECT_TRUE(::CopyFileW(BuildFile(L"windows/tn.exe").c_str(), Exe.c_str(), FALSE));
        EXPECT_TRUE(ForceDirectories(dir.File(L"Skin")));
        EXPECT_TRUE(::CopyFileW(BuildFile(L"windows/Skin/loginback.png").c_str(),
                                dir.File(L"Skin\\loginback.png").c_str(), FALSE));
        if (library.empty())
            testing::WriteFileBytes(dir.File(L"gdiplus.dll"), "not a library");
        else
            EXPECT_TRUE(
                ::CopyFileW(BuildFile(library).c_str(), dir.File(L"gdiplus.dll").c_str(), FALSE));
    }
    testing::TempDir dir;
    std::wstring Exe;
};

struct WindowSearch {
    DWORD process;
    HWND except;
    int count = 0;
};

BOOL CALLBACK CountVisible(HWND wnd, LPARAM lp) {
    auto& s = *reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    if (pid == s.process && wnd != s.except && ::IsWindowVisible(wnd)) ++s.count;
    return TRUE;
}

int VisibleWindowsOf(DWORD process, HWND except) {
    WindowSearch search{process, except};
    ::EnumWindows(&CountVisible, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

TEST(StartupE2E, AnUnusableGraphicsLibraryStopsTheStartWithItsReason) {
    struct Case {
        const wchar_t* library; // empty: a file that is no library at all
        const wchar_t* message;
    } cases[] = {
        {L"", L"无法加载图形组件 gdiplus.dll，程序无法运行。"},
        {L"tests/gdiplus/gdipfake-without-GdiplusStartup.dll",
         L"图形组件 gdiplus.dll 缺少函数 GdiplusStartup，程序无法运行。"},
        {L"tests/gdiplus/gdipfake-without-GdipAlloc.dll",
         L"图形组件 gdiplus.dll 缺少函数 GdipAlloc，程序无法运行。"},
    };
    // Windows takes the gdiplus.dll beside the program; Wine prefers its own unless this program's
    // settings say otherwise (ignored by Windows).
    TRegistry wine(HKEY_CURRENT_USER);
    ASSERT_TRUE(wine.OpenKey(L"Software\\Wine\\AppDefaults\\tnStartupE2E.exe\\DllOverrides", true));
    wine.WriteString(L"gdiplus", L"native,builtin");
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "library " << (c.library[0] ? "fake" : "garbage") << " " << (&c - cases));
        BrokenInstall install(c.library);
        BoxWatch boxes;
        const auto p = testing::Start(install.Exe, L"");
        const auto box = boxes.Next(p);
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(BoxWatch::Caption(*box), L"错误");
        EXPECT_EQ(BoxWatch::Message(*box), c.message);
        // The program shows no window besides the box.
        EXPECT_EQ(VisibleWindowsOf(p.Id, *box), 0);
        BoxWatch::Click(*box, IDOK);
        EXPECT_EQ(testing::WaitExit(p), 1u);
    }
    wine.CloseKey();
    wine.DeleteKey(L"Software\\Wine\\AppDefaults\\tnStartupE2E.exe");
}

// A skin picture that is there but cannot be decoded: the start stops with the missing-resource
// message, not with an empty, invisible window.
TEST(StartupE2E, AnUndecodableSkinStopsTheStartWithTheResourceMessage) {
    testing::TempDir dir;
    const std::wstring exe = dir.File(L"tnSkinE2E.exe");
    ASSERT_TRUE(::CopyFileW(BuildFile(L"windows/tn.exe").c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(ForceDirectories(dir.File(L"Skin")));
    testing::WriteFileBytes(dir.File(L"Skin\\loginback.png"), "\x89PNG\r\n\x1a\n-not-a-picture");
    BoxWatch boxes;
    const auto p = testing::Start(exe, L"");
    const auto box = boxes.Next(p);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(BoxWatch::Caption(*box), L"错误");
    EXPECT_EQ(BoxWatch::Message(*box), L"您的资源缺失，请下载新的程序或联系Varkel客服，谢谢！");
    EXPECT_EQ(VisibleWindowsOf(p.Id, *box), 0);
    BoxWatch::Click(*box, IDOK);
    EXPECT_EQ(testing::WaitExit(p), 1u);
}

} // namespace
} // namespace tn
