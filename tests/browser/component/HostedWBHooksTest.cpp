// The browser component's owner hook with its dialog check, its child-window hooks and its
// context-menu filter: real components in forms, real windows taking the activation from them.
// This platform's control makes neither dialogs nor a document window, so those are windows of
// the browser's class names registered here.
#include "browser/component/BrowserModule.h"
#include "browser/component/HostedWB.h"
#include "browser/host/HwbControl.h"
#include "browser/host/HwbUtils.h"

#include "browser/tools/ShellTools.h"
#include "tests/browser/BrowserTestSupport.h"
#include "tests/browser/component/DialogWindows.h"
#include "tests/browser/FakeDispatch.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::Activate;
using test::DialogCommands;
using test::ItemText;
using test::NewDialog;
using test::PlainWindow;
using test::Pump;
using test::PumpUntil;
using test::ShowActive;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

class HooksWB : public THostedWB {
public:
    explicit HooksWB(TComponent* owner) : THostedWB(owner) {}
    using THostedWB::FilterPopupMenu;
    using THostedWB::HookChildWindowsIfNeeded;
    using THostedWB::IsMenuFilterActive;
};

// A form with a browser (owned by the form unless another owner is given) and a plain control.
// A hook on the form's window procedure, set before the browser's, records to which window the
// form lost the activation.
struct BrowserForm {
    explicit BrowserForm(int left = 0, TComponent* owner = nullptr) {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(left, 0, 360, 260);
        const TWndMethod formProc = form->WindowProc();
        form->SetWindowProc([this, formProc](TMessage& m) {
            if (m.Msg == WM_ACTIVATE && LOWORD(m.WParam) == WA_INACTIVE)
                lostTo.push_back(reinterpret_cast<HWND>(m.LParam));
            formProc(m);
        });
        wb = TComponent::Create<HooksWB>(owner ? *owner : *form);
        wb->SetParent(form);
        wb->SetBounds(10, 10, 240, 200);
        wb->DialogBoxes().NewCaption = L"Game";
        other = TComponent::Create<TWinControl>(*form);
        other->SetParent(form);
        other->SetBounds(270, 10, 60, 60);
        form->Show();
        (void)wb->Handle();
    }
    BrowserForm(const BrowserForm&) = delete;
    BrowserForm& operator=(const BrowserForm&) = delete;
    ~BrowserForm() { TComponent::Free(form); }
    // As a window does once its window and layout values exist. Every floating-point exception
    // masked: the module's start-up, which saves the control word to give back, does not run here.
    void Load() const {
        wb->DisableErrors().SetfpExceptions(false);
        wb->LoadSettings();
    }
    TForm* form;
    HooksWB* wb;
    TWinControl* other;
    std::vector<HWND> lostTo;
};

// --- windows of the browser's dialog classes ----------------------------------------------------

constexpr wchar_t kFrameClass[] = L"Internet Explorer_TridentDlgFrame";
constexpr wchar_t kOtherClass[] = L"TestOtherDialog";

// What each dialog frame received of the messages the check sends or posts.
std::map<HWND, std::vector<UINT>> FrameMessages;
std::map<HWND, LPARAM> FrameSmallIcon;

LRESULT CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
    case WM_SETICON:
        if (wp == ICON_SMALL) FrameSmallIcon[wnd] = lp;
        FrameMessages[wnd].push_back(msg);
        break;
    case WM_CLOSE: // recorded, not obeyed, so that what follows it is seen too
        FrameMessages[wnd].push_back(msg);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        FrameMessages[wnd].push_back(msg);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(wnd, msg, wp, lp);
}

