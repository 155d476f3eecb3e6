// Test double for the whole flat API: every entry but GdipAlloc and GdipFree is replaced by a
// recorder that writes the call as text ("GdipDrawImageRect(G,I,1,2,3,4)") and returns a status
// chosen per entry (Ok unless told otherwise). A call that succeeds writes back through its
// out-parameters, the one in position n getting n (a number, or the new handle Hn), and the text
// shows it ("GdipGetRenderingOrigin(G,&2,&3)"), so where each output of a wrapper came from
// shows; a failing call writes nothing and shows "&". Single entries can then be replaced again by
// a hand-written double. The real table comes back when the SpyTable goes.
#pragma once

#include "gdiplus/GdipApiTesting.h"
#include "gdiplus/Gdiplus.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace tn::gdiplus::testing {

// Fake native handles the wrappers under test carry; they print as their labels.
inline const auto kGraphics = reinterpret_cast<GpGraphics*>(0x6000);
inline const auto kImage = reinterpret_cast<GpImage*>(0x7000);
inline const auto kClone = reinterpret_cast<GpImage*>(0x7100);
inline const auto kPen = reinterpret_cast<GpPen*>(0x8000);
inline const auto kBrush = reinterpret_cast<GpBrush*>(0x8100);
inline const auto kMatrix = reinterpret_cast<GpMatrix*>(0x8200);
inline const auto kRegion = reinterpret_cast<GpRegion*>(0x8300);
inline const auto kPath = reinterpret_cast<GpPath*>(0x8400);
inline const auto kFont = reinterpret_cast<GpFont*>(0x8500);
inline const auto kFormat = reinterpret_cast<GpStringFormat*>(0x8600);
inline const auto kAttributes = reinterpret_cast<GpImageAttributes*>(0x8700);
inline const auto kCached = reinterpret_cast<GpCachedBitmap*>(0x8800);
inline const auto kMetafile = reinterpret_cast<GpImage*>(0x8900);
inline const auto kHdc = reinterpret_cast<HDC>(0x9100);

inline std::map<std::uintptr_t, std::string>& Labels() {
    static std::map<std::uintptr_t, std::string> labels = {
        {0x6000, "G"}, {0x7000, "I"}, {0x7100, "I2"}, {0x8000, "P"},  {0x8100, "B"},
        {0x8200, "M"}, {0x8300, "R"}, {0x8400, "Pa"}, {0x8500, "F"},  {0x8600, "SF"},
        {0x8700, "A"}, {0x8800, "C"}, {0x8900, "MF"}, {0x9100, "DC"},
    };
    return labels;
}

// Labels more addresses: arrays and objects the calls under test are given.
inline void AddLabels(std::initializer_list<std::pair<const void*, const char*>> items) {
    for (auto [address, label] : items)
        Labels()[reinterpret_cast<std::uintptr_t>(address)] = label;
}

// A further fake handle of pointer type H, printed as its label.
template <typename H> H Fake(std::uintptr_t address, const char* label) {
    Labels()[address] = label;
    return reinterpret_cast<H>(address);
}

inline std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

template <typename R> std::string Record(const R* r) {
    if constexpr (requires { r->Width; }) {
        return "{" + Number(r->X) + "," + Number(r->Y) + "," + Number(r->Width) + "," +
               Number(r->Height) + "}";
    } else {
        return "{" + Number(r->X) + "," + Number(r->Y) + "}";
    }
}

template <typename T> std::string Arg(T value) {
    if constexpr (std::is_floating_point_v<T>) {
        return Number(value);
    } else if constexpr (std::is_enum_v<T>) {
        return std::to_string(static_cast<long long>(value));
    } else if constexpr (std::is_integral_v<T>) {
        return std::to_string(value);
    } else if constexpr (std::is_pointer_v<T>) {
        using Pointee = std::remove_pointer_t<T>;
        const auto address = reinterpret_cast<std::uintptr_t>(value);
        if (!address) return "null";
        if (auto it = Labels().find(address); it != Labels().end()) return it->second;
        if constexpr (std::is_same_v<Pointee, const TGPRectF> ||
                      std::is_same_v<Pointee, const TGPRect> ||
                      std::is_same_v<Pointee, const TGPPointF> ||
                      std::is_same_v<Pointee, const TGPPoint>) {
            return Record(value);
        } else if constexpr (std::is_same_v<Pointee, const WCHAR>) {
            std::string text = "\"";
            for (const WCHAR* c = value; *c; ++c)
                text += static_cast<char>(*c);
            return text + "\"";
        } else if constexpr (std::is_class_v<Pointee> && std::is_empty_v<Pointee>) {
            char text[16];
            std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(address));
            return text;
        } else {
            return "&"; // an out-parameter or buffer
        }
    } else {
        static_assert(sizeof(T) == 0, "argument type without a text form");
    }
}

