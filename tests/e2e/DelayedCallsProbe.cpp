// Linked as tn.exe is linked: calls one function of each system library that tn.exe loads at its
// first call, as the library's header declares it (through the import slot where the header
// declares the function imported). A call that does not reach the library faults; the exit code
// names each library whose call failed (a bit each), or is the fault's code.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <iphlpapi.h>
#include <mswsock.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>

namespace {

void Say(const std::string& line) {
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (out && out != INVALID_HANDLE_VALUE)
        ::WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

LONG WINAPI Faulted(EXCEPTION_POINTERS* info) {
    char line[96];
    std::snprintf(line, sizeof line, "fault %08lx at %p\n",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  info->ExceptionRecord->ExceptionAddress);
    Say(line);
    ::ExitProcess(static_cast<UINT>(info->ExceptionRecord->ExceptionCode));
}

bool CommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
}

bool CommonDialogs() {
    return ::CommDlgExtendedError() == 0;
}

bool Certificates() {
    const HCERTSTORE store = ::CertOpenSystemStoreW(0, L"ROOT");
    return store && ::CertCloseStore(store, 0);
}

bool IpHelper() {
    ULONG size = 0;
    const DWORD result = ::GetAdaptersInfo(nullptr, &size);
    return result == ERROR_BUFFER_OVERFLOW || result == ERROR_NO_DATA;
}

bool ImageBlending() {
    const HDC screen = ::GetDC(nullptr);
    const HDC target = ::CreateCompatibleDC(screen), source = ::CreateCompatibleDC(screen);
    const HBITMAP a = ::CreateCompatibleBitmap(screen, 4, 4);
    const HBITMAP b = ::CreateCompatibleBitmap(screen, 4, 4);
    const HGDIOBJ oldA = ::SelectObject(target, a), oldB = ::SelectObject(source, b);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
    const bool blended = ::AlphaBlend(target, 0, 0, 4, 4, source, 0, 0, 4, 4, blend) != FALSE;
    ::SelectObject(target, oldA);
    ::SelectObject(source, oldB);
    ::DeleteObject(a);
    ::DeleteObject(b);
    ::DeleteDC(target);
    ::DeleteDC(source);
    ::ReleaseDC(nullptr, screen);
    return blended;
}

bool Sockets() {
    // Only the first sockets library has it (the program's other socket calls may resolve to the
    // second, which is not delayed); no socket: the call answers an error.
    int flags = 0;
    char byte = 0;
    return ::WSARecvEx(INVALID_SOCKET, &byte, 1, &flags) == SOCKET_ERROR;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    ::SetUnhandledExceptionFilter(&Faulted);
    const struct {
        const char* dll;
        bool (*call)();
    } calls[] = {
        {"comctl32", &CommonControls}, {"comdlg32", &CommonDialogs}, {"crypt32", &Certificates},
        {"iphlpapi", &IpHelper},       {"msimg32", &ImageBlending},  {"wsock32", &Sockets},
    };
    int failed = 0;
    for (std::size_t i = 0; i < sizeof calls / sizeof calls[0]; ++i) {
        const bool ok = calls[i].call();
        Say(std::string(calls[i].dll) + (ok ? " answered\n" : " did not answer\n"));
        if (!ok) failed |= 1 << i;
    }
    return failed;
}
