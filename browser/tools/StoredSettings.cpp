#include "browser/tools/StoredSettings.h"

#include "classlib/FileUtil.h"
#include "classlib/Registry.h"
#include "classlib/Text.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace tn {

namespace {
constexpr wchar_t kNavigatingKey[] = L"AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\";
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

int GetBrowserMajorVersion() noexcept {
    try {
        return MajorVersionOf(GetBrowserFileVersion());
    } catch (...) {
        return -1; // no memory for the version block: a version that could not be read
    }
}

} // namespace tn
