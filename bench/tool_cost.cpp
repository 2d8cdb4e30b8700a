// Times what confctl costs on large files against the library's own open
// plus write: `confctl add` (a save, recorded in the file's history as by
// default), `confctl check` and `confctl render`, each run as the built
// program, on generated files of N lines. Every figure is of a child process
// of its own, the library's open plus write too (this program run again), so
// that wall time, processor time and peak memory compare. The best time of a
// few rounds is shown, with that round's processor time and peak memory.
// Usage: tool_cost [N ...]   (default: 20000 200000)
#include "confkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
constexpr const char *kOpenWrite = "--open-write";

// A configuration of n lines in the mix a real file has, about 37 bytes a
// line: rules, comments, blank lines and small blocks, with CR LF line ends.
// Each "#" of a pattern is the line's number.
std::string Generate(long n) {
    static const char *const kPatterns[] = {
        "# section #: the documents of host #, kept as they were",
        "Pass /documents/#/* /srv/www/documents/#/*",
        "Protection setup#-documents {",
        "   UserID=nobody GroupID=nogroup",
        "}",
        "",
        "Proxy http://host#.example/* http://cache.example/*",
        "CacheSize 100 M    (the cache of this host)",
    };
    std::string text;
    text.reserve(static_cast<std::size_t>(n) * 40);
    for (long i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        for (const char *c = kPatterns[i % 8]; *c; ++c)
            text += *c == '#' && c[1] != ' ' ? k : std::string(1, *c);
        text += "\r\n";
    }
    return text;
}

struct Cost {
    double seconds = 1e9; // wall time
    double cpu = 0;       // user and system time
    double megabytes = 0; // peak resident memory
};

double Seconds(const timeval &t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// Runs argv in a child with its output thrown away; the child's own wall
// time, processor time and peak memory, from wait4. Exits on a status
// outside accepted.
Cost RunChild(const std::vector<std::string> &args, std::vector<int> accepted = {0}) {
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        std::perror("tool_cost: child");
        std::exit(2);
    }
    Cost cost;
    cost.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cost.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    cost.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    if (!WIFEXITED(status) ||
        std::find(accepted.begin(), accepted.end(), WEXITSTATUS(status)) == accepted.end()) {
        std::fprintf(stderr, "tool_cost: %s %s failed (status %d)\n", args[0].c_str(),
                     args[1].c_str(), status);
        std::exit(2);
    }
    return cost;
}

void WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Print(const char *what, const Cost &cost, const Cost &base) {
    std::printf("  %-12s %7.3f s %7.3f s cpu %7.1f MB   (%4.2fx time, %4.2fx cpu, %4.2fx memory)\n",
                what, cost.seconds, cost.cpu, cost.megabytes, cost.seconds / base.seconds,
                cost.cpu / base.cpu, cost.megabytes / base.megabytes);
}

void Run(const std::string &self, long n) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("confkit-bench-tools-" + std::to_string(n));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "proxy.conf").string();
    const std::string text = Generate(n);
    // The programs take turns in each round, so that a busy moment of the
    // machine does not fall on one of them alone; each keeps its best round.
    Cost base, add, check, render;
    const auto keep = [](Cost &best, const Cost &cost) {
        if (cost.seconds < best.seconds) best = cost;
    };
    for (int round = 0; round < kRounds; ++round) {
        WriteFile(path, text);
        keep(base, RunChild({self, kOpenWrite, path}));
        keep(check, RunChild({CONFCTL_PROGRAM, "check", path}, {0, 1}));
        keep(render, RunChild({CONFCTL_PROGRAM, "render", path}));
        // A rule of the round's own, added to the file as generated; the
        // history kept from the rounds before records it as a later revision.
        keep(add, RunChild({CONFCTL_PROGRAM, "add", path, "Pass",
                            "Pass /bench" + std::to_string(round) + "/* /srv/bench/*"}));
    }
    std::printf("N=%ld lines, %zu bytes\n", n, text.size());
    std::printf("  %-12s %7.3f s %7.3f s cpu %7.1f MB\n", "open+write", base.seconds, base.cpu,
                base.megabytes);
    Print("confctl add", add, base);
    Print("check", check, base);
    Print("render", render, base);
    std::filesystem::remove_all(folder);
}

// The library's open and write of the file, in this child process.
int OpenWrite(const char *path) {
    ConfigDocument *doc = HTTPDConfigOpen(path);
    if (!doc) return 1;
    return HTTPDConfigClose(doc, 1) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], kOpenWrite) == 0) return OpenWrite(argv[2]);
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {20000, 200000};
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::printf("tool_cost: the best of %d runs of each: wall time, processor time, peak memory\n",
                kRounds);
    for (long n : sizes)
        Run(self, n);
    return 0;
}
