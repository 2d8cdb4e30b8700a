// Table rows of Protect entries, Member blocks and PICS rule headers.
#include "html_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using htmltest::Capture;
using htmltest::Doc;
using htmltest::Printed;

// Runs a generator on doc and checks that the document reads the same after.
template <class F> Printed RunOn(ConfigDocument *doc, F &&generator) {
    const std::string before = testsupport::DocText(doc);
    Printed p = Capture([&] { return generator(doc); });
    EXPECT_EQ(testsupport::DocText(doc), before);
    return p;
}

Printed ProtectRows(const char *text) {
    auto doc = Doc(text);
    return RunOn(doc.get(), [](ConfigDocument *d) { return GenProtectTableItems("%s\n", d); });
}

Printed MemberRows(const char *text) {
    auto doc = Doc(text);
    return RunOn(doc.get(), [](ConfigDocument *d) { return GenMemberTableItems("%s\n", d); });
}

Printed PicsRuleRows(const char *text) {
    auto doc = Doc(text);
    return RunOn(doc.get(), [](ConfigDocument *d) { return GenPicsFilterTableItems("%s\n", d); });
}

TEST(GenProtectTableItems, EveryRowShape) {
    Printed p = ProtectRows("Protect  /a/*  Staff  FOR 10.0.0.1\n"
                            "Protect  /b/*  Staff\n"
                            "Protect /c/* 10.0.0.2 {\n"
                            "      UserID  joe\n"
                            "}\n"
                            "Protect /d/* {\n"
                            "}\n"
                            "Protect /e/* Staff extra words\n"
                            "protect /f/* Staff for 10.0.0.3 trailing\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/a/*</td><td>Staff</td><td>10.0.0.1</td></tr>\n"
                     "<tr><td>2</td><td>/b/*</td><td>Staff</td></tr>\n"
                     "<tr><td>3</td><td>/c/*</td><td></td><td>10.0.0.2</td></tr>\n"
                     "<tr><td>4</td><td>/d/*</td></tr>\n"
                     // The address mark of row 1 does not carry over.
                     "<tr><td>5</td><td>/e/*</td><td>Staff</td></tr>\n"
                     "<tr><td>6</td><td>/f/*</td><td>Staff</td><td>10.0.0.3</td></tr>\n");
    EXPECT_EQ(p.result, 6);
}

TEST(GenProtectTableItems, BlockHeaderWithForShowsTheAddress) {
    Printed typed = ProtectRows("Protect  /x/*  FOR 10.0.0.1  {\n}\n");
    EXPECT_EQ(typed.out, "<tr><td>1</td><td>/x/*</td><td></td><td>10.0.0.1</td></tr>\n");

    // The same header as the library writes it for an entry with an address.
    auto doc = Doc("Pass /y/*\n");
    ProtectRule rule{};
    rule.Directive = const_cast<char *>("Protect");
    rule.Template = const_cast<char *>("/x/*");
    rule.Address = const_cast<char *>("10.0.0.9");
    rule.UserID = const_cast<char *>("joe");
    ASSERT_EQ(HTTPDPutProtectRule(doc.get(), &rule, nullptr, 1), 1);
    Printed written =
        RunOn(doc.get(), [](ConfigDocument *d) { return GenProtectTableItems("%s\n", d); });
    EXPECT_EQ(written.out, "<tr><td>1</td><td>/x/*</td><td></td><td>10.0.0.9</td></tr>\n");
    EXPECT_EQ(written.result, 1);
}

TEST(GenProtectTableItems, OnlyProtectHeadersGiveRows) {
    Printed p = ProtectRows("Protection Staff {\n"
                            "      UserID  joe\n"
                            "}\n"
                            "#Protect /old/* Staff\n"
                            "Protect /a/* {\n"
                            "      GetMask  All\n"
                            "}\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/a/*</td></tr>\n");
    EXPECT_EQ(p.result, 1);
    EXPECT_EQ(ProtectRows("Protection Staff {\n}\n").result, 0);
    EXPECT_EQ(Capture([] { return GenProtectTableItems("%s\n", nullptr); }).result, 0);
}

