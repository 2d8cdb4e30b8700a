// Scaling of every export on hostile documents: each operation runs on a
// document of N lines and one of 10 N lines, and the table shows the time
// ratio (near 10 when the cost is linear, near 100 when it is quadratic).
#include "confkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Unclosed blocks, bare headers and rules, repeated to the wanted size.
std::string HostileText(int lines) {
    static const char *const kPieces[] = {"{\n",
                                          "Member m {\n",
                                          "DefinePicsRule \"R\" {\n",
                                          "Protect /x/* {\n",
                                          "Pass /a/* /b/*\n",
                                          "LDAPInfo R {\n",
                                          "          passurl (\n",
                                          "           Filter (a\n",
                                          "Enable MOVE\n",
                                          "}\n"};
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += kPieces[i % 10];
    return text;
}

ConfigDocument *Open(const std::string &text) {
    char path[] = "/tmp/confkit-scaling-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::abort();
    close(fd);
    ConfigDocument *doc = HTTPDConfigOpen(path);
    unlink(path);
    return doc;
}

Line *List(const char *a) {
    Line *l = LinesNew(1);
    std::snprintf(l->text, sizeof l->text, "%s", a);
    return l;
}

struct Operation {
    const char *name;
    std::function<void(ConfigDocument *)> run;
};

std::vector<Operation> Operations() {
    const char *row = "%s";
    return {
        {"HTTPDGetRules", [](ConfigDocument *d) { LinesFree(HTTPDGetRules(d, 160)); }},
        {"HTTPDRemoveRules",
         [](ConfigDocument *d) { LinesFree(HTTPDRemoveRules(d, 160, List("Pass /q\n"))); }},
        {"HTTPDAddRules", [](ConfigDocument *d) { HTTPDAddRules(d, 160, List("Pass /q\n")); }},
        {"HTTPDReplaceRules",
         [](ConfigDocument *d) { HTTPDReplaceRules(d, 90, List("Enable MOVE\n")); }},
        {"HTTPDGetProtectRule",
         [](ConfigDocument *d) { std::free(HTTPDGetProtectRule(d, "nosuch")); }},
        {"HTTPDPutProtectRule",
         [](ConfigDocument *d) {
             ProtectRule r{};
             r.Directive = const_cast<char *>("Protect");
             r.Template = const_cast<char *>("/new/*");
             r.SetupName = const_cast<char *>("s");
             HTTPDPutProtectRule(d, &r, "/x/*", 2);
         }},
        {"HTTPDDeleteProtectRule", [](ConfigDocument *d) { HTTPDDeleteProtectRule(d, "nosuch"); }},
        {"HTTPDGetLDAPRule", [](ConfigDocument *d) { std::free(HTTPDGetLDAPRule(d, "nosuch")); }},
        {"HTTPDPutMemberRule",
         [](ConfigDocument *d) {
             MemberRule r{};
             r.Name = const_cast<char *>("n");
             HTTPDPutMemberRule(d, &r, "m", 2);
         }},
        {"HTTPDGetPicsFilterRule",
         [](ConfigDocument *d) { std::free(HTTPDGetPicsFilterRule(d, "nosuch")); }},
        {"HTTPDPutPicsFilterRule",
         [](ConfigDocument *d) {
             PicsFilterRule r{const_cast<char *>("N"), nullptr, nullptr, nullptr, nullptr};
             HTTPDPutPicsFilterRule(d, &r, "nosuch", 2);
         }},
        {"HTTPDDeletePicsFilterRule",
         [](ConfigDocument *d) { HTTPDDeletePicsFilterRule(d, "nosuch"); }},
        {"HTTPDGetPicsFilterSubdirective",
         [](ConfigDocument *d) {
             std::vector<char *> v(4, nullptr);
             HTTPDGetPicsFilterSubdirective(d, "serviceinfo", v.data(), "nosuch");
         }},
        {"HTTPDPutFilterSubdirective",
         [](ConfigDocument *d) { HTTPDPutFilterSubdirective(d, "nosuch", "Filter x"); }},
        {"GenTableItems", [row](ConfigDocument *d) { GenTableItems(row, "Pass", 4, 0, d); }},
        {"GenMethTableItems", [row](ConfigDocument *d) { GenMethTableItems(row, d); }},
        {"GenSelectListItems", [row](ConfigDocument *d) { GenSelectListItems(row, "Pass", 1, d); }},
        {"GenProtectTableItems", [row](ConfigDocument *d) { GenProtectTableItems(row, d); }},
        {"GenMemberTableItems", [row](ConfigDocument *d) { GenMemberTableItems(row, d); }},
        {"GenPicsFilterTableItems", [row](ConfigDocument *d) { GenPicsFilterTableItems(row, d); }},
        {"GenPicsFilterSubTableItems",
         [row](ConfigDocument *d) { GenPicsFilterSubTableItems(row, "R", "passurl", d); }},
        {"SearchForHandler", [](ConfigDocument *d) { SearchForHandler("Enable", "nosuch", 2, d); }},
        {"HTTPDConfigWrite", [](ConfigDocument *d) { HTTPDConfigWrite(d); }},
    };
}

double OnceSeconds(const Operation &op, const std::string &text) {
    ConfigDocument *doc = Open(text);
    char out[] = "/tmp/confkit-scaling-out-XXXXXX";
    close(mkstemp(out));
    std::free(doc->path);
    doc->path = strdup(out);
    auto start = std::chrono::steady_clock::now();
    op.run(doc);
    std::fflush(stdout);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    HTTPDConfigClose(doc, 0);
    unlink(out);
    return s;
}

// Best of three runs, each on a freshly opened document.
double Seconds(const Operation &op, int lines) {
    const std::string text = HostileText(lines);
    double best = OnceSeconds(op, text);
    for (int i = 0; i < 2; ++i)
        best = std::min(best, OnceSeconds(op, text));
    return best;
}

} // namespace

int main(int argc, char **argv) {
    // Keep freed memory in the process: otherwise the large runs pay for the
    // kernel handing pages back and forth, which is no cost of the library.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    const int small = argc > 1 ? std::atoi(argv[1]) : 10000;
    // Generator output is thrown away; the table goes to standard error.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    std::fprintf(stderr, "%-32s %12s %12s %8s\n", "operation", "N ms", "10N ms", "ratio");
    for (const Operation &op : Operations()) {
        double a = Seconds(op, small), b = Seconds(op, small * 10);
        std::fprintf(stderr, "%-32s %12.3f %12.3f %8.1f\n", op.name, a * 1e3, b * 1e3,
                     a > 0 ? b / a : 0);
    }
    return 0;
}
