// Times opening and writing back a generated configuration file of N lines.
// Usage: open_write [N ...]   (default: 10000 100000)
#include "confkit.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A configuration of about n lines in the mix a real file has: rules,
// comments, blank lines and small blocks, with CR LF line ends.
std::string Generate(long n) {
    std::string text;
    text.reserve(static_cast<std::size_t>(n) * 32);
    for (long i = 0; i < n; ++i) {
        switch (i % 8) {
        case 0:
            text += "# section " + std::to_string(i) + "\r\n";
            break;
        case 1:
            text += "Pass /docs" + std::to_string(i) + "/* /srv/docs/*\r\n";
            break;
        case 2:
            text += "Protection setup" + std::to_string(i) + " {\r\n";
            break;
        case 3:
            text += "   UserID=nobody\r\n";
            break;
        case 4:
            text += "}\r\n";
            break;
        case 5:
            text += "\r\n";
            break;
        case 6:
            text += "Proxy http://h" + std::to_string(i) + "/* http://x/*\r\n";
            break;
        default:
            text += "CacheSize 100 M\r\n";
            break;
        }
    }
    return text;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool Run(long n) {
    char path[] = "/tmp/confkit-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return false;
    const std::string text = Generate(n);
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written) return false;

    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    ConfigDocument *doc = HTTPDConfigOpen(path);
    const auto t1 = Clock::now();
    if (!doc) return false;
    long lines = 0;
    for (const Line *l = doc->first; l; l = l->next)
        ++lines;
    const auto t2 = Clock::now();
    const int result = HTTPDConfigWrite(doc);
    const auto t3 = Clock::now();
    HTTPDConfigClose(doc, 0);
    unlink(path);
    std::printf(
        "N=%-8ld bytes=%-9zu Lines=%-8ld open=%9.3f ms  write=%9.3f ms  (write result %d)\n", n,
        text.size(), lines, Milliseconds(t1 - t0), Milliseconds(t3 - t2), result);
    return result == 0;
}

} // namespace

int main(int argc, char **argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {10000, 100000};
    bool ok = true;
    for (long n : sizes)
        ok = Run(n) && ok;
    return ok ? 0 : 1;
}
