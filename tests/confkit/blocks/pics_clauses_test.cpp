// The clauses of a DefinePicsRule block: serviceinfo, applies-to, passurl,
// failurl and the Filter clause, read and written through their exports and
// checked against the exact document text.
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

// The values of one keyword as the get hands them over; slot 0 holds a
// marker that the get must leave alone.
struct Values {
    std::vector<std::string> texts;
    int32_t count = -1;
    bool slot0Kept = false;
};

Values Read(ConfigDocument *doc, const char *keyword, const char *rule) {
    static char marker[] = "slot0";
    std::vector<char *> list(64, marker);
    Values v;
    v.count = HTTPDGetPicsFilterSubdirective(doc, keyword, list.data(), rule);
    v.slot0Kept = list[0] == marker;
    for (std::size_t i = 1; i < list.size() && list[i] != marker && list[i]; ++i) {
        v.texts.emplace_back(list[i]);
        std::free(list[i]);
    }
    return v;
}

using Texts = std::vector<std::string>;

void Put(ConfigDocument *doc, const char *keyword, Texts values, const char *rule = "R") {
    std::vector<char *> list{nullptr};
    for (auto &s : values)
        list.push_back(s.data());
    list.push_back(nullptr);
    EXPECT_EQ(HTTPDPutPicsFilterSubdirective(doc, keyword, list.data(), rule), 0);
}

// A block as the rule put writes it (name R, description D, active days A).
std::string NewBlock(const char *name = "R") {
    DocPtr doc(MakeDoc(""));
    PicsFilterRule r{const_cast<char *>(name), const_cast<char *>("D"), const_cast<char *>("A"),
                     nullptr, nullptr};
    HTTPDPutPicsFilterRule(doc.get(), &r, nullptr, 1);
    return DocText(doc.get());
}

TEST(PicsClauses, WorkedExampleIsReproducedAndReadsBack) {
    DocPtr doc(MakeDoc(NewBlock()));
    Put(doc.get(), "serviceinfo", {"SN N B RF AWC"});
    Put(doc.get(), "applies-to", {"\"A1\""});
    Put(doc.get(), "passurl", {"P1"});
    Put(doc.get(), "failurl", {"F1", "F2"});
    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "R", "Filter FX"), 1);
    EXPECT_EQ(DocText(doc.get()), R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          failurl (
             "F1"
             "F2"
             )
          passurl ( "P1" )
          applies-to (
                     "A1"
                     )
          serviceinfo (
                      shortname "SN"
                      name "N"
                      bureau "B"
                      ratfile "RF"
                      available-with-content "AWC"
                      )
          name     (
                   rulename "R"
                   description "D"
                   )
          osmek-quillon-extensions (
               active-days "A"
                                )
           Filter FX
         )
    )
}
)");
    EXPECT_EQ(Read(doc.get(), "serviceinfo", "R").texts, Texts{"SN N B RF AWC"});
    EXPECT_EQ(Read(doc.get(), "APPLIES-TO", "R").texts, Texts{"\"A1\""});
    EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, Texts{"P1"});
    Values failed = Read(doc.get(), "FailURL", "R");
    EXPECT_EQ(failed.count, 2);
    EXPECT_EQ(failed.texts, (Texts{"F1", "F2"}));
    EXPECT_TRUE(failed.slot0Kept);
    auto rec = HTTPDGetPicsFilterRule(doc.get(), "R");
    ASSERT_NE(rec, nullptr);
    EXPECT_STREQ(rec->Description, "D");
    std::free(rec->RuleName);
    std::free(rec->Description);
    std::free(rec->ActiveDays);
    std::free(rec);
}

TEST(PicsClauses, GetRefusesWithoutTouchingTheList) {
    DocPtr doc(MakeDoc(NewBlock()));
    Values none = Read(doc.get(), "passurl", "R");
    EXPECT_EQ(none.count, 0);
    EXPECT_TRUE(none.texts.empty());
    EXPECT_TRUE(none.slot0Kept);

    char marker[] = "m";
    char *list[3] = {marker, marker, marker};
    EXPECT_EQ(HTTPDGetPicsFilterSubdirective(doc.get(), "passurl", list, "r"), 0);
    EXPECT_EQ(HTTPDGetPicsFilterSubdirective(doc.get(), nullptr, list, "R"), 0);
    EXPECT_EQ(HTTPDGetPicsFilterSubdirective(nullptr, "passurl", list, "R"), 0);
    EXPECT_EQ(list[1], marker);
}

