// Files by the product's own paths (backslash separators): opening one for
// reading its bytes, and renaming that never replaces an existing target.
#include "paths.h"
#include "platform/platform.h"
#include "platform/system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cfgmigrate::platform {
namespace {

bool RenameExclusive(const std::string &from, const std::string &to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    // Some file systems cannot rename without replacing; a hard link cannot
    // replace either, and the old name goes once the new one is in place.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    if (link(from.c_str(), to.c_str()) != 0) return false;
    if (unlink(from.c_str()) == 0) return true;
    unlink(to.c_str());
    return false;
}

} // namespace

std::FILE *os::OpenBytes(const char *path) {
    std::FILE *stream = std::fopen(NativePath(path).c_str(), "rb");
    if (!stream) return nullptr;
    // A folder cannot be opened as a file, as on the product's own system.
    struct stat info {};
    if (fstat(fileno(stream), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(stream);
        errno = EISDIR;
        return nullptr;
    }
    return stream;
}

bool RenameNoReplace(const char *from, const char *to) {
    try {
        return RenameExclusive(NativePath(from), NativePath(to));
    } catch (...) {
        return false;
    }
}

} // namespace cfgmigrate::platform
