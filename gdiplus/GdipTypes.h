// The GDI+ flat API's own types: status codes, enumerations, records and opaque handles, declared
// here because the library is bound by name at run time and nothing of its SDK is used.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>

namespace tn::gdiplus {

enum Status : std::int32_t {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

using REAL = float;
using ARGB = std::uint32_t;
using PixelFormat = std::int32_t;
using GraphicsState = UINT;
using GraphicsContainer = UINT;
using EmfPlusRecordType = INT;

// Pixel formats used by the wrappers' defaults and the tests.
inline constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
inline constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
inline constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;

// Lock modes of BitmapLockBits.
inline constexpr UINT ImageLockModeRead = 1;
inline constexpr UINT ImageLockModeWrite = 2;
inline constexpr UINT ImageLockModeUserInputBuf = 4;

// ---- enumerations (32-bit, the flat API's values)
// ------------------------------------------------

enum Unit_ : std::int32_t {
    UnitWorld,
    UnitDisplay,
    UnitPixel,
    UnitPoint,
    UnitInch,
    UnitDocument,
    UnitMillimeter
};
enum FillMode : std::int32_t { FillModeAlternate, FillModeWinding };
enum MatrixOrder : std::int32_t { MatrixOrderPrepend, MatrixOrderAppend };
enum CombineMode : std::int32_t {
    CombineModeReplace,
    CombineModeIntersect,
    CombineModeUnion,
    CombineModeXor,
    CombineModeExclude,
    CombineModeComplement
};
enum WrapMode : std::int32_t {
    WrapModeTile,
    WrapModeTileFlipX,
    WrapModeTileFlipY,
    WrapModeTileFlipXY,
    WrapModeClamp
};
enum BrushType : std::int32_t {
    BrushTypeSolidColor,
    BrushTypeHatchFill,
    BrushTypeTextureFill,
    BrushTypePathGradient,
    BrushTypeLinearGradient
};
enum LinearGradientMode : std::int32_t {
    LinearGradientModeHorizontal,
    LinearGradientModeVertical,
    LinearGradientModeForwardDiagonal,
    LinearGradientModeBackwardDiagonal
};
enum HatchStyle : std::int32_t {
    HatchStyleHorizontal,
    HatchStyleVertical,
    HatchStyleForwardDiagonal,
    HatchStyleBackwardDiagonal,
    HatchStyleCross,
    HatchStyleDiagonalCross,
    HatchStyle05Percent,
    HatchStyle10Percent,
    HatchStyle20Percent,
    HatchStyle25Percent,
    HatchStyle30Percent,
    HatchStyle40Percent,
    HatchStyle50Percent,
    HatchStyle60Percent,
    HatchStyle70Percent,
    HatchStyle75Percent,
    HatchStyle80Percent,
    HatchStyle90Percent,
    HatchStyleLightDownwardDiagonal,
    HatchStyleLightUpwardDiagonal,
    HatchStyleDarkDownwardDiagonal,
    HatchStyleDarkUpwardDiagonal,
    HatchStyleWideDownwardDiagonal,
    HatchStyleWideUpwardDiagonal,
    HatchStyleLightVertical,
    HatchStyleLightHorizontal,
    HatchStyleNarrowVertical,
    HatchStyleNarrowHorizontal,
    HatchStyleDarkVertical,
    HatchStyleDarkHorizontal,
    HatchStyleDashedDownwardDiagonal,
    HatchStyleDashedUpwardDiagonal,
    HatchStyleDashedHorizontal,
    HatchStyleDashedVertical,
    HatchStyleSmallConfetti,
    HatchStyleLargeConfetti,
    HatchStyleZigZag,
    HatchStyleWave,
    HatchStyleDiagonalBrick,
    HatchStyleHorizontalBrick,
    HatchStyleWeave,
    HatchStylePlaid,
    HatchStyleDivot,
    HatchStyleDottedGrid,
    HatchStyleDottedDiamond,
    HatchStyleShingle,
    HatchStyleTrellis,
    HatchStyleSphere,
    HatchStyleSmallGrid,
    HatchStyleSmallCheckerBoard,
    HatchStyleLargeCheckerBoard,
    HatchStyleOutlinedDiamond,
    HatchStyleSolidDiamond,
    HatchStyleTotal,
};
enum DashStyle : std::int32_t {
    DashStyleSolid,
    DashStyleDash,
    DashStyleDot,
    DashStyleDashDot,
    DashStyleDashDotDot,
    DashStyleCustom
};
enum DashCap : std::int32_t { DashCapFlat = 0, DashCapRound = 2, DashCapTriangle = 3 };
enum LineCap : std::int32_t {
    LineCapFlat = 0,
    LineCapSquare = 1,
    LineCapRound = 2,
    LineCapTriangle = 3,
    LineCapNoAnchor = 0x10,
    LineCapSquareAnchor = 0x11,
    LineCapRoundAnchor = 0x12,
    LineCapDiamondAnchor = 0x13,
    LineCapArrowAnchor = 0x14,
    LineCapCustom = 0xff,
};
enum LineJoin : std::int32_t { LineJoinMiter, LineJoinBevel, LineJoinRound, LineJoinMiterClipped };
enum PenAlignment : std::int32_t { PenAlignmentCenter, PenAlignmentInset };
enum CustomLineCapType : std::int32_t {
    CustomLineCapTypeDefault,
    CustomLineCapTypeAdjustableArrow
};
enum ColorAdjustType : std::int32_t {
    ColorAdjustTypeDefault,
    ColorAdjustTypeBitmap,
    ColorAdjustTypeBrush,
    ColorAdjustTypePen,
    ColorAdjustTypeText,
    ColorAdjustTypeCount,
    ColorAdjustTypeAny
};
enum ColorMatrixFlags : std::int32_t {
    ColorMatrixFlagsDefault,
    ColorMatrixFlagsSkipGrays,
    ColorMatrixFlagsAltGray
};
enum ColorChannelFlags : std::int32_t {
    ColorChannelFlagsC,
    ColorChannelFlagsM,
    ColorChannelFlagsY,
    ColorChannelFlagsK,
    ColorChannelFlagsLast
};
enum StringAlignment : std::int32_t {
    StringAlignmentNear,
    StringAlignmentCenter,
    StringAlignmentFar
};
enum StringTrimming : std::int32_t {
    StringTrimmingNone,
    StringTrimmingCharacter,
    StringTrimmingWord,
    StringTrimmingEllipsisCharacter,
    StringTrimmingEllipsisWord,
    StringTrimmingEllipsisPath
};
enum HotkeyPrefix : std::int32_t { HotkeyPrefixNone, HotkeyPrefixShow, HotkeyPrefixHide };
enum StringDigitSubstitute : std::int32_t {
    StringDigitSubstituteUser,
    StringDigitSubstituteNone,
    StringDigitSubstituteNational,
    StringDigitSubstituteTraditional
};
enum MetafileType : std::int32_t {
    MetafileTypeInvalid,
    MetafileTypeWmf,
    MetafileTypeWmfPlaceable,
    MetafileTypeEmf,
    MetafileTypeEmfPlusOnly,
    MetafileTypeEmfPlusDual
};
enum EmfType : std::int32_t { EmfTypeEmfOnly = 3, EmfTypeEmfPlusOnly = 4, EmfTypeEmfPlusDual = 5 };
enum MetafileFrameUnit : std::int32_t {
    MetafileFrameUnitPixel = 2,
    MetafileFrameUnitPoint = 3,
    MetafileFrameUnitInch = 4,
    MetafileFrameUnitDocument = 5,
    MetafileFrameUnitMillimeter = 6,
    MetafileFrameUnitGdi = 7
};
enum FlushIntention : std::int32_t { FlushIntentionFlush, FlushIntentionSync };
enum CompositingMode : std::int32_t { CompositingModeSourceOver, CompositingModeSourceCopy };
enum QualityMode : std::int32_t {
    QualityModeInvalid = -1,
    QualityModeDefault = 0,
    QualityModeLow = 1,
    QualityModeHigh = 2
};
enum CompositingQuality : std::int32_t {
    CompositingQualityInvalid = -1,
    CompositingQualityDefault,
    CompositingQualityHighSpeed,
    CompositingQualityHighQuality,
    CompositingQualityGammaCorrected,
    CompositingQualityAssumeLinear
};
enum SmoothingMode : std::int32_t {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault,
    SmoothingModeHighSpeed,
    SmoothingModeHighQuality,
    SmoothingModeNone,
    SmoothingModeAntiAlias
};
enum PixelOffsetMode : std::int32_t {
    PixelOffsetModeInvalid = -1,
    PixelOffsetModeDefault,
    PixelOffsetModeHighSpeed,
    PixelOffsetModeHighQuality,
    PixelOffsetModeNone,
    PixelOffsetModeHalf
};
enum InterpolationMode : std::int32_t {
    InterpolationModeInvalid = -1,
    InterpolationModeDefault,
    InterpolationModeLowQuality,
    InterpolationModeHighQuality,
    InterpolationModeBilinear,
    InterpolationModeBicubic,
    InterpolationModeNearestNeighbor,
    InterpolationModeHighQualityBilinear,
    InterpolationModeHighQualityBicubic
};
enum TextRenderingHint : std::int32_t {
    TextRenderingHintSystemDefault,
    TextRenderingHintSingleBitPerPixelGridFit,
    TextRenderingHintSingleBitPerPixel,
    TextRenderingHintAntiAliasGridFit,
    TextRenderingHintAntiAlias,
    TextRenderingHintClearTypeGridFit
};
enum CoordinateSpace : std::int32_t {
    CoordinateSpaceWorld,
    CoordinateSpacePage,
    CoordinateSpaceDevice
};
enum ImageType : std::int32_t { ImageTypeUnknown, ImageTypeBitmap, ImageTypeMetafile };
enum RotateFlipType : std::int32_t {
    RotateNoneFlipNone,
    Rotate90FlipNone,
    Rotate180FlipNone,
    Rotate270FlipNone,
    RotateNoneFlipX,
    Rotate90FlipX,
    Rotate180FlipX,
    Rotate270FlipX
};
enum WarpMode : std::int32_t { WarpModePerspective, WarpModeBilinear };
enum DebugEventLevel : std::int32_t { DebugEventLevelFatal, DebugEventLevelWarning };

// ---- geometry and data records (the flat API's layouts)
// ------------------------------------------

struct TGPPointF {
    REAL X;
    REAL Y;
};
struct TGPPoint {
    INT X;
    INT Y;
};
struct TGPRectF {
    REAL X;
    REAL Y;
    REAL Width;
    REAL Height;
};
struct TGPRect {
    INT X;
    INT Y;
    INT Width;
    INT Height;
};
struct TGPSizeF {
    REAL Width;
    REAL Height;
};
struct TCharacterRange {
    INT First;
    INT Length;
};
using PGPPointF = TGPPointF*;
using PGPPoint = TGPPoint*;
using PGPRectF = TGPRectF*;
using PGPRect = TGPRect*;
using PGPColor = ARGB*;

struct ColorPalette {
    UINT Flags;
    UINT Count;
    ARGB Entries[1];
};
using PColorPalette = ColorPalette*;

struct BitmapData {
    UINT Width;
    UINT Height;
    INT Stride;
    PixelFormat PixelFormat;
    void* Scan0;
    UINT_PTR Reserved;
};

using PROPID = ULONG;
struct PropertyItem {
    PROPID id;
    ULONG length;
    WORD type;
    void* value;
};
using PPropertyItem = PropertyItem*;

struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    void* Value;
};
struct EncoderParameters {
    UINT Count;
    EncoderParameter Parameter[1];
};
using PEncoderParameters = EncoderParameters*;

struct ImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};

