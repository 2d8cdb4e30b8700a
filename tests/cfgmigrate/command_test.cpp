// Running a command line through the command interpreter.
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace pf = cfgmigrate::platform;

namespace {

TEST(Command, ExitStatusOrMinusOne) {
    EXPECT_EQ(pf::RunCommand("exit 0"), 0);
    EXPECT_EQ(pf::RunCommand("exit 7"), 7);
    EXPECT_EQ(pf::RunCommand("true; exit 255"), 255);
    // The interpreter itself ended by a signal did not exit.
    EXPECT_EQ(pf::RunCommand("kill -KILL $$"), -1);
}

} // namespace