const char kTwoPassurls[] = R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          passurl ( "a" "b" )
          failurl ( "f" )
          passurl (
             "c"
             )
          name     (
}
)";

TEST(PicsClauses, UrlClausesJoinAndAreReplacedWhereTheLastStood) {
    DocPtr doc(MakeDoc(kTwoPassurls));
    EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, (Texts{"a", "b", "c"}));
    Put(doc.get(), "PASSURL", {"x"});
    EXPECT_EQ(DocText(doc.get()), R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          failurl ( "f" )
          PASSURL ( "x" )
          name     (
}
)");
    // A one-line clause goes alone; the rest of the block stays.
    Put(doc.get(), "failurl", {"g\"h", "i"});
    EXPECT_EQ(DocText(doc.get()), R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          failurl (
             "g'h"
             "i"
             )
          PASSURL ( "x" )
          name     (
}
)");
    EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, Texts{"x"});
    Put(doc.get(), "failurl", {});
    Put(doc.get(), "passurl", {});
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"R\" {\n     (PicsRule-1.0\n          (\n"
                                  "          name     (\n}\n");
}

TEST(PicsClauses, ServiceInfoPacking) {
    std::string longName(1000, 'x');
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n"
                       "  (PicsRule-1.0\n"
                       "  (\n"
                       "  serviceinfo (\n"
                       "     available-with-content \"no\"\n"
                       "     name \"N\" ratfile \"RF\"\n"
                       "     shortname \"SN\" )\n"
                       "  serviceinfo (\n"
                       "     ratfile \"X\"\n"
                       "  )\n"
                       "  serviceinfo (\n"
                       "     shortname \"S\"\n"
                       "     name \"" +
                       longName +
                       "\"\n"
                       "     ratfile \"" +
                       std::string(20, 'r') +
                       "\"\n"
                       "  )\n"
                       "  serviceinfo (\n"
                       "     name \"cut\"\n"
                       "}\n"));
    // Attribute lines in any order; a line with two attributes gives its
    // first quoted text to both; a missing name or shortname reads as empty.
    EXPECT_EQ(Read(doc.get(), "ServiceInfo", "R").texts,
              (Texts{"SN N OPT1 N no", "  OPT1 X YES", "S " + longName + " OPT1 OPT2 YES"}));

    Put(doc.get(), "serviceinfo", {"SN N OPT1 OPT2 AWC", "a b", "p q r s t u"});
    EXPECT_EQ(DocText(doc.get()), R"(DefinePicsRule "R" {
  (PicsRule-1.0
  (
          serviceinfo (
                      shortname "SN"
                      name "N"
                      available-with-content "AWC"
                      )
          serviceinfo (
                      shortname "a"
                      name "b"
                      bureau ""
                      ratfile ""
                      available-with-content ""
                      )
          serviceinfo (
                      shortname "p"
                      name "q"
                      bureau "r"
                      ratfile "s"
                      available-with-content "t u"
                      )
}
)");
    EXPECT_EQ(Read(doc.get(), "serviceinfo", "R").texts,
              (Texts{"SN N OPT1 OPT2 AWC", "a b   ", "p q r s t u"}));
}

TEST(PicsClauses, MixedCaseServiceInfoOnlyRemovesInEveryBlockOfTheName) {
    const std::string block = "DefinePicsRule \"R\" {\n"
                              "  (PicsRule-1.0\n"
                              "  (\n"
                              "  serviceinfo ( name \"n\" )\n"
                              "  ServiceInfo (\n"
                              "     shortname \"s\"\n"
                              "  )\n"
                              "  name (\n"
                              "}\n";
    DocPtr doc(MakeDoc(block + block + "DefinePicsRule \"Other\" {\n(\n(\nserviceinfo ()\n}\n"));
    Put(doc.get(), "ServiceInfo", {"SN N OPT1 OPT2 AWC"});
    const std::string emptied = "DefinePicsRule \"R\" {\n  (PicsRule-1.0\n  (\n  name (\n}\n";
    EXPECT_EQ(DocText(doc.get()),
              emptied + emptied + "DefinePicsRule \"Other\" {\n(\n(\nserviceinfo ()\n}\n");
}

