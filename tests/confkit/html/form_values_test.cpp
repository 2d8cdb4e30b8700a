// Form value generators: option lists, text field values, check-box states.
#include "html_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using htmltest::Capture;
using htmltest::Doc;

std::string Options(int32_t low, int32_t high, int32_t selected, const char *tmpl = "[%s]") {
    return Capture([&] { return GenOptionString(tmpl, low, high, selected); }).out;
}

TEST(GenOptionString, ListsTheRangeWithTheSelectedOne) {
    EXPECT_EQ(Options(1, 3, 2), "[<OPTION>1<OPTION SELECTED>2<OPTION>3]");
    EXPECT_EQ(Options(-2, -1, -1), "[<OPTION>-2<OPTION SELECTED>-1]");
    EXPECT_EQ(Options(1, 3, 7), "[<OPTION>1<OPTION>2<OPTION>3]");
    EXPECT_EQ(Options(5, 5, 5), "[<OPTION SELECTED>5]");
    EXPECT_EQ(Capture([] { return GenOptionString("%s", 1, 2, 1); }).result, 0);
}

TEST(GenOptionString, EmptyOrHugeRangesGiveTheSingleZeroEntry) {
    EXPECT_EQ(Options(1, 0, 0), "[<OPTION>0]");
    EXPECT_EQ(Options(-5, 0, -5), "[<OPTION>0]");
    EXPECT_EQ(Options(5, 2, 3), "[<OPTION>0]");
    EXPECT_EQ(Options(INT32_MIN, INT32_MAX, 0), "[<OPTION>0]");
    EXPECT_EQ(Options(1, 100001, 1), "[<OPTION>0]");
    EXPECT_EQ(Options(0, 99999, 99999, "%s").size(), 100000 * 8 + 488890 + 9);
}

TEST(GenOptionString, ValuesAtTheEndsOfTheIntegerRange) {
    EXPECT_EQ(Options(INT32_MAX - 1, INT32_MAX, INT32_MAX),
              "[<OPTION>2147483646<OPTION SELECTED>2147483647]");
    EXPECT_EQ(Options(INT32_MIN, INT32_MIN + 1, 0), "[<OPTION>-2147483648<OPTION>-2147483647]");
    // A selected value of three characters is no longer cut.
    EXPECT_EQ(Options(99, 100, 100), "[<OPTION>99<OPTION SELECTED>100]");
}

const char *kOptionDoc = "CacheAlgorithm B extra\nPort 80\n";

std::string OptionList(const char *tmpl, const char *dir, const char *opts, const char *def,
                       ConfigDocument *doc) {
    return Capture([&] { return GenOptionList(tmpl, dir, opts, def, doc); }).out;
}

TEST(GenOptionList, SelectsTheConfiguredValueIgnoringCase) {
    auto doc = Doc(kOptionDoc);
    EXPECT_EQ(OptionList("<select>%s</select>", "cachealgorithm", "a,,b,", "a", doc.get()),
              "<select><OPTION>a<OPTION SELECTED>b</select>");
    EXPECT_EQ(OptionList("%s", "cachealgorithm", ",b,B,c", nullptr, doc.get()),
              "<OPTION SELECTED>b<OPTION SELECTED>B<OPTION>c");
}

TEST(GenOptionList, FallsBackToTheDefaultValue) {
    auto doc = Doc(kOptionDoc);
    EXPECT_EQ(OptionList("%s", "Caching", "a,b", "A", doc.get()), "<OPTION SELECTED>a<OPTION>b");
    EXPECT_EQ(OptionList("%s", "Caching", "a,b", nullptr, doc.get()), "<OPTION>a<OPTION>b");
    EXPECT_EQ(OptionList("%s", "Caching", "a,b", "a", nullptr), "<OPTION SELECTED>a<OPTION>b");
    EXPECT_EQ(OptionList("%s", "nosuchname", "a,b", "b", doc.get()), "<OPTION>a<OPTION SELECTED>b");
    // A rule with no value selects nothing, whatever the default.
    auto bare = Doc("CacheAlgorithm\n");
    EXPECT_EQ(OptionList("%s", "cachealgorithm", "a,b", "a", bare.get()), "<OPTION>a<OPTION>b");
}

