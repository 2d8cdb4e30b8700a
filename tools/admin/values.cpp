#include "values.h"

#include "http.h"

#include "confkit.h"


namespace admin {
namespace {

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

void Refuse(const std::string &label, const std::string &what) {
    BadRequest("the field " + label + " " + what);
}

void CheckCharacters(const std::string &label, const std::string &value, const char *forbidden) {
    for (char c : value) {
        if (IsControl(c)) Refuse(label, "holds a control character");
        if (std::string(forbidden).find(c) != std::string::npos)
            Refuse(label, std::string("must not hold the character ") + c);
    }
}

// A line of the document holds at most this many characters before its "\n".
constexpr std::size_t kLineChars = CONFKIT_LINE_SIZE - 6;

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::string Trim(const std::string &value) {
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

std::string Word(const std::string &label, const std::string &value) {
    std::string word = Trim(value);
    CheckCharacters(label, word, "#{}<>\"");
    if (word.find_first_of(" \t") != std::string::npos) Refuse(label, "must be a single word");
    if (word.size() > kLineChars / 2) Refuse(label, "is too long");
    return word;
}

std::string Text(const std::string &label, const std::string &value) {
    std::string text = Trim(value);
    CheckCharacters(label, text, "{}<>\"");
    if (text.size() > kLineChars / 2) Refuse(label, "is too long");
    return text;
}

std::string Quotable(const std::string &label, const std::string &value) {
    std::string text = Trim(value);
    CheckCharacters(label, text, "{}()<>\"");
    if (text.size() > kLineChars / 2) Refuse(label, "is too long");
    return text;
}

void CheckRuleLine(const std::string &label, const std::string &line) {
    for (char c : line) {
        if (IsControl(c) && c != '\t') Refuse(label, "holds a control character");
        if (c == '<' || c == '>') Refuse(label, std::string("must not hold the character ") + c);
    }
    if (line.size() > kLineChars) Refuse(label, "holds a line too long for the file");
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
