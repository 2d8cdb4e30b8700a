// The document as the page shows it. The library's generators print values
// exactly as the file holds them, inside markup of their own, so the page
// cannot escape their output afterwards: it would escape that markup too.
// Instead they are given a copy of the document in which "<", ">" and "&"
// are replaced by stand-in bytes that the file does not hold and that no
// generator treats specially (control bytes, else DEL or bytes above ASCII).
// In what they print, every such byte is then a character of a value, and
// becomes its entity; the markup around it stays markup. Control bytes of
// the file, which have no glyph, show as "\xNN".
#ifndef CONFKIT_PAGE_SHOWN_DOCUMENT_H
#define CONFKIT_PAGE_SHOWN_DOCUMENT_H

#include "confkit.hpp"

#include <string>

namespace page {

// How the page shows a byte of a text: a control byte but tab and line feed
// as "\xNN" (a browser drops or alters them), any other byte as itself.
std::string ShownByte(char c);

class ShownDocument {
  public:
    // other: more text shown through the same stand-ins (an ACL file). When
    // the texts hold so many different bytes that three stand-ins cannot be
    // found, the three are taken from bytes above ASCII anyway, and those
    // bytes of the texts show as "?".
    explicit ShownDocument(const confkit::Document &doc, const std::string &other = "");

    // The copy with stand-ins, for the generators; doc itself, which must
    // then outlive this object, when it holds no "<", ">" or "&".
    ConfigDocument *get() const { return shown_->get(); }
    const confkit::Document &copy() const { return *shown_; }

    // A text of the file's with its "<", ">" and "&" turned into stand-ins.
    std::string Mask(const std::string &text) const;
    // Generated text for element content: stand-ins become entities, control
    // bytes "\xNN".
    std::string Html(const std::string &generated) const;
    // Generated text for a double-quoted attribute value: the double quote
    // is escaped too.
    std::string Attribute(const std::string &generated) const;
    // Whether a value in generated text holds a control byte other than tab
    // (a line feed ends a line of it), which a form field cannot hand back as
    // the file holds it.
    bool HoldsControlByte(const std::string &generated) const;

  private:
    bool IsStandIn(char c) const { return c == lt_ || c == gt_ || c == amp_; }

    char lt_ = 0, gt_ = 0, amp_ = 0;
    // What each byte of the file's texts becomes in the copy: a stand-in for
    // "<", ">" and "&", "?" for a byte taken as a stand-in, else itself.
    char mask_[256] = {};
    confkit::Document copy_{nullptr};
    const confkit::Document *shown_; // copy_, or the document when no copy is needed
};

} // namespace page

#endif
