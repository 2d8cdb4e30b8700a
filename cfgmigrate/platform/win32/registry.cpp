// The local-machine registry through the system's own calls, read only.
#include "platform/platform.h"
#include "platform/system.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace cfgmigrate::platform {

namespace {

HKEY Native(RegistryKey key) {
    return reinterpret_cast<HKEY>(key);
}

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The stored bytes of a string value. A value stored without its
// terminator, or with more after it, is read up to the first NUL, so what
// is handed on always ends where a caller's strlen would.
RegistryResult ReadStoredText(HKEY key, const char *name, std::string &text) {
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> bytes;
    // The value may grow between the calls; ask again with the new size.
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (!IsString(type)) return kRegistryNotAString;
        bytes.resize(size + 1);
        DWORD room = size;
        result = RegQueryValueExA(key, name, nullptr, &type, bytes.data(), &room);
        if (result == ERROR_SUCCESS) {
            if (!IsString(type)) return kRegistryNotAString;
            bytes.resize(room);
            break;
        }
        size = room;
    }
    if (result != ERROR_SUCCESS) return result;
    const auto *chars = reinterpret_cast<const char *>(bytes.data());
    text.assign(chars, strnlen(chars, bytes.size()));
    return kRegistrySuccess;
}

} // namespace

RegistryKey LocalMachineKey() {
    return reinterpret_cast<RegistryKey>(HKEY_LOCAL_MACHINE);
}

RegistryResult RegistryOpenKey(RegistryKey parent, const char *subkey, RegistryKey *opened) {
    if (!opened) return kRegistryInvalidHandle;
    *opened = nullptr;
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(Native(parent), subkey, 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) *opened = reinterpret_cast<RegistryKey>(key);
    return result;
}

RegistryResult os::ReadString(RegistryKey key, const char *name, std::string &text) {
    if (!key) return kRegistryInvalidHandle;
    return ReadStoredText(Native(key), name, text);
}

RegistryResult RegistryCloseKey(RegistryKey key) {
    if (Native(key) == HKEY_LOCAL_MACHINE) return kRegistrySuccess;
    return RegCloseKey(Native(key));
}

} // namespace cfgmigrate::platform