HWND NewFrame(const wchar_t* cls, const wchar_t* caption, DWORD exStyle = 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassExW(&wc); // a second registration fails harmlessly
    // No caption bar: the system would add an edge style to it.
    return ::CreateWindowExW(exStyle, cls, caption, WS_POPUP | WS_BORDER, 420, 300, 200, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
}

// Whether a browser dialog that takes the activation from the form has its caption cleaned.
bool Treats(TForm* form) {
    EXPECT_TRUE(Activate(form->Handle()));
    const HWND frame = NewFrame(kFrameClass, L"Microsoft Internet Explorer");
    ShowActive(frame);
    const bool treated = GetWindowTextString(frame) != L"Microsoft Internet Explorer";
    ::DestroyWindow(frame);
    return treated;
}

// --- owner hook ---------------------------------------------------------------------------------

TEST(OwnerHook, TheFirstInstanceToLoadHooksItsOwnerAndOnlyItsOwnDestructionHandsTheHookOn) {
    ASSERT_FALSE(BrowserModuleFlags().OwnerHooked);
    // An owner without a window is not hooked, and the flag stays free.
    TForm* windowless = TComponent::Create<TForm>(*Application);
    {
        BrowserForm f(0, windowless);
        f.Load();
        EXPECT_FALSE(BrowserModuleFlags().OwnerHooked);
        EXPECT_FALSE(Treats(f.form));
    }
    TComponent::Free(windowless);

    auto first = std::make_unique<BrowserForm>(0);
    first->Load();
    EXPECT_TRUE(BrowserModuleFlags().OwnerHooked);
    EXPECT_TRUE(Treats(first->form));
    // Every message goes on to the procedure the hook found.
    EXPECT_FALSE(first->lostTo.empty());
    {
        BrowserForm second(380);
        second.Load();
        EXPECT_FALSE(Treats(second.form));
        TComponent::Free(second.wb);
    }
    EXPECT_TRUE(BrowserModuleFlags().OwnerHooked);
    EXPECT_TRUE(Treats(first->form));

    BrowserForm third(380);
    TComponent::Free(first->wb);
    EXPECT_FALSE(BrowserModuleFlags().OwnerHooked);
    first->lostTo.clear();
    EXPECT_FALSE(Treats(first->form));
    EXPECT_FALSE(first->lostTo.empty()); // the form's own procedure is back in place
    third.Load();
    EXPECT_TRUE(BrowserModuleFlags().OwnerHooked);
    EXPECT_TRUE(Treats(third.form));
    EXPECT_FALSE(Treats(first->form));
}

// Another hook set on the owner after the browser's calls the browser's in turn; the browser
// that goes first must neither drop that hook nor leave it calling into the freed browser.
TEST(OwnerHook, ABrowserThatGoesFirstLeavesAHookChainedAfterItsOwnInPlace) {
    BrowserForm f;
    f.Load();
    ASSERT_TRUE(BrowserModuleFlags().OwnerHooked);
    int seen = 0;
    const TWndMethod browsers = f.form->WindowProc();
    f.form->SetWindowProc([&seen, browsers](TMessage& m) {
        if (m.Msg == WM_USER + 7) ++seen;
        browsers(m);
    });
    TComponent::Free(f.wb);
    EXPECT_FALSE(BrowserModuleFlags().OwnerHooked);
    ::SendMessageW(f.form->Handle(), WM_USER + 7, 0, 0);
    EXPECT_EQ(seen, 1) << "the later hook is still in place";
    f.lostTo.clear();
    EXPECT_FALSE(Treats(f.form)) << "the browser's check left the chain";
    EXPECT_FALSE(f.lostTo.empty()) << "the procedures before it are still reached";
    EXPECT_EQ(seen, 1);
}

// --- the dialog check ---------------------------------------------------------------------------

TEST(DialogCheck, ABrowserDialogIsCleanedClosedOrDestroyedAsTheOptionsSay) {
    BrowserForm f;
    f.Load();
    using Options = std::function<void(THostedWB&)>;
    const Options defaults = [](THostedWB&) {};
    struct Case {
        const char* name;
        const wchar_t* cls;
        const wchar_t* caption;
        DWORD exStyle;
        Options options;
        const wchar_t* after; // null: destroyed
        std::vector<UINT> messages;
    };
    const Case cases[] = {
        {"the browser's name gives way to NewCaption, the icon to the application's",
         kFrameClass,
         L"Microsoft Internet Explorer",
         0,
         defaults,
         L"Game",
         {WM_SETICON}},
        {"the first of each, case-sensitively",
         kFrameClass,
         L"microsoft Internet Explorer: Microsoft Internet Explorer",
         0,
         defaults,
         L"microsoft Game: Internet Explorer",
         {WM_SETICON}},
        {"caption and icon left when switched off",
         kFrameClass,
         L"Microsoft Internet Explorer",
         0,
         [](THostedWB& wb) {
             wb.DialogBoxes().ReplaceCaption = false;
             wb.DialogBoxes().ReplaceIcon = false;
         },
         L"Microsoft Internet Explorer",
         {}},
        {"a script error is clicked away and closed",
         kFrameClass,
         L"Internet Explorer Script Error",
         0,
         defaults,
         L"Game Script Error",
         {WM_SETICON, WM_CLOSE, WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"a script error stays when errors are not suppressed",
         kFrameClass,
         L"Internet Explorer Script Error",
         0,
         [](THostedWB& wb) { wb.DisableErrors().ScriptErrorsSuppressed = false; },
         L"Game Script Error",
         {WM_SETICON}},
        {"an error dialog is destroyed",
         kFrameClass,
         L"An error has occurred",
         0,
         defaults,
         nullptr,
         {WM_SETICON}},
        {"so is one with the error dialogs' extended style",
         kFrameClass,
         L"Notice",
         0x410101,
         defaults,
         nullptr,
         {WM_SETICON}},
        {"DisableAll closes every treated dialog",
         kFrameClass,
         L"Notice",
         0,
         [](THostedWB& wb) { wb.DialogBoxes().DisableAll = true; },
         L"Notice",
         {WM_CLOSE, WM_SETICON}},
        {"a window of another class is left alone",
         kOtherClass,
         L"Microsoft Internet Explorer",
         0,
         [](THostedWB& wb) { wb.DialogBoxes().DisableAll = true; },
         L"Microsoft Internet Explorer",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.wb->DialogBoxes() = {};
        f.wb->DialogBoxes().NewCaption = L"Game";
        f.wb->DisableErrors().ScriptErrorsSuppressed = true;
        c.options(*f.wb);
        FrameMessages.clear();
        FrameSmallIcon.clear();
        ASSERT_TRUE(Activate(f.form->Handle()));
        const HWND frame = NewFrame(c.cls, c.caption, c.exStyle);
        ASSERT_EQ(static_cast<DWORD>(::GetWindowLongW(frame, GWL_EXSTYLE)), c.exStyle);
        ShowActive(frame);
        ASSERT_EQ(f.lostTo.back(), frame);
        if (c.after) {
            EXPECT_EQ(GetWindowTextString(frame), c.after);
            ::DestroyWindow(frame);
        } else {
            EXPECT_FALSE(::IsWindow(frame));
        }
        EXPECT_EQ(FrameMessages[frame], c.messages);
        if (!c.messages.empty() && c.messages.front() == WM_SETICON) {
            EXPECT_EQ(FrameSmallIcon[frame], reinterpret_cast<LPARAM>(Application->Icon()));
        }
    }
}

TEST(DialogCheck, OnShowDialogSeesTheDialogAndChangesTheTwoOptionsItself) {
    BrowserForm f;
    f.Load();
    HWND seen = nullptr;
    int seenStyle = 0;
    std::wstring seenCaption, seenNew;
    bool seenCancel = true;
    f.wb->OnShowDialog = [&](TObject* sender, HWND h, int exStyle, const std::wstring& oldCaption,
                             std::wstring& newCaption, bool& cancel) {
        EXPECT_EQ(sender, f.wb);
        seen = h;
        seenStyle = exStyle;
        seenCaption = oldCaption;
        seenNew = newCaption;
        seenCancel = cancel;
        newCaption = L"Launcher";
        cancel = true;
    };
    FrameMessages.clear();
    ASSERT_TRUE(Activate(f.form->Handle()));
    const HWND frame = NewFrame(kFrameClass, L"Microsoft Internet Explorer", WS_EX_TOOLWINDOW);
    ShowActive(frame);
    EXPECT_EQ(seen, frame);
    EXPECT_EQ(static_cast<DWORD>(seenStyle), static_cast<DWORD>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(seenCaption, L"Microsoft Internet Explorer");
    EXPECT_EQ(seenNew, L"Game");
    EXPECT_FALSE(seenCancel);
    EXPECT_EQ(f.wb->DialogBoxes().NewCaption, L"Launcher");
    EXPECT_TRUE(f.wb->DialogBoxes().DisableAll);
    EXPECT_EQ(GetWindowTextString(frame), L"Launcher");
    EXPECT_EQ(FrameMessages[frame], (std::vector<UINT>{WM_CLOSE, WM_SETICON}));
    ::DestroyWindow(frame);
}

TEST(DialogCheck, AMessageDialogIsTreatedOnlyWhenNoWindowOfTheProgramOwnsIt) {
    BrowserForm f;
    f.Load();
    const PlainWindow plain;
    struct Case {
        const char* name;
        HWND owner;
        const wchar_t* after;
    } const cases[] = {
        {"owned by a plain window", plain.wnd, L"Game"},
        {"owned by the application window", Application->Handle(), L"Microsoft Internet Explorer"},
        {"owned by the form", f.form->Handle(), L"Microsoft Internet Explorer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Activate(f.form->Handle()));
        const HWND dialog = NewDialog(L"Microsoft Internet Explorer", c.owner);
        ASSERT_NE(dialog, nullptr);
        ShowActive(dialog);
        ASSERT_EQ(f.lostTo.back(), dialog);
        EXPECT_EQ(GetWindowTextString(dialog), c.after);
        ::DestroyWindow(dialog);
    }
}

// The box on show while it runs: its window and caption, then it is confirmed. False (and the
// loop ended for good) when the box was never seen.
struct ShownBox {
    HWND box = nullptr;
    std::wstring caption;
    static inline ShownBox* current = nullptr;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND box = test::ThreadBoxWindow();
        if (!box || !::IsWindowVisible(box)) return;
        ::KillTimer(nullptr, id);
        current->box = box;
        current->caption = GetWindowTextString(box);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    bool Run(const std::function<void()>& show) {
        current = this;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &OnTimer);
        {
            const test::LoopBound bound(15000);
            show();
            ::KillTimer(nullptr, timer);
            if (!test::LoopBound::Expired()) return !caption.empty();
        }
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return false;
    }
};

HRESULT WINAPI FailingDownload(LPUNKNOWN, LPCWSTR, LPCWSTR, DWORD, LPBINDSTATUSCALLBACK) {
    return INET_E_DOWNLOAD_FAILURE;
}

// The program's own notice of a failed download takes the activation from the form unowned, and
// its caption says "Error": it is the program's, so the check leaves it alone. A box of the same
// caption that the program did not show is still destroyed.
TEST(DialogCheck, TheProgramsOwnMessageBoxesAreLeftAloneOwnedOrNot) {
    BrowserForm f;
    f.Load();
    ASSERT_TRUE(f.wb->DisableErrors().ScriptErrorsSuppressed);
    ASSERT_TRUE(Activate(f.form->Handle()));
    ShownBox shown;
    const bool seen = shown.Run([] {
        DownloadUrlToFileWithNotice(L"http://127.0.0.1:1/file.zip", L"C:\\file.zip", true,
                                    DownloadCalls{&FailingDownload});
    });
    ASSERT_TRUE(seen) << "the notice was taken away before the user saw it";
    EXPECT_NE(std::find(f.lostTo.begin(), f.lostTo.end(), shown.box), f.lostTo.end())
        << "the box took the activation from the form";
    EXPECT_EQ(shown.caption, L"Downloading Error!!");

    ASSERT_TRUE(Activate(f.form->Handle()));
    const HWND foreign = NewDialog(L"Downloading Error!!", nullptr);
    ShowActive(foreign);
    ASSERT_EQ(f.lostTo.back(), foreign);
    EXPECT_FALSE(::IsWindow(foreign)) << "destroyed as an error dialog of the browser";
}

// A form that notes what the dialog frame had received when the form was freed.
class NotingForm : public TForm {
public:
    explicit NotingForm(TComponent* owner) : TForm(owner) {}
    static inline std::vector<UINT> frameMessagesAtFree;
    static inline HWND frame = nullptr;

protected:
    void BeforeDestruction() noexcept override {
        frameMessagesAtFree = FrameMessages[frame];
        TForm::BeforeDestruction();
    }
};

// The check pumps messages for a script error (step 7); the message that frees the owner form
// (and the browser with it) arrives then. The form's own procedure is not called afterwards.
TEST(DialogCheck, AnOwnerFreedWhileTheCheckPumpsIsNotCalledOnAfterwards) {
    auto* form = TComponent::Create<test::Poisoned<NotingForm>>(*Application);
    form->SetBounds(0, 0, 360, 260);
    auto* wb = TComponent::Create<HooksWB>(*form);
    wb->SetParent(form);
    wb->SetBounds(10, 10, 240, 200);
    form->Show();
    (void)wb->Handle();
    wb->DisableErrors().SetfpExceptions(false);
    wb->LoadSettings();
    ASSERT_TRUE(BrowserModuleFlags().OwnerHooked);
    ASSERT_TRUE(Activate(form->Handle()));
    FrameMessages.clear();
    const TLifeToken life = wb->Life();
    const test::FaultCount faults;
    NotingForm::frame = NewFrame(kFrameClass, L"Internet Explorer Script Error");
    form->Release(); // waits in the queue for the check's pump
    ShowActive(NotingForm::frame);
    EXPECT_FALSE(life.Alive());
    // Freed inside the pump: after the close was sent, before the posted clicks were taken.
    EXPECT_EQ(NotingForm::frameMessagesAtFree, (std::vector<UINT>{WM_SETICON, WM_CLOSE}));
    EXPECT_FALSE(BrowserModuleFlags().OwnerHooked);
    EXPECT_EQ(faults.Value(), 0) << "the freed form was called on";
    EXPECT_TRUE(test::Poisoned<NotingForm>::FreedUntouched());
    ::DestroyWindow(NotingForm::frame);
}

// The user's measurement system and decimal separator, given back afterwards.
class LocaleOverride {
public:
    LocaleOverride(const wchar_t* measure, const wchar_t* decimal)
        : measure_(Read(LOCALE_IMEASURE)), decimal_(Read(LOCALE_SDECIMAL)) {
        EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure));
        EXPECT_TRUE(::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal));
    }
    LocaleOverride(const LocaleOverride&) = delete;
    LocaleOverride& operator=(const LocaleOverride&) = delete;
    ~LocaleOverride() {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure_.c_str());
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal_.c_str());
    }

