#include "tests/support/Process.h"

#include "classlib/Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string_view>

namespace tn::testing {

namespace {
std::wstring FromEnv(const char* name, const std::wstring& relative) {
    const char* v = std::getenv(name);
    if (!v)
        throw std::runtime_error(std::string(name) + " is not set: run the tests through CTest");
    std::wstring path = L"Z:" + text::FromUtf8(v) + L"/" + relative;
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
} // namespace

std::wstring BuildFile(const std::wstring& relative) {
    return FromEnv("TN_BINARY_DIR", relative);
}
std::wstring SourceFile(const std::wstring& relative) {
    return FromEnv("TN_SOURCE_DIR", relative);
}

Process Start(const std::wstring& exe, const std::wstring& args) {
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << text::ToUtf8(exe);
        return {};
    }
    const UniqueHandleKernel thread(pi.hThread);
    return {UniqueHandleKernel(pi.hProcess), pi.dwProcessId};
}

Process::~Process() {
    if (!Handle || ::WaitForSingleObject(Handle.get(), 0) != WAIT_TIMEOUT) return;
    ::TerminateProcess(Handle.get(), 1);
    ::WaitForSingleObject(Handle.get(), 5000);
}

std::optional<DWORD> WaitExit(const Process& p, DWORD ms) {
    if (!p.Handle || ::WaitForSingleObject(p.Handle.get(), ms) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(p.Handle.get(), &code);
    return code;
}

BoxWatch::BoxWatch() {
    Current = this;
    FHook = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, &BoxWatch::Event,
                              0, 0, WINEVENT_OUTOFCONTEXT);
    EXPECT_NE(FHook, nullptr);
}

BoxWatch::~BoxWatch() {
    if (FHook) ::UnhookWinEvent(FHook);
    Current = nullptr;
}

std::optional<HWND> BoxWatch::Next(const Process& p, DWORD ms) {
    const ULONGLONG deadline = ::GetTickCount64() + ms;
    bool ended = false;
    for (;;) {
        for (auto it = FBoxes.begin(); it != FBoxes.end(); ++it) {
            if (it->Process == p.Id) {
                const HWND box = it->Window;
                FBoxes.erase(it);
                return box;
            }
        }
        const ULONGLONG now = ::GetTickCount64();
        if (ended || now >= deadline) return std::nullopt;
        const HANDLE h = p.Handle.get();
        const DWORD r = ::MsgWaitForMultipleObjects(
            1, &h, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 && r != WAIT_OBJECT_0 + 1) return std::nullopt;
        // A box created just before the end still counts: one more look once it has ended.
        ended = r == WAIT_OBJECT_0;
        Pump();
    }
}

bool BoxWatch::SawBoxOf(DWORD process) {
    Pump();
    for (const Box& b : FSeen)
        if (b.Process == process) return true;
    return false;
}

std::wstring BoxWatch::Text(HWND window) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
    wchar_t buf[512] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_BLOCK, 10000,
                          &result);
    return buf;
}

std::wstring BoxWatch::Caption(HWND box) {
    return Text(box);
}

std::wstring BoxWatch::Message(HWND box) {
    (void)Text(box);
    const HWND label = ::GetDlgItem(box, 0xFFFF);
    return label ? Text(label) : std::wstring();
}

void BoxWatch::Click(HWND box, int button) {
    (void)Text(box);
    const HWND b = ::GetDlgItem(box, button);
    ASSERT_NE(b, nullptr) << "no button " << button;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(b, BM_CLICK, 0, 0, SMTO_BLOCK, 10000, &result);
}

void CALLBACK BoxWatch::Event(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (!Current || !window || object != OBJID_WINDOW) return;
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (std::wstring_view(cls) != L"#32770") return;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    Current->FBoxes.push_back({window, pid});
    Current->FSeen.push_back({window, pid});
}

void BoxWatch::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&msg);
}

} // namespace tn::testing
