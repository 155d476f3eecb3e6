#include "classlib/Application.h"
#include "classlib/Thread.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

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

TEST(Application, MessageListenersSeeQueuedMessagesFirstAndCanDropThem) {
    Application->Initialize();
    int seen = 0, reachedWindow = 0;
    const int hook = Application->HookMainWindow([&](UINT msg, WPARAM, LPARAM, LRESULT& result) {
        if (msg != kProbe) return false;
        ++reachedWindow;
        result = 5;
        return true;
    });
    const int listener = Application->AddMessageListener([&](MSG& msg, bool& handled) {
        if (msg.message != kProbe) return;
        ++seen;
        handled = msg.wParam == 1;
    });
    ::PostMessageW(Application->Handle(), kProbe, 1, 0); // dropped by the listener
    ::PostMessageW(Application->Handle(), kProbe, 2, 0); // reaches the window's hook
    Application->ProcessMessages();
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(reachedWindow, 1);
    // Sent messages skip the queue and so the listeners, but the hook answers them.
    EXPECT_EQ(::SendMessageW(Application->Handle(), kProbe, 0, 0), 5);
    Application->UnhookMainWindow(hook);
    EXPECT_EQ(::SendMessageW(Application->Handle(), kProbe, 0, 0), 0);
    Application->RemoveMessageListener(listener);
    ::PostMessageW(Application->Handle(), kProbe, 1, 0);
    Application->ProcessMessages();
    EXPECT_EQ(seen, 2);
}

TEST(Application, ListenersAreAskedInOrderUntilOneHandlesAndAFailingOneEndsNothing) {
    Application->Initialize();
    std::vector<std::string> asked;
    int reachedWindow = 0;
    const int hook = Application->HookMainWindow([&](UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == kProbe) ++reachedWindow;
        return msg == kProbe;
    });
    int third = 0;
    const int first = Application->AddMessageListener([&](MSG& msg, bool& handled) {
        if (msg.message != kProbe) return;
        asked.push_back("raises");
        handled = true; // not kept: the listener fails
        throw std::runtime_error("listener failed");
    });
    const int second = Application->AddMessageListener([&](MSG& msg, bool&) {
        if (msg.message != kProbe) return;
        asked.push_back("removes the third");
        Application->RemoveMessageListener(third);
    });
    third = Application->AddMessageListener([&](MSG& msg, bool&) {
        if (msg.message == kProbe) asked.push_back("removed");
    });
    auto events = TComponent::CreateOwned<TApplicationEvents>();
    events->OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message != kProbe) return;
        asked.push_back("component");
        handled = msg.wParam == 1;
    };
    ::PostMessageW(Application->Handle(), kProbe, 1, 0);
    Application->ProcessMessages();
    EXPECT_EQ(asked, (std::vector<std::string>{"raises", "removes the third", "component"}));
    EXPECT_EQ(reachedWindow, 0);

    // Once the component is gone, the message goes on to the window.
    asked.clear();
    events.reset();
    ::PostMessageW(Application->Handle(), kProbe, 1, 0);
    Application->ProcessMessages();
    EXPECT_EQ(asked, (std::vector<std::string>{"raises", "removes the third"}));
    EXPECT_EQ(reachedWindow, 1);
    Application->RemoveMessageListener(first);
    Application->RemoveMessageListener(second);
    Application->UnhookMainWindow(hook);
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
