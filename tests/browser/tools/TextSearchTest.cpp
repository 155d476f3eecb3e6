// Text search, highlighting in pages and frames, and form fields, through the page doubles (this
// platform's control never has a document); the shell's windows through a collection of the
// test's own.
#include "browser/tools/TextSearch.h"

#include "tests/browser/FakeBrowser.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::CountWatch;
using test::DialogCallsSpy;
using test::FakeBrowser;
using test::FakeCollection;
using test::FakeDispatch;
using test::FakeDocument;
using test::FakeElement;
using test::FakeTextRange;
using test::FakeToolHost;
using Calls = std::vector<std::wstring>;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

// A page whose body holds text; every range made of the body is the one range of the test.
struct TextPage {
    FakeDocument doc;
    FakeElement body{L"BODY"};
    FakeTextRange range;
    explicit TextPage(std::wstring text) : range(std::move(text)) {
        doc.SetBody(&body);
        body.bag.SetObject(L"createTextRange", range.Dispatch());
    }
    // The calls of the range, without the positions after each.
    [[nodiscard]] Calls RangeCalls() const {
        Calls calls;
        for (const std::wstring& line : range.log)
            calls.push_back(line.substr(0, line.rfind(L" [")));
        return calls;
    }
};

// --- finding text -------------------------------------------------------------------------------

TEST(FindTextRange, TheSearchStartsOneCharacterInSoAMatchAtTheVeryStartIsMissed) {
    FakeToolHost host;
    TextPage page(L"alpha beta alpha");
    const CountWatch counts{&page.doc, &page.body, &page.range};
    ComPtr<IHTMLTxtRange> found;
    FindTextRange(host, page.doc.Unknown(), L"alpha", 1, 0, found);
    EXPECT_EQ(found.get(), static_cast<IHTMLTxtRange*>(&page.range));
    EXPECT_EQ(page.range.Start(), 11) << "the second alpha, not the first";
    EXPECT_EQ(page.RangeCalls(),
              (Calls{L"moveStart(character,1)", L"findText(alpha,1,0)", L"scrollIntoView(-1)"}));
    EXPECT_EQ(host.waits, (std::vector<DWORD>{0}));
    found.reset();
    EXPECT_TRUE(counts.Changed().empty());

    TextPage once(L"alpha beta");
    FindTextRange(host, once.doc.Unknown(), L"alpha", 1, 0, found);
    EXPECT_FALSE(found);
}

TEST(FindTextRange, CountAndFlagsGoToTheRangeAsGiven) {
    struct Case {
        LONG count, flags;
        const wchar_t* move;
        const wchar_t* find;
    };
    const Case cases[] = {
        {1, 0, L"moveStart(character,1)", L"findText(beta,1,0)"},
        {2, 6, L"moveStart(character,2)", L"findText(beta,2,6)"},
        {0, 4, L"moveStart(character,0)", L"findText(beta,1,4)"}, // no move: count 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        FakeToolHost host;
        TextPage page(L"alpha beta");
        ComPtr<IHTMLTxtRange> found;
        FindTextRange(host, page.doc.Unknown(), L"beta", c.count, c.flags, found);
        EXPECT_TRUE(found);
        EXPECT_EQ(page.RangeCalls(), (Calls{c.move, c.find, L"scrollIntoView(-1)"}));
    }
}

TEST(FindTextRange, OnlyTheClassLibrarysErrorsAreSwallowed) {
    FakeToolHost host;
    TextPage page(L"alpha beta");
    page.range.bag.Fail(L"findText", E_FAIL);
    ComPtr<IHTMLTxtRange> found(&page.range);
    FindTextRange(host, page.doc.Unknown(), L"beta", 1, 0, found);
    EXPECT_FALSE(found);
    FakeDispatch notHtml;
    FindTextRange(host, notHtml.Unknown(), L"beta", 1, 0, found);
    EXPECT_FALSE(found);
    EXPECT_EQ(host.waits.size(), 2u);

    struct ForeignHost : FakeToolHost {
        bool Wait(DWORD) override { throw 42; }
    } foreign;
    EXPECT_THROW(FindTextRange(foreign, page.doc.Unknown(), L"beta", 1, 0, found), int);
}