TEST(GenOptionList, TemplateShapes) {
    auto doc = Doc(kOptionDoc);
    EXPECT_EQ(OptionList("%s", "cachealgorithm", nullptr, "a", doc.get()), "<OPTION>0");
    EXPECT_EQ(OptionList("no slot %%", "cachealgorithm", "a,b", "a", doc.get()), "no slot %");
    EXPECT_EQ(OptionList("50%% <%s> %s %d", "cachealgorithm", "b", "a", doc.get()),
              "50% <<OPTION SELECTED>b> %s %d");
    EXPECT_EQ(OptionList(nullptr, "cachealgorithm", "a", "a", doc.get()), "");
}

const char *kFieldDoc = "ServerRoot  C:\\Proxy   main\tone\r\nWelcome a.html\nWelcome b.html\n";

std::string TextField(int32_t n, int32_t rest, const char *def, ConfigDocument *doc,
                      const char *dir = "serverroot") {
    return Capture([&] { return GenTextField("<%s>", dir, n, rest, def, doc); }).out;
}

TEST(GenTextField, OneFieldOrTheRestOfTheLine) {
    auto doc = Doc(kFieldDoc);
    EXPECT_EQ(TextField(2, 0, "d", doc.get()), "<C:\\Proxy>");
    EXPECT_EQ(TextField(3, 5, "d", doc.get()), "<main>");
    EXPECT_EQ(TextField(9, 0, "d", doc.get()), "<>");
    EXPECT_EQ(TextField(2, 1, "d", doc.get()), "<C:\\Proxy   main\tone  >");
    EXPECT_EQ(TextField(3, 1, "d", doc.get()), "<main\tone  >");
    EXPECT_EQ(TextField(1, 1, "d", doc.get()), "<ServerRoot  C:\\Proxy   main\tone  >");
    EXPECT_EQ(TextField(-4, 1, "d", doc.get()), "<ServerRoot  C:\\Proxy   main\tone  >");
    EXPECT_EQ(TextField(2, 0, "d", doc.get(), "Welcome"), "<a.html>");
}

TEST(GenTextField, StopsAtTheEndOfTheTextWhateverTheFieldNumber) {
    auto doc = Doc(kFieldDoc);
    EXPECT_EQ(TextField(INT32_MAX, 1, "d", doc.get()), "<>");
    EXPECT_EQ(TextField(INT32_MAX, 0, "d", doc.get()), "<>");
}

TEST(GenTextField, DefaultWhenTheDirectiveHasNoRule) {
    auto doc = Doc(kFieldDoc);
    EXPECT_EQ(TextField(2, 1, "8080", doc.get(), "port"), "<8080>");
    EXPECT_EQ(TextField(2, 1, nullptr, doc.get(), "port"), "<>");
    EXPECT_EQ(TextField(2, 1, "x", nullptr), "<x>");
}

const char *kCheckDoc = "Enable GET\nEnable put /cgi/put.exe\nService /x/* a.dll:zarndsGet*\n";

std::string Checked(const char *pattern, const char *prefix, int32_t absent, int32_t field,
                    ConfigDocument *doc) {
    return Capture([&] {
               return GenCheckedSetting("[%s]", pattern, prefix, absent, field, "CHECKED", doc);
           })
        .out;
}

TEST(GenCheckedSetting, LooksForARuleWithPrefixAndValue) {
    auto doc = Doc(kCheckDoc);
    EXPECT_EQ(Checked("Enable", "", 0, 2, doc.get()), "[CHECKED]");
    EXPECT_EQ(Checked("Enable", "P", 0, 2, doc.get()), "[CHECKED]");
    EXPECT_EQ(Checked("Enable", "post", 0, 2, doc.get()), "[]");
    EXPECT_EQ(Checked("Enable", "/CGI/put", 0, 3, doc.get()), "[CHECKED]");
    EXPECT_EQ(Checked("Enable", "/cgi/put.exe.old", 0, 3, doc.get()), "[]");
    EXPECT_EQ(Checked("Enable PUT", "/cgi", 0, 3, doc.get()), "[CHECKED]");
    EXPECT_EQ(Checked("Enable GET", "/cgi", 0, 3, doc.get()), "[]");
    EXPECT_EQ(Checked("Enable get", nullptr, 0, 3, doc.get()), "[CHECKED]");
}

