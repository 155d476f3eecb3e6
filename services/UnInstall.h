// The start-up resource check and the uninstall: ask, end running copies, report, remove links,
// registry entries and lander.ini, and leave a batch file that deletes the program's folder once
// the process has ended.
#pragma once

#include "classlib/Handles.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace tn {

// Starts the companion programs that are present; true when the skin picture exists (else the
// error box has been shown).
bool CheckResource();
void StartHelperPrograms() noexcept;

// The first argument, in any case, is "/uninst".
[[nodiscard]] bool IsUninstallMode();
[[nodiscard]] bool IsUninstallMode(const std::vector<std::wstring>& args);
// True when it ran to the end.
bool DoUninstall();

// Another process whose executable has the file name of name (any case).
[[nodiscard]] bool FindOtherProcess(const std::wstring& name,
                                    PROCESSENTRY32W* found = nullptr) noexcept;
void KillProcessByName(const std::wstring& name) noexcept;
// Target of a shell link file; empty when it cannot be resolved.
[[nodiscard]] std::wstring GetShortcutTarget(const std::wstring& path) noexcept;

void RemoveDesktopShortcuts() noexcept;
void RemoveStartMenuEntries() noexcept;
void RemoveRegistryEntries() noexcept;
void DeleteConfigFile() noexcept;
// False when the batch file could not be written.
bool WriteSelfDeleteBatch() noexcept;

// True also when the folder cannot be listed.
[[nodiscard]] bool IsDirectoryEmpty(const std::wstring& dir) noexcept;
// Deletes a folder tree. Linked folders (junctions, symbolic links) are unlinked, never entered.
void DeleteDirectory(const std::wstring& dir) noexcept;
void UnpinFromTaskbar(const std::wstring& link) noexcept;

// --- The self-deleting batch file, apart from the file system ---------------------------------

// How often the batch file tries to delete the program, a second apart, before it gives up.
inline constexpr int kSelfDeleteTries = 60;
// The batch text for the program at exePath in folder (no trailing backslash), CR LF line ends.
// Paths are written so that the batch reads them back unchanged; removeFolder false leaves out
// the folder removal.
[[nodiscard]] std::wstring SelfDeleteBatchText(const std::wstring& exePath,
                                               const std::wstring& folder, bool removeFolder,
                                               int tries = kSelfDeleteTries);
// text in code page; false when some character has no form there.
[[nodiscard]] bool EncodeBatch(const std::wstring& text, UINT codePage, std::string& bytes);
// The batch file's bytes in code page (by default the OEM one, which cmd.exe reads batch files
// in), with the short forms of the paths when their own cannot be spelt there; false when neither
// can.
[[nodiscard]] bool SelfDeleteBatchBytes(const std::wstring& exePath, const std::wstring& folder,
                                        bool removeFolder, std::string& bytes,
                                        int tries = kSelfDeleteTries, UINT codePage = ::GetOEMCP());
// A folder that a recursive delete must never take: a drive or share root, or one of the
// system's own folders (protected) or a folder that holds one of them.
[[nodiscard]] bool IsProtectedFolder(const std::wstring& folder,
                                     const std::vector<std::wstring>& protectedFolders);
// Starts the batch file hidden, at idle priority, in folder (outside the program's folder, which
// it could not remove otherwise); its process, or none.
[[nodiscard]] UniqueHandleKernel StartSelfDeleteBatch(const std::wstring& batch,
                                                      const std::wstring& folder);
// The system's own folders, as IsProtectedFolder takes them.
[[nodiscard]] std::vector<std::wstring> SystemFolders();

} // namespace tn
