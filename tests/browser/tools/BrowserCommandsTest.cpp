// The browser's document commands, the file dialogs through the dialog seam, the default client
// from the machine's registry, the shell actions, and the navigations through the control double.
#include "browser/tools/BrowserCommands.h"

#include "classlib/Forms.h"
#include "classlib/Registry.h"
#include "tests/browser/FakeBrowser.h"
#include "tests/browser/tools/FakeToolHost.h"
#include "tests/support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <urlhist.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// The URL history's store has no not-implemented base among the shared doubles: this one records
// its deletions.
class HistoryStorePart : public IUrlHistoryStg {
public:
    std::vector<std::pair<std::wstring, DWORD>> deleted;
    HRESULT deleteResult = S_OK;
    HRESULT STDMETHODCALLTYPE AddUrl(LPCOLESTR, LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteUrl(LPCOLESTR url, DWORD flags) override {
        deleted.emplace_back(url ? url : L"", flags);
        return deleteResult;
    }
    HRESULT STDMETHODCALLTYPE QueryUrl(LPCOLESTR, DWORD, LPSTATURL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCOLESTR, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumUrls(IEnumSTATURL**) override { return E_NOTIMPL; }

protected:
    ~HistoryStorePart() = default;
};
template <> struct tn::test::FakePart<IUrlHistoryStg> { using type = HistoryStorePart; };

namespace {

using namespace tn;
using test::DialogCallsSpy;
using test::FakeBrowser;
using test::FakeDocument;
using test::FakeToolHost;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

constexpr GUID kBrowserCommandGroup = {
    0xED016940, 0xBD5B, 0x11CF, {0xBA, 0x4E, 0x00, 0xC0, 0x4F, 0xD7, 0x08, 0x16}};

// --- document commands -----------------------------------------------------------------------

TEST(BrowserCommands, EachRoutineRunsItsCommandWithOptionZeroAndIsTrueOnlyForStatusZero) {
    struct Row {
        const char* name;
        bool (*routine)(IUnknown*) noexcept;
        bool grouped;
        DWORD cmd;
    };
    for (const Row& r :
         {Row{"save as", &ShowSaveAsCommand, false, 4},
          Row{"properties", &ShowPagePropertiesCommand, false, 10},
          Row{"find", &ShowFindCommand, true, 1}, Row{"source", &ShowSourceCommand, true, 2},
          Row{"internet options", &ShowInternetOptionsCommand, true, 3}}) {
        SCOPED_TRACE(r.name);
        FakeDocument doc;
        EXPECT_TRUE(r.routine(doc.Unknown()));
        for (const HRESULT answer : {S_FALSE, OLECMDERR_E_NOTSUPPORTED, E_FAIL}) {
            doc.commands.result = answer;
            EXPECT_FALSE(r.routine(doc.Unknown()));
        }
        ASSERT_EQ(doc.commands.calls.size(), 4u);
        for (const auto& call : doc.commands.calls) {
            EXPECT_EQ(call.grouped, r.grouped);
            if (r.grouped) {
                EXPECT_EQ(call.group, kBrowserCommandGroup);
            }
            EXPECT_EQ(call.cmd, r.cmd);
            EXPECT_EQ(call.option, 0u);
            EXPECT_EQ(call.in.vt(), VT_EMPTY);
            EXPECT_TRUE(call.out);
        }
        EXPECT_FALSE(r.routine(nullptr));
        EXPECT_EQ(doc.Count(), 1u);
    }
}

// --- file dialogs --------------------------------------------------------------------------------

const std::wstring kOpenFilter =
    L"Internet Files|*.htm; *.html; *.url; *.mht; *.mhtml; *.php "
    L"*.asp\n\r|Image Files| *.gif;*.bmp;*.ico;*.jpg;*.png;*.wmf; "
    L"*.emf; \n\r|Text & Documents Files| *.txt;*.doc;*.xls;*.dot;\n\r|"
    L"Compressed Files| *.zip;\n\r|XML Files| *.xml;\n\r|Any Files|*.*";
const std::wstring kSaveFilter = L"Internet Files|*.htm; *.html;*.mht; *.mhtml; *.php *.asp\n\r|"
                                 L"Text & Documents Files| *.txt;*.doc;*.xls;*.dot;\n\r|XML Files| "
                                 L"*.xml;\n\r|Any Files|*.*";

void ExpectPageDialog(const TFileDialogRequest& r, const std::wstring& title,
                      const std::wstring& filter, HWND owner) {
    EXPECT_EQ(r.Title, title);
    EXPECT_EQ(r.Filter, filter);
    EXPECT_EQ(r.Options & (ofShowHelp | ofEnableSizing), ofShowHelp | ofEnableSizing);
    EXPECT_EQ(r.HelpContext, 0);
    EXPECT_EQ(r.Owner, owner);
    EXPECT_EQ(r.FileName, L"");
}

TEST(PageDialogs, TheOpenDialogShowsItsFiltersAndOpensTheChosenFile) {
    const DialogCallsSpy spy;
    FakeToolHost host;
    EXPECT_FALSE(OpenPageDialog(host, nullptr));
    EXPECT_TRUE(host.gone.empty());

    auto* form = TComponent::Create<TForm>(*Application);
    auto* inner = TComponent::Create<TComponent>(*form); // no window: its owner's is taken
    form->Show();
    DialogCallsSpy::FileAnswer = L"C:\\pages\\my page.htm";
    EXPECT_TRUE(OpenPageDialog(host, inner));
    EXPECT_EQ(host.gone,
              (std::vector<std::pair<std::wstring, DWORD>>{{L"C:\\pages\\my page.htm", 0}}));
    ASSERT_EQ(DialogCallsSpy::Opens.size(), 2u);
    ExpectPageDialog(DialogCallsSpy::Opens[0], L"Browser - Open Dialog", kOpenFilter, nullptr);
    ExpectPageDialog(DialogCallsSpy::Opens[1], L"Browser - Open Dialog", kOpenFilter,
                     form->Handle());
    EXPECT_TRUE(DialogCallsSpy::Saves.empty());
    TComponent::Free(form);
}

TEST(PageDialogs, TheSaveDialogTakesTheCallersTitleAndFilterAndSavesOnlyAChosenFile) {
    const DialogCallsSpy spy;
    FakeToolHost host;
    std::wstring chosen = L"left over";
    SavePageDialog(host, nullptr, L"", L"", chosen);
    EXPECT_EQ(chosen, L"") << "cancelled: no name handed back";
    EXPECT_TRUE(host.saved.empty());

    DialogCallsSpy::FileAnswer = L"C:\\saved\\page.htm";
    SavePageDialog(host, nullptr, L"Keep this page", L"Pages|*.htm", chosen);
    EXPECT_EQ(chosen, L"C:\\saved\\page.htm");
    EXPECT_EQ(host.saved, std::vector<std::wstring>{L"C:\\saved\\page.htm"});

    ASSERT_EQ(DialogCallsSpy::Saves.size(), 2u);
    ExpectPageDialog(DialogCallsSpy::Saves[0], L"Browser - Save Dialog", kSaveFilter, nullptr);
    ExpectPageDialog(DialogCallsSpy::Saves[1], L"Keep this page", L"Pages|*.htm", nullptr);
    EXPECT_TRUE(DialogCallsSpy::Opens.empty());
}

// --- shell actions -------------------------------------------------------------------------------

// The shell calls recorded instead of made; the system's are put back after.
class ShellSpy {
public:
    struct Call {
        HWND wnd;
        std::wstring verb, file;
        const wchar_t* rawParameters; // null stays null
        std::wstring parameters, directory;
        bool nullDirectory;
        INT show;
    };
    static inline std::vector<Call> Calls;

    ShellSpy() : FSaved(BrowserCommandCalls()) {
        Calls.clear();
        BrowserCommandCalls().ShellExecuteW = &Execute;
    }
    ShellSpy(const ShellSpy&) = delete;
    ShellSpy& operator=(const ShellSpy&) = delete;
    ~ShellSpy() { BrowserCommandCalls() = FSaved; }

private:
    static HINSTANCE WINAPI Execute(HWND wnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                    LPCWSTR directory, INT show) {
        Calls.push_back({wnd, verb ? verb : L"", file ? file : L"", parameters,
                         parameters ? parameters : L"", directory ? directory : L"",
                         directory == nullptr, show});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    }
    TBrowserCommandCalls FSaved;
};

// A client kind of the tests' own under HKEY_LOCAL_MACHINE, removed before and after.
class TestClientKind {
public:
    static constexpr wchar_t kKind[] = L"TnTestClientKind";
    TestClientKind() { Remove(); }
    TestClientKind(const TestClientKind&) = delete;
    TestClientKind& operator=(const TestClientKind&) = delete;
    ~TestClientKind() { Remove(); }

    // The kind's default program (no value: nullptr), and that program's command line (no key:
    // nullptr).
    void Register(const wchar_t* name, const wchar_t* command) const {
        TRegistry reg(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey(Key(), true));
        if (name) reg.WriteString(L"", name);
        if (!command) return;
        ASSERT_TRUE(
            reg.OpenKey(Key() + L"\\" + (name ? name : L"") + L"\\shell\\open\\command", true));
        reg.WriteString(L"", command);
    }

private:
    static std::wstring Key() { return std::wstring(L"Software\\Clients\\") + kKind; }
    static void Remove() { (void)TRegistry(HKEY_LOCAL_MACHINE).DeleteKey(Key()); }
};

TEST(DefaultClient, TheRegisteredCommandLineIsSplitAtTheBlankBeforeItsFirstSlash) {
    struct Case {
        const char* name;
        bool registered;
        const wchar_t* program; // null: none registered
        const wchar_t* command; // null: no command key
        bool started;
        std::wstring file, parameters;
    };
    const Case cases[] = {
        {"switch after a blank", true, L"Test Mail", L"C:\\Mail\\mail.exe /mailurl:%1 /x", true,
         L"C:\\Mail\\mail.exe", L" /mailurl:%1 /x"},
        {"quoted program", true, L"Test Mail", L"\"C:\\Program Files\\Mail\\mail.exe\" /compose",
         true, L"\"C:\\Program Files\\Mail\\mail.exe\"", L" /compose"},
        {"no slash", true, L"Test Mail", L"C:\\Mail\\mail.exe -compose", true,
         L"C:\\Mail\\mail.exe -compose", L""},
        {"slash first", true, L"Test Mail", L"/compose", false, L"", L""},
        {"slash second", true, L"Test Mail", L"x/compose", false, L"", L""},
        {"empty command line", true, L"Test Mail", L"", false, L"", L""},
        {"no command key", true, L"Test Mail", nullptr, false, L"", L""},
        {"no default program", true, nullptr, nullptr, false, L"", L""},
        {"no kind key", false, nullptr, nullptr, false, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ShellSpy spy;
        const TestClientKind kind;
        if (c.registered) kind.Register(c.program, c.command);
        EXPECT_EQ(StartDefaultClient(TestClientKind::kKind), c.started);
        if (!c.started) {
            EXPECT_TRUE(ShellSpy::Calls.empty());
            continue;
        }
        ASSERT_EQ(ShellSpy::Calls.size(), 1u);
        const auto& call = ShellSpy::Calls[0];
        EXPECT_EQ(call.wnd, Application->Handle());
        EXPECT_EQ(call.verb, L"open");
        EXPECT_EQ(call.file, c.file);
        EXPECT_EQ(call.parameters, c.parameters);
        EXPECT_EQ(call.directory, L"");
        EXPECT_FALSE(call.nullDirectory);
        EXPECT_EQ(call.show, SW_SHOW);
    }
}

std::vector<std::pair<WPARAM, LPARAM>> Commands;

LRESULT CALLBACK CommandRecorderProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COMMAND) return ::DefWindowProcW(wnd, msg, wParam, lParam);
    Commands.emplace_back(wParam, lParam);
    return 1234;
}

TEST(ShellActions, ExploreOpensThePathAndTheNewWindowCommandReturnsTheWindowsAnswer) {
    const ShellSpy spy;
    const HWND owner = Application->Handle();
    ExploreFolderPath(owner, L"C:\\users\\Public");
    ASSERT_EQ(ShellSpy::Calls.size(), 1u);
    const auto& call = ShellSpy::Calls[0];
    EXPECT_EQ(call.wnd, owner);
    EXPECT_EQ(call.verb, L"explore");
    EXPECT_EQ(call.file, L"C:\\users\\Public");
    EXPECT_EQ(call.rawParameters, nullptr);
    EXPECT_TRUE(call.nullDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);

    Commands.clear();
    const test::ClassWindow control(L"TnCommandRecorder", &CommandRecorderProc);
    ASSERT_NE(control.get(), nullptr);
    EXPECT_EQ(SendNewWindowCommand(control.get()), 1234);
    EXPECT_EQ(Commands, (std::vector<std::pair<WPARAM, LPARAM>>{{275, 0}}));
}

// --- navigation ----------------------------------------------------------------------------------

// A host with the control double.
struct Navigator {
    FakeBrowser browser;
    FakeToolHost host;
    Navigator() { host.browser = &browser; }
    [[nodiscard]] std::wstring Url(std::size_t i) const {
        return VariantToString(browser.navigations.at(i).url.get());
    }
};

bool IsZero(const OleVariant& v) {
    return v.vt() == VT_I4 && v.get().lVal == 0;
}

TEST(Navigation, SearchesAppendTheTermUnencodedAndNavigateTheirWay) {
    struct Row {
        const char* name;
        void (*search)(TBrowserToolHost&, const std::wstring&);
        std::wstring tail;
        bool throughTheControl; // else the host's Go without time-out
    };
    const std::wstring term = L"two words&more";
    for (const Row& r : {Row{"google", &SearchWithGoogle, L"/search?ie=ISO-8859-1&q=" + term, true},
                         Row{"msn", &SearchWithMsn,
                             L"/results.aspx?q=" + term + L"&FORM=CBPW&first=1&noredir=1", true},
                         Row{"baidu", &SearchWithBaidu, L"/s?wd=" + term, false},
                         Row{"yahoo", &SearchWithYahoo, L"/bin/search?p=" + term, false}}) {
        SCOPED_TRACE(r.name);
        Navigator n;
        r.search(n.host, term);
        std::wstring url;
        if (r.throughTheControl) {
            ASSERT_EQ(n.browser.navigations.size(), 1u);
            EXPECT_EQ(n.browser.navigations[0].method, L"Navigate2");
            EXPECT_TRUE(IsZero(n.browser.navigations[0].flags));
            EXPECT_TRUE(n.host.gone.empty());
            url = n.Url(0);
        } else {
            ASSERT_EQ(n.host.gone.size(), 1u);
            EXPECT_EQ(n.host.gone[0].second, 0u);
            EXPECT_TRUE(n.browser.navigations.empty());
            url = n.host.gone[0].first;
        }
        EXPECT_EQ(url.substr(0, 7), L"http://");
        const auto path = url.find(L'/', 7);
        ASSERT_NE(path, std::wstring::npos);
        EXPECT_EQ(url.substr(path), r.tail);
    }
}

TEST(Navigation, NavigateIfNotBlankPassesIntegerZerosAndSkipsBlanks) {
    Navigator n;
    NavigateIfNotBlank(n.host, L" \t ");
    NavigateIfNotBlank(n.host, L"");
    EXPECT_TRUE(n.browser.navigations.empty());

    NavigateIfNotBlank(n.host, L" http://127.0.0.1/a b ");
    ASSERT_EQ(n.browser.navigations.size(), 1u);
    const auto& nav = n.browser.navigations[0];
    EXPECT_EQ(nav.method, L"Navigate2");
    EXPECT_EQ(nav.url.vt(), VT_BSTR);
    EXPECT_EQ(n.Url(0), L" http://127.0.0.1/a b ") << "the URL goes as it was given";
    for (const OleVariant* v : {&nav.flags, &nav.target, &nav.postData, &nav.headers})
        EXPECT_TRUE(IsZero(*v));

    n.browser.navigateResult = E_ACCESSDENIED;
    EXPECT_THROW(NavigateIfNotBlank(n.host, L"http://127.0.0.1/"), EOleSysError);
    FakeToolHost noControl;
    EXPECT_THROW(NavigateIfNotBlank(noControl, L"http://127.0.0.1/"), EOleSysError);
    EXPECT_NO_THROW(NavigateIfNotBlank(noControl, L"  "));
}

TEST(Navigation, PostDataGoesAsBytesWithTheFormHeader) {
    Navigator n;
    NavigateWithPostData(n.host, L"http://127.0.0.1/form.php", L"?a=1 2");
    ASSERT_EQ(n.browser.navigations.size(), 1u);
    const auto& nav = n.browser.navigations[0];
    EXPECT_EQ(nav.method, L"Navigate2");
    EXPECT_EQ(n.Url(0), L"http://127.0.0.1/form.php?a=1 2");
    EXPECT_TRUE(IsZero(nav.flags));
    EXPECT_EQ(nav.target.vt(), VT_EMPTY);
    ASSERT_EQ(nav.postData.vt(), VT_ARRAY | VT_UI1);
    SAFEARRAY* bytes = nav.postData.get().parray;
    LONG lower = -1, upper = -1;
    ASSERT_EQ(::SafeArrayGetLBound(bytes, 1, &lower), S_OK);
    ASSERT_EQ(::SafeArrayGetUBound(bytes, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    std::string body(static_cast<std::size_t>(upper - lower + 1), '\0');
    void* data = nullptr;
    ASSERT_EQ(::SafeArrayAccessData(bytes, &data), S_OK);
    std::memcpy(body.data(), data, body.size());
    (void)::SafeArrayUnaccessData(bytes);
    EXPECT_EQ(body, "version=current&name=myname\r\n");
    EXPECT_EQ(nav.headers.vt(), VT_BSTR);
    EXPECT_EQ(VariantToString(nav.headers.get()),
              L"Content-Type:application/x-www-form-urlencoded\r\n");
}

TEST(Navigation, AboutPagesAndTheBlankPage) {
    Navigator n;
    EXPECT_TRUE(NavigateToAboutHtml(n.host, L""));
    EXPECT_TRUE(NavigateToAboutHtml(n.host, L"<b>hello</b>"));
    ASSERT_EQ(n.browser.navigations.size(), 2u);
    EXPECT_EQ(n.browser.navigations[0].method, L"Navigate");
    EXPECT_EQ(n.Url(0), L"about:");
    EXPECT_EQ(n.Url(1), L"about:<b>hello</b>");
    EXPECT_EQ(n.browser.navigations[0].flags.vt(), VT_EMPTY);

    for (const bool loaded : {true, false}) {
        FakeToolHost host;
        host.waitResult = loaded;
        EXPECT_EQ(NavigateToBlank(host), loaded);
        EXPECT_EQ(host.gone, (std::vector<std::pair<std::wstring, DWORD>>{{L"about:blank", 0}}));
        EXPECT_EQ(host.waits, std::vector<DWORD>{0});
    }
}

class FakeHistory : public test::FakeObject<IUrlHistoryStg> {};

// The URL-history creation replaced: hands out the object given (or fails), and notes what the
// host had done by then.
class HistorySpy {
public:
    static inline IUnknown* Object = nullptr;
    static inline HRESULT Result = S_OK;
    static inline FakeToolHost* Host = nullptr;
    static inline std::size_t WaitsAtCreation = 0;
    static inline int Creations = 0;

    HistorySpy() : FSaved(BrowserCommandCalls()) {
        Object = nullptr;
        Result = S_OK;
        WaitsAtCreation = 0;
        Creations = 0;
        BrowserCommandCalls().CreateUrlHistory = &Create;
    }
    HistorySpy(const HistorySpy&) = delete;
    HistorySpy& operator=(const HistorySpy&) = delete;
    ~HistorySpy() { BrowserCommandCalls() = FSaved; }

private:
    static HRESULT Create(IUnknown** history) {
        ++Creations;
        WaitsAtCreation = Host ? Host->waits.size() : 0;
        *history = nullptr;
        if (FAILED(Result)) return Result;
        if (Object) Object->AddRef();
        *history = Object;
        return S_OK;
    }
    TBrowserCommandCalls FSaved;
};

TEST(Navigation, WithoutHistoryNavigatesWaitsAndDeletesTheUrlWhateverTheStoreAnswers) {
    {
        const HistorySpy spy;
        Navigator n;
        HistorySpy::Host = &n.host;
        FakeHistory history;
        history.deleteResult = E_FAIL;
        HistorySpy::Object = history.Unknown();
        NavigateWithoutHistory(n.host, L"http://127.0.0.1/secret page");
        ASSERT_EQ(n.browser.navigations.size(), 1u);
        EXPECT_EQ(n.browser.navigations[0].method, L"Navigate");
        EXPECT_EQ(n.Url(0), L"http://127.0.0.1/secret page");
        EXPECT_EQ(n.browser.navigations[0].flags.vt(), VT_I4);
        EXPECT_EQ(n.browser.navigations[0].flags.get().lVal, 2);
        EXPECT_EQ(HistorySpy::WaitsAtCreation, 1u) << "the page is waited for first";
        EXPECT_EQ(n.host.waits, std::vector<DWORD>{0});
        EXPECT_EQ(history.deleted, (std::vector<std::pair<std::wstring, DWORD>>{
                                       {L"http://127.0.0.1/secret page", 0}}));
        EXPECT_EQ(history.Count(), 1u);
        HistorySpy::Host = nullptr;
    }
    // The system's store here answers E_NOTIMPL to the deletion: the routine goes on.
    Navigator n;
    EXPECT_NO_THROW(NavigateWithoutHistory(n.host, L"http://127.0.0.1/"));
    EXPECT_EQ(n.browser.navigations.size(), 1u);
}

TEST(Navigation, WithoutHistoryRaisesWhenTheHistoryCannotBeHad) {
    const HistorySpy spy;
    Navigator n;
    HistorySpy::Result = REGDB_E_CLASSNOTREG;
    try {
        NavigateWithoutHistory(n.host, L"http://127.0.0.1/");
        ADD_FAILURE() << "a failing creation raises";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode(), REGDB_E_CLASSNOTREG);
    }
    EXPECT_EQ(n.browser.navigations.size(), 1u) << "after the navigation";

    test::FakeDispatch notAStore;
    HistorySpy::Result = S_OK;
    HistorySpy::Object = notAStore.Dispatch();
    EXPECT_THROW(NavigateWithoutHistory(n.host, L"http://127.0.0.1/"), EOleSysError);
    EXPECT_EQ(notAStore.Count(), 1u);

    n.browser.navigateResult = E_FAIL;
    const int before = HistorySpy::Creations;
    EXPECT_THROW(NavigateWithoutHistory(n.host, L"http://127.0.0.1/"), EOleSysError);
    EXPECT_EQ(HistorySpy::Creations, before) << "a refused navigation goes no further";
}

} // namespace
