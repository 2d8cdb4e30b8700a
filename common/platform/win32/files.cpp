// The calls of Windows under the configuration file: opening it for
// reading, and the steps that replacing it is built on. Files are opened as
// plain bytes (the text translation is the layer's own, text_stream.cpp).
#include "../files.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace confkit::platform {

namespace {

constexpr int kPlainBytes = _O_BINARY | _O_NOINHERIT;

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

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Character devices and pipes are written, not replaced, and cannot be
// flushed to disk.
bool IsDiskFile(int fd) {
    const HANDLE handle = HandleOf(fd);
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

unsigned Chunk(std::size_t n) {
    return static_cast<unsigned>(n < INT_MAX / 2 ? n : INT_MAX / 2);
}

} // namespace

namespace os {

std::optional<FileStamp> StampOfDescriptor(int fd) {
    return StampOfHandle(HandleOf(fd));
}

std::optional<FileStamp> StampAt(const std::string &path) {
    // Opened for its attributes only, beside any other program's handles.
    HANDLE handle = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<FileStamp> stamp = StampOfHandle(handle);
    CloseHandle(handle);
    return stamp;
}

Target Inspect(const std::string &target) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Target::kMissing;
    // The "w" open fails on a folder or a read-only file: so does this,
    // without emptying it, whatever rights the process has.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return Target::kRefused;
    const int probe = ::_open(target.c_str(), _O_WRONLY | kPlainBytes);
    if (probe < 0) return Target::kRefused;
    const bool disk = IsDiskFile(probe);
    ::_close(probe);
    return disk ? Target::kFile : Target::kStream;
}

std::string TemporaryStem(const std::string &target) {
    return FolderOf(target) + "." + BaseName(target);
}

unsigned long ProcessId() {
    return GetCurrentProcessId();
}

// The system has no permission bits to narrow: a new file is made as any
// file is, private or not.
int CreateNew(const std::string &name, bool) {
    return ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | kPlainBytes,
                   _S_IREAD | _S_IWRITE);
}

int OpenExisting(const std::string &target, bool read_too) {
    return ::_open(target.c_str(), (read_too ? _O_RDWR : _O_WRONLY) | kPlainBytes);
}

long long Read(int fd, char *bytes, std::size_t n) {
    return ::_read(fd, bytes, Chunk(n));
}

long long Write(int fd, const char *bytes, std::size_t n) {
    return ::_write(fd, bytes, Chunk(n));
}

bool Rewind(int fd) {
    return ::_lseeki64(fd, 0, SEEK_SET) == 0;
}

bool SetLength(int fd, std::uint64_t size) {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const HANDLE handle = HandleOf(fd);
    if (SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle)) return true;
    errno = EIO;
    return false;
}

// The file is made as long as the text, which allocates its room on disk.
bool Reserve(int fd, std::uint64_t size) {
    LARGE_INTEGER now;
    if (!GetFileSizeEx(HandleOf(fd), &now)) {
        errno = EIO;
        return false;
    }
    return size <= static_cast<std::uint64_t>(now.QuadPart) || SetLength(fd, size);
}

bool Sync(int fd) {
    return !IsDiskFile(fd) || ::_commit(fd) == 0;
}

bool Close(int fd) {
    return ::_close(fd) == 0;
}

// A replaced file's attributes are not carried over: a read-only target is
// refused before, and the rest follow the folder.
bool GiveMode(int, const std::string &) {
    return true;
}

// A plain rename fails onto an existing file here; this replaces it and
// returns only once the move is on disk.
bool MoveOver(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Remove(const std::string &path) {
    return DeleteFileA(path.c_str()) != 0;
}

} // namespace os

// "rb" reads the bytes as they are; a folder does not open.
std::FILE *OpenForReading(const char *path) {
    if (std::FILE *f = std::fopen(path, "rb")) return f;
    return std::fopen(path, "a+b");
}

std::optional<FileStamp> StampOf(std::FILE *stream) {
    if (!stream) return std::nullopt;
    return os::StampOfDescriptor(::_fileno(stream));
}

// Links are replaced as the files they are; the system resolves none here.
std::string FinalTarget(const std::string &path) {
    return path;
}

} // namespace confkit::platform
