// The one check on values that go into the configuration file, shared by the
// library's put operations and the programs built on it (confctl and the
// administration page), so that all of them refuse the same values with the
// same reasons. A value is refused when writing it would change how the file
// is read (a brace anywhere, a line feed inside it), when it holds a control
// byte other than tab (which no reader of the file shows or types as such) or
// when it does not fit its line; it is never cut. Characters that only need
// escaping on a page ("&", "<", ">", quotes) are ordinary data here. Bytes
// already in the file are not judged: only the values handed in.
//
// This file holds the rules every kind of value shares; the checks of whole
// records (Protect, LDAPInfo, Member, PICS rules and clauses) build on them
// next to the field tables of their block kind. Header-only and internal:
// compiled into the library and the tools, never installed.
#ifndef COMMON_VALUE_CHECK_H
#define COMMON_VALUE_CHECK_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace valuecheck {

// The most characters a written line may hold before its line end and still
// be read back as one Line (a Line holds 1023 characters; a line of 1023 and
// its "\n" reads back as two).
constexpr std::size_t kLineChars = 1022;

// Why a value is refused: the field (a record field's name, or what the
// caller calls the value) and the reason, which names the character.
struct Refusal {
    std::string field;
    std::string reason;
    std::string Message() const { return field + ": " + reason; }
};
using Verdict = std::optional<Refusal>;

// A control byte (0x00-0x1F and 0x7F).
constexpr bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// A byte that no new value may hold: every control byte but tab.
constexpr bool IsRefusedControl(char c) {
    return IsControl(c) && c != '\t';
}

// The two upper-case hexadecimal digits of a byte: "1B".
inline std::string HexDigits(char c) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto u = static_cast<unsigned char>(c);
    return {kHex[u >> 4], kHex[u & 0xF]};
}

// How a character is named in a reason: "\"}\"", "a line feed", "byte 0x01".
inline std::string NameOf(char c) {
    if (c == '\n') return "a line feed";
    if (c == '\r') return "a carriage return";
    if (c == '\t') return "a tab";
    if (IsControl(c)) return "byte 0x" + HexDigits(c);
    return std::string("\"") + c + "\"";
}

inline Verdict Refuse(std::string_view field, std::string reason) {
    return Refusal{std::string(field), std::move(reason)};
}

// A value written inside one line of a block or a rule: no brace (a "}" ends
// the block that holds it, a "{" opens one), no line feed, no byte 0x1A and
// no other control byte but tab. A value that a get returned may end in its
// own line end (and a comment before it); with finalLineEnd that one "\n" at
// the very end is no line feed inside it.
inline Verdict CheckOneLine(std::string_view field, std::string_view value,
                            bool finalLineEnd = false) {
    if (finalLineEnd && !value.empty() && value.back() == '\n') value.remove_suffix(1);
    for (char c : value) {
        if (c == '{' || c == '}')
            return Refuse(field, "holds " + NameOf(c) + ", which changes where a block ends");
        if (c == '\n') return Refuse(field, "holds a line feed; a value is one line");
        // Reading a text file stops at this byte: the rest of the file would be lost.
        if (c == '\x1A')
            return Refuse(field, "holds byte 0x1A, which ends the file when it is read");
        if (IsRefusedControl(c))
            return Refuse(field,
                          "holds " + NameOf(c) + ", a control byte; a value holds none but tab");
    }
    return std::nullopt;
}

// A text that is no part of the configuration (a reason kept in the
// history): one line without control bytes but tab.
inline Verdict CheckPlainText(std::string_view field, std::string_view value) {
    for (char c : value)
        if (c == '\n' || IsRefusedControl(c))
            return Refuse(field,
                          "holds " + NameOf(c) + ", a control byte; a text holds none but tab");
    return std::nullopt;
}

// A value of length characters in a line whose fixed text (indentation,
// keyword, quotes; not the line end) takes fixed characters.
inline Verdict CheckFits(std::string_view field, std::size_t length, std::size_t fixed) {
    const std::size_t room = fixed < kLineChars ? kLineChars - fixed : 0;
    if (length <= room) return std::nullopt;
    return Refuse(field, "is " + std::to_string(length) + " characters long; its line holds " +
                             std::to_string(room));
}

// A whole single-line rule, without its line end, as a caller hands it over:
// one line, no brace, and short enough to stay one Line of the document.
inline Verdict CheckRuleLine(std::string_view field, std::string_view line) {
    if (Verdict v = CheckOneLine(field, line)) return v;
    return CheckFits(field, line.size(), 0);
}

} // namespace valuecheck

#endif
