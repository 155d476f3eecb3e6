// The GDI+ flat API bound by exported name at run time into one process-wide table of typed
// pointers; the wrapper classes call GDI+ only through it.
#pragma once

#include "gdiplus/GdipTypes.h"

#include <cstddef>
#include <span>
#include <string>

namespace tn::gdiplus {

// One typed __stdcall pointer per flat function, named after its export, in binding order.
struct EntryPointTable {
#define TN_GDIP_ENTRY(R, Name, Params) R(WINAPI* Name) Params = nullptr;
#include "gdiplus/GdipEntryPoints.inc"
#undef TN_GDIP_ENTRY
};

inline constexpr std::size_t kEntryPointCount = 607;

// The bound table. Written only by the binding and unbinding routines (and test doubles).
[[nodiscard]] const EntryPointTable& Gdip() noexcept;
// The library handle; null while the library is not loaded.
[[nodiscard]] HMODULE GdiplusLibrary() noexcept;

// Loads the library by bare name (the system's search order applies) and binds every entry by its
// exported name. A name the library lacks gets a stand-in of the same type that returns
// NotImplemented (or nothing, null or 0), so no wrapper ever calls an empty pointer. When the
// library does not load, every entry stays empty.
void LoadGdiplusEntryPoints(const wchar_t* library = L"gdiplus.dll") noexcept;
// Frees the library and empties every entry; does nothing when no library is loaded.
void UnloadGdiplusEntryPoints() noexcept;

// GDI+ is required: without the library, GdiplusStartup, GdipAlloc or GdipFree the program cannot
// run.
// The entry routine shows the message and stops before its first window.
struct GdiplusAvailability {
    bool ok = false;
    std::wstring message;
};
[[nodiscard]] GdiplusAvailability CheckGdiplusEntryPoints();

// ---- introspection, by binding position (0-based)
// ------------------------------------------------
enum class EntryState { Empty, Bound, StandIn };
[[nodiscard]] std::span<const char* const> EntryPointNames() noexcept;
[[nodiscard]] EntryState GetEntryPointState(std::size_t index) noexcept;
[[nodiscard]] FARPROC GetEntryPointAddress(std::size_t index) noexcept;

} // namespace tn::gdiplus
