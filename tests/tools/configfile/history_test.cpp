// The history of a configuration file: what a save records, what verify
// finds, pruning, the remains of a crash, and what people read of it.
#include "config_lock.h"
#include "history_fixture.h"
#include "history_view.h"
#include "sha256.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <functional>
#include <regex>
#include <thread>
#include <vector>

#include <unistd.h>

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

std::vector<std::string> LogLines(const HistoryFixture &f) {
    return history::SplitLog(f.Log()).lines;
}

void WriteLogLines(const HistoryFixture &f, const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    WriteFile(f.history.folder() + "/log", text);
}

} // namespace

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(sha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256::Hex("abc"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(History, RecordsEachSaveAfterTheFileBeforeAndWhatChangedOutside) {
    HistoryFixture f("a\n");
    EXPECT_EQ(f.Save("b\n", {"alice", "confctl", "add Pass: 1 rule", "wiki", 1, 1}), 1u);
    EXPECT_EQ(f.Save("b\n"), std::nullopt); // changes nothing, records nothing
    WriteFile(f.path, "c\nd\n");            // an editor's change
    EXPECT_EQ(f.Save("e\n"), 3u);

    const std::vector<history::Entry> e = f.history.Entries();
    ASSERT_EQ(e.size(), 4u);
    const std::vector<std::string> lines = LogLines(f);
    const std::vector<std::string> bytes = {"a\n", "b\n", "c\nd\n", "e\n"};
    const std::vector<std::string> who = {"outside", "alice", "outside", "alice"};
    for (std::size_t n = 0; n < e.size(); ++n) {
        EXPECT_EQ(e[n].number, n);
        EXPECT_EQ(e[n].who, who[n]);
        EXPECT_EQ(e[n].sha256, sha256::Hex(bytes[n]));
        EXPECT_EQ(e[n].previous, n == 0 ? history::kChainStart : sha256::Hex(lines[n - 1]));
        EXPECT_EQ(e[n].keep, history::kDefaultKeep);
        EXPECT_TRUE(std::regex_match(e[n].time, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
        EXPECT_EQ(f.history.Revision(n), bytes[n]);
    }
    EXPECT_EQ(e[1].summary, "add Pass: 1 rule");
    EXPECT_EQ(e[1].program, "confctl");
    EXPECT_EQ(e[1].reason, "wiki");
    EXPECT_EQ(e[2].summary, "changed outside");
    EXPECT_EQ(e[2].added, 2u); // counted against revision 1
    EXPECT_EQ(e[2].removed, 1u);
    const history::Verification v = f.history.Verify();
    EXPECT_TRUE(v.ok());
    EXPECT_EQ(v.head, sha256::Hex(lines.back()));
}

// Each way of tampering with a history of revisions 0 to 3, and the remains
// of a crash, which are no tampering.
TEST(History, VerifyFindsTamperingAndNotTheRemainsOfACrash) {
    using Tamper = std::function<void(HistoryFixture &)>;
    auto editLog = [](std::function<void(std::vector<std::string> &)> edit) {
        return [edit](HistoryFixture &f) {
            std::vector<std::string> lines = LogLines(f);
            edit(lines);
            WriteLogLines(f, lines);
        };
    };
    auto writeFile = [](std::string name, std::string bytes) {
        return [=](HistoryFixture &f) { WriteFile(f.history.folder() + "/" + name, bytes); };
    };
    const struct {
        const char *name;
        Tamper tamper;
        const char *problem; // "" when verify passes
    } cases[] = {
        {"entry removed", editLog([](auto &l) { l.erase(l.begin() + 2); }), "removed or moved"},
        {"entries swapped", editLog([](auto &l) { std::swap(l[1], l[2]); }), "removed or moved"},
        {"entry altered",
         editLog([](auto &l) { l[1] = std::regex_replace(l[1], std::regex("alice"), "bob"); }),
         "revision 2 does not follow"},
        {"entry not JSON", editLog([](auto &l) { l[2] = "{"; }), "log line 3 is not"},
        {"copy altered", writeFile("1", "x\n"), "revision 1: its copy was altered"},
        {"copy removed", [](HistoryFixture &f) { unlink((f.history.folder() + "/2").c_str()); },
         "revision 2: its copy is missing"},
        {"last line torn",
         [](HistoryFixture &f) { WriteFile(f.history.folder() + "/log", f.Log() + "{\"numb"); },
         ""},
        {"copy without entry", writeFile("4", "next\n"), ""},
        {"temporary file left", writeFile(".tmp-1-1", "next\n"), ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HistoryFixture f("0\n");
        for (const char *bytes : {"1\n", "2\n", "3\n"})
            f.Save(bytes);
        ASSERT_TRUE(f.history.Verify().ok());
        c.tamper(f);
        const history::Verification v = f.history.Verify();
        const std::string problems = ::testing::PrintToString(v.problems);
        EXPECT_EQ(v.ok(), *c.problem == '\0') << problems;
        EXPECT_NE(problems.find(c.problem), std::string::npos) << problems;
    }
}

TEST(History, TheNextWriterRemovesTheRemainsOfACrash) {
    HistoryFixture f("0\n");
    f.Save("1\n");
    const std::string log = f.Log();
    WriteFile(f.history.folder() + "/log", log + "{\"number\":2,");
    WriteFile(f.history.folder() + "/2", "lost\n");
    WriteFile(f.history.folder() + "/.tmp-7-1", "lost\n");
    EXPECT_EQ(f.Save("2\n"), 2u);
    EXPECT_EQ(f.Log().substr(0, log.size() + 1), log + "{");
    EXPECT_EQ(LogLines(f).size(), 3u);
    EXPECT_EQ(f.history.Revision(2), "2\n");
    EXPECT_FALSE(testsupport::FileExists(f.history.folder() + "/.tmp-7-1"));
    EXPECT_TRUE(f.history.Verify().ok());
}

// keep N keeps the copies of the last N revisions and the one before them;
// entries stay, and a pruned revision is no fault, whichever keep was in
// force when it went.
TEST(History, PrunesCopiesOldestFirstAndKeepsEveryEntry) {
    HistoryFixture f("0\n");
    EXPECT_EQ(f.history.Keep(), history::kDefaultKeep);
    f.history.SetKeep(3);
    EXPECT_EQ(f.history.Keep(), 3u);
    for (int n = 1; n <= 10; ++n)
        f.Save(std::to_string(n) + "\n");
    auto copies = [&] {
        std::vector<std::size_t> kept;
        for (std::size_t n = 0; n <= f.history.Entries().back().number; ++n)
            if (testsupport::FileExists(f.history.folder() + "/" + std::to_string(n)))
                kept.push_back(n);
        return kept;
    };
    EXPECT_EQ(copies(), (std::vector<std::size_t>{7, 8, 9, 10}));
    EXPECT_EQ(f.history.Entries().size(), 11u);
    EXPECT_EQ(history::RenderShow(f.history, 8),
              "--- proxy.conf\n+++ proxy.conf\n@@ -1 +1 @@\n-7\n+8\n");
    EXPECT_THROW(history::RenderShow(f.history, 7), history::Error);
    EXPECT_TRUE(f.history.Verify().ok());
    const std::string seventh = f.history.folder() + "/7";
    unlink(seventh.c_str()); // inside the window: not pruned but lost
    EXPECT_FALSE(f.history.Verify().ok());
    WriteFile(seventh, "7\n");

    f.history.SetKeep(6); // more than was kept: what went stays gone
    EXPECT_TRUE(f.history.Verify().ok());
    f.Save("11\n");
    EXPECT_EQ(copies(), (std::vector<std::size_t>{7, 8, 9, 10, 11}));
    EXPECT_TRUE(f.history.Verify().ok());
    f.history.SetKeep(1);
    f.Save("12\n");
    EXPECT_EQ(copies(), (std::vector<std::size_t>{11, 12}));
    EXPECT_TRUE(f.history.Verify().ok());
}

TEST(History, AHistoryOfALinkIsBesideTheFileItNames) {
    HistoryFixture f;
    std::filesystem::create_directory(f.dir.File("etc"));
    ASSERT_EQ(rename(f.path.c_str(), f.dir.File("etc/real.conf").c_str()), 0);
    std::error_code error;
    std::filesystem::create_symlink("etc/real.conf", f.path, error);
    if (error) GTEST_SKIP() << "no symbolic link could be made: " << error.message();
    history::History linked(f.path);
    EXPECT_EQ(linked.folder(), f.dir.File("etc/real.conf.history"));
    EXPECT_EQ(linked.Record(
                  "Port 80\n", "Port 81\n", {}, [] {}, [](const std::string &) {}),
              1u);
    EXPECT_EQ(history::History(f.dir.File("etc/real.conf")).Entries().size(), 2u);
    EXPECT_FALSE(testsupport::FileExists(f.path + ".history"));
}

TEST(History, ListShowAndDiff) {
    HistoryFixture f("a\n");
    f.Save("b\n", {"alice", "confctl", "add Pass: 1 rule", "wiki"});
    f.Save("c\n", {"bob", "admin", "protect put /x/*"});
    std::string list =
        std::regex_replace(history::RenderList(f.history, "c\n"), std::regex(R"(\d{4}-\S+Z)"), "T");
    EXPECT_EQ(list, "2  T  bob  admin  protect put /x/*  (+0 -0)\n"
                    "1  T  alice  confctl  add Pass: 1 rule  (+0 -0)  reason: wiki\n"
                    "0  T  outside  -  before the first recorded save  (+0 -0)\n");
    EXPECT_EQ(history::RenderList(f.history, "d\n").substr(0, 19), "# changed outside: ");
    EXPECT_EQ(history::ListJson(f.history, "d\n")["changed_outside"], true);
    EXPECT_EQ(history::ListJson(f.history, "c\n")["revisions"][0]["who"], "bob");
    const std::string head = "--- proxy.conf\n+++ proxy.conf\n";
    EXPECT_EQ(history::RenderShow(f.history, 0), head + "@@ -0,0 +1 @@\n+a\n");
    EXPECT_EQ(history::RenderShow(f.history, 2), head + "@@ -1 +1 @@\n-b\n+c\n");
    EXPECT_EQ(history::RenderDiff(f.history, 0, 2, ""), head + "@@ -1 +1 @@\n-a\n+c\n");
    EXPECT_EQ(history::RenderDiff(f.history, 1, std::nullopt, "b\nz\n"),
              head + "@@ -1 +1,2 @@\n b\n+z\n");
    EXPECT_THROW(history::RenderShow(f.history, 3), history::Error);
}

TEST(History, LineCountsOfADiff) {
    const struct {
        const char *before, *after;
        std::size_t added, removed;
    } cases[] = {
        {"", "", 0, 0},
        {"a\n", "a\nb\n", 1, 0},
        {"a\nb\n", "b\n", 0, 1},
        {"-a\n", "+a\n", 1, 1},
        {"a\nb\nc\n", "x\nb\ny\n", 2, 2},
        // line ends are not lines changed, and a note on them is not counted
        {"a", "a\n", 0, 0},
        {"a\r\n", "a\n--- b\n", 1, 0},
    };
    for (const auto &c : cases) {
        const history::LineCounts counts = history::CountLines(c.before, c.after);
        EXPECT_EQ(counts.added, c.added) << c.before << "->" << c.after;
        EXPECT_EQ(counts.removed, c.removed) << c.before << "->" << c.after;
    }
}

// Writers that take the configuration's lock take turns at the history too.
TEST(History, ConcurrentWritersLeaveConsecutiveRevisionsAndAValidChain) {
    HistoryFixture f("");
    std::vector<std::thread> writers;
    for (int w = 0; w < 20; ++w)
        writers.emplace_back([&f, w] {
            configlock::ConfigLock lock(f.path, configlock::Mode::Write);
            f.Save(ReadFile(f.path) + "Pass /" + std::to_string(w) + "/*\n");
        });
    for (std::thread &writer : writers)
        writer.join();
    const std::vector<history::Entry> entries = f.history.Entries();
    ASSERT_EQ(entries.size(), 21u);
    for (std::size_t n = 0; n < entries.size(); ++n)
        EXPECT_EQ(entries[n].who, n == 0 ? "outside" : "alice");
    EXPECT_EQ(f.history.Revision(20), ReadFile(f.path));
    EXPECT_TRUE(f.history.Verify().ok());
}
