// The GDI+ wrapper classes and the start-up and shutdown of GDI+ itself.
#pragma once

#include "gdiplus/Brush.h"
#include "gdiplus/Font.h"
#include "gdiplus/Graphics.h"
#include "gdiplus/GraphicsPath.h"
#include "gdiplus/Image.h"
#include "gdiplus/ImageAttributes.h"
#include "gdiplus/MatrixRegion.h"
#include "gdiplus/PenCap.h"
#include "gdiplus/StringFormat.h"

namespace tn::gdiplus {

// Runs once, after LoadGdiplusEntryPoints: GDI+ version 1, no debug callback, background thread
// and external codecs allowed. Its status is not looked at.
void StartupGdiplus() noexcept;
// Runs once, before UnloadGdiplusEntryPoints and after every other wrapper is gone: frees the
// cached generic objects (sans-serif, serif, monospace, typographic, default), then shuts GDI+
// down.
void ShutdownGdiplus() noexcept;

} // namespace tn::gdiplus
