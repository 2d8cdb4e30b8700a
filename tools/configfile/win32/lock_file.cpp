#include "system_calls.h"

#include <windows.h>

#include <cerrno>

#include <fcntl.h>
#include <io.h>

namespace syscalls {

namespace {

int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    default:
        return EIO;
    }
}

// A link (any reparse point) is opened as itself, not followed, and a folder
// is opened too, so that both can be told apart and refused.
HANDLE OpenHandle(const std::string &lock, DWORD access, DWORD disposition) {
    return CreateFileA(
        lock.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        disposition,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The errno of what the handle is open on when it is no regular file, else 0.
int Kind(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK) return ENXIO;
    if (!GetFileInformationByHandle(handle, &info)) return EIO;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ELOOP;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    return 0;
}

} // namespace

// LockFileEx needs read or write access: a lock file the process may not
// write still serves.
int OpenLock(const std::string &lock, bool writer) {
    HANDLE handle = writer ? OpenHandle(lock, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS)
                           : OpenHandle(lock, GENERIC_READ, OPEN_EXISTING);
    DWORD error = GetLastError();
    if (handle == INVALID_HANDLE_VALUE && writer && error == ERROR_ACCESS_DENIED) {
        handle = OpenHandle(lock, GENERIC_READ, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
            error = GetLastError();
    }
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ErrnoOf(error);
        return -1;
    }
    if (const int kind = Kind(handle)) {
        CloseHandle(handle);
        errno = kind;
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_NOINHERIT);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

bool IsRegular(int fd) {
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && Kind(handle) == 0;
}

// The whole file's range; the lock goes with the handle when it closes.
int TryLock(int fd, bool exclusive) {
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    OVERLAPPED at = {};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &at)) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? EWOULDBLOCK : EIO;
}

} // namespace syscalls
