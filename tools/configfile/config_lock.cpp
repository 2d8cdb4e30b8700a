#include "config_lock.h"

#include "common/platform/files.h"
#include "system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

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

int OpenForWriter(const std::string &lock) {
    const int fd = syscalls::OpenLock(lock, true);
    const int error = errno;
    if (fd < 0 && (error == ELOOP || error == EISDIR || error == ENXIO)) RefuseLockFile(lock);
    if (fd < 0) Fail(lock, error);
    if (!syscalls::IsRegular(fd)) {
        ::close(fd);
        RefuseLockFile(lock);
    }
    return fd;
}

// -1 when the reader reads without the lock.
int OpenForReader(const std::string &lock) {
    const int fd = syscalls::OpenLock(lock, false);
    if (fd >= 0 && !syscalls::IsRegular(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Takes the lock by the deadline at most: 0, EWOULDBLOCK when the time ran
// out, or the error of the lock call.
int Take(int fd, bool exclusive, Clock::time_point deadline) {
    std::chrono::milliseconds pause{1};
    for (;;) {
        const int error = syscalls::TryLock(fd, exclusive);
        if (error != EWOULDBLOCK) return error;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) return EWOULDBLOCK;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds{50});
    }
}

} // namespace

std::string CanonicalTarget(const std::string &config) {
    const std::string named = confkit::platform::FinalTarget(config);
    struct stat st {};
    if (::stat(named.c_str(), &st) != 0) Fail(config, errno);
    const std::filesystem::path final(named);
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
        const int error = Take(fd_, mode == Mode::Write, deadline);
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
