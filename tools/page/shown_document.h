// The document as the page shows it. The library's generators print values
// exactly as the file holds them, inside markup of their own, so the page
// cannot escape their output afterwards: it would escape that markup too.
// Instead they are given a copy of the document in which "<", ">" and "&"
// are replaced by stand-in bytes that the file does not hold and that no
// generator treats specially (control bytes). In what they print, every such
// byte is then a character of a value, and becomes its entity; the markup
// around it stays markup.
#ifndef CONFKIT_PAGE_SHOWN_DOCUMENT_H
#define CONFKIT_PAGE_SHOWN_DOCUMENT_H

#include "confkit.hpp"

#include <string>

namespace page {

class ShownDocument {
  public:
    // other: more text shown through the same stand-ins (an ACL file), which
    // must not hold them either. Throws std::runtime_error when the texts
    // hold so many control bytes that three stand-ins cannot be found.
    explicit ShownDocument(const confkit::Document &doc, const std::string &other = "");

    // The copy with stand-ins, for the generators.
    ConfigDocument *get() const { return copy_.get(); }
    const confkit::Document &copy() const { return copy_; }

    // A text of the file's with its "<", ">" and "&" turned into stand-ins.
    std::string Mask(const std::string &text) const;
    // Generated text for element content: stand-ins become entities.
    std::string Html(const std::string &generated) const;
    // Generated text for a double-quoted attribute value: the double quote
    // is escaped too.
    std::string Attribute(const std::string &generated) const;

  private:
    char lt_ = 0, gt_ = 0, amp_ = 0;
    confkit::Document copy_{nullptr};
};

} // namespace page

#endif
