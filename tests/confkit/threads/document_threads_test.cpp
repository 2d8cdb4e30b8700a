// Documents opened, edited and written on several threads at once: what the
// library remembers of the file each was read from is shared by them all,
// and must neither race nor mix one document's file up with another's.
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

void EditOwnFile(const std::string &path, std::atomic<int> &failures) {
    for (int i = 0; i < 20; ++i) {
        ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
        const std::string line = "Pass /" + std::to_string(i) + " /x\n";
        if (!doc || !LinesAddStr(nullptr, doc, line.c_str(), 0)) ++failures;
        if (HTTPDConfigClose(doc, 1) != 0) ++failures;
    }
}

TEST(Threads, DocumentsOpenedAndWrittenOnSeveralThreadsAtOnce) {
    testsupport::TempDir dir;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(EditOwnFile, dir.File(std::to_string(t) + ".conf"),
                             std::ref(failures));
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    std::string want;
    for (int i = 0; i < 20; ++i)
        want += "Pass /" + std::to_string(i) + " /x\r\n";
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(testsupport::ReadFile(dir.File(std::to_string(t) + ".conf")), want) << t;
}

} // namespace
