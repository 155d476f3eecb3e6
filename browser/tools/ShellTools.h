// The shell's folders, favourites, history items and default browser, the local host name and
// address, downloads with a notice, and mail: a new message, a page address or a saved page.
#pragma once

#include "browser/tools/Downloads.h"
#include "browser/tools/ToolHost.h"
#include "classlib/Component.h"

#include <winsock2.h>
#include <windows.h>
#include <exdisp.h>
#include <shlobj.h>

#include <string>

namespace tn {

// The shell calls behind the routines; a test puts doubles in their place.
struct ShellCalls {
    HINSTANCE(WINAPI* shellExecute)
    (HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show);
    // The organise-favourites dialog of "shdocvw.dll" (FALSE where it is missing).
    BOOL(WINAPI* doOrganizeFavDlg)(HWND owner, LPSTR folder);
    // The shell's UI helper object, in-process.
    HRESULT (*createShellUIHelper)(IShellUIHelper** helper);
};
[[nodiscard]] const ShellCalls& SystemShellCalls() noexcept;

// The Winsock 1.1 calls behind the host name and address.
struct WinsockCalls {
    int(WINAPI* startup)(WORD version, LPWSADATA data);
    int(WINAPI* getHostName)(char* name, int size);
    hostent*(WINAPI* getHostByName)(const char* name);
    char*(WINAPI* inetNtoa)(in_addr address);
    int(WINAPI* getLastError)();
    int(WINAPI* cleanup)();
};
[[nodiscard]] const WinsockCalls& SystemWinsockCalls() noexcept;

// The user's folder of that name ("Favorites", "Cookies", "History") as the shell's folder list
// in the registry stores it; empty when missing or blank.
[[nodiscard]] std::wstring ReadShellFolderValue(const std::wstring& ValueName);
// The special folder's path, created when missing; empty on failure.
[[nodiscard]] std::wstring GetSpecialFolder(HWND Handle, int Folder);
// The organise-favourites dialog on the folder; its answer.
bool OrganizeFavorites(HWND Handle, const std::wstring& Folder,
                       const ShellCalls& calls = SystemShellCalls());
// The same on the user's favourites folder.
bool ShowOrganizeFavoritesDialog(HWND Handle, const ShellCalls& calls = SystemShellCalls());
// The "URL" of an internet shortcut file; empty on any error.
[[nodiscard]] std::wstring ReadInternetShortcutUrl(const std::wstring& FileName) noexcept;
// A history item's address: its info tip after the first line feed, trimmed; empty without one.
[[nodiscard]] std::wstring GetHistoryItemUrl(IShellFolder* ShellFolder, PCUITEMID_CHILD pidl);
// The command line that opens HTML files; "No default browser found." when its key is missing.
[[nodiscard]] std::wstring GetDefaultBrowserCommand();
// The host name and the first address of its entry; false with WSAErr naming the failure (an
// entry without an address leaves it as it was).
bool GetLocalHostNameAndAddress(std::wstring& HostName, std::wstring& IPaddr, std::wstring& WSAErr,
                                const WinsockCalls& calls = SystemWinsockCalls());

// A new, empty message in the user's mail program; false when the shell refused.
bool OpenNewMailMessage(const ShellCalls& calls = SystemShellCalls());
// A message with the text as body, shown for editing before it goes.
void SendTextInMail(const std::wstring& Body, const std::wstring& Subject);
// The page saved to FileName and mailed as an attachment, shown for editing before it goes; the
// sent file is deleted afterwards. A save that fails, or writes nothing, sends nothing.
void MailPageAsAttachment(TBrowserToolHost& Host, TComponent* Owner, const std::wstring& FileName,
                          const std::wstring& Subject, const std::wstring& Body);

// Navigates to the URL with neither history nor cache (flags 62), for a download.
void NavigateForDownload(TBrowserToolHost& Host, const std::wstring& Url);
// Downloads the file; with Notify a message box tells how it went.
void DownloadUrlToFileWithNotice(const std::wstring& SourceFile, const std::wstring& TargetFile,
                                 bool Notify, const DownloadCalls& calls = SystemDownloadCalls());
// The shell's add-favourite dialog for the address, when URL and title are not blank.
void AddFavoriteEntry(const std::wstring& Url, const std::wstring& Title,
                      const ShellCalls& calls = SystemShellCalls()) noexcept;

} // namespace tn
