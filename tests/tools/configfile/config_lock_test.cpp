// The lock protocol's resolution of a path: every path to one file, through
// symbolic links to the file or to its folder, takes the one lock beside the
// file itself, and a second writer is refused while the first holds it.
#include "config_lock.h"
#include "files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::vector<std::string> SortedEntries(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ConfigLock, EveryPathToAFileTakesTheLockBesideIt) {
    TempDir dir;
    const std::string home = std::filesystem::canonical(dir.path()).string();
    ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755), 0);
    WriteFile(dir.File("real/real.conf"), "Port 80\r\n");
    ASSERT_EQ(symlink(dir.File("real/real.conf").c_str(), dir.File("link.conf").c_str()), 0);
    ASSERT_EQ(symlink("real/real.conf", dir.File("relative.conf").c_str()), 0);
    ASSERT_EQ(symlink("link.conf", dir.File("chain.conf").c_str()), 0);
    ASSERT_EQ(symlink("real", dir.File("folder").c_str()), 0);
    const std::string lock = home + "/real/real.conf.lock";
    configlock::ConfigLock held(dir.File("real/real.conf"), configlock::Mode::Write);
    EXPECT_EQ(held.target(), home + "/real/real.conf");
    for (const char *path : {"real/real.conf", "link.conf", "relative.conf", "chain.conf",
                             "folder/real.conf", "folder/../real/real.conf"}) {
        EXPECT_EQ(configlock::LockPath(dir.File(path)), lock) << path;
        try {
            configlock::ConfigLock second(dir.File(path), configlock::Mode::Write,
                                          std::chrono::seconds(0));
            ADD_FAILURE() << path << " took a second exclusive lock";
        } catch (const configlock::LockBusy &busy) {
            EXPECT_EQ(busy.what(), lock + ": still locked by another program after 0 s; "
                                          "nothing was done")
                << path;
        }
    }
    EXPECT_EQ(SortedEntries(dir.File("real")),
              (std::vector<std::string>{"real.conf", "real.conf.lock"}));
}

} // namespace
