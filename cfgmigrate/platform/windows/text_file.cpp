// Text-mode reading through the C runtime's own text mode: it reads CR LF as
// "\n" and ends the file at a byte 0x1A.
#include "platform/platform.h"

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
            const int c = std::getc(stream_);
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
    std::FILE *stream_;
};

void TextFileCloser::operator()(TextFile *file) const {
    delete file;
}

TextFilePtr OpenTextFile(const char *path) {
    if (!path) return nullptr;
    try {
        // "r" is the text mode of the C runtime; a folder does not open.
        std::FILE *stream = std::fopen(path, "r");
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
