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

std::FILE *OpenRegularFile(const std::string &native_path) {
    // Without O_NONBLOCK the open of a FIFO waits for a writer.
    const int fd = open(native_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int cause = fstat(fd, &info) != 0   ? errno
                      : S_ISREG(info.st_mode) ? 0
                      : S_ISDIR(info.st_mode) ? EISDIR
                                              : EINVAL;
    if (cause != 0) {
        close(fd);
        errno = cause;
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    std::FILE *stream =
        flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ? nullptr : fdopen(fd, "rb");
    if (!stream) close(fd);
    return stream;
}

// A folder cannot be opened as a file, as on the product's own system, and
// neither can anything else that is not a regular file.
std::FILE *os::OpenBytes(const char *path) {
    return OpenRegularFile(NativePath(path));
}

bool RenameNoReplace(const char *from, const char *to) {
    try {
        return RenameExclusive(NativePath(from), NativePath(to));
    } catch (...) {
        return false;
    }
}

} // namespace cfgmigrate::platform
