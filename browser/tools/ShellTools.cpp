#include "browser/tools/ShellTools.h"

#include "browser/host/HwbUtils.h"
#include "browser/tools/MapiMail.h"
#include "classlib/ComPtr.h"
#include "classlib/Dialogs.h"
#include "classlib/IniFile.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <shellapi.h>

#include <cstring>
#include <optional>

namespace tn {

namespace {

// The cross tool chain has no import library for it: looked up at first use.
BOOL WINAPI SystemDoOrganizeFavDlg(HWND owner, LPSTR folder) {
    using Fn = BOOL(WINAPI*)(HWND, LPSTR);
    static const Fn fn = [] {
        const HMODULE shdocvw = SafeLoadLibrary(L"shdocvw.dll");
        return shdocvw ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
                             ::GetProcAddress(shdocvw, "DoOrganizeFavDlg")))
                       : nullptr;
    }();
    return fn ? fn(owner, folder) : FALSE;
}

// The file's last write; none when it is not there.
std::optional<FILETIME> LastWriteTime(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return data.ftLastWriteTime;
}

HRESULT SystemCreateShellUIHelper(IShellUIHelper** helper) {
    return ::CoCreateInstance(CLSID_ShellUIHelper, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellUIHelper, reinterpret_cast<void**>(helper));
}

// A new mail object for the text, owned by owner (none: by the caller), shown for editing.
void SendMail(TComponent* owner, const std::wstring& subject, const std::wstring& body,
              const std::wstring* attachment) {
    TComponent::Owned<THwbMapiMail> unowned =
        owner ? nullptr : TComponent::CreateOwned<THwbMapiMail>();
    THwbMapiMail* mail = owner ? TComponent::Create<THwbMapiMail>(*owner) : unowned.get();
    mail->SetSubject(subject);
    mail->SetBody(body);
    if (attachment) mail->Attachments().push_back(*attachment);
    mail->SetEditDialog(true);
    // From Send on the mail is its thread's.
    (void)unowned.release();
    (void)mail->Send();
}

} // namespace

const ShellCalls& SystemShellCalls() noexcept {
    static constexpr ShellCalls calls{&::ShellExecuteW, &SystemDoOrganizeFavDlg,
                                      &SystemCreateShellUIHelper};
    return calls;
}

const WinsockCalls& SystemWinsockCalls() noexcept {
    static constexpr WinsockCalls calls{&::WSAStartup, &::gethostname,     &::gethostbyname,
                                        &::inet_ntoa,  &::WSAGetLastError, &::WSACleanup};
    return calls;
}

