// Every kind of named entry is found among its own directives only: a line of
// another directive with the same name is never read, replaced, removed or
// taken as the neighbour of a put.
#include "blocks/block_fields.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

char *S(const char *text) {
    return const_cast<char *>(text);
}

// A kind of entry: its own entry named N, what its get reads of it (the
// Member kind has no get), its delete, and a put of a new entry N.
struct Kind {
    const char *directive;
    std::string own;
    std::function<std::string(ConfigDocument *)> get; // "" when nothing is found
    std::string found;
    Line *(*remove)(ConfigDocument *, const char *);
    std::function<int32_t(ConfigDocument *, int32_t)> put;
    std::string written; // the text of that put
    bool putReplaces;    // every put replaces (a Protection record)
};

std::string Text(const char *value) {
    return value ? value : "";
}

// What a get read, "" for nothing; the record is released.
template <class R> std::string Read(R *r, const std::function<std::string(const R &)> &what) {
    if (!r) return "";
    std::string read = what(*r);
    char **fields = reinterpret_cast<char **>(r);
    for (std::size_t i = 0; i < sizeof(R) / sizeof(char *); ++i)
        confkit::blocks::ReleaseField(fields[i]);
    std::free(r);
    return read;
}

std::string GetProtect(ConfigDocument *doc) {
    return Read<ProtectRule>(HTTPDGetProtectRule(doc, "n"), [](const ProtectRule &r) {
        return Text(r.Directive) + " " + Text(r.SetupName) + " " + Text(r.UserID);
    });
}

std::string GetLDAP(ConfigDocument *doc) {
    return Read<LDAPRule>(HTTPDGetLDAPRule(doc, "n"),
                          [](const LDAPRule &r) { return Text(r.Name) + " " + Text(r.Host); });
}

int32_t PutOneLine(ConfigDocument *doc, int32_t mode) {
    ProtectRule r{};
    r.Directive = S("Protect");
    r.Template = S("N");
    r.SetupName = S("fresh");
    return HTTPDPutProtectRule(doc, &r, "n", mode);
}

int32_t PutSetup(ConfigDocument *doc, int32_t mode) {
    ProtectRule r{};
    r.Directive = S("Protection");
    r.SetupName = S("N");
    r.UserID = S("fresh");
    return HTTPDPutProtectRule(doc, &r, "n", mode);
}

int32_t PutLDAP(ConfigDocument *doc, int32_t mode) {
    LDAPRule r{};
    r.Name = S("N");
    r.Host = S("fresh");
    return HTTPDPutLDAPRule(doc, &r, "n", mode);
}

int32_t PutMember(ConfigDocument *doc, int32_t mode) {
    MemberRule r{};
    r.Name = S("N");
    for (char **field : {&r.RCAAddr, &r.RCAPort, &r.CacheRoot, &r.CacheSize, &r.CacheSizeSuffix,
                         &r.Timeout, &r.BindSpecific, &r.ReuseAddr})
        *field = S("f");
    return HTTPDPutMemberRule(doc, &r, "n", mode);
}

const std::vector<Kind> &Kinds() {
    static const std::vector<Kind> kinds = {
        {"Protect", "Protect N own\n", GetProtect, "Protect own ", HTTPDDeleteProtectRule,
         PutOneLine, "Protect  N  fresh\n", false},
        {"Protection", "Protection N {\n UserID own\n}\n", GetProtect, "Protection N own\n",
         HTTPDDeleteProtectRule, PutSetup, "Protection  N  {\n      UserID       fresh\n}\n", true},
        {"LDAPInfo", "LDAPInfo N {\n Host own\n}\n", GetLDAP, "N own", HTTPDDeleteLDAPRule, PutLDAP,
         "LDAPInfo N {\n      Host                     fresh\n}\n", false},
        {"Member", "Member N {\n RCAAddr own\n}\n", nullptr, "", HTTPDDeleteMemberRule, PutMember,
         "Member N {\n     RCAAddr f\n     RCAPort f\n     CacheSize f f\n     CacheRoot f\n"
         "     Timeout f milliseconds\n     BindSpecific f\n     ReuseAddr f\n}\n",
         false},
    };
    return kinds;
}

// Lines named N of every directive; each kind meets those of the others.
const std::vector<std::string> kForeign = {
    "Pass N /srv/*\n",
    "Map N http://x/*\n",
    "Protect N other\n",
    "Protection N {\n UserID other\n}\n",
    "LDAPInfo N {\n Host other\n}\n",
    "Member N {\n RCAAddr other\n}\n",
};

bool SameKind(const Kind &kind, const std::string &line) {
    const std::string word = line.substr(0, line.find(' '));
    const bool protection = word == "Protect" || word == "Protection";
    const bool own =
        std::string(kind.directive) == "Protect" || std::string(kind.directive) == "Protection";
    return protection ? own : word == kind.directive;
}

std::string After(const std::string &text, const std::function<void(ConfigDocument *)> &edit) {
    DocPtr doc(MakeDoc(text));
    edit(doc.get());
    return DocText(doc.get());
}

TEST(EntryKinds, ForeignLinesOfTheSameNameAreLeftAlone) {
    for (const Kind &kind : Kinds()) {
        for (const std::string &foreign : kForeign) {
            if (SameKind(kind, foreign)) continue;
            SCOPED_TRACE(std::string(kind.directive) + " after " + foreign);
            const std::string alone = foreign + "Port 80\n";
            const std::string both = foreign + kind.own + "Port 80\n";

            if (kind.get) {
                DocPtr doc(MakeDoc(alone));
                EXPECT_EQ(kind.get(doc.get()), "");
                doc.reset(MakeDoc(both));
                EXPECT_EQ(kind.get(doc.get()), kind.found);
            }

            EXPECT_EQ(After(alone, [&](ConfigDocument *d) { kind.remove(d, "n"); }), alone);
            EXPECT_EQ(After(both, [&](ConfigDocument *d) { kind.remove(d, "n"); }), alone);

            EXPECT_EQ(After(both, [&](ConfigDocument *d) { EXPECT_EQ(kind.put(d, 3), 1); }),
                      foreign + kind.written + "Port 80\n");
            const std::string put = After(alone, [&](ConfigDocument *d) { kind.put(d, 3); });
            EXPECT_NE(put.find(foreign), std::string::npos) << put;
            if (kind.putReplaces) continue;
            EXPECT_EQ(After(both, [&](ConfigDocument *d) { kind.put(d, 1); }),
                      foreign + kind.written + kind.own + "Port 80\n");
            EXPECT_EQ(After(both, [&](ConfigDocument *d) { kind.put(d, 2); }),
                      foreign + kind.own + kind.written + "Port 80\n");
        }
    }
}

} // namespace
