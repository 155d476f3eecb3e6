#include "classlib/Registry.h"

#include <shlwapi.h>

namespace tn {

namespace {
std::wstring Relative(const std::wstring& key) {
    std::size_t b = 0;
    while (b < key.size() && key[b] == L'\\')
        ++b;
    return key.substr(b);
}
} // namespace

bool TRegistry::OpenKey(const std::wstring& key, bool canCreate) {
    CloseKey();
    const std::wstring rel = Relative(key);
    LSTATUS rc;
    if (canCreate)
        rc = ::RegCreateKeyExW(FRootKey, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess,
                               nullptr, FCurrentKey.put(), nullptr);
    else
        rc = ::RegOpenKeyExW(FRootKey, rel.c_str(), 0, FAccess, FCurrentKey.put());
    if (rc != ERROR_SUCCESS) FCurrentKey.release();
    return rc == ERROR_SUCCESS;
}

bool TRegistry::OpenKeyReadOnly(const std::wstring& key) {
    CloseKey();
    const LSTATUS rc =
        ::RegOpenKeyExW(FRootKey, Relative(key).c_str(), 0, KEY_READ, FCurrentKey.put());
    if (rc != ERROR_SUCCESS) FCurrentKey.release();
    return rc == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::wstring& key) const {
    UniqueRegKey k;
    return ::RegOpenKeyExW(FRootKey, Relative(key).c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

HKEY TRegistry::OpenedOrThrow() const {
    if (!FCurrentKey) throw ERegistryException("no registry key is open");
    return FCurrentKey.get();
}

bool TRegistry::ValueExists(const std::wstring& name) const {
    if (!FCurrentKey) return false;
    return ::RegQueryValueExW(FCurrentKey.get(), name.c_str(), nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS;
}

std::wstring TRegistry::ReadString(const std::wstring& name) const {
    const HKEY k = OpenedOrThrow();
    DWORD type = 0, bytes = 0;
    LSTATUS rc = ::RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, &bytes);
    if (rc == ERROR_FILE_NOT_FOUND) return {};
    if (rc != ERROR_SUCCESS) throw ERegistryException("registry value cannot be read");
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException("registry value is not a string");
    std::wstring s(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(s.size() * sizeof(wchar_t));
    rc = ::RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(s.data()),
                            &bytes);
    if (rc != ERROR_SUCCESS) throw ERegistryException("registry value cannot be read");
    s.resize(bytes / sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0')
        s.pop_back();
    return s;
}

std::int32_t TRegistry::ReadInteger(const std::wstring& name) const {
    DWORD type = 0, value = 0, bytes = sizeof value;
    const LSTATUS rc = ::RegQueryValueExW(OpenedOrThrow(), name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(&value), &bytes);
    if (rc != ERROR_SUCCESS || type != REG_DWORD)
        throw ERegistryException("registry value is not an integer");
    return static_cast<std::int32_t>(value);
}

void TRegistry::WriteString(const std::wstring& name, const std::wstring& value) const {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(OpenedOrThrow(), name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()), bytes) != ERROR_SUCCESS)
        throw ERegistryException("registry value cannot be written");
}

void TRegistry::WriteInteger(const std::wstring& name, std::int32_t value) const {
    const auto v = static_cast<DWORD>(value);
    if (::RegSetValueExW(OpenedOrThrow(), name.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&v), sizeof v) != ERROR_SUCCESS)
        throw ERegistryException("registry value cannot be written");
}

bool TRegistry::DeleteValue(const std::wstring& name) const noexcept {
    return FCurrentKey && ::RegDeleteValueW(FCurrentKey.get(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::wstring& key) const noexcept {
    const std::wstring rel = Relative(key);
    if (rel.empty()) return false; // never the root itself
    return ::SHDeleteKeyW(FRootKey, rel.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::MoveKey(const std::wstring& oldName, const std::wstring& newName,
                        bool deleteOld) const {
    if (!FCurrentKey || oldName.empty() || newName.empty()) return false;
    const HKEY parent = FCurrentKey.get();
    UniqueRegKey source;
    if (::RegOpenKeyExW(parent, oldName.c_str(), 0, KEY_READ, source.put()) != ERROR_SUCCESS)
        return false;
    UniqueRegKey probe;
    if (::RegOpenKeyExW(parent, newName.c_str(), 0, KEY_READ, probe.put()) == ERROR_SUCCESS)
        return false;
    UniqueRegKey target;
    if (::RegCreateKeyExW(parent, newName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          target.put(), nullptr) != ERROR_SUCCESS)
        return false;
    if (::RegCopyTreeW(source.get(), nullptr, target.get()) != ERROR_SUCCESS) {
        // A half copy is worse than none: the original stays the only one.
        target.reset();
        (void)::SHDeleteKeyW(parent, newName.c_str());
        return false;
    }
    source.reset();
    if (deleteOld) (void)::SHDeleteKeyW(parent, oldName.c_str());
    return true;
}

std::vector<std::wstring> TRegistry::GetKeyNames() const {
    std::vector<std::wstring> names;
    if (!FCurrentKey) return names;
    wchar_t buf[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        const LSTATUS rc =
            ::RegEnumKeyExW(FCurrentKey.get(), i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS)
            names.emplace_back(buf, len);
        else
            break;
    }
    return names;
}

} // namespace tn
