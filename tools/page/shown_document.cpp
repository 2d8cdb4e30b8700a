#include "shown_document.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace page {
namespace {

// Control bytes that no generator splits at or converts: not tab, LF, CR,
// vertical tab, form feed or Ctrl-Z (the end of a text file).
bool CanStandIn(unsigned char c) {
    return c >= 0x01 && c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f' &&
           c != 0x1A;
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
    std::size_t found = 0;
    for (unsigned c = 1; c < 0x20 && found < 3; ++c)
        if (CanStandIn(static_cast<unsigned char>(c)) && !used[c])
            *slots[found++] = static_cast<char>(c);
    if (found < 3)
        throw std::runtime_error("the configuration holds too many control characters to show");
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
            html += c;
    }
    return html;
}

std::string ShownDocument::Attribute(const std::string &generated) const {
    std::string html = Html(generated), attribute;
    for (char c : html)
        attribute += c == '"' ? std::string("&quot;") : std::string(1, c);
    return attribute;
}

} // namespace page
