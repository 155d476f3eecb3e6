// The browser's own print, print-preview and page-setup commands, driven through the control's
// ExecWB or the document's command target.
#pragma once

#include "browser/tools/ToolHost.h"

#include <windows.h>
#include <exdisp.h>
#include <unknwn.h>

#include <string>

namespace tn {

// The window class of the browser's print-preview frame.
inline constexpr wchar_t kPrintPreviewClass[] = L"Internet Explorer_TridentDlgFrame";

// The platform calls of the wait for the preview window: the system's in production, doubles in
// tests.
struct TPrintPreviewCalls {
    HWND(WINAPI* GetForegroundWindow)();
    DWORD(WINAPI* GetTickCount)();
    // Waits briefly for a message (never long: the preview may come without one), then
    // dispatches what is queued.
    void (*ProcessMessages)();
    BOOL(WINAPI* ShowWindow)(HWND wnd, int cmdShow);
};
// A test may replace entries and must put them back.
[[nodiscard]] TPrintPreviewCalls& PrintPreviewCalls() noexcept;

// Prints the HTML document of Browser (without a prompt when DontPrompt), with WithHeaderFooter
// through PrintWithHeaderFooter. Nothing happens without an HTML document (or without a
// browser); a failing document read or print command raises EOleSysError.
void PrintDocument(IWebBrowser2* Browser, bool DontPrompt, bool WithHeaderFooter,
                   const std::wstring& Header, const std::wstring& Footer);

// The print command with Header and Footer (a two-element array, header first) and the execution
// option given. Every error is swallowed.
void PrintWithHeaderFooter(IWebBrowser2* Browser, const std::wstring& Header,
                           const std::wstring& Footer, DWORD ExecOpt) noexcept;

// ShowPageSetup, then PrintDocument of Host's control without header and footer; nothing is
// printed when the page-setup dialog freed Host.
void PrintWithPageSetup(TBrowserToolHost& Host, IUnknown* Document, bool UsePrintOptions,
                        bool OptionsEnabled, bool DontPrompt, bool& FillNextPrintDialog);

// The print preview, without a prompt; raises as PrintDocument does.
void ShowPrintPreview(IWebBrowser2* Browser);

// The print preview of Host's control (without a prompt when DontPrompt); then, for up to 7 s,
// waits for the preview window to come to the foreground, looking again whenever messages came
// (they are processed) or a short while passed, and shows it with CmdShow. A command or a round
// of messages that freed Host ends it. Raises as PrintDocument does.
void ShowPrintPreviewWindow(TBrowserToolHost& Host, int CmdShow, bool DontPrompt);

// The print preview with a print template, through the command target of Document (any object
// that has one); nothing without one.
void PrintPreviewWithTemplate(const std::wstring& TemplateFileName, IUnknown* Document);

// The document's page-setup dialog; false without an HTML document or when the command fails.
// With UsePrintOptions and OptionsEnabled, FillNextPrintDialog is raised first (it is never
// cleared here: the dialog hook that fills the dialog clears it).
[[nodiscard]] bool ShowPageSetup(IUnknown* Document, bool UsePrintOptions, bool OptionsEnabled,
                                 bool& FillNextPrintDialog) noexcept;

// The browser's page-setup command (without a prompt when DontPrompt); raises as PrintDocument
// does.
void ShowPrintSetup(IWebBrowser2* Browser, bool DontPrompt);

} // namespace tn
