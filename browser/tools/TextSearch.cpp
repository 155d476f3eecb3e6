#include "browser/tools/TextSearch.h"

#include "browser/tools/DocScroll.h"
#include "browser/tools/ScriptTools.h"
#include "browser/tools/ToolBasics.h"
#include "classlib/Dialogs.h"
#include "classlib/OleAuto.h"
#include "classlib/Text.h"

#include <exception>

namespace tn {

namespace {

// The find flags of a text range: whole word 2, match case 4.
constexpr LONG FindTextFlags(TSearchFlags Flags) noexcept {
    return (Flags.Contains(sfMatchWholeWord) ? 2 : 0) | (Flags.Contains(sfMatchCase) ? 4 : 0);
}

// A text range over the document's body; empty when there is no body.
ComPtr<IHTMLTxtRange> BodyRange(IHTMLDocument2* Doc) {
    ComPtr<IHTMLElement> body;
    OleCheck(Doc->get_body(body.put()));
    if (!body) return nullptr;
    const ComPtr<IHTMLBodyElement> bodyElement = body.as<IHTMLBodyElement>();
    if (!bodyElement) throw EOleSysError(E_NOINTERFACE);
    ComPtr<IHTMLTxtRange> range;
    OleCheck(bodyElement->createTextRange(range.put()));
    return range;
}

void RunColourCommand(IHTMLTxtRange* Range, const wchar_t* Command, const std::wstring& Colour) {
    if (Colour.empty()) return;
    VARIANT_BOOL done = VARIANT_FALSE;
    OleCheck(
        Range->execCommand(Bstr(Command).get(), VARIANT_FALSE, OleVariant(Colour).get(), &done));
}

// The field's value through the interface its tag promises.
template <typename Field>
void PutFieldValue(const ComPtr<IHTMLElement>& Element, const std::wstring& Value) {
    const ComPtr<Field> field = Element.as<Field>();
    if (!field) throw EOleSysError(E_NOINTERFACE);
    OleCheck(field->put_value(Bstr(Value).get()));
}

ComPtr<IDispatch> ObjectOf(const OleVariant& v) {
    return VariantToDispatch(v.get());
}

LONG LengthOf(IDispatch* Collection) {
    return VariantToInt(OleGetProperty(Collection, L"Length").get());
}

// The two checks of one element of a shell window's form, each failing on its own.
void FillShellFormElement(IDispatch* Element) {
    try {
        if (text::SameText(VariantToString(OleGetProperty(Element, L"tagName").get()), L"INPUT") &&
            text::SameText(VariantToString(OleGetProperty(Element, L"type").get()), L"text"))
            OleSetProperty(Element, L"Value", OleVariant(L"FindWindow").get());
    } catch (const EOleError&) {
        // An element that cannot say what it is gets no text; the next check still runs.
    }
    try {
        if (text::SameText(VariantToString(OleGetProperty(Element, L"tagName").get()), L"INPUT") &&
            text::SameText(VariantToString(OleGetProperty(Element, L"type").get()), L"SUBMIT") &&
            VariantToString(OleGetProperty(Element, L"Value").get()) == L"Search")
            (void)OleCallMethod(Element, L"Click");
    } catch (const EOleError&) {
        // Nor is it clicked.
    }
}

HRESULT CreateSystemShellWindows(IShellWindows** Windows) {
    return ::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                              reinterpret_cast<void**>(Windows));
}

// HighlightTextInFrames once the text is settled.
void HighlightInFrames(IUnknown* Document, const std::wstring& Text, TSearchFlags Flags,
                       const std::wstring& BackColor, const std::wstring& ForeColor,
                       TScrollIntoView ScrollMode) {
    const int objects = CountEmbeddedObjects(Document);
    if (objects < 1) {
        (void)HighlightText(Document, Text, Flags, BackColor, ForeColor, ScrollMode);
        return;
    }
    for (int i = 0; i < objects; ++i) {
        ComPtr<IWebBrowser2> frame;
        GetFrameBrowser(Document, i, frame);
        if (!frame) continue;
        ComPtr<IDispatch> frameDocument;
        OleCheck(frame->get_Document(frameDocument.put()));
        if (IsHtmlDocument(frameDocument.get()))
            HighlightInFrames(frameDocument.get(), Text, Flags, BackColor, ForeColor, ScrollMode);
    }
}

} // namespace

