#include "tests/browser/FakeDocument.h"

#include "classlib/Text.h"

#include <algorithm>
#include <cwctype>

namespace tn::test {

namespace {

HRESULT HandOut(IDispatch* object, VARIANT* result) {
    if (!result) return S_OK;
    ::VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    if (object) object->AddRef();
    return S_OK;
}

// A member of an item as the collections read it (no late-bound call: the item's own record of
// names asked stays the test's).
std::wstring ItemMember(IDispatch* item, const wchar_t* name) {
    ComPtr<IHTMLElement> e;
    if (!item || FAILED(item->QueryInterface(IID_IHTMLElement, e.put_void())) || !e) return {};
    OleVariant v;
    if (FAILED(e->getAttribute(Bstr(name).get(), 0, v.put()))) return {};
    return VariantToString(v.get());
}

std::wstring FromBstr(BSTR b) {
    return b ? std::wstring(b, ::SysStringLen(b)) : std::wstring();
}

} // namespace

// --- element ------------------------------------------------------------------------------------

FakeElement::FakeElement(std::wstring_view tagName) {
    const std::wstring tag = text::UpperCase(tagName);
    if (tag != L"BODY") Refuse(IID_IHTMLBodyElement);
    if (tag != L"INPUT") Refuse(IID_IHTMLInputElement);
    if (tag != L"SELECT") Refuse(IID_IHTMLSelectElement);
    if (tag != L"TEXTAREA") Refuse(IID_IHTMLTextAreaElement);
    bag.Set(L"tagName", std::wstring_view(tag));
    bag.DeclareObjects({L"all", L"parentElement", L"getBoundingClientRect", L"createTextRange"});
    bag.SetMethod(L"click", [this](const DISPPARAMS&, VARIANT*, EXCEPINFO*) { return click(); });
}

void FakeElement::SetItems(std::vector<IDispatch*> items) {
    FItems = std::move(items);
    bag.Set(L"length", static_cast<LONG>(FItems.size()));
    bag.SetObject(L"elements", Dispatch());
    bag.SetMethod(L"item", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        const LONG i = ArgInt(p, 0);
        if (i < 0 || static_cast<std::size_t>(i) >= FItems.size()) return HandOut(nullptr, result);
        return HandOut(FItems[static_cast<std::size_t>(i)], result);
    });
}

