/* A module with an icon (number 1) whose code notes that it ran: a zone's icon path may name any
   file, and reading the icon must not run it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableW(L"TN_ZONE_ICON_MODULE_RAN", L"1");
    return TRUE;
}
