// The text the library writes for a Protection setup or a Protect entry, an
// LDAPInfo block or a Member block: its lines, each made of pieces that are
// the writer's fixed text or a field's value, with the way the reader takes
// each value back. The writers join the pieces; the record checks look at
// every value in its place. Header-only: the programs compile it in with the
// record checks (it needs nothing but the installed headers).
#ifndef COMMON_BLOCK_LAYOUT_H
#define COMMON_BLOCK_LAYOUT_H

#include "confkit_records.hpp"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace confkit::layout {

// How a value is read back from its place.
enum class Reading {
    Fixed,       // the writer's own text, not a value
    Word,        // a word of a header line, with words after it that are read too
    LastWord,    // the last word of a header line that is read
    Rest,        // a body value: from its first character that is no blank to the line end
    Quoted,      // a body value between the double quotes the writer puts around it
    Certificate, // a body value cut at its first CR or LF, edge quotes stripped
};

struct Piece {
    std::string text;
    Reading reading = Reading::Fixed;
    const char *field = nullptr; // the field a value comes from
};

// One line as the writer makes it, ending with "\n". A value that carries its
// own line end makes it two lines of the file.
using WrittenLine = std::vector<Piece>;
using WrittenLines = std::vector<WrittenLine>;

inline std::string Join(const WrittenLine &line) {
    std::string text;
    for (const Piece &p : line)
        text += p.text;
    return text;
}

// A certificate value is written between double quotes when it holds a space,
// and when it begins with a character that the reader would pass over (a tab,
// "@") or take for a comment ("#").
inline bool NeedsQuotes(const char *value) {
    return std::strchr(value, ' ') || (*value && std::strchr("\t@#", *value));
}

namespace detail {

inline Piece Fixed(std::string text) {
    return {std::move(text), Reading::Fixed, nullptr};
}
inline Piece Value(const char *field, const char *value, Reading reading) {
    return {value ? value : "", reading, field};
}

// The indentation, the keyword and the spaces up to the value's column.
template <class R> std::string Head(const Field<R> &f) {
    std::string head(static_cast<std::size_t>(RecordFields<R>::kIndent), ' ');
    head += f.name;
    const auto width = static_cast<std::size_t>(f.column - 1);
    if (head.size() < width) head.resize(width, ' ');
    return head;
}

// The body line of field f, with the fields joined to its line.
template <class R>
WrittenLine BodyLine(const R &r, const Field<R> &f, const std::vector<const Field<R> *> &joined) {
    const char *value = r.*f.member;
    switch (f.form) {
    case FieldForm::Flag:
        return {Fixed(Head(f) + f.word + "\n")};
    case FieldForm::Quoted:
        return {Fixed(Head(f) + "\""), Value(f.name, value, Reading::Quoted), Fixed("\"\n")};
    case FieldForm::Certificate: {
        const std::string quote = value && NeedsQuotes(value) ? "\"" : "";
        return {Fixed(Head(f) + quote), Value(f.name, value, Reading::Certificate),
                Fixed(quote + "\n")};
    }
    default:
        break;
    }
    WrittenLine line{Fixed(Head(f)), Value(f.name, value, Reading::Rest)};
    for (const Field<R> *j : joined) {
        line.push_back(Fixed(" "));
        line.push_back(Value(j->name, r.*j->member, Reading::Rest));
    }
    line.push_back(Fixed(f.form == FieldForm::Unit ? std::string(" ") + f.word + "\n" : "\n"));
    return line;
}

// Which fields get a body line: every set one (Protect), those that hold
// text (LDAPInfo), or all of them, an absent one leaving its place empty
// (Member).
enum class Omit { Absent, Empty, Nothing };

inline bool Omitted(const char *value, Omit omit) {
    if (omit == Omit::Absent) return !value;
    if (omit == Omit::Empty) return !value || !*value;
    return false;
}

// The body lines in the order of their places.
template <class R> WrittenLines BodyLines(const R &r, Omit omit) {
    const auto &fields = RecordFields<R>::List();
    int last = 0;
    for (const Field<R> &f : fields)
        last = f.line > last ? f.line : last;
    WrittenLines lines;
    for (int place = 1; place <= last; ++place) {
        const Field<R> *main = nullptr;
        std::vector<const Field<R> *> joined;
        for (const Field<R> &f : fields) {
            if (f.line != place) continue;
            if (f.form == FieldForm::Joined)
                joined.push_back(&f);
            else
                main = &f;
        }
        if (!main) continue;
        const char *value = r.*main->member;
        if (Omitted(value, omit)) continue;
        // A flag gives its line only when it holds a "1".
        if (main->form == FieldForm::Flag && !(value && std::strchr(value, '1'))) continue;
        lines.push_back(BodyLine(r, *main, joined));
    }
    return lines;
}

// "word name {", the body, "}".
inline WrittenLines Block(const char *word, Piece name, WrittenLines body) {
    WrittenLines lines{{Fixed(std::string(word) + " "), std::move(name), Fixed(" {\n")}};
    for (WrittenLine &line : body)
        lines.push_back(std::move(line));
    lines.push_back({Fixed("}\n")});
    return lines;
}

} // namespace detail

// One line "directive  template  setup[  FOR address]" when both the template
// and the setup name are set (the body is not written); otherwise a block
// "directive  name[  FOR address]  {", the body, "}". The address follows
// "FOR", where the reader looks for it.
inline WrittenLines Lines(const ProtectRule &r) {
    using detail::Fixed;
    using detail::Value;
    const bool address = r.Address && *r.Address;
    const Reading beforeAddress = address ? Reading::Word : Reading::LastWord;
    WrittenLine header{Value("Directive", r.Directive, Reading::Word), Fixed("  ")};
    const bool oneLine = r.Template && r.SetupName;
    if (oneLine) {
        header.push_back(Value("Template", r.Template, Reading::Word));
        header.push_back(Fixed("  "));
        header.push_back(Value("SetupName", r.SetupName, beforeAddress));
    } else if (r.Template) {
        header.push_back(Value("Template", r.Template, beforeAddress));
    } else {
        header.push_back(Value("SetupName", r.SetupName, beforeAddress));
    }
    if (address) {
        header.push_back(Fixed("  FOR "));
        header.push_back(Value("Address", r.Address, Reading::LastWord));
    }
    header.push_back(Fixed(oneLine ? "\n" : "  {\n"));
    WrittenLines lines{std::move(header)};
    if (oneLine) return lines;
    for (WrittenLine &line : detail::BodyLines(r, detail::Omit::Absent))
        lines.push_back(std::move(line));
    lines.push_back({Fixed("}\n")});
    return lines;
}

// "LDAPInfo name {", a line for each field that holds text, "}".
inline WrittenLines Lines(const LDAPRule &r) {
    return detail::Block("LDAPInfo", detail::Value("Name", r.Name, Reading::LastWord),
                         detail::BodyLines(r, detail::Omit::Empty));
}

// "Member name {", all seven body lines, "}".
inline WrittenLines Lines(const MemberRule &r) {
    return detail::Block("Member", detail::Value("Name", r.Name, Reading::LastWord),
                         detail::BodyLines(r, detail::Omit::Nothing));
}

} // namespace confkit::layout

#endif
