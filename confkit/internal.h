// Operations shared by the parts of the library but not exported.
#ifndef CONFKIT_INTERNAL_H
#define CONFKIT_INTERNAL_H

#include "confkit.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Text primitives (tokens.cpp). Heap strings belong to the caller (free()).
char *TokenDup(const char *text);
// The first token of text as TokenDup takes it, without a copy ("#" is an
// ordinary character in it); empty for a null text.
std::string_view FirstToken(const char *text);
char *CopyString(const char *text);
void CutAtChar(char *text, char ch);

namespace confkit {

// The longest text a line of the file gives back as one Line: 1023
// characters, then its "\n".
constexpr std::size_t kMaxLineChars = 1023;

// The text of a Line, never running past its text area; empty for none.
inline std::string_view TextOf(const Line *line) {
    if (!line) return {};
    return std::string_view(line->text, strnlen(line->text, sizeof line->text));
}

// A document with at least one Line, as every operation on one needs.
inline bool HasLines(const ConfigDocument *doc) {
    return doc && doc->first;
}

// Runs an export body; any exception (in practice, std::bad_alloc) becomes
// the export's failure result, so none crosses the C boundary.
template <class R, class F> R NoThrow(R onFailure, F &&body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}
template <class F> void NoThrowVoid(F &&body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// The library's private field split (it never calls GetField itself):
// the fields of text separated by runs of the characters of delims.
std::vector<std::string_view> SplitFields(std::string_view text, std::string_view delims);
// Field n (from 1; below 2 means the first) at runs of space, CR, LF and tab;
// empty when there are fewer fields.
std::string_view FieldOf(std::string_view text, int n);

// The block-end rule: a block ends at the first Line after its header whose
// text holds "}" anywhere. nullptr when no later Line does.
Line *BlockEnd(Line *header);

// The line writer. A new free-standing Line holding head + value + tail, where
// the value is cut so that the text keeps at most 1023 characters before a
// final "\n" (head and tail are kept whole; tail normally ends in "\n").
// nullptr when no memory.
Line *MakeLine(std::string_view head, std::string_view value = {}, std::string_view tail = {});

// A chain of new Lines being built; released unless handed over.
class Chain {
  public:
    Chain() = default;
    Chain(const Chain &) = delete;
    Chain &operator=(const Chain &) = delete;
    ~Chain() { LinesFree(first_); }
    // Appends a Line made by MakeLine, one Line for each line of the file the
    // text holds; throws std::bad_alloc when memory runs out.
    void Add(std::string_view head, std::string_view value = {}, std::string_view tail = {});
    // Takes a free-standing Line; a text holding several lines of the file is
    // split into one Line each.
    void Append(Line *line);
    bool empty() const { return first_ == nullptr; }
    Line *first() const { return first_; }
    Line *last() const { return last_; }
    Line *Release() {
        Line *f = first_;
        first_ = last_ = nullptr;
        return f;
    }

  private:
    void SplitLastAtNewlines();

    Line *first_ = nullptr;
    Line *last_ = nullptr;
};

// Document splicing. The chain (free-standing, non-empty) is placed before or
// after at; a null at with Before means "as the document's head" and with
// After "after the document's last Line" (or as the whole body when the
// document has none). doc->first is kept right in every case.
void InsertBefore(ConfigDocument *doc, Line *at, Line *chain);
void InsertAfter(ConfigDocument *doc, Line *at, Line *chain);
// The document's last Line, or nullptr.
Line *LastLine(const ConfigDocument *doc);
// Unlinks and releases the Lines from..to (inclusive, in document order),
// keeping doc->first right; returns the Line that followed to.
Line *RemoveRange(ConfigDocument *doc, Line *from, Line *to);

} // namespace confkit

#endif
