#include "classlib/Application.h"
#include "classlib/Controls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"

#include "tests/classlib/PngFixtures.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tn;
using test::PumpUntil;
using Log = std::vector<std::string>;

class ApplicationSetUp : public ::testing::Environment {
public:
    void SetUp() override { Application->Initialize(); }
};
[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new ApplicationSetUp);

// --- the owner tree ------------------------------------------------------------------------------

class Recorded : public TComponent {
public:
    Recorded(TComponent* owner, Log* log, std::string name)
        : TComponent(owner), log_(log), name_(std::move(name)) {}
    ~Recorded() override { log_->push_back(name_); }

private:
    Log* log_;
    std::string name_;
};

TEST(ComponentTree, OwnerFreesWhatItOwnsLastCreatedFirstAndAFreedComponentLeavesItsOwner) {
    Log log;
    {
        auto root = TComponent::CreateOwned<Recorded>(&log, "root");
        auto* a = TComponent::Create<Recorded>(*root, &log, "a");
        TComponent::Create<Recorded>(*a, &log, "a.child");
        auto* b = TComponent::Create<Recorded>(*root, &log, "b");
        TComponent::Create<Recorded>(*root, &log, "c");
        TComponent::Free(b);
        EXPECT_EQ(log, Log{"b"});
        EXPECT_EQ(root->ComponentCount(), 2u);
        a->SetName(L"a");
        EXPECT_EQ(root->FindComponent(L"a"), a);
    }
    EXPECT_EQ(log, (Log{"b", "c", "a.child", "a", "root"}));
}

TEST(ComponentTree, ARemovedComponentOutlivesItsFormerOwnerAndIsFreedOnceByItsHolder) {
    Log log;
    TComponent::Owned<Recorded> kept;
    {
        auto root = TComponent::CreateOwned<Recorded>(&log, "root");
        auto* other = TComponent::CreateOwned<Recorded>(&log, "other").release();
        kept.reset(TComponent::Create<Recorded>(*root, &log, "kept"));
        TComponent::Create<Recorded>(*kept, &log, "kept.child");
        root->RemoveComponent(kept.get());
        EXPECT_EQ(kept->Owner(), nullptr);
        EXPECT_EQ(root->ComponentCount(), 0u);
        // Not one of root's: left where it is.
        root->RemoveComponent(other);
        root->RemoveComponent(nullptr);
        TComponent::Free(other);
    }
    EXPECT_EQ(log, (Log{"other", "root"}));
    kept.reset();
    EXPECT_EQ(log, (Log{"other", "root", "kept.child", "kept"}));
}

// --- layout --------------------------------------------------------------------------------------