TEST(PicsClauses, AppliesToReadings) {
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n"
                       "  (PicsRule-1.0\n"
                       "  (\n"
                       "          applies-to ( \"X\" )\n"
                       "  applies-to (\n"
                       "     second\n"
                       "  )\n"
                       "}\n"
                       "DefinePicsRule \"M\" {\n"
                       "  (PicsRule-1.0\n"
                       "  (\n"
                       "  applies-to (\n"
                       "\t\"X\"  \r\n"
                       "\n"
                       "     two words\n"
                       "     )\n"
                       "}\n"));
    EXPECT_EQ(Read(doc.get(), "applies-to", "R").texts, Texts{" \"X\" "});
    EXPECT_EQ(Read(doc.get(), "applies-to", "M").texts, (Texts{"\"X\"", "", "two words"}));

    // A lone word would be left out of the file by a save: nothing changes.
    const std::string before = DocText(doc.get());
    Put(doc.get(), "APPLIES-TO", {"\"Y\"", "z"}, "R");
    EXPECT_EQ(DocText(doc.get()), before);
    Put(doc.get(), "APPLIES-TO", {"\"Y\"", "z 1"}, "R");
    const std::string rewritten = "DefinePicsRule \"R\" {\n"
                                  "  (PicsRule-1.0\n"
                                  "  (\n"
                                  "          applies-to (\n"
                                  "                     \"Y\"\n"
                                  "                     z 1\n"
                                  "                     )\n"
                                  "}\n"
                                  "DefinePicsRule \"M\" {\n";
    EXPECT_EQ(DocText(doc.get()).substr(0, rewritten.size()), rewritten);
    EXPECT_EQ(Read(doc.get(), "applies-to", "R").texts, (Texts{"\"Y\"", "z 1"}));
}

TEST(PicsClauses, ReadingAndRemovalStopAtTheClosingLine) {
    // The passurl clause has no ")" before the "}" line.
    const std::string text = "DefinePicsRule \"R\" {\n"
                             "  (PicsRule-1.0\n"
                             "  (\n"
                             "  passurl (\n"
                             "     \"in\"\n"
                             "     \"brace\" }\n"
                             "     \"out\"\n"
                             "  )\n";
    DocPtr doc(MakeDoc(text));
    EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, Texts{"in"});
    Put(doc.get(), "passurl", {"new"});
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"R\" {\n"
                                  "  (PicsRule-1.0\n"
                                  "  (\n"
                                  "          passurl ( \"new\" )\n"
                                  "     \"brace\" }\n"
                                  "     \"out\"\n"
                                  "  )\n");
}

TEST(PicsClauses, ShortBlocksTakeNewClausesBeforeTheirClosingLine) {
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n(\n}\nafter\n"));
    Put(doc.get(), "passurl", {"u"});
    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "R", "Filter f"), 1);
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"R\" {\n"
                                  "(\n"
                                  "          passurl ( \"u\" )\n"
                                  "           Filter f\n"
                                  "}\n"
                                  "after\n");
    // Readers skip the line right below the header: a block that closes
    // there has no place where a new clause would be read, and keeps what it
    // has.
    DocPtr bare(MakeDoc("DefinePicsRule \"R\" {}\n}\n"));
    Put(bare.get(), "passurl", {"u"});
    EXPECT_EQ(HTTPDPutFilterSubdirective(bare.get(), "R", "Filter f"), 0);
    EXPECT_EQ(DocText(bare.get()), "DefinePicsRule \"R\" {}\n}\n");
}

const char kSpreadFilter[] = R"(DefinePicsRule "R" {
     (PicsRule-1.0
          (
          Filter (a
            (b) c
            d)
          osmek-quillon-extensions (
                                )
         )
    )
}
)";

