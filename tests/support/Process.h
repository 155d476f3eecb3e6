// Programs under test: paths of the build and source trees as Windows paths, starting a program,
// waiting for its end, and answering the message boxes it shows.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tn::testing {

// TN_BINARY_DIR / TN_SOURCE_DIR (Unix paths set by CTest) + a relative path, as a Windows path.
[[nodiscard]] std::wstring BuildFile(const std::wstring& relative);
[[nodiscard]] std::wstring SourceFile(const std::wstring& relative);

inline constexpr DWORD kRunBound = 60000;

// A started program. One still running when this is destroyed is ended, so that a failed
// assertion never leaves it running into the next test.
struct Process {
    Process() = default;
    Process(UniqueHandleKernel handle, DWORD id) noexcept : Handle(std::move(handle)), Id(id) {}
    Process(Process&&) noexcept = default;
    Process& operator=(Process&&) = delete;
    ~Process();

    UniqueHandleKernel Handle;
    DWORD Id = 0;
};
// Starts exe with args (a test failure when it cannot start).
[[nodiscard]] Process Start(const std::wstring& exe, const std::wstring& args);
// The exit code; none when the process is still running after ms.
[[nodiscard]] std::optional<DWORD> WaitExit(const Process& p, DWORD ms = kRunBound);

// Sees every dialog box that any process creates, through the system's window events; the boxes
// are then read and answered like a user would.
class BoxWatch {
public:
    struct Box {
        HWND Window;
        DWORD Process;
    };

    BoxWatch();
    BoxWatch(const BoxWatch&) = delete;
    BoxWatch& operator=(const BoxWatch&) = delete;
    ~BoxWatch();

    // The next box of process p; none when p ends first or the bound passes.
    std::optional<HWND> Next(const Process& p, DWORD ms = kRunBound);
    [[nodiscard]] bool SawBoxOf(DWORD process);

    // Each waits until the box runs its own message loop, so that it is complete.
    static std::wstring Caption(HWND box);
    static std::wstring Message(HWND box);
    static void Click(HWND box, int button);

private:
    static void CALLBACK Event(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD);
    static std::wstring Text(HWND window);
    static void Pump();

    static inline BoxWatch* Current = nullptr;
    HWINEVENTHOOK FHook = nullptr;
    std::deque<Box> FBoxes;
    std::vector<Box> FSeen;
};

} // namespace tn::testing
