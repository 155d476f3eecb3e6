// What the minimal programs share of the browser: the system web-browser control put in place in a
// plain window of the login browser's size and navigated to a URL, with the least a container
// offers. OLE must have been initialised.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

namespace tn::bench {

// The control in its window; Close() takes it out again.
class MinimalBrowserWindow {
public:
    MinimalBrowserWindow() = default;
    MinimalBrowserWindow(const MinimalBrowserWindow&) = delete;
    MinimalBrowserWindow& operator=(const MinimalBrowserWindow&) = delete;
    ~MinimalBrowserWindow() { Close(); }

    // Makes the window, puts the control in it, shows it and navigates; false when the control
    // cannot be made or placed.
    bool Open(HINSTANCE inst, const std::wstring& url) noexcept;
    void Close() noexcept;

private:
    IOleObject* FObject = nullptr;
    IWebBrowser2* FBrowser = nullptr;
};

// The program's command line without the quotes around it.
std::wstring UrlFromCommandLine(const wchar_t* cmdLine);

} // namespace tn::bench
