// Every save by confctl records a revision in the file's history, restore
// brings any revision back as a new one, and a save whose revision cannot
// be recorded is refused.
#include "run_confctl.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

using confctltest::Confctl;
using nlohmann::json;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// The revisions of the file, oldest first.
json Revisions(const std::string &file) {
    const confctltest::Result list = Confctl({"history", "list", file, "--json"});
    EXPECT_EQ(list.status, 0) << list.err;
    json revisions = json::parse(list.out)["revisions"];
    std::reverse(revisions.begin(), revisions.end());
    return revisions;
}

// Each editing subcommand records one revision with its summary, the
// first after revision 0; an edit that changes nothing records none.
TEST(ConfctlRecord, EverySaveRecordsOneRevision) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    const std::string unedited = "Port 80\nPass /a/*\n";
    WriteFile(file, unedited);
    const struct {
        std::vector<std::string> args;
        std::string input, summary; // summary "" when nothing changes
    } cases[] = {
        {{"add", file, "pass", "Pass /b/*", "Pass /c/*"}, "", "add Pass: 2 rules"},
        {{"add", file, "pass", "Pass /b/*"}, "", ""},
        {{"remove", file, "pass", "Pass /c/*"}, "", "remove Pass: 1 rule"},
        {{"protect", "put", file},
         R"({"Directive":"Protect","Template":"/s/*","SetupName":"p"})",
         "protect put /s/*"},
        {{"ldap", "put", file}, R"({"Name":"dir1","Host":"h"})", "ldap put dir1"},
        {{"member", "delete", file, "nobody", "--if-exists"}, "", ""},
        {{"pics", "put", file}, R"({"RuleName":"r1","ActiveDays":"Mon"})", "pics put r1"},
        {{"protect", "delete", file, "/s/*", "--reason", "not needed\tany more"},
         "",
         "protect delete /s/*"},
    };
    std::size_t expected = 0;
    for (const auto &c : cases) {
        const confctltest::Result r = Confctl(c.args, {c.input});
        ASSERT_EQ(r.status, 0) << c.args[0] << ": " << r.err;
        const json revisions = Revisions(file);
        if (!c.summary.empty()) expected += expected == 0 ? 2 : 1;
        ASSERT_EQ(revisions.size(), expected) << c.args[0];
        if (c.summary.empty()) continue;
        const json &last = revisions.back();
        EXPECT_EQ(last["summary"], c.summary);
        EXPECT_EQ(last["who"], confctltest::ProcessUser());
        EXPECT_EQ(last["program"], "confctl");
        EXPECT_EQ(last["sha256"].get<std::string>().size(), 64u);
    }
    const json revisions = Revisions(file);
    EXPECT_EQ(revisions.front()["summary"], "before the first recorded save");
    EXPECT_EQ(revisions.back()["reason"], "not needed\tany more");
    // The two rules, counted on the readable diff: the line ends that change
    // from LF to CR LF are no lines added or removed.
    EXPECT_EQ(revisions[1]["added"], 2);
    EXPECT_EQ(revisions[1]["removed"], 0);
    EXPECT_EQ(Confctl({"history", "verify", file}).status, 0);
}

// The JSON report names the new revision, the copy of the file before the
// change and the chain's head; a program that runs confctl names itself.
TEST(ConfctlRecord, JsonReportsTheRevisionAndACallerNamesItself) {
#ifdef _WIN32
    GTEST_SKIP() << "names the caller through /usr/bin/env, which Windows lacks";
#endif
    TempDir dir;
    const std::string file = dir.File("proxy.conf"), before = "Port 80\r\n";
    WriteFile(file, before);
    const confctltest::Result r =
        Confctl({"add", file, "pass", "Pass /a/*", "--json"}, {},
                {"/usr/bin/env", "CONFCTL_CALLER=proxy_rules", CONFCTL_PROGRAM});
    ASSERT_EQ(r.status, 0) << r.err;
    const json report = json::parse(r.out);
    EXPECT_EQ(report["revision"], 1);
    EXPECT_EQ(ReadFile(report["backup_file"]), before);
    EXPECT_EQ(Confctl({"history", "verify", file}).out,
              "head: " + report["history_head"].get<std::string>() + "\n");
    EXPECT_EQ(Revisions(file).back()["program"], "confctl (proxy_rules)");
    const confctltest::Result bad =
        Confctl({"add", file, "pass", "Pass /b/*", "--reason", "a\x1b[31m"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--reason: holds byte 0x1B"), std::string::npos) << bad.err;
}

// A file changed outside is recorded as a revision of its own before the
// next save; restore makes the file any revision's bytes again, exactly,
// as a new revision.
TEST(ConfctlRecord, OutsideChangesAreKeptAndRestoreBringsAnyRevisionBack) {
    TempDir dir;
    const std::string file = dir.File("proxy.conf"), lf = "Port 80\nPass /a/*\n";
    WriteFile(file, lf);
    ASSERT_EQ(Confctl({"add", file, "pass", "Pass /b/*"}).status, 0);
    WriteFile(file, "Port 81\r\n");
    EXPECT_NE(Confctl({"history", "list", file}).out.find("outside"), std::string::npos);
    ASSERT_EQ(Confctl({"add", file, "pass", "Pass /c/*"}).status, 0);
    json revisions = Revisions(file);
    ASSERT_EQ(revisions.size(), 4u);
    EXPECT_EQ(revisions[2]["who"], "outside");

    const std::string added = ReadFile(file);
    const confctltest::Result dry = Confctl({"restore", file, "0", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("-Pass /c/*\n"), std::string::npos) << dry.out;
    EXPECT_NE(Confctl({"restore", file, "0", "--dry-run", "--exact"}).out.find("-Pass /c/*\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadFile(file), added);
    const confctltest::Result restore = Confctl({"restore", file, "0", "--reason", "undo"});
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(ReadFile(file), lf); // the LF bytes a save would have written as CR LF
    revisions = Revisions(file);
    ASSERT_EQ(revisions.size(), 5u);
    EXPECT_EQ(revisions.back()["summary"], "restore of revision 0");
    EXPECT_EQ(revisions.back()["reason"], "undo");
    // The file is revision 0 already; a revision that is not there is refused.
    EXPECT_EQ(Confctl({"restore", file, "0"}).status, 0);
    EXPECT_EQ(Revisions(file).size(), 5u);
    const confctltest::Result missing = Confctl({"restore", file, "9"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no revision 9"), std::string::npos) << missing.err;
    EXPECT_EQ(Confctl({"history", "verify", file}).status, 0);
}

// A history the user may not write refuses the save and leaves the file.
TEST(ConfctlRecord, AHistoryThatCannotBeRecordedRefusesTheSave) {
    TempDir dir, bin;
    const std::vector<std::string> nobody = confctltest::AsNobody(bin);
    if (nobody.empty()) GTEST_SKIP() << "needs root and setpriv to run confctl as another user";
    const std::string file = dir.File("proxy.conf"), text = "Port 80\r\n";
    WriteFile(file, text);
    ASSERT_EQ(Confctl({"add", file, "pass", "Pass /a/*"}).status, 0); // root makes the history
    const std::string recorded = ReadFile(file);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(chmod((file + ".lock").c_str(), 0666), 0);
    const confctltest::Result add = Confctl({"add", file, "pass", "Pass /b/*"}, {}, nobody);
    EXPECT_EQ(add.status, 2);
    EXPECT_NE(add.err.find("cannot record the save in the history, nothing saved"),
              std::string::npos)
        << add.err;
    EXPECT_EQ(ReadFile(file), recorded);
    EXPECT_EQ(Revisions(file).size(), 2u);
    EXPECT_EQ(Confctl({"history", "verify", file}).status, 0);
}

} // namespace
