#include "system_calls.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace syscalls {

// mkstemp makes the file under a name of its own, for its user alone (0600).
std::string MakePrivateFile(const std::string &prefix) {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw std::runtime_error("cannot make a temporary file in " + pattern + ": " +
                                 std::strerror(errno));
    ::close(fd);
    return pattern;
}

// The name goes as soon as the file is open: the stream is the last way
// to it.
std::FILE *OpenRemoved(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    ::unlink(path.c_str());
    std::FILE *file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (fd >= 0 && !file) ::close(fd);
    if (fd < 0) errno = error;
    return file;
}

} // namespace syscalls
