// Threads of the class library: Execute on a worker, free-on-terminate, and a synchronise call that
// runs a function on the GUI thread and waits for it.
#pragma once

#include "classlib/Handles.h"

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

namespace tn {

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Creates a thread object that frees itself when Execute returns, and starts it. The pointer is
    // not owned and may dangle as soon as the thread ends.
    template <typename T, typename... Args> static T* StartFreeOnTerminate(Args&&... args) {
        auto owner = std::make_unique<T>(std::forward<Args>(args)...);
        owner->FreeOnTerminate = true;
        T* raw = owner.get();
        raw->Launch(std::move(owner));
        return raw;
    }
    // An owned thread is told to terminate and waited for before its object is destroyed, so
    // Execute never runs on a half-destroyed object.
    struct Joiner {
        void operator()(TThread* t) const noexcept {
            t->Terminate();
            t->WaitFor();
            std::unique_ptr<TThread>{t}.reset();
        }
    };
    template <typename T> using Owned = std::unique_ptr<T, Joiner>;

    // Creates a thread object owned by the caller and starts it at once.
    template <typename T, typename... Args> static Owned<T> StartOwned(Args&&... args) {
        auto owner = std::make_unique<T>(std::forward<Args>(args)...);
        owner->Launch(nullptr);
        return Owned<T>(owner.release());
    }

    void Terminate() noexcept { FTerminated = true; }
    [[nodiscard]] bool Terminated() const noexcept { return FTerminated; }
    [[nodiscard]] bool Finished() const noexcept { return FFinished; }
    [[nodiscard]] DWORD ThreadID() const noexcept { return FThreadId; }
    // Waits for Execute to end; on the GUI thread it keeps serving synchronise calls meanwhile.
    void WaitFor() noexcept;

    // Runs fn on the GUI thread and waits for it; on the GUI thread itself fn runs at once. An
    // exception that fn raises is raised again here.
    static void Synchronize(const std::function<void()>& fn);

    bool FreeOnTerminate = false;
    // Runs on the GUI thread (through Synchronize) after Execute returns.
    std::function<void(TThread&)> OnTerminate;

protected:
    TThread() noexcept = default;
    virtual void Execute() = 0;

private:
    void Launch(std::unique_ptr<TThread> selfOwner);
    static unsigned __stdcall ThreadProc(void* arg) noexcept;

    UniqueHandleKernel FHandle;
    DWORD FThreadId = 0;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
};

// The GUI side of Synchronize. The application object names the GUI thread and how to wake it;
// its message loop then calls CheckSynchronize.
void SetSynchronizeWakeup(DWORD guiThreadId, std::function<void()> wake);
[[nodiscard]] DWORD GuiThreadId() noexcept;
// Runs the queued synchronise calls; true when it ran any.
bool CheckSynchronize() noexcept;

} // namespace tn
