#include "system_calls.h"

#include <windows.h>

#include <cerrno>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace syscalls {

// Windows keeps no owner's permission bits to copy (see system_calls.h).
void Give(int, const Owner &, bool) {}

int Open(const std::string &path, int flags, int) {
    return ::_open(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

bool Sync(int fd) {
    return ::_commit(fd) == 0;
}

// A folder cannot be flushed as a file is; the file system journals its
// entries, and renames are written through (Rename).
bool SyncFolder(const std::string &) {
    return true;
}

bool MakeFolder(const std::string &folder, const Owner &) {
    return ::_mkdir(folder.c_str()) == 0;
}

bool Rename(const std::string &from, const std::string &to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND     ? ENOENT
            : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                                                                               : EIO;
    return false;
}

} // namespace syscalls
