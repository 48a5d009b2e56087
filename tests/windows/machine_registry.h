#pragma once

#include "registry_store_suite.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumox::testing {

// A value under HKEY_LOCAL_MACHINE, read with the registry API alone: its type, and its
// data with the terminating NUL of a string taken off. Nothing when the key or the
// value is not there. hadTerminatingNul, when given, says whether a string value ended
// in its NUL as the registry wants.
inline std::optional<StoredValue> readMachineValue(std::string_view path, std::string_view name,
                                                   bool *hadTerminatingNul = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, std::string(path).c_str(), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::string valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    std::optional<StoredValue> found;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE *>(data.data()), &size) == ERROR_SUCCESS) {
            std::string text(data.data(), size);
            const bool terminated = !text.empty() && text.back() == '\0';
            if (hadTerminatingNul != nullptr) {
                *hadTerminatingNul = terminated;
            }
            if (type == REG_SZ && terminated) {
                text.pop_back();
            }
            found = StoredValue{type, text};
        }
    }
    RegCloseKey(key);
    return found;
}

} // namespace lumox::testing
