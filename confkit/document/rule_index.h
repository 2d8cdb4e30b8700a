// Finding list lines that are the same rule as a document line, in constant
// expected time per lookup.
#ifndef CONFKIT_DOCUMENT_RULE_INDEX_H
#define CONFKIT_DOCUMENT_RULE_INDEX_H

#include "confkit.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace confkit {

// The normalised form of a rule: its tokens (as TokenMatch and TokenNext
// split a line), ASCII-lower-cased and joined by single spaces, nothing from
// a comment on. Two texts with tokens are the same rule (RuleSame) exactly
// when their keys are equal; a text without tokens gives an empty key and is
// the same rule as nothing. The key is written into out (never longer than
// the text, so a buffer with room for a Line's text is not reallocated).
void RuleKeyInto(const char *text, std::string &out);
std::string RuleKey(const char *text);

// The lines of a list grouped by RuleKey, each group in list order. The
// edits unlink every line they take from the list at once, so the first line
// of a group not yet taken is the first line from the list's head that is
// the same rule: what RuleFound would find.
//
// Building the index is the only step that allocates. When memory runs out
// there, or when built Linear, the index holds nothing and Take asks
// RuleFound on the list itself, which gives the same answers more slowly.
class RuleIndex {
  public:
    enum Mode { Hashed, Linear };
    explicit RuleIndex(Line *list, Mode mode = Hashed) noexcept;
    // The first line of the list starting at head that is the same rule as
    // text and was not taken before, now marked taken; nullptr when none.
    // head must be what is left of the indexed list after unlinking every
    // line taken so far.
    Line *Take(const char *text, Line *head);

  private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    void Build(Line *list);

    bool hashed_ = false;
    std::string key_;               // reused for every lookup
    std::string keyText_;           // every key, one after the other
    std::vector<Line *> lines_;     // the lines with tokens, in list order
    std::vector<std::size_t> next_; // the next line of the same key, or kNone
    // Per key: the first line not yet taken, or kNone. Taking a line moves
    // its key on to the next line of that key.
    std::unordered_map<std::string_view, std::size_t> firstFree_;
};

} // namespace confkit

#endif
