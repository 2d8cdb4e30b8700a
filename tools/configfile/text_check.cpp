#include "text_check.h"

#include "system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textcheck {
namespace {

[[noreturn]] void Unreadable(const std::string &path) {
    throw std::runtime_error(path + ": " + std::strerror(errno));
}

[[noreturn]] void TooLarge(const std::string &path, std::uint64_t maxSize) {
    throw NotText(path, "larger than the limit of " + std::to_string(maxSize) + " bytes");
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

} // namespace

void Check(const std::string &path, std::uint64_t maxSize) {
    Descriptor fd(syscalls::Open(path, O_RDONLY));
    if (fd.get() < 0) Unreadable(path);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) Unreadable(path);
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) TooLarge(path, maxSize);
    std::vector<char> chunk(64 * 1024);
    std::uint64_t offset = 0;
    for (;;) {
        const ssize_t n = read(fd.get(), chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Unreadable(path);
        if (n == 0) return;
        const char *begin = chunk.data(), *end = begin + n;
        const char *nul = std::find(begin, end, '\0');
        if (nul != end)
            throw NotText(path, "not a text configuration file: NUL byte at offset " +
                                    std::to_string(offset + std::uint64_t(nul - begin)));
        offset += std::uint64_t(n);
        // A file that grew past the limit since fstat is refused all the same.
        if (offset > maxSize) TooLarge(path, maxSize);
    }
}

} // namespace textcheck
