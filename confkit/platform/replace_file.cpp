// Replacing a file so that a failure never leaves it half written.
#include "text_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace confkit::platform {

namespace {

constexpr int kMaxLinkHops = 40;

std::string FolderOf(const std::string &path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseName(const std::string &path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Closes a descriptor on every path out of a scope unless released.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// A new, empty file in folder, named after base; -1 (errno set) when the
// folder does not take one.
int CreateTemporary(const std::string &folder, const std::string &base, std::string &name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%u.tmp", static_cast<long>(::getpid()),
                      __atomic_add_fetch(&counter, 1u, __ATOMIC_RELAXED));
        name = folder + "/." + base + suffix;
        // Created as the "w" open creates a file (0666 less the process's
        // mask); a replaced file's own permissions are set before writing.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// False when any write failed, or when memory ran out on the way (the
// caller then still removes what it made).
bool WriteText(int fd, const std::function<void(TextWriter &)> &produce) noexcept {
    try {
        auto writer = std::make_unique<TextWriter>(fd);
        produce(*writer);
        return writer->Flush();
    } catch (...) {
        return false;
    }
}

// Devices and pipes cannot be flushed to disk; that is no failure.
bool SyncToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}

FileStamp StampOfInfo(const struct stat &info) {
    FileStamp stamp;
    stamp.volume = static_cast<std::uint64_t>(info.st_dev);
    stamp.file = static_cast<std::uint64_t>(info.st_ino);
    if (S_ISREG(info.st_mode)) {
        stamp.size = static_cast<std::uint64_t>(info.st_size);
        stamp.modified =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
    return stamp;
}

std::optional<FileStamp> StampOfDescriptor(int fd) {
    struct stat info;
    if (::fstat(fd, &info) != 0) return std::nullopt;
    return StampOfInfo(info);
}

// True when the check asks for a file that the target, as now seen, is not
// (a missing target is never the file asked for).
bool TargetChanged(const std::optional<FileStamp> &now, const ReplaceCheck *check) {
    return check && check->expected && now != check->expected;
}

std::optional<FileStamp> StampOfPath(const std::string &path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return StampOfInfo(info);
}

// The specified behaviour when no new file can be made beside the target:
// empty and write it in place, checking every write and the close. A file
// that must be the one checked is not made when missing.
bool RewriteInPlace(const std::string &target, const std::function<void(TextWriter &)> &produce,
                    ReplaceCheck *check) {
    const bool checked = check && check->expected;
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | (checked ? 0 : O_CREAT), 0666));
    if (fd.get() < 0) return false;
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || TargetChanged(StampOfInfo(info), check)) return false;
    // Devices and pipes are written as they are.
    if (S_ISREG(info.st_mode) && ::ftruncate(fd.get(), 0) != 0) return false;
    const bool written = WriteText(fd.get(), produce);
    const bool synced = written && SyncToDisk(fd.get());
    if (synced && check) check->written = StampOfDescriptor(fd.get());
    return fd.Close() && synced;
}

// Gives the new file the permissions, owner and group of the old one.
void CopyAttributes(int fd, const struct stat &old) {
    // Changing the owner may clear set-ID bits, so the mode is set after it.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
}

void SyncFolder(const std::string &folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

} // namespace

std::optional<FileStamp> StampOf(std::FILE *stream) {
    if (!stream) return std::nullopt;
    return StampOfDescriptor(::fileno(stream));
}

std::string FinalTarget(const std::string &path) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string link(static_cast<std::size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) return current;
        link.resize(static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return current;
}

bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce,
                     ReplaceCheck *check) {
    if (!path || !*path) return false;
    const std::string target = FinalTarget(path);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Only a missing file is made; a loop of links or the like is an error.
    if (!exists && errno != ENOENT) return false;
    if (exists) {
        // The "w" open would fail on a file the process may not write: so
        // does this (without emptying it).
        Descriptor probe(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (probe.get() < 0) return false;
        // Devices, pipes and the like cannot be replaced, only written.
        if (!S_ISREG(old.st_mode)) return RewriteInPlace(target, produce, check);
    }

    const std::string folder = FolderOf(target);
    std::string temporary;
    Descriptor fd(CreateTemporary(folder, BaseName(target), temporary));
    if (fd.get() < 0) {
        if (errno == EACCES || errno == EPERM) return RewriteInPlace(target, produce, check);
        return false;
    }
    if (exists) CopyAttributes(fd.get(), old);
    bool ok = WriteText(fd.get(), produce) && ::fsync(fd.get()) == 0;
    if (ok && check) check->written = StampOfDescriptor(fd.get());
    ok = fd.Close() && ok;
    // Checked as late as possible, so that a change made meanwhile is seen.
    ok = ok && !TargetChanged(StampOfPath(target), check);
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace confkit::platform
