// The checks of Protect, Protection, LDAPInfo and Member records before they
// are written: a record whose written text would not read back as the same
// record is refused. Each value is judged in its place in the written text
// (block_layout.h), by the way the reader takes it back from there. The
// library's put operations and the programs built on it compile in the same
// checks (header-only; nothing here needs more than the installed headers).
#ifndef COMMON_RECORD_CHECK_H
#define COMMON_RECORD_CHECK_H

#include "common/block_layout.h"
#include "common/text.h"
#include "common/value_check.h"
#include "confkit.h"

namespace valuecheck {

namespace detail {

using confkit::layout::Piece;
using confkit::layout::Reading;
using confkit::layout::WrittenLine;
using confkit::layout::WrittenLines;

// What a reader passes over before a value (a line feed ends the line).
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '@';
}

// A word of a header line: found with the token rules, so it holds no token
// white space, and "#" starts a comment that hides what follows it.
inline Verdict CheckWord(const Piece &p) {
    if (p.text.empty()) return Refuse(p.field, "is empty; its header line needs a word there");
    for (char c : p.text)
        if (ascii::IsTokenSpace(c))
            return Refuse(p.field, "holds " + NameOf(c) + ", which ends a word of its header line");
    const std::size_t hash = p.text.find('#');
    if (hash == 0) return Refuse(p.field, "begins with \"#\", which makes it a comment");
    if (hash != std::string::npos && p.reading == Reading::Word)
        return Refuse(p.field, "holds \"#\", which hides the words after it from the reader");
    return std::nullopt;
}

inline Verdict CheckValue(const Piece &p) {
    if (Verdict v = CheckOneLine(p.field, p.text, true)) return v;
    switch (p.reading) {
    case Reading::Word:
    case Reading::LastWord:
        return CheckWord(p);
    case Reading::Quoted:
        if (!p.text.empty() && p.text.back() == '\n')
            return Refuse(p.field, "ends with a line feed, which leaves its closing quote on a "
                                   "line of its own");
        return std::nullopt;
    case Reading::Certificate:
        // The one line end CheckOneLine lets through at the very end.
        if (!p.text.empty() && p.text.back() == '\n')
            return Refuse(p.field, "holds a line feed, where the reader cuts the value");
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// A body value read from its first character that is no blank: that
// character must not start a comment, and a value whose own line end would
// carry the rest of the line (another value) onto a line of its own is
// refused.
inline Verdict CheckRest(const WrittenLine &line) {
    std::size_t i = 0;
    while (i < line.size() && line[i].reading != Reading::Rest)
        ++i;
    for (std::size_t j = i; j < line.size(); ++j) {
        const Piece &p = line[j];
        if (p.reading != Reading::Rest || p.text.empty() || p.text.back() != '\n') continue;
        for (std::size_t k = j + 1; k < line.size(); ++k)
            if (line[k].field)
                return Refuse(p.field, std::string("ends with a line feed, which moves ") +
                                           line[k].field + " to a line of its own");
    }
    for (; i < line.size(); ++i) {
        for (char c : line[i].text) {
            if (IsBlank(c)) continue;
            if (c == '#')
                return Refuse(line[i].field, "begins with \"#\", which makes it a comment");
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Every line of the file that the written line makes fits a Line. When one
// does not, its longest value is named, with the room the rest leaves it.
inline Verdict CheckLength(const WrittenLine &line) {
    std::size_t length = 0, longest = 0;
    const char *field = nullptr;
    for (const Piece &p : line) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = p.text.find('\n', start);
            const std::size_t part = (end == std::string::npos ? p.text.size() : end) - start;
            length += part;
            if (p.field && part > longest) {
                longest = part;
                field = p.field;
            }
            if (end == std::string::npos) break;
            if (length > kLineChars && field) return CheckFits(field, longest, length - longest);
            length = longest = 0;
            field = nullptr;
            start = end + 1;
        }
    }
    if (length > kLineChars && field) return CheckFits(field, longest, length - longest);
    return std::nullopt;
}

inline Verdict CheckLines(const WrittenLines &lines) {
    for (const WrittenLine &line : lines) {
        for (const Piece &p : line)
            if (p.field)
                if (Verdict v = CheckValue(p)) return v;
        if (Verdict v = CheckRest(line)) return v;
        if (Verdict v = CheckLength(line)) return v;
    }
    return std::nullopt;
}

// Protection entries are looked up among Protect and Protection lines only:
// an entry of any other directive would never be found again.
inline Verdict CheckDirective(const ProtectRule &r) {
    if (ascii::EqualNoCase(r.Directive, "Protect") || ascii::EqualNoCase(r.Directive, "Protection"))
        return std::nullopt;
    return Refuse("Directive", "is neither Protect nor Protection, the only lines a protection "
                               "entry is looked up among");
}

} // namespace detail

inline Verdict CheckProtect(const ProtectRule &r) {
    if (Verdict v = detail::CheckLines(confkit::layout::Lines(r))) return v;
    return detail::CheckDirective(r);
}

inline Verdict CheckLDAP(const LDAPRule &r) {
    return detail::CheckLines(confkit::layout::Lines(r));
}

inline Verdict CheckMember(const MemberRule &r) {
    return detail::CheckLines(confkit::layout::Lines(r));
}

} // namespace valuecheck

#endif
