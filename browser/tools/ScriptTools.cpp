#include "browser/tools/ScriptTools.h"

#include "browser/host/HwbGuids.h"
#include "browser/tools/ToolBasics.h"

#include <docobj.h>

#include <climits>
#include <cstring>
#include <new>
#include <string_view>

namespace tn {

namespace {

// 8-bit text in the system code page, as the script host's strings are made from it.
std::wstring FromAnsi(std::string_view s) {
    if (s.empty()) return {};
    if (s.size() > INT_MAX) throw std::bad_alloc();
    const int size = static_cast<int>(s.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, s.data(), size, out.data(), n);
    return out;
}

// The automation arguments of one call, cleared once the call is over: each text argument is a
// string of its own, so clearing frees it; a by-reference argument stays its owner's.
class ArgumentList {
public:
    explicit ArgumentList(std::size_t count) : FArgs(count) {
        for (VARIANT& v : FArgs)
            ::VariantInit(&v);
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    ~ArgumentList() {
        for (VARIANT& v : FArgs)
            (void)::VariantClear(&v);
    }
    [[nodiscard]] VARIANT& operator[](std::size_t i) noexcept { return FArgs[i]; }
    [[nodiscard]] VARIANT* data() noexcept { return FArgs.data(); }
    [[nodiscard]] UINT size() const noexcept { return static_cast<UINT>(FArgs.size()); }

private:
    std::vector<VARIANT> FArgs;
};

void SetText(VARIANT& v, std::wstring_view s) {
    v.bstrVal = Bstr(s).detach();
    v.vt = VT_BSTR;
}

// One list item as an automation argument; index counts from the end of the list.
struct ArgumentMaker {
    VARIANT& v;
    std::size_t index;

    [[noreturn]] void Unsupported() const {
        throw EOleError(L"Unsupported type for Parameter with Index " + std::to_wstring(index));
    }
    void operator()(int i) const noexcept {
        v.vt = VT_I4;
        v.lVal = i;
    }
    void operator()(bool b) const noexcept {
        v.vt = VT_BOOL;
        v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void operator()(char c) const { SetText(v, FromAnsi(std::string_view(&c, 1))); }
    void operator()(double d) const noexcept {
        v.vt = VT_R8;
        v.dblVal = d;
    }
    void operator()(const char* p) const { SetText(v, FromAnsi(p ? p : "")); }
    void operator()(wchar_t c) const { SetText(v, std::wstring_view(&c, 1)); }
    void operator()(const wchar_t* p) const { SetText(v, p ? p : L""); }
    void operator()(const std::string& s) const { SetText(v, FromAnsi(s)); }
    void operator()(const CY& c) const noexcept {
        v.vt = VT_CY;
        v.cyVal = c;
    }
    void operator()(VARIANT* p) const {
        if (!p) Unsupported();
        v.vt = VT_VARIANT | VT_BYREF;
        v.pvarVal = p;
    }
    void operator()(const std::wstring& s) const { SetText(v, s); }
    void operator()(std::int64_t i) const noexcept {
        v.vt = VT_I8;
        v.llVal = i;
    }
    // The text after its length byte.
    void operator()(const TShortString& s) const {
        SetText(v, FromAnsi(std::string_view(reinterpret_cast<const char*>(s.bytes.data() + 1),
                                             s.bytes[0])));
    }
    void operator()(IUnknown*) const { Unsupported(); }
};

} // namespace

HRESULT ExecOleCommand(IUnknown* Document, bool UseGroup, DWORD CmdID, DWORD ExecOpt, VARIANT* In,
                       VARIANT* Out) noexcept {
    // The callee gets a pointer to a copy of its own.
    GUID group = CGID_IWebBrowser;
    if (!IsHtmlDocument(Document)) return S_FALSE;
    ComPtr<IOleCommandTarget> target;
    (void)Document->QueryInterface(IID_IOleCommandTarget, target.put_void());
    if (!target) return S_FALSE;
    return target->Exec(UseGroup ? &group : nullptr, CmdID, ExecOpt, In, Out);
}

void InvokeScriptMethod(IDispatch* Obj, const std::wstring& Name,
                        const std::vector<TScriptArg>& Args, OleVariant& Result) {
    Result = OleVariant(false);
    std::wstring name = Name;
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    if (!Obj || FAILED(Obj->GetIDsOfNames(IID_NULL, names, 1, 0, &id)))
        throw EOleError(L"This object does not support this method");

    // The last item comes first: the callee reads its arguments from the end of the array.
    ArgumentList args(Args.size());
    for (std::size_t i = 0; i < Args.size(); ++i)
        std::visit(ArgumentMaker{args[i], i}, Args[Args.size() - 1 - i]);
    DISPPARAMS params{args.data(), nullptr, args.size(), 0};
    EXCEPINFO excep{};
    OleVariant out;
    const HRESULT hr = Obj->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                                   out.put(), &excep, nullptr);
    if (hr != S_OK && excep.pfnDeferredFillIn) (void)excep.pfnDeferredFillIn(&excep);
    const Bstr description = Bstr::Attach(excep.bstrDescription);
    const Bstr source = Bstr::Attach(excep.bstrSource);
    const Bstr helpFile = Bstr::Attach(excep.bstrHelpFile);
    if (hr != S_OK)
        throw EOleError(L"Method call unsuccessful. " + description.str() + L" (" + source.str() +
                        L").");
    Result = std::move(out);
}

void ExecScriptFunction(TBrowserToolHost& Host, const std::wstring& Name,
                        const std::vector<TScriptArg>& Args, OleVariant& Result) {
    Result.Clear();
    ComPtr<IHTMLDocument2> doc;
    if (!Host.DocumentLoaded(doc)) return;
    ComPtr<IDispatch> script;
    OleCheck(doc->get_Script(script.put()));
    InvokeScriptMethod(script.get(), Name, Args, Result);
}

void ExecScriptCode(TBrowserToolHost& Host, const std::wstring& Code,
                    const std::wstring& Language) noexcept {
    try {
        ComPtr<IHTMLDocument2> doc;
        if (!Host.DocumentLoaded(doc)) return;
        ComPtr<IHTMLWindow2> window;
        if (FAILED(doc->get_parentWindow(window.put())) || !window) return;
        OleVariant result;
        (void)window->execScript(Bstr(Code).get(), Bstr(Language).get(), result.put());
    } catch (...) {
        // The page's script is its own business: nothing of it reaches the caller.
    }
}

void StringToByteArray(const std::wstring& Text, OleVariant& Out) {
    Out.Clear();
    if (Text.empty()) return;
    SAFEARRAY* bytes = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(Text.size()));
    if (!bytes) throw std::bad_alloc();
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(bytes, &data))) {
        (void)::SafeArrayDestroy(bytes);
        throw std::bad_alloc();
    }
    auto* p = static_cast<std::uint8_t*>(data);
    for (const wchar_t c : Text)
        *p++ = static_cast<std::uint8_t>(c);
    (void)::SafeArrayUnaccessData(bytes);
    VARIANT* v = Out.put();
    v->vt = VT_ARRAY | VT_UI1;
    v->parray = bytes;
}

bool WaitForDocument(TBrowserToolHost& Host) {
    return Host.Wait(0);
}

} // namespace tn
