// The registry class: one root key, one open key at a time, reads and writes that raise on failure.
#pragma once

#include "classlib/Handles.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tn {

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegistry {
public:
    explicit TRegistry(HKEY rootKey = HKEY_CURRENT_USER, REGSAM access = KEY_ALL_ACCESS) noexcept
        : FRootKey(rootKey), FAccess(access) {}

    [[nodiscard]] HKEY RootKey() const noexcept { return FRootKey; }
    void SetRootKey(HKEY key) noexcept {
        CloseKey();
        FRootKey = key;
    }
    [[nodiscard]] HKEY CurrentKey() const noexcept { return FCurrentKey.get(); }

    // A key path is taken from the root key; a leading backslash means the same (some registry
    // implementations refuse one, so it is stripped). False when the key cannot be opened or made.
    bool OpenKey(const std::wstring& key, bool canCreate);
    bool OpenKeyReadOnly(const std::wstring& key);
    void CloseKey() noexcept { FCurrentKey.reset(); }

    [[nodiscard]] bool KeyExists(const std::wstring& key) const;
    [[nodiscard]] bool ValueExists(const std::wstring& name) const;
    // Empty when the value is absent; raises when it is not a string.
    [[nodiscard]] std::wstring ReadString(const std::wstring& name) const;
    // Raises when the value is absent or not a 32-bit integer.
    [[nodiscard]] std::int32_t ReadInteger(const std::wstring& name) const;
    void WriteString(const std::wstring& name, const std::wstring& value) const;
    void WriteInteger(const std::wstring& name, std::int32_t value) const;
    bool DeleteValue(const std::wstring& name) const noexcept;
    // Deletes the key below the root with all its subkeys.
    bool DeleteKey(const std::wstring& key) const noexcept;
    // Copies the subkey oldName of the open key, values and subkeys, to newName beside it, and
    // with deleteOld removes the original; nothing happens when oldName is missing or newName
    // exists already. False when nothing was copied.
    bool MoveKey(const std::wstring& oldName, const std::wstring& newName, bool deleteOld) const;
    // Names of the subkeys of the open key.
    [[nodiscard]] std::vector<std::wstring> GetKeyNames() const;

private:
    [[nodiscard]] HKEY OpenedOrThrow() const;

    HKEY FRootKey;
    REGSAM FAccess;
    UniqueRegKey FCurrentKey;
};

} // namespace tn
