// The host interfaces of the browser host control, called as the browser control calls them.
// This platform's control never calls most of them, so the tests do.
#include "browser/host/HwbCore.h"
#include "browser/host/HwbGuids.h"
#include "classlib/Menus.h"

#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/RecordSizes.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <mshtmdid.h>
#include <olectl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::HostInterface;
using test::TestWB;
using tn::CGID_DocHostCommandHandler;
using tn::CGID_Explorer;
using U = TUserInterfaceOption;
using D = TDownloadControlOption;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

TComponent::Owned<TestWB> NewBrowser() {
    return TComponent::CreateOwned<TestWB>();
}

GUID Guid(const wchar_t* text) {
    GUID g{};
    EXPECT_EQ(::IIDFromString(const_cast<LPOLESTR>(text), &g), S_OK);
    return g;
}

OleVariant Ambient(TCustomHostedWB& wb, DISPID id, HRESULT expected) {
    DISPPARAMS none{};
    OleVariant v;
    EXPECT_EQ(HostInterface<IDispatch>(wb)->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                   v.put(), nullptr, nullptr),
              expected);
    return v;
}

// --- UI flags and the download-control ambient ---------------------------------------------------

TEST(HostUIHandler, HostInfoCarriesTheFlagWordOfTheUserInterfaceOptions) {
    struct Case {
        const char* name;
        TUserInterfaceOptions options;
        bool set;
        DWORD flags;
    };
    const Case cases[] = {
        {"new instance", {}, false, 0x44000},
        {"login and announcement browsers",
         {U::DisableTextSelect, U::DisableHelpMenu, U::DontUse3DBorders, U::DontUseScrollBars,
          U::EnablesFormsAutoComplete, U::EnableThemes},
         true,
         0x4400F},
        {"game-page browser",
         {U::DontUseScrollBars, U::EnablesFormsAutoComplete, U::EnableThemes},
         true,
         0x44008},
        {"empty set", {}, true, 0},
        {"first member after the gap", {U::ForceSameWindowNavigation}, true, 0x10000},
        {"last member", {U::ForceUserActivationOnActiveXJava}, true, 0x20000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wb = NewBrowser();
        if (c.set) wb->SetUserInterfaceOptions(c.options);
        DOCHOSTUIINFO info;
        std::memset(&info, 0xCC, sizeof info);
        ASSERT_EQ(HostInterface<IDocHostUIHandler>(*wb)->GetHostInfo(&info), S_OK);
        EXPECT_EQ(info.cbSize, test::RecordSize(20, sizeof(DOCHOSTUIINFO)));
        EXPECT_EQ(info.dwFlags, c.flags);
        EXPECT_EQ(info.dwDoubleClick, DWORD{DOCHOSTUIDBLCLK_DEFAULT});
        EXPECT_EQ(info.pchHostCss, nullptr);
        EXPECT_EQ(info.pchHostNS, nullptr);
    }
    auto wb = NewBrowser();
    wb->OnGetHostInfo = [](TObject*, DOCHOSTUIINFO& info) {
        info.dwFlags |= DOCHOSTUIFLAG_NO3DBORDER;
    };
    DOCHOSTUIINFO info{};
    ASSERT_EQ(HostInterface<IDocHostUIHandler2>(*wb)->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x44004u);
    EXPECT_EQ(HostInterface<IDocHostUIHandler>(*wb)->GetHostInfo(nullptr), E_POINTER);
}

TEST(HostAmbient, DownloadControlValueIsTheFlagWordOfTheDownloadOptions) {
    struct Case {
        const char* name;
        TDownloadControlOptions options;
        bool set;
        LONG value;
    };
    const Case cases[] = {
        {"launcher browsers (as constructed)", {}, false, 0x70},
        {"empty set", {}, true, 0},
        {"scripts off, offline",
         {D::DontExecuteScripts, D::ForceOfflineMode, D::WorkOffline},
         true,
         static_cast<LONG>(0x90000080u)},
        {"last member before the gap", {D::EnableUrlIfEncodingUTF8}, true, 0x40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wb = NewBrowser();
        if (c.set) wb->SetDownloadOptions(c.options);
        const OleVariant v = Ambient(*wb, DISPID_AMBIENT_DLCONTROL, S_OK);
        EXPECT_EQ(v.vt(), VT_I4);
        EXPECT_EQ(v.get().lVal, c.value);
    }
}

// --- context menus and Ctrl shortcuts ------------------------------------------------------------

class RecordingMenu : public TPopupMenu {
public:
    explicit RecordingMenu(TComponent* owner) : TPopupMenu(owner) {}
    std::vector<POINT> shownAt;
    void Popup(int x, int y) override { shownAt.push_back({x, y}); }
};

TEST(HostUIHandler, ContextMenuKindsAreSuppressedByTheDisabledPopupMenus) {
    struct Case {
        TIEPopupMenus menus;
        DWORD kind;
        HRESULT result;
    };
    const Case cases[] = {
        {{rcmAll}, 0, S_OK},   {{rcmAll}, 1, S_OK},      {{rcmAll}, 4, S_OK},
        {{rcmAll}, 9, S_OK},   {{rcmAll}, 10, S_OK},     {{rcmAll}, 13, S_OK},
        {{rcmImage}, 1, S_OK}, {{rcmImage}, 0, S_FALSE}, {{rcmImage}, 10, S_FALSE},
        {{rcmDebug}, 9, S_OK}, {{}, 0, S_FALSE},         {{}, 10, S_FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", set " << c.menus.Bits());
        auto wb = NewBrowser();
        wb->DisabledPopupMenus = c.menus;
        POINT at{5, 5};
        EXPECT_EQ(
            HostInterface<IDocHostUIHandler>(*wb)->ShowContextMenu(c.kind, &at, nullptr, nullptr),
            c.result);
    }
}

TEST(HostUIHandler, ASuppressedMenuShowsTheControlsOwnPopupMenuAndAHandlerDecidesFirst) {
    auto wb = NewBrowser();
    auto* menu = TComponent::Create<RecordingMenu>(*wb);
    wb->SetPopupMenu(menu);
    wb->DisabledPopupMenus = {rcmAll};
    const auto ui = HostInterface<IDocHostUIHandler>(*wb);
    POINT at{1, 2};
    EXPECT_EQ(ui->ShowContextMenu(0, &at, nullptr, nullptr), S_OK);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ASSERT_EQ(menu->shownAt.size(), 1u);
    EXPECT_EQ(menu->shownAt[0].x, cursor.x);
    EXPECT_EQ(menu->shownAt[0].y, cursor.y);

    HRESULT answer = E_NOTIMPL;
    wb->OnShowContextMenu = [&](TObject*, DWORD, POINT*, IUnknown*, IDispatch*, HRESULT& r) {
        r = answer;
    };
    EXPECT_EQ(ui->ShowContextMenu(0, &at, nullptr, nullptr), S_OK); // left at E_NOTIMPL
    answer = S_FALSE;
    EXPECT_EQ(ui->ShowContextMenu(0, &at, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(menu->shownAt.size(), 2u);

    // A menu filter asks for the built-in menu, which needs the control's command target.
    wb->OnShowContextMenu = nullptr;
    wb->DisabledPopupMenus = {};
    wb->OnFilterPopupMenu = [](TObject*, DWORD, HMENU, IDispatch*) {};
    EXPECT_EQ(ui->ShowContextMenu(0, &at, nullptr, nullptr), S_FALSE);
}

TEST(HostUIHandler, CtrlShortcutsInDisableCtrlShortcutsAreSwallowed) {
    struct Case {
        const wchar_t* shortcuts;
        bool ctrl, shift;
        UINT message;
        WPARAM key;
        HRESULT result;
    };
    const Case cases[] = {
        {L"N", true, false, WM_KEYDOWN, 'N', S_OK},
        {L"N", true, true, WM_KEYDOWN, 'N', S_FALSE},
        {L"N", false, false, WM_KEYDOWN, 'N', S_FALSE},
        {L"N", true, false, WM_KEYDOWN, 'C', S_FALSE},
        {L"N", true, false, WM_KEYUP, 'N', S_FALSE},
        {L"n", true, false, WM_KEYDOWN, 'N', S_FALSE},
        {L"", true, false, WM_KEYDOWN, 'N', S_FALSE},
        {L"NC", true, false, WM_KEYDOWN, 'C', S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "\"" << c.shortcuts << "\" ctrl " << c.ctrl << " shift " << c.shift
                     << " key " << char(c.key) << " msg " << c.message);
        auto wb = NewBrowser();
        wb->DisableCtrlShortcuts = c.shortcuts;
        std::vector<wchar_t> masked;
        wb->OnMaskedCtrlChar = [&](TObject*, wchar_t ch) { masked.push_back(ch); };
        const test::KeyState keys(c.ctrl, c.shift);
        MSG msg{nullptr, c.message, c.key, 0, 0, {}};
        EXPECT_EQ(HostInterface<IDocHostUIHandler>(*wb)->TranslateAccelerator(&msg, nullptr, 0),
                  c.result);
        EXPECT_EQ(masked,
                  c.result == S_OK ? std::vector<wchar_t>{wchar_t(c.key)} : std::vector<wchar_t>{});
    }
    auto wb = NewBrowser();
    const auto ui = HostInterface<IDocHostUIHandler>(*wb);
    wb->OnTranslateAccelerator = [](TObject*, const MSG* m, const GUID*, DWORD, bool& done) {
        done = m->wParam == VK_F5;
    };
    const test::KeyState keys(false, false);
    MSG f5{nullptr, WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_EQ(ui->TranslateAccelerator(&f5, nullptr, 0), S_OK);
    EXPECT_EQ(ui->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
}

// --- default answers and the events that change them
// ----------------------------------------------

struct HostCall {
    const char* name;
    std::function<void(TestWB&)> arrange; // empty: no handler
    std::function<HRESULT(TestWB&)> call;
    HRESULT result;
};

void RunCalls(const std::vector<HostCall>& calls) {
    for (const HostCall& c : calls) {
        SCOPED_TRACE(c.name);
        auto wb = NewBrowser();
        if (c.arrange) c.arrange(*wb);
        EXPECT_EQ(c.call(*wb), c.result);
    }
}

template <typename I> I* Intf(TestWB& wb) {
    // Borrowed for one call: the client site keeps the host alive.
    return HostInterface<I>(wb).get();
}

TEST(HostUIHandler, WithoutHandlersTheControlDoesItsOwnDefault) {
    POINT origin{};
    RunCalls({
        {"ShowUI",
         {},
         [](TestWB& w) {
             return Intf<IDocHostUIHandler>(w)->ShowUI(0, nullptr, nullptr, nullptr, nullptr);
         },
         S_FALSE},
        {"HideUI", {}, [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->HideUI(); }, S_FALSE},
        {"UpdateUI", {}, [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->UpdateUI(); }, S_FALSE},
        {"EnableModeless",
         {},
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->EnableModeless(TRUE); },
         S_OK},
        {"OnDocWindowActivate",
         {},
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->OnDocWindowActivate(TRUE); },
         S_OK},
        {"OnFrameWindowActivate",
         {},
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->OnFrameWindowActivate(FALSE); },
         S_OK},
        {"ResizeBorder",
         {},
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->ResizeBorder(nullptr, nullptr, TRUE); },
         S_OK},
        {"GetExternal",
         {},
         [](TestWB& w) {
             IDispatch* d = reinterpret_cast<IDispatch*>(1);
             const HRESULT hr = Intf<IDocHostUIHandler>(w)->GetExternal(&d);
             EXPECT_EQ(d, nullptr);
             return hr;
         },
         S_FALSE},
        {"TranslateUrl",
         {},
         [](TestWB& w) {
             LPWSTR out = reinterpret_cast<LPWSTR>(1);
             wchar_t in[] = L"http://x/";
             const HRESULT hr = Intf<IDocHostUIHandler>(w)->TranslateUrl(0, in, &out);
             EXPECT_EQ(out, nullptr);
             return hr;
         },
         S_FALSE},
        {"FilterDataObject",
         {},
         [](TestWB& w) {
             IDataObject* out = reinterpret_cast<IDataObject*>(1);
             const HRESULT hr = Intf<IDocHostUIHandler>(w)->FilterDataObject(nullptr, &out);
             EXPECT_EQ(out, nullptr);
             return hr;
         },
         S_FALSE},
        {"ShowMessage",
         {},
         [](TestWB& w) {
             LRESULT r = 0;
             return Intf<IDocHostShowUI>(w)->ShowMessage(nullptr, nullptr, nullptr, MB_OK, nullptr,
                                                         0, &r);
         },
         S_FALSE},
        {"ShowHelp with the control's file", [](TestWB& w) { w.HelpFile = L"C:\\help.chm"; },
         [origin](TestWB& w) {
             wchar_t file[] = L"page.chm";
             return Intf<IDocHostShowUI>(w)->ShowHelp(nullptr, file, 0, 0, origin, nullptr);
         },
         S_FALSE},
        {"ShowHelp with only the component's file", [](TestWB& w) { w.HelpFile = L"C:\\help.chm"; },
         [origin](TestWB& w) {
             constexpr UINT kCloseAll = 0x12; // HH_CLOSE_ALL: shows nothing
             return Intf<IDocHostShowUI>(w)->ShowHelp(nullptr, nullptr, kCloseAll, 0, origin,
                                                      nullptr);
         },
         S_OK},
        {"ShowHelp without any file",
         {},
         [origin](TestWB& w) {
             return Intf<IDocHostShowUI>(w)->ShowHelp(nullptr, nullptr, 0, 0, origin, nullptr);
         },
         S_FALSE},
        {"EvaluateNewWindow",
         {},
         [](TestWB& w) {
             return Intf<INewWindowManager>(w)->EvaluateNewWindow(L"u", L"", L"", L"", FALSE, 0, 0);
         },
         E_FAIL},
        {"Download",
         {},
         [](TestWB& w) {
             return Intf<IDownloadManager>(w)->Download(nullptr, nullptr, 0, 0, nullptr, nullptr,
                                                        nullptr, 0);
         },
         E_NOTIMPL},
        {"zoom notification",
         {},
         [](TestWB& w) { return Intf<IZoomEvents>(w)->OnZoomPercentChanged(150); },
         S_FALSE},
        {"PopulateNamespaceTable",
         {},
         [](TestWB& w) { return Intf<IHostBehaviorInit>(w)->PopulateNamespaceTable(); },
         S_OK},
    });
}

TEST(HostUIHandler, EachEventOverridesItsDefault) {
    POINT origin{};
    RunCalls({
        {"OnShowUI",
         [](TestWB& w) {
             w.OnShowUI = [](TObject*, DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                             IOleInPlaceFrame*, IOleInPlaceUIWindow*, HRESULT& r) { r = S_OK; };
         },
         [](TestWB& w) {
             return Intf<IDocHostUIHandler>(w)->ShowUI(0, nullptr, nullptr, nullptr, nullptr);
         },
         S_OK},
        {"OnHideUI", [](TestWB& w) { w.OnHideUI = [](TObject*, HRESULT& r) { r = S_OK; }; },
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->HideUI(); }, S_OK},
        {"OnUpdateUI", [](TestWB& w) { w.OnUpdateUI = [](TObject*, HRESULT& r) { r = E_FAIL; }; },
         [](TestWB& w) { return Intf<IDocHostUIHandler>(w)->UpdateUI(); }, E_FAIL},
        {"OnGetExternal",
         [](TestWB& w) {
             w.OnGetExternal = [&w](TObject*, ComPtr<IDispatch>& d) {
                 d = HostInterface<IDispatch>(w);
             };
         },
         [](TestWB& w) {
             IDispatch* d = nullptr;
             const HRESULT hr = Intf<IDocHostUIHandler>(w)->GetExternal(&d);
             EXPECT_EQ(d, HostInterface<IDispatch>(w).get());
             if (d) d->Release();
             return hr;
         },
         S_OK},
        {"OnTranslateUrl",
         [](TestWB& w) {
             w.OnTranslateUrl = [](TObject*, const wchar_t* in, std::wstring& out) {
                 out = std::wstring(in) + L"?x=1";
             };
         },
         [](TestWB& w) {
             LPWSTR out = nullptr;
             wchar_t in[] = L"http://x/";
             const HRESULT hr = Intf<IDocHostUIHandler>(w)->TranslateUrl(0, in, &out);
             EXPECT_STREQ(out, L"http://x/?x=1");
             ::CoTaskMemFree(out);
             return hr;
         },
         S_OK},
        {"OnShowMessage",
         [](TestWB& w) {
             w.OnShowMessage = [](TObject*, HWND, LPOLESTR text, LPOLESTR, DWORD, LPOLESTR, DWORD,
                                  LRESULT& r) {
                 EXPECT_STREQ(text, L"脚本错误");
                 r = IDOK;
                 return S_OK;
             };
         },
         [](TestWB& w) {
             LRESULT r = 0;
             wchar_t text[] = L"脚本错误";
             const HRESULT hr = Intf<IDocHostShowUI>(w)->ShowMessage(nullptr, text, nullptr, MB_OK,
                                                                     nullptr, 0, &r);
             EXPECT_EQ(r, IDOK);
             // A missing result slot is not written.
             EXPECT_EQ(Intf<IDocHostShowUI>(w)->ShowMessage(nullptr, text, nullptr, MB_OK, nullptr,
                                                            0, nullptr),
                       S_OK);
             return hr;
         },
         S_OK},
        {"OnShowHelpRequest",
         [](TestWB& w) {
             w.OnShowHelpRequest = [](TObject*, HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) {
                 return S_OK;
             };
         },
         [origin](TestWB& w) {
             wchar_t file[] = L"page.chm";
             return Intf<IDocHostShowUI>(w)->ShowHelp(nullptr, file, 0, 0, origin, nullptr);
         },
         S_OK},
        {"OnEvaluateNewWindow",
         [](TestWB& w) {
             w.OnEvaluateNewWindow = [](TObject*, LPCWSTR url, LPCWSTR, LPCWSTR, LPCWSTR, BOOL,
                                        DWORD, DWORD, HRESULT& r) {
                 r = std::wstring(url).find(L"client_command") != std::wstring::npos ? S_FALSE
                                                                                     : S_OK;
             };
         },
         [](TestWB& w) {
             return Intf<INewWindowManager>(w)->EvaluateNewWindow(L"http://g/client_command", L"",
                                                                  L"", L"", FALSE, 0, 0);
         },
         S_FALSE},
        {"OnFileDownload",
         [](TestWB& w) {
             w.OnFileDownload = [](TObject*, IMoniker*, IBindCtx*, DWORD, DWORD, BINDINFO*,
                                   LPCOLESTR, LPCOLESTR, UINT, HRESULT& r) { r = S_OK; };
         },
         [](TestWB& w) {
             return Intf<IDownloadManager>(w)->Download(nullptr, nullptr, 0, 0, nullptr, nullptr,
                                                        nullptr, 0);
         },
         S_OK},
        {"OnZoomPercentChange",
         [](TestWB& w) {
             w.OnZoomPercentChange = [](TObject*, ULONG percent) {
                 return percent == 150 ? S_OK : E_FAIL;
             };
         },
         [](TestWB& w) { return Intf<IZoomEvents>(w)->OnZoomPercentChanged(150); }, S_OK},
        {"OnEnableModeless and the activation events keep S_OK",
         [](TestWB& w) {
             w.OnEnableModeless = [](TObject*, BOOL f) { EXPECT_FALSE(f); };
             w.OnOnDocWindowActivate = [](TObject*, BOOL f) { EXPECT_TRUE(f); };
         },
         [](TestWB& w) {
             EXPECT_EQ(Intf<IDocHostUIHandler>(w)->OnDocWindowActivate(TRUE), S_OK);
             return Intf<IDocHostUIHandler>(w)->EnableModeless(FALSE);
         },
         S_OK},
        {"OnAuthenticate",
         [](TestWB& w) {
             w.OnAuthenticate = [](TObject*, HWND& wnd, std::wstring& user, std::wstring&,
                                   HRESULT& r) {
                 wnd = reinterpret_cast<HWND>(0x1234);
                 user = L"玩家";
                 r = S_OK;
             };
         },
         [](TestWB& w) {
             HWND wnd = nullptr;
             LPWSTR user = nullptr, password = reinterpret_cast<LPWSTR>(1);
             const HRESULT hr = Intf<IAuthenticate>(w)->Authenticate(&wnd, &user, &password);
             EXPECT_EQ(wnd, reinterpret_cast<HWND>(0x1234));
             EXPECT_STREQ(user, L"玩家");
             EXPECT_EQ(password, nullptr); // an empty text is handed out as nil
             ::CoTaskMemFree(user);
             return hr;
         },
         S_OK},
    });
}

TEST(HostUIHandler, OptionKeyPathIsHandedOutByOneOfTheTwoKeyPathRequests) {
    struct Case {
        const wchar_t* path;
        bool overriding;
        HRESULT option, override;
    };
    for (const Case& c : {Case{L"", false, S_FALSE, S_FALSE}, Case{L"", true, S_FALSE, S_FALSE},
                          Case{L"Software\\Brisa\\tn", false, S_OK, S_FALSE},
                          Case{L"Software\\Brisa\\tn", true, S_FALSE, S_OK}}) {
        SCOPED_TRACE(testing::Message() << "\"" << c.path << "\" override " << c.overriding);
        auto wb = NewBrowser();
        wb->OptionKeyPath = c.path;
        wb->OverrideOptionKeyPath = c.overriding;
        const auto ui = HostInterface<IDocHostUIHandler2>(*wb);
        for (const bool asOverride : {false, true}) {
            LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
            const HRESULT hr =
                asOverride ? ui->GetOverrideKeyPath(&key, 0) : ui->GetOptionKeyPath(&key, 0);
            EXPECT_EQ(hr, asOverride ? c.override : c.option);
            if (hr == S_OK) {
                EXPECT_STREQ(key, c.path);
            } else {
                EXPECT_EQ(key, nullptr);
            }
            ::CoTaskMemFree(key == reinterpret_cast<LPOLESTR>(1) ? nullptr : key);
        }
    }
}

// --- drop target ---------------------------------------------------------------------------------

class FakeDropTarget final : public IDropTarget {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == IID_IDropTarget ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return S_OK; }
};

