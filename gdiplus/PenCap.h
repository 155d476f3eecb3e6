// Pen and custom line cap wrappers. A pen given a brush, a matrix or a cap only reads its handle;
// the caller keeps the wrapper.
#pragma once

#include "gdiplus/Brush.h"
#include "gdiplus/GdiplusBase.h"

#include <span>

namespace tn::gdiplus {

class TGPMatrix;
class TGPGraphicsPath;
class TGPCustomLineCap;

class TGPPen : public TGdiplusBase {
public:
    // Pens are made in world units. No brush: InvalidParameter kept, GDI+ not called.
    [[nodiscard]] static std::unique_ptr<TGPPen> Create(ARGB color, REAL width = 1.0f) noexcept;
    [[nodiscard]] static std::unique_ptr<TGPPen> Create(const TGPBrush* brush,
                                                        REAL width = 1.0f) noexcept;
    ~TGPPen() override;

    [[nodiscard]] GpPen* Native() const noexcept { return nativePen; }

    // Keeps the clone call's status even when Ok, and wraps the copy with it whatever it is.
    [[nodiscard]] std::unique_ptr<TGPPen> Clone() noexcept;

    Status SetWidth(REAL width) noexcept;
    [[nodiscard]] REAL GetWidth() noexcept;
    Status SetLineCap(LineCap startCap, LineCap endCap, DashCap dashCap) noexcept;
    Status SetStartCap(LineCap startCap) noexcept;
    Status SetEndCap(LineCap endCap) noexcept;
    Status SetDashCap(DashCap dashCap) noexcept;
    [[nodiscard]] LineCap GetStartCap() noexcept;
    [[nodiscard]] LineCap GetEndCap() noexcept;
    [[nodiscard]] DashCap GetDashCap() noexcept;
    Status SetLineJoin(LineJoin lineJoin) noexcept;
    [[nodiscard]] LineJoin GetLineJoin() noexcept;
    // No cap passes none to GDI+.
    Status SetCustomStartCap(const TGPCustomLineCap* customCap) noexcept;
    Status SetCustomEndCap(const TGPCustomLineCap* customCap) noexcept;
    // The cap wrapper takes over a copy of the pen's cap; the handle it held is deleted. No cap
    // wrapper: InvalidParameter kept, GDI+ not called.
    Status GetCustomStartCap(TGPCustomLineCap* customCap) noexcept;
    Status GetCustomEndCap(TGPCustomLineCap* customCap) noexcept;
    Status SetMiterLimit(REAL miterLimit) noexcept;
    [[nodiscard]] REAL GetMiterLimit() noexcept;
    Status SetAlignment(PenAlignment penAlignment) noexcept;
    [[nodiscard]] PenAlignment GetAlignment() noexcept;

    // The pen's own transform. SetTransform without a matrix is InvalidParameter, kept, without a
    // call; the others pass a missing matrix on to GDI+.
    Status SetTransform(const TGPMatrix* matrix) noexcept;
    Status GetTransform(TGPMatrix* matrix) noexcept;
    Status ResetTransform() noexcept;
    Status MultiplyTransform(const TGPMatrix* matrix,
                             MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend) noexcept;
    Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend) noexcept;

    // The fill's kind, a BrushType value.
    [[nodiscard]] INT GetPenType() noexcept;
    Status SetColor(ARGB color) noexcept;
    Status SetBrush(const TGPBrush* brush) noexcept;
    // Only a solid-colour pen has a colour: any other answers WrongState, not kept. Returns the
    // kept status, so an unread earlier failure is answered too; color is written only when Ok.
    Status GetColor(ARGB& color) noexcept;
    // A new wrapper of the fill's class holding a copy of the fill; the caller owns it. A
    // path-gradient fill comes in a plain brush that reports NotImplemented; an unknown kind
    // gives none.
    [[nodiscard]] std::unique_ptr<TGPBrush> GetBrush() noexcept;

