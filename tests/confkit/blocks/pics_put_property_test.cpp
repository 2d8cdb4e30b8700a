// Every PICS put on thousands of random records and values (hostile
// characters, braces, quotes, parentheses, clause words, long and empty
// values, the library's constants): either what was put reads back the same
// after a save and a reopen and the rest of the document is as it was, or the
// put reported failure (or, where its result is always 0, changed nothing)
// and the document is byte for byte as it was. Values of a tame kind must
// always be taken.
//
// "The same" allows what the readers normalise, and nothing else:
//
// | what was put                                  | reads back as                          |
// |-----------------------------------------------|----------------------------------------|
// | a double quote inside any quoted value        | an apostrophe                          |
// | a null or empty Description                   | the spaces up to the clause's end: 22  |
// |                                               | after a put, 23 after a replace        |
// | ActiveDays, StartTime, EndTime                | cut at the first space, tab or "@";    |
// |                                               | empty (or a null ActiveDays) as " "    |
// | a null StartTime or EndTime                   | null (no line is written)              |
// | an applies-to item                            | trimmed of white space                 |
// | a serviceinfo entry of fewer than five parts  | its missing parts empty                |
// | a Filter text                                 | without leading white space, after 11  |
// |                                               | spaces, on a line of its own           |
#include "common/text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

using Texts = std::vector<std::string>;

// ---- Values ----

// Characters that matter somewhere, and words that some reader looks for.
constexpr std::string_view kChars = "aZ09/:.- \t\r\n\"'(){}@#=\x1A\x01\xE9";
const std::vector<std::string> kWords = [] {
    std::vector<std::string> words;
    std::string_view all = "applies-to|name|name (|Filter|active-days|passurl|serviceinfo|"
                           "DefinePicsRule|rulename| name |shortname|bureau|ratfile|"
                           "available-with-content|OPT1|OPT2|YES|PicsRule-1.0|http://x/y|"
                           "description|)\n|osmek-quillon-extensions";
    for (std::size_t bar; (bar = all.find('|')) != std::string_view::npos;
         all.remove_prefix(bar + 1))
        words.emplace_back(all.substr(0, bar));
    words.emplace_back(all);
    return words;
}();

class Gen {
  public:
    explicit Gen(unsigned seed) : rng_(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool OneIn(int n) { return Below(n) == 0; }

    // A word that no reader takes for anything: a digit, then letters.
    std::string Tame() {
        std::string s(1, static_cast<char>('0' + Below(10)));
        for (int n = 1 + Below(8); n > 0; --n)
            s += static_cast<char>('a' + Below(26));
        return s;
    }
    std::string Hostile() {
        if (OneIn(10)) return "";
        if (OneIn(8)) { // around the room a line has
            std::string s(static_cast<std::size_t>(960 + Below(80)), 'x');
            if (OneIn(2)) s[static_cast<std::size_t>(Below(900))] = ' ';
            return s;
        }
        std::string s = OneIn(2) ? Tame() : OneIn(3) ? " " : "";
        for (int n = 1 + Below(4); n > 0; --n)
            if (OneIn(2))
                s += kChars[static_cast<std::size_t>(Below(static_cast<int>(kChars.size())))];
            else
                s += kWords[static_cast<std::size_t>(Below(static_cast<int>(kWords.size())))];
        return s;
    }
    std::string Value(bool tame) { return tame ? Tame() : Hostile(); }

  private:
    std::mt19937 rng_;
};

// ---- Normalisations ----

std::string Apostrophes(std::string s) {
    for (char &c : s)
        if (c == '"') c = '\'';
    return s;
}

std::optional<std::string> DayOrTime(const char *v, bool writtenWhenNull) {
    if (!v && !writtenWhenNull) return std::nullopt;
    std::string s = Apostrophes(v ? v : "");
    s = s.substr(0, s.find_first_of(" \t@"));
    return s.empty() ? " " : s;
}

std::string Trimmed(const std::string &s) {
    const char *ws = " \t\n\v\f\r";
    const std::size_t a = s.find_first_not_of(ws);
    return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(ws) + 1 - a);
}

std::string PaddedEntry(const std::string &entry) {
    std::string s = Apostrophes(entry);
    std::size_t spaces = 0;
    for (char c : s)
        spaces += c == ' ';
    for (; spaces < 4; ++spaces)
        s += ' ';
    return s;
}