TEST(HostDropTarget, GetDropTargetAnswersByDropHandlingType) {
    FakeDropTarget custom;
    for (const auto type : {ddtMS, ddtMy, ddtCustom, ddtNo}) {
        SCOPED_TRACE(testing::Message() << "type " << type);
        auto wb = NewBrowser();
        wb->SetDropHandlingType(type);
        wb->OnGetDropTarget = [&](TObject*, ComPtr<IDropTarget>& t) {
            t = ComPtr<IDropTarget>(&custom);
        };
        IDropTarget* target = reinterpret_cast<IDropTarget*>(1);
        const HRESULT hr = HostInterface<IDocHostUIHandler>(*wb)->GetDropTarget(nullptr, &target);
        EXPECT_EQ(hr, type == ddtMS ? E_NOTIMPL : S_OK);
        switch (type) {
        case ddtMy:
            EXPECT_EQ(target, HostInterface<IDropTarget>(*wb).get());
            break;
        case ddtCustom:
            EXPECT_EQ(target, &custom);
            break;
        default:
            EXPECT_EQ(target, nullptr);
            break;
        }
        if (target) target->Release();
    }
}

TEST(HostDropTarget, DragEventsStartWithNoEffectAndHandlersDecide) {
    auto wb = NewBrowser();
    const auto target = HostInterface<IDropTarget>(*wb);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(nullptr, 0, POINTL{}, &effect), S_OK);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_NONE});
    int left = 0;
    wb->OnDragEnter = [](TObject*, IDataObject*, DWORD keys, POINTL, DWORD& e, HRESULT& r) {
        e = keys;
        r = S_FALSE;
    };
    wb->OnDragOver2 = [](TObject*, DWORD, POINTL pt, DWORD& e, HRESULT&) {
        e = static_cast<DWORD>(pt.x);
    };
    wb->OnDropEvent = [](TObject*, IDataObject*, DWORD, POINTL, DWORD& e, HRESULT& r) {
        e = DROPEFFECT_LINK;
        r = E_FAIL;
    };
    wb->OnDragLeave = [&](TObject*) { ++left; };
    EXPECT_EQ(target->DragEnter(nullptr, MK_CONTROL, POINTL{}, &effect), S_FALSE);
    EXPECT_EQ(effect, DWORD{MK_CONTROL});
    EXPECT_EQ(target->DragOver(0, POINTL{3, 4}, &effect), S_OK);
    EXPECT_EQ(effect, 3u);
    EXPECT_EQ(target->Drop(nullptr, 0, POINTL{}, &effect), E_FAIL);
    EXPECT_EQ(effect, DWORD{DROPEFFECT_LINK});
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(target->DragOver(0, POINTL{}, nullptr), E_INVALIDARG);
}

