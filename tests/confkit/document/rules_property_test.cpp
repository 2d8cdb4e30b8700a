// The rule edits against a plain model of the pairing rules, on thousands of
// random small documents and lists: the same document lines must go, the same
// list lines must be released, handed back or spliced in, in the same order.
//
// The model searches the list from its head with RuleSame for every rule of
// the directive, as the edits are defined; the library must agree with it
// both through its index and through its unindexed fallback.
#include "document/rule_edits.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// A line of the model: its text and where it came from (document lines are
// tagged 0, 1, ...; list lines 1000, 1001, ...).
struct Item {
    std::string text;
    int tag;
};
using Seq = std::vector<Item>;
std::vector<int> Tags(const Seq &seq) {
    std::vector<int> tags;
    for (const Item &item : seq)
        tags.push_back(item.tag);
    return tags;
}

// ---- The model ----

bool IsRule(const Item &item, int32_t id) {
    return HTTPDRuleMatch(item.text.c_str(), id) == 1;
}

// The first list item that is the same rule as text, or -1.
long FirstSame(const Seq &list, const std::string &text) {
    for (std::size_t j = 0; j < list.size(); ++j)
        if (RuleSame(text.c_str(), list[j].text.c_str())) return static_cast<long>(j);
    return -1;
}

Seq ModelRemove(Seq &doc, int32_t id, Seq list) {
    for (std::size_t i = 0; i < doc.size();) {
        long j = IsRule(doc[i], id) ? FirstSame(list, doc[i].text) : -1;
        if (j < 0) {
            ++i;
            continue;
        }
        list.erase(list.begin() + j);
        doc.erase(doc.begin() + static_cast<long>(i));
    }
    return list;
}

void ModelAdd(Seq &doc, int32_t id, Seq list) {
    long after = -1;
    for (std::size_t i = 0; i < doc.size(); ++i) {
        if (!IsRule(doc[i], id)) continue;
        long j = FirstSame(list, doc[i].text);
        if (j >= 0)
            list.erase(list.begin() + j);
        else
            after = static_cast<long>(i);
    }
    long at = after >= 0 ? after + 1 : static_cast<long>(doc.size());
    doc.insert(doc.begin() + at, list.begin(), list.end());
}

// Returns whether every document line went while list lines were left.
bool ModelReplace(Seq &doc, int32_t id, Seq list) {
    long after = -1;
    for (std::size_t i = 0; i < doc.size();) {
        if (!IsRule(doc[i], id)) {
            ++i;
            continue;
        }
        long j = FirstSame(list, doc[i].text);
        if (j >= 0) {
            list.erase(list.begin() + j);
            ++i;
        } else {
            after = static_cast<long>(i) - 1;
            doc.erase(doc.begin() + static_cast<long>(i));
        }
    }
    if (list.empty()) return false;
    if (after >= 0) {
        doc.insert(doc.begin() + after + 1, list.begin(), list.end());
    } else if (doc.empty()) {
        doc = list;
        return true;
    } else {
        ModelAdd(doc, id, list);
    }
    return false;
}

// ---- Random documents and lists ----

class Generator {
  public:
    explicit Generator(unsigned seed) : rng_(seed) {}
    unsigned Pick(std::size_t n) { return static_cast<unsigned>(rng_() % n); }

    std::string Text() {
        static const char *kOther[] = {"", "\n", "  \n", "# Pass /a\n", "Port 80\n", "}\n", "#\n"};
        if (Pick(6) == 0) return kOther[Pick(7)];
        static const char *kWords[] = {"Pass",  "pass",      "PASS", "Fail",
                                       "Proxy", "ProxyFrom", "GC",   "gc"};
        static const char *kArgs[] = {"/a", "/A", "/b", "Advisor", "advisor"};
        static const char *kSpaces[] = {" ", "\t", "  ", "@", " @ "};
        std::string s = Pick(4) == 0 ? kSpaces[Pick(5)] : "";
        s += kWords[Pick(8)];
        for (int n = Pick(3); n > 0; --n) {
            s += kSpaces[Pick(5)];
            s += kArgs[Pick(5)];
        }
        if (Pick(4) == 0) s += Pick(2) ? " # note" : "#x";
        static const char *kEnds[] = {"\n", "\n", "\n", "", "\r\n", " \n"};
        return s + kEnds[Pick(6)];
    }

    Seq Items(std::size_t count, int firstTag, const Seq *borrowFrom = nullptr) {
        Seq seq;
        for (std::size_t i = 0; i < count; ++i) {
            // Lists often repeat document lines word for word.
            bool borrow = borrowFrom && !borrowFrom->empty() && Pick(3) == 0;
            std::string text = borrow ? (*borrowFrom)[Pick(borrowFrom->size())].text : Text();
            seq.push_back({text, firstTag + static_cast<int>(i)});
        }
        return seq;
    }

