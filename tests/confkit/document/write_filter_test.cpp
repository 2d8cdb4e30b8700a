// The write filter judges each line of the file whole, however many Lines it
// was read into: a save never cuts a long line nor glues the next one onto it.
#include "document/write_filter.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using testsupport::TempDir;

// Writes bytes to a file, opens it, writes it back and gives the file.
std::string RoundTrip(const TempDir &dir, const std::string &bytes) {
    const std::string path = dir.File("long.conf");
    testsupport::WriteFile(path, bytes);
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    EXPECT_NE(doc, nullptr);
    EXPECT_EQ(HTTPDConfigClose(doc, 1), 0);
    return testsupport::ReadFile(path);
}

TEST(WriteFilter, LongLinesAreWrittenOrLeftOutWhole) {
    const struct {
        std::string line;
        bool written;
    } cases[] = {
        {"N " + std::string(1022, 'c'), true},                // last piece a bare word
        {std::string(2046, 'd'), false},                      // one bare word of two pieces
        {std::string(1023, 'e'), false},                      // a full piece, then only "\n"
        {std::string(1030, 'a') + "=b", true},                // its mark is in the second piece
        {std::string(1021, ' ') + "ab", false},               // one word across the cut
        {std::string(1021, ' ') + "ab c", true},              // two, the first across the cut
        {"#" + std::string(3000, 'x'), true},                 // a comment of three pieces
        {std::string(1022, '\t') + "\r" + "x", false},        // CR is part of the word
        {"Pass " + std::string(2100, '/') + " " + "y", true}, // three pieces of words
    };
    TempDir dir;
    for (const auto &c : cases) {
        const std::string want =
            "Port 80\r\n" + (c.written ? c.line + "\r\n" : std::string()) + "Port 81\r\n";
        EXPECT_EQ(RoundTrip(dir, "Port 80\r\n" + c.line + "\r\nPort 81\r\n"), want)
            << c.line.size() << " characters";
    }
}

// Random files of short and long lines: the file written back holds exactly
// the lines that the filter, given each line of the file as one text, keeps.
TEST(WriteFilter, EveryLineOfTheFileIsJudgedAsOneText) {
    std::mt19937 rng(1207);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const std::string pieces[] = {" ", "\t", "word", "=", "#", "{", "x", "PicsRule-1.0"};
    TempDir dir;
    int leftOut = 0, kept = 0;
    for (int file = 0; file < 4; ++file) {
        std::string bytes, want;
        for (int n = 0; n < 150; ++n) {
            // Mostly a long run of one piece, with a few others in it.
            std::string line(pick(3) == 0 ? pick(40) : 900 + pick(2300), 'a');
            const std::string &filler = pieces[pick(4)];
            for (std::size_t i = 0; i < line.size(); ++i)
                if (pick(filler == "word" ? 1 : 400) == 0) line[i] = filler[i % filler.size()];
            for (std::size_t k = pick(4); k > 0; --k)
                line.insert(pick(line.size() + 1), pieces[pick(8)]);
            const bool written = confkit::LineClassify((line + "\n").c_str()) != confkit::kLeftOut;
            (written ? kept : leftOut) += 1;
            bytes += line + "\r\n";
            if (written) want += line + "\r\n";
        }
        ASSERT_EQ(RoundTrip(dir, bytes), want) << "file " << file;
    }
    // Both outcomes occur often.
    EXPECT_GT(leftOut, 40);
    EXPECT_GT(kept, 40);
}

} // namespace
