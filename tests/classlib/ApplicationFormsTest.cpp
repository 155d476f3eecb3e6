// The application's forms: the first becomes the main form on the taskbar, the others are owned
// by it; Run shows the main form, the main form's close ends the loop, and the forms are freed.
#include "classlib/Application.h"
#include "classlib/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tn;

std::vector<std::string> events;
HWND windowInOnCreate = nullptr;

class TFirst : public TForm {
public:
    explicit TFirst(TComponent* owner) : TForm(owner) {
        SetBorderStyle(TBorderStyle::bsNone);
        OnCreate = [this](TObject*) { windowInOnCreate = Handle(); };
        OnShow = [](TObject*) { events.push_back("first shown"); };
        OnDestroy = [](TObject*) { events.push_back("first freed"); };
    }
};

class TSecond : public TForm {
public:
    explicit TSecond(TComponent* owner) : TForm(owner) {
        OnDestroy = [](TObject*) { events.push_back("second freed"); };
    }
};

TEST(ApplicationForms, MainFormOnTheTaskbarOwnsTheOthersAndItsCloseEndsTheRun) {
    Application->Initialize();
    Application->MainFormOnTaskBar = true;
    TFirst* first = Application->CreateForm<TFirst>();
    TSecond* second = Application->CreateForm<TSecond>();
    EXPECT_EQ(Application->MainForm(), first);
    // Made in the main form's own OnCreate, the window is already the taskbar's.
    ASSERT_EQ(windowInOnCreate, first->Handle());
    EXPECT_TRUE(::GetWindowLongW(first->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetWindow(first->Handle(), GW_OWNER), nullptr);
    EXPECT_EQ(::GetWindow(second->Handle(), GW_OWNER), first->Handle());
    EXPECT_FALSE(::GetWindowLongW(second->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW);

    ::PostMessageW(first->Handle(), WM_CLOSE, 0, 0);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(events, (std::vector<std::string>{"first shown", "second freed", "first freed"}));
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0u);
}

} // namespace