TEST(DocumentContainsText, TheBodyIsSearchedFromItsStartAfterTheWait) {
    FakeToolHost host;
    TextPage page(L"alpha beta");
    host.document = page.doc.Dispatch();
    EXPECT_TRUE(DocumentContainsText(host, L"alpha"));
    EXPECT_EQ(page.RangeCalls(), (Calls{L"findText(alpha,1,0)"}));
    TextPage other(L"alpha beta");
    host.document = other.doc.Dispatch();
    EXPECT_FALSE(DocumentContainsText(host, L"gamma"));
    EXPECT_EQ(host.waits, (std::vector<DWORD>{0, 0}));

    other.range.bag.Fail(L"findText", E_FAIL);
    EXPECT_FALSE(DocumentContainsText(host, L"alpha"));
    FakeDispatch notHtml;
    host.document = notHtml.Dispatch();
    EXPECT_FALSE(DocumentContainsText(host, L"alpha"));
    host.document = nullptr;
    EXPECT_FALSE(DocumentContainsText(host, L"alpha"));
}

TEST(DocumentContainsText, AWaitThatFreesTheHostAnswersFalseAndAsksItNothingMore) {
    FakeToolHost host;
    TextPage page(L"alpha beta");
    host.document = page.doc.Dispatch();
    host.waitEndsLife = true;
    EXPECT_FALSE(DocumentContainsText(host, L"alpha"));
    EXPECT_EQ(host.touchedAfterEnd, 0);
    EXPECT_TRUE(page.RangeCalls().empty());
}

// --- highlighting -------------------------------------------------------------------------------

TEST(HighlightText, EveryMatchIsColouredAndTheNextSearchStartsJustAfterIt) {
    TextPage page(L"ab ab ab");
    const CountWatch counts{&page.doc, &page.body, &page.range};
    EXPECT_EQ(HighlightText(page.doc.Unknown(), L"ab", {}, L"yellow", L"#FF0000", sivNoScroll), 3);
    const Calls match{L"findText(ab,1,0)", L"execCommand(BackColor,yellow)",
                      L"execCommand(ForeColor,#FF0000)", L"moveStart(Character,1)",
                      L"moveEnd(Textedit,1)"};
    Calls expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), match.begin(), match.end());
    expected.emplace_back(L"findText(ab,1,0)");
    EXPECT_EQ(page.RangeCalls(), expected);
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(HighlightText, TheSearchFlagsBecomeTheRangesFindFlags) {
    struct Case {
        TSearchFlags flags;
        const wchar_t* find;
    };
    const Case cases[] = {
        {{}, L"findText(ab,1,0)"},
        {{sfMatchWholeWord}, L"findText(ab,1,2)"},
        {{sfMatchCase}, L"findText(ab,1,4)"},
        {{sfMatchWholeWord, sfMatchCase}, L"findText(ab,1,6)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.find);
        TextPage page(L"ab");
        EXPECT_EQ(HighlightText(page.doc.Unknown(), L"ab", c.flags, L"", L"", sivNoScroll), 1);
        EXPECT_EQ(page.RangeCalls().front(), c.find);
    }
}

TEST(HighlightText, EmptyColoursStillCountAndScrollToTheFirstOrLastMatch) {
    TextPage first(L"ab ab ab");
    EXPECT_EQ(HighlightText(first.doc.Unknown(), L"ab", {}, L"", L"", sivFirstMatch), 3);
    const Calls calls = first.RangeCalls();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 5),
              (Calls{L"findText(ab,1,0)", L"moveStart(Character,1)", L"moveEnd(Textedit,1)",
                     L"scrollIntoView(-1)", L"findText(ab,1,0)"}));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"scrollIntoView(-1)"), 1);

    TextPage last(L"ab ab ab");
    EXPECT_EQ(HighlightText(last.doc.Unknown(), L"ab", {}, L"", L"", sivLastMatch), 3);
    EXPECT_EQ(last.RangeCalls().size(), 11u);
    EXPECT_EQ(last.RangeCalls().back(), L"scrollIntoView(-1)");
    // One match is no "last" one to scroll to.
    TextPage single(L"ab");
    EXPECT_EQ(HighlightText(single.doc.Unknown(), L"ab", {}, L"", L"", sivLastMatch), 1);
    EXPECT_EQ(single.RangeCalls().back(), L"findText(ab,1,0)");
}

