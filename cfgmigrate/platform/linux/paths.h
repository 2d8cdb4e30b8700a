// Paths as the product writes them (backslash separators) read as paths of
// this system.
#ifndef CFGMIGRATE_PATHS_H
#define CFGMIGRATE_PATHS_H

#include <string>

namespace cfgmigrate::platform {

std::string NativePath(const char *path);

} // namespace cfgmigrate::platform

#endif