struct ColorMatrix {
    REAL m[5][5];
};
struct ColorMap {
    ARGB oldColor;
    ARGB newColor;
};

#pragma pack(push, 2)
struct WmfPlaceableFileHeader {
    UINT32 Key;
    INT16 Hmf;
    struct {
        INT16 Left, Top, Right, Bottom;
    } BoundingBox;
    INT16 Inch;
    UINT32 Reserved;
    INT16 Checksum;
};
#pragma pack(pop)
static_assert(sizeof(WmfPlaceableFileHeader) == 22);

// Receiver of a path's points and point types; its three fields are the flat API's path-data
// record, so the object's address is what GetPathData fills. Owns both arrays, which whoever fills
// them takes from std::malloc.
class TPathData {
public:
    TPathData() noexcept = default;
    TPathData(const TPathData&) = delete;
    TPathData& operator=(const TPathData&) = delete;
    ~TPathData();

    INT Count = 0;
    TGPPointF* Points = nullptr;
    BYTE* Types = nullptr;
};

// The metafile header exactly as the flat API fills it in one write.
struct ENHMETAHEADER3 {
    DWORD iType;
    DWORD nSize;
    RECTL rclBounds;
    RECTL rclFrame;
    DWORD dSignature;
    DWORD nVersion;
    DWORD nBytes;
    DWORD nRecords;
    WORD nHandles;
    WORD sReserved;
    DWORD nDescription;
    DWORD offDescription;
    DWORD nPalEntries;
    SIZEL szlDevice;
    SIZEL szlMillimeters;
};
static_assert(sizeof(ENHMETAHEADER3) == 88);

