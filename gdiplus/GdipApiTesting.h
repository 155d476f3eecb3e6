// Test seam: the entry-point table itself, writable, so a test can put doubles in place of single
// flat functions. Production code reads the table through Gdip() only.
#pragma once

#include "gdiplus/GdipApi.h"

namespace tn::gdiplus {

[[nodiscard]] EntryPointTable& MutableEntryPoints() noexcept;

} // namespace tn::gdiplus
