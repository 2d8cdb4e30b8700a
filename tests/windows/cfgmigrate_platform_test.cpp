// cfgmigrate's platform layer on the system's own calls: the registry,
// text-mode reading, renaming and the command interpreter.
#include "platform/platform.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

namespace platform = cfgmigrate::platform;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

constexpr char kTestKey[] = "SOFTWARE\\ConfkitWindowsTest";

// A key under the local machine with a few values, deleted afterwards.
class RegistryValues : public ::testing::Test {
  protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        Set(key, "Text", REG_SZ, "C:\\Tarrowgate", 14);
        Set(key, "Unterminated", REG_SZ, "xyz", 3);
        const DWORD number = 7;
        Set(key, "Number", REG_DWORD, &number, sizeof number);
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTestKey); }

    static void Set(HKEY key, const char *name, DWORD type, const void *data, DWORD size) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegistryValues, AsksForTheSizeThenFetchesTheString) {
    platform::RegistryKey key = nullptr;
    ASSERT_EQ(platform::RegistryOpenKey(platform::LocalMachineKey(), kTestKey, &key),
              platform::kRegistrySuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(platform::RegistryQueryString(key, "Text", nullptr, &size),
              platform::kRegistrySuccess);
    EXPECT_EQ(size, 14u);
    char small[13];
    size = sizeof small;
    EXPECT_EQ(platform::RegistryQueryString(key, "Text", small, &size),
              platform::kRegistryMoreData);
    char room[14];
    size = sizeof room;
    EXPECT_EQ(platform::RegistryQueryString(key, "Text", room, &size), platform::kRegistrySuccess);
    EXPECT_STREQ(room, "C:\\Tarrowgate");
    EXPECT_EQ(platform::RegistryCloseKey(key), platform::kRegistrySuccess);
}

TEST_F(RegistryValues, TerminatesStoredTextsAndRefusesOtherTypesAndMissingNames) {
    platform::RegistryKey key = nullptr;
    ASSERT_EQ(platform::RegistryOpenKey(platform::LocalMachineKey(), kTestKey, &key),
              platform::kRegistrySuccess);
    char text[16];
    std::memset(text, '#', sizeof text);
    std::uint32_t size = sizeof text;
    EXPECT_EQ(platform::RegistryQueryString(key, "Unterminated", text, &size),
              platform::kRegistrySuccess);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(text, "xyz");
    size = sizeof text;
    EXPECT_EQ(platform::RegistryQueryString(key, "Number", text, &size),
              platform::kRegistryNotAString);
    EXPECT_EQ(platform::RegistryQueryString(key, "Missing", text, &size),
              platform::kRegistryNotFound);
    EXPECT_EQ(platform::RegistryCloseKey(key), platform::kRegistrySuccess);

    platform::RegistryKey missing = nullptr;
    EXPECT_EQ(
        platform::RegistryOpenKey(platform::LocalMachineKey(), "SOFTWARE\\NoSuchKeyHere", &missing),
        platform::kRegistryNotFound);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(platform::RegistryCloseKey(platform::LocalMachineKey()), platform::kRegistrySuccess);
}

TEST(WindowsTextFile, ReadsLinesInTextModeUpToCtrlZ) {
    TempDir dir;
    const std::string path = dir.File("tarhttp.cfg");
    WriteFile(path, "port 80\r\nb\rc\r\n\r\nlast\x1Aport 1\r\n");
    platform::TextFilePtr file = platform::OpenTextFile(path.c_str());
    ASSERT_NE(file, nullptr);
    std::string line;
    std::vector<std::string> lines;
    while (platform::ReadTextLine(*file, line) == platform::ReadStatus::kLine)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"port 80", "b\rc", "", "last"}));
    EXPECT_EQ(platform::OpenTextFile(dir.path().c_str()), nullptr);
    EXPECT_EQ(platform::OpenTextFile(dir.File("missing").c_str()), nullptr);
}

TEST(WindowsRename, NeverReplacesAnExistingTarget) {
    TempDir dir;
    const std::string from = dir.File("tarhttp.cfg");
    const std::string to = from + ".old";
    WriteFile(from, "new");
    WriteFile(to, "old");
    EXPECT_FALSE(platform::RenameNoReplace(from.c_str(), to.c_str()));
    EXPECT_EQ(ReadFile(from), "new");
    EXPECT_EQ(ReadFile(to), "old");
    ASSERT_TRUE(DeleteFileA(to.c_str()));
    EXPECT_TRUE(platform::RenameNoReplace(from.c_str(), to.c_str()));
    EXPECT_FALSE(testsupport::FileExists(from));
    EXPECT_EQ(ReadFile(to), "new");
}

// Sets COMSPEC for the life of the object and restores it afterwards.
class ComspecSetting {
  public:
    explicit ComspecSetting(const char *value) {
        char old[MAX_PATH];
        const DWORD n = GetEnvironmentVariableA("COMSPEC", old, sizeof old);
        had_ = n > 0 && n < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA("COMSPEC", value);
    }
    ~ComspecSetting() { SetEnvironmentVariableA("COMSPEC", had_ ? old_.c_str() : nullptr); }
    ComspecSetting(const ComspecSetting &) = delete;
    ComspecSetting &operator=(const ComspecSetting &) = delete;

  private:
    bool had_ = false;
    std::string old_;
};

TEST(WindowsCommand, ReturnsTheInterpretersExitStatus) {
    EXPECT_EQ(platform::RunCommand("exit 7"), 7);
    EXPECT_EQ(platform::RunCommand("exit 0"), 0);
    EXPECT_EQ(platform::RunCommand(nullptr), -1);
}

TEST(WindowsCommand, FallsBackToCmdOnceWhenComspecNamesNothing) {
    TempDir dir;
    const std::string log = dir.File("runs.txt");
    for (const char *comspec : {"C:\\no\\such\\interpreter.exe", ""}) {
        ComspecSetting setting(comspec);
        DeleteFileA(log.c_str());
        EXPECT_EQ(platform::RunCommand(("echo run>>\"" + log + "\"& exit 3").c_str()), 3)
            << "COMSPEC=" << comspec;
        EXPECT_EQ(ReadFile(log), "run\r\n") << "COMSPEC=" << comspec;
    }
}

} // namespace
