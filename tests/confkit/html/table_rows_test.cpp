// Table row generators for single-line rules.
#include "html_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using htmltest::Capture;
using htmltest::Doc;
using htmltest::Printed;

Printed Table(const char *doc_text, const char *dir, int32_t limit, int32_t skip,
              const char *tmpl = "%s\n") {
    auto doc = Doc(doc_text);
    return Capture([&] { return GenTableItems(tmpl, dir, limit, skip, doc.get()); });
}

TEST(GenTableItems, LaterWordsShareTheLastCell) {
    Printed p = Table("Port 80\nPass /a/* /b/*  extra\tmore\nPass /c/*\n", "pass", 2, 1);
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/a/*</td><td>/b/* extra more</td></tr>\n"
                     "<tr><td>2</td><td>/c/*</td></tr>\n");
    EXPECT_EQ(p.result, 2);
    EXPECT_EQ(Table("Pass /a/* /b/*\n", "PASS", 3, 0).out,
              "<tr><td>1</td><td>Pass</td><td>/a/*</td><td>/b/*</td></tr>\n");
    EXPECT_EQ(Table("Pass /a/* /b/*\n", "pass", 0, 1).out, "<tr><td>1 /a/* /b/*</td></tr>\n");
    EXPECT_EQ(Table("Pass {a} b{c\n", "pass", 5, 1).out,
              "<tr><td>1</td><td>a}</td><td>b</td><td>c</td></tr>\n");
}

TEST(GenTableItems, ACommentEndsTheRow) {
    EXPECT_EQ(Table("Pass /x/* /y/* # note here\n", "pass", 5, 1).out,
              "<tr><td>1</td><td>/x/*</td><td>/y/*</td></tr>\n");
    EXPECT_EQ(Table("Pass /x/* #note /y/*\n", "pass", 5, 1).out,
              "<tr><td>1</td><td>/x/*</td></tr>\n");
    EXPECT_EQ(Table("Pass /x/*#glued\n", "pass", 5, 1).out,
              "<tr><td>1</td><td>/x/*#glued</td></tr>\n");
    Printed bare = Table("Pass\nPass # only a note\n", "pass", 5, 1);
    EXPECT_EQ(bare.out, "<tr><td>1</td></tr>\n<tr><td>2</td></tr>\n");
    EXPECT_EQ(bare.result, 2);
}

TEST(GenTableItems, TimesWithoutTemplateLeaveTheFirstCellEmpty) {
    const char *doc = "CacheMaxExpiry 2 weeks 3 days\nCacheMaxExpiry http://* 1 day\n";
    EXPECT_EQ(Table(doc, "CacheMaxExpiry", 3, 1).out,
              "<tr><td>1</td><td></td><td>2</td><td>weeks 3 days</td></tr>\n"
              "<tr><td>2</td><td>http://*</td><td>1</td><td>day</td></tr>\n");
    EXPECT_EQ(Table("CacheClean 5 days\n", "cacheclean", 5, 1).out,
              "<tr><td>1</td><td></td><td>5</td><td>days</td></tr>\n");
    // Only those two directives, and only when the text starts with a digit.
    EXPECT_EQ(Table("CacheClean 5 days\n", "cacheclean", 5, 0).out,
              "<tr><td>1</td><td>CacheClean</td><td>5</td><td>days</td></tr>\n");
    EXPECT_EQ(Table("CacheLimit_2 5 K\n", "cachelimit_2", 5, 1).out,
              "<tr><td>1</td><td>5</td><td>K</td></tr>\n");
}

TEST(GenTableItems, QuotedCertificateLabelIsOneCell) {
    EXPECT_EQ(Table("SSLServerCert \"My Server Key\" key.kdb  x\n", "sslservercert", 2, 1).out,
              "<tr><td>1</td><td>My Server Key</td><td>key.kdb x</td></tr>\n");
    // Whatever the first character is, it closes the label and is dropped.
    EXPECT_EQ(Table("SSLServerCert xlabelx key.kdb\n", "SSLServerCert", 5, 1).out,
              "<tr><td>1</td><td>label</td><td>key.kdb</td></tr>\n");
    EXPECT_EQ(Table("SSLServerCert\n", "sslservercert", 5, 1).out, "<tr><td>1</td></tr>\n");
    // An empty label keeps its cell, so the key file stays in its column.
    EXPECT_EQ(Table("SSLServerCert \"\" key.kdb\n", "sslservercert", 5, 1).out,
              "<tr><td>1</td><td></td><td>key.kdb</td></tr>\n");
}

TEST(GenTableItems, RowsAreNotCutAndTemplatesAreNotFormats) {
    std::string rule = "Pass";
    for (int i = 0; i < 200; ++i)
        rule += " w" + std::to_string(i % 10);
    Printed p = Table((rule + "\n").c_str(), "pass", 1000, 1, "%d%%<%s>%n\n");
    ASSERT_GT(p.out.size(), 1023u);
    EXPECT_EQ(p.out.substr(0, 26), "%d%<<tr><td>1</td><td>w0</");
    std::string tail = "</td><td>w8</td><td>w9</td></tr>>%n\n";
    EXPECT_EQ(p.out.substr(p.out.size() - tail.size()), tail);
    EXPECT_EQ(p.result, 1);
}

TEST(GenTableItems, NothingToShow) {
    EXPECT_EQ(Table("Port 80\n", "pass", 3, 1).result, 0);
    EXPECT_EQ(Table("Port 80\n", "pass", 3, 1).out, "");
    EXPECT_EQ(Table("Port 80\n", "nosuchdirective", 3, 1).result, 0);
    EXPECT_EQ(Table("Port 80\n", nullptr, 3, 1).result, 0);
    Printed none = Capture([] { return GenTableItems("%s", "port", 3, 1, nullptr); });
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.result, 0);
}

const char *kMappingDoc = "Pass /a/* /b/*\nFail /c/* reason\nPort 80\nMap /d/* /e/* x\n";

Printed Multi(const char *doc_text, const char *names, int32_t limit, int32_t skip) {
    auto doc = Doc(doc_text);
    return Capture([&] { return GenMultiTableItems("%s\n", names, limit, skip, doc.get()); });
}

TEST(GenMultiTableItems, FailRowsMoveTheirThirdWord) {
    Printed p = Multi(kMappingDoc, "Pass Fail Map ", 5, 0);
    EXPECT_EQ(p.out, "<tr><td>1</td><td>Pass</td><td>/a/*</td><td>/b/*</td></tr>\n"
                     "<tr><td>2</td><td>Fail</td><td>/c/*</td><td></td><td>reason</td></tr>\n"
                     "<tr><td>3</td><td>Map</td><td>/d/*</td><td>/e/*</td><td>x</td></tr>\n");
    EXPECT_EQ(p.result, 3);
    EXPECT_EQ(Multi("FAIL /c/* a b\n", "fail ", 3, 0).out,
              "<tr><td>1</td><td>FAIL</td><td>/c/*</td><td></td><td>a b</td></tr>\n");
    EXPECT_EQ(Multi("Fail /c/* a b\n", "fail ", 2, 0).out,
              "<tr><td>1</td><td>Fail</td><td>/c/* a b</td></tr>\n");
    // Skipping the name, the first word is no longer "Fail".
    EXPECT_EQ(Multi("Fail /c/* a\n", "fail ", 5, 1).out,
              "<tr><td>1</td><td>/c/*</td><td>a</td></tr>\n");
}

TEST(GenMultiTableItems, NameList) {
    EXPECT_EQ(Multi(kMappingDoc, "Pass Fail Map", 5, 0).result, 2);
    EXPECT_EQ(Multi(kMappingDoc, "map  pass ", 5, 1).out,
              "<tr><td>1</td><td>/a/*</td><td>/b/*</td></tr>\n"
              "<tr><td>2</td><td>/d/*</td><td>/e/*</td><td>x</td></tr>\n");
    // "accesslog" ends the list: names after it show nothing.
    EXPECT_EQ(Multi(kMappingDoc, "Fail AccessLog Map ", 5, 1).result, 1);
    EXPECT_EQ(Multi(kMappingDoc, "", 5, 1).result, 0);
    EXPECT_EQ(Multi(kMappingDoc, nullptr, 5, 1).result, 0);
    // Any number of names, of any length.
    std::string names;
    for (int i = 0; i < 40; ++i)
        names += std::string(60, 'q') + std::to_string(i) + " ";
    names += "map ";
    EXPECT_EQ(Multi(kMappingDoc, names.c_str(), 5, 1).out,
              "<tr><td>1</td><td>/d/*</td><td>/e/*</td><td>x</td></tr>\n");
}

Printed Fixed(int32_t (*generator)(const char *, ConfigDocument *), const char *doc_text) {
    auto doc = Doc(doc_text);
    return Capture([&] { return generator("%s\n", doc.get()); });
}

TEST(GenMethTableItems, UserMethodsWithAndWithoutProgram) {
    Printed p = Fixed(GenMethTableItems,
                      "Enable GET\nEnable PROPFIND /cgi/prop.exe x\nEnable MOVE\nEnable trace\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>PROPFIND</td><td>/cgi/prop.exe</td></tr>\n"
                     "<tr><td>2</td><td>MOVE</td><td></td><td></td></tr>\n");
    EXPECT_EQ(p.result, 2);
    // A rule without a method word shows empty cells.
    Printed bare = Fixed(GenMethTableItems, "Enable GET\nEnable\n");
    EXPECT_EQ(bare.out, "<tr><td>1</td><td></td><td></td><td></td></tr>\n");
    EXPECT_EQ(bare.result, 1);
}

TEST(GenZarndsTableItems, OnlyServicesOfZarnds) {
    Printed p = Fixed(GenZarndsTableItems, "Service /a/* a.dll:zarndsGet*\n"
                                           "Service /b/* b.dll:other*\n"
                                           "Service /c/* c.dll:ZARNDSGET*\n"
                                           "Pass /x/* zarndsGet\n"
                                           "service\t/d/*\t d.dll:zarndsGetAll\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/a/*</td></tr>\n<tr><td>2</td><td>/d/*</td></tr>\n");
    EXPECT_EQ(p.result, 2);
}

TEST(GenZarndsConfTableItems, EveryLoadRule) {
    Printed p = Fixed(GenZarndsConfTableItems, "LOAD /x/{a}\nPort 80\nload  /y/* z\nLoad\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/x/{a}</td></tr>\n<tr><td>2</td><td>/y/*</td></tr>\n"
                     "<tr><td>3</td><td></td></tr>\n");
    EXPECT_EQ(p.result, 3);
}

TEST(GenCacheURLTableItems, MixedRulesInDocumentOrder) {
    Printed p = Fixed(GenCacheURLTableItems,
                      "LoadURL http://a/ \nIgnoreURL http://b/*\nPort 80\nloadurl  http://c/ x\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>http://a/ \n</td><td>Cache</td></tr>\n"
                     "<tr><td>2</td><td>http://b/*\n</td><td>Ignore</td></tr>\n"
                     "<tr><td>3</td><td>http://c/ x\n</td><td>Cache</td></tr>\n");
    EXPECT_EQ(p.result, 3);
}

TEST(GenSocksTableItems, UserActionAddressAndRest) {
    Printed p = Fixed(GenSocksTableItems, "sockd @=bob permit 10.0.0.0 255.0.0.0  extra\n"
                                          "sockd deny 1.2.3.4\n"
                                          "  sockd direct 1.2.3.4  x \r\n"
                                          "sockd @= permit\n"
                                          "sockd\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>permit</td><td>10.0.0.0</td><td>255.0.0.0  extra</td>"
                     "<td>bob</td></tr>\n"
                     "<tr><td>2</td><td>deny</td><td>1.2.3.4</td><td></td><td> </td></tr>\n"
                     "<tr><td>3</td><td>direct</td><td>1.2.3.4</td><td> x </td><td> </td></tr>\n"
                     "<tr><td>4</td><td>permit</td><td></td><td></td><td></td></tr>\n"
                     "<tr><td>5</td><td></td><td></td><td></td><td> </td></tr>\n");
    EXPECT_EQ(p.result, 5);
}

Printed API(const char *doc_text, const char *names) {
    auto doc = Doc(doc_text);
    return Capture([&] { return GenAPITableItems("%s\n", names, doc.get()); });
}

TEST(GenAPITableItems, LifeCycleStepsGetEmptyCells) {
    Printed p = API("ServerInit /dll/init.dll:Init\n"
                    "GC Advisor /dll/gc.dll:Adv\n"
                    "Service /x/* /dll/s.dll:Run* # c\n"
                    "serverinit /dll/lower.dll:Init\n"
                    "Port 80\n",
                    "ServerInit&GC Advisor&Service&");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>ServerInit</td><td></td><td>/dll/init.dll:Init</td>"
                     "<td></td></tr>\n"
                     "<tr><td>2</td><td>GCAdvisor</td><td></td><td>/dll/gc.dll:Adv</td>"
                     "<td></td></tr>\n"
                     "<tr><td>3</td><td>Service</td><td>/x/*</td><td>/dll/s.dll:Run*</td>"
                     "<td>#</td><td>c</td></tr>\n"
                     "<tr><td>4</td><td>serverinit</td><td>/dll/lower.dll:Init</td></tr>\n");
    EXPECT_EQ(p.result, 4);
}

TEST(GenAPITableItems, NameList) {
    const char *doc = "PreExit /a.dll:x\nService /x/* /s.dll:y\nMidnight /m.dll:z\n";
    EXPECT_EQ(API(doc, "Service&Midnight").result, 1);
    EXPECT_EQ(API(doc, "midnight&").out,
              "<tr><td>1</td><td>Midnight</td><td></td><td>/m.dll:z</td><td></td></tr>\n");
    std::string names;
    for (int i = 0; i < 30; ++i)
        names += std::string(40, 'n') + "&";
    names += "PreExit&";
    EXPECT_EQ(API(doc, names.c_str()).result, 1);
}

TEST(TableRowGenerators, NullDocumentPrintsNothing) {
    for (auto generator : {GenMethTableItems, GenZarndsTableItems, GenZarndsConfTableItems,
                           GenCacheURLTableItems, GenSocksTableItems}) {
        Printed p = Capture([&] { return generator("%s", nullptr); });
        EXPECT_EQ(p.out, "");
        EXPECT_EQ(p.result, 0);
    }
    Printed p = Capture([] { return GenMultiTableItems("%s", "pass ", 3, 1, nullptr); });
    EXPECT_EQ(p.out + std::to_string(p.result), "0");
    p = Capture([] { return GenAPITableItems("%s", "service&", nullptr); });
    EXPECT_EQ(p.out + std::to_string(p.result), "0");
}

} // namespace
