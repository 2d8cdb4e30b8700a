#include "config_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace configlock {

namespace {

[[noreturn]] void Fail(const std::string &what, int error) {
    throw LockError(what + ": " + std::strerror(error));
}

int OpenForWriter(const std::string &lock) {
    int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file another user made still serves: flock needs no write access.
    if (fd < 0 && errno == EACCES) fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail(lock, errno);
    return fd;
}

} // namespace

std::string LockPath(const std::string &config) {
    return config + ".lock";
}

ConfigLock::ConfigLock(const std::string &config, Mode mode) {
    struct stat st {};
    if (::stat(config.c_str(), &st) != 0) Fail(config, errno);
    const std::string lock = LockPath(config);
    if (mode == Mode::Write) {
        fd_ = OpenForWriter(lock);
    } else {
        fd_ = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return; // read without the lock
    }
    int taken;
    do {
        taken = ::flock(fd_, mode == Mode::Write ? LOCK_EX : LOCK_SH);
    } while (taken != 0 && errno == EINTR);
    if (taken != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (mode == Mode::Write) Fail(lock, error);
    }
}

ConfigLock::~ConfigLock() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace configlock
