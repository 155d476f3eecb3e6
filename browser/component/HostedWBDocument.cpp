// The browser component's document, its frames, loading markup into it and saving it, its source,
// form fields and scripts.
#include "browser/component/HostedWB.h"
#include "browser/component/StreamAdapter.h"
#include "browser/tools/BrowserCommands.h"
#include "browser/tools/Content.h"
#include "browser/tools/DocScroll.h"
#include "browser/tools/TextSearch.h"

#include "classlib/Graphics.h"
#include "classlib/Lines.h"
#include "classlib/StdCtrls.h"
#include "classlib/Text.h"

#include <cstdint>
#include <utility>

namespace tn {

namespace {

// The one place where the operations that report no error drop the page's and the control's
// failures: without a document or with one that refuses, they give their empty value.
template <typename T, typename F> T EmptyOnOleError(F&& body) {
    try {
        return body();
    } catch (const EOleError&) {
        return T{};
    }
}

// A control that cannot hand out its document gives its failing call's code.
template <typename F> HRESULT ResultOf(F&& body) {
    try {
        return body();
    } catch (const EOleSysError& e) {
        return e.ErrorCode();
    }
}

// The object FrameNo (from 0) that the document's container enumerates with Flags, as a browser.
ComPtr<IWebBrowser2> EnumeratedFrame(IUnknown* Document, DWORD Flags, ULONG FrameNo) {
    const auto container = ComPtr<IUnknown>(Document).as<IOleContainer>();
    ComPtr<IEnumUnknown> objects;
    if (!container || FAILED(container->EnumObjects(Flags, objects.put())) || !objects) return {};
    (void)objects->Skip(FrameNo);
    IUnknown* fetched = nullptr;
    const HRESULT hr = objects->Next(1, &fetched, nullptr);
    const auto object = ComPtr<IUnknown>::Attach(fetched);
    return hr == S_OK ? object.as<IWebBrowser2>() : nullptr;
}

ComPtr<IDispatch> FrameDocument(IWebBrowser2* Frame) {
    ComPtr<IDispatch> document;
    if (!Frame || FAILED(Frame->get_Document(document.put()))) return {};
    return document;
}

// The document of the component's frame FrameNo, found as GetFrame finds it.
ComPtr<IDispatch> FrameDocumentAt(const THostedWB& wb, int FrameNo) {
    if (FrameNo < 0) return {};
    return FrameDocument(
        EnumeratedFrame(wb.Document().get(), OLECONTF_EMBEDDINGS, static_cast<ULONG>(FrameNo))
            .get());
}

// Asks for an empty document when there is none and goes on without waiting for it. A refused
// navigation leaves no document, which the caller reports.
ComPtr<IDispatch> DocumentOrBlank(THostedWB& wb) {
    if (auto document = wb.Document()) return document;
    try {
        wb.AssignEmptyDocument(false);
    } catch (const EOleError&) {
        // The control refused the navigation: still no document.
    }
    return wb.Document();
}

// Loads the whole stream; the stream stays the caller's.
HRESULT LoadIntoDocument(IUnknown* Document, TMemoryStream& Stream) {
    const auto persist = ComPtr<IUnknown>(Document).as<IPersistStreamInit>();
    if (!persist) return S_FALSE;
    Stream.SetPosition(0);
    const auto adapter = MemoryStreamAdapter::Create(Stream);
    const HRESULT result = persist->Load(adapter.get());
    adapter->Detach();
    return result;
}

HRESULT SaveDocumentToFile(IUnknown* Document, const std::wstring& FileName) {
    const auto persist = ComPtr<IUnknown>(Document).as<IPersistFile>();
    if (!persist) return S_FALSE;
    return persist->Save(FileName.c_str(), FALSE);
}

// Written at the stream's position; the document is no longer dirty.
HRESULT SaveDocumentToStream(IUnknown* Document, TMemoryStream& Stream) {
    const auto persist = ComPtr<IUnknown>(Document).as<IPersistStreamInit>();
    if (!persist) return S_FALSE;
    const auto adapter = MemoryStreamAdapter::Create(Stream);
    const HRESULT result = persist->Save(adapter.get(), TRUE);
    adapter->Detach();
    return result;
}

// Read as lines: a byte-order mark decides, else CodePage. S_OK, or S_FALSE for any failure.
HRESULT SaveDocumentToStrings(IUnknown* Document, UINT CodePage,
                              std::vector<std::wstring>& Lines) noexcept {
    try {
        TMemoryStream stream;
        if (SaveDocumentToStream(Document, stream) != S_OK) return S_FALSE;
        Lines = LinesFromBytes(stream.Bytes(), CodePage);
        return S_OK;
    } catch (...) {
        // Memory, or a code page the system cannot read from: the lines stay as they were.
        return S_FALSE;
    }
}

// The picture as a bitmap file. A picture of another kind is drawn into a bitmap of its size, so
// that the image keeps its own picture. False without a picture.
bool WritePictureBitmap(TPicture& Picture, TMemoryStream& Stream) {
    if (!Picture.HasGraphic()) return false;
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(Picture.Graphic())) {
        bitmap->SaveToStream(Stream);
        return true;
    }
    TBitmap drawn;
    drawn.SetSize(Picture.Width(), Picture.Height());
    Picture.Graphic()->Draw(drawn.Canvas(), RECT{0, 0, Picture.Width(), Picture.Height()});
    drawn.SaveToStream(Stream);
    return true;
}

// The items of a comma-separated list; none for an empty text.
std::vector<std::wstring> CommaItems(const std::wstring& List) {
    std::vector<std::wstring> items;
    if (List.empty()) return items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = List.find(L',', start);
        items.push_back(text::Trim(List.substr(start, comma - start)));
        if (comma == std::wstring::npos) return items;
        start = comma + 1;
    }
}

} // namespace

