#include "browser/tools/DocScroll.h"

#include "browser/tools/ToolBasics.h"
#include "classlib/OleAuto.h"
#include "classlib/Text.h"

#include <mshtml.h>
#include <oleidl.h>

#include <array>

namespace tn {

namespace {

// The folder view's scroll information: the 32-bit record holds no pointer, so both builds agree.
static_assert(sizeof(SCROLLINFO) == 28);

// The interface the object (or none) must answer, as a failing call.
template <typename I, typename P> ComPtr<I> Require(const ComPtr<P>& object) {
    ComPtr<I> r = object.template as<I>();
    if (!r) throw EOleSysError(E_NOINTERFACE);
    return r;
}

// Scrolls the document's window by the element's offset in the view: top is read before left.
void ScrollToElement(IHTMLDocument2* Doc, IHTMLElement2* Element) {
    ComPtr<IHTMLRect> rect;
    OleCheck(Element->getBoundingClientRect(rect.put()));
    if (!rect) return;
    LONG top = 0, left = 0;
    OleCheck(rect->get_top(&top));
    OleCheck(rect->get_left(&left));
    ComPtr<IHTMLWindow2> window;
    OleCheck(Doc->get_parentWindow(window.put()));
    if (!window) return;
    OleCheck(window->scrollBy(left, top));
}

// The control's HTML document when it has a body.
ComPtr<IHTMLDocument2> DocumentWithBody(TBrowserToolHost& Host, ComPtr<IHTMLElement>& Body) {
    const ComPtr<IHTMLDocument2> doc = Host.Document().as<IHTMLDocument2>();
    if (!doc || FAILED(doc->get_body(Body.put())) || !Body) return nullptr;
    return doc;
}

// One coordinate of the page's position: the root element's late-bound Member, unless there is a
// root element scrolled to 0, when the body's attribute of that name speaks. A failed read is -1.
LONG DocumentCoordinate(IHTMLDocument2* Doc, IHTMLElement* Body, bool HasRoot,
                        std::wstring_view Member, const wchar_t* Attribute) noexcept {
    try {
        const std::wstring path = L"DocumentElement." + std::wstring(Member);
        const LONG root = VariantToInt(OleGetProperty(Doc, path).get(), -1);
        if (!HasRoot || root != 0) return root;
        OleVariant value;
        if (FAILED(Body->getAttribute(Bstr(Attribute).get(), 0, value.put()))) return -1;
        return VariantToInt(value.get(), -1);
    } catch (...) {
        // A position that cannot be read is unknown, never an error of the caller's.
        return -1;
    }
}

// The container's enumerator of the objects the flags name; empty when there is none.
ComPtr<IEnumUnknown> EmbeddedObjects(IUnknown* Document, DWORD Flags) noexcept {
    if (!IsHtmlDocument(Document)) return nullptr;
    ComPtr<IOleContainer> container;
    (void)Document->QueryInterface(IID_IOleContainer, container.put_void());
    ComPtr<IEnumUnknown> objects;
    if (!container || FAILED(container->EnumObjects(Flags, objects.put()))) return nullptr;
    return objects;
}

} // namespace

std::wstring GetWordAtPoint(TBrowserToolHost& Host, int X, int Y) {
    ComPtr<IHTMLDocument2> doc;
    if (!Host.DocumentLoaded(doc)) return {};
    ComPtr<IHTMLSelectionObject> selection;
    OleCheck(doc->get_selection(selection.put()));
    if (!selection) return {};
    ComPtr<IDispatch> created;
    OleCheck(selection->createRange(created.put()));
    const auto range = Require<IHTMLTxtRange>(created);
    LONG moved = 0;
    OleCheck(range->moveToPoint(X, Y));
    OleCheck(range->moveStart(Bstr(L"word").get(), -1, &moved));
    OleCheck(range->moveEnd(Bstr(L"word").get(), 1, &moved));
    Bstr word;
    OleCheck(range->get_text(word.put()));
    return text::Trim(word.str());
}

void ScrollToElementId(const std::wstring& ID, TBrowserToolHost& Host) {
    const ComPtr<IHTMLDocument3> doc3 = Host.Document().as<IHTMLDocument3>();
    if (!doc3) return;
    ComPtr<IHTMLElement> element;
    OleCheck(doc3->getElementById(Bstr(ID).get(), element.put()));
    if (!element) return;
    const auto element2 = Require<IHTMLElement2>(element);
    const auto doc = Require<IHTMLDocument2>(doc3);
    ScrollToElement(doc.get(), element2.get());
}

void ScrollToNumericId(int ID, TBrowserToolHost& Host) {
    ComPtr<IHTMLDocument2> doc;
    if (!Host.DocumentLoaded(doc)) return;
    ComPtr<IHTMLElementCollection> all;
    OleCheck(doc->get_all(all.put()));
    if (!all) return;
    LONG count = 0;
    OleCheck(all->get_length(&count));
    const std::wstring id = std::to_wstring(ID);
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> item;
        OleCheck(all->item(OleVariant(i).get(), OleVariant(LONG{0}).get(), item.put()));
        const ComPtr<IHTMLElement> element = item.as<IHTMLElement>();
        if (!element) continue;
        Bstr itemId;
        OleCheck(element->get_id(itemId.put()));
        if (itemId.str() != id) continue;
        const auto element2 = Require<IHTMLElement2>(element);
        ScrollToElement(doc.get(), element2.get());
        return;
    }
}

