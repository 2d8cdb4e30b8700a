// String values handed out as the system's registry hands them: the size,
// terminator included, and then the text when the caller has room for it.
#include "platform/platform.h"
#include "platform/system.h"

#include <cstring>
#include <string>

namespace cfgmigrate::platform {

namespace {

RegistryResult QueryString(RegistryKey key, const char *name, char *data, std::uint32_t *size) {
    if (!size) return kRegistryInvalidHandle;
    std::string text;
    const RegistryResult read = os::ReadString(key, name, text);
    if (read != kRegistrySuccess) return read;
    if (text.size() >= UINT32_MAX) return kRegistryNoMemory;
    const auto needed = static_cast<std::uint32_t>(text.size() + 1);
    const std::uint32_t room = *size;
    *size = needed;
    if (!data) return kRegistrySuccess;
    if (room < needed) return kRegistryMoreData;
    std::memcpy(data, text.c_str(), needed);
    return kRegistrySuccess;
}

} // namespace

RegistryResult RegistryQueryString(RegistryKey key, const char *name, char *data,
                                   std::uint32_t *size) {
    try {
        return QueryString(key, name, data, size);
    } catch (...) {
        return kRegistryNoMemory;
    }
}

} // namespace cfgmigrate::platform
