// Doubles of the page a browser shows: elements, collections, the document with its container,
// persistence, command target and view object, the window, the selection and text ranges. Each
// answers its early-bound getters from its property bag, so a late-bound read of the same name
// (in any case) gives the same value. Objects given to a double are borrowed.
#pragma once

#include "tests/browser/FakeDispatch.h"

#include <windows.h>
#include <mshtml.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tn::test {

// An element. The tag decides which element interfaces it answers besides IHTMLElement and
// IHTMLElement2: "BODY" the body's (its text range is the member "createTextRange"), "INPUT",
// "SELECT" and "TEXTAREA" theirs (member "value"). Numbers such as scrollHeight, texts such as
// innerHTML, attributes and "getBoundingClientRect" (an object) all live in the bag. A list of
// items makes it a collection of its own as well ("length", "item"), as a form is.
class FakeElement
    : public FakeDispatchObject<IHTMLElement, IHTMLElement2, IHTMLBodyElement, IHTMLInputElement,
                                IHTMLSelectElement, IHTMLTextAreaElement> {
public:
    explicit FakeElement(std::wstring_view tagName = L"DIV");
    void SetItems(std::vector<IDispatch*> items);
    int clicks = 0;

    // IHTMLElement
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value, LONG flags) override;
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, LONG flags, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_className(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_id(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_id(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_parentElement(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE get_title(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_innerHTML(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerHTML(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_innerText(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_innerText(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_outerHTML(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE click() override;
    HRESULT STDMETHODCALLTYPE get_all(IDispatch** p) override;
    // IHTMLElement2
    HRESULT STDMETHODCALLTYPE getBoundingClientRect(IHTMLRect** p) override;
    HRESULT STDMETHODCALLTYPE get_scrollHeight(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_scrollWidth(LONG* p) override;
    HRESULT STDMETHODCALLTYPE put_scrollTop(LONG v) override;
    HRESULT STDMETHODCALLTYPE get_scrollTop(LONG* p) override;
    HRESULT STDMETHODCALLTYPE put_scrollLeft(LONG v) override;
    HRESULT STDMETHODCALLTYPE get_scrollLeft(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_clientHeight(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_clientWidth(LONG* p) override;
    // IHTMLBodyElement
    HRESULT STDMETHODCALLTYPE createTextRange(IHTMLTxtRange** range) override;
    // IHTMLInputElement
    HRESULT STDMETHODCALLTYPE put_type(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_value(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_value(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_name(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_name(BSTR* p) override;

private:
    std::vector<IDispatch*> FItems;
};

// The rectangle of getBoundingClientRect: members top, left, right, bottom.
class FakeRect : public FakeDispatchObject<IHTMLRect> {
public:
    FakeRect(LONG left, LONG top, LONG right, LONG bottom);
    HRESULT STDMETHODCALLTYPE get_left(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_top(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_right(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_bottom(LONG* p) override;
};

// An element collection over borrowed items: "length", "item" by number or by id or name, and
// "tags", which hands out a collection (owned by this one) of the items with that tag.
class FakeCollection : public FakeDispatchObject<IHTMLElementCollection> {
public:
    FakeCollection();
    explicit FakeCollection(std::vector<IDispatch*> items);
    void Add(IDispatch* item);
    [[nodiscard]] const std::vector<IDispatch*>& Items() const noexcept { return FItems; }
    // The collections handed out by tags, oldest first.
    [[nodiscard]] const std::vector<std::unique_ptr<FakeCollection>>& Made() const noexcept {
        return FMade;
    }
    // A collection of the items whose member name equals value (tag names without case).
    FakeCollection& Filtered(std::wstring_view member, std::wstring_view value);

    HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;
    HRESULT STDMETHODCALLTYPE item(VARIANT name, VARIANT index, IDispatch** pdisp) override;
    HRESULT STDMETHODCALLTYPE tags(VARIANT tagName, IDispatch** pdisp) override;

private:
    void Bind();
    std::vector<IDispatch*> FItems;
    std::vector<std::unique_ptr<FakeCollection>> FMade;
};

// An enumerator over borrowed objects; each one fetched gets a reference of its own.
class FakeEnumUnknown : public FakeObject<IEnumUnknown> {
public:
    explicit FakeEnumUnknown(std::vector<IUnknown*> objects) : FObjects(std::move(objects)) {}
    std::vector<ULONG> nexts; // the count asked for by each Next
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, IUnknown** rgelt, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;

private:
    std::vector<IUnknown*> FObjects;
    std::size_t FNext = 0;
};

// The document's location: members href, protocol, host, hostname, pathname, search.
class FakeLocation : public FakeDispatchObject<IHTMLLocation> {
public:
    FakeLocation();
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_protocol(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_host(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_hostname(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_pathname(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_search(BSTR* p) override;
};

// The selection: member "type" ("None", "Text", "Control") and the range of "createRange".
class FakeSelection : public FakeDispatchObject<IHTMLSelectionObject> {
public:
    FakeSelection();
    HRESULT STDMETHODCALLTYPE createRange(IDispatch** range) override;
    HRESULT STDMETHODCALLTYPE get_type(BSTR* p) override;
};

// A text range over a plain text, from Start() to End() (character positions). findText searches
// the range (from its start to the end of the text when it is collapsed), forward for a positive
// count and backward for a negative one, the count's size not limiting it; flags 2 match whole
// words, 4 the case. The moves take the units "character", "word" (a word runs to the start of the
// next) and "textedit" (the whole text), without regard to case; moveToPoint puts the range,
// collapsed, at pointIndex. Every call is written to log as "name(arguments) [start,end)", the
// range after the call; failing members (Fail on the bag, by method name) answer first.
class FakeTextRange : public FakeDispatchObject<IHTMLTxtRange> {
public:
    explicit FakeTextRange(std::wstring text, long start = 0, long end = -1);
    [[nodiscard]] long Start() const noexcept { return FStart; }
    [[nodiscard]] long End() const noexcept { return FEnd; }
    [[nodiscard]] std::wstring Text() const { return FText.substr(FStart, FEnd - FStart); }
    long pointIndex = 0;
    std::wstring htmlText; // the markup of the range; empty: its text
    std::vector<std::wstring> log;

    HRESULT STDMETHODCALLTYPE get_htmlText(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_text(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE scrollIntoView(VARIANT_BOOL fStart) override;
    HRESULT STDMETHODCALLTYPE collapse(VARIANT_BOOL start) override;
    HRESULT STDMETHODCALLTYPE move(BSTR unit, LONG count, LONG* actual) override;
    HRESULT STDMETHODCALLTYPE moveStart(BSTR unit, LONG count, LONG* actual) override;
    HRESULT STDMETHODCALLTYPE moveEnd(BSTR unit, LONG count, LONG* actual) override;
    HRESULT STDMETHODCALLTYPE select() override;
    HRESULT STDMETHODCALLTYPE findText(BSTR text, LONG count, LONG flags,
                                       VARIANT_BOOL* success) override;
    HRESULT STDMETHODCALLTYPE moveToPoint(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE execCommand(BSTR cmd, VARIANT_BOOL showUI, VARIANT value,
                                          VARIANT_BOOL* ret) override;

private:
    long Moved(std::wstring_view unit, long from, long count) const;
    void Log(std::wstring call);
    std::wstring FText;
    long FStart, FEnd;
};

// The page's window. scrollTo, scrollBy and execScript are recorded, early- and late-bound alike
// (execScript answers execResult), a scroll that fails (scrollResult) among the refused ones; its
// frames are windows of their own ("length", "item"), and "document" is the window's document.
class FakeWindow : public FakeDispatchObject<IHTMLWindow2> {
public:
    FakeWindow();
    struct Scroll {
        std::wstring how; // "scrollTo" or "scrollBy"
        LONG x, y;
        bool operator==(const Scroll&) const = default;
    };
    struct Script {
        std::wstring code, language;
        bool operator==(const Script&) const = default;
    };
    std::vector<Scroll> scrolls;
    std::vector<Scroll> refused;
    HRESULT scrollResult = S_OK;
    std::vector<Script> scripts;
    HRESULT execResult = S_OK;
    std::vector<FakeWindow*> frames;

    HRESULT STDMETHODCALLTYPE item(VARIANT* index, VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* p) override;
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override;
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override;
    HRESULT STDMETHODCALLTYPE get_document(IHTMLDocument2** p) override;
    HRESULT STDMETHODCALLTYPE scrollTo(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE scrollBy(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE execScript(BSTR code, BSTR language, VARIANT* result) override;
};

// The document. Its objects are members of the bag (body, all, links, images, forms, frames,
// selection, parentWindow, location, activeElement, documentElement, Script) and so are its texts
// (readyState, charset, title, URL, cookie, designMode). The commands enabled are listed.
// getElementById and getElementsByName look through "all". The container enumerates embeddings for
// flag 1 and others for flag 4; it persists to files (saves recorded) and streams (loads keep the
// bytes, saves write saveBytes), runs commands and paints.
class FakeDocument
    : public FakeDispatchObject<IHTMLDocument2, IHTMLDocument3, IOleContainer, IPersistFile,
                                IPersistStreamInit, IOleCommandTarget, IViewObject> {
public:
    FakeDocument();
    // Sets body, all, parentWindow and the rest in one go (the window gets this document).
    void SetBody(FakeElement* body);
    void SetWindow(FakeWindow* window);

    std::vector<IUnknown*> embeddings; // enumerated for OLECONTF_EMBEDDINGS
    std::vector<IUnknown*> others;     // enumerated for OLECONTF_OTHERS
    std::vector<DWORD> enumFlags;
    // The enumerators handed out, oldest first.
    std::vector<std::unique_ptr<FakeEnumUnknown>> enumerators;

    struct FileSave {
        std::wstring name;
        BOOL remember;
        bool operator==(const FileSave&) const = default;
    };
    std::vector<FileSave> fileSaves;
    HRESULT fileSaveResult = S_OK;
    std::vector<std::uint8_t> loaded; // the bytes of the last stream load
    int streamLoads = 0;
    HRESULT streamLoadResult = S_OK;
    std::vector<std::uint8_t> saveBytes;       // what a stream save writes
    std::vector<BOOL> streamSaves;             // the clear-dirty flag of each
    std::vector<std::wstring> enabledCommands; // what queryCommandEnabled answers true for

    // IHTMLDocument2 (and IHTMLDocument)
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** p) override;
    HRESULT STDMETHODCALLTYPE get_all(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE get_body(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE get_activeElement(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE get_images(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE get_links(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE get_forms(IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE put_title(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_title(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_readyState(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_frames(IHTMLFramesCollection2** p) override;
    HRESULT STDMETHODCALLTYPE put_designMode(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_designMode(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_selection(IHTMLSelectionObject** p) override;
    HRESULT STDMETHODCALLTYPE get_location(IHTMLLocation** p) override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_cookie(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_cookie(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE put_charset(BSTR v) override;
    HRESULT STDMETHODCALLTYPE get_charset(BSTR* p) override;
    HRESULT STDMETHODCALLTYPE get_parentWindow(IHTMLWindow2** p) override;
    HRESULT STDMETHODCALLTYPE queryCommandEnabled(BSTR cmdID, VARIANT_BOOL* pfRet) override;
    // IHTMLDocument3
    HRESULT STDMETHODCALLTYPE get_documentElement(IHTMLElement** p) override;
    HRESULT STDMETHODCALLTYPE getElementsByName(BSTR v, IHTMLElementCollection** p) override;
    HRESULT STDMETHODCALLTYPE getElementById(BSTR v, IHTMLElement** p) override;
    // IOleContainer
    HRESULT STDMETHODCALLTYPE EnumObjects(DWORD flags, IEnumUnknown** ppenum) override;
    // IPersistFile and IPersistStreamInit
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, WINBOOL remember) override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, WINBOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }

protected:
    [[nodiscard]] void* MoreInterfaces(REFIID riid) noexcept override;

private:
    std::vector<std::unique_ptr<FakeCollection>> FFound; // getElementsByName results
};

} // namespace tn::test
