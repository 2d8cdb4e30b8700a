#include "capture.h"

#include <cstdio>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace page {
namespace {

// Points descriptor 1 at target until destroyed.
class Redirect {
  public:
    explicit Redirect(int target) {
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        if (saved_ < 0 || ::dup2(target, STDOUT_FILENO) < 0)
            throw std::runtime_error("standard output cannot be captured");
    }
    ~Redirect() {
        std::fflush(stdout);
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    Redirect(const Redirect &) = delete;
    Redirect &operator=(const Redirect &) = delete;

  private:
    int saved_ = -1;
};

class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("page-capture", MFD_CLOEXEC)) {
        if (fd_ < 0) throw std::runtime_error("no memory file for the generators' output");
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;
    int fd() const { return fd_; }

    std::string ReadAll() const {
        std::string text;
        char buffer[8192];
        ssize_t n;
        for (off_t at = 0; (n = ::pread(fd_, buffer, sizeof buffer, at)) > 0; at += n)
            text.append(buffer, static_cast<std::size_t>(n));
        if (n < 0) throw std::runtime_error("the generators' output cannot be read");
        return text;
    }

  private:
    int fd_;
};

} // namespace

std::string CaptureStdout(const std::function<void()> &print) {
    MemoryFile file;
    {
        Redirect redirect(file.fd());
        print();
    }
    return file.ReadAll();
}

} // namespace page
