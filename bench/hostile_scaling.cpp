// Scaling of every export on hostile documents: each operation runs on a
// document of N lines and one of 10 N lines, and the table shows the time
// ratio (near 10 when the cost is linear, near 100 when it is quadratic).
#include "confkit.h"
#include "every_export.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Opens text written to a new file, which the document keeps as its path
// (the file operations read and write it).
ConfigDocument *Open(const std::string &text) {
    char path[] = "/tmp/confkit-scaling-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::abort();
    close(fd);
    ConfigDocument *doc = HTTPDConfigOpen(path);
    if (!doc) std::abort();
    return doc;
}

// The benchmark's arguments: names that no block has, so that lookups run
// through the whole document; a failed check is reported.
class BenchArgs : public everyexport::FixedArgs {
  public:
    BenchArgs() : FixedArgs("nosuch", "v") {}
    void Check(bool ok, const char *what) override {
        if (!ok) std::fprintf(stderr, "check failed: %s\n", what);
    }
};

double OnceSeconds(const everyexport::Operation &op, const std::string &text) {
    ConfigDocument *doc = Open(text);
    const std::string path = doc->path;
    auto start = std::chrono::steady_clock::now();
    BenchArgs args;
    op.run(doc, args);
    std::fflush(stdout);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    HTTPDConfigClose(doc, 0);
    unlink(path.c_str());
    return s;
}

// Best of three runs, each on a freshly opened document.
double Seconds(const everyexport::Operation &op, int lines) {
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
    for (const everyexport::Operation &op : everyexport::Operations()) {
        double a = Seconds(op, small), b = Seconds(op, small * 10);
        std::fprintf(stderr, "%-32s %12.3f %12.3f %8.1f\n", op.name, a * 1e3, b * 1e3,
                     a > 0 ? b / a : 0);
    }
    return 0;
}
