// Pens, custom line caps, image attributes, cached bitmaps, string formats and metafiles against
// the recording double of the flat API: which flat function each form calls with which arguments,
// and how each class keeps, returns and resets its status.
//
// GdipGetCustomLineCapStrokeCaps stops the process under this Wine, so GetStrokeCaps is seen
// here only.
#include "Attached.h"
#include "Spy.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include <vector>

using namespace tn::gdiplus;
using namespace tn::gdiplus::testing;

namespace {

const auto kCap = Fake<GpCustomLineCap*>(0x8A00, "CAP");
const auto kCap2 = Fake<GpCustomLineCap*>(0x8A10, "CAP2");
const auto kStrokePath = Fake<GpPath*>(0x8410, "Pa2");
const auto kWmf = Fake<HMETAFILE>(0x9200, "WMF");
const auto kEmf = Fake<HENHMETAFILE>(0x9300, "EMF");
const auto kPenCopy = Fake<GpPen*>(0x8010, "P2");
const auto kFill = Fake<GpBrush*>(0x8110, "FILL");
const auto kFormatCopy = Fake<GpStringFormat*>(0x8610, "SF2");
const auto kAttributesCopy = Fake<GpImageAttributes*>(0x8710, "A2");

REAL gDash[3] = {1, 2, 3};
REAL gCompound[4] = {0, 0.25f, 0.75f, 1};
REAL gBuffer[4] = {};
REAL gTabs[3] = {10, 20, 30};
ColorMatrix gColorMatrix{};
ColorMatrix gGrayMatrix{};
ColorMap gMap[2] = {{0xFF000000, 0xFFFFFFFF}, {0xFF0000FF, 0xFFFF0000}};
TCharacterRange gRanges[2] = {{0, 1}, {2, 3}};
WmfPlaceableFileHeader gPlaceable{};
TMetafileHeader gHeader{};
BYTE gData[4] = {1, 2, 3, 4};
BYTE gBits[16] = {};

class PenAttrFormatSpy : public ::testing::Test {
public:
    PenAttrFormatSpy() {
        AddLabels({{gDash, "dash"},
                   {gCompound, "compound"},
                   {gBuffer, "buf"},
                   {gTabs, "tabs"},
                   {&gColorMatrix, "cm"},
                   {&gGrayMatrix, "gm"},
                   {gMap, "map"},
                   {gRanges, "ranges"},
                   {&gPlaceable, "wph"},
                   {&gHeader, "hdr"},
                   {gData, "data"},
                   {gBits, "bits"}});
        // A real stream: the wrappers hold it while GDI+ reads it.
        if (::CreateStreamOnHGlobal(nullptr, TRUE, &stream) == S_OK) AddLabels({{stream, "ST"}});
    }
    ~PenAttrFormatSpy() override {
        if (stream) stream->Release();
    }

