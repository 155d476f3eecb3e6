// The application's stored main-window placement and last page under a test title in
// HKEY_LOCAL_MACHINE, the user's start page, and the browser window's commands.
#include "browser/tools/StoredSettings.h"

#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/Registry.h"
#include "tests/support/SavedRegistryValue.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;

constexpr wchar_t kTitle[] = L"TnStoredSettingsTest";
const std::wstring kAppKey = std::wstring(L"SOFTWARE\\") + kTitle;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(kTitle));

// The test title's keys are gone before and after each test.
class StoredSettings : public ::testing::Test {
protected:
    void SetUp() override { (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kAppKey); }
    void TearDown() override { (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kAppKey); }

    using Values = std::vector<std::pair<const wchar_t*, int>>;
    static void WriteFormSize(const Values& values) {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(kAppKey + L"\\FormSize", true));
        for (const auto& [name, value] : values)
            reg.WriteInteger(name, value);
    }
    static std::optional<int> Stored(const wchar_t* name) {
        TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
        if (!reg.OpenKeyReadOnly(kAppKey + L"\\FormSize") || !reg.ValueExists(name)) return {};
        return reg.ReadInteger(name);
    }
};

// A shown main form of the application for as long as it lives.
struct MainForm {
    TComponent::Owned<TForm> form = TComponent::CreateOwned<TForm>();
    MainForm() {
        form->SetBorderStyle(TBorderStyle::bsSizeable);
        form->SetBounds(40, 50, 320, 240);
        form->Show();
        Application->SetMainForm(form.get());
    }
    ~MainForm() { Application->SetMainForm(nullptr); }
};

TEST_F(StoredSettings, AMaximizedMainFormIsStoredAndRestoredMaximized) {
    MainForm main;
    main.form->SetWindowState(TWindowState::wsMaximized);
    SaveMainFormPlacement();
    EXPECT_EQ(Stored(L"WindowState"), 2);
    EXPECT_EQ(Stored(L"Left"), main.form->Left());
    EXPECT_EQ(Stored(L"Top"), main.form->Top());
    EXPECT_EQ(Stored(L"Width"), main.form->Width());
    EXPECT_EQ(Stored(L"Height"), main.form->Height());

    main.form->SetWindowState(TWindowState::wsNormal);
    ASSERT_EQ(main.form->WindowState(), TWindowState::wsNormal);
    RestoreMainFormPlacement();
    EXPECT_EQ(main.form->WindowState(), TWindowState::wsMaximized);
    EXPECT_TRUE(::IsZoomed(main.form->Handle()));

    main.form->SetWindowState(TWindowState::wsNormal);
    main.form->SetBounds(40, 50, 320, 240);
    SaveMainFormPlacement();
    EXPECT_EQ(Stored(L"WindowState"), 0);
    EXPECT_EQ(Stored(L"Left"), 40);
    EXPECT_EQ(Stored(L"Height"), 240);
}

TEST_F(StoredSettings, RestoringAppliesTheValuesInOrderUntilOneCannotBeRead) {
    MainForm main;
    const RECT designed{40, 50, 360, 290};
    struct Case {
        const char* what;
        Values stored; // none at all: no key
        RECT bounds;
    } const cases[] = {
        {"no key", {}, designed},
        {"a state of 7 leaves the state",
         {{L"Left", 10}, {L"Top", 20}, {L"Width", 300}, {L"Height", 200}, {L"WindowState", 7}},
         {10, 20, 310, 220}},
        {"no Top: Left only", {{L"Left", 15}, {L"Width", 300}}, {15, 50, 335, 290}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kAppKey);
        if (!c.stored.empty()) WriteFormSize(c.stored);
        main.form->SetBounds(40, 50, 320, 240);
        RestoreMainFormPlacement();
        EXPECT_EQ(main.form->BoundsRect().left, c.bounds.left);
        EXPECT_EQ(main.form->BoundsRect().top, c.bounds.top);
        EXPECT_EQ(main.form->BoundsRect().right, c.bounds.right);
        EXPECT_EQ(main.form->BoundsRect().bottom, c.bounds.bottom);
        EXPECT_EQ(main.form->WindowState(), TWindowState::wsNormal);
    }

    // Without a main form nothing is read or stored.
    WriteFormSize({{L"Left", 1}, {L"Top", 2}, {L"Width", 300}, {L"Height", 200}});
    Application->SetMainForm(nullptr);
    main.form->SetBounds(40, 50, 320, 240);
    RestoreMainFormPlacement();
    EXPECT_EQ(main.form->Left(), 40);
    (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kAppKey);
    SaveMainFormPlacement();
    EXPECT_FALSE(TRegistry(HKEY_LOCAL_MACHINE).KeyExists(kAppKey + L"\\FormSize"));
}

TEST_F(StoredSettings, TheLastPageIsHandedOutAndCountsOnlyWithADot) {
    std::wstring page = L"stale";
    EXPECT_FALSE(ReadLastVisitedPage(page));
    EXPECT_EQ(page, L"") << "no key: cleared";

    // A key of the value's name is in the way of the value; writing removes it.
    TRegistry reg(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(kAppKey + L"\\WebPages\\LastVisitedPage\\old", true));
    reg.CloseKey();
    struct Case {
        const wchar_t* url;
        bool counts;
    } const cases[] = {
        {L"http://www.last.example/page", true}, {L"localhost", false}, {L"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.url)));
        EXPECT_TRUE(WriteLastVisitedPage(c.url));
        EXPECT_FALSE(reg.KeyExists(kAppKey + L"\\WebPages\\LastVisitedPage"));
        page = L"stale";
        EXPECT_EQ(ReadLastVisitedPage(page), c.counts);
        EXPECT_EQ(page, c.url);
    }

    // A value that is no text is no page.
    ASSERT_TRUE(reg.OpenKey(kAppKey + L"\\WebPages", false));
    reg.WriteInteger(L"LastVisitedPage", 5);
    EXPECT_FALSE(ReadLastVisitedPage(page));
    EXPECT_EQ(page, L"");
}

TEST(StartPage, TheStartPageIsTheUsersAndReadsBack) {
    const std::wstring key = L"Software\\Microsoft\\Internet Explorer\\Main";
    const test::SavedRegistryValue saved(HKEY_CURRENT_USER, key, L"Start Page");
    SetBrowserStartPage(L"http://start.tn-test.example/");
    TRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly(key));
    EXPECT_EQ(reg.ReadString(L"Start Page"), L"http://start.tn-test.example/");
}

// --- the browser window's commands --------------------------------------------------------------

std::vector<std::pair<WPARAM, LPARAM>> Commands;

LRESULT CALLBACK CommandWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) Commands.emplace_back(wParam, lParam);
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST(BrowserCommands, EachIsSentToTheWindowWithItsNumberAndNoSender) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CommandWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TnCommandTarget";
    ASSERT_NE(::RegisterClassW(&wc), 0);
    const HWND wnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    ShowVersionDialogCommand(wnd);
    CreateShortcutCommand(wnd);
    EXPECT_EQ(Commands, (std::vector<std::pair<WPARAM, LPARAM>>{{336, 0}, {284, 0}}));
    ::DestroyWindow(wnd);
}

} // namespace
