#include "services/UnInstall.h"

#include "classlib/CommandLine.h"
#include "classlib/ComPtr.h"
#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"
#include "services/Shell.h"
#include "services/Statistics.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>

namespace tn {

namespace {

constexpr wchar_t kUninstallCaption[] = L"卸载提示";
constexpr UINT kQuestionFlags = MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2; // 0x121
// A copy that cannot be ended (no rights, or it hangs) holds the uninstall at most this long; the
// batch file's loop then waits for it to end before the folder goes.
constexpr int kKillRounds = 10;
constexpr DWORD kKillWaitMs = 3000;

std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    return path;
}

std::wstring Upper(const std::wstring& s) {
    std::wstring out = s;
    if (!out.empty()) ::CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return text::LowerCase(ExtractFileName(a)) == text::LowerCase(ExtractFileName(b));
}

// Each "*.lnk" file of folder whose resolved, existing target has the running program's file name.
template <typename Fn> void ForEachOwnLink(const std::wstring& folder, Fn&& fn) {
    if (folder.empty()) return;
    const std::wstring self = ExeFileName();
    WIN32_FIND_DATAW fd;
    const UniqueFind find(::FindFirstFileW((folder + L"*.lnk").c_str(), &fd));
    if (!find) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring link = folder + fd.cFileName;
        const std::wstring target = GetShortcutTarget(link);
        if (!target.empty() && FileExists(target) && SameFileName(target, self)) fn(link);
    } while (::FindNextFileW(find.get(), &fd));
}

bool EndProcessAndWait(DWORD pid) noexcept {
    const UniqueHandleKernel process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process) return false;
    if (!::TerminateProcess(process.get(), 0)) return false;
    return ::WaitForSingleObject(process.get(), kKillWaitMs) == WAIT_OBJECT_0;
}

int Ask(const wchar_t* question) noexcept {
    return ::MessageBoxW(nullptr, question, kUninstallCaption, kQuestionFlags);
}

std::wstring ShortPath(const std::wstring& path) {
    // A path the system gives no short form keeps its own.
    wchar_t buf[MAX_PATH * 2];
    const DWORD n = ::GetShortPathNameW(path.c_str(), buf, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf, n) : path;
}

// The user's downloads: a known folder without a CSIDL, asked by name where the system has it.
std::wstring DownloadsFolder() {
    static constexpr GUID kDownloads = {
        0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};
    using KnownFolderFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
    const HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
    const auto known = shell ? reinterpret_cast<KnownFolderFn>(reinterpret_cast<void*>(
                                   ::GetProcAddress(shell, "SHGetKnownFolderPath")))
                             : nullptr;
    if (!known) return {};
    PWSTR raw = nullptr;
    const HRESULT hr = known(kDownloads, 0, nullptr, &raw);
    const UniqueTaskMem<wchar_t> path(raw);
    return SUCCEEDED(hr) && path ? std::wstring(path.get()) : std::wstring();
}

// In a batch file "%" starts a variable; "%%" reads back as one "%".
std::wstring BatchQuoted(const std::wstring& path) {
    return L"\"" + text::ReplaceAll(path, L"%", L"%%") + L"\"";
}

} // namespace

// --- the start-up check -----------------------------------------------------------------------