TEST(HighlightText, NoTextNoDocumentOrNoBodyGiveZero) {
    TextPage page(L"ab");
    EXPECT_EQ(HighlightText(page.doc.Unknown(), L"", {}, L"red", L"", sivFirstMatch), 0);
    FakeDispatch notHtml;
    EXPECT_EQ(HighlightText(notHtml.Unknown(), L"ab", {}, L"red", L"", sivFirstMatch), 0);
    EXPECT_EQ(HighlightText(nullptr, L"ab", {}, L"red", L"", sivFirstMatch), 0);
    page.doc.SetBody(nullptr);
    EXPECT_EQ(HighlightText(page.doc.Unknown(), L"ab", {}, L"red", L"", sivFirstMatch), 0);
    EXPECT_TRUE(page.range.log.empty());

    TextPage refusing(L"ab");
    refusing.range.bag.Fail(L"execCommand", E_ACCESSDENIED);
    EXPECT_THROW((void)HighlightText(refusing.doc.Unknown(), L"ab", {}, L"red", L"", sivNoScroll),
                 EOleSysError);
}

// A frame of a page: a browser showing a page of its own.
struct Frame {
    TextPage page;
    FakeBrowser browser;
    explicit Frame(std::wstring text) : page(std::move(text)) {
        browser.SetDocument(page.doc.Dispatch());
    }
};