private:
    static std::wstring Read(LCTYPE type) {
        wchar_t value[16] = {};
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, value, static_cast<int>(std::size(value)));
        return value;
    }
    std::wstring measure_, decimal_;
};

TEST(DialogCheck, TheNextPageSetupDialogIsFilledFromThePrintOptionsAndConfirmed) {
    struct Case {
        const char* name;
        const wchar_t* measure; // the locale's: "0" metric, "1" inches
        const wchar_t* decimal;
        TPrintOrientationOption orientation;
        int button;
        std::vector<std::wstring> margins; // left, top, right, bottom
    } const cases[] = {
        {"the locale measures as the options do",
         L"0",
         L".",
         poPortrait,
         1056,
         {L"25.4", L"12.7", L"50.8", L"1"}},
        {"the locale measures in inches: millimetres divided",
         L"1",
         L",",
         poLandScape,
         1057,
         {L"1", L"0,5", L"2", L"0,0393700787401575"}},
    };
    const PlainWindow plain;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LocaleOverride locale(c.measure, c.decimal);
        BrowserForm f;
        f.Load(); // reads the locale's measurement system
        TPrintOptions& options = f.wb->PrintOptions();
        options.Enabled = true;
        options.Orientation = c.orientation;
        options.Header = L"&w&bPage &p of &P";
        options.Footer = L"&u&b&d";
        options.Margins = {25.4, 50.8, 12.7, 1}; // left, right, top, bottom
        BrowserModuleFlags().FillNextPrintDialog = true;
        DialogCommands.clear();

        ASSERT_TRUE(Activate(f.form->Handle()));
        HWND dialog = NewDialog(L"Page Setup", plain.wnd);
        ShowActive(dialog);
        ASSERT_EQ(f.lostTo.back(), dialog);
        EXPECT_FALSE(BrowserModuleFlags().FillNextPrintDialog);
        EXPECT_EQ(::IsDlgButtonChecked(dialog, c.button), BST_CHECKED);
        EXPECT_EQ(ItemText(dialog, 8147), L"&w&bPage &p of &P");
        EXPECT_EQ(ItemText(dialog, 8149), L"&u&b&d");
        const std::vector<std::wstring> margins = {ItemText(dialog, 1155), ItemText(dialog, 1156),
                                                   ItemText(dialog, 1157), ItemText(dialog, 1158)};
        EXPECT_EQ(margins, c.margins);
        // The confirmation is posted: the dialog takes it once the activation is done.
        auto& commands = DialogCommands[dialog];
        EXPECT_TRUE(PumpUntil([&] {
            return !commands.empty() && commands.back() == std::pair{IDOK, int{BN_CLICKED}};
        }));
        EXPECT_EQ(commands.front(), (std::pair{c.button, int{BN_CLICKED}}));
        ::DestroyWindow(dialog);

        // The flag is spent: the next dialog stays empty. With the options off the flag waits.
        for (const bool enabled : {true, false}) {
            options.Enabled = enabled;
            BrowserModuleFlags().FillNextPrintDialog = !enabled;
            ASSERT_TRUE(Activate(f.form->Handle()));
            dialog = NewDialog(L"Page Setup", plain.wnd);
            ShowActive(dialog);
            Pump();
            EXPECT_EQ(ItemText(dialog, 8147), L"");
            EXPECT_TRUE(DialogCommands[dialog].empty());
            EXPECT_EQ(BrowserModuleFlags().FillNextPrintDialog, !enabled);
            ::DestroyWindow(dialog);
        }
        BrowserModuleFlags().FillNextPrintDialog = false;
    }
}

