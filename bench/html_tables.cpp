// Times GenTableItems over documents of 10,000 and 100,000 rules of one
// directive, with the rows printed to a file. Each row costs the same, so the
// 100,000 figure is about ten times the 10,000 one.
#include "confkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kRepeats = 3;

Line *NewLine(const char *text) {
    Line *line = LinesNew(1);
    if (!line) std::abort();
    std::snprintf(line->text, sizeof line->text, "%s", text);
    return line;
}

// n pass rules of five words, with another directive after every fourth one.
ConfigDocument *MakeDocument(int n) {
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    doc->path = strdup("bench.conf");
    Line *last = nullptr;
    char text[128];
    auto append = [&](const char *t) {
        Line *line = NewLine(t);
        if (last)
            LinesAdd(last, line);
        else
            doc->first = line;
        last = line;
    };
    for (int i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, "Pass /site%d/* /srv/site%d/* extra words # note\n", i, i);
        append(text);
        if (i % 4 == 3) append("Port 80\n");
    }
    append("");
    return doc;
}

void FreeDocument(ConfigDocument *doc) {
    LinesFree(doc->first);
    std::free(doc->path);
    std::free(doc);
}

// Runs GenTableItems with standard output sent to a file; returns the best
// time in milliseconds and the rows and bytes of the last run.
double TimeTable(ConfigDocument *doc, int32_t *rows, long *bytes) {
    char path[] = "/tmp/confkit-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) std::abort();
    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    double best = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) std::abort();
        dup2(fd, STDOUT_FILENO);
        auto start = std::chrono::steady_clock::now();
        *rows = GenTableItems("%s\n", "pass", 3, 1, doc);
        std::fflush(stdout);
        auto end = std::chrono::steady_clock::now();
        dup2(saved, STDOUT_FILENO);
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    *bytes = static_cast<long>(lseek(fd, 0, SEEK_END));
    close(saved);
    close(fd);
    unlink(path);
    return best;
}

// The query alone: copying the rules out and releasing them, which every
// generator does before it prints anything.
double TimeQuery(ConfigDocument *doc) {
    double best = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        auto start = std::chrono::steady_clock::now();
        LinesFree(HTTPDGetRules(doc, HTTPDRuleToID("pass")));
        auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
    }
    return best;
}

} // namespace

int main() {
    // Keep released heap memory in the process: otherwise every run hands the
    // copies' pages back to the system and faults them in again, and on a busy
    // machine that cost, not the generator's, dominates the figures.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_TOP_PAD, 256 << 20);
    std::printf("GenTableItems, rows printed to a file (best of %d runs)\n", kRepeats);
    double first = 0;
    for (int n : {10000, 100000}) {
        ConfigDocument *doc = MakeDocument(n);
        int32_t rows = 0;
        long bytes = 0;
        double ms = TimeTable(doc, &rows, &bytes);
        double query = TimeQuery(doc);
        FreeDocument(doc);
        if (first == 0) first = ms;
        std::printf(
            "  %6d rules: %8.2f ms  (%d rows, %ld bytes, x%.1f); the query alone %8.2f ms\n", n, ms,
            rows, bytes, ms / first, query);
    }
    return 0;
}
