#include "system_calls.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace syscalls {

std::string MakePrivateFolder(const std::string &prefix) {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder in " + pattern + ": " +
                                 std::strerror(errno));
    return pattern;
}

} // namespace syscalls
