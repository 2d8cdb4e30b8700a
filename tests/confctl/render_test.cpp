// confctl render: a whole page whose pieces come from the Gen exports, in
// the order they were asked for.
#include "common/value_check.h"
#include "run_confctl.h"

#include <gtest/gtest.h>

using confctltest::Confctl;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

const char kConfig[] =
    "Port 8080\r\n"
    "Caching ON\r\n"
    "DNS-Lookup off\r\n"
    "CacheAlgorithm responsetime\r\n"
    "Enable POST\r\n"
    "Welcome index.html\r\nWelcome home.html\r\n"
    "Pass /a/* /b/*\r\nFail /bad/*\r\nMap /m/* /n/*\r\n"
    "Protect /secret/* setup1 FOR 10.0.0.1\r\n"
    "Member m1 {\r\n     RCAAddr 1.2.3.4\r\n     Timeout 500 milliseconds\r\n}\r\n"
    "DefinePicsRule \"Kids\" {\r\n     (PicsRule-1.0\r\n          (\r\n"
    "          passurl ( \"http://good/\" )\r\n           Filter (deny)\r\n         )\r\n    "
    ")\r\n}\r\n";

std::size_t Find(const std::string &page, const std::string &piece, std::size_t from = 0) {
    std::size_t at = page.find(piece, from);
    EXPECT_NE(at, std::string::npos) << "missing: " << piece;
    return at;
}

TEST(ConfctlRender, PrintsTheWholePageInOrder) {
    TempDir dir;
    std::string file = dir.File("a&b.conf");
    WriteFile(file, kConfig);
    std::string acl = dir.File("users.acl");
    WriteFile(acl, "alice:rw:10.0.0.1\n");

    auto render = Confctl({"render", file, "--action", "/admin?x=\"1\"", "--acl", acl});
    ASSERT_EQ(render.status, 0) << render.err;
    const std::string &page = render.out;
    EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\">\n", 0), 0u);
    EXPECT_EQ(page.substr(page.size() - 16), "</body>\n</html>\n");

    // Texts of our own are escaped; the configuration's values are printed
    // as the library prints them, short rows padded to the table's width.
    std::size_t at = Find(page, "<code>" + dir.path() + "/a&amp;b.conf</code>");
    at = Find(page, "action=\"/admin?x=&quot;1&quot;\"", at);
    at = Find(page, "name=\"Port\" value=\"8080\"", at);
    at = Find(page, "name=\"Caching\" value=\"on\" CHECKED>", at);
    at = Find(page, "name=\"DNS-Lookup\" value=\"on\" >", at);
    at = Find(page, "<OPTION>bandwidth<OPTION SELECTED>responsetime<OPTION>blend", at);
    at = Find(page, "value=\"GET\" >GET", at);
    at = Find(page, "value=\"POST\" CHECKED>POST", at);
    at = Find(page, "<OPTION SELECTED>index.html<OPTION>home.html", at);
    at = Find(page,
              "<tbody>\n<tr><td>1</td><td>Pass</td><td>/a/*</td><td>/b/*</td><td></td></tr>\n"
              "<tr><td>2</td><td>Fail</td><td>/bad/*</td><td></td><td></td></tr>\n"
              "<tr><td>3</td><td>Map</td><td>/m/*</td><td>/n/*</td><td></td></tr>\n</tbody>",
              at);
    at = Find(page, "<tr><td>1</td><td>/secret/*</td><td>setup1</td><td>10.0.0.1</td></tr>", at);
    at = Find(page, "<tr><td>1</td><td>m1</td><td>1.2.3.4\n</td>", at);
    at = Find(page, "<tr><td>1</td><td>Kids</td></tr>", at);
    at = Find(page, "<h3 id=\"pics-1\">PICS rule Kids</h3>", at);
    at = Find(page, "<tr><td>1</td><td>http://good/</td></tr>", at);
    at = Find(page, "<pre class=\"filter\" id=\"pics-1-filter\">           Filter (deny)\n</pre>",
              at);
    Find(page, "<tr><td>1</td><td>alice</td><td>rw</td><td>10.0.0.1</td></tr>", at);
    // Empty tables say so.
    Find(page, "<table id=\"socks\">");
    EXPECT_NE(page.find("<tr class=\"none\"><td colspan=\"5\">none</td></tr>",
                        page.find("<table id=\"socks\">")),
              std::string::npos);
}

// Whatever control bytes the file holds, the page is made: they show as
// "\xNN", and a field whose value holds one is disabled with a note.
TEST(ConfctlRender, ControlBytesShowAsHexAndLockTheirField) {
    std::string bytes;
    for (char c = 1; c < 0x20; ++c)
        if (c != '\t' && c != '\n' && c != '\r' && c != 0x1A) bytes += c;
    TempDir dir;
    const std::string file = dir.File("proxy.conf");
    WriteFile(file, "Port 80\x1b\r\nHostname h\r\nPass /a/* /b/*" + bytes + "<\x7f\r\n");
    auto render = Confctl({"render", file});
    ASSERT_EQ(render.status, 0) << render.err;
    const std::string &page = render.out;
    for (char c : page)
        EXPECT_FALSE(valuecheck::IsRefusedControl(c) && c != '\n') << static_cast<int>(c);
    std::string shown;
    for (char c : bytes)
        shown += "\\x" + valuecheck::HexDigits(c);
    Find(page, "<td>/b/*" + shown + "&lt;\\x7F</td>");
    Find(page,
         "name=\"Port\" value=\"80\\x1B\" size=\"6\" disabled aria-describedby=\"f-Port-note\">"
         " <span class=\"note\" id=\"f-Port-note\">");
    Find(page, "name=\"Hostname\" value=\"h\" size=\"30\">");
}

TEST(ConfctlRender, MissingFilesAreErrors) {
    TempDir dir;
    std::string file = dir.File("proxy.conf");
    WriteFile(file, kConfig);
    EXPECT_EQ(Confctl({"render", dir.File("none.conf")}).status, 2);
    auto acl = Confctl({"render", file, "--acl", dir.File("none.acl")});
    EXPECT_EQ(acl.status, 2);
    EXPECT_EQ(acl.out, "");
}

} // namespace
