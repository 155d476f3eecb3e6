#include "tests/support/TempDir.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tn::testing {

TempDir::TempDir() {
    wchar_t base[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH, base);
    if (n == 0) throw std::runtime_error("no temporary folder");
    static unsigned counter = 0;
    for (;;) {
        FPath = std::wstring(base, n) + L"tn-test-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter) + L"\\";
        if (::CreateDirectoryW(FPath.c_str(), nullptr)) return;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot make a test folder");
    }
}

TempDir::~TempDir() {
    RemoveTree(FPath);
}

void RemoveTree(const std::wstring& path) noexcept {
    std::wstring dir = path;
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    WIN32_FIND_DATAW fd;
    const HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryW(dir.c_str());
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write a test file");
}

} // namespace tn::testing