struct Tree {
    TComponent::Owned<TPanel> parent = TComponent::CreateOwned<TPanel>();
    template <typename T = TImage>
    T* Add(int l, int t, int w, int h, TAlign align = TAlign::alNone) {
        T* c = TComponent::Create<T>(*parent);
        c->SetBounds(l, t, w, h);
        c->SetAlign(align);
        c->SetParent(parent.get());
        return c;
    }
};

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}
std::string Str(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

TEST(Layout, AlignedChildrenTakeTopBottomLeftRightThenTheRest) {
    Tree t;
    t.parent->SetBounds(0, 0, 200, 100);
    TControl* hidden = t.Add(0, 0, 5, 5, TAlign::alTop);
    hidden->SetVisible(false);
    TControl* top = t.Add(0, 0, 10, 10, TAlign::alTop);
    TControl* bottom = t.Add(0, 0, 10, 20, TAlign::alBottom);
    TControl* left = t.Add(0, 0, 30, 10, TAlign::alLeft);
    TControl* right = t.Add(0, 0, 40, 10, TAlign::alRight);
    TControl* client = t.Add(0, 0, 1, 1, TAlign::alClient);
    TControl* custom = t.Add(7, 8, 9, 10, TAlign::alCustom);
    const struct {
        TControl* c;
        RECT want;
    } cases[] = {{top, {0, 0, 200, 10}},      {bottom, {0, 80, 200, 100}},
                 {left, {0, 10, 30, 80}},     {right, {160, 10, 200, 80}},
                 {client, {30, 10, 160, 80}}, {custom, {7, 8, 16, 18}}};
    for (const auto& c : cases)
        EXPECT_TRUE(SameRect(c.c->BoundsRect(), c.want)) << Str(c.c->BoundsRect());

    t.parent->SetBounds(0, 0, 300, 100);
    EXPECT_TRUE(SameRect(right->BoundsRect(), {260, 10, 300, 80})) << Str(right->BoundsRect());
    hidden->SetVisible(true);
    EXPECT_TRUE(SameRect(top->BoundsRect(), {0, 5, 300, 15})) << Str(top->BoundsRect());
}

TEST(Layout, AnchoredChildrenFollowTheParentsSize) {
    Tree t;
    t.parent->SetBounds(0, 0, 200, 100);
    const struct {
        TAnchors anchors;
        RECT want;
    } cases[] = {
        {akLeft | akTop, {10, 10, 30, 30}},
        {akRight | akTop, {70, 10, 90, 30}},
        {akLeft | akRight | akTop, {10, 10, 90, 30}},
        {akLeft | akTop | akBottom, {10, 10, 30, 80}},
        {akRight | akBottom, {70, 60, 90, 80}},
        {0, {40, 35, 60, 55}}, // neither side: keeps its place relative to the middle
    };
    std::vector<TControl*> controls;
    for (const auto& c : cases) {
        TControl* ctl = t.Add(10, 10, 20, 20);
        ctl->SetAnchors(c.anchors);
        controls.push_back(ctl);
    }
    t.parent->AlignControls();
    t.parent->SetBounds(0, 0, 260, 150);
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_TRUE(SameRect(controls[i]->BoundsRect(), cases[i].want))
            << "case " << i << ": " << Str(controls[i]->BoundsRect());
}

TEST(Layout, ConstraintsBoundTheSize) {
    TComponent::Owned<TPanel> p = TComponent::CreateOwned<TPanel>();
    TLabel* label = TComponent::Create<TLabel>(*p);
    label->SetConstraints({.MinWidth = 0, .MinHeight = 5, .MaxWidth = 50, .MaxHeight = 0});
    label->SetCaption(L"a caption a good deal wider than fifty pixels");
    EXPECT_EQ(label->Width(), 50);
    label->SetBounds(0, 0, 10, 1);
    EXPECT_EQ(label->Height(), 5);
}

TEST(ChildOrder, TheLastChildIsOnTopAndBringToFrontOrSendToBackReorder) {
    Tree t;
    TControl* a = t.Add(0, 0, 50, 50);
    TControl* b = t.Add(25, 25, 50, 50);
    TControl* hidden = t.Add(0, 0, 100, 100);
    hidden->SetVisible(false);
    TControl* disabled = t.Add(40, 40, 5, 5);
    disabled->SetEnabled(false);
    EXPECT_EQ(t.parent->ControlAtPos({30, 30}), b);
    EXPECT_EQ(t.parent->ControlAtPos({41, 41}), b);
    EXPECT_EQ(t.parent->ControlAtPos({41, 41}, true), disabled);
    a->BringToFront();
    EXPECT_EQ(t.parent->ControlAtPos({30, 30}), a);
    a->SendToBack();
    EXPECT_EQ(t.parent->Controls().front(), a);
    EXPECT_EQ(t.parent->ControlAtPos({30, 30}), b);
    EXPECT_EQ(t.parent->ControlAtPos({99, 99}), nullptr);
}

// --- windows and their messages ------------------------------------------------------------------

class TTestForm : public TForm {
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(TBorderStyle::bsNone);
        SetBounds(10, 10, 200, 120);
    }
    DWORD extraExStyle = 0;
    Log* log = nullptr;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TTestForm"; }
    void CreateParams(TCreateParams& p) override {
        TForm::CreateParams(p);
        p.ExStyle |= extraExStyle;
    }
};

using FormPtr = TComponent::Owned<TTestForm>;

