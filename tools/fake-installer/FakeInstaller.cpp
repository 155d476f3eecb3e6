// Stands in for a downloaded installer: appends "<own file name><TAB><command line>" as one UTF-8
// line to ran.txt in its own folder, then exits with 0.
#include "classlib/Handles.h"

#include <windows.h>

namespace {

// A command line is at most 32767 characters; the rest is the file name and the separators.
wchar_t line[MAX_PATH + 32767 + 4];
char utf8[sizeof(line) / sizeof(line[0]) * 3];

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    wchar_t* name = self;
    for (wchar_t* p = self; *p; ++p)
        if (*p == L'\\') name = p + 1;

    ::lstrcpynW(line, name, MAX_PATH);
    ::lstrcatW(line, L"\t");
    ::lstrcatW(line, ::GetCommandLineW());
    ::lstrcatW(line, L"\r\n");
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof(utf8), nullptr, nullptr);
    if (size <= 1) return 2;

    ::lstrcpyW(name, L"ran.txt");
    const tn::UniqueHandleKernel log(::CreateFileW(
        self, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return 3;
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(size - 1); // without the terminating zero
    return ::WriteFile(log.get(), utf8, bytes, &written, nullptr) && written == bytes ? 0 : 4;
}
