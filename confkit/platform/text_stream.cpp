// Text mode both ways: a file's bytes decoded into text (common/text_mode.h),
// and each "\n" of a text written as CR LF.
#include "common/text_mode.h"
#include "text_file.h"

#include <cstring>

namespace confkit::platform {

struct TextReader::Decoder : textmode::Decoder<textmode::StreamBytes> {
    using textmode::Decoder<textmode::StreamBytes>::Decoder;
};

TextReader::TextReader(std::FILE *stream) : decoder_(std::make_unique<Decoder>(stream)) {}

TextReader::~TextReader() = default;

std::size_t TextReader::Read(char *out, std::size_t cap) {
    return decoder_->Read(out, cap);
}

void TextWriter::Write(const char *text, std::size_t n) {
    static const char kCRLF[2] = {'\r', '\n'};
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
