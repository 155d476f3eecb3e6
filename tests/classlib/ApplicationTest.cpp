#include "classlib/Application.h"
#include "classlib/Thread.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace tn;

namespace {
constexpr UINT kProbe = WM_APP + 7;
}

TEST(Application, RunWithoutAMainFormReturnsAtOnce) {
    Application->Initialize();
    ASSERT_NE(Application->Handle(), nullptr);
    Application->SetTitle(L"BrisaTarn");
    wchar_t caption[32] = {};
    ::GetWindowTextW(Application->Handle(), caption, 32);
    EXPECT_STREQ(caption, L"BrisaTarn");
    EXPECT_FALSE(::IsWindowVisible(Application->Handle()));
    Application->Run();
    EXPECT_FALSE(Application->Terminated());
}

TEST(Application, OnMessageSeesQueuedMessagesFirstAndCanDropThem) {
    Application->Initialize();
    int seen = 0, reachedWindow = 0;
    const int hook = Application->HookMainWindow([&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != kProbe) return false;
        ++reachedWindow;
        result = 5;
        return true;
    });
    Application->OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message != kProbe) return;
        ++seen;
        handled = msg.wParam == 1;
    };
    ::PostMessageW(Application->Handle(), kProbe, 1, 0); // dropped by OnMessage
    ::PostMessageW(Application->Handle(), kProbe, 2, 0); // reaches the window's hook
    Application->ProcessMessages();
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(reachedWindow, 1);
    // Sent messages skip the queue and so OnMessage, but the hook answers them.
    EXPECT_EQ(::SendMessageW(Application->Handle(), kProbe, 0, 0), 5);
    Application->UnhookMainWindow(hook);
    EXPECT_EQ(::SendMessageW(Application->Handle(), kProbe, 0, 0), 0);
    Application->OnMessage = nullptr;
}

TEST(Application, TerminateFromAWorkerEndsTheLoop) {
    Application->Initialize();
    struct Stopper : TThread {
        void Execute() override {
            Synchronize([] { Application->Terminate(); });
        }
    };
    const test::LoopBound bound(10000);
    TThread::StartFreeOnTerminate<Stopper>();
    while (Application->HandleMessage()) {
    }
    ASSERT_FALSE(bound.Expired()) << "the worker's Terminate did not end the loop within 10 s";
    EXPECT_TRUE(Application->Terminated());
}
