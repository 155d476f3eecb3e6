// The dialog table: what a replaced table receives, and the system's input query and save dialog
// driven under the display by a timer, as a user would.
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/FileUtil.h"

#include "tests/support/TempDir.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tn;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"Dialogs test"));

std::wstring Text(HWND wnd) {
    wchar_t text[512] = {};
    ::GetWindowTextW(wnd, text, 512);
    return text;
}

struct ChildSearch {
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND wnd, LPARAM lp) {
    auto& search = *reinterpret_cast<ChildSearch*>(lp);
    wchar_t cls[32] = {};
    ::GetClassNameW(wnd, cls, 32);
    if (::lstrcmpiW(cls, search.cls) == 0) search.found.push_back(wnd);
    return TRUE;
}

// The windows of a class below parent, at any depth, in creation order.
std::vector<HWND> Descendants(HWND parent, const wchar_t* cls) {
    ChildSearch search{cls, {}};
    ::EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs inside a dialog's modal loop: acts once the dialog of this thread is up. Should acting
// fail, the dialog is cancelled after a few seconds, and a loop bound ends the wait for good.
struct DialogDriver {
    static inline std::function<void(HWND dialog)> act;
    static inline UINT_PTR timer = 0;
    static inline int ticks = 0;
    static inline bool acted = false;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        const HWND dialog = test::ThreadBoxWindow();
        if (!dialog || !::IsWindowVisible(dialog)) return;
        if (!acted) {
            acted = true;
            act(dialog);
        } else if (++ticks == 100) {
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    // Runs show() with act armed; false when the loop bound had to end it.
    static bool Run(const std::function<void(HWND)>& action, const std::function<void()>& show) {
        act = action;
        ticks = 0;
        acted = false;
        timer = ::SetTimer(nullptr, 0, 50, &OnTimer);
        {
            const test::LoopBound bound(15000);
            show();
            ::KillTimer(nullptr, timer);
            if (!test::LoopBound::Expired()) return acted;
        }
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return false;
    }
};

void Type(HWND edit, const std::wstring& text) {
    for (const wchar_t c : text)
        ::PostMessageW(edit, WM_CHAR, c, 1);
}

TEST(InputQuery, TheSystemDialogShowsCaptionAndPromptAndHandsBackWhatWasTypedOnOkOnly) {
    struct Case {
        int button;
        bool expected;
        const wchar_t* value;
    } cases[] = {{IDOK, true, L"banana"}, {IDCANCEL, false, L"apple"}};
    for (const Case& c : cases) {
        std::wstring caption, prompt, shown;
        DWORD selStart = 1, selEnd = 0;
        std::wstring value = L"apple";
        bool result = !c.expected;
        const bool driven = DialogDriver::Run(
            [&](HWND dialog) {
                caption = Text(dialog);
                const auto statics = Descendants(dialog, L"Static");
                const auto edits = Descendants(dialog, L"Edit");
                if (!statics.empty()) prompt = Text(statics.front());
                if (edits.empty()) return;
                shown = Text(edits.front());
                ::SendMessageW(edits.front(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                               reinterpret_cast<LPARAM>(&selEnd));
                // The old value is selected, so typing replaces it.
                Type(edits.front(), L"banana");
                ::PostMessageW(::GetDlgItem(dialog, c.button), BM_CLICK, 0, 0);
            },
            [&] { result = DialogCalls().InputQuery(L"Find", L"Text to find:", value); });
        ASSERT_TRUE(driven) << "the dialog was never shown or never closed";
        EXPECT_EQ(caption, L"Find");
        EXPECT_EQ(prompt, L"Text to find:");
        EXPECT_EQ(shown, L"apple");
        EXPECT_EQ(selStart, 0u);
        EXPECT_EQ(selEnd, 5u);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(value, c.value);
    }
}

TEST(SaveFile, TheSystemDialogShowsTheRequestAndAddsTheDefaultExtensionOnOkOnly) {
    const tn::testing::TempDir dir;
    for (const int button : {IDOK, IDCANCEL}) {
        TFileDialogRequest request;
        request.Title = L"Web Site Text";
        request.Filter = L"Text file|*.txt|Any file|*.*";
        request.FilterIndex = 2;
        request.DefaultExt = L"txt";
        request.FileName = L"WebSiteText.txt";
        request.Options |= ofShowHelp;

        std::wstring caption, proposed;
        std::vector<std::wstring> filters;
        LRESULT selected = -1;
        bool confirmed = button != IDOK;
        const bool driven = DialogDriver::Run(
            [&](HWND dialog) {
                caption = Text(dialog);
                // The file types: the combo box that lists the filter's descriptions.
                for (const HWND combo : Descendants(dialog, L"ComboBox")) {
                    std::vector<std::wstring> items;
                    const auto n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
                    for (LRESULT i = 0; i < n; ++i) {
                        wchar_t item[128] = {};
                        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                       reinterpret_cast<LPARAM>(item));
                        items.emplace_back(item);
                    }
                    if (!items.empty() && items.front() == L"Text file") {
                        filters = items;
                        selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
                    }
                }
                // The file name: the edit that shows the proposed name.
                for (const HWND edit : Descendants(dialog, L"Edit")) {
                    if (Text(edit) != L"WebSiteText.txt") continue;
                    proposed = Text(edit);
                    ::SetWindowTextW(edit, (dir.Path() + L"report").c_str());
                }
                ::PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
            },
            [&] { confirmed = DialogCalls().SaveFile(request); });
        ASSERT_TRUE(driven) << "the dialog was never shown or never closed";
        EXPECT_EQ(caption, L"Web Site Text");
        EXPECT_EQ(proposed, L"WebSiteText.txt");
        EXPECT_EQ(filters, (std::vector<std::wstring>{L"Text file", L"Any file"}));
        EXPECT_EQ(selected, 1);
        EXPECT_EQ(confirmed, button == IDOK);
        if (button == IDOK) {
            // The filter chosen names no extension, so the default one is added.
            EXPECT_EQ(request.FileName, dir.Path() + L"report.txt");
            EXPECT_EQ(request.FilterIndex, 2u);
        } else {
            EXPECT_EQ(request.FileName, L"WebSiteText.txt");
        }
    }
}

TEST(SelectDirectory, TheSystemDialogShowsTheTitleAndGivesAFolderOnOkOnly) {
    for (const int button : {IDOK, IDCANCEL}) {
        std::wstring title;
        std::wstring folder = L"unchanged";
        bool chosen = button != IDOK;
        const bool driven = DialogDriver::Run(
            [&](HWND dialog) {
                const auto statics = Descendants(dialog, L"Static");
                if (!statics.empty()) title = Text(statics.front());
                // With nothing chosen the folder at the root of the tree is.
                ::PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0);
            },
            [&] { chosen = DialogCalls().SelectDirectory(nullptr, L"Images folder", folder); });
        ASSERT_TRUE(driven) << "the dialog was never shown or never closed";
        EXPECT_EQ(title, L"Images folder");
        EXPECT_EQ(chosen, button == IDOK);
        if (button == IDOK)
            EXPECT_TRUE(DirectoryExists(folder)) << "folder: " << ::testing::PrintToString(folder);
        else
            EXPECT_EQ(folder, L"unchanged");
    }
}

TEST(DialogCalls, AReplacedTableReceivesShowMessagesBoxAndTheSystemEntriesComeBack) {
    const TDialogCalls system = DialogCalls();
    {
        const test::DialogCallsSpy spy;
        using Spy = test::DialogCallsSpy;
        ShowMessage(L"hello");
        ASSERT_EQ(Spy::Boxes.size(), 1u);
        EXPECT_EQ(Spy::Boxes[0].owner, Application->Handle()); // no window of this thread active
        EXPECT_EQ(Spy::Boxes[0].text, L"hello");
        EXPECT_EQ(Spy::Boxes[0].caption, L"Dialogs test");
        EXPECT_EQ(Spy::Boxes[0].flags, static_cast<UINT>(MB_OK));
    }
    EXPECT_EQ(DialogCalls().MessageBoxW, system.MessageBoxW);
    EXPECT_EQ(DialogCalls().InputQuery, system.InputQuery);
    EXPECT_EQ(DialogCalls().OpenFile, system.OpenFile);
    EXPECT_EQ(DialogCalls().SaveFile, system.SaveFile);
    EXPECT_EQ(DialogCalls().SelectDirectory, system.SelectDirectory);
}

// A box shown through the table is the program's own while it is up, owned or not; one shown
// past the table (as the browser's are) is not.
TEST(MessageBox, TheProgramsOwnBoxesAreKnownAsSuchWhileTheyAreUp) {
    const struct {
        const char* name;
        int(WINAPI* show)(HWND, LPCWSTR, LPCWSTR, UINT);
        HWND owner;
        bool own;
    } cases[] = {
        {"through the table, unowned", DialogCalls().MessageBoxW, nullptr, true},
        {"through the table, owned", DialogCalls().MessageBoxW, Application->Handle(), true},
        {"past the table", &::MessageBoxW, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND box = nullptr;
        bool own = !c.own;
        const bool driven = DialogDriver::Run(
            [&](HWND dialog) {
                box = dialog;
                own = IsProgramMessageBox(dialog);
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            },
            [&] { (void)c.show(c.owner, L"text", L"caption", MB_OK); });
        ASSERT_TRUE(driven) << "the box was never shown or never closed";
        EXPECT_EQ(own, c.own);
        EXPECT_FALSE(::IsWindow(box));
    }
    EXPECT_FALSE(IsProgramMessageBox(nullptr));
    EXPECT_FALSE(IsProgramMessageBox(Application->Handle()));
}

} // namespace