HRESULT FakeElement::setAttribute(BSTR name, VARIANT value, LONG) {
    return bag.Put(FromBstr(name), value);
}
HRESULT FakeElement::getAttribute(BSTR name, LONG, VARIANT* value) {
    if (!value) return E_POINTER;
    return bag.Get(FromBstr(name), value);
}
HRESULT FakeElement::get_className(BSTR* p) {
    return bag.GetText(L"className", p);
}
HRESULT FakeElement::put_id(BSTR v) {
    return bag.Put(L"id", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_id(BSTR* p) {
    return bag.GetText(L"id", p);
}
HRESULT FakeElement::get_tagName(BSTR* p) {
    return bag.GetText(L"tagName", p);
}
HRESULT FakeElement::get_parentElement(IHTMLElement** p) {
    return bag.GetObject(L"parentElement", p);
}
HRESULT FakeElement::get_title(BSTR* p) {
    return bag.GetText(L"title", p);
}
HRESULT FakeElement::put_innerHTML(BSTR v) {
    return bag.Put(L"innerHTML", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_innerHTML(BSTR* p) {
    return bag.GetText(L"innerHTML", p);
}
HRESULT FakeElement::put_innerText(BSTR v) {
    return bag.Put(L"innerText", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_innerText(BSTR* p) {
    return bag.GetText(L"innerText", p);
}
HRESULT FakeElement::get_outerHTML(BSTR* p) {
    return bag.GetText(L"outerHTML", p);
}
HRESULT FakeElement::click() {
    // The member's failure answers first, early- and late-bound.
    if (const HRESULT hr = bag.Get(L"click", nullptr); FAILED(hr)) return hr;
    ++clicks;
    return S_OK;
}
HRESULT FakeElement::get_all(IDispatch** p) {
    return bag.GetDispatch(L"all", p);
}
HRESULT FakeElement::getBoundingClientRect(IHTMLRect** p) {
    return bag.GetObject(L"getBoundingClientRect", p);
}
HRESULT FakeElement::get_scrollHeight(LONG* p) {
    return bag.GetLong(L"scrollHeight", p);
}
HRESULT FakeElement::get_scrollWidth(LONG* p) {
    return bag.GetLong(L"scrollWidth", p);
}
HRESULT FakeElement::put_scrollTop(LONG v) {
    return bag.Put(L"scrollTop", OleVariant(v).get());
}
HRESULT FakeElement::get_scrollTop(LONG* p) {
    return bag.GetLong(L"scrollTop", p);
}
HRESULT FakeElement::put_scrollLeft(LONG v) {
    return bag.Put(L"scrollLeft", OleVariant(v).get());
}
HRESULT FakeElement::get_scrollLeft(LONG* p) {
    return bag.GetLong(L"scrollLeft", p);
}
HRESULT FakeElement::get_clientHeight(LONG* p) {
    return bag.GetLong(L"clientHeight", p);
}
HRESULT FakeElement::get_clientWidth(LONG* p) {
    return bag.GetLong(L"clientWidth", p);
}
HRESULT FakeElement::createTextRange(IHTMLTxtRange** range) {
    return bag.GetObject(L"createTextRange", range);
}
HRESULT FakeElement::put_type(BSTR v) {
    return bag.Put(L"type", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_type(BSTR* p) {
    return bag.GetText(L"type", p);
}
HRESULT FakeElement::put_value(BSTR v) {
    return bag.Put(L"value", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_value(BSTR* p) {
    return bag.GetText(L"value", p);
}
HRESULT FakeElement::put_name(BSTR v) {
    return bag.Put(L"name", OleVariant(FromBstr(v)).get());
}
HRESULT FakeElement::get_name(BSTR* p) {
    return bag.GetText(L"name", p);
}

// --- rectangle ----------------------------------------------------------------------------------

FakeRect::FakeRect(LONG left, LONG top, LONG right, LONG bottom) {
    bag.Set(L"left", left);
    bag.Set(L"top", top);
    bag.Set(L"right", right);
    bag.Set(L"bottom", bottom);
}
HRESULT FakeRect::get_left(LONG* p) {
    return bag.GetLong(L"left", p);
}
HRESULT FakeRect::get_top(LONG* p) {
    return bag.GetLong(L"top", p);
}
HRESULT FakeRect::get_right(LONG* p) {
    return bag.GetLong(L"right", p);
}
HRESULT FakeRect::get_bottom(LONG* p) {
    return bag.GetLong(L"bottom", p);
}

// --- collection ---------------------------------------------------------------------------------

FakeCollection::FakeCollection() {
    Bind();
}

FakeCollection::FakeCollection(std::vector<IDispatch*> items) : FItems(std::move(items)) {
    Bind();
}

void FakeCollection::Bind() {
    bag.Set(L"length", static_cast<LONG>(FItems.size()));
    bag.SetMethod(L"item", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        ComPtr<IDispatch> d;
        const HRESULT hr = item(ArgAt(p, 0), ArgAt(p, 1), d.put());
        return FAILED(hr) ? hr : HandOut(d.get(), result);
    });
    bag.SetMethod(L"tags", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        return HandOut(Filtered(L"tagName", ArgText(p, 0)).Dispatch(), result);
    });
}

void FakeCollection::Add(IDispatch* item) {
    FItems.push_back(item);
    bag.Set(L"length", static_cast<LONG>(FItems.size()));
}

FakeCollection& FakeCollection::Filtered(std::wstring_view member, std::wstring_view value) {
    auto& made = *FMade.emplace_back(std::make_unique<FakeCollection>());
    for (IDispatch* i : FItems)
        if (text::SameText(ItemMember(i, std::wstring(member).c_str()), value)) made.Add(i);
    return made;
}

HRESULT FakeCollection::get_length(LONG* p) {
    return bag.GetLong(L"length", p);
}

HRESULT FakeCollection::item(VARIANT name, VARIANT index, IDispatch** pdisp) {
    if (!pdisp) return E_POINTER;
    *pdisp = nullptr;
    if (const HRESULT hr = bag.Get(L"item", nullptr); FAILED(hr)) return hr;
    IDispatch* found = nullptr;
    if (name.vt == VT_BSTR) {
        // By id or name; index picks among several of that name.
        LONG skip = index.vt == VT_ERROR || index.vt == VT_EMPTY ? 0 : VariantToInt(index);
        const std::wstring key = FromBstr(name.bstrVal);
        for (IDispatch* i : FItems)
            if ((ItemMember(i, L"id") == key || ItemMember(i, L"name") == key) && skip-- == 0) {
                found = i;
                break;
            }
    } else {
        const LONG n = VariantToInt(name, -1);
        if (n >= 0 && static_cast<std::size_t>(n) < FItems.size())
            found = FItems[static_cast<std::size_t>(n)];
    }
    if (found) {
        found->AddRef();
        *pdisp = found;
    }
    return S_OK;
}

HRESULT FakeCollection::tags(VARIANT tagName, IDispatch** pdisp) {
    if (!pdisp) return E_POINTER;
    *pdisp = nullptr;
    if (const HRESULT hr = bag.Get(L"tags", nullptr); FAILED(hr)) return hr;
    IDispatch* made = Filtered(L"tagName", VariantToString(tagName)).Dispatch();
    made->AddRef();
    *pdisp = made;
    return S_OK;
}

// --- enumerator ---------------------------------------------------------------------------------

HRESULT FakeEnumUnknown::Next(ULONG celt, IUnknown** rgelt, ULONG* fetched) {
    nexts.push_back(celt);
    if (!rgelt) return E_POINTER;
    ULONG n = 0;
    while (n < celt && FNext < FObjects.size()) {
        IUnknown* o = FObjects[FNext++];
        o->AddRef();
        rgelt[n++] = o;
    }
    if (fetched) *fetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT FakeEnumUnknown::Skip(ULONG celt) {
    const std::size_t left = FObjects.size() - FNext;
    FNext += std::min<std::size_t>(celt, left);
    return celt <= left ? S_OK : S_FALSE;
}

HRESULT FakeEnumUnknown::Reset() {
    FNext = 0;
    return S_OK;
}

// --- location and selection ---------------------------------------------------------------------

FakeLocation::FakeLocation() {
    for (const wchar_t* n : {L"href", L"protocol", L"host", L"hostname", L"pathname", L"search"})
        bag.Set(n, L"");
}
HRESULT FakeLocation::get_href(BSTR* p) {
    return bag.GetText(L"href", p);
}
HRESULT FakeLocation::get_protocol(BSTR* p) {
    return bag.GetText(L"protocol", p);
}
HRESULT FakeLocation::get_host(BSTR* p) {
    return bag.GetText(L"host", p);
}
HRESULT FakeLocation::get_hostname(BSTR* p) {
    return bag.GetText(L"hostname", p);
}
HRESULT FakeLocation::get_pathname(BSTR* p) {
    return bag.GetText(L"pathname", p);
}
HRESULT FakeLocation::get_search(BSTR* p) {
    return bag.GetText(L"search", p);
}

FakeSelection::FakeSelection() {
    bag.Set(L"type", L"None");
    bag.DeclareObjects({L"createRange"});
}
HRESULT FakeSelection::createRange(IDispatch** range) {
    return bag.GetDispatch(L"createRange", range);
}
HRESULT FakeSelection::get_type(BSTR* p) {
    return bag.GetText(L"type", p);
}

// --- text range ---------------------------------------------------------------------------------

FakeTextRange::FakeTextRange(std::wstring text, long start, long end)
    : FText(std::move(text)), FStart(0), FEnd(0) {
    const long length = static_cast<long>(FText.size());
    FEnd = end < 0 || end > length ? length : end;
    FStart = std::clamp(start, 0L, FEnd);
    bag.SetMethod(L"text", [this](const DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
        if (result) *result = OleVariant(Text()).Detach();
        return S_OK;
    });
    bag.SetMethod(L"htmlText", [this](const DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
        if (result) *result = OleVariant(htmlText.empty() ? Text() : htmlText).Detach();
        return S_OK;
    });
}

void FakeTextRange::Log(std::wstring call) {
    log.push_back(std::move(call) + L" [" + std::to_wstring(FStart) + L"," + std::to_wstring(FEnd) +
                  L")");
}

long FakeTextRange::Moved(std::wstring_view unit, long from, long count) const {
    const long length = static_cast<long>(FText.size());
    if (text::SameText(unit, L"character")) return std::clamp(from + count, 0L, length);
    if (text::SameText(unit, L"textedit")) return count > 0 ? length : count < 0 ? 0 : from;
    if (!text::SameText(unit, L"word")) return from;
    const auto blank = [this](long i) { return std::iswspace(FText[static_cast<std::size_t>(i)]); };
    const auto wordStart = [&](long i) { return !blank(i) && (i == 0 || blank(i - 1)); };
    long pos = from;
    for (; count > 0; --count) {
        do
            ++pos;
        while (pos < length && !wordStart(pos));
        if (pos >= length) return length;
    }
    for (; count < 0; ++count) {
        do
            --pos;
        while (pos > 0 && !wordStart(pos));
        if (pos <= 0) return 0;
    }
    return pos;
}

HRESULT FakeTextRange::get_htmlText(BSTR* p) {
    if (!p) return E_POINTER;
    if (const HRESULT hr = bag.Get(L"htmlText", nullptr); FAILED(hr)) return hr;
    *p = Bstr(htmlText.empty() ? Text() : htmlText).detach();
    return S_OK;
}

HRESULT FakeTextRange::get_text(BSTR* p) {
    if (!p) return E_POINTER;
    if (const HRESULT hr = bag.Get(L"text", nullptr); FAILED(hr)) return hr;
    *p = Bstr(Text()).detach();
    return S_OK;
}

HRESULT FakeTextRange::scrollIntoView(VARIANT_BOOL fStart) {
    if (const HRESULT hr = bag.Get(L"scrollIntoView", nullptr); FAILED(hr)) return hr;
    Log(L"scrollIntoView(" + std::to_wstring(fStart) + L")");
    return S_OK;
}

HRESULT FakeTextRange::collapse(VARIANT_BOOL start) {
    if (start)
        FEnd = FStart;
    else
        FStart = FEnd;
    Log(L"collapse(" + std::to_wstring(start) + L")");
    return S_OK;
}

HRESULT FakeTextRange::move(BSTR unit, LONG count, LONG* actual) {
    if (const HRESULT hr = bag.Get(L"move", nullptr); FAILED(hr)) return hr;
    const long to = Moved(FromBstr(unit), FStart, count);
    if (actual) *actual = to != FStart ? count : 0;
    FStart = FEnd = to;
    Log(L"move(" + FromBstr(unit) + L"," + std::to_wstring(count) + L")");
    return S_OK;
}

HRESULT FakeTextRange::moveStart(BSTR unit, LONG count, LONG* actual) {
    if (const HRESULT hr = bag.Get(L"moveStart", nullptr); FAILED(hr)) return hr;
    const long to = Moved(FromBstr(unit), FStart, count);
    if (actual) *actual = to != FStart ? count : 0;
    FStart = to;
    FEnd = std::max(FEnd, FStart);
    Log(L"moveStart(" + FromBstr(unit) + L"," + std::to_wstring(count) + L")");
    return S_OK;
}

HRESULT FakeTextRange::moveEnd(BSTR unit, LONG count, LONG* actual) {
    if (const HRESULT hr = bag.Get(L"moveEnd", nullptr); FAILED(hr)) return hr;
    const long to = Moved(FromBstr(unit), FEnd, count);
    if (actual) *actual = to != FEnd ? count : 0;
    FEnd = to;
    FStart = std::min(FStart, FEnd);
    Log(L"moveEnd(" + FromBstr(unit) + L"," + std::to_wstring(count) + L")");
    return S_OK;
}

HRESULT FakeTextRange::select() {
    if (const HRESULT hr = bag.Get(L"select", nullptr); FAILED(hr)) return hr;
    Log(L"select()");
    return S_OK;
}

HRESULT FakeTextRange::findText(BSTR text, LONG count, LONG flags, VARIANT_BOOL* success) {
    if (const HRESULT hr = bag.Get(L"findText", nullptr); FAILED(hr)) return hr;
    const std::wstring what = FromBstr(text);
    const long length = static_cast<long>(FText.size());
    const long from = FStart, to = FStart == FEnd ? length : FEnd;
    const long n = static_cast<long>(what.size());
    const bool matchCase = (flags & 4) != 0, wholeWord = (flags & 2) != 0;
    const auto same = [&](wchar_t a, wchar_t b) {
        return matchCase ? a == b : std::towlower(a) == std::towlower(b);
    };
    const auto word = [&](long i) {
        return i >= 0 && i < length && std::iswalnum(FText[static_cast<std::size_t>(i)]);
    };
    const auto matchAt = [&](long i) {
        for (long k = 0; k < n; ++k)
            if (!same(FText[static_cast<std::size_t>(i + k)], what[static_cast<std::size_t>(k)]))
                return false;
        return !wholeWord || (!word(i - 1) && !word(i + n));
    };
    long found = -1;
    if (n > 0) {
        if (count >= 0) {
            for (long i = from; i + n <= to && found < 0; ++i)
                if (matchAt(i)) found = i;
        } else {
            for (long i = to - n; i >= from && found < 0; --i)
                if (matchAt(i)) found = i;
        }
    }
    if (found >= 0) {
        FStart = found;
        FEnd = found + n;
    }
    if (success) *success = found >= 0 ? VARIANT_TRUE : VARIANT_FALSE;
    Log(L"findText(" + what + L"," + std::to_wstring(count) + L"," + std::to_wstring(flags) + L")");
    return S_OK;
}

HRESULT FakeTextRange::moveToPoint(LONG x, LONG y) {
    if (const HRESULT hr = bag.Get(L"moveToPoint", nullptr); FAILED(hr)) return hr;
    FStart = FEnd = std::clamp(pointIndex, 0L, static_cast<long>(FText.size()));
    Log(L"moveToPoint(" + std::to_wstring(x) + L"," + std::to_wstring(y) + L")");
    return S_OK;
}

HRESULT FakeTextRange::execCommand(BSTR cmd, VARIANT_BOOL, VARIANT value, VARIANT_BOOL* ret) {
    if (const HRESULT hr = bag.Get(L"execCommand", nullptr); FAILED(hr)) return hr;
    if (ret) *ret = VARIANT_TRUE;
    Log(L"execCommand(" + FromBstr(cmd) + L"," + VariantToString(value) + L")");
    return S_OK;
}

// --- window -------------------------------------------------------------------------------------

FakeWindow::FakeWindow() {
    bag.DeclareObjects({L"document", L"location"});
    bag.SetObject(L"frames", Dispatch());
    bag.SetMethod(L"length", [this](const DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
        if (result) *result = OleVariant(static_cast<LONG>(frames.size())).Detach();
        return S_OK;
    });
    bag.SetMethod(L"item", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        VARIANT index = ArgAt(p, 0);
        return item(&index, result);
    });
    bag.SetMethod(L"scrollTo", [this](const DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
        return scrollTo(ArgInt(p, 0), ArgInt(p, 1));
    });
    bag.SetMethod(L"scrollBy", [this](const DISPPARAMS& p, VARIANT*, EXCEPINFO*) {
        return scrollBy(ArgInt(p, 0), ArgInt(p, 1));
    });
    bag.SetMethod(L"execScript", [this](const DISPPARAMS& p, VARIANT* result, EXCEPINFO*) {
        scripts.push_back({ArgText(p, 0), ArgText(p, 1)});
        if (result) ::VariantInit(result);
        return execResult;
    });
}

HRESULT FakeWindow::item(VARIANT* index, VARIANT* result) {
    if (!index || !result) return E_POINTER;
    const LONG i = VariantToInt(*index, -1);
    if (i < 0 || static_cast<std::size_t>(i) >= frames.size()) return E_INVALIDARG;
    return HandOut(frames[static_cast<std::size_t>(i)]->Dispatch(), result);
}
HRESULT FakeWindow::get_length(LONG* p) {
    if (!p) return E_POINTER;
    *p = static_cast<LONG>(frames.size());
    return S_OK;
}
HRESULT FakeWindow::get_frames(IHTMLFramesCollection2** p) {
    return bag.GetObject(L"frames", p);
}
HRESULT FakeWindow::get_location(IHTMLLocation** p) {
    return bag.GetObject(L"location", p);
}
HRESULT FakeWindow::get_document(IHTMLDocument2** p) {
    return bag.GetObject(L"document", p);
}
HRESULT FakeWindow::scrollTo(LONG x, LONG y) {
    if (FAILED(scrollResult)) {
        refused.push_back({L"scrollTo", x, y});
        return scrollResult;
    }
    scrolls.push_back({L"scrollTo", x, y});
    return S_OK;
}
HRESULT FakeWindow::scrollBy(LONG x, LONG y) {
    if (FAILED(scrollResult)) {
        refused.push_back({L"scrollBy", x, y});
        return scrollResult;
    }
    scrolls.push_back({L"scrollBy", x, y});
    return S_OK;
}
HRESULT FakeWindow::execScript(BSTR code, BSTR language, VARIANT* result) {
    if (const HRESULT hr = bag.Get(L"execScript", nullptr); FAILED(hr)) return hr;
    scripts.push_back({FromBstr(code), FromBstr(language)});
    if (result) ::VariantInit(result);
    return execResult;
}

// --- document -----------------------------------------------------------------------------------

FakeDocument::FakeDocument() {
    bag.DeclareObjects({L"body", L"all", L"links", L"images", L"forms", L"frames", L"selection",
                        L"parentWindow", L"location", L"activeElement", L"documentElement",
                        L"Script"});
    bag.Set(L"readyState", L"complete");
    for (const wchar_t* n : {L"charset", L"title", L"URL", L"cookie", L"designMode"})
        bag.Set(n, L"");
}

void FakeDocument::SetBody(FakeElement* body) {
    bag.SetObject(L"body", body ? body->Dispatch() : nullptr);
}

void FakeDocument::SetWindow(FakeWindow* window) {
    bag.SetObject(L"parentWindow", window ? window->Dispatch() : nullptr);
    bag.SetObject(L"frames", window ? window->Dispatch() : nullptr);
    if (window) window->bag.SetObject(L"document", Dispatch());
}

void* FakeDocument::MoreInterfaces(REFIID riid) noexcept {
    if (riid == IID_IHTMLDocument) return static_cast<IHTMLDocument2*>(this);
    if (riid == IID_IPersist) return static_cast<IPersistFile*>(this);
    if (riid == IID_IParseDisplayName) return static_cast<IOleContainer*>(this);
    return FakeDispatchObject::MoreInterfaces(riid);
}

HRESULT FakeDocument::get_Script(IDispatch** p) {
    return bag.GetDispatch(L"Script", p);
}
HRESULT FakeDocument::get_all(IHTMLElementCollection** p) {
    return bag.GetObject(L"all", p);
}
HRESULT FakeDocument::get_body(IHTMLElement** p) {
    return bag.GetObject(L"body", p);
}
HRESULT FakeDocument::get_activeElement(IHTMLElement** p) {
    return bag.GetObject(L"activeElement", p);
}
HRESULT FakeDocument::get_images(IHTMLElementCollection** p) {
    return bag.GetObject(L"images", p);
}
HRESULT FakeDocument::get_links(IHTMLElementCollection** p) {
    return bag.GetObject(L"links", p);
}
HRESULT FakeDocument::get_forms(IHTMLElementCollection** p) {
    return bag.GetObject(L"forms", p);
}
HRESULT FakeDocument::put_title(BSTR v) {
    return bag.Put(L"title", OleVariant(FromBstr(v)).get());
}
HRESULT FakeDocument::get_title(BSTR* p) {
    return bag.GetText(L"title", p);
}
HRESULT FakeDocument::get_readyState(BSTR* p) {
    return bag.GetText(L"readyState", p);
}
HRESULT FakeDocument::get_frames(IHTMLFramesCollection2** p) {
    return bag.GetObject(L"frames", p);
}
HRESULT FakeDocument::put_designMode(BSTR v) {
    return bag.Put(L"designMode", OleVariant(FromBstr(v)).get());
}
HRESULT FakeDocument::get_designMode(BSTR* p) {
    return bag.GetText(L"designMode", p);
}
HRESULT FakeDocument::queryCommandEnabled(BSTR cmdID, VARIANT_BOOL* pfRet) {
    if (!pfRet) return E_POINTER;
    const bool enabled = std::find(enabledCommands.begin(), enabledCommands.end(),
                                   FromBstr(cmdID)) != enabledCommands.end();
    *pfRet = enabled ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
HRESULT FakeDocument::get_selection(IHTMLSelectionObject** p) {
    return bag.GetObject(L"selection", p);
}
HRESULT FakeDocument::get_location(IHTMLLocation** p) {
    return bag.GetObject(L"location", p);
}
HRESULT FakeDocument::get_URL(BSTR* p) {
    return bag.GetText(L"URL", p);
}
HRESULT FakeDocument::put_cookie(BSTR v) {
    return bag.Put(L"cookie", OleVariant(FromBstr(v)).get());
}
HRESULT FakeDocument::get_cookie(BSTR* p) {
    return bag.GetText(L"cookie", p);
}
HRESULT FakeDocument::put_charset(BSTR v) {
    return bag.Put(L"charset", OleVariant(FromBstr(v)).get());
}
HRESULT FakeDocument::get_charset(BSTR* p) {
    return bag.GetText(L"charset", p);
}
HRESULT FakeDocument::get_parentWindow(IHTMLWindow2** p) {
    return bag.GetObject(L"parentWindow", p);
}
HRESULT FakeDocument::get_documentElement(IHTMLElement** p) {
    return bag.GetObject(L"documentElement", p);
}

HRESULT FakeDocument::getElementsByName(BSTR v, IHTMLElementCollection** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (const HRESULT hr = bag.Get(L"getElementsByName", nullptr); FAILED(hr)) return hr;
    auto& found = *FFound.emplace_back(std::make_unique<FakeCollection>());
    const std::wstring name = FromBstr(v);
    ComPtr<IHTMLElementCollection> all;
    (void)get_all(all.put());
    LONG n = 0;
    if (all) (void)all->get_length(&n);
    for (LONG i = 0; i < n; ++i) {
        ComPtr<IDispatch> item;
        (void)all->item(OleVariant(i).get(), OleVariant(i).get(), item.put());
        if (item && ItemMember(item.get(), L"name") == name) found.Add(item.get());
    }
    found.AddRef();
    *p = &found;
    return S_OK;
}

HRESULT FakeDocument::getElementById(BSTR v, IHTMLElement** p) {
    if (!p) return E_POINTER;
    *p = nullptr;
    if (const HRESULT hr = bag.Get(L"getElementById", nullptr); FAILED(hr)) return hr;
    const std::wstring id = FromBstr(v);
    ComPtr<IHTMLElementCollection> all;
    (void)get_all(all.put());
    LONG n = 0;
    if (all) (void)all->get_length(&n);
    for (LONG i = 0; i < n && !*p; ++i) {
        ComPtr<IDispatch> item;
        (void)all->item(OleVariant(i).get(), OleVariant(i).get(), item.put());
        if (item && ItemMember(item.get(), L"id") == id)
            (void)item->QueryInterface(IID_IHTMLElement, reinterpret_cast<void**>(p));
    }
    return S_OK;
}

HRESULT FakeDocument::EnumObjects(DWORD flags, IEnumUnknown** ppenum) {
    if (!ppenum) return E_POINTER;
    *ppenum = nullptr;
    enumFlags.push_back(flags);
    if (const HRESULT hr = bag.Get(L"EnumObjects", nullptr); FAILED(hr)) return hr;
    std::vector<IUnknown*> objects;
    if (flags & OLECONTF_EMBEDDINGS) objects = embeddings;
    if (flags & OLECONTF_OTHERS) objects.insert(objects.end(), others.begin(), others.end());
    auto& e = *enumerators.emplace_back(std::make_unique<FakeEnumUnknown>(std::move(objects)));
    e.AddRef();
    *ppenum = &e;
    return S_OK;
}

HRESULT FakeDocument::Save(LPCOLESTR fileName, WINBOOL remember) {
    fileSaves.push_back({fileName ? fileName : L"", remember});
    return fileSaveResult;
}

HRESULT FakeDocument::Load(LPSTREAM stream) {
    ++streamLoads;
    loaded.clear();
    if (!stream) return E_POINTER;
    std::uint8_t piece[7];
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(piece, sizeof piece, &got)) && got > 0)
        loaded.insert(loaded.end(), piece, piece + got);
    return streamLoadResult;
}

HRESULT FakeDocument::Save(LPSTREAM stream, WINBOOL clearDirty) {
    streamSaves.push_back(clearDirty);
    if (!stream) return E_POINTER;
    ULONG written = 0;
    return saveBytes.empty()
               ? S_OK
               : stream->Write(saveBytes.data(), static_cast<ULONG>(saveBytes.size()), &written);
}

} // namespace tn::test
