// The class library's dialogs: message boxes, the input query, the open and save file dialogs
// and the folder choice. Every one goes through a table of replaceable calls, so that tests see
// what would be shown instead of a dialog that waits for a user.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace tn {

// Options of a file dialog; each is the system's flag of the same meaning.
using TOpenOptions = DWORD;
inline constexpr TOpenOptions ofReadOnly = OFN_READONLY;
inline constexpr TOpenOptions ofOverwritePrompt = OFN_OVERWRITEPROMPT;
inline constexpr TOpenOptions ofHideReadOnly = OFN_HIDEREADONLY;
inline constexpr TOpenOptions ofNoChangeDir = OFN_NOCHANGEDIR;
inline constexpr TOpenOptions ofShowHelp = OFN_SHOWHELP;
inline constexpr TOpenOptions ofPathMustExist = OFN_PATHMUSTEXIST;
inline constexpr TOpenOptions ofFileMustExist = OFN_FILEMUSTEXIST;
inline constexpr TOpenOptions ofEnableSizing = OFN_ENABLESIZING;

// What an open or save dialog is asked to show, and what the user chose.
struct TFileDialogRequest {
    HWND Owner = nullptr;
    // Empty: the system's title.
    std::wstring Title;
    // Description and pattern pairs separated by "|" ("Text file|*.txt|Any file|*.*").
    std::wstring Filter;
    // 1-based; the filter the user ended with when confirmed.
    DWORD FilterIndex = 1;
    // Added to a chosen name that has no extension.
    std::wstring DefaultExt;
    // The proposed name; the chosen one when confirmed.
    std::wstring FileName;
    int HelpContext = 0;
    TOpenOptions Options = ofHideReadOnly | ofEnableSizing;
};

// The calls behind every dialog: the system's in production, doubles in tests.
struct TDialogCalls {
    // The system's message box: owner (none: centred on the screen), text, caption, flags; the
    // button pressed.
    int(WINAPI* MessageBoxW)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags);
    // A caption, a prompt and an editable value: true and the value typed on OK; false and the
    // value unchanged on Cancel.
    bool (*InputQuery)(const std::wstring& caption, const std::wstring& prompt,
                       std::wstring& value);
    // True when the user confirmed a file; the request then holds the choice.
    bool (*OpenFile)(TFileDialogRequest& request);
    bool (*SaveFile)(TFileDialogRequest& request);
    // The folder chosen; false, folder unchanged, on Cancel or a choice that is no folder.
    bool (*SelectDirectory)(HWND owner, const std::wstring& title, std::wstring& folder);
};
// A test may replace entries and must put them back.
[[nodiscard]] TDialogCalls& DialogCalls() noexcept;

// Whether the window is a message box that the program shows through the system's entry of the
// table (while it is up), as against one another party opened.
[[nodiscard]] bool IsProgramMessageBox(HWND wnd) noexcept;

// A text under the application's title, one OK button, modal to the thread's active window (the
// application window when none is active).
void ShowMessage(const std::wstring& text);
// The same box modal to owner and brought to the foreground, for a box the program shows while
// another program may be active; a null owner gives the box a taskbar button of its own.
void ShowMessage(const std::wstring& text, HWND owner);

} // namespace tn
