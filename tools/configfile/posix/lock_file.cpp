#include "system_calls.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace syscalls {

namespace {

// Never follows a link (someone else may have planted it) and never waits
// for the other end of a pipe.
int OpenLockFile(const std::string &lock, int flags) {
    return ::open(lock.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
}

} // namespace

int OpenLock(const std::string &lock, bool writer) {
    if (!writer) return OpenLockFile(lock, O_RDONLY);
    int fd = OpenLockFile(lock, O_RDWR | O_CREAT);
    int error = errno;
    // A lock file another user made still serves: flock needs no write
    // access. When there is none, the folder's refusal is the cause.
    if (fd < 0 && error == EACCES) {
        fd = OpenLockFile(lock, O_RDONLY);
        if (fd < 0 && errno != ENOENT) error = errno;
    }
    errno = error;
    return fd;
}

bool IsRegular(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

int TryLock(int fd, bool exclusive) {
    for (;;) {
        if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

} // namespace syscalls