void StartHelperPrograms() noexcept {
    try {
        for (const std::wstring& program : {GetAnimateExePath(), GetIconTipsExePath()})
            if (FileExists(program))
                ::ShellExecuteW(nullptr, nullptr, program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } catch (...) {
        // A companion program that does not start is no reason to stop the launcher.
    }
}

bool CheckResource() {
    StartHelperPrograms();
    if (FileExists(GetLoginBackImagePath())) return true;
    ::MessageBoxW(nullptr, L"您的资源缺失，请下载新的程序或联系Varkel客服，谢谢！", L"错误",
                  MB_OK | MB_ICONERROR);
    return false;
}

// --- processes --------------------------------------------------------------------------------

bool IsUninstallMode(const std::vector<std::wstring>& args) {
    return !args.empty() && text::LowerCase(args[0]) == L"/uninst";
}

bool IsUninstallMode() {
    return IsUninstallMode(ProgramArgs());
}

bool FindOtherProcess(const std::wstring& name, PROCESSENTRY32W* found) noexcept {
    try {
        const std::wstring wanted = text::LowerCase(ExtractFileName(name));
        if (wanted.empty()) return false;
        const UniqueHandleKernel snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snapshot) return false;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        const DWORD self = ::GetCurrentProcessId();
        for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
             more = ::Process32NextW(snapshot.get(), &entry)) {
            if (entry.th32ProcessID != self &&
                text::LowerCase(ExtractFileName(entry.szExeFile)) == wanted) {
                if (found) *found = entry;
                return true;
            }
        }
    } catch (...) {
        // No list of processes: nothing found.
    }
    return false;
}

void KillProcessByName(const std::wstring& name) noexcept {
    PROCESSENTRY32W entry{};
    if (!FindOtherProcess(name, &entry) || entry.th32ProcessID == 0 ||
        entry.th32ProcessID == ::GetCurrentProcessId())
        return;
    const UniqueHandleKernel process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
    if (process) ::TerminateProcess(process.get(), 0);
}

// --- links and folders ------------------------------------------------------------------------

std::wstring GetShortcutTarget(const std::wstring& path) noexcept {
    const TComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return {};
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return {};
    if (FAILED(file->Load(path.c_str(), STGM_READ))) return {};
    if (FAILED(link->Resolve(nullptr, SLR_NO_UI))) return {};
    wchar_t target[MAX_PATH + 1] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0))) return {};
    try {
        return target;
    } catch (...) {
        return {};
    }
}

void UnpinFromTaskbar(const std::wstring& link) noexcept {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI; // systems without the verb must not show an error box
    info.lpVerb = L"taskbarunpin";
    info.lpFile = link.c_str();
    info.nShow = SW_SHOWNORMAL;
    ::ShellExecuteExW(&info);
}

void RemoveDesktopShortcuts() noexcept {
    try {
        ForEachOwnLink(GetDesktopPath(), [](const std::wstring& link) {
            UnpinFromTaskbar(link);
            ::DeleteFileW(link.c_str());
        });
    } catch (...) {
        // Each uninstall step ignores its own failures.
    }
}

bool IsDirectoryEmpty(const std::wstring& dir) noexcept {
    try {
        WIN32_FIND_DATAW fd;
        const UniqueFind find(
            ::FindFirstFileW((IncludeTrailingBackslash(dir) + L"*").c_str(), &fd));
        if (!find) return true;
        do {
            const std::wstring_view name = fd.cFileName;
            if (name != L"." && name != L"..") return false;
        } while (::FindNextFileW(find.get(), &fd));
    } catch (...) {
    }
    return true;
}

void DeleteDirectory(const std::wstring& dir) noexcept {
    try {
        const std::wstring folder = WithoutTrailingBackslash(dir);
        if (folder.empty()) return;
        // A junction or symbolic link is removed as a link: what it points at is not ours.
        const DWORD attributes = ::GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ::RemoveDirectoryW(folder.c_str());
            return;
        }
        WIN32_FIND_DATAW fd;
        if (const UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &fd)); find) {
            do {
                const std::wstring name = fd.cFileName;
                const std::wstring full = folder + L"\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (name != L"." && name != L"..") DeleteDirectory(full);
                } else {
                    ::DeleteFileW(full.c_str());
                }
            } while (::FindNextFileW(find.get(), &fd));
        }
        if (IsDirectoryEmpty(folder)) ::RemoveDirectoryW(folder.c_str());
    } catch (...) {
        // What cannot be deleted stays.
    }
}

