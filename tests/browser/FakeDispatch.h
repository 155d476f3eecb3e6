// The base of the browser tools' COM doubles: a reference count that a test reads back, a
// property bag that answers the early-bound getters of a double and its late-bound names alike,
// and the painting view object and recording command target that several doubles share. Names are
// matched without regard to case, as the browser's document objects match them. The doubles live
// on a test's stack; objects they hand out are borrowed and get a reference of the receiver's own.
#pragma once

#include "classlib/ComPtr.h"
#include "tests/browser/Unimplemented.h"

#include <windows.h>
#include <oaidl.h>
#include <docobj.h>
#include <oleidl.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

namespace tn::test {

// IDispatch has no methods below the ones every double writes.
template <> class Unimplemented<IDispatch> : public IDispatch {
protected:
    ~Unimplemented() = default;
};

// The count a test reads: 1 for the test's own reference, one more for each that is out.
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    // Virtual: a test derives from a double, and doubles own the objects they hand out.
    virtual ~RefCounted() = default;
    [[nodiscard]] ULONG Count() const noexcept { return FCount; }

protected:
    ULONG FCount = 1;
};

// The counts of some doubles, taken now; Changed() names those whose count is not what it was.
class CountWatch {
public:
    CountWatch(std::initializer_list<const RefCounted*> objects);
    [[nodiscard]] std::vector<std::size_t> Changed() const;

private:
    std::vector<std::pair<const RefCounted*, ULONG>> FStart;
};

// The argument at position i in the callee's order (0 = first), through a variant reference.
[[nodiscard]] const VARIANT& ArgAt(const DISPPARAMS& params, UINT i) noexcept;
[[nodiscard]] std::wstring ArgText(const DISPPARAMS& params, UINT i);
[[nodiscard]] LONG ArgInt(const DISPPARAMS& params, UINT i);

class PropertyBag {
public:
    // A method or a property with arguments, called late-bound by its name.
    using Method =
        std::function<HRESULT(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* excep)>;

    // Plain values, copied; an object is borrowed (SetObject).
    void Set(std::wstring_view name, const VARIANT& value);
    void Set(std::wstring_view name, std::wstring_view text);
    void Set(std::wstring_view name, const wchar_t* text) { Set(name, std::wstring_view(text)); }
    void Set(std::wstring_view name, LONG value);
    void Set(std::wstring_view name, bool value);
    void SetObject(std::wstring_view name, IDispatch* object);
    void SetMethod(std::wstring_view name, Method method);
    // Declares object properties that are not set yet: they read as no object.
    void DeclareObjects(std::initializer_list<std::wstring_view> names);
    // The member, early- and late-bound, answers hr.
    void Fail(std::wstring_view name, HRESULT hr);
    // The member raises an automation exception with these texts (DISP_E_EXCEPTION).
    void Raise(std::wstring_view name, std::wstring description, std::wstring source);
    // A fixed dispatch identifier, as the control's properties have.
    void SetId(std::wstring_view name, DISPID id);
    [[nodiscard]] bool Has(std::wstring_view name) const;

    // Reads for the early-bound getters: the member's failure, else S_OK with the value (a
    // missing member: no object, an empty text, 0, false).
    HRESULT Get(std::wstring_view name, VARIANT* out) const;
    HRESULT GetText(std::wstring_view name, BSTR* out) const;
    HRESULT GetLong(std::wstring_view name, LONG* out) const;
    HRESULT GetBool(std::wstring_view name, VARIANT_BOOL* out) const;
    HRESULT GetDispatch(std::wstring_view name, IDispatch** out) const;
    template <typename I> HRESULT GetObject(std::wstring_view name, I** out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        ComPtr<IDispatch> d;
        const HRESULT hr = GetDispatch(name, d.put());
        if (FAILED(hr)) return hr;
        if (d) (void)d->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
        return S_OK;
    }
    // A write of an early-bound setter or a late-bound put; recorded in puts.
    HRESULT Put(std::wstring_view name, const VARIANT& value);
    // The member's text, number or object as it stands now.
    [[nodiscard]] std::wstring Text(std::wstring_view name) const;
    [[nodiscard]] LONG Int(std::wstring_view name) const;
    [[nodiscard]] IDispatch* Object(std::wstring_view name) const;

    // Late binding.
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep);

    // Names asked through GetIDsOfNames, as they were asked.
    std::vector<std::wstring> asked;
    // Writes, with the member's name as the bag has it.
    std::vector<std::pair<std::wstring, OleVariant>> puts;

private:
    enum class Kind { Value, Object, Method };
    struct Member {
        std::wstring name;
        DISPID id;
        Kind kind = Kind::Value;
        OleVariant value;
        IDispatch* object = nullptr;
        Method method;
        HRESULT failure = S_OK;
        std::wstring description, source;
    };
    Member& Ensure(std::wstring_view name);
    [[nodiscard]] const Member* Find(std::wstring_view name) const;
    [[nodiscard]] Member* FindId(DISPID id);
    HRESULT Failure(const Member& m, EXCEPINFO* excep) const;
    HRESULT Read(const Member& m, VARIANT* out) const;

    std::vector<Member> FMembers;
    DISPID FNextId = 1000;
};

