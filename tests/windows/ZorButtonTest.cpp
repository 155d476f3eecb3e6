#include "windows/ZorButton.h"

#include "classlib/Application.h"
#include "classlib/FileUtil.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "tests/classlib/PngFixtures.h"
#include "tests/support/WindowTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

namespace {

using namespace tn;

class ApplicationSetUp : public ::testing::Environment {
public:
    void SetUp() override { Application->Initialize(); }
};
[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new ApplicationSetUp);

// One-pixel pictures told apart by their red value.
TPicture Pic(std::uint8_t red) {
    TPicture p;
    const auto png = test::RgbaPng(1, 1, {red, 0, 0, 255});
    p.LoadFromBytes(png.data(), png.size());
    return p;
}
// The red value of the shown picture; -1 when none is shown.
int Shown(TZorButton& b) {
    const auto* png = dynamic_cast<const TPngImage*>(b.Picture().Graphic());
    return png ? png->Image().bgra[2] : -1;
}

// The button's own mouse events drive its states; a user can reach only the Ex events.
template <typename T>
concept DownReachable = requires(T& c) {
    c.OnMouseDown;
};
template <typename T>
concept UpReachable = requires(T& c) {
    c.OnMouseUp;
};
template <typename T>
concept EnterReachable = requires(T& c) {
    c.OnMouseEnter;
};
template <typename T>
concept LeaveReachable = requires(T& c) {
    c.OnMouseLeave;
};
static_assert(DownReachable<TControl> && UpReachable<TControl> && EnterReachable<TControl> &&
              LeaveReachable<TControl>);
static_assert(!DownReachable<TZorButton> && !UpReachable<TZorButton> &&
              !EnterReachable<TZorButton> && !LeaveReachable<TZorButton>);

enum : std::uint8_t { N = 10, O = 20, D = 30, X = 40, CN = 50, CO = 60, CD = 70, CX = 80 };

class TButtonForm : public TForm {
public:
    explicit TButtonForm(TComponent* owner) : TForm(owner) {
        SetBorderStyle(TBorderStyle::bsNone);
        SetBounds(0, 0, 200, 60);
        button = TComponent::Create<TZorButton>(*this);
        button->SetBounds(10, 10, 80, 28);
        button->SetParent(this);
    }
    TZorButton* button;
    void Send(UINT msg, int x, int y, WPARAM keys = 0) {
        ::SendMessageW(Handle(), msg, keys, MAKELPARAM(x, y));
    }
    void Enter() { Send(WM_MOUSEMOVE, 20, 20); }
    void Leave() { Send(WM_MOUSEMOVE, 150, 50); }
    void Down() { Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON); }
    void Up() { Send(WM_LBUTTONUP, 20, 20); }
};

struct Fixture {
    TComponent::Owned<TButtonForm> form = TComponent::CreateOwned<TButtonForm>();
    TZorButton& b = *form->button;
    void FullSets() {
        b.SetPictureNormal(Pic(N));
        b.SetPictureMouseOver(Pic(O));
        b.SetPictureMouseDown(Pic(D));
        b.SetPictureDisable(Pic(X));
        b.SetPictureCheckNormal(Pic(CN));
        b.SetPictureCheckMouseOver(Pic(CO));
        b.SetPictureCheckMouseDown(Pic(CD));
        b.SetPictureCheckDisable(Pic(CX));
    }
};

TEST(ZorButton, StartsWithItsDefaults) {
    Fixture f;
    EXPECT_EQ(f.b.Width(), 80);
    EXPECT_EQ(f.b.Height(), 28);
    EXPECT_EQ(f.b.TxtOffsetWidth(), 25);
    EXPECT_EQ(f.b.TxtColorMouseOver(), clBlack);
    EXPECT_FALSE(f.b.Stretch() || f.b.Center() || f.b.Proportional() || f.b.Transparent() ||
                 f.b.Check());
    EXPECT_EQ(f.b.ControlStyle & (csSetCaption | csReplicatable | csPannable),
              TControlStyle{csSetCaption | csReplicatable | csPannable});
    EXPECT_EQ(Shown(f.b), -1);
}

