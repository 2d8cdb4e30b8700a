// Tokens of a configuration line and the small text primitives that the
// queries, block editors and form generators share.
#include "common/text.h"
#include "internal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using ascii::IsTokenEnd;
using ascii::IsTokenSpace;

namespace {

const char *SkipTokenSpace(const char *p) {
    while (IsTokenSpace(*p))
        ++p;
    return p;
}

std::size_t TokenLength(const char *p) {
    std::size_t n = 0;
    while (!IsTokenEnd(p[n]))
        ++n;
    return n;
}

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

// Letters, white space and anything that is not a digit: what ParseTimeSpec
// passes over between numbers (a colon or an 8-bit byte is skipped too).
const char *SkipToDigit(const char *p) {
    while (*p && !ascii::IsDigit(*p))
        ++p;
    return p;
}

} // namespace

std::string_view FirstToken(const char *text) {
    if (!text) return {};
    const char *start = SkipTokenSpace(text);
    const char *end = start;
    while (*end && !IsTokenSpace(*end)) // "#" is an ordinary character here
        ++end;
    return std::string_view(start, static_cast<std::size_t>(end - start));
}

char *TokenDup(const char *text) {
    if (!text || *text == '\0') return nullptr;
    return ascii::HeapCopy(FirstToken(text));
}

char *CopyString(const char *text) {
    if (!text || *text == '\0') return nullptr;
    return ascii::HeapCopy(text);
}

void CutAtChar(char *text, char ch) {
    if (!text) return;
    if (char *p = std::strchr(text, ch)) *p = '\0';
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL TokenMatch(const char *a, const char *b) {
    if (!a || !b) return 0;
    a = SkipTokenSpace(a);
    b = SkipTokenSpace(b);
    const std::size_t n = TokenLength(a);
    if (n == 0 || n != TokenLength(b)) return 0;
    return ascii::EqualNoCaseN(a, b, n) ? 1 : 0;
}

extern "C" CONFKIT_API char *CONFKIT_CALL TokenNext(const char *text) {
    if (!text) return nullptr;
    const char *p = SkipTokenSpace(text);
    if (*p == '\0' || *p == '#') return nullptr;
    p = SkipTokenSpace(p + TokenLength(p));
    if (*p == '\0' || *p == '#') return nullptr;
    return const_cast<char *>(p);
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL RuleSame(const char *a, const char *b) {
    if (!a || !b) return 0;
    const char *pa = SkipTokenSpace(a);
    const char *pb = SkipTokenSpace(b);
    while (pa && pb) {
        if (!TokenMatch(pa, pb)) return 0;
        pa = TokenNext(pa);
        pb = TokenNext(pb);
    }
    return (!pa && !pb) ? 1 : 0;
}

extern "C" CONFKIT_API Line *CONFKIT_CALL RuleFound(const char *line, Line *list) {
    if (!line) return nullptr;
    for (Line *l = list; l; l = l->next)
        if (RuleSame(line, l->text)) return l;
    return nullptr;
}

extern "C" CONFKIT_API char *CONFKIT_CALL PointToNextField(const char *text) {
    if (!text) return nullptr;
    const char *p = text;
    while (IsFieldSpace(*p))
        ++p;
    while (*p && !IsFieldSpace(*p))
        ++p;
    while (IsFieldSpace(*p))
        ++p;
    return const_cast<char *>(p);
}

extern "C" CONFKIT_API char *CONFKIT_CALL StripQuotes(char *text) {
    static const char kNothingLeft[] = " ";
    if (!text) return const_cast<char *>(kNothingLeft);
    char *start = text;
    while (*start == '"')
        ++start;
    std::size_t len = std::strlen(start);
    while (len > 0 && start[len - 1] == '"')
        start[--len] = '\0';
    if (len == 0) return const_cast<char *>(kNothingLeft);
    return start;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL StripCRLF(char *text) {
    if (text) text[std::strcspn(text, "\r\n")] = '\0';
    return 0;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL ConvertChars(char *text, const char *set, char ch) {
    if (!text || !set) return 0;
    for (char *p = text; *p; ++p)
        if (std::strchr(set, *p)) *p = ch;
    return 0;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL ParseTimeSpec(const char *text, int32_t *hours,
                                                          int32_t *minutes, int32_t *seconds) {
    if (!text) return 0;
    const char *p = SkipToDigit(text);
    while (*p) {
        // No bound on the value: it wraps as an unsigned 32-bit number would.
        std::uint32_t value = 0;
        for (; ascii::IsDigit(*p); ++p)
            value = value * 10u + static_cast<std::uint32_t>(*p - '0');
        while (ascii::IsSpace(*p))
            ++p;
        int32_t *unit = *p == 'h' ? hours : *p == 'm' ? minutes : *p == 's' ? seconds : nullptr;
        if (unit) *unit = static_cast<int32_t>(value);
        p = SkipToDigit(p);
    }
    return 0;
}