// Out-parameters the recorders write back through: numbers and enumerations (not text buffers),
// and the library's own opaque handles. Records, buffers of other kinds and system handles are
// left alone.
template <typename T>
inline constexpr bool kNumberOut = std::is_arithmetic_v<T> || std::is_enum_v<T>;
template <> inline constexpr bool kNumberOut<char> = false;
template <> inline constexpr bool kNumberOut<wchar_t> = false;
template <typename T> inline constexpr bool kHandleOut = false;
template <typename H> inline constexpr bool kHandleOut<H*> = std::is_empty_v<H>;
template <typename P> inline constexpr bool kWrittenBack = false;
template <typename T>
inline constexpr bool kWrittenBack<T*> = !std::is_const_v<T> && (kNumberOut<T> || kHandleOut<T>);

// The value an out-parameter in position n gets.
template <typename T> T WrittenValue(int n) {
    if constexpr (std::is_pointer_v<T>) {
        char label[16];
        std::snprintf(label, sizeof label, "H%d", n);
        return Fake<T>(0xF000 + 0x10 * static_cast<std::uintptr_t>(n), label);
    } else {
        return static_cast<T>(n);
    }
}

// The argument in position n of a call as text; an out-parameter is written back first when the
// call succeeds.
template <typename T> std::string ArgWritingBack(T value, bool succeeds, int n) {
    if constexpr (kWrittenBack<T>) {
        if (!value) return "null";
        // A buffer the test named shows as its name and keeps what it holds.
        if (Labels().contains(reinterpret_cast<std::uintptr_t>(value))) return Arg(value);
        if (!succeeds) return "&";
        *value = WrittenValue<std::remove_pointer_t<T>>(n);
        return "&" + Arg(*value);
    } else {
        return Arg(value);
    }
}

struct CallLog {
    std::vector<std::string> calls;
    std::array<Status, kEntryPointCount> results{};
};
inline CallLog* g_log = nullptr;

inline void Log(std::string call) {
    if (g_log) g_log->calls.push_back(std::move(call));
}

template <std::size_t Index, typename F> struct Recorder;
template <std::size_t Index, typename R, typename... A> struct Recorder<Index, R(WINAPI*)(A...)> {
    static R WINAPI Call(A... args) noexcept {
        const Status status = g_log ? g_log->results[Index] : Ok;
        // Its region handles are the caller's, which GDI+ fills without replacing them.
        const bool readsOnly =
            EntryPointNames()[Index] == std::string_view("GdipMeasureCharacterRanges");
        [[maybe_unused]] const bool succeeds =
            (!std::is_same_v<R, Status> || status == Ok) && !readsOnly;
        std::string call = EntryPointNames()[Index];
        call += '(';
        int n = 0;
        ((call += n ? "," : "", call += ArgWritingBack(args, succeeds, ++n)), ...);
        call += ')';
        Log(std::move(call));
        if constexpr (std::is_same_v<R, Status>) {
            return status;
        } else if constexpr (!std::is_void_v<R>) {
            return R{};
        }
    }
};

[[nodiscard]] inline std::size_t IndexOf(std::string_view name) {
    const auto names = EntryPointNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return i;
    return names.size();
}

// What the recorders wrote, one call a line.
using Calls = std::vector<std::string>;

// One row of a table of forms: what is done with the fixture, and the calls that makes.
template <typename Fixture> struct FormOf {
    const char* what;
    std::function<void(Fixture&)> call;
    Calls expected;
};

class SpyTable {
public:
    SpyTable() : saved_(MutableEntryPoints()) {
        EntryPointTable& t = MutableEntryPoints();
        constexpr std::size_t base = __COUNTER__ + 1;
#define TN_GDIP_ENTRY(R, Name, Params)                                                             \
    t.Name = &Recorder<__COUNTER__ - base, decltype(t.Name)>::Call;
#include "gdiplus/GdipEntryPoints.inc"
#undef TN_GDIP_ENTRY
        t.GdipAlloc = saved_.GdipAlloc;
        t.GdipFree = saved_.GdipFree;
        g_log = &log_;
    }
    SpyTable(const SpyTable&) = delete;
    SpyTable& operator=(const SpyTable&) = delete;
    ~SpyTable() {
        MutableEntryPoints() = saved_;
        g_log = nullptr;
    }

    [[nodiscard]] EntryPointTable& table() noexcept {
        return MutableEntryPoints();
    }
    [[nodiscard]] const EntryPointTable& real() const noexcept {
        return saved_;
    }
    // The status the recorder of this entry returns from now on.
    void Returns(std::string_view name, Status status) {
        log_.results.at(IndexOf(name)) = status;
    }
    // The calls since the last Take.
    std::vector<std::string> Take() {
        return std::exchange(log_.calls, {});
    }

private:
    EntryPointTable saved_;
    CallLog log_;
};

} // namespace tn::gdiplus::testing