TEST(ZorButton, EachStateShowsItsPictureFromTheCurrentSet) {
    for (const bool checked : {false, true}) {
        SCOPED_TRACE(checked ? "checked" : "unchecked");
        Fixture f;
        f.FullSets();
        f.b.SetCheck(checked);
        const auto pick = [&](int plain, int check) { return checked ? check : plain; };
        EXPECT_EQ(Shown(f.b), pick(N, CN));
        f.form->Enter();
        EXPECT_EQ(Shown(f.b), pick(O, CO));
        f.form->Down();
        EXPECT_EQ(Shown(f.b), pick(D, CD));
        f.form->Up();
        EXPECT_EQ(Shown(f.b), pick(N, CN));
        f.form->Enter();
        f.form->Leave();
        EXPECT_EQ(Shown(f.b), pick(N, CN));
        f.b.SetEnabled(false);
        EXPECT_EQ(Shown(f.b), pick(X, CX));
        f.b.SetEnabled(true);
        EXPECT_EQ(Shown(f.b), pick(N, CN));
    }
}

TEST(ZorButton, AnEmptyStatePictureKeepsTheShownOne) {
    Fixture f;
    f.b.SetPictureNormal(Pic(N));
    f.b.SetPictureMouseOver(Pic(O));
    f.form->Enter();
    f.form->Down(); // no mouse-down picture: the mouse-over one stays while pressed
    EXPECT_EQ(Shown(f.b), O);
    f.form->Up();
    EXPECT_EQ(Shown(f.b), N);

    f.b.SetPictureCheckNormal(Pic(CN));
    f.b.SetCheck(true);
    f.form->Leave();
    f.form->Enter(); // no checked mouse-over picture
    EXPECT_EQ(Shown(f.b), CN);

    f.b.SetTxtColorDisable(0x808080);
    f.b.SetEnabled(false); // no disabled picture: the picture stays, the caption colour changes
    EXPECT_EQ(Shown(f.b), CN);
    EXPECT_EQ(f.b.Font().Color(), 0x808080u);

    f.b.SetCheck(false);
    f.b.SetPictureNormal(TPicture()); // the shown picture follows Check even to an empty one
    f.b.SetCheck(false);
    EXPECT_EQ(Shown(f.b), -1);
}

TEST(ZorButton, ExEventsFollowTheStateChangeAlsoWhenDisabled) {
    Fixture f;
    f.FullSets();
    std::vector<std::string> log;
    f.b.OnMouseEnterEx = [&](TObject*) { log.push_back("enter " + std::to_string(Shown(f.b))); };
    f.b.OnMouseLeaveEx = [&](TObject*) { log.push_back("leave " + std::to_string(Shown(f.b))); };
    f.b.OnMouseDownEx = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        log.push_back("down " + std::to_string(Shown(f.b)) +
                      (b == TMouseButton::mbLeft ? " left" : "") + ((s & ssLeft) ? " held" : "") +
                      " " + std::to_string(x) + "," + std::to_string(y));
    };
    f.b.OnMouseUpEx = [&](TObject*, TMouseButton, TShiftState, int, int) {
        log.push_back("up " + std::to_string(Shown(f.b)));
    };
    f.form->Enter();
    f.form->Down();
    f.form->Up();
    f.form->Leave();
    f.b.SetEnabled(false);
    f.form->Enter();
    f.form->Leave();
    EXPECT_EQ(log, (std::vector<std::string>{"enter 20", "down 30 left held 10,10", "up 10",
                                             "leave 10", "enter 40", "leave 40"}));
}

