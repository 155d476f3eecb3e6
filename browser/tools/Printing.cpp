#include "browser/tools/Printing.h"

#include "browser/tools/ScriptTools.h"
#include "browser/tools/ToolBasics.h"
#include "classlib/Application.h"
#include "classlib/ComPtr.h"

#include <docobj.h>

#include <iterator>
#include <memory>
#include <new>

namespace tn {

namespace {

constexpr DWORD kPromptUser = OLECMDEXECOPT_PROMPTUSER;
constexpr DWORD kDontPromptUser = OLECMDEXECOPT_DONTPROMPTUSER;
// The preview is given up once this much has passed since the command.
constexpr DWORD kPreviewWaitMs = 7001;
// The input tag the browser's print command takes its header and footer array under.
constexpr VARTYPE kHeaderFooterTag = VT_ARRAY | VT_BYREF;

DWORD PromptOption(bool DontPrompt) noexcept {
    return DontPrompt ? kDontPromptUser : kPromptUser;
}

// Between two looks at the foreground the thread sleeps until a message comes, or this long:
// the preview's arrival sends this thread nothing it could wait for, and a loop that only
// dispatched would keep a processor busy for the whole wait.
constexpr DWORD kPreviewLookMs = 50;

void SystemProcessMessages() {
    (void)::MsgWaitForMultipleObjectsEx(0, nullptr, kPreviewLookMs, QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
    if (Application) Application->ProcessMessages();
}

// The control's HTML document; false (and nothing read) without a browser.
bool HasHtmlDocument(IWebBrowser2* Browser) {
    if (!Browser) return false;
    ComPtr<IDispatch> doc;
    OleCheck(Browser->get_Document(doc.put()));
    return IsHtmlDocument(doc.get());
}

void ExecBrowserCommand(IWebBrowser2* Browser, OLECMDID Cmd, DWORD ExecOpt) {
    OleVariant in, out;
    OleCheck(Browser->ExecWB(Cmd, static_cast<OLECMDEXECOPT>(ExecOpt), in.ptr(), out.ptr()));
}

// Runs the command on the HTML document of Browser; false when there is none.
bool ExecOnHtmlDocument(IWebBrowser2* Browser, OLECMDID Cmd, DWORD ExecOpt) {
    if (!HasHtmlDocument(Browser)) return false;
    ExecBrowserCommand(Browser, Cmd, ExecOpt);
    return true;
}

struct SafeArrayDestroyer {
    void operator()(SAFEARRAY* a) const noexcept { (void)::SafeArrayDestroy(a); }
};

void PutText(SAFEARRAY* Array, LONG Index, const std::wstring& Text) {
    const Bstr text(Text);
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.get();
    // The array keeps a copy of its own; this string is freed on the way out.
    OleCheck(::SafeArrayPutElement(Array, &Index, &v));
}

std::wstring ClassNameOf(HWND Wnd) {
    wchar_t name[256] = {};
    const int n = Wnd ? ::GetClassNameW(Wnd, name, static_cast<int>(std::size(name))) : 0;
    return std::wstring(name, n > 0 ? static_cast<std::size_t>(n) : 0u);
}

} // namespace

TPrintPreviewCalls& PrintPreviewCalls() noexcept {
    static TPrintPreviewCalls calls{&::GetForegroundWindow, &::GetTickCount, &SystemProcessMessages,
                                    &::ShowWindow};
    return calls;
}

void PrintDocument(IWebBrowser2* Browser, bool DontPrompt, bool WithHeaderFooter,
                   const std::wstring& Header, const std::wstring& Footer) {
    if (!HasHtmlDocument(Browser)) return;
    if (WithHeaderFooter)
        PrintWithHeaderFooter(Browser, Header, Footer, PromptOption(DontPrompt));
    else
        ExecBrowserCommand(Browser, OLECMDID_PRINT, PromptOption(DontPrompt));
}

void PrintWithHeaderFooter(IWebBrowser2* Browser, const std::wstring& Header,
                           const std::wstring& Footer, DWORD ExecOpt) noexcept {
    try {
        if (!Browser) return;
        const std::unique_ptr<SAFEARRAY, SafeArrayDestroyer> texts(
            ::SafeArrayCreateVector(VT_VARIANT, 0, 2));
        if (!texts) throw std::bad_alloc();
        PutText(texts.get(), 0, Header);
        PutText(texts.get(), 1, Footer);
        // The tag says by reference, yet the array itself sits in the array field: clearing such
        // a variant frees nothing, so the array is destroyed here once the command is done.
        VARIANT in;
        ::VariantInit(&in);
        in.vt = kHeaderFooterTag;
        in.parray = texts.get();
        OleVariant out;
        OleCheck(
            Browser->ExecWB(OLECMDID_PRINT, static_cast<OLECMDEXECOPT>(ExecOpt), &in, out.ptr()));
    } catch (...) {
        // Printing with a header and footer is best effort: a failure prints nothing, silently.
    }
}

void PrintWithPageSetup(TBrowserToolHost& Host, IUnknown* Document, bool UsePrintOptions,
                        bool OptionsEnabled, bool DontPrompt, bool& FillNextPrintDialog) {
    if (!Host.LivesAfter([&] {
            (void)ShowPageSetup(Document, UsePrintOptions, OptionsEnabled, FillNextPrintDialog);
        }))
        return;
    PrintDocument(Host.Browser(), DontPrompt, false, {}, {});
}

void ShowPrintPreview(IWebBrowser2* Browser) {
    (void)ExecOnHtmlDocument(Browser, OLECMDID_PRINTPREVIEW, kDontPromptUser);
}

void ShowPrintPreviewWindow(TBrowserToolHost& Host, int CmdShow, bool DontPrompt) {
    IWebBrowser2* browser = Host.Browser();
    if (!Host.AnswerIfLives(false, [&] {
            return ExecOnHtmlDocument(browser, OLECMDID_PRINTPREVIEW, PromptOption(DontPrompt));
        }))
        return;
    // The preview frame comes up on its own time and gives no signal but the foreground, so it
    // is looked for between rounds of the application's messages; the preview of a host they
    // freed went with it.
    const TPrintPreviewCalls& calls = PrintPreviewCalls();
    const DWORD start = calls.GetTickCount();
    HWND preview = nullptr;
    do {
        const HWND foreground = calls.GetForegroundWindow();
        if (ClassNameOf(foreground) == kPrintPreviewClass) preview = foreground;
        if (!Host.LivesAfter([&] { calls.ProcessMessages(); })) return;
    } while (!preview && calls.GetTickCount() - start < kPreviewWaitMs);
    if (preview) (void)calls.ShowWindow(preview, CmdShow);
}

void PrintPreviewWithTemplate(const std::wstring& TemplateFileName, IUnknown* Document) {
    if (!Document) return;
    ComPtr<IOleCommandTarget> target;
    (void)Document->QueryInterface(IID_IOleCommandTarget, target.put_void());
    if (!target) return;
    OleVariant in(TemplateFileName);
    OleVariant out(L"");
    (void)target->Exec(nullptr, OLECMDID_PRINTPREVIEW, kPromptUser, in.ptr(), out.ptr());
}

bool ShowPageSetup(IUnknown* Document, bool UsePrintOptions, bool OptionsEnabled,
                   bool& FillNextPrintDialog) noexcept {
    if (!IsHtmlDocument(Document)) return false;
    if (UsePrintOptions && OptionsEnabled) FillNextPrintDialog = true;
    OleVariant in, out;
    return ExecOleCommand(Document, false, OLECMDID_PAGESETUP, OLECMDEXECOPT_DODEFAULT, in.ptr(),
                          out.ptr()) == S_OK;
}

void ShowPrintSetup(IWebBrowser2* Browser, bool DontPrompt) {
    (void)ExecOnHtmlDocument(Browser, OLECMDID_PAGESETUP, PromptOption(DontPrompt));
}

} // namespace tn
