// The run's outcomes when memory runs out.
#include "allocation.h"
#include "installation.h"
#include "migration.h"

#include <gtest/gtest.h>

#include <cstdlib>

using cfgmigrate_test::FileExists;
using cfgmigrate_test::Installation;
using cfgmigrate_test::ReadFile;
using cfgmigrate_test::RegistryFileInUse;

namespace {

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