TEST(GenMemberTableItems, BlockAsTheLibraryWritesIt) {
    auto doc = Doc("Port 80\n");
    MemberRule m{};
    m.Name = const_cast<char *>("\"east\"");
    m.RCAAddr = const_cast<char *>("10.1.1.1");
    m.RCAPort = const_cast<char *>("8080");
    m.CacheRoot = const_cast<char *>("/cache");
    m.CacheSize = const_cast<char *>("100");
    m.CacheSizeSuffix = const_cast<char *>("MB");
    m.Timeout = const_cast<char *>("500");
    m.BindSpecific = const_cast<char *>("on");
    m.ReuseAddr = const_cast<char *>("off");
    ASSERT_EQ(HTTPDPutMemberRule(doc.get(), &m, nullptr, 2), 1);
    Printed p = RunOn(doc.get(), [](ConfigDocument *d) { return GenMemberTableItems("[%s]", d); });
    // Values keep the rest of their line, line break included; the time-out
    // is the number alone.
    EXPECT_EQ(p.out, "[<tr><td>1</td><td>east</td><td>10.1.1.1\n</td><td>/cache\n</td>"
                     "<td align=center>100 MB\n</td><td>8080\n</td>         "
                     "<td align=center>500</td><td align=center>on\n</td>"
                     "<td align=center>off\n</td></tr>]");
    EXPECT_EQ(p.result, 1);
}

TEST(GenMemberTableItems, ValuesBelongToTheirOwnBlock) {
    Printed p = MemberRows("LDAPInfo dir {\n"
                           "      GroupMemberAttrs \"member\"\n"
                           "}\n"
                           "Member one {\n"
                           "     CacheRoot /c1\n"
                           "     RCAPort 1\n"
                           "     RCAPort 2\n"
                           "     BindSpecific ReuseAddr yes\n"
                           "     RCAAddr a } RCAAddr b\n"
                           "member RCAAddr{\n"
                           "     Timeout 9\n"
                           "}\n"
                           "Member three {\n"
                           "     Member four {\n"
                           "     RCAAddr c\n");
    EXPECT_EQ(p.out,
              // A later line wins; one line can name two keywords; the
              // closing line is not read.
              "<tr><td>1</td><td>one</td><td></td><td>/c1\n</td><td align=center></td>"
              "<td>2\n</td>         <td align=center></td><td align=center>ReuseAddr yes\n</td>"
              "<td align=center>ReuseAddr yes\n</td></tr>\n"
              // The header is not searched, and nothing is left from block one.
              "<tr><td>2</td><td>RCAAddr</td><td></td><td></td><td align=center></td>"
              "<td></td>         <td align=center>9</td><td align=center></td>"
              "<td align=center></td></tr>\n"
              // An unclosed block runs to the end; a Member line in it is body.
              "<tr><td>3</td><td>three</td><td>c\n</td><td></td><td align=center></td>"
              "<td></td>         <td align=center></td><td align=center></td>"
              "<td align=center></td></tr>\n");
    EXPECT_EQ(p.result, 3);
    EXPECT_EQ(MemberRows("#Member x {\n}\nMemberX y {\n}\n").result, 0);
    EXPECT_EQ(Capture([] { return GenMemberTableItems("%s\n", nullptr); }).result, 0);
}

TEST(GenPicsFilterTableItems, RowsShowTheRuleNames) {
    Printed p = PicsRuleRows("DefinePicsRule \"My rule\" {\n"
                             "     (PicsRule-1.0\n"
                             "    )\n"
                             "}\n"
                             "#DefinePicsRule \"Old\" {\n"
                             "definepicsrule Kids {\n"
                             "}\n"
                             "DefinePicsRule\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>My rule</td></tr>\n"
                     "<tr><td>2</td><td>Kids </td></tr>\n"
                     "<tr><td>3</td><td></td></tr>\n");
    EXPECT_EQ(p.result, 3);
    EXPECT_EQ(PicsRuleRows("Port 80\n").result, 0);
}

} // namespace