TEST(Window, IsAttachedToItsObjectUntilItIsDestroyed) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    const HWND wnd = form->Handle();
    ASSERT_TRUE(::IsWindow(wnd));
    EXPECT_EQ(reinterpret_cast<TTestForm*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA)), form.get());
    wchar_t cls[64];
    ::GetClassNameW(wnd, cls, 64);
    EXPECT_STREQ(cls, L"TTestForm");
    form->DestroyHandle();
    EXPECT_FALSE(::IsWindow(wnd));
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_NE(form->Handle(), nullptr); // made again on demand
}

TEST(Window, HandlersBoundByNumberSeeTypedMessagesAndTheRestGoesToTheDefault) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    form->SetCaption(L"标题 caption");
    constexpr UINT kCustom = WM_USER + 77;
    POINT seen{};
    form->SetMessageHandler(kCustom, [&](TMessage& m) {
        const TWMMouse mouse(m);
        seen = mouse.Pos;
        m.Result = 42;
    });
    form->SetMessageHandler(WM_USER + 78,
                            [](TMessage&) { throw std::runtime_error("fails inside"); });
    const HWND wnd = form->Handle();
    EXPECT_EQ(::SendMessageW(wnd, kCustom, 0, MAKELPARAM(-5, 7)), 42);
    EXPECT_EQ(seen.x, -5);
    EXPECT_EQ(seen.y, 7);
    // A failing handler ends at the window procedure: the caller sees 0, nothing propagates.
    EXPECT_EQ(::SendMessageW(wnd, WM_USER + 78, 0, 0), 0);
    wchar_t text[32];
    EXPECT_EQ(::GetWindowTextW(wnd, text, 32), 10);
    EXPECT_STREQ(text, L"标题 caption");
    // WM_SYSCOMMAND reaches the system's default procedure.
    form->Show();
    ::SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(wnd));
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
}

// Records what the window layer tells it, in order.
class Probe : public TGraphicControl {
public:
    Probe(TComponent* owner, Log* log, std::string name)
        : TGraphicControl(owner), log_(log), name_(std::move(name)) {
        OnClick = [this](TObject*) { Add("click"); };
        OnDblClick = [this](TObject*) { Add("dblclick"); };
        OnMouseEnter = [this](TObject*) { Add("enter"); };
        OnMouseLeave = [this](TObject*) { Add("leave"); };
        OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
            std::string what = "down";
            if (b == TMouseButton::mbRight) what += 'R';
            if (s & ssDouble) what += '2';
            what += '@';
            what += std::to_string(x);
            what += ',';
            what += std::to_string(y);
            Add(what);
        };
        OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) {
            Add(b == TMouseButton::mbRight ? "upR" : "up");
        };
    }

private:
    void Add(const std::string& what) {
        std::string entry = name_;
        entry += ':';
        entry += what;
        log_->push_back(entry);
    }
    Log* log_;
    std::string name_;
};

TEST(Window, MouseInputReachesTheGraphicChildUnderThePointer) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    Log log;
    auto* a = TComponent::Create<Probe>(*form, &log, "a");
    a->SetBounds(10, 10, 40, 20);
    a->SetParent(form.get());
    auto* b = TComponent::Create<Probe>(*form, &log, "b");
    b->SetBounds(60, 10, 40, 20);
    b->SetParent(form.get());
    const HWND wnd = form->Handle();
    const auto send = [&](UINT msg, int x, int y, WPARAM keys = 0) {
        ::SendMessageW(wnd, msg, keys, MAKELPARAM(x, y));
    };

    send(WM_MOUSEMOVE, 15, 15);
    send(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
    send(WM_LBUTTONUP, 16, 16);
    EXPECT_EQ(log, (Log{"a:enter", "a:down@5,5", "a:click", "a:up"}));
    log.clear();

    // Pressed on a, released over b: a keeps the mouse and gets no click.
    send(WM_LBUTTONDOWN, 15, 15, MK_LBUTTON);
    send(WM_MOUSEMOVE, 65, 15, MK_LBUTTON);
    send(WM_LBUTTONUP, 65, 15);
    EXPECT_EQ(log, (Log{"a:down@5,5", "a:leave", "b:enter", "a:up"}));
    log.clear();

    send(WM_RBUTTONDOWN, 65, 15, MK_RBUTTON);
    send(WM_RBUTTONUP, 65, 15);
    send(WM_LBUTTONDBLCLK, 65, 15, MK_LBUTTON);
    send(WM_LBUTTONUP, 65, 15);
    EXPECT_EQ(log, (Log{"b:downR@5,5", "b:upR", "b:dblclick", "b:down2@5,5", "b:up"}));
    log.clear();

    // A disabled control is passed over by presses, not by the enter and leave of the pointer.
    b->SetEnabled(false);
    send(WM_MOUSEMOVE, 150, 100);
    send(WM_MOUSEMOVE, 65, 15);
    send(WM_LBUTTONDOWN, 65, 15, MK_LBUTTON);
    send(WM_LBUTTONUP, 65, 15);
    send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(log, (Log{"b:leave", "b:enter", "b:leave"}));
}

