#include "form.h"

namespace admin {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes one name or value; false when an escape is malformed or yields NUL.
bool Unescape(std::string_view in, std::string &out, std::string &error) {
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%') {
            if (i + 2 >= in.size() || HexDigit(in[i + 1]) < 0 || HexDigit(in[i + 2]) < 0) {
                error = "a percent sign is not followed by two hexadecimal digits";
                return false;
            }
            const char byte = static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
            if (byte == '\0') {
                error = "the form holds a NUL byte";
                return false;
            }
            out += byte;
            i += 2;
        } else if (c == '\0') {
            error = "the form holds a NUL byte";
            return false;
        } else {
            out += c;
        }
    }
    return true;
}

} // namespace

bool Form::Has(std::string_view name) const {
    for (const auto &field : fields_)
        if (field.first == name) return true;
    return false;
}

std::optional<std::string> Form::Get(std::string_view name) const {
    for (const auto &field : fields_)
        if (field.first == name) return field.second;
    return std::nullopt;
}

std::vector<std::string> Form::All(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto &field : fields_)
        if (field.first == name) values.push_back(field.second);
    return values;
}

std::optional<Form> DecodeForm(std::string_view body, std::string &error) {
    Form form;
    std::size_t count = 0;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view piece = body.substr(0, amp);
        body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
        if (piece.empty()) continue;
        if (++count > kMaxFields) {
            error = "the form has too many fields";
            return std::nullopt;
        }
        const std::size_t eq = piece.find('=');
        std::string name, value;
        if (!Unescape(piece.substr(0, eq), name, error)) return std::nullopt;
        if (eq != std::string_view::npos && !Unescape(piece.substr(eq + 1), value, error))
            return std::nullopt;
        if (name.empty()) {
            error = "a form field has no name";
            return std::nullopt;
        }
        form.Add(std::move(name), std::move(value));
    }
    return form;
}

} // namespace admin
