#include "services/Shell.h"

#include "Deploy.h"
#include "classlib/Application.h"
#include "classlib/ComPtr.h"
#include "classlib/FileUtil.h"
#include "classlib/Handles.h"
#include "classlib/Http.h"
#include "classlib/MemoryStream.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"
#include "services/PublicUnit.h"

#include <windows.h>
#include <mshtml.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace tn {

namespace {

constexpr wchar_t kRunKey[] = L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// The browser control's "Document" property.
constexpr DISPID kDocumentProperty = 203;
// A start that needs administrator rights the process cannot give (not named in every header).
constexpr DWORD kElevationRequired = 740;

// Runs body on the Run key, opened with creation allowed; registry failures are swallowed here.
template <typename F> void WithRunKey(F&& body) noexcept {
    try {
        TRegistry registry(HKEY_CURRENT_USER);
        if (registry.OpenKey(kRunKey, true)) body(registry);
    } catch (...) {
        // The start-at-logon value is a convenience: nothing is reported when it cannot be kept.
    }
}

bool DownloadAndStart(const wchar_t* sourcePath, const wchar_t* fileName,
                      TStepGate* gate) noexcept {
    try {
        THttpClient client;
        client.SetReadTimeout(10000);
        TMemoryStream stream;
        client.Get(std::wstring(deploy::kDownloadServer) + sourcePath, stream);
        const auto saveAndStart = [&] {
            const std::wstring folder = GetDownloadDir();
            (void)ForceDirectories(folder);
            // Whether the installer ran is not this routine's question.
            (void)SaveAndStartInstaller(stream, IncludeTrailingBackslash(folder), fileName, true);
        };
        if (!gate) {
            saveAndStart();
            return true;
        }
        return gate->Run(saveAndStart);
    } catch (...) {
        // Network, status and file failures all mean: not downloaded.
        return false;
    }
}

[[noreturn]] void RaiseInstallerError(const char* what, const std::wstring& file, DWORD error) {
    throw EFileError(std::string(what) + " " + text::ToUtf8(file) + " (error " +
                         std::to_string(error) + ")",
                     error);
}

// name with 32 random hexadecimal digits before its extension: no other program can know it
// before the file is there.
std::wstring NameOfItsOwn(const std::wstring& name) {
    GUID random{};
    if (FAILED(::CoCreateGuid(&random))) RaiseInstallerError("naming", name, ERROR_GEN_FAILURE);
    unsigned char bytes[sizeof random];
    std::memcpy(bytes, &random, sizeof bytes);
    std::wstring digits;
    for (const unsigned char b : bytes) {
        digits += L"0123456789ABCDEF"[b >> 4];
        digits += L"0123456789ABCDEF"[b & 15];
    }
    const auto dot = name.rfind(L'.');
    if (dot == std::wstring::npos) return name + L"_" + digits;
    return name.substr(0, dot) + L"_" + digits + name.substr(dot);
}

// A new file, never one that is already there; a part-written one goes.
void WriteNewFile(const std::wstring& file, const TMemoryStream& bytes) {
    UniqueHandleKernel handle(InstallerCalls().CreateFileW(
        file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) RaiseInstallerError("creating", file, ::GetLastError());
    try {
        bytes.WriteTo(handle.get(), file);
    } catch (...) {
        handle.reset();
        ::DeleteFileW(file.c_str());
        throw;
    }
}

// The file opened so that, while the handle lives, it can be read (the system's loader) but not
// written, renamed or deleted; none when it does not hold bytes, whoever changed it meanwhile.
UniqueHandleKernel HoldUnchanged(const std::wstring& file, const std::vector<std::uint8_t>& bytes) {
    UniqueHandleKernel held(InstallerCalls().CreateFileW(
        file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!held) return {};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(held.get(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) != bytes.size())
        return {};
    std::vector<std::uint8_t> chunk(std::min<std::size_t>(bytes.size(), 1u << 16));
    for (std::size_t at = 0; at < bytes.size();) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(chunk.size(), bytes.size() - at));
        if (!::ReadFile(held.get(), chunk.data(), want, &got, nullptr) || got == 0 ||
            std::memcmp(chunk.data(), bytes.data() + at, got) != 0)
            return {};
        at += got;
    }
    return held;
}

// What a dispatch call raised is of no interest here, but its texts are ours to free.
void FreeExceptionTexts(EXCEPINFO& exception) noexcept {
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

ComPtr<IDispatch> DocumentOf(IDispatch* browser) noexcept {
    if (!browser) return {};
    DISPPARAMS none{};
    OleVariant document;
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr =
        browser->Invoke(kDocumentProperty, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                        &none, document.put(), &exception, &argError);
    FreeExceptionTexts(exception);
    if (FAILED(hr)) return {};
    return VariantToDispatch(document.get());
}

bool SystemWritesVirtualized() noexcept {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandleKernel token(raw);
    DWORD enabled = 0, size = 0;
    // A system without the question redirects nothing.
    if (!::GetTokenInformation(token.get(), TokenVirtualizationEnabled, &enabled, sizeof enabled,
                               &size))
        return false;
    return enabled != 0;
}

// A file can be made in folder, and is gone again.
bool CanWriteIn(const std::wstring& folder) noexcept {
    wchar_t probe[MAX_PATH];
    if (!::GetTempFileNameW(folder.c_str(), L"tn", 0, probe)) return false;
    ::DeleteFileW(probe);
    return true;
}

} // namespace

TComScope::TComScope() noexcept
    : FOk(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
}

TComScope::~TComScope() {
    if (FOk) ::CoUninitialize();
}

void OpenUrl(HWND owner, const std::wstring& url, TShellExecute shellExecute) noexcept {
    if (!shellExecute) shellExecute = &::ShellExecuteW;
    // The shell reports success by a value above 32.
    const auto succeeded = [](HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; };
    if (succeeded(
            shellExecute(owner, L"open", L"IExplore.EXE", url.c_str(), nullptr, SW_SHOWNORMAL)))
        return;
    (void)shellExecute(owner, nullptr, url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void SetAutoRun(const std::wstring& name) noexcept {
    WithRunKey([&](TRegistry& registry) {
        const std::wstring valueName = name.empty() ? Application->Title() : name;
        if (registry.ValueExists(valueName)) return;
        registry.WriteString(valueName,
                             L"\"" + GetAppDataDir() + LanderExeName + L".exe\" /autorun");
    });
}

bool IsAutoRunSet() noexcept {
    bool set = false;
    WithRunKey([&](TRegistry& registry) { set = registry.ValueExists(Application->Title()); });
    return set;
}

void RemoveAutoRun(const std::wstring& name) noexcept {
    // An empty name would reach the key's unnamed default value, which is not ours.
    if (name.empty()) return;
    WithRunKey([&](TRegistry& registry) {
        if (registry.ValueExists(name)) (void)registry.DeleteValue(name);
    });
}

bool IsForegroundFullScreen() noexcept {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    for (HWND wnd = ::GetForegroundWindow(); wnd; wnd = ::GetParent(wnd)) {
        WINDOWINFO info{};
        info.cbSize = sizeof info;
        if (!::GetWindowInfo(wnd, &info)) continue;
        const RECT& client = info.rcClient;
        if (client.left <= 0 && client.top <= 0 && client.right >= width && client.bottom >= height)
            return true;
    }
    return false;
}

bool CallPageScript(int first, int second, const std::wstring& name, IDispatch* browser) noexcept {
    try {
        const auto document = DocumentOf(browser).as<IHTMLDocument2>();
        if (!document) return false;
        ComPtr<IDispatch> script;
        if (FAILED(document->get_Script(script.put())) || !script) return false;

        Bstr functionName(name);
        LPOLESTR names[] = {functionName.get()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)))
            return false;

        // Slot 0 is the script's last parameter.
        std::array<VARIANT, 2> arguments{};
        arguments[0].vt = VT_I4;
        arguments[0].lVal = first;
        arguments[1].vt = VT_I4;
        arguments[1].lVal = second;
        DISPPARAMS params{arguments.data(), nullptr, 2, 0};
        OleVariant result;
        EXCEPINFO exception{};
        UINT argError = 0;
        const HRESULT hr = script->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD,
                                          &params, result.put(), &exception, &argError);
        // The page's return value is ignored; the variant frees it.
        FreeExceptionTexts(exception);
        return SUCCEEDED(hr);
    } catch (...) {
        return false;
    }
}