TEST(HostDropTarget, DropEffectNarrowsTheAllowedEffectsAndEffectsHaveTheirTexts) {
    struct Case {
        DWORD keys, allowed, effect;
    };
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    for (const Case& c :
         {Case{MK_SHIFT, all, DROPEFFECT_MOVE}, Case{MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_COPY},
          Case{MK_SHIFT | MK_CONTROL, all, DROPEFFECT_LINK},
          Case{MK_SHIFT | MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
          Case{MK_CONTROL, all, DROPEFFECT_COPY}, Case{0, DROPEFFECT_LINK, DROPEFFECT_LINK},
          Case{0, 0, DROPEFFECT_NONE}}) {
        DWORD effect = c.allowed;
        TCustomHostedWB::DropEffect(c.keys, effect);
        EXPECT_EQ(effect, c.effect) << "keys " << c.keys << " allowed " << c.allowed;
    }
    EXPECT_EQ(TCustomHostedWB::dwEffectToStr(0), L"Drop target cannot accept the data.");
    EXPECT_EQ(TCustomHostedWB::dwEffectToStr(0x40101),
              L"The drag-and-drop operation was canceled.");
    EXPECT_EQ(TCustomHostedWB::dwEffectToStr(static_cast<int>(0x8007000E)), L"Out of memory.");
    EXPECT_EQ(TCustomHostedWB::dwEffectToStr(3), L"Unknown.");
}

// --- ambient properties --------------------------------------------------------------------------

TEST(HostAmbient, UserAgentComesFromTheComponentOrElseFromTheControlHost) {
    auto wb = NewBrowser();
    Ambient(*wb, DISPID_AMBIENT_USERAGENT, DISP_E_MEMBERNOTFOUND);
    std::wstring agent = L"BrisaTarn/1000";
    HRESULT answer = S_OK;
    wb->FOnSetUserAgent = [&](std::wstring& ua) {
        ua = agent;
        return answer;
    };
    const OleVariant v = Ambient(*wb, DISPID_AMBIENT_USERAGENT, S_OK);
    EXPECT_EQ(v.vt(), VT_BSTR);
    EXPECT_EQ(VariantToString(v.get()), L"BrisaTarn/1000\r\n");
    agent.clear();
    Ambient(*wb, DISPID_AMBIENT_USERAGENT, DISP_E_MEMBERNOTFOUND);
    agent = L"x";
    answer = E_FAIL;
    Ambient(*wb, DISPID_AMBIENT_USERAGENT, DISP_E_MEMBERNOTFOUND);
}

TEST(HostAmbient, UserModeIsTheOppositeOfDesignModeBothWays) {
    auto wb = NewBrowser();
    EXPECT_TRUE(VariantToBool(Ambient(*wb, DISPID_AMBIENT_USERMODE, S_OK).get()));
    wb->SetDesignMode(true);
    EXPECT_FALSE(VariantToBool(Ambient(*wb, DISPID_AMBIENT_USERMODE, S_OK).get()));

    const auto ambient = HostInterface<IDispatch>(*wb);
    OleVariant userMode(true);
    VARIANT arg = userMode.get();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&arg, &named, 1, 1};
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put,
                              nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_FALSE(wb->DesignMode());
    DISPPARAMS empty{};
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &empty,
                              nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYPUT, nullptr,
                              nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
}