TEST(Window, ThePointerTakesTheCursorOfTheControlUnderItElseTheWindowsElseTheClasss) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    Log log;
    auto* hand = TComponent::Create<Probe>(*form, &log, "hand");
    hand->SetBounds(10, 10, 40, 20);
    hand->SetParent(form.get());
    hand->SetCursor(TCursor::crHandPoint);
    form->Show();
    const HWND wnd = form->Handle();
    const auto cursorAt = [&](int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(wnd, &p);
        ::SetCursorPos(p.x, p.y);
        ::SetCursor(nullptr);
        ::SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor();
    };
    const HCURSOR handCursor = ::LoadCursorW(nullptr, IDC_HAND);
    EXPECT_EQ(cursorAt(20, 15), handCursor);
    EXPECT_EQ(cursorAt(150, 100), ::LoadCursorW(nullptr, IDC_ARROW));
    form->SetCursor(TCursor::crHourGlass);
    EXPECT_EQ(cursorAt(150, 100), ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(cursorAt(20, 15), handCursor);
    hand->SetCursor(TCursor::crDefault);
    EXPECT_EQ(cursorAt(20, 15), ::LoadCursorW(nullptr, IDC_WAIT));
}

TEST(Form, OnShowRunsBeforeTheWindowAppearsAndMayKeepItHidden) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    int shows = 0;
    bool visibleDuringShow = true;
    bool hideInShow = false;
    form->OnShow = [&](TObject*) {
        ++shows;
        visibleDuringShow = ::IsWindowVisible(form->Handle()) != FALSE;
        if (hideInShow) form->Hide();
    };
    form->Show();
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(visibleDuringShow);
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    form->Show(); // already shown: no second OnShow
    EXPECT_EQ(shows, 1);
    form->Hide();
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    hideInShow = true;
    form->Show();
    EXPECT_EQ(shows, 2);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
}

TEST(Form, CloseHidesByDefaultAndFreeOnCloseFreesOnceTheMessageIsDone) {
    Log log;
    TForm* form = TComponent::Create<TTestForm>(*Application);
    form->OnDestroy = [&](TObject*) { log.push_back("destroy"); };
    form->Show();
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_TRUE(log.empty());

    form->OnClose = [&](TObject*, TCloseAction& action) {
        log.push_back("close");
        action = TCloseAction::caFree;
    };
    const HWND wnd = form->Handle();
    form->Close();
    EXPECT_EQ(log, Log{"close"}); // not freed inside the call
    ASSERT_TRUE(PumpUntil([&] { return log.size() == 2; }));
    EXPECT_EQ(log, (Log{"close", "destroy"}));
    EXPECT_FALSE(::IsWindow(wnd));
}