// --- child windows ------------------------------------------------------------------------------

HWND ChildOf(HWND parent, const wchar_t* cls) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassExW(&wc); // fails harmlessly for a class that exists (the list view's)
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent, nullptr,
                             wc.hInstance, nullptr);
}

LONG_PTR ProcOf(HWND wnd) {
    return ::GetWindowLongPtrW(wnd, GWLP_WNDPROC);
}

TEST(ChildHooks, TheBrowsersWindowsActivateItOnFocusAndUnhookAllThreeWhenOneDies) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    BrowserForm f;
    f.Load();
    ASSERT_TRUE(Activate(f.form->Handle()));
    // "Shell Embedding" > "Shell DocObject View" (made by the first navigation) > document
    // window > folder list.
    f.wb->Navigate(L"about:blank");
    ASSERT_TRUE(PumpUntil([&] { return f.wb->GetIEWin(L"Shell DocObject View") != nullptr; }));
    const HWND view = f.wb->GetIEWin(L"Shell DocObject View");
    ASSERT_NE(::GetParent(view), f.wb->HandleIfAllocated());
    const HWND server = ChildOf(view, L"Internet Explorer_Server");
    const HWND list = ChildOf(server, WC_LISTVIEWW);
    ASSERT_EQ(f.wb->GetIEWin(L"SysListView32"), list);
    const HWND windows[] = {view, server, list};
    const LONG_PTR own[] = {ProcOf(view), ProcOf(server), ProcOf(list)};
    const auto hooked = [&] {
        std::vector<bool> h;
        for (std::size_t i = 0; i < 3; ++i)
            h.push_back(::IsWindow(windows[i]) && ProcOf(windows[i]) != own[i]);
        return h;
    };
    // Focus moving into a window activates the browser (focus left where it went) when hooked.
    const auto activates = [&](HWND wnd) {
        f.other->SetFocus();
        EXPECT_EQ(f.form->ActiveControl(), f.other);
        ::SetFocus(wnd);
        Pump();
        EXPECT_EQ(::GetFocus(), wnd);
        return f.form->ActiveControl() == f.wb;
    };

    // The folder list first, then the view with the document window.
    f.wb->HookChildWindowsIfNeeded();
    EXPECT_EQ(hooked(), (std::vector<bool>{false, false, true}));
    f.wb->HookChildWindowsIfNeeded();
    EXPECT_EQ(hooked(), (std::vector<bool>{true, true, true}));
    for (const HWND wnd : windows)
        EXPECT_TRUE(activates(wnd));

    // One of them dies: all three go back to their own procedures.
    ::DestroyWindow(list);
    EXPECT_EQ(ProcOf(view), own[0]);
    EXPECT_EQ(ProcOf(server), own[1]);
    EXPECT_FALSE(activates(view));
    EXPECT_FALSE(activates(server));

    // Hooked again, then the component goes first while a window of it lives on elsewhere.
    f.wb->HookChildWindowsIfNeeded();
    EXPECT_EQ(hooked(), (std::vector<bool>{true, true, false}));
    const PlainWindow parking;
    ::SetParent(server, parking.wnd);
    TComponent::Free(f.wb);
    EXPECT_EQ(ProcOf(server), own[1]);
    if (::IsWindow(view)) {
        EXPECT_EQ(ProcOf(view), own[0]);
    }
    ::SendMessageW(server, WM_SETFOCUS, 0, 0);
    ::DestroyWindow(server);
}

