// A fresh folder under the temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace tn::testing {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    // With a trailing backslash.
    [[nodiscard]] const std::wstring& Path() const noexcept { return FPath; }
    [[nodiscard]] std::wstring File(const std::wstring& name) const { return FPath + name; }

private:
    std::wstring FPath;
};

// Removes a folder tree; used by TempDir and by tests that lay out install folders.
void RemoveTree(const std::wstring& path) noexcept;
// Whole file contents as bytes; empty when missing.
[[nodiscard]] std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

} // namespace tn::testing
