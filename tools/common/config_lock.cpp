#include "config_lock.h"

#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace configlock {

namespace {

using Clock = std::chrono::steady_clock;

// How often the path may turn out to lead elsewhere once locked.
constexpr int kResolveAttempts = 10;

[[noreturn]] void Fail(const std::string &what, int error) {
    throw LockError(what + ": " + std::strerror(error));
}

[[noreturn]] void RefuseLockFile(const std::string &lock) {
    throw LockError(lock +
                    ": is not a regular file (a symbolic link, a folder, a pipe or a device); "
                    "it cannot serve as the lock, remove it");
}

// Never follows a link (someone else may have planted it) and never waits
// for the other end of a pipe.
int OpenLockFile(const std::string &lock, int flags) {
    return ::open(lock.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
}

bool IsRegular(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

int OpenForWriter(const std::string &lock) {
    int fd = OpenLockFile(lock, O_RDWR | O_CREAT);
    int error = errno;
    // A lock file another user made still serves: flock needs no write
    // access. When there is none, the folder's refusal is the cause.
    if (fd < 0 && error == EACCES) {
        fd = OpenLockFile(lock, O_RDONLY);
        if (fd < 0 && errno != ENOENT) error = errno;
    }
    if (fd < 0 && (error == ELOOP || error == EISDIR || error == ENXIO)) RefuseLockFile(lock);
    if (fd < 0) Fail(lock, error);
    if (!IsRegular(fd)) {
        ::close(fd);
        RefuseLockFile(lock);
    }
    return fd;
}

// -1 when the reader reads without the lock.
int OpenForReader(const std::string &lock) {
    const int fd = OpenLockFile(lock, O_RDONLY);
    if (fd >= 0 && !IsRegular(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Takes the lock by the deadline at most: 0, EWOULDBLOCK when the time ran
// out, or the error of flock.
int Take(int fd, int operation, Clock::time_point deadline) {
    std::chrono::milliseconds pause{1};
    for (;;) {
        if (::flock(fd, operation | LOCK_NB) == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return errno;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return EWOULDBLOCK;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{50});
    }
}

} // namespace

std::string CanonicalTarget(const std::string &config) {
    const std::filesystem::path final = confkit::platform::FinalTarget(config);
    struct stat st {};
    if (::stat(final.c_str(), &st) != 0) Fail(config, errno);
    if (!S_ISREG(st.st_mode)) throw LockError(config + ": not a regular file");
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::canonical(final.has_parent_path() ? final.parent_path() : ".", error);
    if (error) throw LockError(config + ": " + error.message());
    return (folder / final.filename()).string();
}

std::string LockPath(const std::string &config) {
    return CanonicalTarget(config) + ".lock";
}

ConfigLock::ConfigLock(const std::string &config, Mode mode, std::chrono::seconds wait) {
    const Clock::time_point deadline = Clock::now() + wait;
    for (int attempt = 1;; ++attempt) {
        target_ = CanonicalTarget(config);
        const std::string lock = target_ + ".lock";
        fd_ = mode == Mode::Write ? OpenForWriter(lock) : OpenForReader(lock);
        if (fd_ < 0) return; // read without the lock
        const int error = Take(fd_, mode == Mode::Write ? LOCK_EX : LOCK_SH, deadline);
        if (error == EWOULDBLOCK) {
            Release();
            throw LockBusy(lock + ": still locked by another program after " +
                           std::to_string(wait.count()) + " s; nothing was done");
        }
        if (error != 0) {
            Release();
            if (mode == Mode::Write) Fail(lock, error);
            return;
        }
        // A link moved while this waited leads to a file with another lock.
        if (CanonicalTarget(config) == target_) return;
        Release();
        if (attempt == kResolveAttempts)
            throw LockError(config + ": keeps leading to another file; nothing was done");
    }
}

void ConfigLock::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ConfigLock::~ConfigLock() {
    Release();
}

} // namespace configlock
