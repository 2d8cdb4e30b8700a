// Registry keys over the registry file: opening a key under the root reads
// the file; keys opened under an open key share what it read.
#include "paths.h"
#include "platform/platform.h"
#include "platform/system.h"
#include "registry_file.h"

#include "common/text.h"

#include <cstdio>
#include <memory>
#include <set>

namespace cfgmigrate::platform {

struct RegistryKeyHandle {
    std::shared_ptr<const RegistryImage> image; // null for the root
    std::string path;                           // lower case, no hive
};

namespace {

RegistryKeyHandle local_machine_root;

// Keys handed out and not yet closed; closing anything else fails.
std::set<RegistryKey> &OpenKeys() {
    static std::set<RegistryKey> keys;
    return keys;
}

// Null when the file is missing, unreadable or not a regular file.
std::shared_ptr<const RegistryImage> LoadRegistryFile() {
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> in(OpenRegularFile(RegistryFilePath()),
                                                        std::fclose);
    if (!in) return nullptr;
    std::string bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in.get())) > 0)
        bytes.append(buffer, got);
    if (std::ferror(in.get())) return nullptr;
    return std::make_shared<const RegistryImage>(ParseRegistryFile(bytes));
}

bool IsUsable(RegistryKey key) {
    return key == &local_machine_root || OpenKeys().count(key);
}

std::string JoinKeyPath(const std::string &parent, const char *subkey) {
    std::string sub = ascii::ToLower(subkey ? subkey : "");
    while (!sub.empty() && sub.back() == '\\')
        sub.pop_back();
    if (sub.empty()) return parent;
    return parent.empty() ? sub : parent + "\\" + sub;
}

RegistryResult OpenKey(RegistryKey parent, const char *subkey, RegistryKey *opened) {
    if (!opened) return kRegistryInvalidHandle;
    *opened = nullptr;
    if (!IsUsable(parent)) return kRegistryInvalidHandle;
    auto image = parent->image ? parent->image : LoadRegistryFile();
    if (!image) return kRegistryNotFound;
    std::string path = JoinKeyPath(parent->path, subkey);
    if (!image->HasKey(path)) return kRegistryNotFound;
    auto key = std::make_unique<RegistryKeyHandle>(RegistryKeyHandle{image, path});
    OpenKeys().insert(key.get());
    *opened = key.release();
    return kRegistrySuccess;
}

} // namespace

RegistryKey LocalMachineKey() {
    return &local_machine_root;
}

RegistryResult RegistryOpenKey(RegistryKey parent, const char *subkey, RegistryKey *opened) {
    try {
        return OpenKey(parent, subkey, opened);
    } catch (...) {
        return kRegistryNoMemory;
    }
}

RegistryResult os::ReadString(RegistryKey key, const char *name, std::string &text) {
    if (!IsUsable(key)) return kRegistryInvalidHandle;
    if (!key->image) return kRegistryNotFound; // the bare root holds no values here
    const RegistryValue *value = key->image->Find(key->path, ascii::ToLower(name ? name : ""));
    if (!value) return kRegistryNotFound;
    if (!value->is_string) return kRegistryNotAString;
    text = value->text;
    return kRegistrySuccess;
}

RegistryResult RegistryCloseKey(RegistryKey key) {
    if (key == &local_machine_root) return kRegistrySuccess;
    if (!OpenKeys().erase(key)) return kRegistryInvalidHandle;
    delete key;
    return kRegistrySuccess;
}

std::size_t OpenRegistryKeyCount() {
    return OpenKeys().size();
}

} // namespace cfgmigrate::platform