TEST(HostAmbient, OnInvokeAnswersWhatTheControlHostDoesNotKnowAndItsFailureIsReported) {
    auto wb = NewBrowser();
    wb->OnInvoke = [](TObject*, DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                      EXCEPINFO*, UINT*, HRESULT& r) {
        if (id == -5999) {
            result->vt = VT_I4;
            result->lVal = 7;
            r = S_OK;
        } else if (id == -5998) {
            throw EOleError(L"no such ambient");
        }
    };
    EXPECT_EQ(VariantToInt(Ambient(*wb, -5999, S_OK).get()), 7);
    // Known to the control host: the handler is not asked.
    EXPECT_EQ(VariantToInt(Ambient(*wb, DISPID_AMBIENT_LOCALEID, S_OK).get()),
              static_cast<LONG>(::GetUserDefaultLCID()));

    DISPPARAMS none{};
    OleVariant v;
    EXCEPINFO ei{};
    EXPECT_EQ(HostInterface<IDispatch>(*wb)->Invoke(-5998, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                    v.put(), &ei, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(ei.wCode, 9999);
    EXPECT_STREQ(ei.bstrDescription, L"no such ambient");
    EXPECT_STREQ(ei.bstrSource, L"EOleError");
    ::SysFreeString(ei.bstrDescription);
    ::SysFreeString(ei.bstrSource);

    wb->OnGetTypeInfoCount = [](TObject*, UINT* count, HRESULT& r) {
        *count = 1;
        r = S_FALSE;
    };
    UINT count = 0;
    EXPECT_EQ(HostInterface<IDispatch>(*wb)->GetTypeInfoCount(&count), S_FALSE);
    EXPECT_EQ(count, 1u);
}

// --- command target ------------------------------------------------------------------------------

HRESULT Exec(TestWB& wb, const GUID* group, DWORD cmd, VARIANT* in = nullptr,
             VARIANT* out = nullptr) {
    return HostInterface<IOleCommandTarget>(wb)->Exec(group, cmd, 0, in, out);
}

TEST(HostCommandTarget, ScriptErrorsAreAnsweredByScriptErrorAction) {
    struct Case {
        TScriptErrorAction action;
        HRESULT result;
        VARTYPE outType;
        bool goOn;
    };
    for (const Case& c :
         {Case{eaContinue, S_OK, VT_BOOL, true}, Case{eaCancel, S_OK, VT_BOOL, false},
          Case{eaAskUser, S_FALSE, VT_EMPTY, false}}) {
        SCOPED_TRACE(testing::Message() << "action " << c.action);
        auto wb = NewBrowser();
        wb->ScriptErrorAction = c.action;
        int reported = 0;
        // No failing document comes with the command here, so there is nothing to report.
        wb->OnScriptError = [&](TObject*, const std::wstring&, const std::wstring&,
                                const std::wstring&, const std::wstring&, const std::wstring&,
                                TScriptErrorAction&) { ++reported; };
        OleVariant in, out;
        EXPECT_EQ(
            Exec(*wb, &CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, in.ptr(), out.ptr()),
            c.result);
        EXPECT_EQ(out.vt(), c.outType);
        if (c.outType == VT_BOOL) {
            EXPECT_EQ(VariantToBool(out.get()), c.goOn);
        }
        EXPECT_EQ(Exec(*wb, &CGID_DocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR), c.result);
        EXPECT_EQ(reported, 0);
    }
}

TEST(HostCommandTarget, StopRefreshAndUnloadReachTheirEventsAndCommandExecInOrder) {
    auto wb = NewBrowser();
    std::vector<std::string> log;
    wb->OnStop = [&](TObject*) { log.push_back("stop"); };
    wb->OnCommandExec = [&](TObject*, const GUID*, DWORD cmd, DWORD, const VARIANT&, VARIANT&,
                            HRESULT& r) {
        log.push_back("exec " + std::to_string(cmd));
        if (cmd == OLECMDID_STOP) r = S_OK;
    };
    EXPECT_EQ(Exec(*wb, nullptr, OLECMDID_STOP), S_OK);
    EXPECT_EQ(Exec(*wb, &CGID_Explorer, OLECMDID_STOP), S_OK);
    EXPECT_EQ(log, (std::vector<std::string>{"stop", "exec 23", "stop", "exec 23"}));

    log.clear();
    for (const DWORD refresh : {2300u, 6041u, 6042u})
        EXPECT_EQ(Exec(*wb, &CGID_DocHostCommandHandler, refresh), OLECMDERR_E_NOTSUPPORTED);
    bool cancel = true;
    wb->OnRefresh = [&](TObject*, int cmd, bool& c) {
        log.push_back("refresh " + std::to_string(cmd));
        c = cancel;
    };
    EXPECT_EQ(Exec(*wb, &CGID_DocHostCommandHandler, 6041), S_OK);
    cancel = false;
    EXPECT_EQ(Exec(*wb, &CGID_DocHostCommandHandler, 2300), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(log, (std::vector<std::string>{"refresh 6041", "refresh 2300"}));

    log.clear();
    EXPECT_EQ(Exec(*wb, &CGID_Explorer, 37), OLECMDERR_E_NOTSUPPORTED);
    wb->OnUnload = [&](TObject*) { log.push_back("unload"); };
    EXPECT_EQ(Exec(*wb, &CGID_Explorer, 37), S_OK);
    EXPECT_EQ(Exec(*wb, &CGID_DocHostCommandHandler, 37), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(log, (std::vector<std::string>{"exec 37", "unload", "exec 37"}));
}

TEST(HostCommandTarget, PreRefreshIsRaisedAtMostOnceIn150Milliseconds) {
    auto wb = NewBrowser();
    int raised = 0;
    wb->OnPreRefresh = [&](TObject*) { ++raised; };
    wb->tick = 5'000'000;
    EXPECT_EQ(Exec(*wb, &CGID_Explorer, 39), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(raised, 1);
    wb->tick += 100;
    (void)Exec(*wb, &CGID_Explorer, 39);
    EXPECT_EQ(raised, 1);
    wb->tick += 100; // 200 ms after the last one raised
    (void)Exec(*wb, &CGID_Explorer, 39);
    EXPECT_EQ(raised, 2);
    // The time stamp is shared by every instance.
    auto other = NewBrowser();
    other->OnPreRefresh = [&](TObject*) { ++raised; };
    other->tick = wb->tick + 100;
    (void)Exec(*other, &CGID_Explorer, 39);
    EXPECT_EQ(raised, 2);
}

TEST(HostCommandTarget, QueryStatusEnablesTheFirstCommandAndChecksItsArguments) {
    auto wb = NewBrowser();
    const auto target = HostInterface<IOleCommandTarget>(*wb);
    OLECMD cmds[2] = {{OLECMDID_PRINT, 0}, {OLECMDID_SAVE, 0}};
    EXPECT_EQ(target->QueryStatus(nullptr, 2, cmds, nullptr), S_OK);
    EXPECT_EQ(cmds[0].cmdf, DWORD{OLECMDF_ENABLED});
    EXPECT_EQ(target->QueryStatus(&CGID_Explorer, 0, cmds, nullptr), E_INVALIDARG);
    EXPECT_EQ(target->QueryStatus(&CGID_Explorer, 1, nullptr, nullptr), E_POINTER);
}

// --- services ------------------------------------------------------------------------------------

TEST(HostServices, QueryServiceHandsOutAServiceOnlyWhenTheComponentHasSomethingToSay) {
    const GUID newWindow = Guid(L"{D2BC4C84-3F72-4A52-A604-7BCBF3982CBB}");
    const GUID protectFocus = Guid(L"{D81F90A3-8156-44F7-AD28-5ABB87003274}");
    const GUID download = Guid(L"{988934A4-064B-11D3-BB80-00104B35E7F9}");
    const GUID behavior = Guid(L"{3050F842-98B5-11CF-BB82-00AA00BDCE0B}");
    const GUID windowServices = Guid(L"{3050F5FC-98B5-11CF-BB82-00AA00BDCE0B}");
    const GUID authenticate = Guid(L"{79EAC9D0-BAF9-11CE-8C82-00AA004BA90B}");
    struct Case {
        const char* name;
        std::function<void(TestWB&)> arrange;
        GUID service, iid;
        HRESULT result;
    };
    const std::vector<Case> cases = {
        {"focus protection, always", {}, protectFocus, protectFocus, S_OK},
        {"new windows without a handler", {}, newWindow, newWindow, E_NOINTERFACE},
        {"downloads without a handler", {}, download, download, E_NOINTERFACE},
        {"behaviours without a handler", {}, behavior, behavior, E_NOINTERFACE},
        {"window services without a handler", {}, windowServices, windowServices, E_NOINTERFACE},
        {"authentication without a handler", {}, authenticate, authenticate, E_NOINTERFACE},
        {"new windows",
         [](TestWB& w) {
             w.OnEvaluateNewWindow = [](TObject*, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, BOOL, DWORD,
                                        DWORD, HRESULT&) {};
         },
         newWindow, newWindow, S_OK},
        {"downloads",
         [](TestWB& w) {
             w.OnFileDownload = [](TObject*, IMoniker*, IBindCtx*, DWORD, DWORD, BINDINFO*,
                                   LPCOLESTR, LPCOLESTR, UINT, HRESULT&) {};
         },
         download, download, S_OK},
        {"behaviours", [](TestWB& w) { w.OnPopulateNSTable = [](TObject*) {}; }, behavior, behavior,
         S_OK},
        {"window services when floating", [](TestWB& w) { w.FloatingHosting = true; },
         windowServices, windowServices, S_OK},
        {"window services with a resize handler",
         [](TestWB& w) { w.OnResizeBy = [](TObject*, LONG, LONG) {}; }, windowServices,
         windowServices, S_OK},
        {"authentication, asked as an interface of another service",
         [](TestWB& w) {
             w.OnAuthenticate = [](TObject*, HWND&, std::wstring&, std::wstring&, HRESULT&) {};
         },
         IID_IServiceProvider, authenticate, S_OK},
        {"a service offered, as an interface the component lacks",
         {},
         protectFocus,
         IID_IPersistFile,
         E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wb = NewBrowser();
        if (c.arrange) c.arrange(*wb);
        void* obj = &wb;
        EXPECT_EQ(HostInterface<IServiceProvider>(*wb)->QueryService(c.service, c.iid, &obj),
                  c.result);
        if (c.result == S_OK) {
            ComPtr<IUnknown> expected;
            ASSERT_EQ(wb->ClientSite()->QueryInterface(c.iid, expected.put_void()), S_OK);
            EXPECT_EQ(obj, expected.get());
            static_cast<IUnknown*>(obj)->Release();
        } else {
            EXPECT_EQ(obj, nullptr);
        }
    }
}

TEST(HostServices, OnQueryServiceSuppliesWhatTheTableDoesNotOffer) {
    auto wb = NewBrowser();
    FakeDropTarget supplied;
    wb->OnQueryService = [&](TObject*, REFGUID sid, REFIID, ComPtr<IUnknown>& obj) {
        if (sid == IID_IDropTarget) obj = ComPtr<IUnknown>(&supplied);
    };
    const auto services = HostInterface<IServiceProvider>(*wb);
    void* obj = nullptr;
    EXPECT_EQ(services->QueryService(IID_IDropTarget, IID_IDropTarget, &obj), S_OK);
    EXPECT_EQ(obj, static_cast<IDropTarget*>(&supplied));
    // Handed out only as the interface asked for.
    EXPECT_EQ(services->QueryService(IID_IDropTarget, IID_IOleCommandTarget, &obj), E_NOINTERFACE);
    EXPECT_EQ(obj, nullptr);
    EXPECT_EQ(services->QueryService(IID_IDropTarget, IID_IDropTarget, nullptr), E_POINTER);
}

TEST(HostServices, FocusProtectionAnswersCanGrabFocusUnlessTheHandlerDecides) {
    auto wb = NewBrowser();
    const auto focus = HostInterface<IProtectFocus>(*wb);
    BOOL allow = 5;
    EXPECT_EQ(focus->AllowFocusChange(&allow), S_OK);
    EXPECT_EQ(allow, -1);
    wb->CanGrabFocus = false;
    EXPECT_EQ(focus->AllowFocusChange(&allow), S_OK);
    EXPECT_EQ(allow, 0);
    wb->OnAllowFocusChange = [](TObject*, BOOL& v) { v = TRUE; };
    EXPECT_EQ(focus->AllowFocusChange(&allow), S_OK);
    EXPECT_EQ(allow, TRUE);
    EXPECT_EQ(focus->AllowFocusChange(nullptr), E_POINTER);
}

TEST(HostServices, WindowServicesMoveAndSizeTheParentFormWhenFloating) {
    auto* form = TComponent::Create<TForm>(*Application);
    form->SetBounds(100, 100, 400, 300);
    auto* wb = TComponent::Create<TestWB>(*form);
    wb->SetParent(form);
    wb->SetBounds(0, 0, 200, 100);
    std::vector<std::string> log;
    wb->OnMove = [&](TObject*, LONG x, LONG y) {
        log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    wb->OnResizeBy = [&](TObject*, LONG x, LONG y) {
        log.push_back("resizeBy " + std::to_string(x) + "," + std::to_string(y));
    };
    const auto services = HostInterface<IHTMLOMWindowServices>(*wb);
    EXPECT_EQ(services->moveTo(50, 60), S_OK);
    EXPECT_EQ(form->Left(), 100); // not floating: the form stays
    wb->FloatingHosting = true;
    EXPECT_EQ(services->moveTo(50, 60), S_OK);
    EXPECT_EQ(services->moveBy(10, 5), S_OK);
    EXPECT_EQ(services->resizeTo(320, 240), S_OK);
    EXPECT_EQ(services->resizeBy(-20, 10), S_OK);
    EXPECT_EQ(form->BoundsRect().left, 60);
    EXPECT_EQ(form->Top(), 65);
    EXPECT_EQ(form->Width(), 300);
    EXPECT_EQ(form->Height(), 250);
    EXPECT_EQ(log, (std::vector<std::string>{"move 50,60", "move 50,60", "resizeBy -20,10"}));

    int cx = 0, cy = 0;
    wb->Client2HostWin(cx, cy);
    EXPECT_EQ(cx, form->ClientWidth() - 200);
    EXPECT_EQ(cy, form->ClientHeight() - 100);
    TComponent::Free(form);
}

// --- zoom and document commands ------------------------------------------------------------------

TEST(HostZoom, ZoomPercentIsClampedToTheOpticalRangeAndAnUnreadableRangeClampsNothing) {
    struct Case {
        const char* name;
        HRESULT rangeResult;
        VARTYPE rangeType;
        LONG range;
        int value;
        LONG sent;
    };
    const LONG range = MAKELONG(10, 250);
    const Case cases[] = {
        {"above the range", S_OK, VT_I4, range, 300, 250},
        {"below the range", S_OK, VT_I4, range, 5, 10},
        {"inside", S_OK, VT_I4, range, 120, 120},
        {"range command fails", E_FAIL, VT_I4, range, 300, 300},
        {"range answer empty", S_OK, VT_EMPTY, 0, 300, 300},
        {"range answer zero", S_OK, VT_I4, 0, 300, 300},
        {"range with its ends swapped", S_OK, VT_I4, MAKELONG(250, 10), 120, 250},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto wb = NewBrowser();
        test::FakeCommands commands;
        commands.rangeResult = c.rangeResult;
        commands.range.vt = c.rangeType;
        commands.range.lVal = c.range;
        commands.zoomOut = 77;
        wb->commands = &commands;
        std::vector<ULONG> changes;
        wb->OnZoomPercentChange = [&](TObject*, ULONG v) {
            changes.push_back(v);
            return S_OK;
        };
        wb->SetZoomPercent(c.value);
        EXPECT_EQ(wb->ZoomPercent(), c.value);
        ASSERT_EQ(commands.calls.size(), 2u);
        EXPECT_EQ(commands.calls[0].cmd, DWORD{OLECMDID_OPTICAL_GETZOOMRANGE});
        EXPECT_EQ(commands.calls[1].cmd, DWORD{OLECMDID_OPTICAL_ZOOM});
        EXPECT_EQ(commands.calls[1].option, DWORD{OLECMDEXECOPT_DONTPROMPTUSER});
        EXPECT_EQ(commands.calls[1].in, c.sent);
        EXPECT_EQ(changes, std::vector<ULONG>{77});
    }
}

TEST(HostZoom, WritingTheCurrentZoomPercentDoesNothing) {
    auto wb = NewBrowser();
    test::FakeCommands commands;
    wb->commands = &commands;
    int changes = 0;
    wb->OnZoomPercentChange = [&](TObject*, ULONG) {
        ++changes;
        return S_OK;
    };
    wb->SetZoomPercent(100);
    EXPECT_TRUE(commands.calls.empty());
    EXPECT_EQ(changes, 0);
}

TEST(HostZoom, ZoomIsClampedToTheZoomRangeAndReadBack) {
    auto wb = NewBrowser();
    test::FakeCommands commands;
    commands.range.vt = VT_I4;
    commands.range.lVal = MAKELONG(0, 4);
    commands.zoomOut = 3;
    wb->commands = &commands;
    EXPECT_EQ(wb->ZoomRangeLow(), 0);
    EXPECT_EQ(wb->ZoomRangeHigh(), 4);
    commands.calls.clear();
    wb->SetZoom(7);
    wb->SetZoom(-1);
    wb->SetZoom(2);
    ASSERT_EQ(commands.calls.size(), 6u);
    EXPECT_EQ(commands.calls[1].cmd, DWORD{OLECMDID_ZOOM});
    EXPECT_EQ(commands.calls[1].in, 4);
    EXPECT_EQ(commands.calls[3].in, 0);
    EXPECT_EQ(commands.calls[5].in, 2);
    EXPECT_EQ(wb->Zoom(), 3);
    EXPECT_EQ(commands.calls.back().inType, VT_EMPTY);
}

TEST(HostDocument, WithoutADocumentTheHelpersGiveNeutralResults) {
    auto wb = NewBrowser();
    EXPECT_EQ(wb->InvokeCommand(nullptr, OLECMDID_REFRESH), E_UNEXPECTED);
    OLECMD cmd{OLECMDID_PRINT, 0};
    EXPECT_EQ(wb->QueryCommandStatus(nullptr, 1, &cmd, nullptr), E_UNEXPECTED);
    EXPECT_EQ(wb->QueryCMDStatus(nullptr, OLECMDID_PRINT), 0u);
    EXPECT_FALSE(wb->QueryCMDEnabled(nullptr, OLECMDID_PRINT));
    EXPECT_FALSE(wb->QueryCMDArrayStatus(nullptr, std::span<OLECMD>(&cmd, 1)));
    EXPECT_FALSE(wb->Doc2());
    EXPECT_FALSE(wb->Doc5());
    EXPECT_FALSE(wb->Body());
    EXPECT_EQ(wb->Cookie(), L"");
    EXPECT_EQ(wb->CharactersSet(), L"");
    EXPECT_EQ(wb->DocDesignMode(), ddmUnknown);
    wb->SetDocDesignMode(ddmOn); // nothing to set
    EXPECT_FALSE(wb->ScrollToElement(nullptr));
    ComPtr<IElementNamespaceTable> table;
    EXPECT_FALSE(wb->GetElementNamespaceTable(table));
    EXPECT_EQ(wb->Zoom(), 0);
}

// --- the wrapped control's events ----------------------------------------------------------------

ComPtr<IDispatch> EventSink(TCustomHostedWB& wb) {
    const auto points = ComPtr<IOleObject>(wb.OleObject()).as<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(points->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put()), S_OK);
    ComPtr<IEnumConnections> connections;
    EXPECT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA data{};
    EXPECT_EQ(connections->Next(1, &data, nullptr), S_OK);
    return ComPtr<IUnknown>::Attach(data.pUnk).as<IDispatch>();
}

TEST(HostEvents, EventsCheckTheirArgumentsAndHandAnswersBackThroughTheReferences) {
    auto wb = NewBrowser();
    int raised = 0;
    wb->OnBeforeNavigate2 = [&](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&, VARIANT&,
                                VARIANT&, bool& cancel) {
        ++raised;
        EXPECT_EQ(VariantToString(url), L"client://loadgame|http://g/");
        EXPECT_FALSE(cancel);
        cancel = true;
    };
    const auto sink = EventSink(*wb);
    DISPPARAMS three{nullptr, nullptr, 0, 0};
    VARIANT args[7];
    for (VARIANT& a : args)
        ::VariantInit(&a);
    three.rgvarg = args;
    three.cArgs = 3;
    EXPECT_EQ(sink->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &three, nullptr,
                           nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(raised, 0);

    OleVariant url(L"client://loadgame|http://g/");
    VARIANT_BOOL cancel = VARIANT_FALSE;
    args[5].vt = VT_BYREF | VT_VARIANT; // URL, the second argument from the left
    args[5].pvarVal = url.ptr();
    args[0].vt = VT_BYREF | VT_BOOL; // Cancel, the last
    args[0].pboolVal = &cancel;
    DISPPARAMS seven{args, nullptr, 7, 0};
    EXPECT_EQ(sink->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &seven, nullptr,
                           nullptr, nullptr),
              S_OK);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(cancel, VARIANT_TRUE);

    // NewWindow3: the handler's object goes back to the control with a reference of its own.
    const auto replacement = HostInterface<IDispatch>(*wb);
    const ULONG before = wb->RefCount();
    wb->OnNewWindow3 = [&](TObject*, ComPtr<IDispatch>& disp, bool& c, DWORD flags,
                           const std::wstring&, const std::wstring& target) {
        EXPECT_EQ(flags, 6u);
        EXPECT_EQ(target, L"http://g/client_command");
        disp = replacement;
        c = true;
    };
    IDispatch* slot = nullptr;
    cancel = VARIANT_FALSE;
    OleVariant flags(LONG{6}), context(L"http://g/"), target(L"http://g/client_command");
    VARIANT nw[5];
    nw[4].vt = VT_BYREF | VT_DISPATCH;
    nw[4].ppdispVal = &slot;
    nw[3].vt = VT_BYREF | VT_BOOL;
    nw[3].pboolVal = &cancel;
    nw[2] = flags.get();
    nw[1] = context.get();
    nw[0] = target.get();
    DISPPARAMS five{nw, nullptr, 5, 0};
    EXPECT_EQ(sink->Invoke(DISPID_NEWWINDOW3, IID_NULL, 0, DISPATCH_METHOD, &five, nullptr, nullptr,
                           nullptr),
              S_OK);
    EXPECT_EQ(slot, replacement.get());
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(wb->RefCount(), before + 1);
    slot->Release();
}

} // namespace