TEST(Form, BorderPositionStylesAndLayeredAttributesReachTheWindow) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    form->extraExStyle = WS_EX_TOOLWINDOW;
    form->SetPosition(TPosition::poScreenCenter);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(200);
    form->SetTransparentColor(true);
    form->SetTransparentColorValue(0x102030);
    form->SetIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    form->Show();
    const HWND wnd = form->Handle();
    const LONG style = ::GetWindowLongW(wnd, GWL_STYLE);
    const LONG ex = ::GetWindowLongW(wnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(wnd, &key, &alpha, &flags));
    EXPECT_EQ(key, 0x102030u);
    EXPECT_EQ(alpha, 200);
    EXPECT_EQ(flags, DWORD{LWA_ALPHA | LWA_COLORKEY});
    RECT r;
    ::GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, (ScreenWidth() - 200) / 2);
    EXPECT_EQ(r.top, (ScreenHeight() - 120) / 2);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(wnd, WM_GETICON, ICON_BIG, 0)),
              ::LoadIconW(nullptr, IDI_APPLICATION));
    form->SetWindowState(TWindowState::wsMaximized);
    EXPECT_TRUE(::IsZoomed(wnd));
}

TEST(Form, AlignedToTheClientItFillsTheScreensWorkArea) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    form->SetAlign(TAlign::alClient); // before its window exists
    EXPECT_TRUE(SameRect(form->BoundsRect(), ScreenWorkArea()));
    form->Show();
    RECT r{};
    ::GetWindowRect(form->Handle(), &r);
    EXPECT_TRUE(SameRect(r, ScreenWorkArea()));

    // A change of the work area is followed.
    form->SetBounds(5, 5, 50, 50);
    ::SendMessageW(form->Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(SameRect(form->BoundsRect(), ScreenWorkArea()));

    // Without the alignment the form stays where it is put.
    form->SetAlign(TAlign::alNone);
    form->SetBounds(5, 5, 50, 50);
    ::SendMessageW(form->Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(SameRect(form->BoundsRect(), RECT{5, 5, 55, 55}));
}

// A form on another monitor (a second one, with its taskbar at the top) fills that monitor's work
// area, not the primary screen's.
TEST(Form, AlignedToTheClientItFillsTheWorkAreaOfItsOwnMonitor) {
    class OnSecondMonitor : public TTestForm {
    public:
        using TTestForm::TTestForm;
        TMonitorArea MonitorArea() const noexcept override {
            return {{1024, 0, 2304, 1024}, {1024, 40, 2304, 1024}, {1024, 768}};
        }
    };
    FormPtr form = TComponent::CreateOwned<OnSecondMonitor>();
    form->SetAlign(TAlign::alClient);
    EXPECT_TRUE(SameRect(form->BoundsRect(), RECT{1024, 40, 2304, 1024}));
    // This system's own: the monitor the window is on, and the primary monitor's size.
    const TMonitorArea own = MonitorAreaOf(nullptr);
    EXPECT_TRUE(SameRect(own.Bounds, RECT{0, 0, ScreenWidth(), ScreenHeight()}));
    EXPECT_TRUE(SameRect(own.WorkArea, ScreenWorkArea()));
    EXPECT_EQ(own.Primary.cx, ScreenWidth());
    EXPECT_EQ(own.Primary.cy, ScreenHeight());
}

TEST(Form, ShownWithoutActivationItIsVisibleAndComesBackAsItWasHidden) {
    FormPtr active = TComponent::CreateOwned<TTestForm>();
    active->Show();
    ::SetForegroundWindow(active->Handle());
    ASSERT_TRUE(PumpUntil([&] { return ::GetActiveWindow() == active->Handle(); }));

    FormPtr form = TComponent::CreateOwned<TTestForm>();
    int shows = 0;
    form->OnShow = [&](TObject*) { ++shows; };
    form->ShowNoActivate();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(::IsWindowVisible(form->Handle()));
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(::GetActiveWindow(), active->Handle());

    form->SetWindowState(TWindowState::wsMaximized);
    form->Hide();
    EXPECT_FALSE(form->Visible());
    form->ShowNoActivate();
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(::IsZoomed(form->Handle()));
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(::GetActiveWindow(), active->Handle());

    // Minimized by the program, then brought back by the system (a taskbar click): hidden and
    // shown again, it comes back as the system left it, not minimized.
    form->SetWindowState(TWindowState::wsMinimized);
    ASSERT_TRUE(::IsIconic(form->Handle()));
    ::ShowWindow(form->Handle(), SW_RESTORE);
    ASSERT_TRUE(::IsZoomed(form->Handle()));
    form->Hide();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    form->ShowNoActivate();
    EXPECT_FALSE(::IsIconic(form->Handle()));
    EXPECT_TRUE(::IsZoomed(form->Handle()));
}

TEST(Frame, HoldsControlsInAWindowOfItsOwnInsideAForm) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    auto* frame = TComponent::Create<TFrame>(*form);
    frame->SetParent(form.get());
    frame->SetAlign(TAlign::alClient);
    auto* inner = TComponent::Create<TPanel>(*frame);
    inner->SetParent(frame);
    inner->SetAlign(TAlign::alClient);
    form->Show();
    EXPECT_TRUE(frame->ControlStyle & csAcceptsControls);
    EXPECT_EQ(::GetParent(frame->Handle()), form->Handle());
    EXPECT_EQ(::GetParent(inner->Handle()), frame->Handle());
    EXPECT_TRUE(SameRect(inner->BoundsRect(), RECT{0, 0, 200, 120}));
    EXPECT_EQ(GetParentForm(inner), form.get());
}

