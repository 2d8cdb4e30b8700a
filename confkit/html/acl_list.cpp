// Rows of an access-control list file: lines of fields separated by ":",
// the first three fields of a line shown as one table row.
#include "html/output.h"

#include "internal.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace confkit {
namespace {

// A field is printed as a C text would be: up to its first NUL byte.
void EmitField(const std::string &field) {
    Emit(field.c_str());
}

// Reads the stream to its end and prints the rows; n counts rows started.
void PrintAclRows(std::FILE *stream, int32_t &n) {
    std::string field;
    int colons = 0;
    for (int c; (c = std::getc(stream)) != EOF;) {
        if (c == '"' || c == '(' || c == ')') continue;
        if (c == ':') {
            ++colons;
            if (colons == 1) {
                std::string start = "<tr><td>";
                AppendNumber(start, ++n);
                start += "</td><td>";
                Emit(start);
                EmitField(field);
                Emit("</td>");
            } else if (colons == 2) {
                Emit("<td>");
                EmitField(field);
                Emit("</td>");
            }
            field.clear();
        } else if (c == '\n') {
            if (colons == 2) {
                Emit("<td>");
                EmitField(field);
                Emit("</td></tr>");
            }
            colons = 0;
            field.clear();
        } else {
            field.push_back(static_cast<char>(c));
        }
    }
}

} // namespace
} // namespace confkit

using namespace confkit;

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenAclList(const char *tmpl, FILE *stream) {
    if (!stream) {
        NoThrowVoid([&] { PrintThrough(tmpl, ""); });
        return 0;
    }
    int32_t n = 0;
    NoThrowVoid([&] { PrintAclRows(stream, n); });
    return n;
}
