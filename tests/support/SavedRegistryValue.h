// A registry text value that a test changes, put back as it was (or removed again) afterwards.
#pragma once

#include "classlib/Registry.h"

#include <optional>
#include <string>
#include <utility>

namespace tn::test {

class SavedRegistryValue {
public:
    SavedRegistryValue(HKEY root, std::wstring key, std::wstring name)
        : FRoot(root), FKey(std::move(key)), FName(std::move(name)) {
        TRegistry reg(FRoot);
        if (reg.OpenKeyReadOnly(FKey) && reg.ValueExists(FName)) FBefore = reg.ReadString(FName);
    }
    ~SavedRegistryValue() {
        try {
            TRegistry reg(FRoot);
            if (!reg.OpenKey(FKey, false)) return;
            if (FBefore)
                reg.WriteString(FName, *FBefore);
            else
                (void)reg.DeleteValue(FName);
        } catch (...) {
            // A value that cannot be put back stays as the test left it.
        }
    }
    SavedRegistryValue(const SavedRegistryValue&) = delete;
    SavedRegistryValue& operator=(const SavedRegistryValue&) = delete;

private:
    HKEY FRoot;
    std::wstring FKey, FName;
    std::optional<std::wstring> FBefore;
};

} // namespace tn::test