void RemoveStartMenuEntries() noexcept {
    try {
        ForEachOwnLink(GetStartMenuPath(true),
                       [](const std::wstring& link) { ::DeleteFileW(link.c_str()); });
        for (const bool user : {true, false}) {
            const std::wstring publisher = GetProgramsGroupPath(user);
            const std::wstring product = publisher + kProductName;
            if (DirectoryExists(product)) DeleteDirectory(product);
            if (IsDirectoryEmpty(publisher))
                ::RemoveDirectoryW(WithoutTrailingBackslash(publisher).c_str());
        }
    } catch (...) {
    }
}

void RemoveRegistryEntries() noexcept {
    try {
        TRegistry run(HKEY_CURRENT_USER);
        if (run.OpenKey(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", false) &&
            run.ValueExists(kProductName))
            run.DeleteValue(kProductName);
    } catch (...) {
    }
    try {
        constexpr wchar_t kUninstall[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
        TRegistry uninstall(HKEY_LOCAL_MACHINE);
        const std::wstring product = std::wstring(kUninstall) + L"\\" + kProductName;
        if (uninstall.OpenKey(kUninstall, false) && uninstall.KeyExists(product))
            uninstall.DeleteKey(product);
    } catch (...) {
    }
}

void DeleteConfigFile() noexcept {
    try {
        const std::wstring ini = GetIniPath(false);
        if (FileExists(ini)) ::DeleteFileW(ini.c_str());
    } catch (...) {
    }
}

// --- the self-deleting batch file -------------------------------------------------------------

std::wstring SelfDeleteBatchText(const std::wstring& exePath, const std::wstring& folder,
                                 bool removeFolder, int tries) {
    const std::wstring exe = BatchQuoted(exePath);
    std::wstring text = L"set tries=0\r\n:try\r\n";
    text += L"del /q /f " + exe + L"\r\n";
    if (removeFolder) text += L"rmdir /s /q " + BatchQuoted(folder) + L"\r\n";
    text += L"if not exist " + exe + L" goto end\r\n";
    // A program that cannot be deleted (a user without the rights) ends the tries; a second
    // between them, so that the loop does not spin while the program ends.
    text += L"set /a tries+=1\r\n";
    text += L"if %tries% geq " + std::to_wstring(tries) + L" goto end\r\n";
    text += L"ping -n 2 127.0.0.1 >nul\r\n";
    text += L"goto try\r\n";
    text += L":end\r\ndel %0\r\n";
    return text;
}

bool EncodeBatch(const std::wstring& text, UINT codePage, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return true;
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* lossyOut = utf8 ? nullptr : &lossy;
    const int n = ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, lossyOut);
    if (n <= 0) return false;
    bytes.resize(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), bytes.data(),
                          n, nullptr, lossyOut);
    return !lossy;
}

bool SelfDeleteBatchBytes(const std::wstring& exePath, const std::wstring& folder,
                          bool removeFolder, std::string& bytes, int tries, UINT codePage) {
    if (EncodeBatch(SelfDeleteBatchText(exePath, folder, removeFolder, tries), codePage, bytes))
        return true;
    // A name the code page cannot spell would name other files: the short names can.
    return EncodeBatch(
        SelfDeleteBatchText(ShortPath(exePath), ShortPath(folder), removeFolder, tries), codePage,
        bytes);
}

bool IsProtectedFolder(const std::wstring& folder,
                       const std::vector<std::wstring>& protectedFolders) {
    const std::wstring f = Upper(WithoutTrailingBackslash(folder));
    if (f.size() <= 2 || f.back() == L':') return true; // a drive, or nothing usable
    if (f.rfind(L"\\\\", 0) == 0) {
        // "\\server\share" is the root of a share: two parts after the leading backslashes.
        std::size_t parts = 0;
        for (std::size_t at = 2; at != std::wstring::npos; at = f.find(L'\\', at + 1))
            ++parts;
        if (parts <= 2) return true;
    }
    for (const std::wstring& p : protectedFolders) {
        const std::wstring up = Upper(WithoutTrailingBackslash(p));
        if (up.empty()) continue;
        if (up == f || up.rfind(f + L"\\", 0) == 0) return true;
    }
    return false;
}

