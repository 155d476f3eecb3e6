#include "classlib/Thread.h"

#include <process.h>

#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace tn {

namespace {

struct SyncCall {
    const std::function<void()>* fn;
    UniqueHandleKernel done;
    std::exception_ptr error;
};

// The synchronise queue is the class library's one piece of process state: it is what joins every
// worker to the GUI thread.
struct SyncQueue {
    std::mutex lock;
    std::deque<SyncCall*> calls;
    DWORD guiThread = ::GetCurrentThreadId();
    std::function<void()> wake;
    UniqueHandleKernel signal{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

SyncQueue& Queue() {
    // Never destroyed: a worker still running while the process ends may call in after the
    // static objects are gone; it then waits until the process takes it down.
    static SyncQueue& q = *new SyncQueue;
    return q;
}

} // namespace

void SetSynchronizeWakeup(DWORD guiThreadId, std::function<void()> wake) {
    auto& q = Queue();
    std::lock_guard g(q.lock);
    q.guiThread = guiThreadId;
    q.wake = std::move(wake);
}

DWORD GuiThreadId() noexcept {
    return Queue().guiThread;
}

bool CheckSynchronize() noexcept {
    auto& q = Queue();
    bool ran = false;
    for (;;) {
        SyncCall* call;
        {
            std::lock_guard g(q.lock);
            if (q.calls.empty()) break;
            call = q.calls.front();
            q.calls.pop_front();
        }
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        ::SetEvent(call->done.get());
        ran = true;
    }
    return ran;
}

void TThread::Synchronize(const std::function<void()>& fn) {
    auto& q = Queue();
    if (::GetCurrentThreadId() == q.guiThread) {
        fn();
        return;
    }
    SyncCall call{&fn, UniqueHandleKernel(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), nullptr};
    if (!call.done) throw std::runtime_error("cannot create the synchronise event");
    std::function<void()> wake;
    {
        std::lock_guard g(q.lock);
        q.calls.push_back(&call);
        wake = q.wake;
    }
    ::SetEvent(q.signal.get());
    if (wake) wake();
    ::WaitForSingleObject(call.done.get(), INFINITE);
    if (call.error) std::rethrow_exception(call.error);
}

void TThread::Launch(std::unique_ptr<TThread> selfOwner) {
    // Until the thread runs, this object owns itself through selfOwner; the thread then takes over.
    unsigned id = 0;
    const auto h = ::_beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
    if (h == 0) throw std::runtime_error("cannot create a thread");
    FHandle.reset(reinterpret_cast<HANDLE>(h));
    FThreadId = id;
    selfOwner.release();
    ::ResumeThread(FHandle.get());
}

unsigned __stdcall TThread::ThreadProc(void* arg) noexcept {
    auto* self = static_cast<TThread*>(arg);
    try {
        self->Execute();
    } catch (...) {
        // A worker's failure ends only that worker.
    }
    if (self->OnTerminate) {
        try {
            Synchronize([self] { self->OnTerminate(*self); });
        } catch (...) {
        }
    }
    const bool freeIt = self->FreeOnTerminate;
    self->FFinished = true;
    if (freeIt) std::unique_ptr<TThread>{self}.reset();
    return 0;
}

void TThread::WaitFor() noexcept {
    if (!FHandle || ::GetCurrentThreadId() == FThreadId) return;
    auto& q = Queue();
    if (::GetCurrentThreadId() != q.guiThread) {
        ::WaitForSingleObject(FHandle.get(), INFINITE);
        return;
    }
    // The worker may be waiting for us in Synchronize: keep serving it.
    const HANDLE waits[2] = {FHandle.get(), q.signal.get()};
    while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        CheckSynchronize();
}

TThread::~TThread() = default;

} // namespace tn
