// Editors take turns on one file through the lock beside it, readers need no
// more rights than reading, and nothing is made beside a missing file.
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(ConfctlLock, ConcurrentEditorsLoseNothing) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\nPass /base/*\r\n");
    constexpr int kWriters = 20;
    std::vector<std::string> rules;
    std::vector<pid_t> writers;
    for (int i = 0; i < kWriters; ++i)
        rules.push_back("Pass /w" + std::to_string(i) + "/*");
    for (const std::string &rule : rules)
        writers.push_back(confctltest::StartConfctl({"add", file, "pass", rule}));
    std::vector<int> statuses;
    for (pid_t writer : writers)
        statuses.push_back(confctltest::WaitStatus(writer));
    std::string present = Confctl({"rules", file, "pass"}).out;
    for (int i = 0; i < kWriters; ++i) {
        // A writer either succeeded and its rule is there, or failed and said so.
        bool there = present.find(rules[i] + "\n") != std::string::npos;
        EXPECT_TRUE((statuses[i] == 0 && there) || (statuses[i] == 2 && !there))
            << rules[i] << " status " << statuses[i];
    }
    EXPECT_NE(present.find("Pass /base/*\n"), std::string::npos);
}

TEST(ConfctlLock, NothingIsMadeBesideAMissingFile) {
    TempDir dir;
    std::string missing = dir.File("missing.conf");
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"add", missing, "pass", "Pass /a/*"},
          {"protect", "delete", missing, "x"},
          {"check", missing},
          {"render", missing}}) {
        auto run = Confctl(args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.err, "confctl: " + missing + ": No such file or directory\n");
    }
    EXPECT_EQ(confctltest::FolderEntries(dir.path()), std::vector<std::string>{});
}

// A reader that may not write the folder, nor open a lock file another user
// made, still reads; an editor without those rights fails and changes nothing.
TEST(ConfctlLock, ReadersNeedOnlyReadRights) {
    if (geteuid() != 0 || access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs root and setpriv to run confctl as another user";
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    const std::string text = "Port 80\r\nPass /a/*\r\n";
    WriteFile(file, text);
    WriteFile(file + ".lock", "");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((file + ".lock").c_str(), 0600), 0);
    const std::vector<std::string> nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                             "--clear-groups"};

    auto rules = Confctl({"rules", file, "pass"}, {}, nobody);
    EXPECT_EQ(rules.status, 0) << rules.err;
    EXPECT_EQ(rules.out, "Pass /a/*\n");
    EXPECT_EQ(Confctl({"check", file}, {}, nobody).status, 0);

    auto add = Confctl({"add", file, "pass", "Pass /b/*"}, {}, nobody);
    EXPECT_EQ(add.status, 2);
    EXPECT_EQ(add.err, "confctl: " + file + ".lock: Permission denied\n");
    EXPECT_EQ(ReadFile(file), text);
}

} // namespace