Texts ReadBackValues(const char *keyword, const Texts &put) {
    Texts out;
    for (const std::string &v : put) {
        if (std::strcmp(keyword, "serviceinfo") == 0)
            out.push_back(PaddedEntry(v));
        else if (ascii::EqualNoCase(keyword, "applies-to"))
            out.push_back(Trimmed(v));
        else
            out.push_back(Apostrophes(v));
    }
    return out;
}

std::string Joined(const Texts &values) {
    std::string all;
    for (const std::string &v : values)
        all += v;
    return all;
}

// ---- Reading ----

std::optional<std::string> Opt(const char *p) {
    return p ? std::optional<std::string>(p) : std::nullopt;
}

struct Rule {
    std::optional<std::string> name, description, days, start, end;
    bool operator==(const Rule &o) const {
        return name == o.name && description == o.description && days == o.days &&
               start == o.start && end == o.end;
    }
};

// Reads a rule and releases the record. The library's constant texts are
// told apart by asking twice: they are the fields both records share.
std::optional<Rule> GetRule(ConfigDocument *doc, const char *name) {
    PicsFilterRule *r = HTTPDGetPicsFilterRule(doc, name);
    PicsFilterRule *twin = HTTPDGetPicsFilterRule(doc, name);
    if (!r || !twin) return std::nullopt;
    Rule out{Opt(r->RuleName), Opt(r->Description), Opt(r->ActiveDays), Opt(r->StartTime),
             Opt(r->EndTime)};
    for (char *PicsFilterRule::*f :
         {&PicsFilterRule::RuleName, &PicsFilterRule::Description, &PicsFilterRule::ActiveDays,
          &PicsFilterRule::StartTime, &PicsFilterRule::EndTime})
        if (r->*f != twin->*f) {
            std::free(r->*f);
            std::free(twin->*f);
        }
    std::free(r);
    std::free(twin);
    return out;
}

Texts GetValues(ConfigDocument *doc, const char *keyword, const char *rule) {
    std::vector<char *> list(64, nullptr);
    const int32_t n = HTTPDGetPicsFilterSubdirective(doc, keyword, list.data(), rule);
    Texts out;
    for (int32_t i = 1; i <= n; ++i) {
        out.emplace_back(list[static_cast<std::size_t>(i)]);
        std::free(list[static_cast<std::size_t>(i)]);
    }
    return out;
}

std::string FilterRows(ConfigDocument *doc, const char *rule) {
    return testsupport::CaptureStdout(
        [&] { GenPicsFilterSubTableItems("%s", rule, "Filter", doc); });
}

const char *const kKeywords[] = {"passurl", "failurl", "applies-to", "serviceinfo"};

// ---- The document ----

// A folder in memory where the system has one (a save syncs its file).
std::string ScratchFolder() {
    static testsupport::TempDir fallback;
#ifndef _WIN32
    struct stat st {};
    if (stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) {
        // Removed at exit; the fixtures remove their files before.
        static const struct Folder {
            std::string path;
            ~Folder() {
                if (!path.empty()) rmdir(path.c_str());
            }
        } shm{[] {
            char tmpl[] = "/dev/shm/confkit-pics-XXXXXX";
            return mkdtemp(tmpl) ? std::string(tmpl) : std::string();
        }()};
        if (!shm.path.empty()) return shm.path;
    }
#endif
    return fallback.path();
}

class Fixture {
  public:
    Fixture() : path_(ScratchFolder() + "/pics.conf") {
        DocPtr doc(MakeDoc("Port 80\n", path_.c_str()));
        PutRule(doc.get(), {"A", "Kids", "Mon-Fri", "08:00", "17:00"});
        PutClause(doc.get(), "A", "serviceinfo", {"SN N B RF AWC"});
        PutClause(doc.get(), "A", "applies-to", {"\"x\""});
        PutClause(doc.get(), "A", "passurl", {"http://p/"});
        PutClause(doc.get(), "A", "failurl", {"http://f1/", "http://f2/"});
        HTTPDPutFilterSubdirective(doc.get(), "A", "Filter (deny)");
        PutRule(doc.get(), {"B", "Teens", "Sat", nullptr, nullptr});
        PutClause(doc.get(), "B", "passurl", {"http://b/"});
        LinesAddStr(nullptr, doc.get(), "Welcome index.html\n", CONFKIT_ADD_AFTER);
        base_ = DocText(doc.get());
    }
    ~Fixture() { std::remove(path_.c_str()); }

