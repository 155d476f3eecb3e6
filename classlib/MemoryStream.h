// A growable byte buffer with a read/write position, saved to and loaded from files whole; what
// downloads land in before they become files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tn {

// A file could not be created, written, replaced or read; carries the Win32 error.
class EFileError : public std::runtime_error {
public:
    EFileError(const std::string& what, unsigned long win32Error)
        : std::runtime_error(what), win32Error_(win32Error) {}
    [[nodiscard]] unsigned long Win32Error() const noexcept { return win32Error_; }

private:
    unsigned long win32Error_;
};

class TMemoryStream {
public:
    [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const noexcept { return bytes_; }
    [[nodiscard]] std::size_t Size() const noexcept { return bytes_.size(); }
    // Shrinking pulls the position back to the new end; growing fills with zeros.
    void SetSize(std::size_t size);
    [[nodiscard]] std::size_t Position() const noexcept { return position_; }
    // May lie past the end; the next write fills the gap with zeros.
    void SetPosition(std::size_t position) noexcept { position_ = position; }

    // Copies up to count bytes from the position on and advances; returns the number copied.
    std::size_t Read(void* buffer, std::size_t count) noexcept;
    // Writes at the position (overwriting, then growing) and advances.
    void Write(const void* buffer, std::size_t count);

    // The whole content, whatever the position; an existing file is replaced only once the new
    // content is completely on disk. Raises EFileError.
    void SaveToFile(const std::wstring& path) const;
    // The whole content written to file, opened for writing by the caller (path names it in the
    // error). Raises EFileError.
    void WriteTo(HANDLE file, const std::wstring& path) const;
    // The whole file becomes the content, position 0. Raises EFileError; the content is then
    // unchanged.
    void LoadFromFile(const std::wstring& path);

    void Clear() noexcept;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

} // namespace tn
