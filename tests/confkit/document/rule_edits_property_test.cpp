// The rule edits against a plain model of the pairing rules, on thousands of
// random small documents and lists: the same document lines must go, the same
// list lines must be released, handed back or spliced in, in the same order.
//
// The model searches the list from its head with RuleSame for every rule of
// the directive, as the edits are defined; the library must agree with it
// both through its index and through its unindexed fallback. Documents hold
// blocks: the model finds them on its own, scanning from the top for headers
// and their closing lines, and treats a header as its whole block.
#include "document/rule_edits.h"
#include "internal.h"
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

bool OpensBlock(const std::string &text) {
    char *first = TokenDup(text.c_str());
    const int32_t id = first ? HTTPDRuleToID(first) : -1;
    std::free(first);
    const bool blockWord = id == 59 || id == 125 || id == 143 || id == 167 || id == 168;
    return blockWord && text.find('{') != std::string::npos;
}

// The index of the last item of the piece that starts at the top-level item
// i: its block's closing item, or i itself.
std::size_t PieceEnd(const Seq &doc, std::size_t i) {
    if (!OpensBlock(doc[i].text) || doc[i].text.find('}') != std::string::npos) return i;
    for (std::size_t j = i + 1; j < doc.size(); ++j)
        if (doc[j].text.find('}') != std::string::npos) return j;
    return i;
}

int blocksTaken = 0; // whole blocks the model removed or placed rules after

void Erase(Seq &doc, std::size_t from, std::size_t to) {
    blocksTaken += to > from;
    doc.erase(doc.begin() + static_cast<long>(from), doc.begin() + static_cast<long>(to) + 1);
}

// The first list item that is the same rule as text, or -1.
long FirstSame(const Seq &list, const std::string &text) {
    for (std::size_t j = 0; j < list.size(); ++j)
        if (RuleSame(text.c_str(), list[j].text.c_str())) return static_cast<long>(j);
    return -1;
}

Seq ModelRemove(Seq &doc, int32_t id, Seq list) {
    for (std::size_t i = 0; i < doc.size();) {
        const std::size_t end = PieceEnd(doc, i);
        long j = IsRule(doc[i], id) ? FirstSame(list, doc[i].text) : -1;
        if (j < 0) {
            i = end + 1;
            continue;
        }
        list.erase(list.begin() + j);
        Erase(doc, i, end);
    }
    return list;
}

void ModelAdd(Seq &doc, int32_t id, Seq list) {
    long after = -1;
    for (std::size_t i = 0; i < doc.size(); i = PieceEnd(doc, i) + 1) {
        if (!IsRule(doc[i], id)) continue;
        long j = FirstSame(list, doc[i].text);
        if (j >= 0)
            list.erase(list.begin() + j);
        else
            after = static_cast<long>(PieceEnd(doc, i));
        blocksTaken += j < 0 && PieceEnd(doc, i) > i;
    }
    long at = after >= 0 ? after + 1 : static_cast<long>(doc.size());
    doc.insert(doc.begin() + at, list.begin(), list.end());
}

// Returns whether every document line went while list lines were left.
bool ModelReplace(Seq &doc, int32_t id, Seq list) {
    long after = -1;
    for (std::size_t i = 0; i < doc.size();) {
        const std::size_t end = PieceEnd(doc, i);
        if (!IsRule(doc[i], id)) {
            i = end + 1;
            continue;
        }
        long j = FirstSame(list, doc[i].text);
        if (j >= 0) {
            list.erase(list.begin() + j);
            i = end + 1;
        } else {
            after = static_cast<long>(i) - 1;
            Erase(doc, i, end);
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
        static const char *kOther[] = {"",    "\n",     "  \n", "# Pass /a\n",      "Port 80\n",
                                       "#\n", " } x\n", "{\n",  "LDAPInfo l { }\n", "}\n"};
        if (Pick(4) == 0) return kOther[Pick(10)];
        if (Pick(6) == 0) return "}\n";
        static const char *kWords[] = {"Pass",    "pass",      "PASS",       "Fail",
                                       "Proxy",   "ProxyFrom", "GC",         "gc",
                                       "Protect", "protect",   "PROTECTION", "ProtectX"};
        static const char *kArgs[] = {"/a", "/A", "/b", "Advisor", "advisor"};
        static const char *kSpaces[] = {" ", "\t", "  ", "@", " @ "};
        std::string s = Pick(4) == 0 ? kSpaces[Pick(5)] : "";
        // Often a header of the directive the edit is about.
        s += Pick(4) == 0 && HTTPDIDToRule(id_) ? HTTPDIDToRule(id_) : kWords[Pick(12)];
        for (int n = Pick(3); n > 0; --n) {
            s += kSpaces[Pick(5)];
            s += kArgs[Pick(5)];
        }
        if (Pick(2) == 0) s += Pick(2) ? " {" : "{";
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
        static const int32_t kIds[] = {160, 96, 169, 100, 101, 232, 167, 168, 143};
        id_ = kIds[Pick(9)];
        return id_;
    }

  private:
    std::mt19937 rng_;
    int32_t id_ = -1; // the directive of the current edit
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
    blocksTaken = 0;
    for (int round = 0; round < 1500; ++round) {
        int32_t id = gen.Id();
        Seq doc = gen.Items(gen.Pick(20) == 0 ? 0 : 1 + gen.Pick(8), 0);
        Seq list = gen.Items(gen.Pick(7), 1000, &doc);
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
    EXPECT_GT(blocksTaken, 50);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RuleEditsProperty, ::testing::Values(7u, 1999u, 424242u));

} // namespace
