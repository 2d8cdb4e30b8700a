// confctl on Windows: editors take turns through LockFileEx on the lock
// beside the file, whatever path (drive letter, backslashes or slashes)
// names it; a lock that is no regular file is refused; standard input and
// output carry bytes as they are.
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The lock file held as another program holds it, until destroyed.
class HeldLock {
  public:
    HeldLock(const std::string &lock, bool exclusive) {
        handle_ = CreateFileA(lock.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED at = {};
        locked_ = handle_ != INVALID_HANDLE_VALUE &&
                  LockFileEx(handle_, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, MAXDWORD,
                             MAXDWORD, &at);
    }
    ~HeldLock() { CloseHandle(handle_); }
    HeldLock(const HeldLock &) = delete;
    HeldLock &operator=(const HeldLock &) = delete;
    bool locked() const { return locked_; }

  private:
    HANDLE handle_;
    bool locked_ = false;
};

TEST(ConfctlWindowsLock, WritersWaitForAnyHolderAndReadersShareTheLock) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    WriteFile(file, "Pass /a/*\n");
    ASSERT_EQ(file.find(':'), 1u) << "a path with a drive letter: " << file;
    for (bool exclusive : {false, true}) {
        HeldLock held(Backslashed(file) + ".lock", exclusive);
        ASSERT_TRUE(held.locked());
        const confctltest::Result edit = Confctl({"add", file, "pass", "Pass /b/*", "--wait", "0"});
        EXPECT_EQ(edit.status, 2) << exclusive;
        EXPECT_NE(edit.err.find("still locked by another program"), std::string::npos) << edit.err;
        EXPECT_EQ(ReadFile(file), "Pass /a/*\n");
        if (exclusive) continue; // a reader would wait its 30 s
        const confctltest::Result read = Confctl({"rules", Backslashed(file), "pass"});
        EXPECT_EQ(read.status, 0) << read.err;
    }
    // Let go, the lock is free again, under either way of writing the path.
    EXPECT_EQ(Confctl({"add", Backslashed(file), "pass", "Pass /b/*", "--wait", "0"}).status, 0);
    EXPECT_EQ(ReadFile(file), "Pass /a/*\r\nPass /b/*\r\n"); // Windows line ends
    const nlohmann::json list =
        nlohmann::json::parse(Confctl({"history", "list", file, "--json"}).out);
    EXPECT_EQ(list["revisions"].size(), 2u);
}

TEST(ConfctlWindowsLock, ALockThatIsAFolderIsRefusedByWritersAndSkippedByReaders) {
    TempDir dir;
    const std::string file = Backslashed(dir.File("proxy.conf"));
    WriteFile(file, "Pass /a/*\n");
    ASSERT_TRUE(CreateDirectoryA((file + ".lock").c_str(), nullptr));
    const confctltest::Result edit = Confctl({"add", file, "pass", "Pass /b/*"});
    EXPECT_EQ(edit.status, 2);
    EXPECT_NE(edit.err.find("is not a regular file"), std::string::npos) << edit.err;
    EXPECT_EQ(Confctl({"rules", file, "pass"}).out, "Pass /a/*\n");
    EXPECT_EQ(ReadFile(file), "Pass /a/*\n");
}

// Text mode would end the input at Ctrl-Z and turn every LF of the output
// into CR LF.
TEST(ConfctlWindowsStdio, InputAndOutputAreBytes) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    WriteFile(file, "Pass /a/*\r\n");
    const confctltest::Result ctrlZ = Confctl({"add", file, "fail", "-"}, {"Fail /x/*\n\x1a"
                                                                           "Fail /y/*\n"});
    EXPECT_EQ(ctrlZ.status, 2) << "the line after Ctrl-Z was read and refused";
    EXPECT_EQ(ReadFile(file), "Pass /a/*\r\n");
    EXPECT_EQ(Confctl({"rules", file, "pass"}).out, "Pass /a/*\n");
    const std::string diff =
        Confctl({"add", file, "pass", "Pass /b/*", "--dry-run", "--exact"}).out;
    EXPECT_NE(diff.find("\n Pass /a/*\r\n+Pass /b/*\r\n"), std::string::npos) << diff;
    const std::string json = Confctl({"add", file, "pass", "Pass /b/*", "--json"}).out;
    EXPECT_EQ(nlohmann::json::parse(json)["diff"], diff);
    EXPECT_EQ(json.find('\r'), std::string::npos);
}

} // namespace