TEST(ChildHooks, ActivatingMovesTheFocusIntoTheBrowserOnlyWhenItIsNotThereYet) {
    BrowserForm f;
    f.Load();
    ASSERT_TRUE(Activate(f.form->Handle()));
    // The browser is the active control, the focus on the form itself (as after the application
    // was activated again): the refocus message brings the focus into the browser.
    f.form->SetActiveControl(f.wb);
    ::SetFocus(f.form->Handle());
    ASSERT_EQ(f.form->ActiveControl(), f.wb);
    ASSERT_FALSE(f.wb->Focused());
    ::PostMessageW(f.wb->Handle(), WM_HWB_REFOCUS, reinterpret_cast<WPARAM>(f.wb), 0);
    EXPECT_TRUE(PumpUntil([&] { return f.wb->Focused(); }));
}

// --- a browser freed while it runs ---------------------------------------------------------------

// The control object whose activation runs what the test gives it.
class ActivatingObject final : public test::FakeDispatchObject<IDispatch, IOleObject> {
public:
    std::function<void()> onActivate;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                     LPCRECT) override {
        if (verb == OLEIVERB_UIACTIVATE && onActivate) onActivate();
        return S_OK;
    }
};

// A browser with a document and a control object of the test's.
class FocusWB : public HooksWB {
public:
    explicit FocusWB(TComponent* owner) : HooksWB(owner) {}
    IDispatch* document = nullptr;
    IDispatch* application = nullptr;
    [[nodiscard]] ComPtr<IDispatch> Document() const override { return ComPtr(document); }
    [[nodiscard]] ComPtr<IDispatch> Application() const override { return ComPtr(application); }
};

