// Property of the Protect, LDAPInfo and Member puts: a put of a random record
// either writes text that, after a write and a reopen, reads back as the
// record, with the rest of the document unchanged, or it reports failure and
// the document is unchanged byte for byte. A record that a get returned is
// written again, and refused only where it could not read back either.
//
// What reading back leaves different from the record put (the model below):
// | written                                   | read back                                   |
// |-------------------------------------------|---------------------------------------------|
// | a value of a body line                    | without the blanks (space, tab, "@") it     |
// |                                           | begins with; null when nothing else is left |
// | Protect plain value, Member line value    | ending in one line end (it may carry its    |
// |                                           | own, and any comment before it)             |
// | LDAPInfo plain value                      | without its line end                        |
// | LDAPInfo quoted value, Protect            | without its leading and trailing double     |
// | certificate value                         | quotes; " " when nothing else is left       |
// | an empty LDAPInfo value, an empty         | null (not written, or a line of one word    |
// | certificate value                         | that the save leaves out)                   |
// | time-out (LDAPInfo, Member)               | followed by one space and its unit word;    |
// |                                           | when it carries its own line end, as it is  |
// |                                           | (the unit word is then alone on a line,     |
// |                                           | which the save leaves out)                  |
// | Member cache size and suffix              | one value of the CacheSize line, "size sfx" |
// | SSL_ClientAuth                            | "1" when it holds a "1", else null          |
// | Protect Address null or ""                | "" in a one-line entry, null in a block     |
// | Protect block name                        | SetupName for a Protection block, else      |
// |                                           | Template                                    |
// | Protect one-line entry (template and      | no body fields                              |
// | setup name both set)                      |                                             |
#include "blocks/block_fields.h"
#include "common/record_check.h"
#include "common/text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

using Text = std::optional<std::string>;

Text Of(const char *s) {
    return s ? Text(s) : std::nullopt;
}

std::string Show(const Text &t) {
    if (!t) return "(null)";
    std::string out = "\"";
    for (char c : *t)
        out += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    return out + "\"";
}

// A body value as the readers take it back: from its first character that is
// no blank to its line end.
Text PlainRead(std::string v, bool keepLineEnd) {
    v.erase(0, v.find_first_not_of(" \t@"));
    const std::size_t lf = v.find('\n');
    if (v.empty() || lf == 0) return std::nullopt;
    if (lf == std::string::npos) v += '\n';
    if (!keepLineEnd) v.pop_back();
    return v;
}

Text UnitRead(const std::string &v, const char *word) {
    return PlainRead(!v.empty() && v.back() == '\n' ? v : v + " " + word, true);
}

Text Unquoted(const std::string &v) {
    const std::size_t first = v.find_first_not_of('"');
    if (first == std::string::npos) return std::string(" ");
    return v.substr(first, v.find_last_not_of('"') + 1 - first);
}

// The expected read-back of a record, by field name.
using Expected = std::map<std::string, Text>;

Expected ExpectProtect(const ProtectRule &r) {
    Expected e;
    const bool oneLine = r.Template && r.SetupName;
    const bool address = r.Address && *r.Address;
    for (const auto &f : confkit::RecordFields<ProtectRule>::List()) {
        const char *v = r.*f.member;
        Text &x = e[f.name];
        if (f.form == confkit::FieldForm::Header || oneLine || !v) continue;
        if (f.form == confkit::FieldForm::Plain) x = PlainRead(v, true);
        if (f.form == confkit::FieldForm::Flag && std::strchr(v, '1')) x = "1";
        if (f.form == confkit::FieldForm::Certificate && *v) x = Unquoted(v);
    }
    e["Directive"] = r.Directive;
    if (oneLine) {
        e["Template"] = r.Template;
        e["SetupName"] = r.SetupName;
        e["Address"] = address ? r.Address : "";
    } else {
        const char *name = r.Template ? r.Template : r.SetupName;
        e[ascii::EqualNoCase(r.Directive, "Protection") ? "SetupName" : "Template"] = name;
        e["Address"] = address ? Of(r.Address) : std::nullopt;
    }
    return e;
}

Expected ExpectLDAP(const LDAPRule &r) {
    Expected e;
    for (const auto &f : confkit::RecordFields<LDAPRule>::List()) {
        const char *v = r.*f.member;
        Text &x = e[f.name];
        if (f.form == confkit::FieldForm::Header)
            x = v;
        else if (!v || !*v)
            continue;
        else if (f.form == confkit::FieldForm::Quoted)
            x = Unquoted(v);
        else if (f.form == confkit::FieldForm::Unit)
            x = UnitRead(v, f.word);
        else
            x = PlainRead(v, false);
    }
    return e;
}

