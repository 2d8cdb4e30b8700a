#include "shown_document.h"

#include "common/value_check.h"

#include <cstdlib>
#include <vector>

namespace page {
namespace {

// Control bytes that no generator splits at or converts: not tab, LF, CR,
// vertical tab, form feed or Ctrl-Z (the end of a text file).
bool CanStandIn(unsigned char c) {
    return c >= 0x01 && c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f' &&
           c != 0x1A;
}

// The bytes that may stand in, in the order they are taken: control bytes,
// DEL, then bytes above ASCII from the top (0xFF, 0xFE, ... are no part of
// UTF-8, so a UTF-8 file leaves them free). The generators treat all of
// them as ordinary characters.
std::vector<unsigned char> StandInCandidates() {
    std::vector<unsigned char> candidates;
    for (unsigned c = 1; c < 0x20; ++c)
        if (CanStandIn(static_cast<unsigned char>(c)))
            candidates.push_back(static_cast<unsigned char>(c));
    candidates.push_back(0x7F);
    for (unsigned c = 0xFF; c >= 0x80; --c)
        candidates.push_back(static_cast<unsigned char>(c));
    return candidates;
}

// A document in memory alone whose Lines hold the texts of doc's count
// Lines through mask.
ConfigDocument *MemoryCopy(const confkit::Document &doc, std::size_t count,
                           const char (&mask)[256]) {
    auto *copy = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    if (!copy) throw std::bad_alloc();
    copy->path = static_cast<char *>(std::calloc(1, 1));
    copy->first = count > 0 ? LinesNew(static_cast<int32_t>(count)) : nullptr;
    Line *to = copy->first;
    for (const Line &line : doc.Lines()) {
        if (!to || !copy->path) {
            HTTPDConfigClose(copy, 0); // memory ran out on the way
            throw std::bad_alloc();
        }
        char *out = to->text;
        for (const char *in = line.text; *in; ++in)
            *out++ = mask[static_cast<unsigned char>(*in)];
        to = to->next;
    }
    return copy;
}

// A control byte but tab and line feed, which the page shows as "\xNN".
bool ShownAsHex(char c) {
    return valuecheck::IsControl(c) && c != '\t' && c != '\n';
}

} // namespace

ShownDocument::ShownDocument(const confkit::Document &doc, const std::string &other)
    : shown_(&doc) {
    bool used[256] = {};
    std::size_t lines = 0;
    for (const Line &line : doc.Lines()) {
        for (const char *c = line.text; *c; ++c)
            used[static_cast<unsigned char>(*c)] = true;
        ++lines;
    }
    for (unsigned char c : other)
        used[c] = true;
    char *const slots[] = {&lt_, &gt_, &amp_};
    const std::vector<unsigned char> candidates = StandInCandidates();
    std::size_t found = 0;
    for (std::size_t i = 0; i < candidates.size() && found < 3; ++i)
        if (!used[candidates[i]]) *slots[found++] = static_cast<char>(candidates[i]);
    // Too few free: the top bytes stand in, and the file's own such bytes
    // are shown as "?" (the only way left to keep markup out of values).
    bool stolen[256] = {};
    for (unsigned char c = 0xFF; found < 3; --c) {
        if (IsStandIn(static_cast<char>(c))) continue;
        stolen[c] = true;
        *slots[found++] = static_cast<char>(c);
    }
    for (unsigned c = 0; c < 256; ++c)
        mask_[c] = stolen[c] ? '?' : static_cast<char>(c);
    mask_[static_cast<unsigned char>('<')] = lt_;
    mask_[static_cast<unsigned char>('>')] = gt_;
    mask_[static_cast<unsigned char>('&')] = amp_;
    // With no byte to stand in for or to show as "?", the copy would be the
    // document itself.
    bool masked = used[static_cast<unsigned char>('<')] || used[static_cast<unsigned char>('>')] ||
                  used[static_cast<unsigned char>('&')];
    for (unsigned c = 0; c < 256; ++c)
        masked = masked || (stolen[c] && used[c]);
    if (masked) {
        copy_ = confkit::Document(MemoryCopy(doc, lines, mask_));
        shown_ = &copy_;
    }
}

std::string ShownDocument::Mask(const std::string &text) const {
    std::string masked = text;
    for (char &c : masked)
        c = mask_[static_cast<unsigned char>(c)];
    return masked;
}

std::string ShownDocument::Html(const std::string &generated) const {
    std::string html;
    html.reserve(generated.size());
    for (char c : generated) {
        if (c == lt_)
            html += "&lt;";
        else if (c == gt_)
            html += "&gt;";
        else if (c == amp_)
            html += "&amp;";
        else if (ShownAsHex(c))
            html += "\\x" + valuecheck::HexDigits(c);
        else
            html += c;
    }
    return html;
}

std::string ShownDocument::Attribute(const std::string &generated) const {
    std::string attribute;
    for (char c : Html(generated)) {
        if (c == '"')
            attribute += "&quot;";
        else
            attribute += c;
    }
    return attribute;
}

bool ShownDocument::HoldsControlByte(const std::string &generated) const {
    for (char c : generated)
        if (!IsStandIn(c) && valuecheck::IsRefusedControl(c) && c != '\n') return true;
    return false;
}

std::string ShownByte(char c) {
    if (ShownAsHex(c)) return "\\x" + valuecheck::HexDigits(c);
    return std::string(1, c);
}

} // namespace page
