// Hostile input: files that people or other programs could hand the library.
// Every export must finish on them, keep the line list well formed and
// release what it hands out (LeakSanitizer watches the sanitizer run).
#include "every_export.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using testsupport::TempDir;

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override { devnull_ = std::fopen("/dev/null", "w"); }
    void TearDown() override { std::fclose(devnull_); }

    // Opens bytes as a configuration file, runs every export over it, and
    // writes it back; the list stays well formed throughout.
    void RunAll(const std::string &bytes, const std::string &name = "R",
                const std::string &value = "v") {
        const std::string path = dir_.File("hostile.conf");
        testsupport::WriteFile(path, bytes);
        ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(testsupport::ListWellFormed(doc->first));
        everyexport::FixedArgs args(name, value);
        const std::string read = testsupport::DocText(doc);
        WithStdoutTo(devnull_, [&] { everyexport::RunAll(doc, args, everyexport::kReads); });
        ASSERT_TRUE(testsupport::DocText(doc) == read) << "a reader changed the document";
        WithStdoutTo(devnull_, [&] { everyexport::RunAll(doc, args, everyexport::kEdits); });
        ASSERT_TRUE(testsupport::ListWellFormed(doc->first));
        const std::string edited = testsupport::DocText(doc);
        WithStdoutTo(devnull_, [&] { everyexport::RunAll(doc, args, everyexport::kReads); });
        ASSERT_TRUE(testsupport::DocText(doc) == edited) << "a reader changed the document";
        everyexport::RunAll(doc, args, everyexport::kFiles); // writes the file
        EXPECT_EQ(args.failures, std::vector<std::string>{});
        HTTPDConfigClose(doc, 0);
        ConfigDocument *again = HTTPDConfigOpen(path.c_str());
        ASSERT_NE(again, nullptr);
        EXPECT_TRUE(testsupport::ListWellFormed(again->first));
        HTTPDConfigClose(again, 0);
    }

    template <class F> static void WithStdoutTo(FILE *sink, F &&fn) {
        std::fflush(stdout);
        int saved = dup(STDOUT_FILENO);
        dup2(fileno(sink), STDOUT_FILENO);
        fn();
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }

    TempDir dir_;
    FILE *devnull_ = nullptr;
};

std::string Repeat(const std::string &piece, int times) {
    std::string s;
    s.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

// The one list of every export names each name of the export map once; the
// compiler has checked that each name is a function of the library.
TEST(EveryExport, TheTableNamesEachExportOnce) {
    std::set<std::string> names;
    for (const everyexport::Operation &op : everyexport::Operations())
        EXPECT_TRUE(names.insert(op.name).second) << op.name;
    EXPECT_EQ(names.size(), std::size_t{CONFKIT_EXPORT_COUNT});
}

TEST_F(Hostile, TenMegabyteLineWithoutLineEnd) {
    RunAll(std::string(10u << 20, 'x'));
    RunAll("Pass " + std::string(10u << 20, 'y'));
}

TEST_F(Hostile, OpeningBracesThatNeverClose) {
    RunAll(Repeat("{\n", 100000));
}

TEST_F(Hostile, HeadersWithoutBodies) {
    RunAll(Repeat("Member m {\n", 50000), "m");
    RunAll(Repeat("DefinePicsRule \"R\" {\n", 50000), "R");
    RunAll(Repeat("Protect /x/* {\nProtection s {\nLDAPInfo R {\n", 20000), "R");
}

TEST_F(Hostile, BinaryNoise) {
    std::mt19937 rng(20261209);
    std::string noise(1u << 20, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng() & 0xff);
    RunAll(noise);
}

TEST_F(Hostile, NulAndCtrlZInEveryPosition) {
    const std::string sample = "Pass /a/* /b/*\nMember m {\n RCAAddr x\n}\n"
                               "DefinePicsRule \"R\" {\n (PicsRule-1.0\n  passurl ( \"u\" )\n }\n";
    for (char bad : {'\0', '\x1a'}) {
        for (std::size_t i = 0; i < sample.size(); ++i) {
            std::string bytes = sample;
            bytes[i] = bad;
            RunAll(bytes);
        }
    }
}

TEST_F(Hostile, NamesAndValuesOfAHundredThousandCharacters) {
    const std::string big(100000, 'n');
    RunAll("Pass /a/* /b/*\nPort 80\n", big, big);
    RunAll("DefinePicsRule \"" + big + "\" {\n}\n", big, std::string(100000, 'v'));
}

} // namespace
