// Opening, writing and closing configuration files.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

using namespace std::string_literals;
using testsupport::DocPtr;
using testsupport::FileExists;
using testsupport::ListTexts;
using testsupport::ListWellFormed;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Opens bytes written to a new file and gives the texts of its Lines.
std::vector<std::string> OpenTexts(const TempDir &dir, std::string_view bytes) {
    const std::string path = dir.File("in.conf");
    WriteFile(path, bytes);
    DocPtr doc(HTTPDConfigOpen(path.c_str()));
    EXPECT_NE(doc, nullptr);
    if (!doc) return {};
    EXPECT_TRUE(ListWellFormed(doc->first));
    EXPECT_STREQ(doc->path, path.c_str());
    return ListTexts(doc->first);
}

// Opens bytes from a file, writes the document back and gives the file.
std::string RoundTrip(const TempDir &dir, std::string_view bytes) {
    const std::string path = dir.File("trip.conf");
    WriteFile(path, bytes);
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    EXPECT_NE(doc, nullptr);
    EXPECT_EQ(HTTPDConfigClose(doc, 1), 0);
    return ReadFile(path);
}

TEST(HTTPDConfigOpen, SplitsTheFileIntoLines) {
    TempDir dir;
    EXPECT_EQ(OpenTexts(dir, "port 80\r\nwelcome\r\n"),
              (std::vector<std::string>{"port 80\n", "welcome\n", ""}));
    EXPECT_EQ(OpenTexts(dir, "a\r\nb"), (std::vector<std::string>{"a\n", "b"}));
    EXPECT_EQ(OpenTexts(dir, ""), (std::vector<std::string>{""}));
    EXPECT_EQ(OpenTexts(dir, "a\rb\r\r\n\n"), (std::vector<std::string>{"a\rb\r\n", "\n", ""}));
    EXPECT_EQ(OpenTexts(dir, "x y\r\nz\x1A"
                             "after\r\n"),
              (std::vector<std::string>{"x y\n", "z"}));
    EXPECT_EQ(OpenTexts(dir, std::string("ab\0cd\nz", 7)), (std::vector<std::string>{"ab", "z"}));
}

TEST(HTTPDConfigOpen, SpreadsLongLinesOverPiecesOf1023Characters) {
    TempDir dir;
    const std::string s1022(1022, 'a'), s1023(1023, 'b'), s1024(1024, 'c'), s2046(2046, 'd');
    EXPECT_EQ(OpenTexts(dir, s1022 + "\r\n"), (std::vector<std::string>{s1022 + "\n", ""}));
    EXPECT_EQ(OpenTexts(dir, s1023 + "\r\n"), (std::vector<std::string>{s1023, "\n", ""}));
    EXPECT_EQ(OpenTexts(dir, s1024 + "\r\n"),
              (std::vector<std::string>{s1024.substr(0, 1023), "c\n", ""}));
    EXPECT_EQ(OpenTexts(dir, s2046),
              (std::vector<std::string>{std::string(1023, 'd'), std::string(1023, 'd'), ""}));
}

TEST(HTTPDConfigOpen, CreatesAMissingFileAndRefusesBadPaths) {
    TempDir dir;
    const std::string path = dir.File("new.conf");
    {
        DocPtr doc(HTTPDConfigOpen(path.c_str()));
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(ListTexts(doc->first), (std::vector<std::string>{""}));
        EXPECT_TRUE(FileExists(path));
        EXPECT_EQ(HTTPDConfigWrite(doc.get()), 0);
    }
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(HTTPDConfigOpen(nullptr), nullptr);
    EXPECT_EQ(HTTPDConfigOpen(""), nullptr);
    EXPECT_EQ(HTTPDConfigOpen(dir.File("no/such/folder.conf").c_str()), nullptr);
    EXPECT_EQ(HTTPDConfigOpen(dir.path().c_str()), nullptr); // a folder
}

