#include "system_calls.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <stdexcept>

namespace syscalls {

// The folder for temporary files is the user's own (under the profile), so
// a file made there is the user's alone; GetTempFileNameA makes it under a
// name of its own.
std::string MakePrivateFile(const std::string &prefix) {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("no folder for temporary files");
    if (GetTempFileNameA(folder, prefix.substr(0, 3).c_str(), 0, name) == 0)
        throw std::runtime_error("cannot make a temporary file in " + std::string(folder, n));
    return name;
}

// Opened with _O_TEMPORARY, the file is deleted when the last descriptor on
// it closes, and nothing else can open it meanwhile.
std::FILE *OpenRemoved(const std::string &path) {
    const int fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT | _O_TEMPORARY,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        DeleteFileA(path.c_str());
        return nullptr;
    }
    std::FILE *file = ::_fdopen(fd, "rb");
    if (!file) ::_close(fd);
    return file;
}

} // namespace syscalls
