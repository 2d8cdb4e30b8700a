/* A C99 program that uses the installed library the way an administration
 * program does: it finds the header and the library through pkg-config or
 * CMake's find_package, edits a document and prints a form value. */
#include <confkit.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv) {
    ConfigDocument *doc;
    Line *rules;
    int32_t pass = HTTPDRuleToID("Pass");
    if (argc < 2 || pass != 160) return 1;
    doc = HTTPDConfigOpen(argv[1]);
    if (!doc) return 2;
    rules = LinesNew(1);
    strcpy(rules->text, "Pass /new/* /srv/new/*\n");
    HTTPDAddRules(doc, pass, rules);
    GenTextField("<input value=\"%s\">\n", "Port", 2, 0, "80", doc);
    return HTTPDConfigClose(doc, 1) == 0 ? 0 : 3;
}
