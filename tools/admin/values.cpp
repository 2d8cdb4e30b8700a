#include "values.h"

#include "http.h"

#include <utility>
#include <vector>

namespace admin {
namespace {

// What the shared check refuses, a tab where not allowed, and the characters
// of forbidden, each with the reason it is refused.
void CheckCharacters(const std::string &label, const std::string &value, bool tabAllowed,
                     const std::vector<std::pair<char, const char *>> &forbidden) {
    Check(valuecheck::CheckOneLine(label, value));
    for (char c : value) {
        if (!tabAllowed && c == '\t') BadRequest(label + ": holds a tab; this value holds none");
        for (const auto &[bad, why] : forbidden)
            if (c == bad) BadRequest(label + ": holds " + valuecheck::NameOf(c) + ", " + why);
    }
}

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

void Check(const std::optional<valuecheck::Refusal> &verdict) {
    if (verdict) BadRequest(verdict->Message());
}

std::string Trim(const std::string &value) {
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

std::string Word(const std::string &label, const std::string &value) {
    std::string word = Trim(value);
    CheckCharacters(label, word, true, {{'#', "which starts a comment"}});
    if (word.find_first_of(" \t") != std::string::npos)
        BadRequest(label + ": must be a single word");
    return word;
}

std::string Text(const std::string &label, const std::string &value) {
    std::string text = Trim(value);
    CheckCharacters(label, text, false, {});
    return text;
}

std::string Quotable(const std::string &label, const std::string &value) {
    std::string text = Trim(value);
    CheckCharacters(label, text, false, {{'"', "which would end the quoted text"}});
    return text;
}

void RequireRuleLine(const std::string &label, const std::string &line) {
    Check(valuecheck::CheckRuleLine(label, line));
}

std::string WithField(const std::string &rule, int n, const std::string &value, bool restOfLine) {
    std::size_t pos = 0;
    const std::size_t size = rule.size();
    while (pos < size && IsFieldSpace(rule[pos]))
        ++pos;
    for (int field = 1; field < n; ++field) {
        while (pos < size && !IsFieldSpace(rule[pos]) && !IsLineEnd(rule[pos]))
            ++pos;
        const std::size_t wordEnd = pos;
        while (pos < size && IsFieldSpace(rule[pos]))
            ++pos;
        if (pos == size || IsLineEnd(rule[pos])) {
            // Fewer fields than n: the value goes after the last word.
            return rule.substr(0, wordEnd) + " " + value + rule.substr(pos);
        }
    }
    std::size_t end = pos;
    if (restOfLine) {
        end = rule.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = size;
    } else {
        while (end < size && !IsFieldSpace(rule[end]) && !IsLineEnd(rule[end]))
            ++end;
    }
    return rule.substr(0, pos) + value + rule.substr(end);
}

} // namespace admin
