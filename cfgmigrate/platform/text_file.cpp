// Text files read in the product's own text mode (common/text_mode.h). Every
// system reads the bytes as they are and the decoder translates them.
#include "common/text_mode.h"
#include "platform/platform.h"
#include "platform/system.h"

#include <cstdio>

namespace cfgmigrate::platform {

class TextFile {
  public:
    explicit TextFile(std::FILE *stream) : stream_(stream), text_(stream) {}
    ~TextFile() { std::fclose(stream_); }
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;

    ReadStatus ReadLine(std::string &line) {
        line.clear();
        bool any = false;
        for (;;) {
            const int c = text_.Get();
            if (c == textmode::kEnd) {
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
    textmode::Decoder<textmode::StreamBytes> text_;
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