// Member lines by keyword; the cache size suffix reads back on the size's line.
Expected ExpectMemberLines(const MemberRule &r) {
    Expected e;
    const auto &fields = confkit::RecordFields<MemberRule>::List();
    for (const auto &f : fields) {
        if (f.form == confkit::FieldForm::Header || f.form == confkit::FieldForm::Joined) continue;
        std::string text = Of(r.*f.member).value_or("");
        for (const auto &j : fields)
            if (j.line == f.line && j.form == confkit::FieldForm::Joined)
                text += " " + Of(r.*j.member).value_or("");
        e[f.name] =
            f.form == confkit::FieldForm::Unit ? UnitRead(text, f.word) : PlainRead(text, true);
    }
    return e;
}

template <class R> Expected Fields(const R &r) {
    Expected e;
    for (const auto &f : confkit::RecordFields<R>::List())
        e[f.name] = Of(r.*f.member);
    return e;
}

// The fields that hold a value, with their values.
std::string Describe(const Expected &e) {
    std::string out;
    for (const auto &[name, value] : e)
        if (value) out += name + "=" + Show(value) + " ";
    return out;
}

template <class R> struct RecordFreer {
    void operator()(R *r) const {
        for (const auto &f : confkit::RecordFields<R>::List())
            confkit::blocks::ReleaseField(r->*f.member);
        std::free(r);
    }
};
template <class R> using RecordPtr = std::unique_ptr<R, RecordFreer<R>>;

// The Member block named name, read back line by line: keyword and the rest
// of the line from its second token on. Lines of no keyword are reported
// under the empty name.
Expected ReadMemberLines(const ConfigDocument *doc, const std::string &name) {
    Expected lines;
    const Line *line = doc->first;
    while (line && !TokenMatch(TokenNext(line->text), name.c_str()))
        line = line->next;
    if (!line || !TokenMatch(line->text, "Member")) return {{"", "no header"}};
    std::unique_ptr<char, decltype(&std::free)> written(TokenDup(TokenNext(line->text)), std::free);
    if (name != written.get()) return {{"", "header names " + std::string(written.get())}};
    for (line = line->next; line && !std::strchr(line->text, '}'); line = line->next) {
        std::unique_ptr<char, decltype(&std::free)> keyword(TokenDup(line->text), std::free);
        if (!keyword) continue;
        std::unique_ptr<char, decltype(&std::free)> value(CopyString(TokenNext(line->text)),
                                                          std::free);
        lines[keyword.get()] = Of(value.get());
    }
    return lines;
}

// Values: most read back (some after a normalisation), some must be refused.
class Values {
  public:
    explicit Values(unsigned seed) : rng_(seed) {}

    bool Chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }
    template <class T> const T &Pick(const std::vector<T> &list) {
        return list[rng_() % list.size()];
    }

    // A body value, or nullptr.
    const char *Body(int presentPercent) {
        if (!Chance(presentPercent)) return nullptr;
        // clang-format off
        static const std::vector<const char *> tame = {
            "v1", "two words", " lead", "\tlead", "@at", "\"quoted\"", "\"", "\"\"", "in\"ner",
            "x  # note\n", "cr\rin", "end\n", "a#b", "1", "0", "seconds", "60 seconds\n",
            "<&>=", "\x01\xe9\x7f", "", " "};
        static const std::vector<const char *> constants = {
            confkit::blocks::kEmptyQuoted, confkit::blocks::kFlagSet, confkit::blocks::kNoAddress};
        static const std::vector<const char *> hostile = {
            "{", "}", "a}b", "Admin }", "in\nner", "x\nUserID root", "#x", "  #x", "\n\n",
            "quote\n", "end\r"};
        // clang-format on
        if (Chance(8)) return Keep(Long());
        if (Chance(5)) return Pick(constants);
        return Chance(12) ? Pick(hostile) : Pick(tame);
    }

    // A header word: fresh (its part before any "#" differs from every other
    // word's, so that a lookup finds no other entry), now and then spoilt.
    const char *Word() {
        std::string w = "n" + std::to_string(++counter_);
        if (Chance(4)) return Keep("");
        if (Chance(3)) w.append(1000 + rng_() % 30, 'w');
        if (Chance(15)) {
            static const std::vector<char> spoilers = {' ', '\t', '@', '#', '\n',  '{',
                                                       '}', '\r', '"', '=', '\xe9'};
            w.insert(Chance(30) ? 0 : w.size(), 1, Pick(spoilers));
            if (Chance(50)) w += 'x';
        }
        return Keep(w);
    }

    // A fresh name as a file may hold it.
    std::string Name() {
        static const std::vector<std::string> tails = {"", "", "#x", "\"", "\r", "=", "\xe9"};
        return "n" + std::to_string(++counter_) + Pick(tails);
    }

    int Mode() { return 1 + static_cast<int>(rng_() % 3); }

  private:
    std::string Long() {
        std::string v(980 + rng_() % 50, 'v');
        if (Chance(50)) v[v.size() / 2] = ' ';
        return v;
    }
    const char *Keep(std::string s) {
        kept_.push_back(std::make_unique<std::string>(std::move(s)));
        return kept_.back()->c_str();
    }

    std::mt19937 rng_;
    unsigned counter_ = 0;
    std::vector<std::unique_ptr<std::string>> kept_;
};