    int32_t Id() {
        static const int32_t kIds[] = {160, 96, 169, 100, 101, 232};
        return kIds[Pick(6)];
    }

  private:
    std::mt19937 rng_;
};

// ---- The real lists ----

// A list of new Lines for seq, remembering which Line carries which tag.
Line *Build(const Seq &seq, std::map<const Line *, int> &tagOf) {
    Line *first = nullptr, *last = nullptr;
    for (const Item &item : seq) {
        Line *line = LinesNew(1);
        std::strcpy(line->text, item.text.c_str());
        tagOf[line] = item.tag;
        if (!first)
            first = line;
        else
            LinesAdd(last, line);
        last = line;
    }
    return first;
}

// The tags of a list; -1 for a Line that was not handed in.
std::vector<int> TagsOf(const Line *first, const std::map<const Line *, int> &tagOf) {
    std::vector<int> tags;
    for (const Line *line = first; line; line = line->next) {
        auto found = tagOf.find(line);
        tags.push_back(found == tagOf.end() ? -1 : found->second);
    }
    return tags;
}

enum class Edit { Remove, Add, Replace };
enum class Route { Export, Linear };

struct Outcome {
    std::vector<int> doc, list;
};

Outcome RunReal(const Seq &docItems, const Seq &listItems, int32_t id, Edit edit, Route route) {
    std::map<const Line *, int> tagOf;
    auto *doc = static_cast<ConfigDocument *>(std::calloc(1, sizeof(ConfigDocument)));
    doc->path = strdup("memory.conf");
    doc->first = Build(docItems, tagOf);
    Line *list = Build(listItems, tagOf);
    Line *left = nullptr; // what stays the caller's
    if (route == Route::Export) {
        switch (edit) {
        case Edit::Remove:
            left = HTTPDRemoveRules(doc, id, list);
            break;
        case Edit::Add:
            HTTPDAddRules(doc, id, list);
            break;
        case Edit::Replace:
            HTTPDReplaceRules(doc, id, list);
            break;
        }
        if (edit != Edit::Remove && !doc->first) left = list;
    } else {
        confkit::RuleIndex index(list, confkit::RuleIndex::Linear);
        switch (edit) {
        case Edit::Remove:
            left = confkit::RemoveRules(doc, id, list, index);
            break;
        case Edit::Add:
            confkit::AddRules(doc, id, list, index);
            break;
        case Edit::Replace:
            confkit::ReplaceRules(doc, id, list, index);
            break;
        }
    }
    EXPECT_TRUE(testsupport::ListWellFormed(doc->first));
    EXPECT_TRUE(testsupport::ListWellFormed(left));
    Outcome out{TagsOf(doc->first, tagOf), TagsOf(left, tagOf)};
    LinesFree(left);
    HTTPDConfigClose(doc, 0);
    return out;
}

Outcome RunModel(Seq doc, const Seq &list, int32_t id, Edit edit, bool *allWent) {
    Outcome out;
    if (edit == Edit::Remove) {
        out.list = Tags(ModelRemove(doc, id, list));
    } else if (doc.empty()) {
        out.list = Tags(list); // nothing happens; the list stays the caller's
    } else if (edit == Edit::Add) {
        ModelAdd(doc, id, list);
    } else {
        *allWent = ModelReplace(doc, id, list);
    }
    out.doc = Tags(doc);
    return out;
}

class RuleEditsProperty : public ::testing::TestWithParam<unsigned> {};

TEST_P(RuleEditsProperty, EditsMatchTheModel) {
    Generator gen(GetParam());
    int changed = 0, allWent = 0;
    for (int round = 0; round < 1500; ++round) {
        Seq doc = gen.Items(gen.Pick(20) == 0 ? 0 : 1 + gen.Pick(8), 0);
        Seq list = gen.Items(gen.Pick(7), 1000, &doc);
        int32_t id = gen.Id();
        for (Edit edit : {Edit::Remove, Edit::Add, Edit::Replace}) {
            bool went = false;
            Outcome want = RunModel(doc, list, id, edit, &went);
            allWent += went;
            changed += want.doc != Tags(doc);
            for (Route route : {Route::Export, Route::Linear}) {
                if (route == Route::Linear && doc.empty()) continue;
                Outcome got = RunReal(doc, list, id, edit, route);
                ASSERT_EQ(got.doc, want.doc)
                    << "round " << round << " edit " << static_cast<int>(edit) << " route "
                    << static_cast<int>(route);
                ASSERT_EQ(got.list, want.list)
                    << "round " << round << " edit " << static_cast<int>(edit);
            }
        }
    }
    // The random cases reach the interesting paths.
    EXPECT_GT(changed, 1500);
    EXPECT_GT(allWent, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RuleEditsProperty, ::testing::Values(7u, 1999u, 424242u));

} // namespace