    const std::string &base() const { return base_; }
    DocPtr Doc() const { return DocPtr(MakeDoc(base_, path_.c_str())); }
    // The document as a save writes it and an open reads it back.
    DocPtr Reopen(ConfigDocument *doc) const {
        EXPECT_EQ(HTTPDConfigWrite(doc), 0);
        return DocPtr(HTTPDConfigOpen(path_.c_str()));
    }

    static void PutRule(ConfigDocument *doc, std::array<const char *, 5> f) {
        PicsFilterRule r{const_cast<char *>(f[0]), const_cast<char *>(f[1]),
                         const_cast<char *>(f[2]), const_cast<char *>(f[3]),
                         const_cast<char *>(f[4])};
        ASSERT_EQ(HTTPDPutPicsFilterRule(doc, &r, nullptr, 2), 1);
    }
    static void PutClause(ConfigDocument *doc, const char *rule, const char *keyword,
                          Texts values) {
        std::vector<char *> list{nullptr};
        for (std::string &v : values)
            list.push_back(v.data());
        list.push_back(nullptr);
        HTTPDPutPicsFilterSubdirective(doc, keyword, list.data(), rule);
    }

  private:
    std::string path_;
    std::string base_;
};

// How often a put was taken and refused; both must happen for the property
// to say anything.
struct Tally {
    int taken = 0, refused = 0;
    void Expect(const char *what) const {
        EXPECT_GT(taken, 50) << what;
        EXPECT_GT(refused, 50) << what;
    }
};

#ifdef _WIN32
constexpr int kCases = 200; // a save costs more under the emulator
#else
constexpr int kCases = 700;
#endif

struct RecordInput {
    std::array<std::string, 5> text;
    std::array<bool, 5> null{};
    PicsFilterRule record() {
        std::array<char *, 5> p{};
        for (std::size_t i = 0; i < 5; ++i)
            p[i] = null[i] ? nullptr : text[i].data();
        return PicsFilterRule{p[0], p[1], p[2], p[3], p[4]};
    }
};

RecordInput RandomRecord(Gen &g, bool tame) {
    RecordInput in;
    for (std::size_t i = 0; i < 5; ++i) {
        in.text[i] = g.Value(tame);
        in.null[i] = i > 0 && g.OneIn(6);
    }
    if (!tame && g.OneIn(4)) in.text[0] = g.OneIn(2) ? "A" : "B";
    return in;
}

Rule Expected(const RecordInput &in, int descriptionPadding) {
    const auto f = [&](std::size_t i) { return in.null[i] ? nullptr : in.text[i].c_str(); };
    std::string description = Apostrophes(f(1) ? f(1) : "");
    if (description.empty()) description.assign(static_cast<std::size_t>(descriptionPadding), ' ');
    return Rule{in.text[0], description, DayOrTime(f(2), true), DayOrTime(f(3), false),
                DayOrTime(f(4), false)};
}

// Random records through put (a call of the export on the document), each
// read back with the description padding of the layout it writes; then
// check looks at the rest of the reopened document.
template <class Put, class Check>
void RecordsReadBack(unsigned seed, const char *what, int padding, Put put, Check check) {
    Fixture fx;
    Gen g(seed);
    Tally tally;
    for (int i = 0; i < kCases; ++i) {
        const bool tame = g.OneIn(3);
        RecordInput in = RandomRecord(g, tame);
        PicsFilterRule r = in.record();
        DocPtr doc = fx.Doc();
        const int32_t result = put(g, doc.get(), r);
        ASSERT_TRUE(!tame || result == 1) << what << " " << in.text[0];
        if (result == 0) {
            ++tally.refused;
            ASSERT_EQ(DocText(doc.get()), fx.base()) << what << " " << i;
            continue;
        }
        ++tally.taken;
        DocPtr back = fx.Reopen(doc.get());
        ASSERT_EQ(GetRule(back.get(), r.RuleName), Expected(in, padding)) << what << " " << i;
        check(fx, back.get(), r.RuleName);
    }
    tally.Expect(what);
}

TEST(PicsPutProperty, RulePutReadsBackOrChangesNothing) {
    const auto put = [](Gen &g, ConfigDocument *doc, PicsFilterRule &r) {
        const char *anchors[] = {nullptr, "A", "B", "nosuch"};
        return HTTPDPutPicsFilterRule(doc, &r, anchors[g.Below(4)], 1 + g.Below(2));
    };
    // Without the new block, the document is as it was.
    RecordsReadBack(1, "rule put", 22, put,
                    [](Fixture &fx, ConfigDocument *back, const char *name) {
                        ASSERT_NE(HTTPDDeletePicsFilterRule(back, name), 0);
                        ASSERT_EQ(DocText(back), fx.base());
                    });
}

