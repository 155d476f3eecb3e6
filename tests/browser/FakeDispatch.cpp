#include "tests/browser/FakeDispatch.h"

#include "classlib/Text.h"

namespace tn::test {

CountWatch::CountWatch(std::initializer_list<const RefCounted*> objects) {
    for (const RefCounted* o : objects)
        FStart.emplace_back(o, o->Count());
}

std::vector<std::size_t> CountWatch::Changed() const {
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < FStart.size(); ++i)
        if (FStart[i].first->Count() != FStart[i].second) changed.push_back(i);
    return changed;
}

const VARIANT& ArgAt(const DISPPARAMS& params, UINT i) noexcept {
    static VARIANT missing = [] {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_ERROR;
        v.scode = DISP_E_PARAMNOTFOUND;
        return v;
    }();
    if (i >= params.cArgs) return missing;
    return VariantTarget(params.rgvarg[params.cArgs - 1 - i]);
}

std::wstring ArgText(const DISPPARAMS& params, UINT i) {
    return VariantToString(ArgAt(params, i));
}

LONG ArgInt(const DISPPARAMS& params, UINT i) {
    return VariantToInt(ArgAt(params, i));
}

// --- view object and command target -------------------------------------------------------------

HRESULT ViewPainter::Draw(DWORD aspect, LONG index, void* aspectData, DVTARGETDEVICE* ptd,
                          HDC targetDc, HDC drawDc, LPCRECTL bounds) {
    RECT r{};
    if (bounds) r = RECT{bounds->left, bounds->top, bounds->right, bounds->bottom};
    calls.push_back({aspect, index, aspectData != nullptr, ptd != nullptr, targetDc, r});
    if (FAILED(result)) return result;
    if (drawDc && bounds) {
        const HBRUSH brush = ::CreateSolidBrush(colour);
        ::FillRect(drawDc, &r, brush);
        ::DeleteObject(brush);
    }
    return result;
}

HRESULT CommandRecorder::Exec(const GUID* group, DWORD cmd, DWORD option, VARIANT* in,
                              VARIANT* outArg) {
    Call c{group != nullptr, group ? *group : GUID{}, cmd, option, {}, outArg != nullptr};
    if (in) {
        c.in = OleVariant(*in);
    } else {
        VARIANT* v = c.in.put();
        v->vt = VT_ERROR;
        v->scode = DISP_E_PARAMNOTFOUND;
    }
    calls.push_back(std::move(c));
    if (running) running(cmd);
    if (outArg && !out.IsEmpty()) (void)::VariantCopy(outArg, const_cast<VARIANT*>(&out.get()));
    return result;
}

// --- members ------------------------------------------------------------------------------------

PropertyBag::Member& PropertyBag::Ensure(std::wstring_view name) {
    for (Member& m : FMembers)
        if (text::SameText(m.name, name)) return m;
    Member& m = FMembers.emplace_back();
    m.name = name;
    m.id = FNextId++;
    return m;
}

const PropertyBag::Member* PropertyBag::Find(std::wstring_view name) const {
    for (const Member& m : FMembers)
        if (text::SameText(m.name, name)) return &m;
    return nullptr;
}

PropertyBag::Member* PropertyBag::FindId(DISPID id) {
    for (Member& m : FMembers)
        if (m.id == id) return &m;
    return nullptr;
}

void PropertyBag::Set(std::wstring_view name, const VARIANT& value) {
    Member& m = Ensure(name);
    m.kind = Kind::Value;
    m.value = OleVariant(value);
    m.object = nullptr;
}

void PropertyBag::Set(std::wstring_view name, std::wstring_view text) {
    const OleVariant v(text);
    Set(name, v.get());
}

void PropertyBag::Set(std::wstring_view name, LONG value) {
    Set(name, OleVariant(value).get());
}

void PropertyBag::Set(std::wstring_view name, bool value) {
    Set(name, OleVariant(value).get());
}

void PropertyBag::SetObject(std::wstring_view name, IDispatch* object) {
    Member& m = Ensure(name);
    m.kind = Kind::Object;
    m.value.Clear();
    m.object = object;
}

void PropertyBag::SetMethod(std::wstring_view name, Method method) {
    Member& m = Ensure(name);
    m.kind = Kind::Method;
    m.method = std::move(method);
}

void PropertyBag::DeclareObjects(std::initializer_list<std::wstring_view> names) {
    for (std::wstring_view n : names)
        if (!Find(n)) SetObject(n, nullptr);
}

void PropertyBag::Fail(std::wstring_view name, HRESULT hr) {
    Ensure(name).failure = hr;
}

void PropertyBag::Raise(std::wstring_view name, std::wstring description, std::wstring source) {
    Member& m = Ensure(name);
    m.failure = DISP_E_EXCEPTION;
    m.description = std::move(description);
    m.source = std::move(source);
}

void PropertyBag::SetId(std::wstring_view name, DISPID id) {
    Ensure(name).id = id;
}

