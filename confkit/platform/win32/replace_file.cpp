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

// When no new file can be made beside the target: truncate and write in
// place, checking every write and the close.
bool RewriteInPlace(const std::string &target, const std::function<void(TextWriter &)> &produce) {
    Descriptor fd(::_open(target.c_str(), kTextWriteFlags | _O_CREAT | _O_TRUNC, kCreatedMode));
    if (fd.get() < 0) return false;
    bool ok = WriteText(fd.get(), produce);
    if (ok && IsDiskFile(fd.get())) ok = ::_commit(fd.get()) == 0;
    return fd.Close() && ok;
}

} // namespace

// Links are replaced as the files they are; the system resolves none here.
std::string FinalTarget(const std::string &path) {
    return path;
}

bool ReplaceTextFile(const char *path, const std::function<void(TextWriter &)> &produce) {
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
            return RewriteInPlace(target, produce);
        }
    }

    const std::string folder = FolderOf(target);
    std::string temporary;
    Descriptor fd(CreateTemporary(folder, BaseName(target), temporary));
    if (fd.get() < 0) {
        if (errno == EACCES) return RewriteInPlace(target, produce);
        return false;
    }
    bool ok = WriteText(fd.get(), produce) && ::_commit(fd.get()) == 0;
    ok = fd.Close() && ok;
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
