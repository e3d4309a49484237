// The registry calls of the installation run and of tqinstall's status and
// uninstall: string values only.
#pragma once

#include <string>

#include "platform/error_code.h"

namespace tq::platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"
inline const char* RegistryRootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// An open registry key (an HKEY); nullptr for none.
using RegistryKey = void*;

struct StringValueResult {
    std::string data;
    ErrorCode error = kErrorSuccess;  // RegQueryValueExA's result; 2 when there is no such value
};

struct OpenKeyResult {
    RegistryKey key = nullptr;
    ErrorCode error = kErrorSuccess;  // RegOpenKeyExA's result; 0 when the key is open
};

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, &key).
    virtual OpenKeyResult OpenKeyForWriting(RegistryRoot root, const std::string& keyPath) = 0;

    // RegSetValueExA(key, valueName, 0, REG_SZ, data, its length without the NUL).
    virtual ErrorCode SetStringValue(RegistryKey key, const std::string& valueName, const std::string& data) = 0;

    // RegCloseKey(key).
    virtual ErrorCode CloseKey(RegistryKey key) = 0;

    // RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &key).
    virtual OpenKeyResult OpenKeyForReading(RegistryRoot root, const std::string& keyPath) = 0;

    // RegQueryValueExA(key, valueName, ...) in two calls, a REG_SZ value only
    // (another type answers ERROR_UNSUPPORTED_TYPE).
    virtual StringValueResult QueryStringValue(RegistryKey key, const std::string& valueName) = 0;

    // RegDeleteValueA(key, valueName); the key is open for writing.
    virtual ErrorCode DeleteValue(RegistryKey key, const std::string& valueName) = 0;
};

}  // namespace tq::platform