// --- document and frames ------------------------------------------------------------------------

ComPtr<IWebBrowser2> THostedWB::GetFrame(WORD FrameNo) {
    return EmptyOnOleError<ComPtr<IWebBrowser2>>(
        [&] { return EnumeratedFrame(Document().get(), OLECONTF_EMBEDDINGS, FrameNo); });
}

ComPtr<IWebBrowser2> THostedWB::GetFrameFromDocument(IHTMLDocument2* SourceDoc, int FrameNo) {
    return EmptyOnOleError<ComPtr<IWebBrowser2>>([&] {
        ComPtr<IWebBrowser2> frame;
        if (DocumentLoaded()) GetFrameBrowser(SourceDoc, FrameNo, frame);
        return frame;
    });
}

void THostedWB::RefreshFrame(WORD FrameNo) {
    if (!LivesAfterWait()) return;
    // The frame's own reload reports nothing to the caller.
    if (const auto frame = GetFrame(FrameNo)) (void)frame->Refresh();
}

ComPtr<IHTMLDocument2> THostedWB::NavigateToFrame(const std::wstring& FrameList) {
    return EmptyOnOleError<ComPtr<IHTMLDocument2>>([&]() -> ComPtr<IHTMLDocument2> {
        ComPtr<IHTMLDocument2> document = GetDocument();
        for (const std::wstring& item : CommaItems(FrameList)) {
            std::int32_t frameNo = 0;
            if (!document || !text::TryStrToInt(item, frameNo)) return nullptr;
            document = FrameDocument(GetFrameFromDocument(document.get(), frameNo).get())
                           .as<IHTMLDocument2>();
        }
        return document;
    });
}

int THostedWB::FrameCount() {
    if (!LivesAfterWait()) return 0;
    return EmptyOnOleError<int>([&] { return CountFrameBrowsers(Document().get()); });
}

int THostedWB::FrameCountFromDocument(IHTMLDocument2* SourceDoc) {
    if (!LivesAfterWait()) return 0;
    return CountEmbeddedObjects(SourceDoc);
}

ComPtr<IHTMLDocument2> THostedWB::GetActiveFrame() {
    return EmptyOnOleError<ComPtr<IHTMLDocument2>>([&] {
        ComPtr<IHTMLDocument2> document;
        (void)DocumentLoaded(document);
        return GetActiveFrame(document.get());
    });
}