HWND FindFolderListView(HWND Handle) noexcept {
    if (!Handle) return nullptr;
    for (HWND level = ::GetWindow(Handle, GW_CHILD); level; level = ::GetWindow(level, GW_CHILD))
        if (const HWND hit = ::FindWindowExW(level, nullptr, L"SysListView32", nullptr)) return hit;
    return nullptr;
}

void GetScrollBarsVisible(TBrowserToolHost& Host, bool& Horizontal, bool& Vertical) {
    Horizontal = false;
    Vertical = false;
    if (const HWND view = FindFolderListView(Host.HostWindow())) {
        const LONG_PTR style = ::GetWindowLongPtrW(view, GWL_STYLE);
        Vertical = (style & WS_VSCROLL) != 0;
        Horizontal = (style & WS_HSCROLL) != 0;
        return;
    }
    ComPtr<IHTMLElement> body;
    if (!DocumentWithBody(Host, body)) return;
    const ComPtr<IDispatch> app = Host.Application();
    const auto number = [&](std::wstring_view path) {
        return VariantToInt(OleGetProperty(app.get(), path).get());
    };
    Vertical = number(L"Document.body.ScrollHeight") > number(L"Document.Body.ClientHeight");
    Horizontal = number(L"Document.body.ScrollWidth") > number(L"Document.Body.ClientWidth");
}

bool GetFolderScrollPos(TBrowserToolHost& Host, POINT& Pos) noexcept {
    const HWND view = FindFolderListView(Host.HostWindow());
    if (!view) return false;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    if (!::GetScrollInfo(view, SB_VERT, &info)) return false;
    Pos.y = info.nPos;
    if (!::GetScrollInfo(view, SB_HORZ, &info)) return false;
    Pos.x = info.nPos;
    return true;
}

bool GetDocumentScrollPos(TBrowserToolHost& Host, POINT& Pos) noexcept {
    Pos = POINT{-1, -1};
    ComPtr<IHTMLElement> body;
    ComPtr<IHTMLDocument2> doc;
    try {
        doc = DocumentWithBody(Host, body);
    } catch (...) {
        // Without a document whose body can be read there is no position to report.
        return false;
    }
    if (!doc) return false;
    ComPtr<IHTMLElement> root;
    if (const ComPtr<IHTMLDocument3> doc3 = doc.as<IHTMLDocument3>())
        (void)doc3->get_documentElement(root.put());
    const bool hasRoot = static_cast<bool>(root);
    Pos.y = DocumentCoordinate(doc.get(), body.get(), hasRoot, L"scrollTop", L"ScrollTop");
    Pos.x = DocumentCoordinate(doc.get(), body.get(), hasRoot, L"scrollLeft", L"ScrollLeft");
    return Pos.x != -1 && Pos.y != -1;
}