bool PropertyBag::Has(std::wstring_view name) const {
    return Find(name) != nullptr;
}

// --- reads and writes ---------------------------------------------------------------------------

HRESULT PropertyBag::Failure(const Member& m, EXCEPINFO* excep) const {
    if (m.failure == DISP_E_EXCEPTION && excep) {
        *excep = EXCEPINFO{};
        excep->bstrDescription = Bstr(m.description).detach();
        excep->bstrSource = Bstr(m.source).detach();
        excep->scode = E_FAIL;
    }
    return m.failure;
}

HRESULT PropertyBag::Read(const Member& m, VARIANT* out) const {
    if (!out) return S_OK;
    ::VariantInit(out);
    switch (m.kind) {
    case Kind::Value:
        return ::VariantCopy(out, const_cast<VARIANT*>(&m.value.get()));
    case Kind::Object:
        out->vt = VT_DISPATCH;
        out->pdispVal = m.object;
        if (m.object) m.object->AddRef();
        return S_OK;
    case Kind::Method: {
        DISPPARAMS none{};
        return m.method(none, out, nullptr);
    }
    }
    return E_UNEXPECTED;
}

HRESULT PropertyBag::Get(std::wstring_view name, VARIANT* out) const {
    const Member* m = Find(name);
    if (!m) {
        if (out) ::VariantInit(out);
        return S_OK;
    }
    if (FAILED(m->failure)) return Failure(*m, nullptr);
    return Read(*m, out);
}

namespace {

// A read converted to the getter's type; the type's empty value when the read fails.
template <typename T, typename Convert>
HRESULT ReadAs(const PropertyBag& bag, std::wstring_view name, T* out, T none, Convert convert) {
    if (!out) return E_POINTER;
    *out = none;
    OleVariant v;
    const HRESULT hr = bag.Get(name, v.put());
    if (FAILED(hr)) return hr;
    *out = convert(v.get());
    return S_OK;
}

} // namespace

HRESULT PropertyBag::GetText(std::wstring_view name, BSTR* out) const {
    return ReadAs<BSTR>(*this, name, out, nullptr,
                        [](const VARIANT& v) { return Bstr(VariantToString(v)).detach(); });
}

HRESULT PropertyBag::GetLong(std::wstring_view name, LONG* out) const {
    return ReadAs<LONG>(*this, name, out, 0, [](const VARIANT& v) { return VariantToInt(v); });
}

HRESULT PropertyBag::GetBool(std::wstring_view name, VARIANT_BOOL* out) const {
    return ReadAs<VARIANT_BOOL>(*this, name, out, VARIANT_FALSE, [](const VARIANT& v) {
        return VariantToBool(v) ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

HRESULT PropertyBag::GetDispatch(std::wstring_view name, IDispatch** out) const {
    return ReadAs<IDispatch*>(*this, name, out, nullptr,
                              [](const VARIANT& v) { return VariantToDispatch(v).detach(); });
}

HRESULT PropertyBag::Put(std::wstring_view name, const VARIANT& value) {
    Member& m = Ensure(name);
    if (FAILED(m.failure)) return m.failure;
    puts.emplace_back(m.name, OleVariant(value));
    if (value.vt == VT_DISPATCH) {
        SetObject(name, value.pdispVal);
    } else {
        m.kind = Kind::Value;
        m.value = OleVariant(value);
        m.object = nullptr;
    }
    return S_OK;
}

std::wstring PropertyBag::Text(std::wstring_view name) const {
    const Member* m = Find(name);
    return m && m->kind == Kind::Value ? VariantToString(m->value.get()) : std::wstring();
}

LONG PropertyBag::Int(std::wstring_view name) const {
    const Member* m = Find(name);
    return m && m->kind == Kind::Value ? VariantToInt(m->value.get()) : 0;
}

IDispatch* PropertyBag::Object(std::wstring_view name) const {
    const Member* m = Find(name);
    return m && m->kind == Kind::Object ? m->object : nullptr;
}

// --- late binding -------------------------------------------------------------------------------

HRESULT PropertyBag::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        const std::wstring_view name = names[i] ? names[i] : L"";
        if (i == 0) asked.emplace_back(name);
        const Member* m = i == 0 ? Find(name) : nullptr; // no named arguments
        if (m)
            ids[i] = m->id;
        else
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

HRESULT PropertyBag::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep) {
    Member* m = FindId(id);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    if (FAILED(m->failure)) return Failure(*m, excep);
    static DISPPARAMS none{};
    const DISPPARAMS& p = params ? *params : none;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (p.cArgs < 1) return DISP_E_BADPARAMCOUNT;
        const std::wstring name = m->name;
        return Put(name, VariantTarget(p.rgvarg[0]));
    }
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (m->kind == Kind::Method) {
        if (result) ::VariantInit(result);
        return m->method(p, result, excep);
    }
    if (p.cArgs != 0) return DISP_E_BADPARAMCOUNT;
    return Read(*m, result);
}

} // namespace tn::test