TEST(GenCheckedSetting, AbsentDirectiveIsCheckedOnlyForFlagOne) {
    auto doc = Doc(kCheckDoc);
    EXPECT_EQ(Checked("Disable", "", 1, 2, doc.get()), "[CHECKED]");
    EXPECT_EQ(Checked("Disable", "", 2, 2, doc.get()), "[]");
    EXPECT_EQ(Checked("Disable", "", 0, 2, doc.get()), "[]");
    // The directive has rules, none of them fits: not checked despite the flag.
    EXPECT_EQ(Checked("Enable", "post", 1, 2, doc.get()), "[]");
    EXPECT_EQ(Checked("Enable", "", 1, 2, nullptr), "[CHECKED]");
    EXPECT_EQ(Checked(nullptr, "", 1, 2, doc.get()), "[CHECKED]");
}

std::string OnOff(const char *doc_text, int32_t sense, int32_t absent) {
    auto doc = Doc(doc_text);
    return Capture(
               [&] { return GenCheckedSettingOnOff("[%s]", "Caching", sense, absent, doc.get()); })
        .out;
}

TEST(GenCheckedSettingOnOff, ValueWordsForEachSense) {
    EXPECT_EQ(OnOff("Caching enable\n", 1, 0), "[CHECKED]");
    EXPECT_EQ(OnOff("Caching enable\n", 0, 0), "[]");
    EXPECT_EQ(OnOff("Caching YES\n", 0, 0), "[]");
    EXPECT_EQ(OnOff("Caching Ok\n", -3, 0), "[CHECKED]");
    EXPECT_EQ(OnOff("Caching none\n", 0, 0), "[CHECKED]");
    EXPECT_EQ(OnOff("Caching Off\nCaching on\n", 0, 0), "[CHECKED]");
    EXPECT_EQ(OnOff("Caching onward\n", 1, 0), "[]");
}

TEST(GenCheckedSettingOnOff, RuleWithoutValueAndNoRule) {
    EXPECT_EQ(OnOff("Caching\n", 1, 1), "[]");
    EXPECT_EQ(OnOff("Caching\n", 0, 1), "[]");
    EXPECT_EQ(OnOff("Port 80\n", 0, 5), "[CHECKED]");
    EXPECT_EQ(OnOff("Port 80\n", 1, 0), "[]");
    EXPECT_EQ(Capture([] { return GenCheckedSettingOnOff("[%s]", "caching", 1, 1, nullptr); }).out,
              "[CHECKED]");
}

const char *kExpiryDoc = "CacheMaxExpiry http://* 1 day\nCacheMaxExpiry ftp://x/* 2 weeks\n";

std::string Timeout(const char *dir, const char *prefix, ConfigDocument *doc) {
    return Capture([&] { return GenCacheTimeoutSetting("[%s]", dir, prefix, doc); }).out;
}

TEST(GenCacheTimeoutSetting, TimeOfTheFirstRuleWithThePrefix) {
    auto doc = Doc(kExpiryDoc);
    EXPECT_EQ(Timeout("cachemaxexpiry", "FTP://", doc.get()), "[2]");
    EXPECT_EQ(Timeout("cachemaxexpiry", "", doc.get()), "[1]");
    EXPECT_EQ(Timeout("cachemaxexpiry", "gopher", doc.get()), "[]");
    EXPECT_EQ(Timeout("cachemaxexpiry", nullptr, doc.get()), "[]");
    EXPECT_EQ(Timeout(nullptr, "ftp", doc.get()), "[]");
    EXPECT_EQ(Timeout("cachemaxexpiry", "ftp", nullptr), "[]");
}

