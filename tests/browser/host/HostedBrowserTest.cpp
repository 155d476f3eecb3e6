// The browser host control with the real web-browser control inside a form. This platform's
// control renders no page: every load that is not cancelled ends in a navigation error.
#include "browser/host/HwbCore.h"
#include "browser/host/HwbGuids.h"

#include "tests/browser/BrowserTestSupport.h"
#include "tests/support/Standin.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tn;
using test::PumpUntil;
using test::TestWB;

[[maybe_unused]] const auto* const kSetUp =
    ::testing::AddGlobalTestEnvironment(new test::OleAppSetUp);

ULONG RefsAtDestruction = ~0u;

class CountedWB : public TestWB {
public:
    explicit CountedWB(TComponent* owner) : TestWB(owner) {}
    ~CountedWB() override { RefsAtDestruction = RefCount(); }
};

struct BrowserForm {
    BrowserForm() {
        form = TComponent::Create<TForm>(*Application);
        form->SetBounds(0, 0, 520, 400);
        wb = TComponent::Create<CountedWB>(*form);
        wb->SetParent(form);
        wb->SetBounds(16, 24, 490, 358);
        wb->OnBeforeNavigate2 = [this](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT&,
                                       VARIANT&, VARIANT&, bool& cancel) {
            const std::wstring u = VariantToString(url);
            before.push_back(u);
            cancel = u.find(L"/cancelled") != std::wstring::npos;
        };
        wb->OnNavigateError = [this](TObject*, IDispatch*, VARIANT& url, VARIANT&, VARIANT& code,
                                     bool&) {
            errors.push_back(VariantToString(url));
            lastStatus = VariantToInt(code);
        };
        form->Show();
        (void)wb->Handle();
    }
    ~BrowserForm() { TComponent::Free(form); }
    bool ErrorFor(const std::wstring& url) const {
        return std::find(errors.begin(), errors.end(), url) != errors.end();
    }
    TForm* form;
    CountedWB* wb;
    std::vector<std::wstring> before, errors;
    LONG lastStatus = 0;
};

bool Requested(const std::vector<std::string>& requests, const std::string& path) {
    return std::any_of(requests.begin(), requests.end(),
                       [&](const std::string& r) { return r.rfind(path, 0) == 0; });
}

TEST(HostedBrowser, NavigateRaisesBeforeNavigate2WithTheUrlAndACancelSendsNoRequest) {
    const tn::testing::Standin standin;
    standin.Reset();
    BrowserForm f;
    const std::wstring cancelled = standin.Url(L"/cancelled/wd_play_1016.php?sid=s1");
    const std::wstring allowed = standin.Url(L"/allowed");
    f.wb->Navigate(cancelled);
    f.wb->Navigate(allowed);
    // The allowed load ends (here always in an error) after its request reached the stand-in.
    ASSERT_TRUE(PumpUntil([&] { return f.ErrorFor(allowed); }, 10000));
    EXPECT_EQ(f.before, (std::vector<std::wstring>{cancelled, allowed}));
    EXPECT_FALSE(f.ErrorFor(cancelled));
    const auto requests = standin.Requests();
    EXPECT_TRUE(Requested(requests, "/allowed"));
    EXPECT_FALSE(Requested(requests, "/cancelled"));
}

TEST(HostedBrowser, AnUnreachableAddressRaisesNavigateErrorAndLocationUrlReadsBack) {
    BrowserForm f;
    const std::wstring nowhere = L"http://127.0.0.1:1/nowhere";
    f.wb->Navigate(nowhere);
    ASSERT_TRUE(PumpUntil([&] { return f.ErrorFor(nowhere); }, 10000));
    EXPECT_LT(f.lastStatus, 0); // a failure code
    EXPECT_EQ(f.wb->LocationURL(), nowhere);
    EXPECT_FALSE(f.wb->Busy());
    EXPECT_TRUE(f.wb->Application());
}

