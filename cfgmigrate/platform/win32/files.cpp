// Files: opening one for reading its bytes, and renaming that never
// replaces an existing target.
#include "platform/platform.h"
#include "platform/system.h"

#include <windows.h>

#include <cstdio>

namespace cfgmigrate::platform {

// "rb" leaves the C runtime's own text mode out; a folder does not open.
std::FILE *os::OpenBytes(const char *path) {
    return std::fopen(path, "rb");
}

// MoveFileA fails when the target exists.
bool RenameNoReplace(const char *from, const char *to) {
    if (!from || !to) return false;
    return MoveFileA(from, to) != 0;
}

} // namespace cfgmigrate::platform