TInstallerCalls& InstallerCalls() noexcept {
    static TInstallerCalls calls{&::CreateProcessW, &::ShellExecuteExW, &::CreateFileW,
                                 &SystemWritesVirtualized};
    return calls;
}

std::wstring InstallerFolder(const std::wstring& preferred) {
    if (!InstallerCalls().WritesVirtualized() && CanWriteIn(preferred)) return preferred;
    const std::wstring temp = GetTempDir();
    return temp.empty() ? preferred : temp;
}

TInstallerStart SaveAndStartInstaller(const TMemoryStream& bytes, const std::wstring& preferred,
                                      const std::wstring& name, bool keepUnstarted) {
    const std::wstring folder = InstallerFolder(preferred);
    const bool inPreferred = folder == preferred;
    std::wstring file;
    if (inPreferred) {
        file = folder + name;
        bytes.SaveToFile(file);
    } else {
        // Another program of the user could have put a file of a foreseeable name there first,
        // or replace it before an administrator says yes.
        file = folder + NameOfItsOwn(name);
        WriteNewFile(file, bytes);
    }
    TInstallerStart started = TInstallerStart::Failed;
    {
        // Whatever was there between the write and this open, what starts is what was fetched.
        const UniqueHandleKernel held = HoldUnchanged(file, bytes.Bytes());
        if (!held) {
            ::DeleteFileW(file.c_str());
            RaiseInstallerError("holding unchanged", file, ERROR_FILE_INVALID);
        }
        started = StartInstaller(file);
    }
    if (started != TInstallerStart::Started && !(keepUnstarted && inPreferred))
        ::DeleteFileW(file.c_str());
    return started;
}

