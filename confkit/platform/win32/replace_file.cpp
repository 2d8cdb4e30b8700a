// Replacing a file so that a failure never leaves it half written: the text
// goes to a new file beside the target, through the C runtime's text mode,
// is flushed to disk and then moved over the target in one step.
#include "../text_file.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <sys/stat.h>

namespace confkit::platform {

namespace {

constexpr int kTextWriteFlags = _O_WRONLY | _O_TEXT | _O_NOINHERIT;
constexpr int kCreatedMode = _S_IREAD | _S_IWRITE;

std::size_t LastSeparator(const std::string &path) {
    return path.find_last_of("\\/:");
}

// The folder part of a path with its separator ("" for a bare name), so
// that a name appended to it lands beside the file.
std::string FolderOf(const std::string &path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string BaseName(const std::string &path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

// Closes a descriptor on every path out of a scope unless closed before.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::_close(fd_);
    }
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::_close(fd) == 0;
    }

  private:
    int fd_;
};

// A new, empty file in folder, named after base; -1 (errno set) when the
// folder does not take one.
int CreateTemporary(const std::string &folder, const std::string &base, std::string &name) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%lu.%ld.tmp", GetCurrentProcessId(),
                      InterlockedIncrement(&counter));
        name = folder + "." + base + suffix;
        const int fd = ::_open(name.c_str(), kTextWriteFlags | _O_CREAT | _O_EXCL, kCreatedMode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool WriteText(int fd, const std::function<void(TextWriter &)> &produce) noexcept {
    try {
        auto writer = std::make_unique<TextWriter>(fd);
        produce(*writer);
        return writer->Flush();
    } catch (...) {
        return false;
    }
}

// Character devices and pipes are written, not replaced, and cannot be
// flushed to disk.
bool IsDiskFile(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK;
}

std::optional<FileStamp> StampOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    FileStamp stamp;
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.file = join(info.nFileIndexHigh, info.nFileIndexLow);
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        stamp.size = join(info.nFileSizeHigh, info.nFileSizeLow);
        stamp.modified = static_cast<std::int64_t>(
            join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    }
    return stamp;
}

std::optional<FileStamp> StampOfDescriptor(int fd) {
    return StampOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)));
}

std::optional<FileStamp> StampOfPath(const std::string &path) {
    // Opened for its attributes only, beside any other program's handles.
    HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<FileStamp> stamp = StampOfHandle(handle);
    CloseHandle(handle);
    return stamp;
}

// True when the check asks for a file that the target, as now seen, is not
// (a missing target is never the file asked for).
bool TargetChanged(const std::optional<FileStamp> &now, const ReplaceCheck *check) {
    return check && check->expected && now != check->expected;
}

// When no new file can be made beside the target: empty and write it in
// place, checking every write and the close. A file that must be the one
// checked is not made when missing.
bool RewriteInPlace(const std::string &target, const std::function<void(TextWriter &)> &produce,
                    ReplaceCheck *check) {
    const bool checked = check && check->expected;
    Descriptor fd(
        ::_open(target.c_str(), kTextWriteFlags | (checked ? 0 : _O_CREAT), kCreatedMode));
    if (fd.get() < 0) return false;
    if (TargetChanged(StampOfDescriptor(fd.get()), check)) return false;
    const bool disk = IsDiskFile(fd.get());
    if (disk && ::_chsize(fd.get(), 0) != 0) return false;
    bool ok = WriteText(fd.get(), produce);
    if (ok && disk) ok = ::_commit(fd.get()) == 0;
    if (ok && check) check->written = StampOfDescriptor(fd.get());
    return fd.Close() && ok;
}

} // namespace

std::optional<FileStamp> StampOf(std::FILE *stream) {
    if (!stream) return std::nullopt;
    return StampOfDescriptor(::_fileno(stream));
}

// Links are replaced as the files they are; the system resolves none here.
std::string FinalTarget(const std::string &path) {
    return path;
}

bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce,
                     ReplaceCheck *check) {
    if (!path || !*path) return false;
    const std::string target = FinalTarget(path);

    const DWORD attributes = GetFileAttributesA(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        // The "w" open fails on a folder or a read-only file: so does this,
        // without emptying it, whatever rights the process has.
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        Descriptor probe(::_open(target.c_str(), _O_WRONLY | _O_NOINHERIT));
        if (probe.get() < 0) return false;
        if (!IsDiskFile(probe.get())) {
            probe.Close();
            return RewriteInPlace(target, produce, check);
        }
    }

    const std::string folder = FolderOf(target);
    std::string temporary;
    Descriptor fd(CreateTemporary(folder, BaseName(target), temporary));
    if (fd.get() < 0) {
        if (errno == EACCES) return RewriteInPlace(target, produce, check);
        return false;
    }
    bool ok = WriteText(fd.get(), produce) && ::_commit(fd.get()) == 0;
    if (ok && check) check->written = StampOfDescriptor(fd.get());
    ok = fd.Close() && ok;
    // Checked as late as possible, so that a change made meanwhile is seen.
    ok = ok && !TargetChanged(StampOfPath(target), check);
    // A plain rename fails onto an existing file here; this replaces it and
    // returns only once the move is on disk.
    ok = ok && MoveFileExA(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace confkit::platform
