#include "browser/tools/Content.h"

#include "browser/tools/Downloads.h"
#include "browser/tools/ToolBasics.h"
#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/FileUtil.h"
#include "classlib/Graphics.h"
#include "classlib/Jpeg.h"
#include "classlib/Lines.h"
#include "classlib/OleAuto.h"
#include "classlib/StdCtrls.h"
#include "classlib/Text.h"

#include <oleidl.h>

#include <array>
#include <string_view>

namespace tn {

namespace {

constexpr wchar_t kNoLinks[] = L"No Links found in the page body";
constexpr LONG kCharsetRefreshLevel = 7;
constexpr LONG kSnapshotIndex = 1;
constexpr std::array<std::wstring_view, 4> kImageKinds{L"GIF", L"JPG", L"BMP", L"PNG"};

std::wstring Text(IDispatch* object, std::wstring_view name) {
    return VariantToString(OleGetProperty(object, name).get());
}

ComPtr<IDispatch> Object(IDispatch* object, std::wstring_view name) {
    return VariantToDispatch(OleGetProperty(object, name).get());
}

LONG Length(IDispatch* collection) {
    return VariantToInt(OleGetProperty(collection, L"Length").get());
}

ComPtr<IDispatch> Item(IDispatch* collection, LONG index) {
    return VariantToDispatch(OleCallMethod(collection, L"item", {OleVariant(index)}).get());
}

// One line of the document element's member; nothing when the page cannot be read.
void ReadDocumentElement(IDispatch* Application, IUnknown* Document, std::wstring_view member,
                         std::vector<std::wstring>& List) noexcept {
    List.clear();
    try {
        if (IsHtmlDocument(Document))
            List.push_back(
                Text(Application, std::wstring(L"Document.documentElement.").append(member)));
    } catch (...) {
        // A page that cannot be read gives an empty list.
    }
}

// The path of an address: what comes before its query or fragment.
std::wstring_view AddressPath(const std::wstring& address) noexcept {
    return std::wstring_view(address).substr(0, address.find_first_of(L"?#"));
}

// A name the system takes for a device whatever its extension ("NUL.png" is the null device).
bool IsDeviceName(std::wstring_view name) {
    std::wstring base = text::UpperCase(name.substr(0, name.find(L'.')));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (const std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (base == device) return true;
    return base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")) &&
           base[3] >= L'1' && base[3] <= L'9';
}

// The picture's file name as the page names it, kept inside the folder it is saved to: every
// path separator, drive colon and parent step is taken out. Empty when nothing is left, or when
// what is left names a device.
std::wstring ImageFileName(const std::wstring& address) {
    const std::wstring_view path = AddressPath(address);
    std::wstring name(path.substr(path.find_last_of(L'/') + 1));
    for (const std::wstring_view unsafe : {L"\\", L"/", L":", L".."})
        name = text::ReplaceAll(name, unsafe, L"");
    return IsDeviceName(name) ? std::wstring() : name;
}

// The kind is read from the address's path: a query that ends in ".png" makes no picture.
bool IsSavedImageKind(const std::wstring& address) {
    const std::wstring_view path = AddressPath(address);
    const auto dot = path.find_last_of(L'.');
    if (dot == std::wstring_view::npos) return false;
    const std::wstring kind = text::UpperCase(path.substr(dot + 1));
    for (const std::wstring_view k : kImageKinds)
        if (kind == k) return true;
    return false;
}

// The page's content drawn into the whole bitmap. No target device is named: the screen's.
void DrawContent(IViewObject& view, TBitmap& bitmap) {
    const RECTL bounds{0, 0, bitmap.Width(), bitmap.Height()};
    OleCheck(view.Draw(DVASPECT_CONTENT, kSnapshotIndex, nullptr, nullptr, nullptr,
                       bitmap.Canvas().Handle(), &bounds, nullptr, nullptr, 0));
    bitmap.Modified();
}

} // namespace

void GetDocumentHtml(IDispatch* Application, IUnknown* Document,
                     std::vector<std::wstring>& List) noexcept {
    ReadDocumentElement(Application, Document, L"innerHTML", List);
}

void GetDocumentText(IDispatch* Application, IUnknown* Document,
                     std::vector<std::wstring>& List) noexcept {
    ReadDocumentElement(Application, Document, L"innerText", List);
}

std::wstring GetDocumentSource(IDispatch* Application) {
    std::vector<std::wstring> list;
    const ComPtr<IDispatch> document = Object(Application, L"Document");
    GetDocumentHtml(Application, document.get(), list);
    return text::LinesText(list);
}

std::wstring GetDocumentSourceText(IDispatch* Application, IUnknown* Document) {
    std::vector<std::wstring> list;
    GetDocumentText(Application, Document, list);
    return text::LinesText(list);
}

void ShowDocumentText(IDispatch* Application, IUnknown* Document) {
    if (!IsHtmlDocument(Document)) return;
    const std::wstring text = Text(Application, L"Document.documentElement.innerText");
    const std::wstring caption = tn::Application ? tn::Application->Title() : std::wstring();
    DialogCalls().MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void CollectLinks(IDispatch* Document, std::vector<std::wstring>& List) {
    if (!Document) return;
    if (Text(Document, L"body.tagName") == L"BODY") {
        const ComPtr<IDispatch> links = Object(Document, L"links");
        const LONG count = Length(links.get());
        for (LONG i = 0; i < count; ++i)
            List.push_back(Text(Item(links.get(), i).get(), L"href"));
        if (count <= 0) List.emplace_back(kNoLinks);
    }
    const ComPtr<IDispatch> frames = Object(Document, L"Frames");
    const LONG count = Length(frames.get());
    for (LONG i = 0; i < count; ++i) {
        try {
            CollectLinks(Object(Item(frames.get(), i).get(), L"Document").get(), List);
        } catch (const EOleError&) {
            // A frame from another site, or one still loading, keeps its links to itself.
        }
    }
}

void GetPageLinks(IDispatch* Application, std::vector<std::wstring>& List) {
    List.clear();
    const ComPtr<IDispatch> document = Object(Application, L"Document");
    if (IsHtmlDocument(document.get())) CollectLinks(document.get(), List);
}

void SaveDocumentTextDialog(TBrowserToolHost& Owner, IDispatch* Application, IUnknown* Document) {
    if (!IsHtmlDocument(Document)) return;
    const std::vector<std::wstring> lines{Text(Application, L"Document.documentElement.innerText")};
    TFileDialogRequest request;
    request.Owner = Owner.HostWindow();
    request.Title = L"Web Site Text";
    request.Filter = L"Text file|*.txt|Word file|*.doc";
    request.DefaultExt = L"txt";
    request.FilterIndex = 1;
    request.FileName = L"WebSiteText.txt";
    if (DialogCalls().SaveFile(request)) SaveLinesToFile(lines, request.FileName);
}

void SaveDocumentImages(TBrowserToolHost& Host, HWND Owner, IDispatch* Application,
                        IUnknown* Document) {
    if (!IsHtmlDocument(Document)) return;
    std::wstring folder;
    if (!Host.AnswerIfLives(
            false, [&] { return DialogCalls().SelectDirectory(Owner, L"Save Images", folder); }))
        return;
    // The download writes nothing into a folder that is missing, so it is made first.
    const std::wstring images = IncludeTrailingBackslash(folder) + L"Images";
    bool made = false;
    const ComPtr<IDispatch> list = Object(Application, L"Document.Images");
    const LONG count = Length(list.get());
    for (LONG i = 0; i < count; ++i) {
        const std::wstring address = Text(Item(list.get(), i).get(), L"Src");
        if (!IsSavedImageKind(address)) continue;
        const std::wstring name = ImageFileName(address);
        if (name.empty()) continue;
        if (!made) made = ForceDirectories(images);
        // As with any download here, its result is not looked at. Its binding may run this
        // thread's messages.
        if (!Host.LivesAfter([&] { (void)DownloadUrlToFile(address, images + L"\\" + name); }))
            return;
    }
}

bool SetDocumentCharset(TBrowserToolHost& Host, IUnknown* Document,
                        const std::wstring& ACharactersSet, bool Refresh) noexcept {
    bool result = false;
    try {
        if (!Host.LivesAfterWait()) return false;
        ComPtr<IHTMLDocument2> document;
        if (!IsHtmlDocument(Document) || !Host.DocumentLoaded(document)) return false;
        OleCheck(document->put_charset(Bstr(ACharactersSet).get()));
        result = true;
        if (IWebBrowser2* browser = Host.Browser(); Refresh && browser) {
            OleVariant level(kCharsetRefreshLevel);
            OleCheck(browser->Refresh2(level.ptr()));
        }
    } catch (...) {
        // A page that refuses the character set, or its reload, leaves the result as it stood.
    }
    return result;
}

void DrawThumbnail(IUnknown* Application, TImage* Image) {
    if (!Image) return;
    TBitmap& bitmap = Image->Picture().Bitmap();
    bitmap.SetSize(Image->Width(), Image->Height());
    const auto view = ComPtr<IUnknown>(Application).as<IViewObject>();
    if (!view) throw EOleSysError(E_NOINTERFACE, L"Interface not supported");
    const RECTL bounds{0, 0, Image->Width(), Image->Height()};
    (void)view->Draw(DVASPECT_DOCPRINT, 0, nullptr, nullptr, nullptr, bitmap.Canvas().Handle(),
                     &bounds, nullptr, nullptr, 0);
    bitmap.Modified();
    Image->Repaint();
}

bool SaveSnapshotBitmap(IUnknown* Document, int Width, int Height,
                        const std::wstring& FileName) noexcept {
    try {
        if (Width <= 0 || Height <= 0 || !IsHtmlDocument(Document)) return false;
        const auto view = ComPtr<IUnknown>(Document).as<IViewObject>();
        if (!view) return false;
        TBitmap bitmap;
        bitmap.SetSize(Width, Height);
        DrawContent(*view.get(), bitmap);
        bitmap.SaveToFile(FileName);
        return true;
    } catch (...) {
        // Any failure is the snapshot's false.
        return false;
    }
}

bool SaveSnapshotJpeg(IUnknown* Browser, const std::wstring& FileName, int SourceHeight,
                      int SourceWidth, int TargetHeight, int TargetWidth) noexcept {
    try {
        if (SourceHeight <= 0 || SourceWidth <= 0 || TargetHeight <= 0 || TargetWidth <= 0)
            return false;
        const auto view = ComPtr<IUnknown>(Browser).as<IViewObject>();
        if (!view) return false;
        TBitmap source;
        source.SetSize(SourceWidth, SourceHeight);
        DrawContent(*view.get(), source);
        TBitmap target;
        target.SetSize(TargetWidth, TargetHeight);
        target.Canvas().StretchDraw({0, 0, TargetWidth, TargetHeight}, source);
        target.Modified();
        TJPEGImage jpeg;
        jpeg.Assign(target);
        jpeg.SaveToFile(FileName);
        return true;
    } catch (...) {
        // Any failure, the bitmap's size bound and the library's errors among them, is false.
        return false;
    }
}

} // namespace tn
