// ASCII character classes and case folding. The configuration file is 8-bit
// text whose keywords are ASCII; the process locale must not change how they
// compare, so these helpers never consult it.
#ifndef CONFKIT_DOCUMENT_ASCII_H
#define CONFKIT_DOCUMENT_ASCII_H

#include <cstddef>

namespace confkit {

inline char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
// White space as the C library's isspace knows it in the "C" locale.
inline bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Compares n characters of a and b ignoring ASCII case; a terminator in one
// text and not the other is a difference.
inline bool EqualNoCase(const char *a, const char *b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}

// Whole strings, ignoring ASCII case.
inline bool EqualNoCase(const char *a, const char *b) {
    for (;; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
        if (*a == '\0') return true;
    }
}

} // namespace confkit

#endif