TEST(HighlightTextInFrames, EveryFrameIsSearchedOnceTheUserConfirmedTheTextOnce) {
    DialogCallsSpy spy;
    DialogCallsSpy::InputAnswer = L"ab";
    FakeToolHost host;
    // The top page holds frame a, a plug-in and frame b; b holds frame c.
    TextPage top(L"ab ab");
    Frame a(L"x ab ab"), b(L"ab"), c(L"ab");
    FakeDispatch plugIn;
    top.doc.embeddings = {a.browser.Unknown(), plugIn.Unknown(), b.browser.Unknown()};
    b.page.doc.embeddings = {c.browser.Unknown()};
    const CountWatch counts{&top.doc, &a.browser, &b.browser, &c.browser, &plugIn, &a.page.doc};

    HighlightTextInFrames(host, top.doc.Unknown(), L"abc", L"Find", L"Text:", {sfMatchCase},
                          L"yellow", L"", sivNoScroll, true);
    ASSERT_EQ(DialogCallsSpy::Inputs.size(), 1u);
    EXPECT_EQ(DialogCallsSpy::Inputs[0].caption, L"Find");
    EXPECT_EQ(DialogCallsSpy::Inputs[0].prompt, L"Text:");
    EXPECT_EQ(DialogCallsSpy::Inputs[0].value, L"abc");
    const auto colours = [](const TextPage& p) {
        const Calls calls = p.RangeCalls();
        return std::count(calls.begin(), calls.end(), L"execCommand(BackColor,yellow)");
    };
    EXPECT_EQ(colours(a.page), 2);
    EXPECT_EQ(colours(c.page), 1);
    EXPECT_EQ(a.page.RangeCalls().front(), L"findText(ab,1,4)") << "the text the user typed";
    EXPECT_TRUE(top.range.log.empty()) << "the frameset itself is not searched";
    EXPECT_TRUE(b.page.range.log.empty());
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(HighlightTextInFrames, CancelOrAnEmptyTextSearchesNothing) {
    DialogCallsSpy spy;
    TextPage page(L"ab ab");
    FakeToolHost host;
    DialogCallsSpy::InputAnswer.reset();
    HighlightTextInFrames(host, page.doc.Unknown(), L"ab", L"Find", L"Text:", {}, L"red", L"",
                          sivFirstMatch, true);
    DialogCallsSpy::InputAnswer = L"";
    HighlightTextInFrames(host, page.doc.Unknown(), L"ab", L"Find", L"Text:", {}, L"red", L"",
                          sivFirstMatch, true);
    EXPECT_EQ(DialogCallsSpy::Inputs.size(), 2u);
    HighlightTextInFrames(host, page.doc.Unknown(), L"", L"Find", L"Text:", {}, L"red", L"",
                          sivFirstMatch, false);
    FakeDispatch notHtml;
    HighlightTextInFrames(host, notHtml.Unknown(), L"ab", L"Find", L"Text:", {}, L"red", L"",
                          sivFirstMatch, true);
    EXPECT_EQ(DialogCallsSpy::Inputs.size(), 2u) << "no page: no question";
    EXPECT_TRUE(page.range.log.empty());

    // Without the prompt the text goes straight to the frameless page.
    HighlightTextInFrames(host, page.doc.Unknown(), L"ab", L"Find", L"Text:", {}, L"red", L"",
                          sivFirstMatch, false);
    EXPECT_EQ(DialogCallsSpy::Inputs.size(), 2u);
    EXPECT_EQ(page.RangeCalls().front(), L"findText(ab,1,0)");
}

// --- form fields --------------------------------------------------------------------------------

// A page whose fields named "city" are an INPUT, a SELECT, a TEXTAREA and a DIV, in that order,
// after a field of another name.
struct FormPage {
    FakeDocument doc;
    FakeCollection all;
    FakeElement other{L"INPUT"}, input{L"INPUT"}, select{L"SELECT"}, area{L"TEXTAREA"}, div{L"DIV"};
    FakeToolHost host;
    FormPage() {
        other.bag.Set(L"name", L"street");
        for (FakeElement* e : {&other, &input, &select, &area, &div}) {
            if (e != &other) e->bag.Set(L"name", L"city");
            all.Add(e->Dispatch());
        }
        doc.bag.SetObject(L"all", all.Dispatch());
        host.document = doc.Dispatch();
    }
    // The tags of the elements given a value.
    [[nodiscard]] std::vector<std::wstring> Set() const {
        std::vector<std::wstring> set;
        for (const FakeElement* e : {&other, &input, &select, &area, &div})
            if (!e->bag.puts.empty()) set.push_back(e->bag.Text(L"tagName"));
        return set;
    }
};

TEST(FillForm, TheElementNumberPicksTheFieldAmongThoseOfTheName) {
    struct Case {
        int elementNr;
        bool result;
        std::vector<std::wstring> set;
    };
    const Case cases[] = {
        {-1, true, {L"INPUT"}},   {0, false, {}}, {1, true, {L"SELECT"}},
        {2, true, {L"TEXTAREA"}}, {3, false, {}}, {5, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elementNr);
        FormPage page;
        EXPECT_EQ(FillDocumentForm(page.host, L"city", L"Lisboa", c.elementNr), c.result);
        EXPECT_EQ(page.Set(), c.set);
    }
    FormPage page;
    ASSERT_TRUE(FillDocumentForm(page.host, L"city", L"Lisboa", 2));
    EXPECT_EQ(page.area.bag.Text(L"value"), L"Lisboa");

    // With -1 the fields that take no value are passed over.
    FormPage divFirst;
    FakeCollection reordered({divFirst.div.Dispatch(), divFirst.area.Dispatch()});
    divFirst.doc.bag.SetObject(L"all", reordered.Dispatch());
    EXPECT_TRUE(FillDocumentForm(divFirst.host, L"city", L"Porto", -1));
    EXPECT_EQ(divFirst.Set(), (std::vector<std::wstring>{L"TEXTAREA"}));
}

TEST(FillForm, ErrorsEndQuietlyAndAPageWithoutTheInterfaceSetsNothing) {
    FormPage refusing;
    refusing.input.bag.Fail(L"value", E_ACCESSDENIED);
    EXPECT_FALSE(FillDocumentForm(refusing.host, L"city", L"Lisboa", -1));
    EXPECT_TRUE(refusing.Set().empty()) << "the first error ends the walk";

    FormPage failing;
    failing.doc.bag.Fail(L"getElementsByName", E_FAIL);
    EXPECT_FALSE(FillDocumentForm(failing.host, L"city", L"Lisboa", -1));
    FormPage old;
    old.doc.Refuse(IID_IHTMLDocument3);
    EXPECT_FALSE(FillDocumentForm(old.host, L"city", L"Lisboa", -1));
    old.host.document = nullptr;
    EXPECT_FALSE(FillDocumentForm(old.host, L"city", L"Lisboa", -1));
    EXPECT_FALSE(SetFormFieldValue(nullptr, L"city", L"Lisboa", -1));
}

// A page with two forms; "user" is a field of both.
struct TwoForms {
    FakeDocument doc;
    FakeBrowser app;
    FakeElement form1{L"FORM"}, form2{L"FORM"};
    FakeElement user1{L"INPUT"}, pass{L"INPUT"}, broken{L"INPUT"}, user2{L"INPUT"}, upper{L"INPUT"};
    FakeCollection all, forms;
    TwoForms() {
        const auto field = [](FakeElement& e, const wchar_t* name, const wchar_t* value) {
            e.bag.Set(L"name", name);
            e.bag.Set(L"value", value);
        };
        field(user1, L"user", L"first");
        field(pass, L"pass", L"secret");
        field(broken, L"user", L"broken");
        field(user2, L"user", L"second");
        field(upper, L"User", L"other case");
        form1.SetItems({user1.Dispatch(), pass.Dispatch()});
        form2.SetItems({broken.Dispatch(), user2.Dispatch(), upper.Dispatch()});
        for (FakeElement* e : {&form1, &user1, &pass, &form2, &broken, &user2, &upper})
            all.Add(e->Dispatch());
        forms.Add(form1.Dispatch());
        forms.Add(form2.Dispatch());
        doc.bag.SetObject(L"all", all.Dispatch());
        doc.bag.SetObject(L"forms", forms.Dispatch());
        app.SetDocument(doc.Dispatch());
    }
};

TEST(GetFieldValue, TheLastElementOfThatExactNameWinsAndABrokenOneIsPassedOver) {
    TwoForms page;
    page.broken.bag.Fail(L"name", E_FAIL);
    const CountWatch counts{&page.doc, &page.app, &page.form1, &page.user2, &page.broken};
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"user"), L"second");
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"pass"), L"secret");
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"User"), L"other case");
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"none"), L"");
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(GetFieldValue, APageWithoutAFormElementGivesEmpty) {
    TwoForms page;
    // The forms collection still has its forms: the FORM tags decide.
    FakeCollection noForms({page.user1.Dispatch()});
    page.doc.bag.SetObject(L"all", noForms.Dispatch());
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"user"), L"");
    FakeDispatch notHtml;
    page.app.SetDocument(notHtml.Dispatch());
    EXPECT_EQ(GetFormFieldValue(page.app.Dispatch(), L"user"), L"");
    EXPECT_EQ(GetFormFieldValue(nullptr, L"user"), L"");
}