ComPtr<IHTMLDocument2> THostedWB::GetActiveFrame(IHTMLDocument2* Doc) {
    ComPtr<IHTMLDocument2> current(Doc);
    while (current) {
        ComPtr<IHTMLElement> active;
        if (FAILED(current->get_activeElement(active.put())) || !active.as<IHTMLFrameElement>())
            break;
        auto inner = FrameDocument(active.as<IWebBrowser2>().get()).as<IHTMLDocument2>();
        if (!inner) break;
        current = std::move(inner);
    }
    return current;
}

ComPtr<IHTMLElement> THostedWB::GetActiveElement(IHTMLDocument2* Doc) {
    const ComPtr<IHTMLDocument2> document = Doc ? ComPtr<IHTMLDocument2>(Doc) : GetActiveFrame();
    ComPtr<IHTMLElement> active;
    if (!document || FAILED(document->get_activeElement(active.put()))) return {};
    return active;
}

std::wstring THostedWB::GetSelectedText(bool ReturnAsHTML, bool bOnlyTopLevel) {
    return EmptyOnOleError<std::wstring>([&]() -> std::wstring {
        ComPtr<IHTMLDocument2> top;
        if (!DocumentLoaded(top)) return {};
        const ComPtr<IHTMLDocument2> document = bOnlyTopLevel ? top : GetActiveFrame(top.get());
        Bstr state;
        if (FAILED(document->get_readyState(state.put())) || state.str() != L"complete") return {};
        ComPtr<IHTMLSelectionObject> selection;
        if (FAILED(document->get_selection(selection.put())) || !selection) return {};
        Bstr type;
        if (FAILED(selection->get_type(type.put())) || text::SameText(type.str(), L"none") ||
            text::SameText(type.str(), L"control"))
            return {};
        ComPtr<IDispatch> created;
        if (FAILED(selection->createRange(created.put()))) return {};
        const auto range = created.as<IHTMLTxtRange>();
        Bstr selected;
        if (!range || FAILED(ReturnAsHTML ? range->get_htmlText(selected.put())
                                          : range->get_text(selected.put())))
            return {};
        return selected.str();
    });
}

int THostedWB::GetSelLength(bool bOnlyTopLevel) {
    return static_cast<int>(GetSelectedText(false, bOnlyTopLevel).size());
}

// --- loading ------------------------------------------------------------------------------------

HRESULT THostedWB::LoadFromString(const std::wstring& St) {
    ComPtr<IDispatch> document;
    TMemoryStream stream;
    try {
        document = DocumentOrBlank(*this);
        if (!document.as<IPersistStreamInit>()) return S_FALSE;
        const std::vector<std::uint8_t> bytes = EncodeText(St, FEncoding);
        stream.Write(bytes.data(), bytes.size());
    } catch (const EOleError&) {
        return S_FALSE;
    }
    // Of all the loaders only this one lets a failing load reach its caller.
    OleCheck(LoadIntoDocument(document.get(), stream));
    return S_OK;
}

HRESULT THostedWB::LoadFromWideString(const std::wstring& WideSt) {
    return LoadFromStrings(text::SplitLines(WideSt));
}

HRESULT THostedWB::LoadFromFile(const std::wstring& FileName) {
    TMemoryStream stream;
    try {
        stream.LoadFromFile(FileName);
    } catch (const EFileError& e) {
        return e.Win32Error() ? HRESULT_FROM_WIN32(e.Win32Error()) : E_FAIL;
    }
    return LoadFromStream(stream);
}

HRESULT THostedWB::LoadFromImage(TImage* Image) {
    if (!Image) return S_FALSE;
    TMemoryStream stream;
    try {
        if (!WritePictureBitmap(Image->Picture(), stream)) return S_FALSE;
    } catch (const EInvalidGraphic&) {
        return S_FALSE;
    }
    return LoadFromStream(stream);
}

