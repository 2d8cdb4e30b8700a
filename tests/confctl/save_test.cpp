// A save replaces the file through a new file beside it, never by rewriting
// it in place, and clears away the new files of saves that were killed.
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using confctltest::Confctl;
using confctltest::FolderEntries;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

TEST(ConfctlSave, AFolderThatTakesNoNewFileRefusesTheEdit) {
    TempDir dir, bin;
    const std::vector<std::string> nobody = confctltest::AsNobody(bin);
    if (nobody.empty()) GTEST_SKIP() << "needs root and setpriv to run confctl as another user";
    const std::string file = dir.File("proxy.conf"), text = "Port 80\r\nPass /a/*\r\n";
    WriteFile(file, text);
    WriteFile(file + ".lock", "");
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0); // the file itself may be written
    auto add = Confctl({"add", file, "pass", "Pass /b/*"}, {}, nobody);
    EXPECT_EQ(add.status, 2);
    EXPECT_EQ(add.err, "confctl: " + std::filesystem::canonical(dir.path()).string() +
                           ": the folder cannot be written (Permission denied), and a save that "
                           "rewrote " +
                           file + " in place could not survive a crash; nothing written\n");
    EXPECT_EQ(ReadFile(file), text);
    EXPECT_EQ(Confctl({"add", file, "pass", "Pass /b/*", "--dry-run"}, {}, nobody).status, 0);
}

// Leftovers of processes that ended go; those of running processes (for
// another user kill(2) answers EPERM) and other names stay.
TEST(ConfctlSave, ASaveRemovesTheNewFilesOfEndedSaves) {
    TempDir dir, bin;
    const std::vector<std::string> nobody = confctltest::AsNobody(bin);
    if (!nobody.empty()) {
        ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    }
    const std::string file = dir.File("p.conf");
    WriteFile(file, "Port 80\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    std::fflush(nullptr);
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_EQ(confctltest::WaitStatus(ended), 0);
    const std::string gone = std::to_string(ended);
    for (const std::string &name : {".p.conf." + gone + ".1.tmp", ".p.conf." + gone + ".27.tmp"})
        WriteFile(dir.File(name), "half");
    std::vector<std::string> kept = {".p.conf.1.2.tmp", ".p.conf." + gone + ".x.tmp",
                                     ".p.conf." + gone + ".1.tmp~", ".q.conf." + gone + ".1.tmp",
                                     "p.conf." + gone + ".1.tmp"};
    for (const std::string &name : kept)
        WriteFile(dir.File(name), "other");
    auto add = Confctl({"add", file, "pass", "Pass /b/*"}, {}, nobody);
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(ReadFile(file), "Port 80\r\nPass /b/*\r\n");
    kept.insert(kept.end(), {"p.conf", "p.conf.history", "p.conf.lock"});
    std::vector<std::string> entries = FolderEntries(dir.path());
    std::sort(kept.begin(), kept.end());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, kept);
}

} // namespace
