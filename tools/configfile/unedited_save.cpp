#include "unedited_save.h"

#include "common/platform/text_file.h"
#include "confkit.hpp"
#include "preview.h"

#include <cstring>

namespace preview {

namespace {

// A line of the file ends at the first Line whose text holds a "\n"; the
// Lines before it are pieces of a longer line.
bool EndsFileLine(std::string_view text) {
    return text.find('\n') != std::string_view::npos;
}

// Where, in the save of the edited Lines, the Lines from number `from` and
// from number `to` begin; both begin lines of the file. Each line of the
// file is written or left out as a whole, so the save holds its bytes at
// the place reached or it was left out: when the save's bytes there are
// those of the line, a line left out would be one of the same text, which
// the writer would have left out too. That holds while a "\n" only ever
// ends a Line, as it does in every Line the library makes; false when one
// does not, or the save is not made up of the lines.
bool Places(const std::vector<const Line *> &lines, const std::string &after, std::size_t from,
            std::size_t to, std::size_t &fromAt, std::size_t &toAt) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines.size();) {
        if (i == from) fromAt = at;
        if (i == to) toAt = at;
        confkit::platform::TextWriter bytes;
        for (bool last = false; !last; ++i) {
            const std::size_t size = std::strlen(lines[i]->text);
            const char *end = std::strchr(lines[i]->text, '\n');
            last = end || i + 1 == lines.size();
            if (end && end + 1 != lines[i]->text + size) return false;
            bytes.Write(lines[i]->text, size);
        }
        if (!bytes.ok()) return false;
        if (after.compare(at, bytes.bytes().size(), bytes.bytes()) == 0) at += bytes.bytes().size();
    }
    if (from == lines.size()) fromAt = at;
    if (to == lines.size()) toAt = at;
    return at == after.size();
}

} // namespace

UneditedSave::UneditedSave(const ConfigDocument &doc) {
    for (const Line *line = doc.first; line; line = line->next) {
        texts_ += line->text;
        ends_.push_back(texts_.size());
    }
}

std::string_view UneditedSave::Text(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(texts_).substr(begin, ends_[i] - begin);
}

std::string UneditedSave::Bytes(const ConfigDocument &edited, const std::string &after) const {
    std::vector<const Line *> lines;
    for (const Line *line = edited.first; line; line = line->next)
        lines.push_back(line);
    // The Lines alike at the start and at the end, cut back to whole lines
    // of the file.
    std::size_t same = 0, sameEnd = 0;
    while (same < size() && same < lines.size() && Text(same) == lines[same]->text)
        ++same;
    while (same > 0 && !EndsFileLine(Text(same - 1)))
        --same;
    while (sameEnd < size() - same && sameEnd < lines.size() - same &&
           Text(size() - 1 - sameEnd) == lines[lines.size() - 1 - sameEnd]->text)
        ++sameEnd;
    // The last `end` Lines of each begin a line of the file.
    const auto beginsFileLine = [&](std::size_t end) {
        return (end == size() || EndsFileLine(Text(size() - end - 1))) &&
               (end == lines.size() || EndsFileLine(lines[lines.size() - end - 1]->text));
    };
    while (sameEnd > 0 && !beginsFileLine(sameEnd))
        --sameEnd;
    std::size_t cut = 0, rest = after.size();
    if (!Places(lines, after, same, lines.size() - sameEnd, cut, rest)) {
        // The whole of the document is written again.
        same = sameEnd = 0;
        cut = 0;
        rest = after.size();
    }
    std::vector<std::string> old;
    for (std::size_t i = same; i < size() - sameEnd; ++i)
        old.emplace_back(Text(i));
    const std::string between =
        old.empty() ? std::string() : SavedBytes(confkit::LineList::FromTexts(old).get());
    return after.substr(0, cut) + between + after.substr(rest);
}

} // namespace preview
