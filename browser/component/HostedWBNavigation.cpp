// The browser component's navigations beyond Navigate, the browser's editing and menu commands,
// the incremental search and the other page searches, and scrolling.
#include "browser/component/HostedWB.h"

#include "browser/host/HwbGuids.h"
#include "browser/tools/BrowserCommands.h"
#include "browser/tools/DocScroll.h"
#include "browser/tools/Downloads.h"
#include "browser/tools/ScriptTools.h"
#include "browser/tools/ShellTools.h"
#include "browser/tools/StoredSettings.h"
#include "browser/tools/UrlText.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <olectl.h>
#include <shlobj.h>

#include <cstring>
#include <exception>

namespace tn {

namespace {

constexpr wchar_t kStartPageKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr int kImportExportCommand = 374;

// The editing commands' identifiers (no command group, default execution option).
constexpr int kCut = 11, kCopy = 12, kPaste = 13, kPasteSpecial = 14, kUndo = 15, kRedo = 16,
              kSelectAll = 17, kClearSelection = 18, kDelete = 33;

// Runs a forward whose failure the component's operation swallows: these operations promise not
// to raise, and a page or control that refuses one leaves nothing half done that a caller could
// mend.
template <typename F> void Swallowing(F&& forward) noexcept {
    try {
        forward();
    } catch (const std::exception&) {
        // The control or the page refused; the operation reports nothing.
    }
}

// The size of the whole item-id list: its items and the 2-byte terminator; 0 for none.
UINT ItemIdListSize(PCIDLIST_ABSOLUTE pidl) noexcept {
    if (!pidl) return 0;
    UINT size = sizeof(USHORT);
    for (auto* item = reinterpret_cast<const BYTE*>(pidl);
         reinterpret_cast<const SHITEMID*>(item)->cb != 0;
         item += reinterpret_cast<const SHITEMID*>(item)->cb)
        size += reinterpret_cast<const SHITEMID*>(item)->cb;
    return size;
}

} // namespace

// --- navigation ---------------------------------------------------------------------------------

bool THostedWB::NavigateWait(const std::wstring& URL, DWORD TimeOut) {
    try {
        IWebBrowser2* browser = Browser();
        if (!browser) return false;
        const Bstr url(URL);
        OleVariant empty;
        OleCheck(browser->Navigate(url.get(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr()));
        return TimeOut == 0 || Wait(TimeOut);
    } catch (const EOleError&) {
        // A navigation the control refuses did not happen.
        return false;
    }
}

void THostedWB::NavigateFolder(int CSIDL) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(HostWindow(), CSIDL, &pidl)) || !pidl) return;
    const UniqueTaskMem<ITEMIDLIST> owned(pidl);
    NavigatePidl(pidl);
}

void THostedWB::NavigatePidl(PCIDLIST_ABSOLUTE pidl) {
    IWebBrowser2* browser = Browser();
    if (!browser) return;
    const UINT size = ItemIdListSize(pidl);
    SAFEARRAY* bytes = ::SafeArrayCreateVector(VT_UI1, 0, size);
    if (!bytes) return;
    OleVariant address;
    VARIANT* v = address.put();
    v->vt = VT_ARRAY | VT_UI1;
    v->parray = bytes; // the variant owns it from here
    void* data = nullptr;
    if (size > 0) {
        if (FAILED(::SafeArrayAccessData(bytes, &data))) return;
        std::memcpy(data, pidl, size);
        (void)::SafeArrayUnaccessData(bytes);
    }
    OleVariant empty;
    // A folder the control refuses to show leaves it where it was.
    (void)browser->Navigate2(address.ptr(), empty.ptr(), empty.ptr(), empty.ptr(), empty.ptr());
}

void THostedWB::GoBack() {
    // Nothing to go back to is no error to the caller.
    if (IWebBrowser2* browser = Browser()) (void)browser->GoBack();
}

void THostedWB::GoForward() {
    if (IWebBrowser2* browser = Browser()) (void)browser->GoForward();
}