TEST(Form, PaintsItsColourAndItsGraphicChildrenOverIt) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    form->SetColor(0x00FF00); // green (0x00BBGGRR)
    auto* image = TComponent::Create<TImage>(*form);
    image->SetBounds(20, 20, 40, 20);
    image->SetStretch(true);
    const auto png = test::RgbaPng(2, 1, {255, 0, 0, 255, 0, 0, 255, 128});
    image->Picture().LoadFromBytes(png.data(), png.size());
    image->SetParent(form.get());
    auto* label = TComponent::Create<TLabel>(*form);
    label->SetBounds(100, 20, 0, 0);
    label->SetColor(0x0000FF);
    label->SetCaption(L"label");
    label->SetParent(form.get());
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return test::WindowPixel(form->Handle(), 5, 5) == 0x00FF00; }));
    EXPECT_EQ(test::WindowPixel(form->Handle(), 25, 25), 0xFF0000u);
    const std::uint32_t halfBlueOnGreen = test::WindowPixel(form->Handle(), 55, 25);
    EXPECT_NEAR(int(halfBlueOnGreen & 0xFF), 128, 3);
    EXPECT_NEAR(int(halfBlueOnGreen >> 8 & 0xFF), 127, 3);
    EXPECT_GT(label->Width(), 10);
    // The label's own colour below its text.
    EXPECT_EQ(test::WindowPixel(form->Handle(), 101, 20 + label->Height() - 1), 0xFF0000u);
}

// --- popup menus and timers ----------------------------------------------------------------------

TEST(PopupMenu, ShowsItsItemsWithCheckMarksAndRunsTheChosenOneAfterClosing) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    form->Show();
    auto* menu = TComponent::Create<TPopupMenu>(*form);
    Log log;
    bool popped = false;
    menu->OnPopup = [&](TObject*) { popped = true; };
    menu->Items().Add(L"打开", [&](TObject*) { log.push_back("open"); });
    menu->Items()
        .Add(L"退出",
             [&](TObject*) {
                 log.push_back(test::ThreadMenuWindow() &&
                                       ::IsWindowVisible(test::ThreadMenuWindow())
                                   ? "exit while open"
                                   : "exit");
             })
        ->Checked = true;
    test::MenuDriver::Choose(1, [&] { menu->Popup(100, 100); });
    EXPECT_TRUE(popped);
    EXPECT_EQ(test::MenuDriver::captions, (std::vector<std::wstring>{L"打开", L"退出"}));
    EXPECT_EQ(test::MenuDriver::checked, (std::vector<bool>{false, true}));
    EXPECT_EQ(log, Log{"exit"});
    // The system's own calls are the ones made: the window has its WM_NULL waiting.
    bool nullPosted = false;
    MSG msg;
    while (::PeekMessageW(&msg, form->Handle(), 0, 0, PM_REMOVE))
        nullPosted |= msg.message == WM_NULL;
    EXPECT_TRUE(nullPosted);
}

