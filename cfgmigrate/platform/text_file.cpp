// Text-mode reading as the product's own system does it: CR LF is one line
// end, a lone CR is an ordinary character, and a byte 0x1A ends the file.
// Every system reads the bytes as they are and this file translates them.
#include "platform/platform.h"
#include "platform/system.h"

#include <cstdio>

namespace cfgmigrate::platform {

class TextFile {
  public:
    explicit TextFile(std::FILE *stream) : stream_(stream) {}
    ~TextFile() { std::fclose(stream_); }
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;

    ReadStatus ReadLine(std::string &line) {
        line.clear();
        bool any = false;
        for (;;) {
            int c = Next();
            if (c == EOF) {
                if (std::ferror(stream_)) return ReadStatus::kError;
                return any ? ReadStatus::kLine : ReadStatus::kEnd;
            }
            any = true;
            if (c == '\n') return ReadStatus::kLine;
            line += static_cast<char>(c);
        }
    }

  private:
    static constexpr int kEndOfFileMark = 0x1A;

    // The next character with CR LF folded into "\n"; EOF at the end mark.
    int Next() {
        if (ended_) return EOF;
        int c = std::getc(stream_);
        if (c == kEndOfFileMark) ended_ = true;
        if (c == EOF || ended_) return EOF;
        if (c != '\r') return c;
        int after = std::getc(stream_);
        if (after == '\n') return '\n';
        if (after != EOF) std::ungetc(after, stream_);
        return '\r';
    }

    std::FILE *stream_;
    bool ended_ = false;
};

void TextFileCloser::operator()(TextFile *file) const {
    delete file;
}

TextFilePtr OpenTextFile(const char *path) {
    if (!path) return nullptr;
    try {
        std::FILE *stream = os::OpenBytes(path);
        if (!stream) return nullptr;
        return TextFilePtr(new TextFile(stream));
    } catch (...) {
        return nullptr;
    }
}

ReadStatus ReadTextLine(TextFile &file, std::string &line) {
    try {
        return file.ReadLine(line);
    } catch (...) {
        return ReadStatus::kError;
    }
}

} // namespace cfgmigrate::platform
