// The preview shared by confctl and the administration page: the unified
// diff applies with patch --binary, the readable one shows only lines whose
// text changes, the incidental changes of a save are named, and the preview
// never touches the document's file.
#include "config_edit.h"
#include "preview.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <random>

#include <sys/stat.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// What patch --binary makes of before with the diff.
std::string Patched(const TempDir &dir, const std::string &before, const std::string &diff) {
    WriteFile(dir.File("before"), before);
    WriteFile(dir.File("diff"), diff);
    std::string command = "patch --binary --silent --force -o '" + dir.File("after") + "' '" +
                          dir.File("before") + "' '" + dir.File("diff") + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << diff;
    return ReadFile(dir.File("after"));
}

TEST(Preview, DiffShowsLineEndsAsTheFileHasThem) {
    const std::string before = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\nl";
    const std::string after = "a\r\nb\r\nc\r\nD\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj\r\nk\r\nl\r\nm\n";
    EXPECT_EQ(preview::UnifiedDiff("proxy.conf", before, after),
              "--- proxy.conf\n+++ proxy.conf\n"
              "@@ -1,7 +1,7 @@\n a\r\n b\r\n c\r\n-d\r\n+D\r\n e\r\n f\r\n g\r\n"
              "@@ -9,4 +9,5 @@\n i\r\n j\r\n k\r\n-l\n\\ No newline at end of file\n+l\r\n+m\n");
    // Changes with no more than six lines between them share a hunk.
    EXPECT_EQ(preview::UnifiedDiff("x", "1\n2\n3\n4\n5\n6\n7\n8\n", "0\n2\n3\n4\n5\n6\n7\n9\n"),
              "--- x\n+++ x\n@@ -1,8 +1,8 @@\n-1\n+0\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+9\n");
    EXPECT_EQ(preview::UnifiedDiff("x", before, before), "");
    EXPECT_EQ(preview::UnifiedDiff("x", "", "a\n"), "--- x\n+++ x\n@@ -0,0 +1 @@\n+a\n");
}

// The text of every line ended by LF alone.
std::string OneLineEnd(const std::string &text) {
    std::string out;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        std::size_t cut = end > start && end < text.size() && text[end - 1] == '\r' ? end - 1 : end;
        out += text.substr(start, cut - start) + "\n";
        start = end + 1;
    }
    return out;
}