TEST(PicsFilter, ReplacesTheWholeBalancedClause) {
    DocPtr doc(MakeDoc(kSpreadFilter));
    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "R", " \t\n Filter (new)"), 1);
    std::string expected = kSpreadFilter;
    const std::size_t from = expected.find("          Filter");
    expected.replace(from, expected.find("          osmek") - from, "           Filter (new)\n");
    EXPECT_EQ(DocText(doc.get()), expected);

    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "Missing", "Filter x"), 0);
    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "R", nullptr), 0);
    EXPECT_EQ(DocText(doc.get()), expected);
}

TEST(PicsFilter, DeleteFindsTheFirstBlockOfTheNameThatHasOne) {
    DocPtr doc(MakeDoc("DefinePicsRule \"R\" {\n  (\n}\n"
                       "DefinePicsRule \"R\" {\n"
                       "  Filter (x\n"
                       "   y)\n"
                       "  )\n"
                       "}\n"));
    Line *next = HTTPDDeleteFilterSubdirective(doc.get(), "R");
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(next->text, "  )\n");
    EXPECT_EQ(DocText(doc.get()), "DefinePicsRule \"R\" {\n  (\n}\n"
                                  "DefinePicsRule \"R\" {\n"
                                  "  )\n"
                                  "}\n");
    EXPECT_EQ(HTTPDDeleteFilterSubdirective(doc.get(), "R"), nullptr);

    // A stray ")" ends the clause instead of taking the block's tail along.
    DocPtr stray(MakeDoc("DefinePicsRule \"S\" {\n  Filter x)\n  )\n}\n"));
    Line *after = HTTPDDeleteFilterSubdirective(stray.get(), "S");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(DocText(stray.get()), "DefinePicsRule \"S\" {\n  )\n}\n");
}

} // namespace

TEST(PicsClauses, PutRemovesEveryClauseAndWritesOnlyWhereReadersLook) {
    // Body lines between the header and "}", then the body after a put of
    // passurl "n" (null: nothing changes, as the only place left for the new
    // clause would be the line right below the header, which readers skip).
    struct Case {
        const char *body, *after;
    } const cases[] = {
        {"", nullptr},
        {"          passurl ( \"o\" )\n", nullptr},
        {"x y\n", "x y\n          passurl ( \"n\" )\n"},
        {"          passurl ( \"o\" )\nx y\n", "x y\n          passurl ( \"n\" )\n"},
        {"x y\n          passurl ( \"o\" )\n", "x y\n          passurl ( \"n\" )\n"},
        {"x y\n  passurl (\n   \"o\"\n  )\nz w\n", "x y\n          passurl ( \"n\" )\nz w\n"},
    };
    for (const Case &c : cases) {
        const std::string block = "DefinePicsRule \"R\" {\n" + std::string(c.body) + "}\n";
        DocPtr doc(MakeDoc(block));
        Put(doc.get(), "passurl", {"n"});
        EXPECT_EQ(DocText(doc.get()),
                  "DefinePicsRule \"R\" {\n" + std::string(c.after ? c.after : c.body) + "}\n")
            << c.body;
        EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, c.after ? Texts{"n"} : Texts{}) << c.body;
    }
    // With nothing to write, the old clause still goes.
    DocPtr emptied(MakeDoc("DefinePicsRule \"R\" {\n          passurl ( \"o\" )\n}\n"));
    Put(emptied.get(), "passurl", {});
    EXPECT_EQ(DocText(emptied.get()), "DefinePicsRule \"R\" {\n}\n");
}

TEST(PicsClauses, RefusedValuesChangeNothing) {
    const std::string before = std::string(kSpreadFilter);
    DocPtr doc(MakeDoc(before));
    Put(doc.get(), "passurl", {"a", "b)"});
    Put(doc.get(), "applies-to", {"one"});
    Put(doc.get(), "serviceinfo", {"s n b r c\nd"});
    EXPECT_EQ(HTTPDPutFilterSubdirective(doc.get(), "R", "Filter (x"), 0);
    Put(doc.get(), "passurl", {"a\rb", "c"});
    EXPECT_EQ(DocText(doc.get()), before);
    // A tab is the one control byte written as given; it reads back the same.
    Put(doc.get(), "passurl", {"a\tb", "c"});
    EXPECT_EQ(Read(doc.get(), "passurl", "R").texts, (Texts{"a\tb", "c"}));
}
