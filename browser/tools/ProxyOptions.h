// The per-connection proxy options of the LAN connection: written through WinINet and then
// reloaded by the library. Behind the proxy settings of the browser component.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>

namespace tn {

// The WinINet calls below the routines; the system's in production, doubles in tests (the
// writes reach the user's own settings).
struct TProxyCalls {
    HINTERNET(WINAPI* open)
    (LPCWSTR agent, DWORD access, LPCWSTR proxy, LPCWSTR bypass, DWORD flags);
    HINTERNET(WINAPI* connect)
    (HINTERNET session, LPCWSTR server, INTERNET_PORT port, LPCWSTR user, LPCWSTR password,
     DWORD service, DWORD flags, DWORD_PTR context);
    BOOL(WINAPI* setOption)(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length);
    // The texts of a per-connection query are the caller's, freed with GlobalFree.
    BOOL(WINAPI* queryOption)(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD length);
    BOOL(WINAPI* close)(HINTERNET handle);
    // The class library's simple message box.
    void (*showMessage)(const std::wstring& text);
};
[[nodiscard]] const TProxyCalls& SystemProxyCalls() noexcept;

// What the options the routines write held: the connection flags (as the user chose them, where
// the system keeps that choice apart from the type in force), the proxy server, the bypass list
// and the automatic configuration script (a text that is not set: none).
struct TProxyConnectionSettings {
    DWORD Flags = PROXY_TYPE_DIRECT;
    std::optional<std::wstring> Server, Bypass, AutoConfigUrl;
    bool operator==(const TProxyConnectionSettings&) const = default;
};

// Each is true only when the option write and the reload both succeeded; written (when given)
// tells whether the write went through, whatever the reload said. With before given, the options
// are read first, on the handle the write goes to, into before; a read that fails writes nothing.
// Shows the bypass list, then writes flags 2, the server and the bypass list for the user.
bool ApplyProxyServer(const std::wstring& UserAgent, const std::wstring& Address,
                      const std::wstring& Bypass, const TProxyCalls& calls = SystemProxyCalls(),
                      bool* written = nullptr, TProxyConnectionSettings* before = nullptr);
// Connects to the proxy with the login first; writes flags 3, the server as address ":" port
// and "<local>" on the session's handle.
bool ApplyProxyServerWithLogin(const std::wstring& UserAgent, const std::wstring& Address,
                               const std::wstring& UserName, const std::wstring& Password, int Port,
                               const TProxyCalls& calls = SystemProxyCalls(),
                               bool* written = nullptr, TProxyConnectionSettings* before = nullptr);
// Writes the automatic configuration URL and flags 4 on the session's handle.
bool ApplyProxyAutoConfig(const std::wstring& UserAgent, const std::wstring& PACFile,
                          const TProxyCalls& calls = SystemProxyCalls(), bool* written = nullptr,
                          TProxyConnectionSettings* before = nullptr);
// Puts back what the connection held before (as read by a routine above), for the user
// (processWide) or on a session handle; true whenever a session could be opened.
bool ResetProxyServer(const TProxyConnectionSettings& before, bool processWide,
                      const TProxyCalls& calls = SystemProxyCalls());

} // namespace tn
