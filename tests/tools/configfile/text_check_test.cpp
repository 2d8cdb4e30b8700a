// The check that a file is text within a size limit: the size is judged
// before anything is read, and a NUL byte is found at its offset in any of
// the chunks the file is read in, the first one counting.
#include "text_check.h"

#include "files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

constexpr std::size_t kChunk = 64 * 1024; // the size of the check's reads

TEST(TextCheck, RefusesNulBytesAndFilesBeyondTheLimit) {
    const std::string nul = "not a text configuration file: NUL byte at offset ";
    const struct {
        std::string bytes;
        std::uint64_t limit;
        std::string why; // "" when the file passes
    } cases[] = {
        {"", 0, ""},
        {"Port 80\n", 8, ""},
        {"Port 80\n", 7, "larger than the limit of 7 bytes"},
        {std::string("\0", 1), 1, nul + "0"},
        {std::string(kChunk - 1, '#') + '\0', textcheck::kDefaultMaxSize, nul + "65535"},
        {std::string(kChunk, '#') + '\0', textcheck::kDefaultMaxSize, nul + "65536"},
        {std::string(2 * kChunk + 5, '#') + std::string(2, '\0'), textcheck::kDefaultMaxSize,
         nul + "131077"},
        // too large, whatever the bytes hold
        {std::string("Port\0 80\n", 9), 4, "larger than the limit of 4 bytes"},
    };
    testsupport::TempDir dir;
    const std::string path = dir.File("proxy.conf");
    for (const auto &c : cases) {
        testsupport::WriteFile(path, c.bytes);
        const std::string label =
            std::to_string(c.bytes.size()) + " bytes, limit " + std::to_string(c.limit);
        try {
            textcheck::Check(path, c.limit);
            EXPECT_EQ(c.why, "") << label;
        } catch (const textcheck::NotText &refused) {
            EXPECT_EQ(refused.why(), c.why) << label;
            EXPECT_EQ(std::string(refused.what()), path + ": " + c.why) << label;
        }
    }
}

// A file that cannot be read is no verdict on its text.
TEST(TextCheck, AMissingFileIsAnErrorNamingItButNoRefusal) {
    testsupport::TempDir dir;
    const std::string path = dir.File("missing.conf");
    try {
        textcheck::Check(path, textcheck::kDefaultMaxSize);
        ADD_FAILURE() << "a missing file passed";
    } catch (const textcheck::NotText &refused) {
        ADD_FAILURE() << "refused as no text: " << refused.what();
    } catch (const std::runtime_error &error) {
        EXPECT_EQ(std::string(error.what()).rfind(path + ": ", 0), 0u) << error.what();
    }
}

} // namespace