TEST(HTTPDConfigWrite, RoundTripKeepsEverythingButBareWordsAndHiddenText) {
    TempDir dir;
    const std::string s1022 = "L " + std::string(1020, 'a');
    const std::string s1023 = "M " + std::string(1021, 'b');
    const std::string s1024 = "N " + std::string(1022, 'c');
    const std::string in = ("Port 80\r\n"         // CR LF
                            "Hostname a.b\n"      // bare LF
                            "Pass /a\r/b x\r\n"   // lone CR inside a line
                            "a b\r\r\n"           // CR before CR LF
                            "# a comment\r\n"     // comment
                            "welcome\r\n"         // a single bare word
                            "  \t\r\n"            // blank
                            "\r\n"                // empty
                            "Protection p {\r\n"  // block header
                            "  a=b\r\n"           // key=value
                            "{\r\n"               // braces
                            "}\r\n"               //
                            "Nul x\0hidden y\r\n" // NUL hides the rest
                            "Next 1\r\n"s) +
                           s1022 + "\r\n" + s1023 + "\r\n" + s1024 + "\r\n" + "Port 81\r\x1A" +
                           "after ctrl-z\r\n";
    const std::string want = std::string("Port 80\r\n"
                                         "Hostname a.b\r\n"
                                         "Pass /a\r/b x\r\n"
                                         "a b\r\r\n"
                                         "# a comment\r\n"
                                         "  \t\r\n"
                                         "\r\n"
                                         "Protection p {\r\n"
                                         "  a=b\r\n"
                                         "{\r\n"
                                         "}\r\n"
                                         "Nul x" // the rest of that Line is invisible
                                         "Next 1\r\n") +
                             s1022 + "\r\n" + s1023 + "\r\n" +
                             // Whole, though its second piece is the bare word "c".
                             s1024 + "\r\n" + "Port 81\r";
    EXPECT_EQ(RoundTrip(dir, in), want);
    // A second round trip changes nothing more.
    EXPECT_EQ(RoundTrip(dir, want), want);
}

TEST(HTTPDConfigWrite, KeepsAMissingLastLineEnd) {
    TempDir dir;
    EXPECT_EQ(RoundTrip(dir, "port 80\r\nwelcome\r\n"), "port 80\r\n");
    EXPECT_EQ(RoundTrip(dir, "a\r\nb"), "");
    EXPECT_EQ(RoundTrip(dir, "x 1\r\nport 80"), "x 1\r\nport 80");
}

TEST(HTTPDConfigWrite, WritesTheBodyAsEditedEachTime) {
    TempDir dir;
    const std::string path = dir.File("edit.conf");
    WriteFile(path, "port 80\r\n");
    DocPtr doc(HTTPDConfigOpen(path.c_str()));
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(LinesAddStr(nullptr, doc.get(), "port 81", 0), nullptr); // runs on into the next Line
    ASSERT_NE(LinesAddStr(nullptr, doc.get(), " x 1\n", 0), nullptr);
    EXPECT_EQ(HTTPDConfigWrite(doc.get()), 0);
    EXPECT_EQ(ReadFile(path), "port 80\r\nport 81 x 1\r\n");
    std::snprintf(doc->first->text, sizeof doc->first->text, "port 82\n");
    EXPECT_EQ(HTTPDConfigWrite(doc.get()), 0);
    EXPECT_EQ(ReadFile(path), "port 82\r\nport 81 x 1\r\n");
}

TEST(HTTPDConfigWrite, RefusesDocumentsWithoutAPath) {
    EXPECT_EQ(HTTPDConfigWrite(nullptr), -1);
    ConfigDocument *doc = testsupport::MakeDoc("port 80\n", "");
    EXPECT_EQ(HTTPDConfigWrite(doc), -1);
    std::free(doc->path);
    doc->path = nullptr;
    EXPECT_EQ(HTTPDConfigWrite(doc), -1);
    EXPECT_EQ(HTTPDConfigClose(doc, 0), 0);
}

