#include "browser/tools/StoredSettings.h"

#include "classlib/Application.h"
#include "classlib/FileUtil.h"
#include "classlib/Forms.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace tn {

namespace {
constexpr wchar_t kNavigatingKey[] = L"AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\";
constexpr wchar_t kStartPageKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kLastVisitedPage[] = L"LastVisitedPage";

// The application's own key of that name.
std::wstring ApplicationKey(const wchar_t* name) {
    return L"SOFTWARE\\" + Application->Title() + L"\\" + name;
}
} // namespace

void SetNavigationSoundScheme(bool Disable) noexcept {
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        const std::wstring from = Disable ? L".Current" : L"Old_Current";
        const std::wstring to = Disable ? L"Old_Current" : L".Current";
        if (!reg.KeyExists(kNavigatingKey + from)) return;
        if (!reg.OpenKey(kNavigatingKey, Disable)) return;
        (void)reg.MoveKey(from, to, true);
    } catch (...) {
        // The sound setting is the user's; one that cannot be moved stays as it is.
    }
}

std::wstring GetBrowserFileVersion() {
    wchar_t folder[261] = {};
    const UINT n = ::GetSystemDirectoryW(folder, 261);
    if (n == 0 || n >= 261) return {};
    std::wstring file = std::wstring(folder) + L"\\ieframe.dll";
    if (!FileExists(file)) file = std::wstring(folder) + L"\\shdocvw.dll";
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    std::wstring query = L"FileVersion";
    void* value = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) && value &&
        length >= 4) {
        const auto* translation = static_cast<const WORD*>(value);
        wchar_t text[64] = {};
        std::swprintf(text, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                      L"FileVersion");
        query = text;
    }
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return {};
    return text::Trim(static_cast<const wchar_t*>(value));
}

int MajorVersionOf(const std::wstring& version) noexcept {
    const std::size_t dot = version.find(L'.');
    if (dot == std::wstring::npos) return -1;
    std::int32_t major = 0;
    if (!text::TryStrToInt(std::wstring_view(version).substr(0, dot), major)) return -1;
    return major;
}

void RestoreMainFormPlacement() noexcept {
    try {
        TForm* const form = Application->MainForm();
        if (!form) return;
        TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
        if (!reg.OpenKeyReadOnly(ApplicationKey(L"FormSize"))) return;
        form->SetLeft(reg.ReadInteger(L"Left"));
        form->SetTop(reg.ReadInteger(L"Top"));
        form->SetWidth(reg.ReadInteger(L"Width"));
        form->SetHeight(reg.ReadInteger(L"Height"));
        const std::int32_t state = reg.ReadInteger(L"WindowState");
        if (state >= 0 && state <= 2) form->SetWindowState(static_cast<TWindowState>(state));
    } catch (...) {
        // A stored placement that cannot be read leaves the rest of the form as it is.
    }
}

void SaveMainFormPlacement() noexcept {
    try {
        const TForm* const form = Application->MainForm();
        if (!form) return;
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(ApplicationKey(L"FormSize"), true)) return;
        reg.WriteInteger(L"Top", form->Top());
        reg.WriteInteger(L"Left", form->Left());
        reg.WriteInteger(L"Width", form->Width());
        reg.WriteInteger(L"Height", form->Height());
        reg.WriteInteger(L"WindowState", static_cast<std::int32_t>(form->WindowState()));
    } catch (...) {
        // Not stored: the next start keeps the designed placement.
    }
}

void SetBrowserStartPage(const std::wstring& HomePage) noexcept {
    try {
        TRegistry reg(HKEY_CURRENT_USER);
        if (reg.OpenKey(kStartPageKey, true)) reg.WriteString(L"Start Page", HomePage);
    } catch (...) {
        // The user's start page stays as it was.
    }
}

bool ReadLastVisitedPage(std::wstring& LastVisitedPage) noexcept {
    LastVisitedPage.clear();
    try {
        TRegistry reg(HKEY_LOCAL_MACHINE, KEY_READ);
        if (!reg.OpenKeyReadOnly(ApplicationKey(L"WebPages"))) return false;
        LastVisitedPage = reg.ReadString(kLastVisitedPage);
        return !LastVisitedPage.empty() && LastVisitedPage.find(L'.') != std::wstring::npos;
    } catch (...) {
        return false; // a value that is no text: no page
    }
}

bool WriteLastVisitedPage(const std::wstring& URL) noexcept {
    try {
        const std::wstring key = ApplicationKey(L"WebPages");
        TRegistry reg(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(key, false)) (void)reg.DeleteKey(key + L"\\" + kLastVisitedPage);
        if (!reg.OpenKey(key, true)) return false;
        reg.WriteString(kLastVisitedPage, URL);
        return true;
    } catch (...) {
        return false;
    }
}

void ShowVersionDialogCommand(HWND Window) noexcept {
    (void)::SendMessageW(Window, WM_COMMAND, kVersionDialogCommand, 0);
}

void CreateShortcutCommand(HWND Window) noexcept {
    (void)::SendMessageW(Window, WM_COMMAND, kDesktopShortcutCommand, 0);
}

int GetBrowserMajorVersion() noexcept {
    try {
        return MajorVersionOf(GetBrowserFileVersion());
    } catch (...) {
        return -1; // no memory for the version block: a version that could not be read
    }
}

} // namespace tn