char *S(const char *s) {
    return const_cast<char *>(s);
}

// A document that a save leaves as it is, with an entry of each kind.
const char kBase[] = "# proxy\n"
                     "Port 8080\n"
                     "Protection base-setup {\n"
                     "      UserID       nobody\n"
                     "}\n"
                     "Protect /base/* base-setup\n"
                     "Protect /blk/* {\n"
                     "      GetMask      all\n"
                     "}\n"
                     "LDAPInfo basedir {\n"
                     "      Host                     ldap.example\n"
                     "}\n"
                     "Member basemember {\n"
                     "     RCAAddr 10.0.0.2\n"
                     "}\n"
                     "Pass /p/* /q/*\n"
                     "Hostname proxy.example\n";

// One random put: the record, the name its entry is found by, and the name
// and mode the put is given.
template <class R> struct Trial {
    R record{};
    std::string own, nameArg;
    int mode = 1;
    bool replaces = false; // whether the put removes the entry named nameArg
};

constexpr int kCases = 1500;
constexpr int kBatch = 100; // puts whose documents are saved and reopened together

// Runs kCases trials. Each put goes into its own copy of the base document;
// a refused put must leave it unchanged, a written one changes nothing but
// its own entry and the entry it replaces. The documents of written puts are
// saved as one file and reopened, and verify(reopened, trial, index) reads
// each entry back; at last, without the new entries, the reopened file holds
// exactly the base documents less what the puts replaced.
template <class R, class Make, class Put, class Verify>
void RunTrials(const std::string &path, Make make, Put put,
               Line *(*remove)(ConfigDocument *, const char *), Verify verify) {
    int written = 0;
    for (int first = 0; first < kCases; first += kBatch) {
        std::vector<std::pair<int, Trial<R>>> kept;
        std::string saved, expected;
        for (int i = first; i < first + kBatch; ++i) {
            Trial<R> t = make();
            DocPtr doc(MakeDoc(kBase, path.c_str()));
            const std::string before = DocText(doc.get());
            if (!put(doc.get(), t)) {
                EXPECT_EQ(DocText(doc.get()), before) << "case " << i;
                continue;
            }
            saved += DocText(doc.get());
            DocPtr rest(MakeDoc(kBase));
            if (t.replaces) remove(rest.get(), t.nameArg.c_str());
            expected += DocText(rest.get());
            remove(doc.get(), t.own.c_str());
            EXPECT_EQ(DocText(doc.get()), DocText(rest.get())) << "case " << i;
            kept.emplace_back(i, std::move(t));
        }
        written += static_cast<int>(kept.size());
        DocPtr all(MakeDoc(saved, path.c_str()));
        ASSERT_EQ(HTTPDConfigWrite(all.get()), 0);
        DocPtr reopened(HTTPDConfigOpen(path.c_str()));
        ASSERT_TRUE(reopened);
        for (const auto &[i, t] : kept)
            verify(reopened.get(), t, i);
        for (const auto &[i, t] : kept)
            remove(reopened.get(), t.own.c_str());
        EXPECT_EQ(DocText(reopened.get()), expected) << "cases from " << first;
    }
    // Both outcomes are common enough to mean something.
    EXPECT_GT(written, kCases / 5);
    EXPECT_LT(written, kCases - kCases / 5);
}

// Why a put may refuse a record that a get returned: a line that no longer
// fits; a brace, which a value can only have got from a malformed entry (a
// header read as a subdirective); a control byte the file holds, which no new value may hold.
bool MayRefuseAGetsRecord(const valuecheck::Verdict &v) {
    if (!v) return false;
    for (const char *why : {"characters long", "holds \"{\"", "holds \"}\"", "a control byte"})
        if (v->reason.find(why) != std::string::npos) return true;
    return false;
}