HRESULT THostedWB::LoadFrameFromStrings(WORD FrameNo, const std::vector<std::wstring>& AStrings) {
    try {
        (void)DocumentOrBlank(*this);
        const ComPtr<IDispatch> document = FrameDocumentAt(*this, FrameNo);
        if (!document) return S_FALSE;
        const std::vector<std::uint8_t> bytes = EncodeText(text::LinesText(AStrings), FEncoding);
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        return LoadIntoDocument(document.get(), stream);
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT THostedWB::LoadFrameFromStream(int FrameNo, TMemoryStream& AStream) {
    AStream.SetPosition(0);
    try {
        (void)DocumentOrBlank(*this);
        const ComPtr<IDispatch> document = FrameDocumentAt(*this, FrameNo);
        if (!document) return S_FALSE;
        return LoadIntoDocument(document.get(), AStream);
    } catch (...) {
        return S_FALSE;
    }
}

// --- saving -------------------------------------------------------------------------------------

HRESULT THostedWB::SaveToStream(TMemoryStream& AStream) {
    return ResultOf([&] {
        if (!LivesAfterWait()) return E_ABORT;
        return SaveDocumentToStream(Document().get(), AStream);
    });
}

HRESULT THostedWB::SaveToStrings(std::vector<std::wstring>& AStrings) {
    try {
        if (!LivesAfterWait()) return S_FALSE;
        return SaveDocumentToStrings(Document().get(), FEncoding, AStrings);
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT THostedWB::SaveFrameToFile(WORD FrameNo, const std::wstring& FName) {
    return ResultOf(
        [&] { return SaveDocumentToFile(FrameDocumentAt(*this, FrameNo).get(), FName); });
}

HRESULT THostedWB::SaveFrameToStream(int FrameNo, TMemoryStream& AStream) {
    return ResultOf(
        [&] { return SaveDocumentToStream(FrameDocumentAt(*this, FrameNo).get(), AStream); });
}

HRESULT THostedWB::SaveFrameToStrings(int FrameNo, std::vector<std::wstring>& AStrings) {
    try {
        return SaveDocumentToStrings(FrameDocumentAt(*this, FrameNo).get(), FEncoding, AStrings);
    } catch (...) {
        return S_FALSE;
    }
}

// --- source, fields and scripts -----------------------------------------------------------------

std::wstring THostedWB::DocumentSource() {
    return EmptyOnOleError<std::wstring>([&] { return GetDocumentSource(Application().get()); });
}

std::wstring THostedWB::DocumentSourceText() {
    return EmptyOnOleError<std::wstring>(
        [&] { return GetDocumentSourceText(Application().get(), Document().get()); });
}

bool THostedWB::AddHtmlToAboutBlank(const std::wstring& StringToHtml) {
    return EmptyOnOleError<bool>([&] { return NavigateToAboutHtml(*this, StringToHtml); });
}

std::wstring THostedWB::GetFieldValue(const std::wstring& FieldName) {
    return EmptyOnOleError<std::wstring>(
        [&] { return GetFormFieldValue(Application().get(), FieldName); });
}

bool THostedWB::FillForm(const std::wstring& FieldName, const std::wstring& Value, int ElementNr) {
    return FillDocumentForm(*this, FieldName, Value, ElementNr);
}

void THostedWB::FillFormAndExcecute() {
    (void)EmptyOnOleError<bool>([] {
        FillShellWindowForms();
        return true;
    });
}

bool THostedWB::SetCharartersSet(const std::wstring& ACharactersSet, bool Refresh) {
    return EmptyOnOleError<bool>(
        [&] { return SetDocumentCharset(*this, Document().get(), ACharactersSet, Refresh); });
}

void THostedWB::ExecScript(const std::wstring& sExpression, const std::wstring& sLanguage) {
    ExecScriptCode(*this, sExpression, sLanguage);
}

OleVariant THostedWB::ExecScriptEx(const std::wstring& MethodName,
                                   const std::vector<TScriptArg>& Args) {
    OleVariant result;
    ExecScriptFunction(*this, MethodName, Args, result);
    return result;
}

std::wstring THostedWB::GetWordAtCursor(int X, int Y) {
    return GetWordAtPoint(*this, X, Y);
}

} // namespace tn