    SpyTable spy;
    IStream* stream = nullptr;
    std::unique_ptr<TGPGraphics> graphics = MakeAttached<TGPGraphics>(kGraphics);
    std::unique_ptr<TGPBitmap> image = MakeAttached<TGPBitmap>(kImage);
    std::unique_ptr<TGPPen> pen = MakeAttached<TGPPen>(kPen);
    std::unique_ptr<TGPBrush> brush = MakeAttached<TGPBrush>(kBrush);
    std::unique_ptr<TGPMatrix> matrix = MakeAttached<TGPMatrix>(kMatrix);
    std::unique_ptr<TGPGraphicsPath> fillPath = MakeAttached<TGPGraphicsPath>(kPath);
    std::unique_ptr<TGPGraphicsPath> strokePath = MakeAttached<TGPGraphicsPath>(kStrokePath);
    std::unique_ptr<TGPCustomLineCap> cap = MakeAttached<TGPCustomLineCap>(kCap);
    std::unique_ptr<TGPCustomLineCap> emptyCap = TGPCustomLineCap::Create();
    std::unique_ptr<TGPStringFormat> format = MakeAttached<TGPStringFormat>(kFormat);
    std::unique_ptr<TGPImageAttributes> attributes = MakeAttached<TGPImageAttributes>(kAttributes);
    std::unique_ptr<TGPMetafile> metafile =
        MakeAttached<TGPMetafile>(static_cast<GpImage*>(kMetafile));
};

using F = PenAttrFormatSpy;
using Form = FormOf<F>;

const std::vector<Form>& PenForms() {
    static const std::vector<Form> forms = {
        {"Create colour in world units",
         [](F&) { static_cast<void>(TGPPen::Create(0xFF102030, 2.5f)); },
         {"GdipCreatePen1(4279246896,2.5,0,&H4)", "GdipDeletePen(H4)"}},
        {"Create brush in world units",
         [](F& f) { static_cast<void>(TGPPen::Create(f.brush.get(), 3.0f)); },
         {"GdipCreatePen2(B,3,0,&H4)", "GdipDeletePen(H4)"}},
        {"Create without brush",
         [](F&) { static_cast<void>(TGPPen::Create(nullptr)); },
         {"GdipDeletePen(null)"}},
        {"Clone",
         [](F& f) { static_cast<void>(f.pen->Clone()); },
         {"GdipClonePen(P,&H2)", "GdipDeletePen(H2)"}},
        {"SetWidth", [](F& f) { f.pen->SetWidth(4.5f); }, {"GdipSetPenWidth(P,4.5)"}},
        {"GetWidth", [](F& f) { static_cast<void>(f.pen->GetWidth()); }, {"GdipGetPenWidth(P,&2)"}},
        {"SetLineCap start, end, dash",
         [](F& f) { f.pen->SetLineCap(LineCapRound, LineCapTriangle, DashCapRound); },
         {"GdipSetPenLineCap197819(P,2,3,2)"}},
        {"SetStartCap",
         [](F& f) { f.pen->SetStartCap(LineCapArrowAnchor); },
         {"GdipSetPenStartCap(P,20)"}},
        {"SetEndCap", [](F& f) { f.pen->SetEndCap(LineCapSquare); }, {"GdipSetPenEndCap(P,1)"}},
        {"SetDashCap",
         [](F& f) { f.pen->SetDashCap(DashCapTriangle); },
         {"GdipSetPenDashCap197819(P,3)"}},
        {"GetStartCap",
         [](F& f) { static_cast<void>(f.pen->GetStartCap()); },
         {"GdipGetPenStartCap(P,&2)"}},
        {"GetEndCap",
         [](F& f) { static_cast<void>(f.pen->GetEndCap()); },
         {"GdipGetPenEndCap(P,&2)"}},
        {"GetDashCap",
         [](F& f) { static_cast<void>(f.pen->GetDashCap()); },
         {"GdipGetPenDashCap197819(P,&2)"}},
        {"SetLineJoin",
         [](F& f) { f.pen->SetLineJoin(LineJoinRound); },
         {"GdipSetPenLineJoin(P,2)"}},
        {"GetLineJoin",
         [](F& f) { static_cast<void>(f.pen->GetLineJoin()); },
         {"GdipGetPenLineJoin(P,&2)"}},
        {"SetCustomStartCap",
         [](F& f) { f.pen->SetCustomStartCap(f.cap.get()); },
         {"GdipSetPenCustomStartCap(P,CAP)"}},
        {"SetCustomStartCap none",
         [](F& f) { f.pen->SetCustomStartCap(nullptr); },
         {"GdipSetPenCustomStartCap(P,null)"}},
        {"SetCustomEndCap",
         [](F& f) { f.pen->SetCustomEndCap(f.cap.get()); },
         {"GdipSetPenCustomEndCap(P,CAP)"}},
        {"SetCustomEndCap none",
         [](F& f) { f.pen->SetCustomEndCap(nullptr); },
         {"GdipSetPenCustomEndCap(P,null)"}},
        {"GetCustomStartCap",
         [](F& f) { f.pen->GetCustomStartCap(f.emptyCap.get()); },
         {"GdipGetPenCustomStartCap(P,&H2)"}},
        {"GetCustomEndCap",
         [](F& f) { f.pen->GetCustomEndCap(f.emptyCap.get()); },
         {"GdipGetPenCustomEndCap(P,&H2)"}},
        {"SetMiterLimit", [](F& f) { f.pen->SetMiterLimit(3.0f); }, {"GdipSetPenMiterLimit(P,3)"}},
        {"GetMiterLimit",
         [](F& f) { static_cast<void>(f.pen->GetMiterLimit()); },
         {"GdipGetPenMiterLimit(P,&2)"}},
        {"SetAlignment is the pen mode",
         [](F& f) { f.pen->SetAlignment(PenAlignmentInset); },
         {"GdipSetPenMode(P,1)"}},
        {"GetAlignment is the pen mode",
         [](F& f) { static_cast<void>(f.pen->GetAlignment()); },
         {"GdipGetPenMode(P,&2)"}},
        {"SetTransform",
         [](F& f) { f.pen->SetTransform(f.matrix.get()); },
         {"GdipSetPenTransform(P,M)"}},
        {"GetTransform",
         [](F& f) { f.pen->GetTransform(f.matrix.get()); },
         {"GdipGetPenTransform(P,M)"}},
        {"ResetTransform", [](F& f) { f.pen->ResetTransform(); }, {"GdipResetPenTransform(P)"}},
        {"MultiplyTransform",
         [](F& f) { f.pen->MultiplyTransform(f.matrix.get(), MatrixOrderAppend); },
         {"GdipMultiplyPenTransform(P,M,1)"}},
        {"TranslateTransform prepends",
         [](F& f) { f.pen->TranslateTransform(1.5f, 2.0f); },
         {"GdipTranslatePenTransform(P,1.5,2,0)"}},
        {"ScaleTransform",
         [](F& f) { f.pen->ScaleTransform(2.0f, 3.0f, MatrixOrderAppend); },
         {"GdipScalePenTransform(P,2,3,1)"}},
        {"RotateTransform",
         [](F& f) { f.pen->RotateTransform(30.0f); },
         {"GdipRotatePenTransform(P,30,0)"}},
        {"GetPenType is the fill type",
         [](F& f) { static_cast<void>(f.pen->GetPenType()); },
         {"GdipGetPenFillType(P,&2)"}},
        {"SetColor", [](F& f) { f.pen->SetColor(0x80FF0000); }, {"GdipSetPenColor(P,2164195328)"}},
        {"SetBrush", [](F& f) { f.pen->SetBrush(f.brush.get()); }, {"GdipSetPenBrushFill(P,B)"}},
        {"GetColor of a pen that is not solid asks for the type only",
         [](F& f) {
             ARGB color = 0;
             f.pen->GetColor(color);
         },
         {"GdipGetPenFillType(P,&2)"}},
        {"GetBrush reads the type, then the fill",
         [](F& f) { static_cast<void>(f.pen->GetBrush()); },
         {"GdipGetPenFillType(P,&2)", "GdipGetPenBrushFill(P,&H2)", "GdipDeleteBrush(H2)"}},
        {"GetDashStyle",
         [](F& f) { static_cast<void>(f.pen->GetDashStyle()); },
         {"GdipGetPenDashStyle(P,&2)"}},
        {"SetDashStyle",
         [](F& f) { f.pen->SetDashStyle(DashStyleDashDot); },
         {"GdipSetPenDashStyle(P,3)"}},
        {"GetDashOffset",
         [](F& f) { static_cast<void>(f.pen->GetDashOffset()); },
         {"GdipGetPenDashOffset(P,&2)"}},
        {"SetDashOffset",
         [](F& f) { f.pen->SetDashOffset(0.5f); },
         {"GdipSetPenDashOffset(P,0.5)"}},
        {"SetDashPattern counts the span",
         [](F& f) { f.pen->SetDashPattern(gDash); },
         {"GdipSetPenDashArray(P,dash,3)"}},
        {"GetDashPatternCount",
         [](F& f) { static_cast<void>(f.pen->GetDashPatternCount()); },
         {"GdipGetPenDashCount(P,&2)"}},
        {"GetDashPattern",
         [](F& f) { f.pen->GetDashPattern(std::span<REAL>(gBuffer, 2)); },
         {"GdipGetPenDashArray(P,buf,2)"}},
        {"GetDashPattern empty goes to GDI+",
         [](F& f) { f.pen->GetDashPattern({}); },
         {"GdipGetPenDashArray(P,null,0)"}},
        {"SetCompoundArray counts the span",
         [](F& f) { f.pen->SetCompoundArray(gCompound); },
         {"GdipSetPenCompoundArray(P,compound,4)"}},
        {"GetCompoundArrayCount",
         [](F& f) { static_cast<void>(f.pen->GetCompoundArrayCount()); },
         {"GdipGetPenCompoundCount(P,&2)"}},
        {"GetCompoundArray",
         [](F& f) { f.pen->GetCompoundArray(gBuffer); },
         {"GdipGetPenCompoundArray(P,buf,4)"}},
        {"GetCompoundArray empty is refused", [](F& f) { f.pen->GetCompoundArray({}); }, {}},
    };
    return forms;
}

const std::vector<Form>& CapForms() {
    static const std::vector<Form> forms = {
        {"Create with both paths",
         [](F& f) {
             static_cast<void>(TGPCustomLineCap::Create(f.fillPath.get(), f.strokePath.get(),
                                                        LineCapRound, 1.5f));
         },
         {"GdipCreateCustomLineCap(Pa,Pa2,2,1.5,&H5)", "GdipDeleteCustomLineCap(H5)"}},
        {"Create with a stroke path only",
         [](F& f) { static_cast<void>(TGPCustomLineCap::Create(nullptr, f.strokePath.get())); },
         {"GdipCreateCustomLineCap(null,Pa2,0,0,&H5)", "GdipDeleteCustomLineCap(H5)"}},
        {"Create without a native object",
         [](F&) { static_cast<void>(TGPCustomLineCap::Create()); },
         {"GdipDeleteCustomLineCap(null)"}},
        {"Clone",
         [](F& f) { static_cast<void>(f.cap->Clone()); },
         {"GdipCloneCustomLineCap(CAP,&H2)", "GdipDeleteCustomLineCap(H2)"}},
        {"SetStrokeCap sets both",
         [](F& f) { f.cap->SetStrokeCap(LineCapRound); },
         {"GdipSetCustomLineCapStrokeCaps(CAP,2,2)"}},
        {"SetStrokeCaps",
         [](F& f) { f.cap->SetStrokeCaps(LineCapSquare, LineCapTriangle); },
         {"GdipSetCustomLineCapStrokeCaps(CAP,1,3)"}},
        {"GetStrokeCaps",
         [](F& f) {
             LineCap start{}, end{};
             f.cap->GetStrokeCaps(start, end);
         },
         {"GdipGetCustomLineCapStrokeCaps(CAP,&2,&3)"}},
        {"SetStrokeJoin",
         [](F& f) { f.cap->SetStrokeJoin(LineJoinBevel); },
         {"GdipSetCustomLineCapStrokeJoin(CAP,1)"}},
        {"GetStrokeJoin",
         [](F& f) { static_cast<void>(f.cap->GetStrokeJoin()); },
         {"GdipGetCustomLineCapStrokeJoin(CAP,&2)"}},
        {"SetBaseCap",
         [](F& f) { f.cap->SetBaseCap(LineCapTriangle); },
         {"GdipSetCustomLineCapBaseCap(CAP,3)"}},
        {"GetBaseCap",
         [](F& f) { static_cast<void>(f.cap->GetBaseCap()); },
         {"GdipGetCustomLineCapBaseCap(CAP,&2)"}},
        {"SetBaseInset",
         [](F& f) { f.cap->SetBaseInset(0.25f); },
         {"GdipSetCustomLineCapBaseInset(CAP,0.25)"}},
        {"GetBaseInset",
         [](F& f) { static_cast<void>(f.cap->GetBaseInset()); },
         {"GdipGetCustomLineCapBaseInset(CAP,&2)"}},
        {"SetWidthScale",
         [](F& f) { f.cap->SetWidthScale(2.0f); },
         {"GdipSetCustomLineCapWidthScale(CAP,2)"}},
        {"GetWidthScale",
         [](F& f) { static_cast<void>(f.cap->GetWidthScale()); },
         {"GdipGetCustomLineCapWidthScale(CAP,&2)"}},
    };
    return forms;
}

const std::vector<Form>& AttributeForms() {
    static const std::vector<Form> forms = {
        {"Create",
         [](F&) { static_cast<void>(TGPImageAttributes::Create()); },
         {"GdipCreateImageAttributes(&H1)", "GdipDisposeImageAttributes(H1)"}},
        {"Clone",
         [](F& f) { static_cast<void>(f.attributes->Clone()); },
         {"GdipCloneImageAttributes(A,&H2)", "GdipDisposeImageAttributes(H2)"}},
        {"SetToIdentity",
         [](F& f) { f.attributes->SetToIdentity(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesToIdentity(A,1)"}},
        {"Reset", [](F& f) { f.attributes->Reset(); }, {"GdipResetImageAttributes(A,0)"}},
        {"SetColorMatrix",
         [](F& f) {
             f.attributes->SetColorMatrix(gColorMatrix, ColorMatrixFlagsSkipGrays,
                                          ColorAdjustTypeBitmap);
         },
         {"GdipSetImageAttributesColorMatrix(A,1,-1,cm,null,1)"}},
        {"ClearColorMatrix",
         [](F& f) { f.attributes->ClearColorMatrix(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesColorMatrix(A,1,0,null,null,0)"}},
        {"SetColorMatrices",
         [](F& f) {
             f.attributes->SetColorMatrices(gColorMatrix, gGrayMatrix, ColorMatrixFlagsAltGray,
                                            ColorAdjustTypeBrush);
         },
         {"GdipSetImageAttributesColorMatrix(A,2,-1,cm,gm,2)"}},
        {"ClearColorMatrices",
         [](F& f) { f.attributes->ClearColorMatrices(ColorAdjustTypePen); },
         {"GdipSetImageAttributesColorMatrix(A,3,0,null,null,0)"}},
        {"SetThreshold",
         [](F& f) { f.attributes->SetThreshold(0.5f, ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesThreshold(A,1,-1,0.5)"}},
        {"ClearThreshold",
         [](F& f) { f.attributes->ClearThreshold(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesThreshold(A,1,0,0)"}},
        {"SetGamma",
         [](F& f) { f.attributes->SetGamma(2.5f, ColorAdjustTypeText); },
         {"GdipSetImageAttributesGamma(A,4,-1,2.5)"}},
        {"ClearGamma",
         [](F& f) { f.attributes->ClearGamma(ColorAdjustTypeText); },
         {"GdipSetImageAttributesGamma(A,4,0,0)"}},
        {"SetNoOp",
         [](F& f) { f.attributes->SetNoOp(ColorAdjustTypePen); },
         {"GdipSetImageAttributesNoOp(A,3,-1)"}},
        {"ClearNoOp",
         [](F& f) { f.attributes->ClearNoOp(ColorAdjustTypePen); },
         {"GdipSetImageAttributesNoOp(A,3,0)"}},
        {"SetColorKey",
         [](F& f) { f.attributes->SetColorKey(0xFF000010, 0xFF000020, ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesColorKeys(A,1,-1,4278190096,4278190112)"}},
        {"ClearColorKey",
         [](F& f) { f.attributes->ClearColorKey(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesColorKeys(A,1,0,0,0)"}},
        {"SetOutputChannel",
         [](F& f) { f.attributes->SetOutputChannel(ColorChannelFlagsY, ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesOutputChannel(A,1,-1,2)"}},
        {"ClearOutputChannel passes the last channel",
         [](F& f) { f.attributes->ClearOutputChannel(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesOutputChannel(A,1,0,4)"}},
        {"SetOutputChannelColorProfile",
         [](F& f) { f.attributes->SetOutputChannelColorProfile(L"cmyk.icc"); },
         {"GdipSetImageAttributesOutputChannelColorProfile(A,0,-1,\"cmyk.icc\")"}},
        {"ClearOutputChannelColorProfile",
         [](F& f) { f.attributes->ClearOutputChannelColorProfile(ColorAdjustTypeBrush); },
         {"GdipSetImageAttributesOutputChannelColorProfile(A,2,0,null)"}},
        {"SetRemapTable counts the span",
         [](F& f) { f.attributes->SetRemapTable(gMap, ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesRemapTable(A,1,-1,2,map)"}},
        {"ClearRemapTable",
         [](F& f) { f.attributes->ClearRemapTable(ColorAdjustTypeBitmap); },
         {"GdipSetImageAttributesRemapTable(A,1,0,0,null)"}},
        {"SetBrushRemapTable is type 2",
         [](F& f) { f.attributes->SetBrushRemapTable(gMap); },
         {"GdipSetImageAttributesRemapTable(A,2,-1,2,map)"}},
        {"ClearBrushRemapTable is type 2",
         [](F& f) { f.attributes->ClearBrushRemapTable(); },
         {"GdipSetImageAttributesRemapTable(A,2,0,0,null)"}},
        {"SetWrapMode wrap, colour, clamp",
         [](F& f) { f.attributes->SetWrapMode(WrapModeTileFlipX, 0xFF00FF00, TRUE); },
         {"GdipSetImageAttributesWrapMode(A,1,4278255360,1)"}},
        {"GetAdjustedPalette",
         [](F& f) {
             ColorPalette palette{};
             f.attributes->GetAdjustedPalette(&palette, ColorAdjustTypeBitmap);
         },
         {"GdipGetImageAttributesAdjustedPalette(A,&,1)"}},
        {"Cached bitmap",
         [](F& f) { static_cast<void>(TGPCachedBitmap::Create(f.image.get(), f.graphics.get())); },
         {"GdipCreateCachedBitmap(I,G,&H3)", "GdipDeleteCachedBitmap(H3)"}},
        {"Cached bitmap without bitmap",
         [](F& f) { static_cast<void>(TGPCachedBitmap::Create(nullptr, f.graphics.get())); },
         {"GdipDeleteCachedBitmap(null)"}},
        {"Cached bitmap without graphics",
         [](F& f) { static_cast<void>(TGPCachedBitmap::Create(f.image.get(), nullptr)); },
         {"GdipDeleteCachedBitmap(null)"}},
    };
    return forms;
}

const std::vector<Form>& FormatForms() {
    static const std::vector<Form> forms = {
        {"Create flags and language",
         [](F&) { static_cast<void>(TGPStringFormat::Create(0x1000, 0x0804)); },
         {"GdipCreateStringFormat(4096,2052,&H3)", "GdipDeleteStringFormat(H3)"}},
        {"Create plain",
         [](F&) { static_cast<void>(TGPStringFormat::Create()); },
         {"GdipCreateStringFormat(0,0,&H3)", "GdipDeleteStringFormat(H3)"}},
        {"Create a copy",
         [](F& f) { static_cast<void>(TGPStringFormat::Create(f.format.get())); },
         {"GdipCloneStringFormat(SF,&H2)", "GdipDeleteStringFormat(H2)"}},
        {"Create a copy of none",
         [](F&) {
             static_cast<void>(TGPStringFormat::Create(static_cast<TGPStringFormat*>(nullptr)));
         },
         {"GdipCloneStringFormat(null,&H2)", "GdipDeleteStringFormat(H2)"}},
        {"Clone",
         [](F& f) { static_cast<void>(f.format->Clone()); },
         {"GdipCloneStringFormat(SF,&H2)", "GdipDeleteStringFormat(H2)"}},
        {"SetFormatFlags",
         [](F& f) { f.format->SetFormatFlags(0x4000); },
         {"GdipSetStringFormatFlags(SF,16384)"}},
        {"GetFormatFlags",
         [](F& f) { static_cast<void>(f.format->GetFormatFlags()); },
         {"GdipGetStringFormatFlags(SF,&2)"}},
        {"SetAlignment",
         [](F& f) { f.format->SetAlignment(StringAlignmentCenter); },
         {"GdipSetStringFormatAlign(SF,1)"}},
        {"GetAlignment",
         [](F& f) { static_cast<void>(f.format->GetAlignment()); },
         {"GdipGetStringFormatAlign(SF,&2)"}},
        {"SetLineAlignment",
         [](F& f) { f.format->SetLineAlignment(StringAlignmentFar); },
         {"GdipSetStringFormatLineAlign(SF,2)"}},
        {"GetLineAlignment",
         [](F& f) { static_cast<void>(f.format->GetLineAlignment()); },
         {"GdipGetStringFormatLineAlign(SF,&2)"}},
        {"SetHotkeyPrefix",
         [](F& f) { f.format->SetHotkeyPrefix(HotkeyPrefixShow); },
         {"GdipSetStringFormatHotkeyPrefix(SF,1)"}},
        {"GetHotkeyPrefix",
         [](F& f) { static_cast<void>(f.format->GetHotkeyPrefix()); },
         {"GdipGetStringFormatHotkeyPrefix(SF,&2)"}},
        {"SetTabStops offset, count, stops",
         [](F& f) { f.format->SetTabStops(4.0f, gTabs); },
         {"GdipSetStringFormatTabStops(SF,4,3,tabs)"}},
        {"GetTabStopCount",
         [](F& f) { static_cast<void>(f.format->GetTabStopCount()); },
         {"GdipGetStringFormatTabStopCount(SF,&2)"}},
        {"GetTabStops count, offset, stops",
         [](F& f) {
             REAL first = 0;
             f.format->GetTabStops(first, std::span<REAL>(gBuffer, 2));
         },
         {"GdipGetStringFormatTabStops(SF,2,&3,buf)"}},
        {"SetDigitSubstitution",
         [](F& f) { f.format->SetDigitSubstitution(0x0401, StringDigitSubstituteNational); },
         {"GdipSetStringFormatDigitSubstitution(SF,1025,2)"}},
        {"GetDigitSubstitutionLanguage asks for the language only",
         [](F& f) { static_cast<void>(f.format->GetDigitSubstitutionLanguage()); },
         {"GdipGetStringFormatDigitSubstitution(SF,&2,null)"}},
        {"GetDigitSubstitutionMethod asks for the method only",
         [](F& f) { static_cast<void>(f.format->GetDigitSubstitutionMethod()); },
         {"GdipGetStringFormatDigitSubstitution(SF,null,&3)"}},
        {"SetTrimming",
         [](F& f) { f.format->SetTrimming(StringTrimmingEllipsisWord); },
         {"GdipSetStringFormatTrimming(SF,4)"}},
        {"GetTrimming",
         [](F& f) { static_cast<void>(f.format->GetTrimming()); },
         {"GdipGetStringFormatTrimming(SF,&2)"}},
        {"SetMeasurableCharacterRanges counts the span",
         [](F& f) { f.format->SetMeasurableCharacterRanges(gRanges); },
         {"GdipSetStringFormatMeasurableCharacterRanges(SF,2,ranges)"}},
        {"GetMeasurableCharacterRangeCount",
         [](F& f) { static_cast<void>(f.format->GetMeasurableCharacterRangeCount()); },
         {"GdipGetStringFormatMeasurableCharacterRangeCount(SF,&2)"}},
    };
    return forms;
}

const std::vector<Form>& MetafileForms() {
    static const std::vector<Form> forms = {
        {"Create from a Windows metafile",
         [](F&) { static_cast<void>(TGPMetafile::Create(kWmf, gPlaceable, true)); },
         {"GdipCreateMetafileFromWmf(WMF,1,wph,&H4)", "GdipDisposeImage(H4)"}},
        {"Create from an enhanced metafile",
         [](F&) { static_cast<void>(TGPMetafile::Create(kEmf)); },
         {"GdipCreateMetafileFromEmf(EMF,0,&H3)", "GdipDisposeImage(H3)"}},
        {"Create from a file",
         [](F&) { static_cast<void>(TGPMetafile::Create(L"a.emf")); },
         {"GdipCreateMetafileFromFile(\"a.emf\",&H2)", "GdipDisposeImage(H2)"}},
        {"Create from a Windows metafile file",
         [](F&) { static_cast<void>(TGPMetafile::Create(L"a.wmf", gPlaceable)); },
         {"GdipCreateMetafileFromWmfFile(\"a.wmf\",wph,&H3)", "GdipDisposeImage(H3)"}},
        {"Create from a stream",
         [](F& f) { static_cast<void>(TGPMetafile::Create(f.stream)); },
         {"GdipCreateMetafileFromStream(ST,&H2)", "GdipDisposeImage(H2)"}},
        {"Record without a frame",
         [](F&) { static_cast<void>(TGPMetafile::Create(kHdc)); },
         {"GdipRecordMetafile(DC,5,null,7,null,&H6)", "GdipDisposeImage(H6)"}},
        {"Record without a frame, type and description",
         [](F&) { static_cast<void>(TGPMetafile::Create(kHdc, EmfTypeEmfOnly, L"d")); },
         {"GdipRecordMetafile(DC,3,null,7,\"d\",&H6)", "GdipDisposeImage(H6)"}},
        {"Record a float frame",
         [](F&) {
             static_cast<void>(TGPMetafile::Create(
                 kHdc, TGPRectF{1, 2, 3, 4}, MetafileFrameUnitPixel, EmfTypeEmfPlusOnly, L"d"));
         },
         {"GdipRecordMetafile(DC,4,{1,2,3,4},2,\"d\",&H6)", "GdipDisposeImage(H6)"}},
        {"Record an integer frame",
         [](F&) {
             static_cast<void>(
                 TGPMetafile::Create(kHdc, TGPRect{1, 2, 3, 4}, MetafileFrameUnitMillimeter));
         },
         {"GdipRecordMetafileI(DC,5,{1,2,3,4},6,null,&H6)", "GdipDisposeImage(H6)"}},
        {"Record to a file without a frame",
         [](F&) { static_cast<void>(TGPMetafile::Create(L"r.emf", kHdc, EmfTypeEmfOnly)); },
         {"GdipRecordMetafileFileName(\"r.emf\",DC,3,null,7,null,&H7)", "GdipDisposeImage(H7)"}},
        {"Record to a file with a float frame",
         [](F&) {
             static_cast<void>(TGPMetafile::Create(L"r.emf", kHdc, TGPRectF{1, 2, 3, 4},
                                                   MetafileFrameUnitInch, EmfTypeEmfPlusDual,
                                                   L"d"));
         },
         {"GdipRecordMetafileFileName(\"r.emf\",DC,5,{1,2,3,4},4,\"d\",&H7)",
          "GdipDisposeImage(H7)"}},
        {"Record to a file with an integer frame",
         [](F&) {
             static_cast<void>(
                 TGPMetafile::Create(L"r.emf", kHdc, TGPRect{1, 2, 3, 4}, MetafileFrameUnitPoint));
         },
         {"GdipRecordMetafileFileNameI(\"r.emf\",DC,5,{1,2,3,4},3,null,&H7)",
          "GdipDisposeImage(H7)"}},
        {"Record to a stream without a frame",
         [](F& f) {
             static_cast<void>(TGPMetafile::Create(f.stream, kHdc, EmfTypeEmfPlusOnly, L"d"));
         },
         {"GdipRecordMetafileStream(ST,DC,4,null,7,\"d\",&H7)", "GdipDisposeImage(H7)"}},
        {"Record to a stream with a float frame",
         [](F& f) {
             static_cast<void>(TGPMetafile::Create(f.stream, kHdc, TGPRectF{1, 2, 3, 4},
                                                   MetafileFrameUnitDocument));
         },
         {"GdipRecordMetafileStream(ST,DC,5,{1,2,3,4},5,null,&H7)", "GdipDisposeImage(H7)"}},
        {"Record to a stream with an integer frame",
         [](F& f) {
             static_cast<void>(TGPMetafile::Create(f.stream, kHdc, TGPRect{1, 2, 3, 4},
                                                   MetafileFrameUnitGdi, EmfTypeEmfOnly));
         },
         {"GdipRecordMetafileStreamI(ST,DC,3,{1,2,3,4},7,null,&H7)", "GdipDisposeImage(H7)"}},
        {"Create without a native object",
         [](F&) { static_cast<void>(TGPMetafile::Create()); },
         {"GdipDisposeImage(null)"}},
        {"Header of a Windows metafile",
         [](F&) { TGPMetafile::GetMetafileHeader(kWmf, gPlaceable, gHeader); },
         {"GdipGetMetafileHeaderFromWmf(WMF,wph,hdr)"}},
        {"Header of an enhanced metafile",
         [](F&) { TGPMetafile::GetMetafileHeader(kEmf, gHeader); },
         {"GdipGetMetafileHeaderFromEmf(EMF,hdr)"}},
        {"Header of a file",
         [](F&) { TGPMetafile::GetMetafileHeader(L"a.emf", gHeader); },
         {"GdipGetMetafileHeaderFromFile(\"a.emf\",hdr)"}},
        {"Header of a stream",
         [](F& f) { TGPMetafile::GetMetafileHeader(f.stream, gHeader); },
         {"GdipGetMetafileHeaderFromStream(ST,hdr)"}},
        {"Header of this metafile",
         [](F& f) { f.metafile->GetMetafileHeader(gHeader); },
         {"GdipGetMetafileHeaderFromMetafile(MF,hdr)"}},
        {"GetHENHMETAFILE",
         [](F& f) { static_cast<void>(f.metafile->GetHENHMETAFILE()); },
         {"GdipGetHemfFromMetafile(MF,&)"}},
        {"PlayRecord type, flags, size, data",
         [](F& f) { f.metafile->PlayRecord(0x4008, 5, gData); },
         {"GdipPlayMetafileRecord(MF,16392,5,4,data)"}},
        {"SetDownLevelRasterizationLimit",
         [](F& f) { f.metafile->SetDownLevelRasterizationLimit(96); },
         {"GdipSetMetafileDownLevelRasterizationLimit(MF,96)"}},
        {"GetDownLevelRasterizationLimit",
         [](F& f) { static_cast<void>(f.metafile->GetDownLevelRasterizationLimit()); },
         {"GdipGetMetafileDownLevelRasterizationLimit(MF,&2)"}},
        {"EmfToWmfBits size, buffer, map mode, flags",
         [](F&) { static_cast<void>(TGPMetafile::EmfToWmfBits(kEmf, gBits, MM_ANISOTROPIC, 1)); },
         {"GdipEmfToWmfBits(EMF,16,bits,8,1)"}},
        {"EmfToWmfBits asking for the size",
         [](F&) { static_cast<void>(TGPMetafile::EmfToWmfBits(kEmf, {}, MM_TEXT, 0)); },
         {"GdipEmfToWmfBits(EMF,0,null,1,0)"}},
    };
    return forms;
}

TEST_F(PenAttrFormatSpy, EachFormCallsItsFlatFunctionWithItsArguments) {
    ASSERT_NE(stream, nullptr);
    for (const auto* forms :
         {&PenForms(), &CapForms(), &AttributeForms(), &FormatForms(), &MetafileForms()}) {
        for (const Form& form : *forms) {
            spy.Take();
            form.call(*this);
            EXPECT_EQ(spy.Take(), form.expected) << form.what;
        }
    }
}

// ---- pens
// ----------------------------------------------------------------------------------------

INT gPenType = 0;
Status WINAPI PenTypeDouble(GpPen*, INT* type) {
    *type = gPenType;
    return Ok;
}
Status WINAPI PenColorDouble(GpPen*, ARGB* color) {
    *color = 0xFF123456;
    return Ok;
}
Status WINAPI PenFillDouble(GpPen*, GpBrush** fill) {
    *fill = kFill;
    return Ok;
}

TEST_F(PenAttrFormatSpy, PenStatusIsKeptUntilReadAndCreationStoresEveryStatus) {
    spy.Returns("GdipCreatePen1", OutOfMemory);
    auto failed = TGPPen::Create(0xFF000000);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->GetLastStatus(), OutOfMemory);
    EXPECT_EQ(failed->GetLastStatus(), Ok);

    spy.Returns("GdipSetPenWidth", GenericError);
    spy.Returns("GdipSetPenMode", NotImplemented);
    EXPECT_EQ(pen->SetWidth(2), GenericError);
    EXPECT_EQ(pen->GetWidth(), 2.0f);                                // succeeds: what the spy wrote
    EXPECT_EQ(pen->SetAlignment(PenAlignmentInset), NotImplemented); // its own status
    EXPECT_EQ(pen->GetLastStatus(), NotImplemented);
    EXPECT_EQ(pen->GetLastStatus(), Ok);
}

TEST_F(PenAttrFormatSpy, PenMissingArgumentsAreRefusedWithoutCallingGdiplus) {
    spy.Returns("GdipSetPenWidth", Aborted); // an earlier, unread failure is overwritten
    pen->SetWidth(1);
    spy.Take();
    auto noBrush = TGPPen::Create(nullptr, 2.0f);
    ASSERT_TRUE(noBrush);
    EXPECT_EQ(noBrush->Native(), nullptr);
    EXPECT_EQ(noBrush->GetLastStatus(), InvalidParameter);

    EXPECT_EQ(pen->GetCustomStartCap(nullptr), InvalidParameter);
    EXPECT_EQ(pen->GetCustomEndCap(nullptr), InvalidParameter);
    EXPECT_EQ(pen->GetCompoundArray({}), InvalidParameter);
    EXPECT_EQ(pen->SetTransform(nullptr), InvalidParameter);
    EXPECT_TRUE(spy.Take().empty());
    EXPECT_EQ(pen->GetLastStatus(), InvalidParameter);

    // Other missing wrappers are GDI+'s to judge.
    spy.Returns("GdipGetPenTransform", InvalidParameter);
    EXPECT_EQ(pen->GetTransform(nullptr), InvalidParameter);
    pen->MultiplyTransform(nullptr);
    pen->SetBrush(nullptr);
    EXPECT_EQ(spy.Take(),
              (Calls{"GdipGetPenTransform(P,null)", "GdipMultiplyPenTransform(P,null,0)",
                     "GdipSetPenBrushFill(P,null)"}));
    EXPECT_EQ(pen->GetLastStatus(), InvalidParameter);

    // An empty dash buffer is GDI+'s to judge.
    spy.Returns("GdipGetPenDashArray", InvalidParameter);
    EXPECT_EQ(pen->GetDashPattern({}), InvalidParameter);
    EXPECT_EQ(spy.Take(), Calls{"GdipGetPenDashArray(P,null,0)"});
}

TEST_F(PenAttrFormatSpy, PenCloneStoresItsStatusEvenWhenOkAndAlwaysWraps) {
    spy.table().GdipClonePen = [](GpPen*, GpPen** out) WINAPI -> Status {
        *out = kPenCopy;
        return Ok;
    };
    spy.Returns("GdipSetPenWidth", GenericError);
    pen->SetWidth(1);
    auto clone = pen->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kPenCopy);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(pen->GetLastStatus(), Ok); // the success cleared the unread failure

    spy.table().GdipClonePen = [](GpPen*, GpPen**) WINAPI -> Status { return ObjectBusy; };
    auto failed = pen->Clone();
    ASSERT_TRUE(failed); // wrapped all the same, carrying the failure
    EXPECT_EQ(failed->Native(), nullptr);
    EXPECT_EQ(failed->GetLastStatus(), ObjectBusy);
    EXPECT_EQ(pen->GetLastStatus(), ObjectBusy);
}

TEST_F(PenAttrFormatSpy, PenColourOnlyForSolidPensAndOnlyWhenNothingIsKept) {
    spy.table().GdipGetPenFillType = PenTypeDouble;
    const auto recorder = spy.table().GdipGetPenColor;
    spy.table().GdipGetPenColor = PenColorDouble;

    ARGB color = 7;
    gPenType = BrushTypeSolidColor;
    EXPECT_EQ(pen->GetColor(color), Ok);
    EXPECT_EQ(color, 0xFF123456u);

    // Not a solid pen: WrongState, neither kept nor asked for the colour.
    spy.table().GdipGetPenColor = recorder;
    spy.Returns("GdipSetPenWidth", Aborted);
    pen->SetWidth(1);
    spy.Take();
    color = 7;
    for (INT type : {BrushTypeHatchFill, BrushTypeTextureFill, BrushTypePathGradient,
                     BrushTypeLinearGradient}) {
        gPenType = type;
        EXPECT_EQ(pen->GetColor(color), WrongState) << type;
    }
    EXPECT_EQ(color, 7u);
    EXPECT_TRUE(spy.Take().empty());
    EXPECT_EQ(pen->GetLastStatus(), Aborted);

    // A solid pen with an unread failure answers that failure and leaves the colour alone.
    spy.table().GdipGetPenColor = PenColorDouble;
    gPenType = BrushTypeSolidColor;
    pen->SetWidth(1);
    EXPECT_EQ(pen->GetColor(color), Aborted);
    EXPECT_EQ(color, 7u);
    EXPECT_EQ(pen->GetLastStatus(), Aborted);
    EXPECT_EQ(pen->GetColor(color), Ok);
    EXPECT_EQ(color, 0xFF123456u);
}

TEST_F(PenAttrFormatSpy, PenBrushComesInTheClassOfItsFill) {
    spy.table().GdipGetPenFillType = PenTypeDouble;
    spy.table().GdipGetPenBrushFill = PenFillDouble;
    struct Row {
        INT type;
        const std::type_info* expected;
        Status firstStatus;
    };
    const Row rows[] = {
        {BrushTypeSolidColor, &typeid(TGPSolidBrush), Ok},
        {BrushTypeHatchFill, &typeid(TGPHatchBrush), Ok},
        {BrushTypeTextureFill, &typeid(TGPTextureBrush), Ok},
        {BrushTypePathGradient, &typeid(TGPBrush), NotImplemented},
        {BrushTypeLinearGradient, &typeid(TGPLinearGradientBrush), Ok},
    };
    for (const Row& row : rows) {
        gPenType = row.type;
        auto fill = pen->GetBrush();
        ASSERT_TRUE(fill) << row.type;
        EXPECT_EQ(typeid(*fill), *row.expected) << row.type;
        EXPECT_EQ(fill->Native(), kFill) << row.type;
        EXPECT_EQ(fill->GetLastStatus(), row.firstStatus) << row.type;
        EXPECT_EQ(fill->GetLastStatus(), Ok) << row.type;
        fill.reset();
        EXPECT_EQ(spy.Take(), Calls{"GdipDeleteBrush(FILL)"}) << row.type; // the caller's copy
    }
    gPenType = 5;
    EXPECT_FALSE(pen->GetBrush());
    EXPECT_TRUE(spy.Take().empty());

    // The fill call's failure is kept by the pen; the empty wrapper still comes back.
    gPenType = BrushTypeSolidColor;
    spy.table().GdipGetPenBrushFill = [](GpPen*, GpBrush**)
                                          WINAPI -> Status { return OutOfMemory; };
    auto none = pen->GetBrush();
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Native(), nullptr);
    EXPECT_EQ(pen->GetLastStatus(), OutOfMemory);
}

TEST_F(PenAttrFormatSpy, PenCustomCapIsHandedToTheCapWhichDeletesTheOneItHeld) {
    spy.table().GdipGetPenCustomStartCap = [](GpPen*, GpCustomLineCap** out) WINAPI -> Status {
        *out = kCap2;
        return Ok;
    };
    EXPECT_EQ(pen->GetCustomStartCap(cap.get()), Ok);
    EXPECT_EQ(cap->Native(), kCap2);
    EXPECT_EQ(spy.Take(), Calls{"GdipDeleteCustomLineCap(CAP)"});

    // A call that fails without writing leaves the cap as it was, and the pen keeps the failure.
    spy.Returns("GdipGetPenCustomEndCap", GenericError);
    EXPECT_EQ(pen->GetCustomEndCap(cap.get()), GenericError);
    EXPECT_EQ(cap->Native(), kCap2);
    EXPECT_EQ(spy.Take(), Calls{"GdipGetPenCustomEndCap(P,&)"});
    EXPECT_EQ(pen->GetLastStatus(), GenericError);
    EXPECT_EQ(cap->GetLastStatus(), Ok);
}

// ---- custom line caps
// ----------------------------------------------------------------------------

TEST_F(PenAttrFormatSpy, CapCloneRefusesWhileAFailureIsKeptAndLeavesNoCopy) {
    spy.table().GdipCloneCustomLineCap = [](GpCustomLineCap*, GpCustomLineCap** out)
                                             WINAPI -> Status {
        *out = kCap2;
        return Ok;
    };
    spy.Returns("GdipSetCustomLineCapBaseInset", ValueOverflow);
    cap->SetBaseInset(1e30f);
    spy.Take();
    EXPECT_FALSE(cap->Clone());
    EXPECT_EQ(spy.Take(), Calls{"GdipDeleteCustomLineCap(CAP2)"});
    EXPECT_EQ(cap->GetLastStatus(), ValueOverflow);

    auto clone = cap->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kCap2);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(cap->GetLastStatus(), Ok);

    spy.table().GdipCloneCustomLineCap = [](GpCustomLineCap*, GpCustomLineCap**)
                                             WINAPI -> Status { return OutOfMemory; };
    EXPECT_FALSE(cap->Clone());
    EXPECT_EQ(cap->GetLastStatus(), OutOfMemory);
}

TEST_F(PenAttrFormatSpy, CapCloneWithoutAWrapperDeletesTheCopyAndKeepsThatStatus) {
    spy.table().GdipCloneCustomLineCap = [](GpCustomLineCap*, GpCustomLineCap** out)
                                             WINAPI -> Status {
        *out = kCap2;
        return Ok;
    };
    spy.Returns("GdipDeleteCustomLineCap", ObjectBusy);
    spy.table().GdipAlloc = [](SIZE_T) WINAPI -> void* { return nullptr; };
    spy.Take();
    EXPECT_FALSE(cap->Clone());
    EXPECT_EQ(spy.Take(), Calls{"GdipDeleteCustomLineCap(CAP2)"});
    EXPECT_EQ(cap->GetLastStatus(), ObjectBusy);
    spy.Returns("GdipDeleteCustomLineCap", Ok);
}

TEST_F(PenAttrFormatSpy, CapStatusIsKeptUntilRead) {
    spy.Returns("GdipCreateCustomLineCap", InvalidParameter);
    auto failed = TGPCustomLineCap::Create(nullptr, nullptr);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(failed->GetLastStatus(), Ok);

    EXPECT_EQ(emptyCap->Native(), nullptr);
    EXPECT_EQ(emptyCap->GetLastStatus(), Ok);

    spy.Returns("GdipSetCustomLineCapStrokeCaps", NotImplemented);
    EXPECT_EQ(cap->SetStrokeCap(LineCapRound), NotImplemented);
    EXPECT_EQ(cap->GetWidthScale(), 2.0f);
    EXPECT_EQ(cap->GetLastStatus(), NotImplemented);
    EXPECT_EQ(cap->GetLastStatus(), Ok);
}

// ---- image attributes and cached bitmaps
// ---------------------------------------------------------

TEST_F(PenAttrFormatSpy, AttributesCloneCarriesTheSourceStatusUntested) {
    spy.table().GdipCloneImageAttributes = [](const GpImageAttributes*, GpImageAttributes** out)
                                               WINAPI -> Status {
        *out = kAttributesCopy;
        return Ok;
    };
    spy.Returns("GdipSetImageAttributesGamma", InvalidParameter);
    attributes->SetGamma(-1);
    auto clone = attributes->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kAttributesCopy);
    EXPECT_EQ(clone->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(attributes->GetLastStatus(), InvalidParameter);

    spy.table().GdipCloneImageAttributes = [](const GpImageAttributes*, GpImageAttributes**)
                                               WINAPI -> Status { return OutOfMemory; };
    auto failed = attributes->Clone();
    ASSERT_TRUE(failed); // a wrapper without a handle, carrying the failure
    EXPECT_EQ(failed->Native(), nullptr);
    EXPECT_EQ(failed->GetLastStatus(), OutOfMemory);
    EXPECT_EQ(attributes->GetLastStatus(), OutOfMemory);
}

TEST_F(PenAttrFormatSpy, AttributesAndCachedBitmapKeepTheirStatus) {
    spy.Returns("GdipCreateImageAttributes", OutOfMemory);
    auto failed = TGPImageAttributes::Create();
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->GetLastStatus(), OutOfMemory);
    EXPECT_EQ(failed->GetLastStatus(), Ok);

    spy.Returns("GdipSetImageAttributesThreshold", NotImplemented);
    EXPECT_EQ(attributes->SetThreshold(0.5f, ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->ClearThreshold(ColorAdjustTypeBitmap), NotImplemented);
    EXPECT_EQ(attributes->SetNoOp(), Ok);
    EXPECT_EQ(attributes->GetLastStatus(), NotImplemented);
    EXPECT_EQ(attributes->GetLastStatus(), Ok);

    spy.Returns("GdipCreateCachedBitmap", WrongState);
    auto cached = TGPCachedBitmap::Create(image.get(), graphics.get());
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->GetLastStatus(), WrongState);
    EXPECT_EQ(cached->GetLastStatus(), Ok);
    auto noBitmap = TGPCachedBitmap::Create(nullptr, graphics.get());
    auto noGraphics = TGPCachedBitmap::Create(image.get(), nullptr);
    for (TGPCachedBitmap* missing : {noBitmap.get(), noGraphics.get()}) {
        ASSERT_TRUE(missing);
        EXPECT_EQ(missing->Native(), nullptr);
        EXPECT_EQ(missing->GetLastStatus(), InvalidParameter);
    }
}

// ---- string formats
// ------------------------------------------------------------------------------

TEST_F(PenAttrFormatSpy, FormatCloneStoresEveryStatusAndGivesNoneOnFailure) {
    spy.Returns("GdipSetStringFormatAlign", InvalidParameter);
    format->SetAlignment(static_cast<StringAlignment>(9));
    spy.table().GdipCloneStringFormat = [](const GpStringFormat*, GpStringFormat** out)
                                            WINAPI -> Status {
        *out = kFormatCopy;
        return Ok;
    };
    auto clone = format->Clone();
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->Native(), kFormatCopy);
    EXPECT_EQ(clone->GetLastStatus(), Ok);
    EXPECT_EQ(format->GetLastStatus(), Ok); // the success cleared the unread failure

    spy.table().GdipCloneStringFormat = [](const GpStringFormat*, GpStringFormat**)
                                            WINAPI -> Status { return OutOfMemory; };
    EXPECT_FALSE(format->Clone());
    EXPECT_EQ(format->GetLastStatus(), OutOfMemory);

    // The copying constructor stores its status, whatever it is.
    auto copy = TGPStringFormat::Create(static_cast<TGPStringFormat*>(nullptr));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetLastStatus(), OutOfMemory);
    EXPECT_EQ(copy->GetLastStatus(), Ok);
}

TEST_F(PenAttrFormatSpy, FormatStatusIsKeptUntilReadAndDigitGettersAskForOneValueEach) {
    spy.table().GdipGetStringFormatDigitSubstitution =
        [](const GpStringFormat*, LANGID* language, StringDigitSubstitute* substitute)
            WINAPI -> Status {
        if (language) *language = 0x0401;
        if (substitute) *substitute = StringDigitSubstituteTraditional;
        return Ok;
    };
    EXPECT_EQ(format->GetDigitSubstitutionLanguage(), 0x0401);
    EXPECT_EQ(format->GetDigitSubstitutionMethod(), StringDigitSubstituteTraditional);

    spy.Returns("GdipCreateStringFormat", InvalidParameter);
    auto failed = TGPStringFormat::Create(-1);
    EXPECT_EQ(failed->GetLastStatus(), InvalidParameter);
    EXPECT_EQ(failed->GetLastStatus(), Ok);

    spy.Returns("GdipSetStringFormatTrimming", InvalidParameter);
    spy.Returns("GdipSetStringFormatFlags", ObjectBusy);
    EXPECT_EQ(format->SetTrimming(static_cast<StringTrimming>(9)), InvalidParameter);
    EXPECT_EQ(format->SetFormatFlags(0), ObjectBusy);
    EXPECT_EQ(format->GetTrimming(), StringTrimmingWord);
    EXPECT_EQ(format->GetLastStatus(), ObjectBusy);
    EXPECT_EQ(format->GetLastStatus(), Ok);
}

// ---- metafiles
// -----------------------------------------------------------------------------------

TEST_F(PenAttrFormatSpy, MetafileHeaderClassFormsKeepNothingTheInstanceFormKeeps) {
    spy.Returns("GdipGetMetafileHeaderFromFile", GenericError);
    spy.Returns("GdipGetMetafileHeaderFromEmf", InvalidParameter);
    spy.Returns("GdipGetMetafileHeaderFromMetafile", WrongState);
    spy.Returns("GdipGetHemfFromMetafile", Aborted);
    static_cast<void>(metafile->GetHENHMETAFILE()); // an unread failure, left as it is
    EXPECT_EQ(TGPMetafile::GetMetafileHeader(L"not.emf", gHeader), GenericError);
    EXPECT_EQ(TGPMetafile::GetMetafileHeader(kEmf, gHeader), InvalidParameter);
    EXPECT_EQ(metafile->GetLastStatus(), Aborted);
    EXPECT_EQ(metafile->GetLastStatus(), Ok);

    EXPECT_EQ(metafile->GetMetafileHeader(gHeader), WrongState);
    EXPECT_EQ(metafile->GetLastStatus(), WrongState);
    EXPECT_EQ(metafile->GetLastStatus(), Ok);
}

TEST_F(PenAttrFormatSpy, MetafileConstructorsStoreTheirStatusAndConversionCountsComeUnchanged) {
    spy.Returns("GdipRecordMetafile", Win32Error);
    auto recording = TGPMetafile::Create(kHdc);
    ASSERT_TRUE(recording);
    EXPECT_EQ(recording->GetLastStatus(), Win32Error);
    EXPECT_EQ(recording->GetLastStatus(), Ok);

    auto empty = TGPMetafile::Create();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Native(), nullptr);
    EXPECT_EQ(empty->GetLastStatus(), Ok);

    spy.Returns("GdipGetMetafileDownLevelRasterizationLimit", WrongState);
    EXPECT_EQ(metafile->GetDownLevelRasterizationLimit(), 0u);
    EXPECT_EQ(metafile->GetLastStatus(), WrongState);

    spy.table().GdipEmfToWmfBits = [](HENHMETAFILE, UINT size, LPBYTE, INT, INT)
                                       WINAPI -> UINT { return size ? 6 : 1234; };
    EXPECT_EQ(TGPMetafile::EmfToWmfBits(kEmf, {}, MM_ANISOTROPIC, 0), 1234u);
    EXPECT_EQ(TGPMetafile::EmfToWmfBits(kEmf, gBits, MM_ANISOTROPIC, 0), 6u);
    EXPECT_EQ(metafile->GetLastStatus(), Ok);
}

} // namespace