// Writes in its place what a get gave, and reads it again: it reads back as
// the model says, and is refused only for the reasons above.
template <class R, class Get, class Put, class Check, class Expect>
void PutAgain(ConfigDocument *doc, const R &got, const std::string &name, int i, Get get, Put put,
              Check check, Expect expect) {
    if (put(doc, &got, name.c_str(), 3) != 1) {
        EXPECT_TRUE(MayRefuseAGetsRecord(check(got)))
            << "case " << i << ": " << check(got)->Message();
        return;
    }
    RecordPtr<R> back(get(doc, name.c_str()));
    ASSERT_TRUE(back) << "case " << i;
    EXPECT_EQ(Describe(Fields(*back)), Describe(expect(got))) << "case " << i;
}

class RoundTrip : public ::testing::Test {
  protected:
    testsupport::TempDir dir_;
    std::string path_ = dir_.File("proxy.conf");
    Values values_{20240517};
};

TEST_F(RoundTrip, ProtectRecords) {
    // Other directives are refused: one of them among the picks keeps both
    // outcomes common.
    const std::vector<const char *> directives = {"Protect", "Protection", "PROTECTION", "protect",
                                                  "Pass"};
    auto make = [&] {
        Trial<ProtectRule> t;
        ProtectRule &r = t.record;
        r.Directive = S(values_.Chance(90) ? values_.Pick(directives) : values_.Word());
        if (values_.Chance(70)) r.Template = S(values_.Word());
        if (!r.Template || values_.Chance(40)) r.SetupName = S(values_.Word());
        if (values_.Chance(40)) r.Address = S(values_.Chance(30) ? "" : values_.Word());
        for (const auto &f : confkit::RecordFields<ProtectRule>::List())
            if (f.form != confkit::FieldForm::Header) r.*f.member = S(values_.Body(25));
        t.own = r.Template ? r.Template : r.SetupName;
        t.nameArg = values_.Pick(
            std::vector<std::string>{t.own, "base-setup", "/base/*", "/blk/*", "none-such"});
        t.mode = values_.Mode();
        t.replaces = t.mode == 3 || ascii::EqualNoCase(r.Directive, "Protection");
        return t;
    };
    auto put = [](ConfigDocument *doc, const Trial<ProtectRule> &t) {
        const int32_t rc = HTTPDPutProtectRule(doc, &t.record, t.nameArg.c_str(), t.mode);
        EXPECT_TRUE(rc == 0 || rc == 1) << rc;
        return rc == 1;
    };
    auto verify = [](ConfigDocument *doc, const Trial<ProtectRule> &t, int i) {
        RecordPtr<ProtectRule> got(HTTPDGetProtectRule(doc, t.own.c_str()));
        ASSERT_TRUE(got) << "case " << i;
        EXPECT_EQ(Describe(Fields(*got)), Describe(ExpectProtect(t.record))) << "case " << i;
        PutAgain(doc, *got, t.own, i, HTTPDGetProtectRule, HTTPDPutProtectRule,
                 valuecheck::CheckProtect, ExpectProtect);
    };
    RunTrials<ProtectRule>(path_, make, put, HTTPDDeleteProtectRule, verify);
}

// A trial of a record kind whose entry is found by its Name.
template <class R>
Trial<R> NamedTrial(Values &v, int presentPercent, std::vector<std::string> names) {
    Trial<R> t;
    t.record.Name = S(v.Word());
    for (const auto &f : confkit::RecordFields<R>::List())
        if (f.form != confkit::FieldForm::Header) t.record.*f.member = S(v.Body(presentPercent));
    t.own = t.record.Name;
    names.push_back(t.own);
    t.nameArg = v.Pick(names);
    t.mode = v.Mode();
    t.replaces = t.mode == 3;
    return t;
}

TEST_F(RoundTrip, LDAPRecords) {
    auto make = [&] {
        return NamedTrial<LDAPRule>(values_, 20, {"basedir", "basemember", "none-such"});
    };
    auto put = [](ConfigDocument *doc, const Trial<LDAPRule> &t) {
        return HTTPDPutLDAPRule(doc, &t.record, t.nameArg.c_str(), t.mode) == 1;
    };
    auto verify = [](ConfigDocument *doc, const Trial<LDAPRule> &t, int i) {
        RecordPtr<LDAPRule> got(HTTPDGetLDAPRule(doc, t.own.c_str()));
        ASSERT_TRUE(got) << "case " << i;
        EXPECT_EQ(Describe(Fields(*got)), Describe(ExpectLDAP(t.record))) << "case " << i;
        PutAgain(doc, *got, t.own, i, HTTPDGetLDAPRule, HTTPDPutLDAPRule, valuecheck::CheckLDAP,
                 ExpectLDAP);
    };
    RunTrials<LDAPRule>(path_, make, put, HTTPDDeleteLDAPRule, verify);
}

