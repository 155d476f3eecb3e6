#include "classlib/MemoryStream.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace tn {
namespace {

[[noreturn]] void RaiseFileError(const char* action, const std::wstring& path, DWORD error) {
    throw EFileError(std::string(action) + " " + text::ToUtf8(path) + " failed (error " +
                         std::to_string(error) + ")",
                     error);
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || path[slash - 1] == L':') return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

// Deletes the half-written file unless it has been moved into place.
class TempFile {
public:
    explicit TempFile(std::wstring path) noexcept : path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    [[nodiscard]] const std::wstring& path() const noexcept { return path_; }
    void keep() noexcept { path_.clear(); }

private:
    std::wstring path_;
};

void WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size, const std::wstring& path) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            RaiseFileError("writing", path, ::GetLastError());
        data += written;
        size -= written;
    }
}

} // namespace

void TMemoryStream::SetSize(std::size_t size) {
    bytes_.resize(size);
    position_ = std::min(position_, size);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) noexcept {
    if (position_ >= bytes_.size()) return 0;
    const std::size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    if (count > std::numeric_limits<std::size_t>::max() - position_)
        throw std::length_error("memory stream too large");
    const std::size_t end = position_ + count;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = end;
}

void TMemoryStream::SaveToFile(const std::wstring& path) const {
    // Written beside the target first, so a failure midway leaves an older file as it was.
    wchar_t tempName[MAX_PATH];
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"tn", 0, tempName))
        RaiseFileError("creating a file beside", path, ::GetLastError());
    TempFile temp(tempName);
    {
        UniqueHandleKernel file(::CreateFileW(temp.path().c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) RaiseFileError("creating", temp.path(), ::GetLastError());
        WriteTo(file.get(), temp.path());
    }
    if (!::MoveFileExW(temp.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        RaiseFileError("replacing", path, ::GetLastError());
    temp.keep();
}

void TMemoryStream::WriteTo(HANDLE file, const std::wstring& path) const {
    WriteAll(file, bytes_.data(), bytes_.size(), path);
}

void TMemoryStream::LoadFromFile(const std::wstring& path) {
    UniqueHandleKernel file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError("opening", path, ::GetLastError());
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) RaiseFileError("sizing", path, ::GetLastError());
    if (static_cast<unsigned long long>(size.QuadPart) >
        std::numeric_limits<std::size_t>::max() / 2)
        RaiseFileError("loading", path, ERROR_NOT_ENOUGH_MEMORY);

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 24));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + got, chunk, &read, nullptr))
            RaiseFileError("reading", path, ::GetLastError());
        if (read == 0) break; // the file shrank while we read it
        got += read;
    }
    bytes.resize(got);
    bytes_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::Clear() noexcept {
    std::vector<std::uint8_t>().swap(bytes_);
    position_ = 0;
}

} // namespace tn
