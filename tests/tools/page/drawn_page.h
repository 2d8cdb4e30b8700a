// A document as the page's parts draw it in a test: the document, the copy
// it is shown through and the page's options.
#ifndef CONFKIT_TESTS_PAGE_DRAWN_PAGE_H
#define CONFKIT_TESTS_PAGE_DRAWN_PAGE_H

#include "page.h"
#include "test_support.h"

#include <string>

namespace pagetest {

struct Drawn {
    explicit Drawn(const std::string &text) : doc(testsupport::MakeDoc(text)), shown(doc) {}
    page::Drawing drawing() const { return {doc, shown, options, acl}; }

    confkit::Document doc;
    page::ShownDocument shown;
    page::PageOptions options;
    std::string acl;
};

inline std::size_t Count(const std::string &text, const std::string &piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

} // namespace pagetest

#endif
