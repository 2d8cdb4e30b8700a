// Subdirective values read from block lines, and the writing of block lines.
#include "blocks/block_fields.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace confkit::blocks {

void ReleaseField(char *field) {
    if (field == kFlagSet || field == kNoAddress || field == kEmptyQuoted) return;
    std::free(field);
}

void SetField(char *&field, char *value) {
    ReleaseField(field);
    field = value;
}

char *RestOfLine(const char *line) {
    return CopyString(TokenNext(line));
}

char *UnquotedValue(const char *line, LineEndCut cut) {
    char *value = RestOfLine(line);
    if (!value) return nullptr;
    if (cut == LineEndCut::AtCRorLF)
        StripCRLF(value);
    else
        CutAtChar(value, '\n');
    const std::size_t leading = std::strspn(value, "\"");
    if (value[leading] == '\0') {
        // Nothing but quotes: the value is the constant blank.
        std::free(value);
        return const_cast<char *>(kEmptyQuoted);
    }
    const char *kept = StripQuotes(value);
    // Move the kept text to the start of the heap block, so that the field
    // is the block the caller releases.
    std::memmove(value, kept, std::strlen(kept) + 1);
    return value;
}

void AddLines(Chain &chain, const layout::WrittenLines &lines) {
    for (const layout::WrittenLine &line : lines) {
        const std::string text = layout::Join(line);
        std::string_view rest = text;
        // A value that carries its own line end makes two lines of the file.
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            const std::size_t length = end == std::string_view::npos ? rest.size() : end + 1;
            chain.Add(rest.substr(0, length));
            rest.remove_prefix(length);
        }
    }
}

} // namespace confkit::blocks
