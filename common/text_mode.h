// The text mode of the product's own system, by which its programs read a
// text file: CR LF is one line end ("\n"), a CR not followed by LF is an
// ordinary character, and a byte 0x1A (Ctrl-Z) ends the text; nothing after
// it is read. Files are opened as plain bytes on every system and decoded
// here, so they read the same everywhere. Header-only: the library and
// cfgmigrate compile in the same decoder.
#ifndef COMMON_TEXT_MODE_H
#define COMMON_TEXT_MODE_H

#include <cstddef>
#include <cstdio>

namespace textmode {

constexpr char kEndOfText = '\x1A';
// What Decoder::Get gives at the end of the text.
constexpr int kEnd = -1;

// The bytes of a stdio stream (not owned); a null stream has none.
struct StreamBytes {
    StreamBytes(std::FILE *s) : stream(s) {} // NOLINT: a stream is its bytes
    std::size_t operator()(char *to, std::size_t room) const {
        return stream ? std::fread(to, 1, room, stream) : 0;
    }
    std::FILE *stream;
};

// Decodes the bytes of a source a large block at a time, giving the same text
// as decoding them one byte at a time would. source(to, room) stores up to
// room bytes and returns how many; 0 ends the bytes (their end, or an error).
// The decoder reads ahead of what it has handed out.
template <class Source, std::size_t kBlock = 64 * 1024> class Decoder {
  public:
    // raw_ is filled by each read before any of it is used.
    // cppcheck-suppress uninitMemberVar
    explicit Decoder(Source source) : source_(source) {}
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // The next character of the text (as an unsigned char), or kEnd.
    int Get() {
        if (pos_ == len_ && !Refill()) return kEnd;
        const char c = raw_[pos_];
        if (c == kEndOfText) {
            ended_ = true;
            len_ = pos_; // nothing after it is ever read
            return kEnd;
        }
        ++pos_;
        // A CR is dropped only when the next byte is a LF, which may be the
        // first byte of the next block.
        if (c == '\r' && (pos_ < len_ || Refill()) && raw_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return static_cast<unsigned char>(c);
    }

    // Copies up to cap characters of the text into out and returns how many;
    // 0 only at the end of the text.
    std::size_t Read(char *out, std::size_t cap) {
        std::size_t n = 0;
        for (int c; n < cap && (c = Get()) != kEnd;)
            out[n++] = static_cast<char>(c);
        return n;
    }

  private:
    bool Refill() {
        if (ended_) return false;
        len_ = source_(raw_, kBlock);
        pos_ = 0;
        if (len_ == 0) ended_ = true;
        return len_ > 0;
    }

    Source source_;
    char raw_[kBlock];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
};

} // namespace textmode

#endif