struct TMetafileHeader {
    MetafileType Type_;
    UINT Size;
    UINT Version;
    UINT EmfPlusFlags;
    REAL DpiX;
    REAL DpiY;
    INT X;
    INT Y;
    INT Width;
    INT Height;
    union {
        METAHEADER WmfHeader;
        ENHMETAHEADER3 EmfHeader;
    } Header;
    INT EmfPlusHeaderSize;
    INT LogicalDpiX;
    INT LogicalDpiY;

    [[nodiscard]] bool IsWmf() const noexcept {
        return Type_ == MetafileTypeWmf || Type_ == MetafileTypeWmfPlaceable;
    }
    [[nodiscard]] bool IsWmfPlaceable() const noexcept { return Type_ == MetafileTypeWmfPlaceable; }
    [[nodiscard]] bool IsEmf() const noexcept { return Type_ == MetafileTypeEmf; }
    [[nodiscard]] bool IsEmfOrEmfPlus() const noexcept { return Type_ > MetafileTypeWmfPlaceable; }
    [[nodiscard]] bool IsEmfPlus() const noexcept { return Type_ > MetafileTypeEmf; }
    [[nodiscard]] bool IsEmfPlusDual() const noexcept { return Type_ == MetafileTypeEmfPlusDual; }
    [[nodiscard]] bool IsEmfPlusOnly() const noexcept { return Type_ == MetafileTypeEmfPlusOnly; }
    [[nodiscard]] bool IsDisplay() const noexcept { return IsEmfPlus() && (EmfPlusFlags & 1) != 0; }
    [[nodiscard]] const METAHEADER* GetWmfHeader() const noexcept {
        return IsWmf() ? &Header.WmfHeader : nullptr;
    }
    [[nodiscard]] const ENHMETAHEADER3* GetEmfHeader() const noexcept {
        return IsEmfOrEmfPlus() ? &Header.EmfHeader : nullptr;
    }
    void GetBounds(TGPRect& rect) const noexcept { rect = {X, Y, Width, Height}; }
};
static_assert(sizeof(TMetafileHeader) == 140);

