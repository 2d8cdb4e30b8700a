// The text-mode layer: a file's bytes read as text, and text written with
// CR LF line ends.
#include "test_support.h"
#include "text_reading.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using confkit::platform::ReplaceTextFile;
using confkit::platform::TextWriter;
using testsupport::ReadByteAtATime;
using testsupport::ReadFile;
using testsupport::ReadThroughReader;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(TextReader, GivesExactlyWhatByteAtATimeReadingGives) {
    TempDir dir;
    const std::string path = dir.File("raw");
    // Random bytes dense in CR, LF, NUL and Ctrl-Z, long enough to cross
    // several of the reader's blocks, at several output sizes.
    std::string raw = testsupport::NoisyBytes(12345, 300000);
    WriteFile(path, raw);
    for (std::size_t cap : {1u, 7u, 4096u, 100000u})
        EXPECT_EQ(ReadThroughReader(path, cap), ReadByteAtATime(raw)) << cap;

    raw[200001] = '\x1A';
    WriteFile(path, raw);
    EXPECT_EQ(ReadThroughReader(path, 65536), ReadByteAtATime(raw));
}

TEST(TextReader, JoinsCrLfAcrossBlockBoundaries) {
    TempDir dir;
    const std::string path = dir.File("edge");
    const std::size_t block = 64 * 1024;
    std::string crlf(block - 1, 'x');
    crlf += "\r\nend\r"; // CR as the block's last byte, LF the next one's first
    std::string lone(block - 1, 'y');
    lone += "\rz"; // a lone CR at the boundary stays
    std::string ctrlz(block - 1, 'w');
    ctrlz += "\r\x1A\n"; // CR then Ctrl-Z: the CR stays, the text ends
    for (const std::string &raw : {crlf, lone, ctrlz}) {
        WriteFile(path, raw);
        EXPECT_EQ(ReadThroughReader(path, 1 << 20), ReadByteAtATime(raw));
    }
    WriteFile(path, crlf);
    const std::string got = ReadThroughReader(path, 1 << 20);
    EXPECT_EQ(got.substr(got.size() - 6), "x\nend\r");
}

TEST(TextWriter, TurnsNewlinesIntoCrLfOnly) {
    TempDir dir;
    const std::string path = dir.File("out");
    std::string text = "a\nb\rc\r\n\n";
    text += std::string(200000, 'q') + "\n";
    ASSERT_TRUE(ReplaceTextFile(path.c_str(), [&](TextWriter &out) {
        out.Write(text.data(), 3);
        out.Write(text.data() + 3, text.size() - 3);
    }));
    std::string want = "a\r\nb\rc\r\r\n\r\n" + std::string(200000, 'q') + "\r\n";
    EXPECT_EQ(ReadFile(path), want);
}

} // namespace
