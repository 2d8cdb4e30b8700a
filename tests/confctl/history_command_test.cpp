// confctl history on a history of three revisions: what each subcommand
// prints and its exit status.
#include "history.h"
#include "run_confctl.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using confctltest::Confctl;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(ConfctlHistory, SubcommandsPrintTheRevisions) {
    testsupport::TempDir dir;
    const std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\n");
    history::History history(file);
    for (const char *after : {"Port 81\n", "Port 82\r\n"})
        history.Record(
            ReadFile(file), after, {"alice", "confctl", "edit", "why"},
            [&] { WriteFile(file, after); }, [](const std::string &) {});
    const std::string head = "--- proxy.conf\n+++ proxy.conf\n@@ -1 +1 @@\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out; // a part of standard output
    } cases[] = {
        {{"history", "show", file, "2"}, 0, head + "-Port 81\n+Port 82\n"},
        {{"history", "diff", file, "0", "2"}, 0, head + "-Port 80\n+Port 82\n"},
        {{"history", "diff", file, "1"}, 0, head + "-Port 81\n+Port 82\n"},
        {{"history", "list", file}, 0, "  alice  confctl  edit  (+0 -0)  reason: why\n0  "},
        {{"history", "show", file, "3"}, 2, ""},
        {{"history", "verify", file}, 0, "head: "},
        {{"history", "keep", file, "7"}, 0, ""},
        {{"history", "list", dir.File("missing.conf")}, 2, ""},
    };
    for (const auto &c : cases) {
        const confctltest::Result r = Confctl(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << " " << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << c.args[1] << ": " << r.out;
    }
    EXPECT_EQ(history.Keep(), 7u);
    EXPECT_EQ(Confctl({"history", "verify", file}).out, "head: " + history.Verify().head + "\n");

    WriteFile(file, "Port 83\n");
    const confctltest::Result list = Confctl({"history", "list", file, "--json"});
    EXPECT_EQ(nlohmann::json::parse(list.out)["changed_outside"], true) << list.out;
    WriteFile(history.folder() + "/1", "Port 99\n");
    const confctltest::Result broken = Confctl({"history", "verify", file});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.out.find("revision 1: its copy was altered"), std::string::npos) << broken.out;
}
