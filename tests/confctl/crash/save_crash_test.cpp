// confctl killed at random points of its saves of a large file, from the
// moment its new file appears: the file is always the old bytes or the new,
// and the next save leaves nothing beside it but the lock.
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

#include <dirent.h>
#include <sched.h>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;
using confctltest::Confctl;
using testsupport::ReadFile;

// True while the process has a new file of p.conf in the folder.
bool SaveUnderWay(const std::string &folder, pid_t process) {
    const std::string prefix = ".p.conf." + std::to_string(process) + ".";
    std::unique_ptr<DIR, int (*)(DIR *)> entries(opendir(folder.c_str()), closedir);
    while (const dirent *entry = entries ? readdir(entries.get()) : nullptr)
        if (std::string(entry->d_name).rfind(prefix, 0) == 0) return true;
    return false;
}

// Starts the edit and polls until its save is under way; false when the
// process ended first (its status in status).
bool StartSave(const std::vector<std::string> &edit, const std::string &folder, pid_t &child,
               int &status) {
    child = confctltest::StartConfctl(edit);
    while (!SaveUnderWay(folder, child)) {
        int raw = 0;
        if (waitpid(child, &raw, WNOHANG) == child) {
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return false;
        }
        sched_yield(); // the child needs the processor more than this loop
    }
    return true;
}

TEST(ConfctlCrash, KilledSavesLeaveTheOldOrTheNewFile) {
    testsupport::TempDir dir;
    const std::string folder = dir.File("conf"), file = folder + "/p.conf";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.File("tmp").c_str(), 0755), 0);
    // Previews killed on the way stay in the test's own folder.
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string savedTmpdir = tmpdir ? tmpdir : "";
    setenv("TMPDIR", dir.File("tmp").c_str(), 1);
    std::string old;
    for (int i = 0; i < 20000; ++i)
        old += "Pass /r" + std::to_string(i) + "/* /srv/r" + std::to_string(i) + "/*\r\n";
    testsupport::WriteFile(file, old);
    const std::vector<std::string> add = {"add", file, "pass", "Pass /new/*"};
    const std::vector<std::string> remove = {"remove", file, "pass", "Pass /new/*"};
    const auto nextEdit = [&] { return ReadFile(file) == old ? add : remove; };

    // One save measured from its new file to its end sets the window. On a
    // busy machine the poll can miss a short save: the edit is then undone
    // and tried again.
    pid_t child = -1;
    int status = -1;
    for (int tries = 1; !StartSave(add, folder, child, status); ++tries) {
        ASSERT_EQ(status, 0);
        ASSERT_EQ(Confctl(remove).status, 0);
        ASSERT_LT(tries, 50);
    }
    const Clock::time_point seen = Clock::now();
    ASSERT_EQ(confctltest::WaitStatus(child), 0);
    const Clock::duration window = (Clock::now() - seen) * 5 / 4;
    const std::string added = ReadFile(file);
    ASSERT_NE(added, old);
    ASSERT_EQ(Confctl(remove).status, 0);
    ASSERT_EQ(ReadFile(file), old);

    std::mt19937 random(23);
    std::uniform_int_distribution<Clock::rep> delay(0, window.count());
    int kills = 0, killedBefore = 0, killedAfter = 0, done = 0;
    for (int attempt = 0; attempt < 400 && kills < 100; ++attempt) {
        const std::string before = ReadFile(file);
        if (StartSave(nextEdit(), folder, child, status)) {
            const Clock::time_point at = Clock::now() + Clock::duration(delay(random));
            while (Clock::now() < at) { // the moment of the kill, without sleeping
            }
            kill(child, SIGKILL);
            status = confctltest::WaitStatus(child);
            kills += status == 128 + SIGKILL;
        }
        const bool changed = ReadFile(file) != before;
        (status == 0 ? done : changed ? killedAfter : killedBefore) += 1;
        EXPECT_TRUE(status == 0 || status == 128 + SIGKILL) << attempt << ": " << status;
        const std::string now = ReadFile(file);
        ASSERT_TRUE(now == before || now == (before == old ? added : old))
            << attempt << ": " << now.size() << " bytes";
        if (attempt % 10 == 9) {
            ASSERT_EQ(Confctl(nextEdit()).status, 0);
            EXPECT_EQ(confctltest::FolderEntries(folder),
                      (std::vector<std::string>{"p.conf", "p.conf.history", "p.conf.lock"}))
                << attempt;
            // What a killed save left of its revision is removed; the chain holds.
            EXPECT_EQ(Confctl({"history", "verify", file}).status, 0) << attempt;
        }
    }
    EXPECT_GE(kills, 100);
    // The kills fell on both sides of the moment the new file takes its place.
    EXPECT_GT(killedBefore, 0);
    EXPECT_GT(killedAfter + done, 0);
    ASSERT_EQ(Confctl(nextEdit()).status, 0);
    EXPECT_EQ(confctltest::FolderEntries(folder),
              (std::vector<std::string>{"p.conf", "p.conf.history", "p.conf.lock"}));
    if (tmpdir)
        setenv("TMPDIR", savedTmpdir.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

} // namespace
