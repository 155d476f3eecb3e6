// File and folder helpers of the class library.
#pragma once

#include <string>

namespace tn {

// Full path of the running executable, and its folder with a trailing backslash.
[[nodiscard]] std::wstring ExeFileName();
[[nodiscard]] std::wstring ExeFolder();
// Folder part of a path, trailing backslash kept; the file-name part.
[[nodiscard]] std::wstring ExtractFilePath(const std::wstring& path);
[[nodiscard]] std::wstring ExtractFileName(const std::wstring& path);
[[nodiscard]] std::wstring IncludeTrailingBackslash(const std::wstring& path);
[[nodiscard]] bool FileExists(const std::wstring& path) noexcept;
[[nodiscard]] bool DirectoryExists(const std::wstring& path) noexcept;
// Creates the folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::wstring& path);

} // namespace tn