TEST(PicsPutProperty, ReplaceReadsBackAndTouchesOnlyItsClauses) {
    PicsFilterRule plain{const_cast<char *>("A"), const_cast<char *>("D"),
                         const_cast<char *>("Sun"), nullptr, nullptr};
    Fixture reference;
    DocPtr replaced = reference.Doc();
    ASSERT_EQ(HTTPDReplacePicsFilterRule(replaced.get(), &plain, "A"), 1);
    const auto put = [](Gen &, ConfigDocument *doc, PicsFilterRule &r) {
        return HTTPDReplacePicsFilterRule(doc, &r, "A");
    };
    // Rewriting the same clauses again gives what it gives on the untouched
    // document: nothing else of the block moved.
    RecordsReadBack(2, "replace", 23, put, [&](Fixture &, ConfigDocument *back, const char *name) {
        ASSERT_EQ(HTTPDReplacePicsFilterRule(back, &plain, name), 1);
        ASSERT_EQ(DocText(back), DocText(replaced.get()));
    });
}

TEST(PicsPutProperty, CopyReadsBackAsItsSourceOrChangesNothing) {
    Fixture fx;
    Gen g(3);
    Tally tally;
    DocPtr source = fx.Doc();
    const std::optional<Rule> sourceRule = GetRule(source.get(), "A");
    ASSERT_TRUE(sourceRule);
    for (int i = 0; i < kCases; ++i) {
        const bool tame = g.OneIn(3);
        std::string name = g.Value(tame);
        if (!tame && g.OneIn(4)) name = g.OneIn(2) ? "A" : "B";
        const bool null = !tame && g.OneIn(20);
        DocPtr doc = fx.Doc();
        HTTPDCopyPicsFilterRule(doc.get(), "A", g.OneIn(2) ? "A" : "B",
                                null ? nullptr : name.c_str(), 1 + g.Below(2));
        if (DocText(doc.get()) == fx.base()) {
            ASSERT_FALSE(tame) << name;
            ++tally.refused;
            continue;
        }
        ++tally.taken;
        DocPtr back = fx.Reopen(doc.get());
        Rule expected = *sourceRule;
        expected.name = name;
        ASSERT_EQ(GetRule(back.get(), name.c_str()), expected) << i;
        for (const char *keyword : kKeywords)
            ASSERT_EQ(GetValues(back.get(), keyword, name.c_str()),
                      GetValues(source.get(), keyword, "A"))
                << i << keyword;
        // The rows show every block of a name: a copy named A shows the
        // source's Filter too.
        if (name != "A") {
            ASSERT_EQ(FilterRows(back.get(), name.c_str()), FilterRows(source.get(), "A"));
        }
        ASSERT_NE(HTTPDDeletePicsFilterRule(back.get(), name.c_str()), 0);
        ASSERT_EQ(DocText(back.get()), fx.base()) << i;
    }
    tally.Expect("copy");
}

std::string RandomEntry(Gen &g, bool tame) {
    std::string entry;
    const int parts = tame || g.OneIn(2) ? 5 : g.Below(7);
    for (int p = 0; p < parts; ++p) {
        if (p) entry += ' ';
        if (!tame && (p == 2 || p == 3) && g.OneIn(3))
            entry += p == 2 ? "OPT1" : "OPT2";
        else
            entry += g.Value(tame || g.OneIn(2));
    }
    return entry;
}