TEST(ZorButton, PictureSettersAndColoursFillOnlyWhatTheyName) {
    Fixture f;
    f.b.SetPictureMouseOver(Pic(O));
    EXPECT_EQ(Shown(f.b), -1);
    f.b.SetPictureNormal(Pic(N));
    EXPECT_EQ(Shown(f.b), N);
    f.b.SetPicture(Pic(D));
    EXPECT_EQ(Shown(f.b), D);
    EXPECT_FALSE(f.b.PictureMouseDown().HasGraphic());

    f.b.SetTxtColorMouseOver(0x0000FF);
    EXPECT_EQ(f.b.Font().Color(), clBlack);
    f.b.SetTxtColorNormal(0x00FF00);
    EXPECT_EQ(f.b.Font().Color(), 0x00FF00u);
    f.form->Enter();
    EXPECT_EQ(f.b.Font().Color(), 0x0000FFu);
}

TEST(ZorButton, DestinationRectangleFollowsTheImageRules) {
    const struct {
        int w, h, cw, ch;
        bool stretch, proportional, center;
        RECT want;
    } cases[] = {
        {20, 10, 80, 28, false, false, false, {0, 0, 20, 10}},
        {20, 10, 80, 28, false, false, true, {30, 9, 50, 19}},
        {20, 10, 80, 28, true, false, false, {0, 0, 80, 28}},
        {20, 10, 80, 28, false, true, false, {0, 0, 20, 10}}, // proportional only shrinks
        {20, 10, 80, 28, true, true, false, {0, 0, 56, 28}},  // wide: width first, then too tall
        {160, 40, 80, 28, false, true, true, {0, 4, 80, 24}}, // wide and larger: fits the width
        {10, 30, 80, 28, true, true, true, {35, 0, 44, 28}},  // tall: height first
        {30, 30, 20, 40, false, true, false, {0, 0, 20, 20}}, // square, too wide: height, then
                                                              // width
        {0, 0, 80, 28, true, true, false, {0, 0, 80, 28}},
    };
    for (const auto& c : cases) {
        const RECT r = ImageDestRect(c.w, c.h, c.cw, c.ch, c.stretch, c.proportional, c.center);
        EXPECT_TRUE(::EqualRect(&r, &c.want))
            << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch << ": " << r.left << "," << r.top
            << "," << r.right << "," << r.bottom;
    }
}

TEST(ZorButton, PaintShowsTheNormalPictureAndTheCaptionAtItsOffset) {
    Fixture f;
    f.form->SetColor(0xFFFFFF);
    TPicture blue;
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 80 * 28; ++i)
        rgba.insert(rgba.end(), {0, 0, 255, 255});
    const auto png = test::RgbaPng(80, 28, rgba);
    blue.LoadFromBytes(png.data(), png.size());
    f.b.PictureNormal() = blue; // the slot only: the paint takes it up
    f.b.SetCaption(L"WWWW");
    f.b.Font().SetColor(0xFFFFFF);
    f.form->Show();
    const HWND wnd = f.form->Handle();
    ASSERT_TRUE(test::PumpUntil([&] { return test::WindowPixel(wnd, 12, 12) == 0x0000FF; }));
    EXPECT_EQ(Shown(f.b), 0);
    const auto textLeftAndRows = [&] {
        int textLeft = 1000, textRows = 0;
        for (int y = 10; y < 38; ++y) {
            bool row = false;
            for (int x = 10; x < 90; ++x)
                if (test::WindowPixel(wnd, x, y) != 0x0000FF) {
                    textLeft = std::min(textLeft, x - 10);
                    row = true;
                }
            textRows += row;
        }
        return std::pair{textLeft, textRows};
    };
    auto [textLeft, textRows] = textLeftAndRows();
    EXPECT_GE(textLeft, 25);
    EXPECT_LE(textLeft, 27);
    EXPECT_GT(textRows, 5);

    f.b.SetTxtOffsetWidth(40);
    std::tie(textLeft, textRows) = textLeftAndRows();
    EXPECT_GE(textLeft, 40);
    EXPECT_LE(textLeft, 42);
}