void FindTextRange(TBrowserToolHost& Host, IUnknown* Document, const std::wstring& Text, LONG Count,
                   LONG Flags, ComPtr<IHTMLTxtRange>& Range) {
    Range.reset();
    try {
        if (!Host.LivesAfterWait() || !IsHtmlDocument(Document)) return;
        ComPtr<IHTMLDocument2> doc;
        OleCheck(Document->QueryInterface(IID_IHTMLDocument2, doc.put_void()));
        const ComPtr<IHTMLTxtRange> range = BodyRange(doc.get());
        if (!range) return;
        LONG moved = 0;
        OleCheck(range->moveStart(Bstr(L"character").get(), Count, &moved));
        VARIANT_BOOL found = VARIANT_FALSE;
        OleCheck(range->findText(Bstr(Text).get(), moved != 0 ? Count : 1, Flags, &found));
        if (!found) return;
        OleCheck(range->scrollIntoView(VARIANT_TRUE));
        Range = range;
    } catch (const std::exception&) {
        // The class library's errors (all of them std::exception) mean no match; others go on.
        Range.reset();
    }
}

bool DocumentContainsText(TBrowserToolHost& Host, const std::wstring& Text) {
    try {
        if (!Host.LivesAfterWait()) return false;
        const ComPtr<IHTMLDocument2> doc = Host.Document().as<IHTMLDocument2>();
        if (!doc) return false;
        const ComPtr<IHTMLTxtRange> range = BodyRange(doc.get());
        if (!range) return false;
        VARIANT_BOOL found = VARIANT_FALSE;
        OleCheck(range->findText(Bstr(Text).get(), 1, 0, &found));
        return found != VARIANT_FALSE;
    } catch (const std::exception&) {
        // As in FindTextRange: a page that cannot be searched does not hold the text.
        return false;
    }
}

int HighlightText(IUnknown* Document, const std::wstring& Text, TSearchFlags Flags,
                  const std::wstring& BackColor, const std::wstring& ForeColor,
                  TScrollIntoView ScrollMode) {
    ComPtr<IHTMLDocument2> doc;
    if (Text.empty() || !Document) return 0;
    (void)Document->QueryInterface(IID_IHTMLDocument2, doc.put_void());
    if (!doc) return 0;
    const ComPtr<IHTMLTxtRange> range = BodyRange(doc.get());
    if (!range) return 0;
    const Bstr what(Text);
    const LONG flags = FindTextFlags(Flags);
    int count = 0;
    for (;;) {
        VARIANT_BOOL found = VARIANT_FALSE;
        OleCheck(range->findText(what.get(), 1, flags, &found));
        if (!found) break;
        RunColourCommand(range.get(), L"BackColor", BackColor);
        RunColourCommand(range.get(), L"ForeColor", ForeColor);
        // From just after the match's start to the end of the text: the next search starts there.
        LONG moved = 0;
        OleCheck(range->moveStart(Bstr(L"Character").get(), 1, &moved));
        OleCheck(range->moveEnd(Bstr(L"Textedit").get(), 1, &moved));
        if (count == 0 && ScrollMode == sivFirstMatch)
            OleCheck(range->scrollIntoView(VARIANT_TRUE));
        ++count;
    }
    if (count > 1 && ScrollMode == sivLastMatch) OleCheck(range->scrollIntoView(VARIANT_TRUE));
    return count;
}

void HighlightTextInFrames(TBrowserToolHost& Host, IUnknown* Document, std::wstring Text,
                           const std::wstring& Caption, const std::wstring& PromptText,
                           TSearchFlags Flags, const std::wstring& BackColor,
                           const std::wstring& ForeColor, TScrollIntoView ScrollMode, bool Prompt) {
    if (!IsHtmlDocument(Document)) return;
    if (Prompt && !Host.AnswerIfLives(
                      false, [&] { return DialogCalls().InputQuery(Caption, PromptText, Text); }))
        return;
    if (Text.empty()) return;
    HighlightInFrames(Document, Text, Flags, BackColor, ForeColor, ScrollMode);
}

