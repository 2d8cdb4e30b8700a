// The calls of one system under cfgmigrate's platform layer, defined once
// per system (posix/, win32/). What is the same on every system is written
// once over them (text_file.cpp, registry.cpp).
#ifndef CFGMIGRATE_PLATFORM_SYSTEM_H
#define CFGMIGRATE_PLATFORM_SYSTEM_H

#include "platform/platform.h"

#include <cstdio>
#include <string>

namespace cfgmigrate::platform::os {

// Opens a file for reading its bytes as they are; null when it cannot be
// opened or is a folder (where the system has FIFOs and devices, anything
// but a regular file).
std::FILE *OpenBytes(const char *path);

// The text of the string value name of an open key, up to its first NUL;
// kRegistryNotAString for a value of another type. May throw when memory
// runs out.
RegistryResult ReadString(RegistryKey key, const char *name, std::string &text);

} // namespace cfgmigrate::platform::os

#endif
