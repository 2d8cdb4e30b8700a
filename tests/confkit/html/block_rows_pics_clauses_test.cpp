// Table rows of the clauses inside PICS rules.
#include "html_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using htmltest::Capture;
using htmltest::Doc;
using htmltest::Printed;

Printed ClauseRows(ConfigDocument *doc, const char *rule, const char *keyword,
                   const char *tmpl = "%s\n") {
    const std::string before = testsupport::DocText(doc);
    Printed p = Capture([&] { return GenPicsFilterSubTableItems(tmpl, rule, keyword, doc); });
    EXPECT_EQ(testsupport::DocText(doc), before);
    return p;
}

Printed ClauseRows(const char *text, const char *rule, const char *keyword) {
    auto doc = Doc(text);
    return ClauseRows(doc.get(), rule, keyword);
}

// A rule holding one clause of each kind, as the library lays them out.
const char kRule[] = "DefinePicsRule \"R\" {\n"
                     "     (PicsRule-1.0\n"
                     "          (\n"
                     "          failurl (\n"
                     "             \"F1\"\n"
                     "             \"F2\" \"F3\" \"odd\n"
                     "             )\n"
                     "          passurl ( \"P1\" )\n"
                     "          applies-to (\n"
                     "                     \"A1\" \t\n"
                     "\n"
                     "                     A2 (x)\n"
                     "                     )\n"
                     "          serviceinfo (\n"
                     "                      shortname \"SN\"\n"
                     "                      name \"N\"\n"
                     "                      bureau \"B\"\n"
                     "                      ratfile \"RF\"\n"
                     "                      available-with-content \"AWC\"\n"
                     "                      )\n"
                     "          serviceinfo (\n"
                     "                      shortname \"S2\"\n"
                     "                      name \"N2\"\n"
                     "                      available-with-content \"yes\" )\n"
                     "          name     (\n"
                     "                   rulename \"R\"\n"
                     "                   )\n"
                     "           Filter (a\n"
                     "             (b) c)\n"
                     "           Filter plain\n"
                     "         )\n"
                     "    )\n"
                     "}\n";

TEST(GenPicsFilterSubTableItems, UrlRowsEndAtTheClosingParenthesis) {
    Printed fail = ClauseRows(kRule, "R", "failurl");
    EXPECT_EQ(fail.out, "<tr><td>1</td><td>F1</td></tr>\n"
                        "<tr><td>2</td><td>F2</td></tr>\n"
                        "<tr><td>3</td><td>F3</td></tr>\n");
    EXPECT_EQ(fail.result, 3);
    Printed pass = ClauseRows(kRule, "R", "PassURL");
    EXPECT_EQ(pass.out, "<tr><td>1</td><td>P1</td></tr>\n");
    EXPECT_EQ(pass.result, 1);
}

TEST(GenPicsFilterSubTableItems, AppliesToItemsAreTrimmed) {
    Printed p = ClauseRows(kRule, "R", "applies-to");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>\"A1\"</td></tr>\n"
                     "<tr><td>2</td><td></td></tr>\n"
                     "<tr><td>3</td><td>A2 (x)</td></tr>\n");
    EXPECT_EQ(p.result, 3);
    Printed oneLine = ClauseRows("DefinePicsRule \"R\" {\n (PicsRule-1.0\n"
                                 "  applies-to ( (\"a\" \"b\") )\n"
                                 "  applies-to ) x (\n"
                                 "}\n",
                                 "R", "applies-to");
    // Between the first "(" and the last ")"; nothing when they stand reversed.
    EXPECT_EQ(oneLine.out, "<tr><td>1</td><td> (\"a\" \"b\") </td></tr>\n"
                           "<tr><td>2</td><td></td></tr>\n");
}

TEST(GenPicsFilterSubTableItems, ServiceInfoRowPerClause) {
    Printed p = ClauseRows(kRule, "R", "serviceinfo");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>SN</td><td>N</td><td>B</td><td>RF</td><td>AWC</td></tr>\n"
                     // Attributes start afresh; a missing bureau or ratfile is a space.
                     "<tr><td>2</td><td>S2</td><td>N2</td><td> </td><td> </td><td>yes</td></tr>\n");
    EXPECT_EQ(p.result, 2);
}

TEST(GenPicsFilterSubTableItems, FilterPrintedWholeAndCountedOnce) {
    Printed p = ClauseRows(kRule, "R", "Filter");
    EXPECT_EQ(p.out, "           Filter (a\n\n"
                     "             (b) c)\n\n"
                     "           Filter plain\n\n");
    EXPECT_EQ(p.result, 2);
    Printed lower = ClauseRows(kRule, "R", "filter");
    EXPECT_EQ(lower.out, "");
    EXPECT_EQ(lower.result, 0);
}

TEST(GenPicsFilterSubTableItems, RuleNameSelectsBlocksByteForByte) {
    const char *twoBlocks = "DefinePicsRule \"K\" {\n"
                            "     (PicsRule-1.0\n"
                            "          passurl ( \"one\" )\n"
                            "}\n"
                            "DefinePicsRule \"Other\" {\n"
                            "     (PicsRule-1.0\n"
                            "          passurl ( \"not shown\" )\n"
                            "}\n"
                            "DefinePicsRule K{\n"
                            "     (PicsRule-1.0\n"
                            "          passurl ( \"two\" \"three\" )\n"
                            "}\n";
    Printed p = ClauseRows(twoBlocks, "K", "passurl");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>one</td></tr>\n"
                     "<tr><td>2</td><td>two</td></tr>\n"
                     "<tr><td>3</td><td>three</td></tr>\n");
    EXPECT_EQ(p.result, 3);
    EXPECT_EQ(ClauseRows(twoBlocks, "k", "passurl").result, 0);
    EXPECT_EQ(ClauseRows(kRule, "R", "name").result, 0);
    EXPECT_EQ(ClauseRows(kRule, nullptr, "passurl").result, 0);
    EXPECT_EQ(ClauseRows(kRule, "R", nullptr).result, 0);
    EXPECT_EQ(ClauseRows(static_cast<ConfigDocument *>(nullptr), "R", "passurl").result, 0);
}