// ---- callbacks and start-up records
// --------------------------------------------------------------

using ImageAbort = BOOL(WINAPI*)(void* callbackData);
using DrawImageAbort = ImageAbort;
using GetThumbnailImageAbort = ImageAbort;
using EnumerateMetafileProc = BOOL(WINAPI*)(EmfPlusRecordType recordType, UINT flags, UINT dataSize,
                                            const BYTE* data, void* callbackData);
using DebugEventProc = void(WINAPI*)(DebugEventLevel level, CHAR* message);

struct GdiplusStartupInput {
    UINT32 GdiplusVersion;
    DebugEventProc DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};
#ifndef _WIN64
static_assert(sizeof(GdiplusStartupInput) == 16);
#endif

using NotificationHookProc = Status(WINAPI*)(ULONG_PTR* token);
using NotificationUnhookProc = void(WINAPI*)(ULONG_PTR token);
struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};

// ---- opaque native handles
// ----------------------------------------------------------------------

// Never instantiated: the library owns the objects. The derived kinds mirror which handles the
// flat API accepts in place of which.

struct GpGraphics {};
struct GpBrush {};
struct GpTexture : GpBrush {};
struct GpSolidFill : GpBrush {};
struct GpLineGradient : GpBrush {};
struct GpPathGradient : GpBrush {};
struct GpHatch : GpBrush {};
struct GpPen {};
struct GpCustomLineCap {};
struct GpAdjustableArrowCap : GpCustomLineCap {};
struct GpImage {};
struct GpBitmap : GpImage {};
struct GpMetafile : GpImage {};
struct GpImageAttributes {};
struct GpPath {};
struct GpRegion {};
struct GpPathIterator {};
struct GpFontFamily {};
struct GpFont {};
struct GpStringFormat {};
struct GpFontCollection {};
struct GpCachedBitmap {};
struct GpMatrix {};

} // namespace tn::gdiplus
