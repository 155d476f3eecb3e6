#include "classlib/OleAuto.h"

#include <string>
#include <vector>

namespace tn {

namespace {

[[noreturn]] void Raise(HRESULT code, std::wstring_view path, std::wstring reason) {
    if (reason.empty()) reason = OleErrorText(code);
    throw EOleSysError(code, std::wstring(path) + L": " + reason);
}

// path[0, end) names the member for messages; path[start, end) is the member itself.
OleVariant Invoke(IDispatch* object, std::wstring_view path, std::size_t start, std::size_t end,
                  WORD flags, DISPPARAMS& params) {
    const std::wstring_view through = path.substr(0, end);
    if (!object) Raise(E_POINTER, through, L"no object");
    std::wstring member(path.substr(start, end - start));
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) Raise(hr, through, {});
    OleVariant result;
    EXCEPINFO ei{};
    UINT argErr = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        flags & DISPATCH_PROPERTYPUT ? nullptr : result.put(), &ei, &argErr);
    std::wstring description = TakeExcepInfo(ei);
    if (FAILED(hr)) Raise(hr, through, std::move(description));
    return result;
}

// The object that holds the last member of path, which starts at last.
ComPtr<IDispatch> Holder(IDispatch* object, std::wstring_view path, std::size_t& last) {
    ComPtr<IDispatch> current(object);
    std::size_t start = 0;
    for (std::size_t dot = path.find(L'.'); dot != std::wstring_view::npos;
         start = dot + 1, dot = path.find(L'.', start)) {
        DISPPARAMS none{};
        const OleVariant value =
            Invoke(current.get(), path, start, dot, DISPATCH_PROPERTYGET, none);
        current = VariantToDispatch(value.get());
        if (!current) {
            const VARTYPE vt = value.vt();
            const bool nil =
                vt == VT_EMPTY || vt == VT_NULL || vt == VT_DISPATCH || vt == VT_UNKNOWN;
            Raise(nil ? E_POINTER : DISP_E_TYPEMISMATCH, path.substr(0, dot), L"not an object");
        }
    }
    last = start;
    return current;
}

} // namespace

OleVariant OleGetProperty(IDispatch* object, std::wstring_view name) {
    std::size_t last = 0;
    const ComPtr<IDispatch> holder = Holder(object, name, last);
    DISPPARAMS none{};
    return Invoke(holder.get(), name, last, name.size(), DISPATCH_PROPERTYGET, none);
}

void OleSetProperty(IDispatch* object, std::wstring_view name, const VARIANT& value) {
    std::size_t last = 0;
    const ComPtr<IDispatch> holder = Holder(object, name, last);
    VARIANT arg = value; // read only by the callee
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    (void)Invoke(holder.get(), name, last, name.size(), DISPATCH_PROPERTYPUT, params);
}

OleVariant OleCallMethod(IDispatch* object, std::wstring_view name,
                         std::initializer_list<OleVariant> args) {
    std::size_t last = 0;
    const ComPtr<IDispatch> holder = Holder(object, name, last);
    // Invoke takes the arguments last first; the callee only reads them.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.end(); it != args.begin();)
        reversed.push_back((--it)->get());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return Invoke(holder.get(), name, last, name.size(), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                  params);
}

} // namespace tn
