// The application object: title, main form, message loop with Terminate and ProcessMessages, the
// hidden application window, its hooks, and a message event with many listeners that see every
// queued message first.
#pragma once

#include "classlib/Component.h"
#include "classlib/Handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace tn {

class TForm;

// Sees a queued message before dispatch; setting handled drops it.
using TMessageEvent = std::function<void(MSG& msg, bool& handled)>;

// The owner of the forms it creates: they are freed when Run ends, while the modules they use
// still stand.
class TApplication : public TComponent {
public:
    TApplication() : TComponent(nullptr) {}
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;
    ~TApplication();

    // Creates the hidden application window and makes this thread the GUI thread.
    void Initialize();

    [[nodiscard]] HWND Handle() const noexcept { return FHandle; }
    [[nodiscard]] const std::wstring& Title() const noexcept { return FTitle; }
    void SetTitle(const std::wstring& title);

    [[nodiscard]] TForm* MainForm() const noexcept { return FMainForm; }
    void SetMainForm(TForm* form) noexcept { FMainForm = form; }
    bool MainFormOnTaskBar = false;
    // The executable's icon (resource "MAINICON"), loaded by Initialize.
    [[nodiscard]] HICON Icon() const noexcept { return FIcon; }
    // The icon becomes a copy of icon (the caller keeps its own), shown by the application
    // window; null, or an icon that cannot be copied, gives the system's default icon.
    void SetIcon(HICON icon) noexcept;

    // Creates a form owned by the application; the first one becomes the main form.
    template <typename T, typename... Args> T* CreateForm(Args&&... args) {
        const bool first = FMainForm == nullptr;
        FCreatingMainForm = first;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{FCreatingMainForm};
        T* form = TComponent::Create<T>(*this, std::forward<Args>(args)...);
        if (first && !FMainForm) FMainForm = form;
        return form;
    }
    // True while CreateForm builds the first form.
    [[nodiscard]] bool CreatingMainForm() const noexcept { return FCreatingMainForm; }

    // Without a main form it returns at once; else it shows the main form, dispatches until
    // Terminate, and frees the forms.
    void Run();
    void Terminate() noexcept;
    // Readable from any thread: a worker asks it before a step that outlives the choice to end.
    [[nodiscard]] bool Terminated() const noexcept { return FTerminated; }
    // Dispatches what is queued now, without waiting.
    void ProcessMessages();
    // Waits for one message and dispatches it; false after WM_QUIT.
    bool HandleMessage();

    // Listeners of every queued message, asked in the order they were added until one handles
    // it. A listener may add or remove listeners (itself too) while it runs; one that raises
    // counts as not handling the message, and the loop goes on.
    int AddMessageListener(TMessageEvent listener);
    void RemoveMessageListener(int cookie) noexcept;
    // The queued key message being offered to a control as its CN_ twin now, else null.
    [[nodiscard]] const MSG* KeyMessage() const noexcept { return FKeyMessage; }

    // Main-window hooks see each message of the application window first; true means handled.
    using MainWindowHook =
        std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    int HookMainWindow(MainWindowHook hook);
    void UnhookMainWindow(int cookie) noexcept;
    // Posts CM_ACTIVATE to the application window, unless one is already on its way.
    void PostActivate() noexcept;

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT AppWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool ProcessMessage(MSG& msg);
    [[nodiscard]] bool NotifyMessageListeners(MSG& msg) noexcept;
    // Offers a key message to the class-library control it is aimed at; true drops it.
    bool IsKeyMsg(MSG& msg) noexcept;

    HWND FHandle = nullptr;
    std::wstring FTitle;
    TForm* FMainForm = nullptr;
    bool FCreatingMainForm = false;
    HICON FIcon = nullptr;
    UniqueIcon FOwnedIcon; // the copy SetIcon made, when FIcon is one
    std::atomic<bool> FTerminated{false};
    int FNextHook = 1;
    std::vector<std::pair<int, MainWindowHook>> FHooks;
    bool FActivatePosted = false;
    const MSG* FKeyMessage = nullptr;
    int FNextListener = 1;
    std::vector<std::pair<int, TMessageEvent>> FListeners;
};

// The application's message event as a component: its OnMessage is one of the listeners for as
// long as the component exists.
class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* owner);
    ~TApplicationEvents() override;
    TMessageEvent OnMessage;

private:
    int FCookie;
};

// The one application object of the process, as the class library's programs expect it.
extern TApplication* Application;

} // namespace tn
