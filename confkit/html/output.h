// How the HTML generators print: through a caller's line template, to the
// process's standard output, and the numbers of their rows. The rules they
// print are looked up with html/rule_lookup.h. Private to the library.
#ifndef CONFKIT_HTML_OUTPUT_H
#define CONFKIT_HTML_OUTPUT_H

#include "confkit.h"

#include <string>
#include <string_view>

namespace confkit {

// Writes bytes to the process's standard output (the C library's stdout, the
// stream the calling program's own printf uses), so the order of calls holds.
void Emit(std::string_view bytes);

// A line template cut at its value slot. Templates are never handed to printf:
// the first "%s" is the slot, "%%" stands for "%", and every other "%" (a
// second "%s" included) stays as it is written.
struct LineTemplate {
    std::string before; // the whole expanded template when it has no slot
    std::string after;
    bool hasSlot = false;
    bool isNull = false; // a null template prints nothing at all
};
LineTemplate ParseTemplate(const char *tmpl);

// Prints a parsed template with value in its slot (nothing for a null value).
void PrintThrough(const LineTemplate &tmpl, const char *value);
void PrintThrough(const LineTemplate &tmpl, std::string_view value);
// The same for a raw template, for one-off prints.
void PrintThrough(const char *tmpl, std::string_view value);

// Row building.
void AppendNumber(std::string &out, long long n);

} // namespace confkit

#endif