bool GetScrollPosition(TBrowserToolHost& Host, POINT& Pos) noexcept {
    return GetDocumentScrollPos(Host, Pos) || GetFolderScrollPos(Host, Pos);
}

void ScrollDocumentToTop(IDispatch* Application) noexcept {
    ScrollDocumentTo(Application, 0, 0);
}

void ScrollDocumentTo(IDispatch* Application, int X, int Y) noexcept {
    try {
        if (!Application) return;
        const OleVariant doc = OleGetProperty(Application, L"Document");
        if (!IsHtmlDocument(VariantToDispatch(doc.get()).get())) return;
        (void)OleCallMethod(Application, L"Document.ParentWindow.ScrollTo",
                            {OleVariant(LONG{X}), OleVariant(LONG{Y})});
    } catch (...) {
        // Scrolling is a courtesy to the user: a page that refuses it changes nothing else.
    }
}

void ScrollDocumentToBottom(IUnknown* Document) noexcept {
    ComPtr<IHTMLDocument2> doc;
    if (!Document || FAILED(Document->QueryInterface(IID_IHTMLDocument2, doc.put_void())) || !doc)
        return;
    ComPtr<IHTMLWindow2> window;
    ComPtr<IHTMLElement> body;
    if (FAILED(doc->get_parentWindow(window.put())) || !window) return;
    if (FAILED(doc->get_body(body.put())) || !body) return;
    const ComPtr<IHTMLElement2> body2 = body.as<IHTMLElement2>();
    LONG height = 0;
    if (!body2 || FAILED(body2->get_scrollHeight(&height))) return;
    (void)window->scrollBy(0, height);
}

int CountFrameBrowsers(IUnknown* Document) noexcept {
    const ComPtr<IEnumUnknown> objects = EmbeddedObjects(Document, OLECONTF_EMBEDDINGS);
    if (!objects) return 0;
    int count = 0;
    for (;;) {
        IUnknown* fetched = nullptr;
        if (objects->Next(1, &fetched, nullptr) != S_OK) {
            if (fetched) fetched->Release();
            break;
        }
        const auto object = ComPtr<IUnknown>::Attach(fetched);
        ComPtr<IWebBrowser2> browser;
        if (object && object->QueryInterface(IID_IWebBrowser2, browser.put_void()) == S_OK) ++count;
    }
    return count;
}

int CountEmbeddedObjects(IUnknown* Document) noexcept {
    const ComPtr<IEnumUnknown> objects = EmbeddedObjects(Document, OLECONTF_EMBEDDINGS);
    if (!objects) return 0;
    std::array<IUnknown*, 100> fetched{};
    ULONG count = 0;
    if (FAILED(objects->Next(static_cast<ULONG>(fetched.size()), fetched.data(), &count)))
        count = 0;
    for (IUnknown* object : fetched)
        if (object) object->Release();
    return static_cast<int>(count > fetched.size() ? fetched.size() : count);
}

void GetFrameBrowser(IUnknown* Document, int FrameNo, ComPtr<IWebBrowser2>& Browser) noexcept {
    Browser.reset();
    if (FrameNo < 0) return;
    const ComPtr<IEnumUnknown> objects =
        EmbeddedObjects(Document, OLECONTF_EMBEDDINGS | OLECONTF_OTHERS);
    if (!objects) return;
    (void)objects->Skip(static_cast<ULONG>(FrameNo));
    IUnknown* fetched = nullptr;
    const HRESULT hr = objects->Next(1, &fetched, nullptr);
    const auto object = ComPtr<IUnknown>::Attach(fetched);
    if (hr == S_OK && object) Browser = object.as<IWebBrowser2>();
}

} // namespace tn