// A view object that paints its bounds in one colour and records every Draw.
struct ViewPainter {
    struct Call {
        DWORD aspect;
        LONG index;
        bool aspectData;
        bool targetDevice; // a target-device record was given
        HDC targetDc;
        RECT bounds;
    };
    std::vector<Call> calls;
    COLORREF colour = RGB(0x20, 0x80, 0xC0);
    HRESULT result = S_OK; // a failing result paints nothing

    HRESULT Draw(DWORD aspect, LONG index, void* aspectData, DVTARGETDEVICE* ptd, HDC targetDc,
                 HDC drawDc, LPCRECTL bounds);
};

// A command target that records every command and answers with result (and out, when set).
struct CommandRecorder {
    struct Call {
        bool grouped;
        GUID group;
        DWORD cmd;
        DWORD option;
        OleVariant in; // a copy; VT_ERROR DISP_E_PARAMNOTFOUND when none was given
        bool out;      // an output variant was given
    };
    std::vector<Call> calls;
    HRESULT result = S_OK;
    OleVariant out; // copied to the output variant when not empty
    // Runs inside each command once it is recorded, as the program's messages run while a
    // command's dialog is up.
    std::function<void(DWORD cmd)> running;

    HRESULT Exec(const GUID* group, DWORD cmd, DWORD option, VARIANT* in, VARIANT* outArg);
};

// The not-implemented base a double gets for an interface; some interfaces come with a behaviour
// every double that answers them shares.
template <typename I> struct FakePart { using type = Unimplemented<I>; };

// Paints through its painter.
class PaintingView : public Unimplemented<IViewObject> {
public:
    ViewPainter painter;
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectData, DVTARGETDEVICE* ptd,
                                   HDC targetDc, HDC drawDc, LPCRECTL bounds, LPCRECTL,
                                   WINBOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        return painter.Draw(aspect, index, aspectData, ptd, targetDc, drawDc, bounds);
    }

protected:
    ~PaintingView() = default;
};
template <> struct FakePart<IViewObject> { using type = PaintingView; };

// Records its commands.
class RecordingTarget : public Unimplemented<IOleCommandTarget> {
public:
    CommandRecorder commands;
    HRESULT STDMETHODCALLTYPE Exec(const GUID* group, DWORD cmd, DWORD option, VARIANT* in,
                                   VARIANT* out) override {
        return commands.Exec(group, cmd, option, in, out);
    }

protected:
    ~RecordingTarget() = default;
};
template <> struct FakePart<IOleCommandTarget> { using type = RecordingTarget; };

// IUnknown of a double answering Interfaces (each through its part); the count
// starts at 1. A test may refuse an interface the double has.
template <typename... Interfaces>
class FakeObject : public RefCounted, public FakePart<Interfaces>::type... {
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    [[nodiscard]] IUnknown* Unknown() noexcept {
        return static_cast<IUnknown*>(static_cast<First*>(this));
    }
    void Refuse(REFIID iid) { FRefused.push_back(iid); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        for (const IID& r : FRefused)
            if (r == riid) return E_NOINTERFACE;
        if (riid == IID_IUnknown)
            *ppv = Unknown();
        else
            ((*ppv = *ppv ? *ppv : Cast<Interfaces>(riid)), ...);
        if (!*ppv) *ppv = MoreInterfaces(riid);
        if (!*ppv) return E_NOINTERFACE;
        ++FCount;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FCount; }
    ULONG STDMETHODCALLTYPE Release() override { return --FCount; }

protected:
    FakeObject() = default;
    // Interfaces the double answers beyond its list (bases such as IPersist).
    [[nodiscard]] virtual void* MoreInterfaces(REFIID) noexcept { return nullptr; }

private:
    template <typename I> void* Cast(REFIID riid) noexcept {
        return riid == __uuidof(I) ? static_cast<I*>(this) : nullptr;
    }
    std::vector<IID> FRefused;
};

// A double whose first interface is a dispatch interface: IDispatch answers through the bag.
template <typename... Interfaces> class FakeDispatchObject : public FakeObject<Interfaces...> {
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    static_assert(std::is_base_of_v<IDispatch, First>);

public:
    PropertyBag bag;

    [[nodiscard]] IDispatch* Dispatch() noexcept {
        return static_cast<IDispatch*>(static_cast<First*>(this));
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        return bag.GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT*) override {
        return bag.Invoke(id, flags, params, result, excep);
    }

protected:
    FakeDispatchObject() = default;
    [[nodiscard]] void* MoreInterfaces(REFIID riid) noexcept override {
        return riid == IID_IDispatch ? Dispatch() : nullptr;
    }
};

// A plain automation object: a script object, a form, anything read only late-bound.
class FakeDispatch : public FakeDispatchObject<IDispatch> {};

} // namespace tn::test
