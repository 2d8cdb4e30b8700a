// Text mode on Windows is the C runtime's own: streams opened with "r" and
// "a+" and descriptors opened with _O_TEXT turn CR LF into "\n" and stop at
// a byte 0x1A when read, and turn "\n" into CR LF when written. The reader
// and the writer therefore pass the bytes through unchanged.
#include "../text_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <io.h>

namespace confkit::platform {

bool TextReader::Refill() {
    if (ended_) return false;
    len_ = stream_ ? std::fread(raw_, 1, kBlock, stream_) : 0;
    pos_ = 0;
    if (len_ == 0) ended_ = true; // the end of the text, or a read error
    return len_ > 0;
}

std::size_t TextReader::Read(char *out, std::size_t cap) {
    std::size_t n = 0;
    while (n < cap) {
        if (pos_ == len_ && !Refill()) break;
        const std::size_t take = std::min(cap - n, len_ - pos_);
        std::memcpy(out + n, raw_ + pos_, take);
        pos_ += take;
        n += take;
    }
    return n;
}

bool WriteAll(int fd, const char *bytes, std::size_t n) {
    while (n > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(n, INT_MAX / 2));
        const int done = ::_write(fd, bytes, chunk);
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (done == 0) return false;
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

void TextWriter::Write(const char *text, std::size_t n) {
    Emit(text, n);
}

bool TextWriter::Flush() {
    if (ok_ && used_ > 0) ok_ = WriteAll(fd_, buffer_, used_);
    used_ = 0;
    return ok_;
}

} // namespace confkit::platform