std::vector<std::wstring> SystemFolders() {
    static constexpr int kFolders[] = {
        CSIDL_WINDOWS,
        CSIDL_SYSTEM,
        CSIDL_SYSTEMX86,
        CSIDL_PROGRAM_FILES,
        CSIDL_PROGRAM_FILESX86,
        CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_PROFILE,
        CSIDL_DESKTOPDIRECTORY,
        CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PERSONAL,
        CSIDL_COMMON_DOCUMENTS,
        CSIDL_MYMUSIC,
        CSIDL_MYPICTURES,
        CSIDL_MYVIDEO,
        CSIDL_COMMON_MUSIC,
        CSIDL_COMMON_PICTURES,
        CSIDL_COMMON_VIDEO,
        CSIDL_FAVORITES,
        CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,
        CSIDL_COMMON_APPDATA,
        CSIDL_STARTMENU,
        CSIDL_COMMON_STARTMENU,
        CSIDL_PROGRAMS,
        CSIDL_COMMON_PROGRAMS,
        CSIDL_STARTUP,
        CSIDL_COMMON_STARTUP,
        CSIDL_FONTS,
    };
    std::vector<std::wstring> out;
    for (const int csidl : kFolders)
        if (std::wstring path = GetShellFolderPath(csidl); !path.empty())
            out.push_back(std::move(path));
    if (std::wstring downloads = DownloadsFolder(); !downloads.empty())
        out.push_back(std::move(downloads));
    if (std::wstring temp = GetTempDir(); !temp.empty()) out.push_back(std::move(temp));
    return out;
}

UniqueHandleKernel StartSelfDeleteBatch(const std::wstring& batch, const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + batch + L"\"";
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                          nullptr, folder.c_str(), &startup, &process))
        return {};
    const UniqueHandleKernel thread(process.hThread);
    return UniqueHandleKernel(process.hProcess);
}

bool WriteSelfDeleteBatch() noexcept {
    try {
        const std::wstring exe = ExeFileName();
        const std::wstring folder = WithoutTrailingBackslash(ExtractFilePath(exe));
        const bool removeFolder = !IsProtectedFolder(folder, SystemFolders());
        // In the code page cmd.exe reads batch files in, which is not the ANSI one on most systems.
        std::string bytes;
        if (!SelfDeleteBatchBytes(exe, folder, removeFolder, bytes)) return false;

        const std::wstring temp = GetTempDir();
        if (temp.empty()) return false;
        const std::wstring batch = temp + L"~bnuninstmyself.bat";
        {
            const UniqueHandleKernel file(::CreateFileW(batch.c_str(), GENERIC_WRITE, 0, nullptr,
                                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                        nullptr));
            if (!file) return false;
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr) ||
                written != bytes.size())
                return false;
        }

        (void)StartSelfDeleteBatch(batch, temp);
        return true;
    } catch (...) {
        return false;
    }
}

// --- the uninstall ----------------------------------------------------------------------------

bool DoUninstall() {
    if (Ask(L"您确定要卸载BrisaTarn吗？") != IDOK) return false;

    const std::wstring self = ExeFileName();
    if (FindOtherProcess(self)) {
        if (Ask(L"检测到您正在运行 BrisaTarn，您确定要强制退出并且卸载吗？") != IDOK) return false;
        PROCESSENTRY32W entry{};
        for (int round = 0; round < kKillRounds && FindOtherProcess(self, &entry); ++round)
            EndProcessAndWait(entry.th32ProcessID);
    }

    if (StatisticsManager) StatisticsManager->SendUninstallStatistics();
    KillProcessByName(GetAnimateExePath());
    KillProcessByName(GetIconTipsExePath());
    RemoveDesktopShortcuts();
    RemoveStartMenuEntries();
    RemoveRegistryEntries();
    DeleteConfigFile();
    return WriteSelfDeleteBatch();
}

} // namespace tn