// Two documents opened on one file, both edited: the second write would undo
// the first, so it is refused and the file keeps the first edit. The writer
// knows the file it wrote and goes on writing over it.
TEST(HTTPDConfigWrite, OfTwoDocumentsOnOneFileOnlyTheFirstEditLands) {
    TempDir dir;
    const std::string path = dir.File("shared.conf");
    WriteFile(path, "Port 80\r\n");
    ConfigDocument *first = HTTPDConfigOpen(path.c_str());
    ConfigDocument *second = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(LinesAddStr(nullptr, first, "Hostname first\n", 0), nullptr);
    ASSERT_NE(LinesAddStr(nullptr, second, "Hostname second\n", 0), nullptr);
    EXPECT_EQ(HTTPDConfigWrite(first), 0);
    EXPECT_EQ(HTTPDConfigClose(second, 1), -1);
    EXPECT_EQ(ReadFile(path), "Port 80\r\nHostname first\r\n");
    ASSERT_NE(LinesAddStr(nullptr, first, "Port 81\n", 0), nullptr);
    EXPECT_EQ(HTTPDConfigClose(first, 1), 0);
    EXPECT_EQ(ReadFile(path), "Port 80\r\nHostname first\r\nPort 81\r\n");

    // Pointed at another file by its caller, a document writes there as a
    // document it built itself would.
    const std::string elsewhere = dir.File("elsewhere.conf");
    WriteFile(elsewhere, "Port 1\r\n");
    ConfigDocument *moved = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(moved, nullptr);
    std::free(moved->path);
    moved->path = strdup(elsewhere.c_str());
    EXPECT_EQ(HTTPDConfigClose(moved, 1), 0);
    EXPECT_EQ(ReadFile(elsewhere), ReadFile(path));
}

// Whatever another program did to the file between the open and the write,
// the write returns -1 and leaves the file as that program left it.
TEST(HTTPDConfigWrite, NeverWritesOverAFileChangedSinceItWasRead) {
    TempDir dir;
    const std::string path = dir.File("watched.conf");
    const std::string original = "Port 80\r\n";
    const auto later = [&] {
        namespace fs = std::filesystem;
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(10));
    };
    struct Change {
        const char *name;
        std::function<void()> make;
        std::optional<std::string> left; // none: no file
    };
    const Change changes[] = {
        {"rewritten", [&] { WriteFile(path, "Port 8080\r\n"); }, "Port 8080\r\n"},
        {"same size, later time",
         [&] {
             WriteFile(path, "Port 90\r\n");
             later();
         },
         "Port 90\r\n"},
        {"touched only", later, original},
        {"removed", [&] { std::remove(path.c_str()); }, std::nullopt},
        {"replaced by a copy",
         [&] {
             const std::string copy = dir.File("copy.conf");
             WriteFile(copy, original);
             std::remove(path.c_str());
             std::rename(copy.c_str(), path.c_str());
         },
         original},
    };
    for (const Change &change : changes) {
        WriteFile(path, original);
        ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
        ASSERT_NE(doc, nullptr);
        std::snprintf(doc->first->text, sizeof doc->first->text, "Port 81\n");
        change.make();
        EXPECT_EQ(HTTPDConfigClose(doc, 1), -1) << change.name;
        EXPECT_EQ(FileExists(path), change.left.has_value()) << change.name;
        if (change.left) {
            EXPECT_EQ(ReadFile(path), *change.left) << change.name;
        }
    }
}

TEST(HTTPDConfigClose, WritesOnlyWhenAskedAndAlwaysReleases) {
    TempDir dir;
    EXPECT_EQ(HTTPDConfigClose(nullptr, 0), -1);
    EXPECT_EQ(HTTPDConfigClose(nullptr, 1), -1);

    const std::string path = dir.File("close.conf");
    WriteFile(path, "port 80\nwelcome\n");
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(HTTPDConfigClose(doc, 0), 0);
    EXPECT_EQ(ReadFile(path), "port 80\nwelcome\n");

    // A path that names a folder cannot be written; the document still goes.
    ConfigDocument *unwritable = testsupport::MakeDoc("port 80\n", dir.path().c_str());
    EXPECT_EQ(HTTPDConfigClose(unwritable, 1), -1);
    struct stat st;
    ASSERT_EQ(stat(dir.path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

} // namespace
