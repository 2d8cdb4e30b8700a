// Settings parsing, the command built from them, and the run's outcomes
// when memory runs out.
#include "allocation.h"
#include "installation.h"
#include "migration.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

using cfgmigrate::ApplySettingsLine;
using cfgmigrate::BuildChangeCommand;
using cfgmigrate::Settings;
using cfgmigrate::SettingsAreSafe;
using cfgmigrate_test::FileExists;
using cfgmigrate_test::Installation;
using cfgmigrate_test::ReadFile;
using cfgmigrate_test::RegistryFileInUse;

namespace {

Settings SettingsFrom(std::initializer_list<std::string_view> lines) {
    Settings settings;
    for (std::string_view line : lines)
        ApplySettingsLine(settings, line);
    return settings;
}

TEST(Settings, WordsAreSeparatedByBlanksOnly) {
    Settings s = SettingsFrom({"  port\t8080  extra words", "Logging\ton\r"});
    EXPECT_EQ(s.values[0], "8080");
    EXPECT_EQ(s.values[7], "on\r");
    EXPECT_FALSE(SettingsAreSafe(s));
    s = SettingsFrom({std::string_view("port 80\0 81", 11)});
    EXPECT_EQ(s.values[0], "80");
}

TEST(Settings, ValuesThatFitTheCommand) {
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"port " + std::string(29, '9')})));
    EXPECT_FALSE(SettingsAreSafe(SettingsFrom({"port " + std::string(30, '9')})));
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"Logging azAZ09.-_:/"})));
    for (char c : std::string("&|;<>()$`'\"\\*?~!%^=,+#[]{}\x7F\x80")) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(SettingsAreSafe(SettingsFrom({std::string("Logging a") + c})));
    }
    // Only values that reach the command count.
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"unknown $(reboot)&&" + std::string(40, 'x')})));
}

TEST(Settings, CommandTakesNonEmptySettingsInTableOrder) {
    EXPECT_EQ(BuildChangeCommand(Settings{}), "tarhttp cmd=change");
    Settings s = SettingsFrom({"logging on", "PORT 81", "persisttimeout 5", "port"});
    EXPECT_EQ(BuildChangeCommand(s), "tarhttp cmd=change PersistTimeout=5 Logging=on");
}

// Allocation number fail_at (from 1) fails; every other one succeeds.
int allocations = 0;
int fail_at = 0;
void *CountingAllocator(std::size_t count, std::size_t size) {
    return ++allocations == fail_at ? nullptr : std::calloc(count, size);
}

class OutOfMemory : public ::testing::Test {
  protected:
    void TearDown() override { cfgmigrate::SetZeroedAllocator(nullptr); }

    int RunFailingAt(int allocation) {
        allocations = 0;
        fail_at = allocation;
        cfgmigrate::SetZeroedAllocator(CountingAllocator);
        int status = cfgmigrate::RunMigration();
        cfgmigrate::SetZeroedAllocator(nullptr);
        return status;
    }

    Installation inst;
    RegistryFileInUse in_use{inst.RegistryFile()};
};

// The run allocates the map's path, the settings file's path, the map's
// path again, and the renamed file's path, in this order.
TEST_F(OutOfMemory, ForAPathEndsWithStatusTwoBeforeAnythingChanges) {
    EXPECT_EQ(RunFailingAt(2), cfgmigrate::kStatusNoMemory);
    EXPECT_EQ(RunFailingAt(4), cfgmigrate::kStatusNoMemory);
    EXPECT_EQ(allocations, 4);
    EXPECT_EQ(ReadFile(inst.SettingsFile()), "port 80\n");
    EXPECT_FALSE(FileExists(inst.OldSettingsFile()));
}

TEST_F(OutOfMemory, ForTheMapPathMeansTheFileIsNotLocated) {
    EXPECT_EQ(RunFailingAt(1), cfgmigrate::kStatusNotLocated);
    EXPECT_EQ(RunFailingAt(3), cfgmigrate::kStatusNotLocated);
    EXPECT_TRUE(FileExists(inst.SettingsFile()));
}

} // namespace