std::wstring ReadShellFolderValue(const std::wstring& ValueName) {
    TRegistry reg(HKEY_CURRENT_USER, KEY_READ);
    if (!reg.OpenKeyReadOnly(
            L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
        return {};
    try {
        std::wstring value = reg.ReadString(ValueName);
        return text::Trim(value).empty() ? std::wstring() : value;
    } catch (const ERegistryException&) {
        // A value that is no text names no folder.
        return {};
    }
}

std::wstring GetSpecialFolder(HWND Handle, int Folder) {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(Handle, path, Folder, TRUE)) return {};
    return path;
}

bool OrganizeFavorites(HWND Handle, const std::wstring& Folder, const ShellCalls& calls) {
    std::string folder = AnsiText(Folder);
    return calls.doOrganizeFavDlg(Handle, folder.data()) != FALSE;
}

bool ShowOrganizeFavoritesDialog(HWND Handle, const ShellCalls& calls) {
    return OrganizeFavorites(Handle, GetSpecialFolder(Handle, CSIDL_FAVORITES), calls);
}

std::wstring ReadInternetShortcutUrl(const std::wstring& FileName) noexcept {
    try {
        return TIniFile(FileName).ReadString(L"InternetShortcut", L"URL", L"");
    } catch (...) {
        // An unreadable shortcut has no address.
        return {};
    }
}

std::wstring GetHistoryItemUrl(IShellFolder* ShellFolder, PCUITEMID_CHILD pidl) {
    if (!ShellFolder) return {};
    ComPtr<IQueryInfo> info;
    (void)ShellFolder->GetUIObjectOf(nullptr, 1, &pidl, IID_IQueryInfo, nullptr, info.put_void());
    if (!info) return {};
    wchar_t* given = nullptr;
    const HRESULT hr = info->GetInfoTip(0, &given);
    const UniqueTaskMem<wchar_t> tip(given);
    if (FAILED(hr) || !tip) return {};
    const std::wstring whole(tip.get());
    const std::size_t lineFeed = whole.find(L'\n');
    return text::Trim(lineFeed == std::wstring::npos ? whole : whole.substr(lineFeed + 1));
}

std::wstring GetDefaultBrowserCommand() {
    TRegistry reg(HKEY_CLASSES_ROOT, KEY_READ);
    if (!reg.OpenKeyReadOnly(L"htmlfile\\shell\\open\\command"))
        return L"No default browser found.";
    try {
        return reg.ReadString(L"");
    } catch (const ERegistryException&) {
        // A default value that is no text is no command line.
        return {};
    }
}

bool GetLocalHostNameAndAddress(std::wstring& HostName, std::wstring& IPaddr, std::wstring& WSAErr,
                                const WinsockCalls& calls) {
    WSADATA data{};
    if (calls.startup(MAKEWORD(1, 1), &data) != 0) {
        WSAErr = L"Winsock is not responding.\"";
        return false;
    }
    char name[260] = {};
    (void)calls.getHostName(name, sizeof name);
    bool found = false;
    const hostent* host = calls.getHostByName(name);
    // An entry without an address names no address to give.
    if (host && host->h_addr_list && host->h_addr_list[0]) {
        in_addr address{};
        std::memcpy(&address, host->h_addr_list[0], sizeof address);
        HostName = TextFromAnsi(host->h_name);
        IPaddr = TextFromAnsi(calls.inetNtoa(address));
        found = true;
    } else if (!host) {
        switch (calls.getLastError()) {
        case WSAEINPROGRESS:
            WSAErr = L"WSAEInProgress";
            break;
        case WSAENETDOWN:
            WSAErr = L"WSAENetDown";
            break;
        case WSANOTINITIALISED:
            WSAErr = L"WSANotInitialised";
            break;
        default:
            break;
        }
    }
    (void)calls.cleanup();
    return found;
}

bool OpenNewMailMessage(const ShellCalls& calls) {
    const HINSTANCE result = calls.shellExecute(nullptr, L"open", L"mailto:?subject=&body=",
                                                nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void SendTextInMail(const std::wstring& Body, const std::wstring& Subject) {
    SendMail(nullptr, Subject, Body, nullptr);
}

void MailPageAsAttachment(TBrowserToolHost& Host, TComponent* Owner, const std::wstring& FileName,
                          const std::wstring& Subject, const std::wstring& Body) {
    // The mail's thread deletes what it sent: only a file this save has just written goes, never
    // one that was there before a save that failed (or never wrote it).
    const std::optional<FILETIME> old = LastWriteTime(FileName);
    if (Host.SaveToFile(FileName) != S_OK) return;
    const std::optional<FILETIME> saved = LastWriteTime(FileName);
    if (!saved || (old && ::CompareFileTime(&*old, &*saved) == 0)) return;
    // Gives the saved file time to settle before the mail program reads it.
    ::Sleep(800);
    SendMail(Owner, Subject, Body, &FileName);
}

void NavigateForDownload(TBrowserToolHost& Host, const std::wstring& Url) {
    IWebBrowser2* browser = Host.Browser();
    if (!browser) return;
    const Bstr url(Url);
    OleVariant flags(static_cast<LONG>(62));
    OleVariant target, postData, headers;
    // Its errors are the control's own, reported through its events.
    (void)browser->Navigate(url.get(), flags.ptr(), target.ptr(), postData.ptr(), headers.ptr());
}

void DownloadUrlToFileWithNotice(const std::wstring& SourceFile, const std::wstring& TargetFile,
                                 bool Notify, const DownloadCalls& calls) {
    const bool done = DownloadUrlToFile(SourceFile, TargetFile, calls);
    if (!Notify) return;
    if (done)
        (void)DialogCalls().MessageBoxW(nullptr,
                                        (L"Downloading: " + SourceFile + L"\n\r" + L"To: " +
                                         TargetFile + L"\n\r" + L"was successfully finished.")
                                            .c_str(),
                                        L"Download successful.", MB_OK);
    else
        (void)DialogCalls().MessageBoxW(
            nullptr, (L"An error ocurred while downloading the file." + SourceFile).c_str(),
            L"Downloading Error!!", MB_ICONERROR);
}

void AddFavoriteEntry(const std::wstring& Url, const std::wstring& Title,
                      const ShellCalls& calls) noexcept {
    if (text::Trim(Url).empty() || text::Trim(Title).empty()) return;
    try {
        ComPtr<IShellUIHelper> helper;
        if (FAILED(calls.createShellUIHelper(helper.put())) || !helper) return;
        const Bstr url(Url);
        OleVariant title(Title);
        (void)helper->AddFavorite(url.get(), title.ptr());
    } catch (...) {
        // The dialog's failures are the user's to see, not the caller's.
    }
}

} // namespace tn
