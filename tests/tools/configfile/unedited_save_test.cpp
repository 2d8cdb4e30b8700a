// What a save of the unedited document writes, made from the save of the
// edited one: byte for byte what the library's writer writes for the
// unedited document, whatever the edit and the lines, and made without
// writing the document a second time when the edit only adds lines.
#include "confkit.hpp"
#include "preview.h"
#include "system_calls.h"
#include "test_support.h"
#include "unedited_save.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

using testsupport::TempDir;

namespace {

// Documents of Lines made from texts; the library keeps no file of them.
struct Doc {
    explicit Doc(const std::vector<std::string> &texts)
        : lines(confkit::LineList::FromTexts(texts)), doc{path.data(), lines.get()} {}
    std::string path = "memory.conf";
    confkit::LineList lines;
    ConfigDocument doc;
};

// Lines the writer writes as they are, changes, or leaves out: words, a
// single word, a blank line, a CR kept inside, the pieces of a long line,
// and a last line without its line end.
const std::vector<std::vector<std::string>> kPieces = {
    {"Port 80\n"},
    {"Welcome\n"},
    {"\n"},
    {"   \n"},
    {"Pass /a/* /b/*\n"},
    {"# note\n"},
    {"}\n"},
    {"Map /x\r /y\n"},
    {"Pass /" + std::string(1000, 'l'), " /long/*\n"},
    {"Word", "s\n"},
    {"tail"},
};

std::vector<std::string> RandomTexts(std::mt19937 &random, int most) {
    std::vector<std::string> texts;
    for (int n = std::uniform_int_distribution<int>(0, most)(random); n > 0; --n) {
        const std::vector<std::string> &piece = kPieces[random() % kPieces.size()];
        if (piece.back() == "tail" && n > 1) continue; // only the last line lacks its end
        texts.insert(texts.end(), piece.begin(), piece.end());
    }
    return texts;
}

// Removes, adds or changes a few Lines at random places.
std::vector<std::string> Edited(std::mt19937 &random, std::vector<std::string> texts) {
    for (int n = std::uniform_int_distribution<int>(1, 3)(random); n > 0; --n) {
        const std::size_t at = texts.empty() ? 0 : random() % (texts.size() + 1);
        const std::vector<std::string> piece = kPieces[random() % (kPieces.size() - 1)];
        switch (random() % 3) {
        case 0:
            if (at < texts.size()) texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case 1:
            texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(at), piece.begin(),
                         piece.end());
            break;
        default:
            if (at < texts.size()) texts[at] = piece.back();
        }
    }
    return texts;
}

TEST(UneditedSave, IsWhatTheWriterWritesForTheUneditedDocument) {
    std::mt19937 random(20250611);
    for (int i = 0; i < 150; ++i) {
        const std::vector<std::string> before = RandomTexts(random, 40);
        const Doc unedited(before);
        const preview::UneditedSave save(unedited.doc);
        const Doc edited(i % 10 == 0 ? before : Edited(random, before));
        const std::string after = preview::SavedBytes(edited.doc);
        EXPECT_EQ(save.Bytes(edited.doc, after), preview::SavedBytes(unedited.doc)) << i;
    }
    // A Line that holds a line end before its end is written as it stands
    // too, and the lines after it with it.
    const Doc odd({"Port 80\nWelcome\n", "Pass /a/*\n", "Alone\n"});
    const preview::UneditedSave save(odd.doc);
    const Doc edited({"Port 80\nWelcome\n", "Pass /a/*\n", "Pass /b/*\n", "Alone\n"});
    EXPECT_EQ(save.Bytes(edited.doc, preview::SavedBytes(edited.doc)),
              "Port 80\r\nWelcome\r\nPass /a/*\r\n");
}

#ifndef _WIN32
// With no folder for temporary files, a save fails: the unedited save of an
// edit that only adds lines needs none.
TEST(UneditedSave, AddingLinesWritesNothingMore) {
    const Doc unedited({"Port 80\n", "Welcome\n", "Pass /a/*\n"});
    const preview::UneditedSave save(unedited.doc);
    const Doc added({"Port 80\n", "Welcome\n", "Pass /a/*\n", "Pass /b/*\n", "Map /x /y\n"});
    const Doc removed({"Port 80\n", "Welcome\n"});
    const std::string after = preview::SavedBytes(added.doc);
    const std::string shorter = preview::SavedBytes(removed.doc);
    const char *tmp = std::getenv("TMPDIR");
    const std::string was = tmp ? tmp : "";
    setenv("TMPDIR", "/nonexistent/confkit", 1);
    EXPECT_EQ(save.Bytes(added.doc, after), "Port 80\r\nPass /a/*\r\n");
    EXPECT_THROW(save.Bytes(removed.doc, shorter), std::runtime_error);
    EXPECT_THROW(preview::SavedBytes(added.doc), std::runtime_error);
    if (tmp)
        setenv("TMPDIR", was.c_str(), 1);
    else
        unsetenv("TMPDIR");
}
#endif

// The private file is its user's alone, and gone once opened to be read.
TEST(PrivateFile, IsPrivateAndGoneOnceRead) {
    const std::string path = syscalls::MakePrivateFile("confkit-test-");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    testsupport::WriteFile(path, "bytes\r\n");
    std::FILE *file = syscalls::OpenRemoved(path);
    ASSERT_NE(file, nullptr);
#ifndef _WIN32
    EXPECT_FALSE(std::filesystem::exists(path)); // on Windows, once closed
#endif
    char text[16] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, file), 7u);
    EXPECT_STREQ(text, "bytes\r\n");
    std::fclose(file);
    EXPECT_FALSE(std::filesystem::exists(path));
    // A name that is no file: nothing opens, and nothing is left.
    EXPECT_EQ(syscalls::OpenRemoved(path), nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
