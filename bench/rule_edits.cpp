// Times HTTPDRemoveRules, HTTPDAddRules and HTTPDReplaceRules on documents of
// 2,000 and 20,000 rules of one directive with a list of the same size (half
// of it rules the document holds, in other letter case and spacing, half new
// ones). Blocks stand between the rules, and headers without closing lines
// end the document, so the edits also tell block bodies from rules. With
// linear edits the 20,000 figure is about ten times the 2,000 one.
#include "confkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int32_t kPass = 160;
constexpr int kRepeats = 7;

Line *NewLine(const char *text) {
    Line *line = LinesNew(1);
    if (!line) std::abort();
    std::snprintf(line->text, sizeof line->text, "%s", text);
    return line;
}

// Appends a Line holding text after *last (or starts the list).
void Append(Line **first, Line **last, const char *text) {
    Line *line = NewLine(text);
    if (*last)
        LinesAdd(*last, line);
    else
        *first = line;
    *last = line;
}

// n pass rules, with another directive after every fourth one and a block
// holding a pass subdirective after every eighth; then n / 2 headers that no
// line closes.
ConfigDocument *MakeDocument(int n) {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    doc->path = strdup("bench.conf");
    Line *last = nullptr;
    char text[128];
    for (int i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, "Pass /site%d/* /srv/site%d/*\n", i, i);
        Append(&doc->first, &last, text);
        if (i % 4 == 3) Append(&doc->first, &last, "Port 80\n");
        if (i % 8 == 7) {
            Append(&doc->first, &last, "Protect /inner/* {\n");
            Append(&doc->first, &last, "  Pass /inner/*\n");
            Append(&doc->first, &last, "}\n");
        }
    }
    for (int i = 0; i < n / 2; ++i)
        Append(&doc->first, &last, "Member unclosed {\n");
    Append(&doc->first, &last, "");
    return doc;
}

// n list lines: every even one repeats a document rule (other case, other
// spacing, a comment), every odd one is new.
Line *MakeRuleList(int n) {
    Line *first = nullptr, *last = nullptr;
    char text[128];
    for (int i = 0; i < n; ++i) {
        if (i % 2 == 0)
            std::snprintf(text, sizeof text, "PASS\t/site%d/*  /SRV/site%d/* # x\n", i, i);
        else
            std::snprintf(text, sizeof text, "Pass /new%d/* /srv/new%d/*\n", i, i);
        Append(&first, &last, text);
    }
    return first;
}

void FreeDocument(ConfigDocument *doc) {
    LinesFree(doc->first);
    std::free(doc->path);
    std::free(doc);
}

// Scan is no edit: one HTTPDRuleMatch per document line and one RuleSame per
// list line, the least any edit must do. Its ratio shows how much of the
// growth comes from the memory the lines occupy rather than from the edits.
enum class Edit { Scan, Remove, Add, Replace };
const char *Name(Edit edit) {
    switch (edit) {
    case Edit::Scan:
        return "scan";
    case Edit::Remove:
        return "remove";
    case Edit::Add:
        return "add";
    case Edit::Replace:
        return "replace";
    }
    return "";
}

int Scan(const ConfigDocument *doc, const Line *list) {
    int found = 0;
    for (const Line *line = doc->first; line; line = line->next)
        found += HTTPDRuleMatch(line->text, kPass);
    for (const Line *line = list; line; line = line->next)
        found += RuleSame(line->text, "Pass");
    return found;
}

struct Times {
    double wall, cpu; // milliseconds
};

// The shortest of several runs of one edit, each over fresh copies of the
// document and list. Processor time is given beside wall time because the
// machine may be shared: other programs stretch the wall time of the long
// runs more than that of the short ones.
Times TimeEdit(Edit edit, int n) {
    Times best{1e300, 1e300};
    for (int r = 0; r < kRepeats; ++r) {
        ConfigDocument *doc = MakeDocument(n);
        Line *list = MakeRuleList(n);
        auto start = std::chrono::steady_clock::now();
        std::clock_t cpuStart = std::clock();
        switch (edit) {
        case Edit::Scan:
            if (Scan(doc, list) < 0) std::abort();
            break;
        case Edit::Remove:
            list = HTTPDRemoveRules(doc, kPass, list);
            break;
        case Edit::Add:
            HTTPDAddRules(doc, kPass, list);
            list = nullptr;
            break;
        case Edit::Replace:
            HTTPDReplaceRules(doc, kPass, list);
            list = nullptr;
            break;
        }
        std::clock_t cpuStop = std::clock();
        auto stop = std::chrono::steady_clock::now();
        best.wall =
            std::min(best.wall, std::chrono::duration<double, std::milli>(stop - start).count());
        best.cpu = std::min(best.cpu, 1000.0 * double(cpuStop - cpuStart) / CLOCKS_PER_SEC);
        LinesFree(list);
        FreeDocument(doc);
    }
    return best;
}

} // namespace

int main() {
    std::printf("%-8s %12s %12s %7s %12s %12s %7s\n", "edit", "2000 wall", "20000 wall", "ratio",
                "2000 cpu", "20000 cpu", "ratio");
    for (Edit edit : {Edit::Scan, Edit::Remove, Edit::Add, Edit::Replace}) {
        Times small = TimeEdit(edit, 2000);
        Times large = TimeEdit(edit, 20000);
        std::printf("%-8s %10.3fms %10.3fms %7.1f %10.3fms %10.3fms %7.1f\n", Name(edit),
                    small.wall, large.wall, large.wall / small.wall, small.cpu, large.cpu,
                    small.cpu > 0 ? large.cpu / small.cpu : 0.0);
    }
    return 0;
}
