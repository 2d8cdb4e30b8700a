// Editors take turns on one file through the lock beside it, whatever path
// they reach it by; readers need no more rights than reading; nothing is
// made beside a missing file or one that is no regular file, and a lock
// file that is not a regular file is never used.
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

#include <sys/file.h>
#include <sys/stat.h>

using confctltest::Confctl;
using confctltest::FolderEntries;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// Writers started at once, the i-th through paths[i % paths.size()]: each
// either succeeded and its rule is there, or failed and said so; the
// history holds revision 0 and one consecutive revision per success, in a
// chain that holds.
void ExpectEverySuccessKept(const std::vector<std::string> &paths, int writers) {
    std::vector<std::string> rules;
    std::vector<pid_t> started;
    for (int i = 0; i < writers; ++i) {
        rules.push_back("Pass /w" + std::to_string(i) + "/*");
        started.push_back(confctltest::StartConfctl(
            {"add", paths[i % paths.size()], "pass", rules.back(), "--wait", "120"}));
    }
    std::vector<int> statuses;
    for (pid_t writer : started)
        statuses.push_back(confctltest::WaitStatus(writer));
    std::string present = Confctl({"rules", paths.front(), "pass"}).out;
    for (int i = 0; i < writers; ++i) {
        bool there = present.find(rules[i] + "\n") != std::string::npos;
        EXPECT_TRUE((statuses[i] == 0 && there) || (statuses[i] == 2 && !there))
            << rules[i] << " status " << statuses[i];
    }
    EXPECT_NE(present.find("Pass /base/*\n"), std::string::npos);
    const auto successes =
        static_cast<std::size_t>(std::count(statuses.begin(), statuses.end(), 0));
    const nlohmann::json revisions = nlohmann::json::parse(
        Confctl({"history", "list", paths.back(), "--json"}).out)["revisions"];
    ASSERT_EQ(revisions.size(), successes + 1);
    for (std::size_t i = 0; i < revisions.size(); ++i)
        EXPECT_EQ(revisions[i]["number"], successes - i); // newest first
    EXPECT_EQ(Confctl({"history", "verify", paths.front()}).status, 0);
}

TEST(ConfctlLock, ConcurrentEditorsLoseNothing) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\r\nPass /base/*\r\n");
    ExpectEverySuccessKept({file}, 20);
}

TEST(ConfctlLock, EditorsThroughALinkAndTheRealPathLoseNothing) {
    TempDir dir;
    std::string real = dir.File("real.conf"), link = dir.File("link.conf");
    WriteFile(real, "Port 80\r\nPass /base/*\r\n");
    ASSERT_EQ(symlink("real.conf", link.c_str()), 0);
    ExpectEverySuccessKept({link, real}, 50);
    EXPECT_EQ(FolderEntries(dir.path()),
              (std::vector<std::string>{"link.conf", "real.conf", "real.conf.history",
                                        "real.conf.lock"}));
}

// Another program holds the lock: the writer gives up after --wait seconds,
// naming the lock, and changes nothing.
TEST(ConfctlLock, AWriterWaitsNoLongerThanItIsTold) {
    TempDir dir;
    const std::string real = dir.File("real.conf"), text = "Port 80\r\n";
    WriteFile(real, text);
    ASSERT_EQ(symlink("real.conf", dir.File("link.conf").c_str()), 0);
    const int lock = open((real + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    auto add = Confctl({"add", dir.File("link.conf"), "pass", "Pass /a/*", "--wait", "0"});
    close(lock);
    EXPECT_EQ(add.status, 2);
    EXPECT_EQ(add.err, "confctl: " + std::filesystem::canonical(real).string() +
                           ".lock: still locked by another program after 0 s; nothing was done\n");
    EXPECT_EQ(ReadFile(real), text);
    EXPECT_EQ(Confctl({"add", real, "pass", "Pass /a/*", "--wait", "x"}).status, 2);
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
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{});
}

// A pipe, a folder or a device is refused before any lock is made for it.
TEST(ConfctlLock, NothingIsMadeBesideWhatIsNoRegularFile) {
    TempDir dir;
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
    ASSERT_EQ(mkdir(dir.File("folder").c_str(), 0755), 0);
    const bool devLock = testsupport::FileExists("/dev/zero.lock");
    for (const std::string &path : {dir.File("fifo"), dir.File("folder"), std::string("/dev/zero")})
        for (const std::vector<std::string> &args :
             {std::vector<std::string>{"add", path, "pass", "Pass /a/*"},
              {"rules", path, "pass"}}) {
            auto run = Confctl(args);
            EXPECT_EQ(run.status, 2) << args[0] << " " << path;
            EXPECT_EQ(run.err, "confctl: " + path + ": not a regular file\n") << args[0];
        }
    EXPECT_EQ(FolderEntries(dir.path()), (std::vector<std::string>{"fifo", "folder"}));
    if (!devLock) {
        EXPECT_FALSE(testsupport::FileExists("/dev/zero.lock"));
    }
}

// In a folder anyone may write, another user puts something else where the
// lock belongs: a writer refuses it and makes nothing through it, a reader
// reads without it.
TEST(ConfctlLock, ALockThatIsNoRegularFileIsRefused) {
    TempDir dir, bin;
    const std::vector<std::string> nobody = confctltest::AsNobody(bin);
    const std::string open = dir.File("open"), file = open + "/p.conf", victim = dir.File("victim");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(chmod(open.c_str(), 0777), 0); // not sticky
    const std::string text = "Port 80\r\nPass /a/*\r\n";
    WriteFile(file, text);
    const std::string plant = nobody.empty() ? ""
                                             : "setpriv --reuid=65534 --regid=65534 "
                                               "--clear-groups ";
    for (const std::string &how :
         {"ln -s '" + victim + "'", std::string("mkfifo"), std::string("mkdir")}) {
        std::system(("rm -rf '" + file + ".lock'").c_str());
        ASSERT_EQ(std::system((plant + how + " '" + file + ".lock'").c_str()), 0) << how;
        auto add = Confctl({"add", file, "pass", "Pass /b/*"});
        EXPECT_EQ(add.status, 2) << how;
        EXPECT_EQ(add.err, "confctl: " + file +
                               ".lock: is not a regular file (a symbolic link, a folder, a pipe "
                               "or a device); it cannot serve as the lock, remove it\n")
            << how;
        EXPECT_FALSE(testsupport::FileExists(victim)) << how;
        EXPECT_EQ(ReadFile(file), text);
        auto rules = Confctl({"rules", file, "pass"});
        EXPECT_EQ(rules.status, 0) << how << rules.err;
        EXPECT_EQ(rules.out, "Pass /a/*\n");
    }
}

// A reader that may not write the folder, nor open a lock file another user
// made, still reads; an editor without those rights fails, names the real
// cause and changes nothing.
TEST(ConfctlLock, ReadersNeedOnlyReadRights) {
    TempDir dir, bin;
    const std::vector<std::string> nobody = confctltest::AsNobody(bin);
    if (nobody.empty()) GTEST_SKIP() << "needs root and setpriv to run confctl as another user";
    std::string file = dir.File("proxy.conf");
    const std::string text = "Port 80\r\nPass /a/*\r\n";
    WriteFile(file, text);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    // No lock yet, and the folder takes no new file.
    auto first = Confctl({"add", file, "pass", "Pass /b/*"}, {}, nobody);
    EXPECT_EQ(first.status, 2);
    EXPECT_EQ(first.err, "confctl: " + file + ".lock: Permission denied\n");

    WriteFile(file + ".lock", "");
    ASSERT_EQ(chmod((file + ".lock").c_str(), 0600), 0);
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