bool SetFormFieldValue(IHTMLDocument3* Doc, const std::wstring& FieldName,
                       const std::wstring& Value, int ElementNr) noexcept {
    if (!Doc) return false;
    try {
        ComPtr<IHTMLElementCollection> fields;
        OleCheck(Doc->getElementsByName(Bstr(FieldName).get(), fields.put()));
        if (!fields) return false;
        LONG first = ElementNr, last = ElementNr;
        if (ElementNr == -1) {
            LONG length = 0;
            OleCheck(fields->get_length(&length));
            first = 0;
            last = length - 1;
        } else if (ElementNr <= 0) {
            return false;
        }
        for (LONG i = first; i <= last; ++i) {
            ComPtr<IDispatch> item;
            OleCheck(fields->item(OleVariant(i).get(), OleVariant(LONG{0}).get(), item.put()));
            const ComPtr<IHTMLElement> element = item.as<IHTMLElement>();
            if (!element) continue;
            Bstr tag;
            OleCheck(element->get_tagName(tag.put()));
            const std::wstring tagName = text::UpperCase(tag.str());
            if (tagName == L"INPUT")
                PutFieldValue<IHTMLInputElement>(element, Value);
            else if (tagName == L"SELECT")
                PutFieldValue<IHTMLSelectElement>(element, Value);
            else if (tagName == L"TEXTAREA")
                PutFieldValue<IHTMLTextAreaElement>(element, Value);
            else
                continue;
            return true;
        }
    } catch (...) {
        // A form that fights back is left as it is: nothing was set.
    }
    return false;
}

bool FillDocumentForm(TBrowserToolHost& Host, const std::wstring& FieldName,
                      const std::wstring& Value, int ElementNr) noexcept {
    try {
        const ComPtr<IHTMLDocument3> doc = Host.Document().as<IHTMLDocument3>();
        return doc && SetFormFieldValue(doc.get(), FieldName, Value, ElementNr);
    } catch (...) {
        // As SetFormFieldValue: a failure sets nothing.
        return false;
    }
}

std::wstring GetFormFieldValue(IDispatch* Application, const std::wstring& FieldName) {
    std::wstring result;
    if (!Application) return result;
    if (!IsHtmlDocument(ObjectOf(OleGetProperty(Application, L"Document")).get())) return result;
    const OleVariant formTags =
        OleCallMethod(Application, L"Document.all.tags", {OleVariant(L"FORM")});
    if (LengthOf(ObjectOf(formTags).get()) == 0) return result;
    const LONG forms = VariantToInt(OleGetProperty(Application, L"Document.forms.Length").get());
    for (LONG i = 0; i < forms; ++i) {
        const ComPtr<IDispatch> form =
            ObjectOf(OleCallMethod(Application, L"Document.forms.item", {OleVariant(i)}));
        const LONG elements = LengthOf(form.get());
        for (LONG j = 0; j < elements; ++j) {
            try {
                const ComPtr<IDispatch> element =
                    ObjectOf(OleCallMethod(form.get(), L"item", {OleVariant(j)}));
                if (VariantToString(OleGetProperty(element.get(), L"Name").get()) == FieldName)
                    result = VariantToString(OleGetProperty(element.get(), L"Value").get());
            } catch (const EOleError&) {
                // One element that cannot be read does not hide the others.
            }
        }
    }
    return result;
}

const ShellWindowsCalls& SystemShellWindowsCalls() noexcept {
    static constexpr ShellWindowsCalls calls{&CreateSystemShellWindows};
    return calls;
}

void FillShellWindowForms(const ShellWindowsCalls& calls) {
    // A collection that cannot be opened or counted (this Wine's cannot count) and a window that
    // cannot be reached or shows no page hold nothing to fill.
    ComPtr<IShellWindows> windows;
    LONG count = 0;
    if (FAILED(calls.createShellWindows(windows.put())) || !windows ||
        FAILED(windows->get_Count(&count)))
        return;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<IDispatch> window;
        if (FAILED(windows->Item(OleVariant(i).get(), window.put()))) continue;
        const ComPtr<IWebBrowser2> browser = window.as<IWebBrowser2>();
        ComPtr<IDispatch> document;
        if (!browser || FAILED(browser->get_Document(document.put()))) continue;
        if (!document.as<IHTMLDocument2>()) continue;
        const ComPtr<IDispatch> forms = ObjectOf(OleGetProperty(document.get(), L"Forms"));
        const LONG formCount = LengthOf(forms.get());
        for (LONG j = 0; j < formCount; ++j) {
            const ComPtr<IDispatch> form =
                ObjectOf(OleCallMethod(forms.get(), L"Item", {OleVariant(j)}));
            const ComPtr<IDispatch> elements = ObjectOf(OleGetProperty(form.get(), L"Elements"));
            const LONG elementCount = LengthOf(elements.get());
            for (LONG k = 0; k < elementCount; ++k)
                FillShellFormElement(
                    ObjectOf(OleCallMethod(elements.get(), L"Item", {OleVariant(k)})).get());
        }
    }
}

} // namespace tn
