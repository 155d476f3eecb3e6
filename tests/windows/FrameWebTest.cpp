// The game-page frame over the real browser control, with its document, location and events in
// the test's hands (this platform's control never loads a page nor fires those events).
#include "windows/FrameWeb.h"

#include "windows/FormMain.h"
#include "windows/Launcher.h"

#include "classlib/Fpu.h"
#include "services/PublicUnit.h"
#include "tests/windows/GamePageDoubles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace tn;
using test::FakeDocument;
using test::FakeScript;
using test::TestWB;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp(L"BrisaTarn"));

struct FrameInForm {
    FrameInForm() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 800, 500);
        Set8087CW(0x1372);
        frame =
            TComponent::Create<TFrameWeb>(*form, [](TFrameWeb& f) { return test::MakeTestWB(f); });
        controlWord = Get8087CW();
        frame->SetParent(form);
        wb = static_cast<TestWB*>(frame->hostedwb);
        document.Script = &script;
        wb->document = &document;
        form->Show();
    }
    ~FrameInForm() { TComponent::Free(form); }
    TForm* form;
    TFrameWeb* frame;
    TestWB* wb;
    std::uint16_t controlWord;
    FakeScript script;
    FakeDocument document;
};

TEST(FrameWeb, HoldsItsBrowserWithTheLayoutsOptionsAndMasksFloatingPointExceptions) {
    FrameInForm f;
    // Bit 6 of the control word is reserved and reads back as set.
    EXPECT_EQ(f.controlWord & ~0x40, 0x133F);
    EXPECT_EQ(f.frame->Width(), 696);
    EXPECT_EQ(f.frame->Height(), 404);
    EXPECT_EQ(f.wb->Owner(), f.frame);
    EXPECT_EQ(f.wb->Parent(), f.frame);
    EXPECT_EQ(f.wb->Align(), TAlign::alClient);
    EXPECT_EQ(f.wb->BoundsRect().right, 696);
    EXPECT_EQ(f.wb->BoundsRect().bottom, 404);
    EXPECT_EQ(f.wb->DisableCtrlShortcuts, L"N");
    EXPECT_EQ(f.wb->UserInterfaceOptions(),
              (TUserInterfaceOptions{TUserInterfaceOption::DontUseScrollBars,
                                     TUserInterfaceOption::EnablesFormsAutoComplete,
                                     TUserInterfaceOption::EnableThemes}));
    EXPECT_EQ(f.wb->DisabledPopupMenus, TIEPopupMenus{rcmAll});
    EXPECT_EQ(f.wb->PrintOptions().Header, L"w&b页码，&p/&P(&W)");
    EXPECT_EQ(f.wb->PrintOptions().Footer, L"&u&b&d");
    // Settings loaded: the component's window procedure serves the control.
    EXPECT_TRUE(f.wb->EnableMessageHandler);
    EXPECT_TRUE(f.wb->HandleAllocated());
}

TEST(FrameWeb, EachCompletedDocumentTakesTheServerIdAndCallsThePageFunctionWithZeros) {
    FrameInForm f;
    const std::wstring host = GameHostFragment(); // ".tn.<label>"
    const struct {
        std::wstring location;
        std::wstring serverId; // after the document
    } cases[] = {
        {L"http://s12" + host + L".example/wd_play_1016.php?sid=s12", L"12"},
        {L"http://sab3" + host + L".example/game.html", L"AB3"},
        // No id in these: the previous one stays, and the pay link with it.
        {L"http://127.0.0.1/tn/wd2/index.html", L"AB3"},
        {L"", L"AB3"},
        {L"http://s" + host + L"/", L"AB3"},
        {L"http://s7" + host + L"/", L"7"},
    };
    ServerId.clear();
    std::size_t raised = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        f.wb->location = c.location;
        test::RaiseDocumentComplete(*f.wb);
        ++raised;
        EXPECT_EQ(ServerId, c.serverId);
        ASSERT_EQ(f.script.Calls.size(), raised);
        EXPECT_EQ(f.script.Calls.back(),
                  (FakeScript::Call{L"A4F07C19E2B35D86C0E1F4A97B2D", {0, 0}}));
    }
    EXPECT_NE(GetPayUrl().find(L"sid=7"), std::wstring::npos);

    // A page without the function, or without a document, is left alone.
    f.script.Known = {};
    test::RaiseDocumentComplete(*f.wb);
    f.wb->document = nullptr;
    test::RaiseDocumentComplete(*f.wb);
    EXPECT_EQ(f.script.Calls.size(), raised);
    ServerId.clear();
}

TEST(FrameWeb, RefusesOnlyNewWindowsThatCarryTheClientCommandMarker) {
    FrameInForm f;
    EXPECT_TRUE(test::RaiseNewWindow3(*f.wb, L"http://s1.example/client_command?x=1"));
    EXPECT_TRUE(test::RaiseNewWindow3(*f.wb, L"client_command"));
    EXPECT_FALSE(test::RaiseNewWindow3(*f.wb, L"http://s1.example/CLIENT_COMMAND"));
    EXPECT_FALSE(test::RaiseNewWindow3(*f.wb, L"http://s1.example/pay.html"));
}

// The title goes to the frame's own game window, never to the one FormMain names.
TEST(FrameWeb, ATitleOutsideAGameWindowLeavesTheGameWindowsTitleAlone) {
    GameUrl = L"about:blank";
    TFormMain* game = ShowGameWindow();
    ASSERT_EQ(FormMain, game);
    {
        FrameInForm f;
        const std::wstring caption = f.form->Caption();
        test::RaiseTitleChange(*f.wb, L"page title");
        EXPECT_EQ(game->lblwebtitle->Caption(), L"");
        EXPECT_EQ(game->lblBackservicelist->Left(), 159);
        EXPECT_EQ(f.form->Caption(), caption);
    }
    TComponent::Free(game);
    EXPECT_EQ(FormMain, nullptr);
    GameUrl.clear();
}

} // namespace