void THostedWB::GoAboutBlank() {
    Swallowing([this] { (void)NavigateToBlank(*this); });
}

void THostedWB::GoNoHistory(const std::wstring& URL) {
    Swallowing([&] { NavigateWithoutHistory(*this, URL); });
}

void THostedWB::GoWithQueryDetails(const std::wstring& Url, const std::wstring& Query) {
    Swallowing([&] { NavigateWithPostData(*this, Url, Query); });
}

void THostedWB::GoSearchInGoogle(const std::wstring& SearchTerm) {
    Swallowing([&] { SearchWithGoogle(*this, SearchTerm); });
}

void THostedWB::GoSearchInMSN(const std::wstring& SearchTerm) {
    Swallowing([&] { SearchWithMsn(*this, SearchTerm); });
}

void THostedWB::GoSearchInYahoo(const std::wstring& SearchTerm) {
    Swallowing([&] { SearchWithYahoo(*this, SearchTerm); });
}

void THostedWB::GoSearchInBaidu(const std::wstring& SearchTerm) {
    Swallowing([&] { SearchWithBaidu(*this, SearchTerm); });
}

void THostedWB::GoDownloadFile(const std::wstring& URL) {
    Swallowing([&] { NavigateForDownload(*this, URL); });
}

void THostedWB::GoDownloadMaskedFile(const std::wstring& SourceFile, const std::wstring& TargetFile,
                                     bool Notify) {
    Swallowing([&] { DownloadUrlToFileWithNotice(SourceFile, TargetFile, Notify); });
}

bool THostedWB::DownloadFile(const std::wstring& SourceFile, const std::wstring& DestFile) {
    return DownloadUrlToFile(SourceFile, DestFile);
}

bool THostedWB::OpenClient(const std::wstring& Client) {
    bool started = false;
    Swallowing([&] { started = StartDefaultClient(Client); });
    return started;
}

void THostedWB::ExploreFolder(const std::wstring& Path) {
    Swallowing([&] { ExploreFolderPath(HostWindow(), Path); });
}

void THostedWB::OpenIEBrowserWithAddress() {
    if (const HWND wnd = ControlWindow()) (void)SendNewWindowCommand(wnd);
}

std::wstring THostedWB::GetIEHomePage() {
    try {
        TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
        if (!reg.OpenKeyReadOnly(kStartPageKey) || !reg.ValueExists(L"Start Page")) return {};
        return reg.ReadString(L"Start Page");
    } catch (const ERegistryException&) {
        // A start page stored as anything but text is none.
        return {};
    }
}

bool THostedWB::IsValidProtocol(const std::wstring& URL) noexcept {
    return HasKnownProtocol(URL);
}

std::wstring THostedWB::DecodeUrl(const std::wstring& InputStr) {
    return DecodeUrlText(InputStr);
}

std::wstring THostedWB::EncodeUrl(const std::wstring& InputStr, bool bQueryStr) {
    return EncodeUrlText(InputStr, bQueryStr);
}

// --- commands -----------------------------------------------------------------------------------

HRESULT THostedWB::InvokeCMD(bool InvokeIE, int Value1, int Value2, VARIANT& vaIn, VARIANT& vaOut) {
    // A command may show a dialog, whose messages may free this instance.
    return AnswerIfLives(E_ABORT, [&] {
        return InvokeCommand(InvokeIE ? &CGID_IWebBrowser : nullptr, static_cast<DWORD>(Value1),
                             static_cast<DWORD>(Value2), vaIn, vaOut);
    });
}

namespace {

bool RunEditCommand(THostedWB& wb, int cmd) {
    OleVariant in, out;
    return wb.InvokeCMD(false, cmd, 0, *in.ptr(), *out.ptr()) == S_OK;
}

} // namespace

