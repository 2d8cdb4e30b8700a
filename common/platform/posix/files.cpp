// The calls of POSIX systems under the configuration file: opening it for
// reading, and the steps that replacing it is built on.
#include "../files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
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

bool IsFolder(std::FILE *f) {
    struct stat info;
    return ::fstat(::fileno(f), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

namespace os {

std::optional<FileStamp> StampOfDescriptor(int fd) {
    struct stat info;
    if (::fstat(fd, &info) != 0) return std::nullopt;
    return StampOfInfo(info);
}

std::optional<FileStamp> StampAt(const std::string &path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return StampOfInfo(info);
}

Target Inspect(const std::string &target) {
    struct stat info;
    // Only a missing file is made; a loop of links or the like is an error.
    if (::stat(target.c_str(), &info) != 0)
        return errno == ENOENT ? Target::kMissing : Target::kRefused;
    // The "w" open would fail on a file the process may not write (and on a
    // folder): so does this, without emptying it.
    const int probe = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return Target::kRefused;
    ::close(probe);
    return S_ISREG(info.st_mode) ? Target::kFile : Target::kStream;
}

std::string TemporaryStem(const std::string &target) {
    return FolderOf(target) + "/." + BaseName(target);
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(::getpid());
}

int CreateNew(const std::string &name, bool private_file) {
    // Else as the "w" open makes a file: 0666 less the process's mask.
    const mode_t mode = private_file ? 0600 : 0666;
    return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

int OpenExisting(const std::string &target, bool read_too) {
    return ::open(target.c_str(), (read_too ? O_RDWR : O_WRONLY) | O_CLOEXEC);
}

long long Read(int fd, char *bytes, std::size_t n) {
    return ::read(fd, bytes, n);
}

long long Write(int fd, const char *bytes, std::size_t n) {
    return ::write(fd, bytes, n);
}

bool Rewind(int fd) {
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

bool Reserve(int fd, std::uint64_t size) {
    if (size == 0) return true;
    const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    errno = error;
    return error == 0;
}

bool SetLength(int fd, std::uint64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

// Devices and pipes cannot be flushed to disk; that is no failure.
bool Sync(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}

bool Close(int fd) {
    return ::close(fd) == 0;
}

bool GiveMode(int fd, const std::string &target) {
    struct stat old;
    if (::stat(target.c_str(), &old) != 0) return false;
    // Changing the owner may clear set-ID bits, so the mode is set after it.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// The folder's new entry reaches the disk too; a folder that cannot be
// flushed does not undo the move.
bool MoveOver(const std::string &from, const std::string &to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    const int folder = ::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool Remove(const std::string &path) {
    return ::unlink(path.c_str()) == 0;
}

} // namespace os

std::FILE *OpenForReading(const char *path) {
    // The system opens a folder for reading; the product's system does not.
    if (std::FILE *f = std::fopen(path, "r")) {
        if (!IsFolder(f)) return f;
        std::fclose(f);
    }
    return std::fopen(path, "a+");
}

std::optional<FileStamp> StampOf(std::FILE *stream) {
    if (!stream) return std::nullopt;
    return os::StampOfDescriptor(::fileno(stream));
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

} // namespace confkit::platform