    [[nodiscard]] DashStyle GetDashStyle() noexcept;
    Status SetDashStyle(DashStyle dashStyle) noexcept;
    [[nodiscard]] REAL GetDashOffset() noexcept;
    Status SetDashOffset(REAL dashOffset) noexcept;
    Status SetDashPattern(std::span<const REAL> dashArray) noexcept;
    [[nodiscard]] INT GetDashPatternCount() noexcept;
    // An empty span is passed on as it is.
    Status GetDashPattern(std::span<REAL> dashArray) noexcept;
    Status SetCompoundArray(std::span<const REAL> compoundArray) noexcept;
    [[nodiscard]] INT GetCompoundArrayCount() noexcept;
    // An empty span is InvalidParameter, kept, without a call.
    Status GetCompoundArray(std::span<REAL> compoundArray) noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    TGPPen() noexcept = default;
    TGPPen(GpPen* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPPen> CreateFromNative(GpPen* handle,
                                                                  Status status) noexcept;
    // Runs one creating call into a fresh wrapper and keeps its status.
    template <typename Call> static std::unique_ptr<TGPPen> Construct(Call&& call) noexcept;
    void AttachNative(GpPen* handle) noexcept { nativePen = handle; }
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpPen* nativePen = nullptr;
    Status lastResult = Ok;

private:
    using CapGetter = Status(WINAPI*)(GpPen* pen, GpCustomLineCap** customCap);
    Status GetCustomCap(CapGetter get, TGPCustomLineCap* customCap) noexcept;
};

class TGPCustomLineCap : public TGdiplusBase {
public:
    // Either path may be missing.
    [[nodiscard]] static std::unique_ptr<TGPCustomLineCap> Create(const TGPGraphicsPath* fillPath,
                                                                  const TGPGraphicsPath* strokePath,
                                                                  LineCap baseCap = LineCapFlat,
                                                                  REAL baseInset = 0) noexcept;
    // No native object: it receives one from a pen's GetCustomStartCap or GetCustomEndCap.
    [[nodiscard]] static std::unique_ptr<TGPCustomLineCap> Create() noexcept;
    ~TGPCustomLineCap() override;

    [[nodiscard]] GpCustomLineCap* Native() const noexcept { return nativeCap; }

    // None while any failure is kept, an earlier unread one included; the copy is then deleted.
    [[nodiscard]] std::unique_ptr<TGPCustomLineCap> Clone() noexcept;
    // Both stroke caps set to the same cap.
    Status SetStrokeCap(LineCap strokeCap) noexcept;
    Status SetStrokeCaps(LineCap startCap, LineCap endCap) noexcept;
    Status GetStrokeCaps(LineCap& startCap, LineCap& endCap) noexcept;
    Status SetStrokeJoin(LineJoin lineJoin) noexcept;
    [[nodiscard]] LineJoin GetStrokeJoin() noexcept;
    Status SetBaseCap(LineCap baseCap) noexcept;
    [[nodiscard]] LineCap GetBaseCap() noexcept;
    Status SetBaseInset(REAL inset) noexcept;
    [[nodiscard]] REAL GetBaseInset() noexcept;
    Status SetWidthScale(REAL widthScale) noexcept;
    [[nodiscard]] REAL GetWidthScale() noexcept;

    // The kept status; reading it resets it to Ok.
    Status GetLastStatus() noexcept;

protected:
    friend struct GdipFactory;
    friend class TGPPen;
    TGPCustomLineCap() noexcept = default;
    TGPCustomLineCap(GpCustomLineCap* handle, Status status) noexcept;
    // Wraps an existing handle; when no wrapper can be made the handle is deleted.
    [[nodiscard]] static std::unique_ptr<TGPCustomLineCap> CreateFromNative(GpCustomLineCap* handle,
                                                                            Status status) noexcept;
    void AttachNative(GpCustomLineCap* handle) noexcept { nativeCap = handle; }
    // For getters that hand this wrapper another handle: the one it held is deleted, not lost.
    void ReplaceNative(GpCustomLineCap* handle) noexcept;
    Status RecordStatus(Status status) noexcept { return KeepFailure(lastResult, status); }

    GpCustomLineCap* nativeCap = nullptr;
    Status lastResult = Ok;
};

} // namespace tn::gdiplus
