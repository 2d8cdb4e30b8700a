// Text-mode translation in large blocks, byte for byte the same as a
// one-byte-at-a-time text-mode stream.
#include "text_file.h"

#include <cstring>

namespace confkit::platform {

namespace {
constexpr char kCR = '\r';
constexpr char kEndOfText = '\x1A';
} // namespace

bool TextReader::Refill() {
    if (ended_) return false;
    len_ = stream_ ? std::fread(raw_, 1, kBlock, stream_) : 0;
    pos_ = 0;
    if (len_ == 0) ended_ = true; // the end of the file, or a read error
    return len_ > 0;
}

std::size_t TextReader::Read(char *out, std::size_t cap) {
    std::size_t n = 0;
    while (n < cap) {
        if (pos_ == len_ && !Refill()) break;
        const char c = raw_[pos_];
        if (c == kEndOfText) {
            ended_ = true;
            len_ = pos_; // nothing after it is ever read
            break;
        }
        ++pos_;
        if (c == kCR) {
            // A CR is dropped only when the next byte of the file is a LF,
            // which may be the first byte of the next block.
            if (pos_ == len_) Refill();
            if (pos_ < len_ && raw_[pos_] == '\n') continue;
        }
        out[n++] = c;
    }
    return n;
}

void TextWriter::Write(const char *text, std::size_t n) {
    static const char kCRLF[2] = {kCR, '\n'};
    try {
        while (n > 0 && ok_) {
            const char *nl = static_cast<const char *>(std::memchr(text, '\n', n));
            const std::size_t run = nl ? static_cast<std::size_t>(nl - text) : n;
            bytes_.append(text, run);
            if (!nl) break;
            bytes_.append(kCRLF, 2);
            text += run + 1;
            n -= run + 1;
        }
    } catch (...) {
        ok_ = false; // out of memory: the text is incomplete and is never used
    }
}

} // namespace confkit::platform
