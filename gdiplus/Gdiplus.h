// The GDI+ subsystem: the flat API bound at run time and the wrapper classes over it.
// Start-up, before the first window: LoadGdiplusEntryPoints, CheckGdiplusEntryPoints (stop with
// its message when it fails), StartupGdiplus. At the end: ShutdownGdiplus,
// UnloadGdiplusEntryPoints.
#pragma once

#include "gdiplus/GdipApi.h"
#include "gdiplus/GdipObj.h"