// A shown form with a browser whose freed block is kept and poisoned; the form frees it.
template <typename T> struct PoisonedBrowserForm {
    PoisonedBrowserForm() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 360, 260);
        wb = TComponent::Create<test::Poisoned<T>>(*form);
        wb->SetParent(form);
        wb->SetBounds(10, 10, 240, 200);
        form->Show();
        (void)wb->Handle();
        life = wb->Life();
    }
    TForm* form;
    T* wb;
    TLifeToken life;
};

// Activating the browser focuses its document through the control, which may run what frees the
// browser: neither the focus flags nor anything else of it is touched afterwards.
TEST(BrowserLifetime, ABrowserFreedWhileItFocusesItsDocumentIsNotWrittenAfterwards) {
    PoisonedBrowserForm<FocusWB> f;
    test::FakeDispatch page;
    ActivatingObject control;
    f.wb->document = page.Dispatch();
    f.wb->application = control.Dispatch();
    ASSERT_TRUE(Activate(f.form->Handle()));
    f.form->SetActiveControl(f.wb);
    ASSERT_EQ(f.form->ActiveControl(), f.wb);
    control.onActivate = [form = f.form] { TComponent::Free(form); };
    const test::FaultCount faults;
    ::SendMessageW(f.wb->Handle(), WM_HWB_REFOCUS, 0, 0);
    EXPECT_FALSE(f.life.Alive());
    EXPECT_EQ(faults.Value(), 0) << "the freed browser was read";
    EXPECT_TRUE(test::Poisoned<FocusWB>::FreedUntouched());
}