bool THostedWB::Cut() {
    return RunEditCommand(*this, kCut);
}
bool THostedWB::Copy() {
    return RunEditCommand(*this, kCopy);
}
bool THostedWB::Paste() {
    return RunEditCommand(*this, kPaste);
}
bool THostedWB::PasteSpecial() {
    return RunEditCommand(*this, kPasteSpecial);
}
bool THostedWB::Undo() {
    return RunEditCommand(*this, kUndo);
}
bool THostedWB::Redo() {
    return RunEditCommand(*this, kRedo);
}
bool THostedWB::SelectAll() {
    return RunEditCommand(*this, kSelectAll);
}
bool THostedWB::ClearSelection() {
    return RunEditCommand(*this, kClearSelection);
}
bool THostedWB::Delete() {
    return RunEditCommand(*this, kDelete);
}

void THostedWB::InvokeIEServerCommand(int Cmd) {
    if (const HWND wnd = ControlWindow())
        ::SendMessageW(wnd, WM_COMMAND, static_cast<WPARAM>(Cmd), 0);
}

void THostedWB::ShowImportExportFavoritesAndCookies() {
    InvokeIEServerCommand(kImportExportCommand);
}

bool THostedWB::IsCommandEnabled(const std::wstring& sCmdId) {
    const auto doc = Doc2();
    if (!doc) return false;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    return SUCCEEDED(doc->queryCommandEnabled(Bstr(sCmdId).get(), &enabled)) &&
           enabled != VARIANT_FALSE;
}

OleVariant THostedWB::QueryCommandValue(const std::wstring& sCmdId) {
    if (const auto doc = Doc2()) {
        OleVariant value;
        if (SUCCEEDED(doc->queryCommandValue(Bstr(sCmdId).get(), value.put()))) return value;
    }
    return OleVariant(false);
}

void THostedWB::ShowAboutBox() {
    if (IWebBrowser2* browser = Browser()) {
        DISPPARAMS none{};
        OleVariant result;
        // The box runs the program's messages, which may free this instance: then it is done.
        if (SUCCEEDED(AnswerIfLives(S_OK, [&] {
                return browser->Invoke(DISPID_ABOUTBOX, IID_NULL, LOCALE_USER_DEFAULT,
                                       DISPATCH_METHOD, &none, result.put(), nullptr, nullptr);
            })))
            return;
    }
    // A control without an about box of its own: the browser view shows its version dialog.
    if (const HWND view = GetIEWin(L"Shell DocObject View")) ShowVersionDialogCommand(view);
}

// --- search -------------------------------------------------------------------------------------

THostedWB::TSearchResults THostedWB::SearchNextText(const std::wstring& Value,
                                                    TSearchDirections Direction, bool AutoSelect) {
    if (!text::SameText(Value, FSearchText)) {
        FSearchText = Value;
        FHTMLChar = 0;
    }
    TSearchResults result{srNotFound};
    if (FSearchText.empty()) return result;
    const ComPtr<IHTMLDocument2> doc = GetDocument();
    if (!doc) return result;
    // A range reaches only the page it was made from: once another page is shown, the search
    // starts on that one.
    const ComPtr<IUnknown> identity = doc.asUnknown();
    if (FTextRange && identity.get() != FTextRangeDocument.get()) {
        FTextRange.reset();
        FTextRangeDocument.reset();
        FHTMLChar = 0;
    }
    if (!FTextRange) {
        ComPtr<IHTMLElement> body;
        OleCheck(doc->get_body(body.put()));
        // A page without a body of text (none yet, or a frameset) holds nothing to find.
        const auto bodyElement = body.as<IHTMLBodyElement>();
        if (!bodyElement) return result;
        OleCheck(bodyElement->createTextRange(FTextRange.put()));
        if (!FTextRange) return result;
        FTextRangeDocument = identity;
    }

    const LONG step = Direction == sdDown ? 1 : -1;
    bool moves = false;
    LONG by = 0;
    if (FHTMLChar != 0) {
        // On from the last match the same way; a turn searches again from where the match is.
        moves = true;
        by = static_cast<int>(Direction) == FHTMLChar - 1 ? step : 0;
    } else if (FLastSearchDirection != Direction) {
        moves = true;
        by = FLastSearchDirection == sdDown ? -1 : 1;
    }
    if (moves) {
        LONG moved = 0;
        OleCheck(FTextRange->move(Bstr(L"character").get(), by, &moved));
    }
    VARIANT_BOOL found = VARIANT_FALSE;
    OleCheck(FTextRange->findText(Bstr(FSearchText).get(), step, 0, &found));
    if (found != VARIANT_FALSE) {
        OleCheck(FTextRange->scrollIntoView(VARIANT_TRUE));
        // A match that cannot be selected is still found and shown.
        if (AutoSelect) (void)FTextRange->select();
        result = TSearchResults{srFound};
        FHTMLChar = static_cast<int>(Direction) + 1;
    } else {
        FHTMLChar = 0;
        if (Direction == FLastSearchDirection) result.Include(srEndOf);
    }
    FLastSearchDirection = Direction;
    return result;
}

