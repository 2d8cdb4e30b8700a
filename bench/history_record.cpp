// Times recording a save in the configuration's history against the save's
// own write of the file, for files of N lines: the recording writes one
// copy of the bytes already in memory, hashes them and appends a log line,
// so it should cost about one more write of the file.
// Usage: history_record [N ...]   (default: 20000 200000)
#include "history.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string Generate(long n, const char *port) {
    std::string text = std::string("Port ") + port + "\r\n";
    for (long i = 1; i < n; ++i)
        text += "Pass /docs" + std::to_string(i) + "/* /srv/docs/" + std::to_string(i) + "/*\r\n";
    return text;
}

// The save's own write: a whole file, flushed to the disk.
void WriteSynced(const std::string &path, const std::string &bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) throw std::runtime_error("cannot write " + path);
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The best of a few rounds, so that one slow disk flush does not decide.
template <class F> Clock::duration Best(int rounds, F f) {
    Clock::duration best = Clock::duration::max();
    for (int i = 0; i < rounds; ++i) {
        const Clock::time_point start = Clock::now();
        f(i);
        best = std::min(best, Clock::now() - start);
    }
    return best;
}

void Run(long n) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("confkit-bench-history-" + std::to_string(n));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "proxy.conf").string();
    const std::string texts[] = {Generate(n, "80"), Generate(n, "81")};
    WriteSynced(path, texts[0]);
    history::History history(path);
    const auto write = [&](int i) { WriteSynced(path, texts[(i + 1) % 2]); };
    const Clock::duration alone = Best(5, write);
    WriteSynced(path, texts[0]);
    // Each round turns the file from one text into the other and records it.
    const Clock::duration recorded = Best(5, [&](int i) {
        history.Record(
            texts[i % 2], texts[(i + 1) % 2], {"bench", "history_record", "", "", 1, 1},
            [&] { write(i); }, [&](const std::string &b) { WriteSynced(path, b); });
    });
    std::printf("N=%-7ld bytes=%-9zu write=%8.2f ms  write+record=%8.2f ms  recording=%8.2f ms "
                "(%.2f writes)\n",
                n, texts[0].size(), Milliseconds(alone), Milliseconds(recorded),
                Milliseconds(recorded - alone),
                Milliseconds(recorded - alone) / Milliseconds(alone));
    std::filesystem::remove_all(folder);
}

} // namespace

int main(int argc, char **argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty()) sizes = {20000, 200000};
    try {
        for (long n : sizes)
            Run(n);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "history_record: %s\n", e.what());
        return 1;
    }
    return 0;
}
