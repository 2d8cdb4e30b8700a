// Replacing a file with exact bytes: the in-place rewrite happens only when
// the caller allows it, and the names of the new files tell their process.
#include "platform/files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef ReplaceFile
#undef ReplaceFile // windows.h takes the name for its own call
#endif

namespace {

using namespace confkit::platform;

std::string gMadeName;
int RefuseNewFile(const std::string &name, bool) {
    gMadeName = name;
    errno = EACCES;
    return -1;
}

TEST(ReplaceFile, AFolderThatTakesNoNewFileIsRewrittenInPlaceOnlyWhenAllowed) {
    testsupport::TempDir dir;
    const std::string path = dir.File("p.conf");
    const FileCalls system = Calls();
    Calls().create_new = &RefuseNewFile;
    const struct {
        InPlace in_place;
        Replaced expected;
        const char *bytes;
    } cases[] = {{InPlace::kRewrite, Replaced::kDone, "new\r\n"},
                 {InPlace::kRefuse, Replaced::kNoNewFile, "old\r\n"}};
    for (const auto &c : cases) {
        testsupport::WriteFile(path, "old\r\n");
        errno = 0;
        EXPECT_EQ(ReplaceFile(path, "new\r\n", nullptr, c.in_place), c.expected);
        if (c.expected == Replaced::kNoNewFile) {
            EXPECT_EQ(errno, EACCES);
        }
        EXPECT_EQ(testsupport::ReadFile(path), c.bytes);
        // The name the replacement tried is one whose process it tells.
        EXPECT_EQ(TemporaryOwner(path, gMadeName), os::ProcessId()) << gMadeName;
    }
    Calls() = system;
}

TEST(ReplaceFile, OnlyNamesOfNewFilesOfTheTargetTellAProcess) {
    const std::string target = "/d/p.conf", stem = os::TemporaryStem(target);
    const struct {
        std::string name;
        std::optional<unsigned long> owner;
    } cases[] = {
        {stem + ".12.3.tmp", 12},
        {stem + ".4294967295.1.tmp", 4294967295ul},
        {stem + ".12.tmp", std::nullopt},
        {stem + "..3.tmp", std::nullopt},
        {stem + ".12..tmp", std::nullopt},
        {stem + ".1x.3.tmp", std::nullopt},
        {stem + ".-1.3.tmp", std::nullopt},
        {stem + ".12.3.tmp~", std::nullopt},
        {stem + "x.12.3.tmp", std::nullopt},
        {stem + ".99999999999999999999.1.tmp", std::nullopt},
        {os::TemporaryStem("/d/q.conf") + ".12.3.tmp", std::nullopt},
        {os::TemporaryStem("/e/p.conf") + ".12.3.tmp", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TemporaryOwner(target, c.name), c.owner) << c.name;
}

} // namespace