std::string Select(int32_t lastFirst, ConfigDocument *doc, const char *dir = "Welcome") {
    return Capture([&] { return GenSelectListItems("<%s>", dir, lastFirst, doc); }).out;
}

TEST(GenSelectListItems, FirstEntrySelectedInEitherOrder) {
    auto doc = Doc("Welcome a.html\nPort 80\nWelcome b.html\nwelcome\nWelcome c.html x\n");
    EXPECT_EQ(Select(0, doc.get()),
              "<<OPTION SELECTED>a.html<OPTION>b.html<OPTION><OPTION>c.html>");
    EXPECT_EQ(Select(1, doc.get()),
              "<<OPTION SELECTED>c.html<OPTION><OPTION>b.html<OPTION>a.html>");
    EXPECT_EQ(Select(2, doc.get()), Select(0, doc.get()));
    EXPECT_EQ(Select(1, doc.get(), "Port"), "<<OPTION SELECTED>80>");
    EXPECT_EQ(Select(0, doc.get(), "UserDir"), "<>");
    EXPECT_EQ(Select(0, nullptr), "<>");
}

TEST(GenSelectListItems, LongListsAreNotCut) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "Welcome page" + std::to_string(i) + ".html\n";
    auto doc = Doc(text);
    std::string out = Select(0, doc.get());
    EXPECT_GT(out.size(), 1023u);
    std::string tail = "<OPTION>page198.html<OPTION>page199.html>";
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(out.substr(0, 30), "<<OPTION SELECTED>page0.html<O");
}

std::string IconPath(const char *doc_text, int32_t field) {
    auto doc = Doc(doc_text);
    return Capture([&] { return GenMultiDirectiveText("[%s]", "AddBlankIcon", field, doc.get()); })
        .out;
}

TEST(GenMultiDirectiveText, IconPathsWithOrWithoutFolder) {
    EXPECT_EQ(IconPath("AddBlankIcon blank.gif x\n", 2), "[/icons/blank.gif]");
    EXPECT_EQ(IconPath("AddBlankIcon /img/blank.gif\n", 2), "[/img/blank.gif]");
    EXPECT_EQ(IconPath("AddBlankIcon img\\blank.gif\n", 2), "[img\\blank.gif]");
    EXPECT_EQ(IconPath("AddBlankIcon a.gif\nAddBlankIcon b.gif\n", 2), "[/icons/a.gif]");
    EXPECT_EQ(IconPath("AddBlankIcon blank.gif x\n", 3), "[/icons/x]");
    EXPECT_EQ(IconPath("AddBlankIcon blank.gif\n", 3), "[/icons/]");
    EXPECT_EQ(IconPath("Port 80\n", 2), "[]");
}

TEST(FormValueGenerators, NullDocumentPrintsTheMissingDirectiveValue) {
    auto run = [](auto f) { return Capture(f); };
    auto p = run([] { return GenOptionList("[%s]", "port", "a", nullptr, nullptr); });
    EXPECT_EQ(p.out, "[<OPTION>a]");
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(run([] { return GenTextField("[%s]", "port", 2, 0, nullptr, nullptr); }).out, "[]");
    EXPECT_EQ(run([] { return GenCheckedSetting("[%s]", "port", "", 0, 2, "X", nullptr); }).out,
              "[]");
    EXPECT_EQ(run([] { return GenCheckedSettingOnOff("[%s]", "port", 1, 0, nullptr); }).out, "[]");
    EXPECT_EQ(run([] { return GenCacheTimeoutSetting("[%s]", "port", "", nullptr); }).out, "[]");
    EXPECT_EQ(run([] { return GenSelectListItems("[%s]", "port", 0, nullptr); }).out, "[]");
    p = run([] { return GenMultiDirectiveText("[%s]", "port", 2, nullptr); });
    EXPECT_EQ(p.out, "[]");
    EXPECT_EQ(p.result, 0);
}

} // namespace
