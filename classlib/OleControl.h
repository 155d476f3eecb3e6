// The host of one ActiveX control inside a windowed control: creates the control by class id, is
// its client, in-place, frame and control site, answers ambient properties, sinks its event
// interface and reads and writes its dispatch properties by number.
#pragma once

#include "classlib/ComPtr.h"
#include "classlib/Controls.h"

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <memory>
#include <optional>

namespace tn {

// The host's COM objects live as long as the component; their reference count only tells
// whether the control still holds them. The teardown, written down once: the event sink is
// unadvised, the control is deactivated in place, closed and its client site cleared, every
// pointer to it released; then the window goes.
class TOleControl : public TWinControl {
public:
    TOleControl(TComponent* owner, const CLSID& classId, const IID& eventsId);
    ~TOleControl() override;

    // The control's own interfaces; null before construction ends and after teardown.
    [[nodiscard]] IOleObject* OleObject() const noexcept { return FOleObject.get(); }
    [[nodiscard]] IDispatch* ControlDispatch() const noexcept { return FControlDispatch.get(); }
    // The in-place object as the control announced it (it does when its document is activated).
    [[nodiscard]] IOleInPlaceActiveObject* InPlaceActiveObject() const noexcept {
        return FActiveObject.get();
    }
    // The one that keys are offered to: the announced one, else the control's own while it is in
    // place; null without either.
    [[nodiscard]] ComPtr<IOleInPlaceActiveObject> ActiveObject() const noexcept;
    // Offers a queued key message to that object's accelerators, once: its answer, none without
    // an object.
    [[nodiscard]] std::optional<HRESULT> TranslateKeyMessage(const MSG& msg) noexcept;
    [[nodiscard]] bool InPlaceActive() const noexcept { return static_cast<bool>(FInPlaceObject); }
    // The host as the control sees it (borrowed).
    [[nodiscard]] IOleClientSite* ClientSite() const noexcept;
    // References that others hold on the host's COM objects.
    [[nodiscard]] ULONG RefCount() const noexcept { return static_cast<ULONG>(FRefCount); }

    // Dispatch properties by number; a failing call raises EOleSysError.
    [[nodiscard]] OleVariant GetProperty(DISPID id) const;
    // Virtual: the seam where a test counts or refuses the writes that reach the control.
    virtual void SetProperty(DISPID id, const VARIANT& value);

    // The one IUnknown of the client site and of every interface a derived class adds to it.
    HRESULT HostQueryInterface(REFIID riid, void** ppv) noexcept;
    ULONG HostAddRef() noexcept;
    ULONG HostRelease() noexcept;

protected:
    [[nodiscard]] const wchar_t* ClassName() const noexcept override { return L"TOleControl"; }
    // Creates the control once the most derived constructor has run, so that the site's virtual
    // answers are the derived class's when the control first asks.
    void AfterConstruction() override;
    void BeforeDestruction() noexcept override;
    void CreateWnd() override;
    void DestroyWnd() noexcept override;
    void Dispatch(TMessage& m) override;
    void Resize() override;

    // Further interfaces of the client site: a pointer into this object, not yet added to.
    [[nodiscard]] virtual void* QueryHostInterface(REFIID riid) noexcept;
    // Every call of the event interface. Runs inside the sink's boundary, which turns an
    // exception into DISP_E_EXCEPTION.
    virtual HRESULT InvokeEvent(DISPID dispId, DISPPARAMS& params);

    // The ambient-property dispatch of the client site; a derived class may answer first.
    virtual HRESULT AmbientGetTypeInfoCount(UINT* pctinfo);
    virtual HRESULT AmbientGetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
    virtual HRESULT AmbientGetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                         DISPID* rgDispId);
    virtual HRESULT AmbientInvoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                  DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                  EXCEPINFO* pExcepInfo, UINT* puArgErr);

    // Puts the control in place in this window and tells it where it is.
    void InPlaceActivate();
    void InPlaceDeactivate() noexcept;
    // Offers a CN_ key message to the in-place object's accelerators; true when it took it.
    bool TranslateKey(const TMessage& m) noexcept;
    // The control's own in-place object (the seam where a test puts a double).
    [[nodiscard]] virtual ComPtr<IOleInPlaceActiveObject> ControlActiveObject() const noexcept;
    void UpdateObjectRects() noexcept;

private:
    struct Sites;
    friend struct Sites;

    void CreateControl();
    void DestroyControl() noexcept;

    CLSID FClassId;
    IID FEventsId;
    std::unique_ptr<Sites> FSites;
    volatile LONG FRefCount = 0;
    DWORD FMiscStatus = 0;
    DWORD FEventsCookie = 0;
    ComPtr<IOleObject> FOleObject;
    ComPtr<IDispatch> FControlDispatch;
    ComPtr<IConnectionPoint> FEventsPoint;
    ComPtr<IOleInPlaceObject> FInPlaceObject;
    ComPtr<IOleInPlaceActiveObject> FActiveObject;
};

} // namespace tn