TEST(HostedBrowser, ReCreatingTheParentWindowKeepsTheSameBrowserWindowAndPage) {
    BrowserForm f;
    const std::wstring page = L"http://127.0.0.1:1/page";
    f.wb->Navigate(page);
    ASSERT_TRUE(PumpUntil([&] { return f.ErrorFor(page); }, 10000));
    const HWND host = f.wb->HandleIfAllocated();
    const HWND control = f.wb->GetIEWin(L"Shell Embedding");
    ASSERT_NE(control, nullptr);

    f.form->DestroyHandle();
    EXPECT_FALSE(f.form->HandleAllocated());
    EXPECT_FALSE(f.wb->HandleAllocated());
    EXPECT_EQ(f.wb->CurrentHandle, host); // parked, alive
    EXPECT_EQ(::GetParent(host), Application->Handle());

    (void)f.form->Handle();
    EXPECT_EQ(f.wb->HandleIfAllocated(), host);
    EXPECT_EQ(f.wb->CurrentHandle, nullptr);
    EXPECT_EQ(::GetParent(host), f.form->HandleIfAllocated());
    EXPECT_EQ(f.wb->GetIEWin(L"Shell Embedding"), control);
    EXPECT_TRUE(f.wb->InPlaceActive());
    EXPECT_EQ(f.wb->LocationURL(), page);
    RECT r{};
    ::GetWindowRect(host, &r);
    EXPECT_EQ(r.right - r.left, 490);
    EXPECT_EQ(r.bottom - r.top, 358);
}

TEST(HostedBrowser, FreeingTheFormReleasesTheControlAndEveryReferenceToTheHost) {
    for (const bool parked : {false, true}) {
        SCOPED_TRACE(parked ? "window parked" : "window in place");
        RefsAtDestruction = ~0u;
        IUnknown* control = nullptr;
        HWND host = nullptr;
        {
            BrowserForm f;
            f.wb->Navigate(L"about:blank");
            host = f.wb->HandleIfAllocated();
            if (parked) f.form->DestroyHandle();
            control = f.wb->OleObject();
            control->AddRef();
        }
        EXPECT_EQ(RefsAtDestruction, 0u);
        EXPECT_EQ(control->Release(), 0u);
        EXPECT_FALSE(::IsWindow(host));
    }
}

TEST(HostedBrowser, GetIEWinFollowsOnlyTheChainOfFirstChildren) {
    BrowserForm f;
    f.wb->Navigate(L"about:blank");
    const HWND view = f.wb->GetIEWin(L"Shell DocObject View");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(::GetParent(view), f.wb->GetIEWin(L"Shell Embedding"));

    // A second sibling is not on the chain; a first child is.
    const HWND sibling = ::CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 5, 5,
                                           f.wb->HandleIfAllocated(), nullptr, nullptr, nullptr);
    ::SetWindowPos(sibling, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(f.wb->GetIEWin(L"Static"), nullptr);

    // The pre-refresh command hooks the document or folder-list window once there is one.
    int hooked = 0;
    f.wb->FOnHookChildWindow = [&](TObject*) { ++hooked; };
    const auto target = test::HostInterface<IOleCommandTarget>(*f.wb);
    (void)target->Exec(&tn::CGID_Explorer, 39, 0, nullptr, nullptr);
    EXPECT_EQ(hooked, 0);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD, 0, 0, 5, 5, view, nullptr,
                                        nullptr, nullptr);
    ASSERT_EQ(f.wb->GetIEWin(L"SysListView32"), list);
    (void)target->Exec(&tn::CGID_Explorer, 39, 0, nullptr, nullptr);
    EXPECT_EQ(hooked, 1);
}

TEST(HostedBrowser, FailingCallsIntoTheControlAreRaised) {
    BrowserForm f;
    // This control refuses to refresh a page it never loaded.
    EXPECT_THROW(f.wb->Refresh(), EOleSysError);
}

} // namespace
