#include "gdiplus/GdipApi.h"
#include "gdiplus/GdipApiTesting.h"

#include <array>
#include <cstdlib>
#include <type_traits>
#include <utility>

namespace tn::gdiplus {
namespace {

EntryPointTable g_table;
// Owned by the binding and unbinding routines, not by a destructor: at process exit the library
// must outlive whatever static objects still call into it.
HMODULE g_library = nullptr;

// Function pointers pass through void(*)() so that no cast between unrelated function types is
// made directly (GetProcAddress hands out one generic type for every export).
template <typename F> FARPROC ToProc(F f) noexcept {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}
template <typename F> F FromProc(FARPROC p) noexcept {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

// What a wrapper gets when it calls an entry the library does not export.
template <typename F> struct StandIn;
template <typename R, typename... A> struct StandIn<R(WINAPI*)(A...)> {
    static R WINAPI Call(A...) noexcept {
        if constexpr (std::is_same_v<R, Status>) {
            return NotImplemented;
        } else if constexpr (!std::is_void_v<R>) {
            return R{};
        }
    }
};
template <typename F> F StandInFor(F) noexcept {
    return &StandIn<F>::Call;
}

template <typename F> bool IsStandIn(F f) noexcept {
    return f == StandInFor(f);
}

template <typename F> F Bind(HMODULE lib, const char* name) noexcept {
    if (FARPROC p = ::GetProcAddress(lib, name)) return FromProc<F>(p);
    return &StandIn<F>::Call;
}

constexpr std::array<const char*, kEntryPointCount> kNames = {
#define TN_GDIP_ENTRY(R, Name, Params) #Name,
#include "gdiplus/GdipEntryPoints.inc"
#undef TN_GDIP_ENTRY
};

struct Probe {
    FARPROC current;
    FARPROC standIn;
};

Probe ProbeAt(std::size_t index) noexcept {
    const EntryPointTable& t = g_table;
    std::size_t k = 0;
#define TN_GDIP_ENTRY(R, Name, Params)                                                             \
    if (k++ == index) return {ToProc(t.Name), ToProc(StandInFor(t.Name))};
#include "gdiplus/GdipEntryPoints.inc"
#undef TN_GDIP_ENTRY
    return {nullptr, nullptr};
}

} // namespace

TPathData::~TPathData() {
    std::free(Points);
    std::free(Types);
}

const EntryPointTable& Gdip() noexcept {
    return g_table;
}
EntryPointTable& MutableEntryPoints() noexcept {
    return g_table;
}
HMODULE GdiplusLibrary() noexcept {
    return g_library;
}

void LoadGdiplusEntryPoints(const wchar_t* library) noexcept {
    // Binding again starts from an unbound table.
    UnloadGdiplusEntryPoints();
    HMODULE lib = ::LoadLibraryW(library);
    if (!lib) return;
    g_library = lib;
    EntryPointTable& t = g_table;
#define TN_GDIP_ENTRY(R, Name, Params) t.Name = Bind<decltype(t.Name)>(lib, #Name);
#include "gdiplus/GdipEntryPoints.inc"
#undef TN_GDIP_ENTRY
}

void UnloadGdiplusEntryPoints() noexcept {
    if (!g_library) return;
    ::FreeLibrary(std::exchange(g_library, nullptr));
    g_table = EntryPointTable{};
}

GdiplusAvailability CheckGdiplusEntryPoints() {
    if (!g_library) return {false, L"无法加载图形组件 gdiplus.dll，程序无法运行。"};
    const auto missing = [](const wchar_t* name) -> GdiplusAvailability {
        return {false,
                std::wstring(L"图形组件 gdiplus.dll 缺少函数 ") + name + L"，程序无法运行。"};
    };
    if (IsStandIn(g_table.GdiplusStartup)) return missing(L"GdiplusStartup");
    if (IsStandIn(g_table.GdipAlloc)) return missing(L"GdipAlloc");
    // Without it every wrapper's memory would stay taken.
    if (IsStandIn(g_table.GdipFree)) return missing(L"GdipFree");
    return {true, {}};
}

std::span<const char* const> EntryPointNames() noexcept {
    return kNames;
}

EntryState GetEntryPointState(std::size_t index) noexcept {
    const Probe p = ProbeAt(index);
    if (!p.current) return EntryState::Empty;
    return p.current == p.standIn ? EntryState::StandIn : EntryState::Bound;
}

FARPROC GetEntryPointAddress(std::size_t index) noexcept {
    return ProbeAt(index).current;
}

} // namespace tn::gdiplus
