// Locale-free text helpers: ASCII character classes and case folding, the
// token boundary of configuration lines, and heap copies. The configuration
// file is 8-bit text whose keywords are ASCII, and a host program may set any
// locale (in some, "I" and "i" are no pair), so nothing here consults it.
// Header-only and internal: compiled into the library, cfgmigrate and the
// tools alike, never installed.
#ifndef COMMON_TEXT_H
#define COMMON_TEXT_H

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace ascii {

constexpr char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// White space as the C library's isspace knows it in the "C" locale.
constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Token white space of a configuration line: space, tab, "\n" and "@".
constexpr bool IsTokenSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '@';
}
// Where a token ends: token white space, "#" (a comment) or the terminator.
constexpr bool IsTokenEnd(char c) {
    return c == '\0' || c == '#' || IsTokenSpace(c);
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}
// Whole texts; a null text equals nothing.
inline bool EqualNoCase(const char *a, const char *b) {
    return a && b && EqualNoCase(std::string_view(a), std::string_view(b));
}
// At most n characters of a and b; a terminator in one text and not the
// other is a difference.
inline bool EqualNoCaseN(const char *a, const char *b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}
inline std::string ToLower(std::string_view text) {
    std::string lower(text);
    for (char &c : lower)
        c = Lower(c);
    return lower;
}

// A new NUL-terminated heap copy that the caller releases with free();
// nullptr when no memory.
inline char *HeapCopy(std::string_view s) noexcept {
    auto *copy = static_cast<char *>(std::malloc(s.size() + 1));
    if (!copy) return nullptr;
    if (!s.empty()) std::memcpy(copy, s.data(), s.size());
    copy[s.size()] = '\0';
    return copy;
}

} // namespace ascii

#endif
