#include "scratch_file.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace page {

// GetTempFileNameA makes the file under a name of its own; opened with
// _O_TEMPORARY it is deleted when the last descriptor on it closes.
int OpenScratchFile() {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n > MAX_PATH || GetTempFileNameA(folder, "cap", 0, name) == 0) return -1;
    const int fd = ::_open(name, _O_RDWR | _O_TRUNC | _O_BINARY | _O_NOINHERIT | _O_TEMPORARY,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0) DeleteFileA(name);
    return fd;
}

} // namespace page
