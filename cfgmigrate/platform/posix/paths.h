// Paths as the product writes them (backslash separators) read as paths of
// this system, and the files they name opened for reading.
#ifndef CFGMIGRATE_PATHS_H
#define CFGMIGRATE_PATHS_H

#include <cstdio>
#include <string>

namespace cfgmigrate::platform {

std::string NativePath(const char *path);

// Opens a regular file of this system's path for reading its bytes; null
// (errno set) for anything else. A FIFO or a device is refused before it
// can block the open or a read, or feed it without end.
std::FILE *OpenRegularFile(const std::string &native_path);

} // namespace cfgmigrate::platform

#endif