TEST(Preview, ReadableDiffShowsOnlyLinesWhoseTextChanges) {
    const std::string head = "--- f\n+++ f\n";
    const struct {
        const char *before, *after;
        std::string readable;
    } cases[] = {
        {"a\nb\nc\n", "a\nB\nc\n", head + "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
        {"a\r\nb\r\n", "a\r\nB\r\n", head + "@@ -1,2 +1,2 @@\n a\n-b\n+B\n"},
        // an LF file saved as CR LF, a line added at the end, one at the start
        {"a\nb\n", "a\r\nb\r\nc\r\n",
         "# 2 lines change only their line end, from LF to CR LF\n" + head +
             "@@ -1,2 +1,3 @@\n a\n b\n+c\n"},
        {"x\n1\n2\n3\n4\n", "y\r\n1\r\n2\r\n3\r\n4\r\n",
         "# 4 lines change only their line end, from LF to CR LF\n" + head +
             "@@ -1,4 +1,4 @@\n-x\n+y\n 1\n 2\n 3\n"},
        // only line ends, of every kind
        {"a\nb\n", "a\r\nb\r\n", "# 2 lines change only their line end, from LF to CR LF\n"},
        {"a\nb\r\nc\nd", "a\r\nb\nc\r\nd\r\n",
         "# 4 lines change only their line end: 2 from LF to CR LF, 1 from CR LF to LF, 1 from "
         "none to CR LF\n"},
        {"a\n", "a", "# 1 line changes only its line end, from LF to none\n"},
        // the line end of a line whose text changes is not counted
        {"a\nb\n", "a\nB\r\n", head + "@@ -1,2 +1,2 @@\n a\n-b\n+B\n"},
        {"a\r\n", "a\r\n", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(preview::ReadableDiff("f", c.before, c.after), c.readable) << c.before;
}

// Random texts over few distinct lines, so that they share many lines, with
// every kind of line end; the exact diff of any two applies, and the
// readable one is the diff of their texts with one line end.
TEST(Preview, AnyDiffAppliesWithPatch) {
    TempDir dir;
    std::mt19937 random(20240611);
    const std::vector<std::string> words = {"Port 80", "Pass /a/*", "", "}", "# note", "Map /x /y"};
    const std::vector<std::string> ends = {"\n", "\r\n", "\r\r\n"};
    auto text = [&] {
        std::string out;
        for (int n = std::uniform_int_distribution<int>(0, 30)(random); n > 0; --n)
            out += words[random() % words.size()] + ends[random() % ends.size()];
        if (random() % 3 == 0) out += "tail";
        return out;
    };
    for (int i = 0; i < 150; ++i) {
        std::string before = text(), after = i % 5 == 0 ? before + text() : text();
        std::string diff = preview::UnifiedDiff("f", before, after);
        EXPECT_EQ(diff.empty(), before == after);
        if (!diff.empty()) {
            EXPECT_EQ(Patched(dir, before, diff), after) << i;
        }
        std::string readable = preview::ReadableDiff("f", before, after);
        if (readable.rfind("# ", 0) == 0) readable.erase(0, readable.find('\n') + 1);
        EXPECT_EQ(readable, preview::UnifiedDiff("f", OneLineEnd(before), OneLineEnd(after))) << i;
    }
    // Every line end changed: a long diff, made quickly.
    std::string lf, crlf;
    for (int i = 0; i < 20000; ++i)
        lf += "Pass /" + std::to_string(i) + "/*\n",
            crlf += "Pass /" + std::to_string(i) + "/*\r\n";
    EXPECT_EQ(Patched(dir, lf, preview::UnifiedDiff("f", lf, crlf)), crlf);
}

TEST(Preview, NamesIncidentalChangesAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string path = dir.File("proxy.conf");
    const std::string before = "Port 80\nWelcome\r\nPass /a/*\n";
    WriteFile(path, before);
    struct stat was {};
    ASSERT_EQ(stat(path.c_str(), &was), 0);

    confkit::Document doc = confkit::Document::Open(path);
    const std::string unedited = preview::SavedBytes(*doc.get());
    EXPECT_EQ(unedited, "Port 80\r\nPass /a/*\r\n");
    doc.AddRules(confkit::RuleId("pass"), confkit::LineList::FromTexts({"Pass /b/*\n"}));
    preview::Change change =
        preview::Compute(path, preview::ReadFileBytes(path), unedited, *doc.get());
    EXPECT_TRUE(change.changed());
    EXPECT_EQ(change.after, "Port 80\r\nPass /a/*\r\nPass /b/*\r\n");
    EXPECT_EQ(preview::LossNotes(change),
              std::vector<std::string>{
                  "line 2: a line of a single word ('Welcome') is left out by the writer"});
    EXPECT_EQ(change.incidental, std::vector<std::string>{"2 line(s) end with LF alone; "
                                                          "written back they end with CR LF"});
    EXPECT_TRUE(change.loses());
    EXPECT_EQ(Patched(dir, before, change.diff), change.after);
    EXPECT_EQ(preview::Render(change, false).rfind("# lost: line 2: a line of a single word", 0),
              0u);

    struct stat now {};
    ASSERT_EQ(stat(path.c_str(), &now), 0);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(now.st_mtim.tv_nsec, was.st_mtim.tv_nsec);
    EXPECT_EQ(now.st_mtim.tv_sec, was.st_mtim.tv_sec);
    EXPECT_THROW(preview::ReadFileBytes(dir.File("none")), std::runtime_error);
}

// Another program writes the file between the open and the save: the save
// says so and leaves that program's text, with no history made.
TEST(ConfigEdit, LostRaceIsAnErrorAndWritesNothing) {
    TempDir dir;
    const std::string path = dir.File("proxy.conf");
    WriteFile(path, "Port 80\r\n");
    configedit::Editing edit(path, false);
    edit.doc().AddRules(confkit::RuleId("pass"), confkit::LineList::FromTexts({"Pass /a/*\n"}));
    WriteFile(path, "Port 8080\r\nMap /x/* /y/*\r\n");
    EXPECT_THROW(edit.Save(edit.Preview(), {}), configedit::LostRace);
    EXPECT_EQ(ReadFile(path), "Port 8080\r\nMap /x/* /y/*\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".history"));
}

} // namespace
