#include "classlib/Application.h"
#include "classlib/Thread.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

using namespace tn;

namespace {
struct Worker : TThread {
    std::function<void()> body;
    explicit Worker(std::function<void()> b) : body(std::move(b)) {}
    void Execute() override { body(); }
};

std::atomic<int> gDestroyed{0};
struct CountedWorker : Worker {
    using Worker::Worker;
    ~CountedWorker() override {
        ++gDestroyed;
        // Wakes a GUI thread that waits on its queue for this.
        ::PostThreadMessageW(GuiThreadId(), WM_NULL, 0, 0);
    }
};
} // namespace

TEST(Thread, SynchronizeRunsOnTheGuiThreadAndWaits) {
    Application->Initialize();
    const DWORD gui = ::GetCurrentThreadId();
    DWORD ranOn = 0;
    int order = 0, syncAt = 0, afterAt = 0;
    auto w = TThread::StartOwned<Worker>([&] {
        TThread::Synchronize([&] {
            ranOn = ::GetCurrentThreadId();
            syncAt = ++order;
        });
        afterAt = ++order;
    });
    w->WaitFor(); // serves the synchronise call while it waits
    EXPECT_EQ(ranOn, gui);
    EXPECT_EQ(syncAt, 1);
    EXPECT_EQ(afterAt, 2);
    EXPECT_TRUE(w->Finished());
}

TEST(Thread, SynchronizeIsServedByTheMessageLoop) {
    Application->Initialize();
    std::atomic<bool> done{false};
    bool ranInLoop = false;
    const test::LoopBound bound(10000);
    TThread::StartFreeOnTerminate<Worker>([&] {
        TThread::Synchronize([&] { ranInLoop = true; });
        done = true;
        TThread::Synchronize([] { ::PostQuitMessage(0); });
    });
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ASSERT_FALSE(bound.Expired()) << "the worker's calls were not served within 10 s";
    EXPECT_TRUE(ranInLoop);
    EXPECT_TRUE(done);
}

TEST(Thread, ExceptionsCrossSynchronizeButNeverEndTheProcess) {
    Application->Initialize();
    bool caught = false;
    auto w = TThread::StartOwned<Worker>([&] {
        try {
            TThread::Synchronize([] { throw std::runtime_error("on the GUI thread"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
        throw std::logic_error("escapes Execute");
    });
    w->WaitFor();
    EXPECT_TRUE(caught);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectAndRunsOnTerminateOnTheGuiThread) {
    Application->Initialize();
    gDestroyed = 0;
    DWORD terminateOn = 0;
    auto* w = TThread::StartFreeOnTerminate<CountedWorker>([] {});
    (void)w;
    // OnTerminate must be set before the thread ends: set it through a worker that waits for it.
    const HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* w2 =
        TThread::StartFreeOnTerminate<CountedWorker>([go] { ::WaitForSingleObject(go, INFINITE); });
    w2->OnTerminate = [&](TThread&) { terminateOn = ::GetCurrentThreadId(); };
    ::SetEvent(go);
    ASSERT_TRUE(test::PumpUntil([] { return gDestroyed == 2; }, 10000))
        << "freed " << gDestroyed << " of the 2 thread objects within 10 s";
    EXPECT_EQ(terminateOn, ::GetCurrentThreadId());
    ::CloseHandle(go);
}

TEST(Thread, DestroyingAnOwnedThreadTerminatesAndWaits) {
    // Destroyed at once, perhaps before the worker ran: Execute still runs to its end first.
    std::atomic<bool> ran{false};
    auto w = TThread::StartOwned<Worker>([&] {
        ::Sleep(50);
        ran = true;
    });
    w.reset();
    EXPECT_TRUE(ran);

    struct Looper : TThread {
        std::atomic<bool>* seen;
        explicit Looper(std::atomic<bool>* s) : seen(s) {}
        void Execute() override {
            // The flag is all this worker has to look at; it gives up after 10 s.
            for (int i = 0; i < 2000 && !Terminated(); ++i)
                ::Sleep(5);
            *seen = Terminated();
        }
    };
    std::atomic<bool> sawTerminated{false};
    auto l = TThread::StartOwned<Looper>(&sawTerminated);
    l.reset();
    EXPECT_TRUE(sawTerminated);
}