TEST(ZorButton, AutoSizeTakesThePictureSizeAlongItsAlignment) {
    Fixture f;
    TPicture big;
    const auto png = test::RgbaPng(30, 20, std::vector<std::uint8_t>(30 * 20 * 4, 255));
    big.LoadFromBytes(png.data(), png.size());
    f.b.SetPictureNormal(big);
    f.b.SetAutoSize(true);
    EXPECT_EQ(f.b.Width(), 30);
    EXPECT_EQ(f.b.Height(), 20);
    auto alone = TComponent::CreateOwned<TZorButton>();
    alone->SetAlign(TAlign::alTop);
    alone->SetPictureNormal(big);
    alone->SetAutoSize(true);
    EXPECT_EQ(alone->Width(), 80);
    EXPECT_EQ(alone->Height(), 20);
}

TEST(ZorButton, CanvasIsTheShownBitmapsAndRefusesOtherGraphics) {
    Fixture f;
    TCanvas& c = f.b.Canvas();
    auto* bmp = dynamic_cast<TBitmap*>(f.b.Picture().Graphic());
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Width(), 80);
    EXPECT_EQ(&c, &bmp->Canvas());
    f.b.SetPicture(Pic(N));
    try {
        (void)f.b.Canvas();
        ADD_FAILURE() << "no error";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Can only modify an image if it contains a bitmap");
    }
}

TEST(ZorButton, SkinChangeLoadsTheFilesThatExist) {
    tn::testing::TempDir dir;
    const auto save = [&](const std::wstring& name, std::uint8_t red) {
        const auto png = test::RgbaPng(1, 1, {red, 0, 0, 255});
        tn::testing::WriteFileBytes(dir.File(name), std::string(png.begin(), png.end()));
    };
    save(L"btn_normal.png", N);
    save(L"btn_over.png", O);
    save(L"chk_normal.png", CN);
    Fixture f;
    f.b.SetPictureMouseDown(Pic(99));
    f.b.SkinChange(dir.Path()); // no skin name: nothing happens
    EXPECT_EQ(Shown(f.b), -1);
    f.b.SetSkinName(L"btn");
    f.b.SetSkinCheckName(L"chk");
    f.b.SkinChange(dir.Path());
    EXPECT_EQ(Shown(f.b), N);
    f.form->Enter();
    EXPECT_EQ(Shown(f.b), O);
    f.form->Down(); // "btn_down.png" is missing: the earlier picture stays in its slot
    EXPECT_EQ(Shown(f.b), 99);
    f.b.SetCheck(true);
    EXPECT_EQ(Shown(f.b), CN);
}

TEST(ZorButton, ShownPictureSettingsDecideOpacityAndProgressIsPassedOn) {
    Fixture f;
    TPicture opaque;
    opaque.Bitmap().SetSize(80, 28);
    f.b.SetPicture(opaque);
    EXPECT_TRUE(f.b.ControlStyle & csOpaque);
    f.b.SetTransparent(true);
    EXPECT_TRUE(f.b.Picture().Graphic()->Transparent());
    EXPECT_FALSE(f.b.ControlStyle & csOpaque);
    f.b.SetTransparent(false);
    f.b.SetCenter(true);
    f.b.SetPicture(Pic(N)); // small, partly covering
    EXPECT_FALSE(f.b.ControlStyle & csOpaque);

    std::vector<TProgressStage> stages;
    f.b.OnProgress = [&](TObject* s, TProgressStage st, int, bool, const RECT&,
                         const std::wstring&) {
        EXPECT_EQ(s, &f.b);
        stages.push_back(st);
    };
    const auto png = test::RgbaPng(1, 1, {1, 2, 3, 4});
    f.b.Picture().LoadFromBytes(png.data(), png.size());
    EXPECT_EQ(stages, (std::vector{TProgressStage::psStarting, TProgressStage::psEnding}));
}

} // namespace
