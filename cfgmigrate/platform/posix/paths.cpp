#include "paths.h"

namespace cfgmigrate::platform {

std::string NativePath(const char *path) {
    std::string native(path ? path : "");
    for (char &c : native)
        if (c == '\\') c = '/';
    return native;
}

} // namespace cfgmigrate::platform