TEST(PicsPutProperty, ClausePutReadsBackOrChangesNothing) {
    Fixture fx;
    Gen g(4);
    Tally tally;
    const char *const keywords[] = {"passurl", "FailURL", "applies-to", "APPLIES-TO",
                                    "serviceinfo"};
    DocPtr original = fx.Doc();
    for (int i = 0; i < 3 * kCases; ++i) {
        const char *keyword = keywords[g.Below(5)];
        const bool appliesTo = ascii::EqualNoCase(keyword, "applies-to");
        const bool serviceInfo = std::strcmp(keyword, "serviceinfo") == 0;
        const bool tame = g.OneIn(3);
        Texts values;
        for (int n = g.Below(4) + (tame ? 1 : 0); n > 0; --n) {
            if (serviceInfo)
                values.push_back(RandomEntry(g, tame));
            else if (appliesTo && tame)
                values.push_back("\"" + g.Tame() + "\" " + g.Tame());
            else if (appliesTo && g.OneIn(2)) // an item that is well formed but for its start
                values.push_back((g.OneIn(4) ? " )" : g.Hostile().substr(0, 12)) + " " + g.Tame());
            else
                values.push_back(g.Value(tame));
        }
        const char *rule = g.OneIn(4) ? "B" : "A";
        DocPtr doc = fx.Doc();
        Fixture::PutClause(doc.get(), rule, keyword, values);
        if (DocText(doc.get()) == fx.base()) {
            ASSERT_FALSE(tame) << keyword << " " << values[0];
            ++tally.refused;
            continue;
        }
        ++tally.taken;
        DocPtr back = fx.Reopen(doc.get());
        ASSERT_EQ(GetValues(back.get(), keyword, rule), ReadBackValues(keyword, values)) << i;
        // No value reads as part of anything else.
        for (const char *other : kKeywords) {
            if (ascii::EqualNoCase(other, keyword)) continue;
            ASSERT_EQ(GetValues(back.get(), other, rule), GetValues(original.get(), other, rule))
                << i << other;
        }
        ASSERT_EQ(GetRule(back.get(), rule), GetRule(original.get(), rule)) << i;
        // (Only a value holding the word can make a Filter line.)
        if (ascii::ToLower(Joined(values)).find("filter") != std::string::npos) {
            ASSERT_EQ(FilterRows(back.get(), rule), FilterRows(original.get(), rule)) << i;
        }
        // A replace of the rule's own clauses leaves these alone.
        PicsFilterRule plain{const_cast<char *>(rule), const_cast<char *>("D"),
                             const_cast<char *>("Sun"), nullptr, nullptr};
        DocPtr replaced(MakeDoc(DocText(back.get())));
        ASSERT_EQ(HTTPDReplacePicsFilterRule(replaced.get(), &plain, rule), 1);
        ASSERT_EQ(GetValues(replaced.get(), keyword, rule), ReadBackValues(keyword, values)) << i;
        // With the keyword's clauses gone from both, nothing else differs.
        DocPtr emptied = fx.Doc();
        Fixture::PutClause(emptied.get(), rule, keyword, {});
        Fixture::PutClause(back.get(), rule, keyword, {});
        ASSERT_EQ(DocText(back.get()), DocText(emptied.get())) << i;
    }
    tally.Expect("clause put");
}

TEST(PicsPutProperty, FilterPutReadsBackOrChangesNothing) {
    Fixture fx;
    Gen g(5);
    Tally tally;
    DocPtr withoutFilter = fx.Doc();
    ASSERT_NE(HTTPDDeleteFilterSubdirective(withoutFilter.get(), "A"), nullptr);
    for (int i = 0; i < kCases; ++i) {
        const bool tame = g.OneIn(3);
        std::string text = tame ? "Filter (" + g.Tame() + " " + g.Tame() + ")"
                                : (g.OneIn(4) ? std::string() : std::string("Filter ")) +
                                      g.Value(false) + (g.OneIn(2) ? g.Value(false) : "");
        if (g.OneIn(5)) text = " \t" + text;
        DocPtr doc = g.OneIn(2)
                         ? fx.Doc()
                         : DocPtr(MakeDoc(DocText(withoutFilter.get()), withoutFilter->path));
        const std::string before = DocText(doc.get());
        const int32_t result = HTTPDPutFilterSubdirective(doc.get(), "A", text.c_str());
        ASSERT_TRUE(!tame || result == 1) << text;
        if (result == 0) {
            ++tally.refused;
            ASSERT_EQ(DocText(doc.get()), before) << i;
            continue;
        }
        ++tally.taken;
        DocPtr back = fx.Reopen(doc.get());
        const std::string written = text.substr(text.find_first_not_of(" \t\n\v\f\r"));
        ASSERT_EQ(FilterRows(back.get(), "A"), "           " + written + "\n") << i;
        ASSERT_NE(HTTPDDeleteFilterSubdirective(back.get(), "A"), nullptr);
        ASSERT_EQ(DocText(back.get()), DocText(withoutFilter.get())) << i;
    }
    tally.Expect("Filter put");
}

} // namespace
