// The configuration file's text mode on the Windows calls, and its
// replacement with MoveFileExA.
#include "internal.h"
#include "test_support.h"
#include "text_reading.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ReadByteAtATime;
using testsupport::ReadFile;
using testsupport::ReadThroughReader;
using testsupport::TempDir;
using testsupport::WriteFile;

std::vector<std::string> FolderEntries(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(WindowsTextMode, ReadsCrLfAsNewlineAndStopsAtCtrlZ) {
    TempDir dir;
    const std::string path = dir.File("httpd.cnf");
    WriteFile(path, "port 80\r\nwelcome\r\na\rb\r\r\nlast\x1Ahidden\r\n");
    DocPtr doc(HTTPDConfigOpen(path.c_str()));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(DocText(doc.get()), "port 80\nwelcome\na\rb\r\nlast");
    EXPECT_EQ(testsupport::ListTexts(doc->first),
              (std::vector<std::string>{"port 80\n", "welcome\n", "a\rb\r\n", "last"}));
}

TEST(WindowsTextMode, MatchesByteAtATimeReadingAcrossBuffers) {
    TempDir dir;
    const std::string path = dir.File("raw");
    // Dense in CR, LF and NUL and long enough to cross many buffers of both
    // the C runtime and the reader; a Ctrl-Z near the end hides the rest.
    std::string raw = testsupport::NoisyBytes(2024, 200000);
    raw[190000] = '\x1A';
    // A CR LF pair split exactly at the reader's block boundary.
    raw[65535] = '\r';
    raw[65536] = '\n';
    WriteFile(path, raw);
    const std::string want = ReadByteAtATime(raw);
    for (std::size_t cap : {1u, 4093u, 100000u})
        EXPECT_EQ(ReadThroughReader(path, cap), want) << "output size " << cap;
}

TEST(WindowsTextMode, WritesNewlinesAsCrLfAndLeavesLoneCrAlone) {
    TempDir dir;
    const std::string path = dir.File("httpd.cnf");
    DocPtr doc(testsupport::MakeDoc("port 80\nb\rc 1\r\n\nlast line", path.c_str()));
    ASSERT_EQ(HTTPDConfigWrite(doc.get()), 0);
    EXPECT_EQ(ReadFile(path), "port 80\r\nb\rc 1\r\r\n\r\nlast line");
}

TEST(WindowsReplaceFile, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("httpd.cnf");
    WriteFile(path, std::string(100000, 'x') + "\r\n");
    DocPtr doc(testsupport::MakeDoc("port 80\n", path.c_str()));
    ASSERT_EQ(HTTPDConfigWrite(doc.get()), 0);
    EXPECT_EQ(ReadFile(path), "port 80\r\n");
    // Again over the file just written, and from a relative path.
    std::strcpy(doc->first->text, "port 8080\n");
    ASSERT_EQ(HTTPDConfigWrite(doc.get()), 0);
    EXPECT_EQ(ReadFile(path), "port 8080\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"httpd.cnf"});

    char previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(sizeof previous, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    DocPtr relative(testsupport::MakeDoc("port 81\n", "httpd.cnf"));
    EXPECT_EQ(HTTPDConfigWrite(relative.get()), 0);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(ReadFile(path), "port 81\r\n");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"httpd.cnf"});
}

TEST(WindowsReplaceFile, RefusesReadOnlyFilesAndFoldersUnchanged) {
    TempDir dir;
    const std::string path = dir.File("httpd.cnf");
    WriteFile(path, "port 80\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    DocPtr doc(testsupport::MakeDoc("port 9\n", path.c_str()));
    EXPECT_EQ(HTTPDConfigWrite(doc.get()), -1);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(path), "port 80\r\n");

    DocPtr folder(testsupport::MakeDoc("port 9\n", dir.path().c_str()));
    EXPECT_EQ(HTTPDConfigWrite(folder.get()), -1);
    EXPECT_EQ(HTTPDConfigOpen(dir.path().c_str()), nullptr);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"httpd.cnf"});
}

} // namespace