TInstallerStart StartInstaller(const std::wstring& file) noexcept {
    try {
        const TInstallerCalls& calls = InstallerCalls();
        // Quoted, so that a folder with blanks cannot make the system start another program.
        std::wstring commandLine = L"\"" + file + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
#ifndef _WIN64
        static_assert(sizeof(STARTUPINFOW) == 68, "the start-up record of a 32-bit process");
#endif
        PROCESS_INFORMATION process{};
        if (calls.CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                 CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                                 &startup, &process)) {
            const UniqueHandleKernel thread(process.hThread), started(process.hProcess);
            return TInstallerStart::Started;
        }
        // A program whose manifest asks for administrator rights, or one the system takes for
        // an installer by its name: only the shell can start it, after the user's consent.
        if (::GetLastError() != kElevationRequired) return TInstallerStart::Failed;
        const TComScope com;
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        // Done when the call returns (the caller may end at once); failures are the caller's to
        // tell, not a box of the shell's.
        info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (calls.ShellExecuteExW(&info)) return TInstallerStart::Started;
        return ::GetLastError() == ERROR_CANCELLED ? TInstallerStart::Declined
                                                   : TInstallerStart::Failed;
    } catch (...) {
        return TInstallerStart::Failed; // no memory for the command line: not started
    }
}

bool DownloadIconTips(TStepGate* gate) noexcept {
    return DownloadAndStart(L"/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe", L"IconTips_Update.exe",
                            gate);
}

bool DownloadAnimateIcon(TStepGate* gate) noexcept {
    return DownloadAndStart(L"/Varkel/bn/animateicon/VarkelAnimateIcon.exe",
                            L"IconAnimate_Update.exe", gate);
}

} // namespace tn