TEST(GenPicsFilterSubTableItems, BodyStartsBelowTheVersionLine) {
    // The line right after the header is never a clause.
    Printed skipped = ClauseRows("DefinePicsRule \"R\" {\n"
                                 "passurl ( \"hidden\" )\n"
                                 "passurl ( \"shown\" )\n"
                                 "}\n",
                                 "R", "passurl");
    EXPECT_EQ(skipped.out, "<tr><td>1</td><td>shown</td></tr>\n");
    // A block that closes on its second line is empty, and the visit goes on
    // after that closing line.
    Printed empty = ClauseRows("DefinePicsRule \"R\" {\n"
                               " (PicsRule-1.0 }\n"
                               "passurl ( \"outside\" )\n"
                               "}\n",
                               "R", "passurl");
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(empty.out, "");
}

TEST(GenPicsFilterSubTableItems, ClausesStopAtTheBlockEnd) {
    // Unended clauses read no further than the line before the closing line.
    const char *unended = "DefinePicsRule \"R\" {\n"
                          "     (PicsRule-1.0\n"
                          "          passurl ( \"p1\"\n"
                          "          Filter (a\n"
                          "          serviceinfo ( shortname \"s\"\n"
                          "} \"after\" )\n"
                          "Filter (tail)\n"
                          "DefinePicsRule \"R\" {\n"
                          "     (PicsRule-1.0\n"
                          "          passurl \"p2\" )\n"
                          "}\n";
    Printed pass = ClauseRows(unended, "R", "passurl");
    EXPECT_EQ(pass.out, "<tr><td>1</td><td>p1</td></tr>\n"
                        "<tr><td>2</td><td>s</td></tr>\n"
                        "<tr><td>3</td><td>p2</td></tr>\n");
    EXPECT_EQ(pass.result, 3);
    Printed filter = ClauseRows(unended, "R", "Filter");
    EXPECT_EQ(filter.out, "          Filter (a\n\n"
                          "          serviceinfo ( shortname \"s\"\n\n");
    EXPECT_EQ(filter.result, 1);
    Printed service = ClauseRows(unended, "R", "serviceinfo");
    EXPECT_EQ(service.out, "");
    EXPECT_EQ(service.result, 0);
}

TEST(GenPicsFilterSubTableItems, ClausesAsTheLibraryWritesThem) {
    auto doc = Doc("Port 80\n");
    PicsFilterRule rule{};
    rule.RuleName = const_cast<char *>("Kids");
    rule.Description = const_cast<char *>("D");
    rule.ActiveDays = const_cast<char *>("1111111");
    ASSERT_EQ(HTTPDPutPicsFilterRule(doc.get(), &rule, nullptr, 2), 1);
    char u1[] = "http://a/", u2[] = "http://b/";
    char *urls[] = {nullptr, u1, u2, nullptr};
    HTTPDPutPicsFilterSubdirective(doc.get(), "failurl", urls, "Kids");
    char service[] = "SN N OPT1 RF AWC";
    char *services[] = {nullptr, service, nullptr};
    HTTPDPutPicsFilterSubdirective(doc.get(), "serviceinfo", services, "Kids");
    ASSERT_EQ(HTTPDPutFilterSubdirective(doc.get(), "Kids", "Filter (x (y))"), 1);

    Printed urlRows = ClauseRows(doc.get(), "Kids", "failurl");
    EXPECT_EQ(urlRows.out, "<tr><td>1</td><td>http://a/</td></tr>\n"
                           "<tr><td>2</td><td>http://b/</td></tr>\n");
    Printed serviceRows = ClauseRows(doc.get(), "Kids", "serviceinfo");
    EXPECT_EQ(serviceRows.out,
              "<tr><td>1</td><td>SN</td><td>N</td><td> </td><td>RF</td><td>AWC</td></tr>\n");
    Printed filterRows = ClauseRows(doc.get(), "Kids", "Filter", "<pre>%s</pre>");
    EXPECT_EQ(filterRows.out, "<pre>           Filter (x (y))\n</pre>");
    EXPECT_EQ(filterRows.result, 1);
}

TEST(GenPicsFilterSubTableItems, StrayCloseParenEndsAFilterAsTheEditsDo) {
    // "Filter a)" closes more than it opens: its clause ends there, and the
    // rows and the edits agree on it.
    const char *text =
        "DefinePicsRule \"R\" {\n (PicsRule-1.0\n  Filter a)\n  Filter (b\n  c)\n )\n}\n";
    Printed p = ClauseRows(text, "R", "Filter");
    EXPECT_EQ(p.out, "  Filter a)\n\n  Filter (b\n\n  c)\n\n");
    EXPECT_EQ(p.result, 2);
    auto doc = Doc(text);
    ASSERT_NE(HTTPDDeleteFilterSubdirective(doc.get(), "R"), nullptr);
    Printed after = ClauseRows(doc.get(), "R", "Filter");
    EXPECT_EQ(after.out, "  Filter (b\n\n  c)\n\n");
    EXPECT_EQ(after.result, 1);
}

} // namespace