// --- the shell's windows ------------------------------------------------------------------------

class FakeShellWindows final : public test::FakeDispatchObject<IShellWindows> {
public:
    std::vector<IDispatch*> windows; // borrowed
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(windows.size());
        return bag.Get(L"Count", nullptr);
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override {
        if (!folder) return E_POINTER;
        const LONG i = VariantToInt(index, -1);
        *folder = i >= 0 && static_cast<std::size_t>(i) < windows.size()
                      ? windows[static_cast<std::size_t>(i)]
                      : nullptr;
        if (!*folder) return S_FALSE;
        (*folder)->AddRef();
        return S_OK;
    }
    // The collection the calls below hand out.
    static inline FakeShellWindows* current = nullptr;
    static HRESULT Create(IShellWindows** out) {
        current->AddRef();
        *out = current;
        return S_OK;
    }
};

// A browser window of the shell showing a page with one form.
struct ShellPage {
    FakeBrowser browser;
    FakeDocument doc;
    FakeElement form{L"FORM"};
    FakeCollection forms;
    explicit ShellPage(std::vector<FakeElement*> elements) {
        std::vector<IDispatch*> items;
        for (FakeElement* e : elements)
            items.push_back(e->Dispatch());
        form.SetItems(items);
        forms.Add(form.Dispatch());
        doc.bag.SetObject(L"forms", forms.Dispatch());
        browser.SetDocument(doc.Dispatch());
    }
};