// A message whose handling (in the base procedure) frees the browser: the window procedure reads
// nothing of it afterwards.
TEST(BrowserLifetime, TheWindowProcedureReadsNothingOnceTheBaseFreedTheBrowser) {
    PoisonedBrowserForm<HooksWB> f;
    f.wb->LoadSettings();
    int messages = 0;
    f.wb->OnMessage = [&](TObject*, TMessage&, bool&) { ++messages; };
    f.wb->SetMessageHandler(WM_APP + 9, [form = f.form](TMessage&) { TComponent::Free(form); });
    const test::FaultCount faults;
    ::SendMessageW(f.wb->Handle(), WM_APP + 9, 0, 0);
    EXPECT_FALSE(f.life.Alive());
    EXPECT_EQ(faults.Value(), 0) << "the freed browser was read";
    EXPECT_EQ(messages, 0) << "no event of a freed browser";
    EXPECT_TRUE(test::Poisoned<HooksWB>::FreedUntouched());
}

// --- context-menu filter ------------------------------------------------------------------------

TEST(MenuFilter, TheChosenItemsAreDeletedByCommandAfterTheBaseFilterRan) {
    const auto wb = TComponent::CreateOwned<HooksWB>();
    EXPECT_FALSE(wb->IsMenuFilterActive());
    wb->DisabledPopupMenuItems = {rcsViewSource, rcsProperties};
    EXPECT_TRUE(wb->IsMenuFilterActive());

    const HMENU menu = ::CreatePopupMenu();
    for (const DWORD id : kMenuCommandTable)
        ::AppendMenuW(menu, MF_STRING, id, L"item");
    int itemsSeenByBase = -1;
    wb->OnFilterPopupMenu = [&](TObject*, DWORD, HMENU m, IDispatch*) {
        itemsSeenByBase = ::GetMenuItemCount(m);
    };
    wb->FilterPopupMenu(0, menu, nullptr);
    EXPECT_EQ(itemsSeenByBase, 17);
    std::vector<DWORD> left;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        left.push_back(::GetMenuItemID(menu, i));
    std::vector<DWORD> expected(std::begin(kMenuCommandTable), std::end(kMenuCommandTable));
    std::erase(expected, DWORD{2139});
    std::erase(expected, DWORD{28});
    EXPECT_EQ(left, expected);
    ::DestroyMenu(menu);

    wb->DisabledPopupMenuItems = {};
    EXPECT_TRUE(wb->IsMenuFilterActive()); // the base's handler alone keeps it active
}

} // namespace
