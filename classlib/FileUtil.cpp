#include "classlib/FileUtil.h"

#include <windows.h>

#include <vector>

namespace tn {

std::wstring ExeFileName() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring ExeFolder() {
    return ExtractFilePath(ExeFileName());
}

std::wstring ExtractFilePath(const std::wstring& path) {
    const auto at = path.find_last_of(L"\\/:");
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at + 1);
}

std::wstring ExtractFileName(const std::wstring& path) {
    const auto at = path.find_last_of(L"\\/:");
    return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring IncludeTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

bool FileExists(const std::wstring& path) noexcept {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) noexcept {
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::wstring& path) {
    std::wstring p = path;
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/'))
        p.pop_back();
    if (p.empty()) return false;
    if (DirectoryExists(p)) return true;
    const std::wstring parent = ExtractFilePath(p);
    // Stop at a drive root ("C:\") or a path without a folder part.
    if (!parent.empty() && parent != p && parent.size() > 3) ForceDirectories(parent);
    return ::CreateDirectoryW(p.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

} // namespace tn
