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

ConfigDocument *MemoryCopy(const std::vector<std::string> &texts) {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    if (!doc) throw std::bad_alloc();
    doc->path = static_cast<char *>(std::calloc(1, 1));
    try {
        doc->first = confkit::LineList::FromTexts(texts).release();
    } catch (...) {
        HTTPDConfigClose(doc, 0);
        throw;
    }
    if (!doc->path) {
        HTTPDConfigClose(doc, 0);
        throw std::bad_alloc();
    }
    return doc;
}

} // namespace

ShownDocument::ShownDocument(const confkit::Document &doc, const std::string &other) {
    bool used[256] = {};
    std::vector<std::string> texts;
    for (const Line &line : doc.Lines())
        texts.emplace_back(line.text);
    for (const std::string &text : texts)
        for (unsigned char c : text)
            used[c] = true;
    for (unsigned char c : other)
        used[c] = true;
    char *const slots[] = {&lt_, &gt_, &amp_};
    const std::vector<unsigned char> candidates = StandInCandidates();
    std::size_t found = 0;
    for (std::size_t i = 0; i < candidates.size() && found < 3; ++i)
        if (!used[candidates[i]]) *slots[found++] = static_cast<char>(candidates[i]);
    // Too few free: the top bytes stand in, and the file's own such bytes
    // are shown as "?" (the only way left to keep markup out of values).
    for (unsigned char c = 0xFF; found < 3; --c) {
        if (IsStandIn(static_cast<char>(c))) continue;
        stolen_[c] = true;
        *slots[found++] = static_cast<char>(c);
    }
    for (std::string &text : texts)
        text = Mask(text);
    copy_ = confkit::Document(MemoryCopy(texts));
}

std::string ShownDocument::Mask(const std::string &text) const {
    std::string masked = text;
    for (char &c : masked) {
        if (c == '<')
            c = lt_;
        else if (c == '>')
            c = gt_;
        else if (c == '&')
            c = amp_;
        else if (stolen_[static_cast<unsigned char>(c)])
            c = '?';
    }
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
        else
            html += ShownByte(c);
    }
    return html;
}

std::string ShownDocument::Attribute(const std::string &generated) const {
    std::string html = Html(generated), attribute;
    for (char c : html)
        attribute += c == '"' ? std::string("&quot;") : std::string(1, c);
    return attribute;
}

bool ShownDocument::HoldsControlByte(const std::string &generated) const {
    for (char c : generated)
        if (!IsStandIn(c) && valuecheck::IsRefusedControl(c) && c != '\n') return true;
    return false;
}

std::string ShownByte(char c) {
    if (valuecheck::IsControl(c) && c != '\t' && c != '\n') return "\\x" + valuecheck::HexDigits(c);
    return std::string(1, c);
}

} // namespace page
