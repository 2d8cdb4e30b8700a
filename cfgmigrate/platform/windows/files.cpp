// Renaming that never replaces an existing target: MoveFileA fails when the
// target exists.
#include "platform/platform.h"

#include <windows.h>

namespace cfgmigrate::platform {

bool RenameNoReplace(const char *from, const char *to) {
    if (!from || !to) return false;
    return MoveFileA(from, to) != 0;
}

} // namespace cfgmigrate::platform
