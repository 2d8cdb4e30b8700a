#include "capture.h"
#include "scratch_file.h"
#include "text_input.h"

#include <cstdio>
#include <optional>
#include <stdexcept>

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

class ScratchFile {
  public:
    ScratchFile() : fd_(OpenScratchFile()) {
        if (fd_ < 0) throw std::runtime_error("no scratch file for the generators' output");
    }
    ~ScratchFile() { ::close(fd_); }
    ScratchFile(const ScratchFile &) = delete;
    ScratchFile &operator=(const ScratchFile &) = delete;
    int fd() const { return fd_; }

    std::string ReadAll() const {
        if (::lseek(fd_, 0, SEEK_SET) != 0)
            throw std::runtime_error("the generators' output cannot be read");
        std::optional<std::string> text = textinput::ReadAll([this](char *buffer, std::size_t n) {
            return static_cast<long long>(::read(fd_, buffer, static_cast<unsigned>(n)));
        });
        if (!text) throw std::runtime_error("the generators' output cannot be read");
        return std::move(*text);
    }

  private:
    int fd_;
};

} // namespace

std::string CaptureStdout(const std::function<void()> &print) {
    ScratchFile file;
    {
        Redirect redirect(file.fd());
        print();
    }
    return file.ReadAll();
}

} // namespace page