TEST(PopupMenu, TakesTheForegroundBeforeTrackingAndPostsANullMessageBeforeTheClick) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    auto* menu = TComponent::Create<TPopupMenu>(*form);
    Log log;
    menu->Items().Add(L"打开", [&](TObject*) { log.push_back("click open"); });
    menu->Items().Add(L"退出", [&](TObject*) { log.push_back("click exit"); });
    const struct {
        UINT chosen;
        Log calls;
    } cases[] = {
        {0, {"foreground", "track 30,40", "post WM_NULL"}},
        {2, {"foreground", "track 30,40", "post WM_NULL", "click exit"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        log.clear();
        test::PopupCallsSpy spy(log, c.chosen);
        menu->Popup(30, 40);
        EXPECT_EQ(log, c.calls);
        EXPECT_EQ(test::PopupCallsSpy::Windows, std::vector<HWND>(3, form->Handle()));
    }
}

// Inside a popup menu's loop: once the menu is open, sends its window the cancel that this
// display's late word of a lost focus brings (the foreground window is told while it still holds
// the foreground), and the foreground moves elsewhere if asked; a menu still open a tick later is
// answered with its second item.
struct LateCancelDriver {
    static inline HWND form = nullptr;
    static inline HWND elsewhere = nullptr;
    static inline HWND foregroundAtCancel = nullptr;
    static inline bool cancelled = false;
    static inline UINT_PTR timer = 0;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        const HWND menu = test::ThreadMenuWindow();
        if (!menu) return;
        if (!cancelled) {
            cancelled = true;
            foregroundAtCancel = ::GetForegroundWindow();
            ::SendMessageW(form, WM_CANCELMODE, 0, 0);
            if (elsewhere) ::SetForegroundWindow(elsewhere);
            return;
        }
        Disarm();
        ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
    static void Disarm() {
        if (timer) ::KillTimer(nullptr, std::exchange(timer, 0));
    }
};

TEST(PopupMenu, StaysOpenThroughALateCancelAndClosesOnceItsWindowLostTheForeground) {
    FormPtr form = TComponent::CreateOwned<TTestForm>();
    FormPtr other = TComponent::CreateOwned<TTestForm>();
    other->Show();
    auto* menu = TComponent::Create<TPopupMenu>(*form);
    Log log;
    menu->Items().Add(L"打开", [&](TObject*) { log.push_back("click open"); });
    menu->Items().Add(L"退出", [&](TObject*) { log.push_back("click exit"); });
    const struct {
        const char* name;
        bool leave;
        Log clicks;
    } cases[] = {
        {"the form keeps the foreground", false, {"click exit"}},
        {"the foreground went elsewhere", true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        LateCancelDriver::form = form->Handle();
        LateCancelDriver::elsewhere = c.leave ? other->Handle() : nullptr;
        LateCancelDriver::foregroundAtCancel = nullptr;
        LateCancelDriver::cancelled = false;
        LateCancelDriver::timer = ::SetTimer(nullptr, 0, 50, &LateCancelDriver::OnTimer);
        menu->Popup(30, 40);
        LateCancelDriver::Disarm();
        ASSERT_TRUE(LateCancelDriver::cancelled) << "the menu never opened";
        EXPECT_EQ(LateCancelDriver::foregroundAtCancel, form->Handle());
        EXPECT_EQ(log, c.clicks);
        EXPECT_EQ(test::ThreadMenuWindow(), nullptr);
    }
}

TEST(Timer, FiresWhileEnabledAndStopsWhenDisabled) {
    auto owner = TComponent::CreateOwned<TTestForm>();
    auto* timer = TComponent::Create<TTimer>(*owner);
    int fired = 0;
    timer->SetInterval(10);
    timer->SetOnTimer([&](TObject* s) {
        EXPECT_EQ(s, timer);
        if (++fired == 3) timer->SetEnabled(false);
    });
    ASSERT_TRUE(PumpUntil([&] { return fired == 3; }));
    EXPECT_FALSE(PumpUntil([&] { return fired > 3; }, 100));
}

} // namespace
