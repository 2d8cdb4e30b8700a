// The install root from the registry and the file-name map lookup.
#include "lookup.h"

#include "allocation.h"
#include "platform/platform.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace cfgmigrate {
namespace {

namespace pf = platform;

constexpr const char *kProductKey = "SOFTWARE\\Osmek\\Tarrowgate";
constexpr const char *kVersionValue = "CurrentVersion";
constexpr const char *kRootValue = "RootDirectory";
constexpr char kMapSuffix[] = "\\CONFIG\\TGCONFIG.MAP";

// RootDirectory of the open version key, following ReadInstallRoot's rules.
int ReadRootDirectory(pf::RegistryKey version_key, char *buffer, int size) {
    std::uint32_t needed = 0;
    if (pf::RegistryQueryString(version_key, kRootValue, nullptr, &needed) != pf::kRegistrySuccess)
        return -1;
    if (needed > INT_MAX) return -1;
    if (!buffer) return static_cast<int>(needed);
    if (size < static_cast<int>(needed)) return -1;
    std::uint32_t room = needed;
    if (pf::RegistryQueryString(version_key, kRootValue, buffer, &room) != pf::kRegistrySuccess)
        return -1;
    return static_cast<int>(needed);
}

// Opens the key of the installed version; the product key is closed again
// whatever happens.
pf::RegistryKey OpenVersionKey() {
    pf::RegistryKey product = nullptr;
    if (pf::RegistryOpenKey(pf::LocalMachineKey(), kProductKey, &product) != pf::kRegistrySuccess)
        return nullptr;
    char version[10] = {};
    std::uint32_t version_size = sizeof version;
    pf::RegistryKey version_key = nullptr;
    if (pf::RegistryQueryString(product, kVersionValue, version, &version_size) ==
        pf::kRegistrySuccess) {
        version[sizeof version - 1] = '\0';
        if (pf::RegistryOpenKey(product, version, &version_key) != pf::kRegistrySuccess)
            version_key = nullptr;
    }
    if (pf::RegistryCloseKey(product) != pf::kRegistrySuccess && version_key) {
        pf::RegistryCloseKey(version_key);
        return nullptr;
    }
    return version_key;
}

struct FreeDeleter {
    void operator()(char *p) const { std::free(p); }
};
using HeapText = std::unique_ptr<char, FreeDeleter>;

// <install root>\CONFIG\TGCONFIG.MAP, or null.
HeapText BuildMapPath() {
    int root_size = ReadInstallRoot(nullptr, 0);
    if (root_size < 1) return nullptr;
    HeapText path(AllocateZeroed(static_cast<std::size_t>(root_size) + sizeof kMapSuffix - 1));
    if (!path) return nullptr;
    if (ReadInstallRoot(path.get(), root_size) != root_size) return nullptr;
    std::strcat(path.get(), kMapSuffix);
    return path;
}

void ClearOut(char *out, int out_size) {
    if (out && out_size > 0) out[0] = '\0';
}

int LookupInMap(const char *name, char *out, int out_size, const char *map_path) {
    pf::TextFilePtr map = pf::OpenTextFile(map_path);
    if (!map) {
        ClearOut(out, out_size);
        return 0;
    }
    std::string line;
    for (;;) {
        pf::ReadStatus status = pf::ReadTextLine(*map, line);
        if (status == pf::ReadStatus::kError) {
            ClearOut(out, out_size);
            return 0;
        }
        if (status == pf::ReadStatus::kEnd) return 0;
        line.resize(std::strlen(line.c_str())); // a line ends at a NUL byte
        if (line.empty() || line[0] == '#') continue;
        // name=value; a line without "=" is all name, with an empty value.
        std::size_t equals = line.find('=');
        if (line.compare(0, equals, name) != 0) continue;
        std::size_t value_start = equals == std::string::npos ? line.size() : equals + 1;
        std::size_t length = line.size() - value_start;
        if (length >= INT_MAX) return 0;
        int result = static_cast<int>(length) + 1;
        if (out && out_size >= result) {
            std::memcpy(out, line.data() + value_start, length);
            out[length] = '\0';
        }
        return result;
    }
}

} // namespace

int ReadInstallRoot(char *buffer, int size) {
    pf::RegistryKey version_key = OpenVersionKey();
    if (!version_key) return -1;
    int result = ReadRootDirectory(version_key, buffer, size);
    if (pf::RegistryCloseKey(version_key) != pf::kRegistrySuccess) return -1;
    return result;
}

int LookupMappedFile(const char *name, char *out, int out_size, const char *map_path) {
    if (!name) return 0;
    try {
        HeapText built;
        if (!map_path) {
            built = BuildMapPath();
            if (!built) return 0;
            map_path = built.get();
        }
        return LookupInMap(name, out, out_size, map_path);
    } catch (...) {
        ClearOut(out, out_size);
        return 0;
    }
}

} // namespace cfgmigrate