ComPtr<IHTMLTxtRange> THostedWB::SearchText(const std::wstring& Value, int iPos) {
    ComPtr<IHTMLTxtRange> range;
    Swallowing([&] { FindTextRange(*this, Document().get(), Value, 1, iPos, range); });
    return range;
}

bool THostedWB::SearchString(const std::wstring& strText) {
    bool found = false;
    Swallowing([&] { found = DocumentContainsText(*this, strText); });
    return found;
}

void THostedWB::SearchAndHighlight(const std::wstring& AText, const std::wstring& ACaption,
                                   const std::wstring& APrompt, TSearchFlags Flags,
                                   const std::wstring& cbackColor, const std::wstring& cForeColor,
                                   TScrollIntoView ScrollIntoView) {
    Swallowing([&] {
        if (!LivesAfterWait()) return;
        HighlightTextInFrames(*this, Document().get(), AText, ACaption, APrompt, Flags, cbackColor,
                              cForeColor, ScrollIntoView, true);
    });
}

void THostedWB::SearchAndHighlight(const std::wstring& aText, TSearchFlags Flags,
                                   const std::wstring& cbackColor, const std::wstring& cForeColor,
                                   TScrollIntoView ScrollIntoView) {
    Swallowing([&] {
        if (!LivesAfterWait()) return;
        HighlightTextInFrames(*this, Document().get(), aText, {}, {}, Flags, cbackColor, cForeColor,
                              ScrollIntoView, false);
    });
}

// --- scrolling ----------------------------------------------------------------------------------

void THostedWB::ScrollToID(int ID) {
    Swallowing([&] { ScrollToNumericId(ID, *this); });
}

void THostedWB::ScrollToIDEx(const std::wstring& ID) {
    Swallowing([&] { ScrollToElementId(ID, *this); });
}

void THostedWB::ScrollToTop() {
    Swallowing([this] {
        if (LivesAfterWait()) ScrollDocumentToTop(Application().get());
    });
}

void THostedWB::ScrollToBottom() {
    Swallowing([this] {
        if (LivesAfterWait()) ScrollDocumentToBottom(Document().get());
    });
}

void THostedWB::ScrollToPosition(int X, int Y) {
    Swallowing([&] {
        if (LivesAfterWait()) ScrollDocumentTo(Application().get(), X, Y);
    });
}

bool THostedWB::HScrollBarVisible() {
    bool horizontal = false, vertical = false;
    Swallowing([&] { GetScrollBarsVisible(*this, horizontal, vertical); });
    return horizontal;
}

bool THostedWB::VScrollBarVisible() {
    bool horizontal = false, vertical = false;
    Swallowing([&] { GetScrollBarsVisible(*this, horizontal, vertical); });
    return vertical;
}

int THostedWB::HScrollBarPosition() {
    POINT pos{-1, -1};
    (void)GetScrollPosition(*this, pos);
    return pos.x;
}

int THostedWB::VScrollBarPosition() {
    POINT pos{-1, -1};
    (void)GetScrollPosition(*this, pos);
    return pos.y;
}

} // namespace tn