TEST_F(RoundTrip, MemberRecords) {
    auto make = [&] {
        return NamedTrial<MemberRule>(values_, 70, {"basemember", "basedir", "none-such"});
    };
    auto put = [](ConfigDocument *doc, const Trial<MemberRule> &t) {
        return HTTPDPutMemberRule(doc, &t.record, t.nameArg.c_str(), t.mode) == 1;
    };
    auto verify = [](ConfigDocument *doc, const Trial<MemberRule> &t, int i) {
        EXPECT_EQ(Describe(ReadMemberLines(doc, t.own)), Describe(ExpectMemberLines(t.record)))
            << "case " << i;
    };
    RunTrials<MemberRule>(path_, make, put, HTTPDDeleteMemberRule, verify);
}

// An entry as a file may hold it: odd spacing, comments, quotes, keywords in
// any case, values that the writer lays out differently.
template <class R> std::string Entry(Values &v, const char *directive, const std::string &name) {
    static const std::vector<std::string> seps = {" ", "  ", "\t", " @ "};
    static const std::vector<std::string> indents = {"", "   ", "\t", "      "};
    // clang-format off
    static const std::vector<std::string> bodies = {
        "v", "a b", "x  # c", "\"a b\"", "\"\"", "\"#x\"", "\"\tx\"", "\"@x\"", "in\"ner", "a\rb",
        "60  seconds", "\"x\"  ", "'q'", "=", "", "#x", std::string(1000, 'v')};
    // clang-format on
    std::string text = std::string(directive) + v.Pick(seps) + name;
    if (v.Chance(40)) text += v.Pick(seps) + "FOR" + v.Pick(seps) + v.Name();
    text += v.Pick(seps) + "{\n";
    for (const auto &f : confkit::RecordFields<R>::List()) {
        if (f.form == confkit::FieldForm::Header || f.form == confkit::FieldForm::Joined ||
            !v.Chance(30))
            continue;
        const std::string keyword = v.Chance(20) ? ascii::ToLower(f.name) : f.name;
        text += v.Pick(indents) + keyword + v.Pick(seps) + v.Pick(bodies) + "\n";
    }
    return text + "}\n";
}

// Whatever a get returned is written again (but for the reasons above) and
// reads back as the table at the top says; an entry of another directive is
// not found at all.
TEST_F(RoundTrip, RecordsAGetReturnedAreWrittenAgain) {
    const std::vector<const char *> directives = {"Protect", "Protection", "PROTECT",
                                                  "Pass",    "UserID",     "SSL_ClientAuth"};
    for (int i = 0; i < kCases; ++i) {
        const std::string name = values_.Name();
        const char *directive = values_.Pick(directives);
        std::string entry;
        if (i % 3 == 2) {
            entry = Entry<LDAPRule>(values_, values_.Chance(50) ? "LDAPInfo" : "ldapinfo", name);
        } else if (values_.Chance(40)) {
            entry = std::string(directive) + " " + name + " " + values_.Name();
            if (values_.Chance(50))
                entry += (values_.Chance(50) ? " FOR " : " x ") + values_.Name();
            entry += values_.Chance(30) ? "  # note\n" : "\n";
        } else {
            entry = Entry<ProtectRule>(values_, directive, name);
        }
        DocPtr doc(MakeDoc("Port 80\n" + entry + "Hostname h\n"));
        if (i % 3 != 2 && !ascii::EqualNoCase(directive, "Protect") &&
            !ascii::EqualNoCase(directive, "Protection")) {
            EXPECT_FALSE(RecordPtr<ProtectRule>(HTTPDGetProtectRule(doc.get(), name.c_str())))
                << entry;
            continue;
        }
        if (i % 3 == 2) {
            RecordPtr<LDAPRule> got(HTTPDGetLDAPRule(doc.get(), name.c_str()));
            ASSERT_TRUE(got) << entry;
            PutAgain(doc.get(), *got, name, i, HTTPDGetLDAPRule, HTTPDPutLDAPRule,
                     valuecheck::CheckLDAP, ExpectLDAP);
        } else {
            RecordPtr<ProtectRule> got(HTTPDGetProtectRule(doc.get(), name.c_str()));
            ASSERT_TRUE(got) << entry;
            PutAgain(doc.get(), *got, name, i, HTTPDGetProtectRule, HTTPDPutProtectRule,
                     valuecheck::CheckProtect, ExpectProtect);
        }
    }
}

} // namespace
