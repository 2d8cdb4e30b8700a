#include "system_calls.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

namespace syscalls {

// The folder for temporary files is the user's own (under the profile), so
// a folder made there is the user's alone. Names are tried until one is
// free.
std::string MakePrivateFolder(const std::string &prefix) {
    char root[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof root, root);
    if (n == 0 || n > MAX_PATH) throw std::runtime_error("no folder for temporary files");
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = std::string(root, n) + prefix +
                                 std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(++counter);
        if (CreateDirectoryA(path.c_str(), nullptr)) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("cannot make a temporary folder in " + std::string(root, n));
}

} // namespace syscalls