FakeElement& Input(FakeElement& e, const wchar_t* type, const wchar_t* value) {
    e.bag.Set(L"type", type);
    e.bag.Set(L"value", value);
    return e;
}

TEST(ShellWindows, TextInputsGetFindWindowAndOnlyTheSearchSubmitIsClicked) {
    FakeElement text{L"INPUT"}, search{L"INPUT"}, go{L"INPUT"}, div{L"DIV"}, upperText{L"INPUT"},
        flaky{L"INPUT"};
    Input(text, L"text", L"");
    Input(search, L"SUBMIT", L"Search");
    Input(go, L"submit", L"Go");
    Input(div, L"text", L"");
    Input(upperText, L"TEXT", L"");
    // Its type cannot be read the first time: the text check fails, the submit check runs.
    Input(flaky, L"", L"Search");
    flaky.bag.SetMethod(L"type",
                        [reads = 0](const DISPPARAMS&, VARIANT* result, EXCEPINFO*) mutable {
                            if (reads++ == 0) return E_FAIL;
                            if (result) *result = OleVariant(L"submit").Detach();
                            return S_OK;
                        });
    ShellPage first({&text, &search, &go, &div});
    ShellPage second({&upperText, &flaky});
    FakeDispatch folderView; // a folder window: its document is no page
    FakeBrowser folder;
    folder.SetDocument(folderView.Dispatch());
    FakeShellWindows windows;
    windows.windows = {first.browser.Dispatch(), folder.Dispatch(), second.browser.Dispatch()};
    FakeShellWindows::current = &windows;
    const CountWatch counts{&windows, &first.browser, &first.doc, &second.doc, &folder, &search};

    FillShellWindowForms(ShellWindowsCalls{&FakeShellWindows::Create});
    EXPECT_EQ(text.bag.Text(L"value"), L"FindWindow");
    EXPECT_EQ(upperText.bag.Text(L"value"), L"FindWindow");
    EXPECT_EQ(div.bag.Text(L"value"), L"") << "not an INPUT";
    EXPECT_EQ(search.bag.Text(L"value"), L"Search");
    EXPECT_EQ(search.clicks, 1);
    EXPECT_EQ(go.clicks, 0);
    EXPECT_EQ(flaky.clicks, 1);
    EXPECT_EQ(flaky.bag.Text(L"value"), L"Search");
    EXPECT_EQ(text.clicks + div.clicks + upperText.clicks, 0);
    EXPECT_TRUE(counts.Changed().empty());
}

TEST(ShellWindows, ACollectionThatCannotCountHoldsNothingToFill) {
    // This Wine's collection opens, but its count fails (E_NOTIMPL, the count set to 0).
    ComPtr<IShellWindows> system;
    ASSERT_EQ(SystemShellWindowsCalls().createShellWindows(system.put()), S_OK);
    LONG count = -1;
    EXPECT_EQ(system->get_Count(&count), E_NOTIMPL);
    EXPECT_EQ(count, 0);
    EXPECT_NO_THROW(FillShellWindowForms());

    FakeElement text{L"INPUT"};
    Input(text, L"text", L"");
    ShellPage page({&text});
    FakeShellWindows windows;
    windows.windows = {page.browser.Dispatch()};
    windows.bag.Fail(L"Count", E_NOTIMPL);
    FakeShellWindows::current = &windows;
    FillShellWindowForms(ShellWindowsCalls{&FakeShellWindows::Create});
    EXPECT_EQ(text.bag.Text(L"value"), L"");
    EXPECT_EQ(windows.Count(), 1u);
}

} // namespace
