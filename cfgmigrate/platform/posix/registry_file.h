// The local-machine registry, as read from a file in the registry editor's
// export format. The file is named by CFGMIGRATE_REGISTRY (default
// /etc/tarrowgate/registry.reg) and read afresh whenever a key is opened
// under the local-machine root.
#ifndef CFGMIGRATE_REGISTRY_FILE_H
#define CFGMIGRATE_REGISTRY_FILE_H

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace cfgmigrate::platform {

struct RegistryValue {
    bool is_string = false; // dword:, hex: and hex(n): values are not strings
    std::string text;
};

// Keys and value names are stored in lower case, so that lookups ignore
// case. A key path has no hive prefix and no leading or trailing backslash.
struct RegistryImage {
    bool valid = false; // false when the file lacks the header line
    std::map<std::string, std::map<std::string, RegistryValue>> keys;

    bool HasKey(const std::string &lower_path) const;
    const RegistryValue *Find(const std::string &lower_path, const std::string &lower_name) const;
};

// Parses the whole file: UTF-16 little-endian with its byte-order mark, or
// 8-bit text; CR LF or LF line ends.
RegistryImage ParseRegistryFile(std::string_view bytes);

// The path of the file that stands in for the registry.
std::string RegistryFilePath();

// How many keys are open at the moment (the root is not counted).
std::size_t OpenRegistryKeyCount();

} // namespace cfgmigrate::platform

#endif
