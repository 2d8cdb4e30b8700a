// The record checks: a refusal names the field and the character or length
// that would not read back, values at the edge of what reads back pass, and
// the put answers its failure value with the document unchanged.
#include "common/record_check.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

namespace {

char *S(const char *text) {
    return const_cast<char *>(text);
}

// A value that fills a line whose fixed text takes fixed characters (with
// more, one character more), with a space in its middle when spaced.
const char *Filling(std::size_t fixed, bool more, bool spaced = false) {
    static std::map<std::tuple<std::size_t, bool, bool>, std::string> made;
    std::string &s = made[{fixed, more, spaced}];
    s.assign(valuecheck::kLineChars - fixed + (more ? 1 : 0), 'v');
    if (spaced) s[s.size() / 2] = ' ';
    return s.c_str();
}

const char kForeignDirective[] = "Directive: is neither Protect nor Protection, the only lines a "
                                 "protection entry is looked up among";

template <class R> struct Row {
    std::function<void(R &)> edit;
    std::string refusal; // empty: written
};

template <class R, class Check, class Put>
void Expect(const R &base, const std::vector<Row<R>> &rows, Check check, Put put) {
    for (const Row<R> &row : rows) {
        R r = base;
        row.edit(r);
        const valuecheck::Verdict v = check(r);
        EXPECT_EQ(v ? v->Message() : "", row.refusal);
        DocPtr doc(MakeDoc("Port 80\n"));
        EXPECT_EQ(put(doc.get(), &r, "x", 1), row.refusal.empty() ? 1 : 0) << row.refusal;
        if (!row.refusal.empty()) {
            EXPECT_EQ(DocText(doc.get()), "Port 80\n");
        }
    }
}

TEST(RecordCheck, ProtectRecords) {
    ProtectRule base{};
    base.Directive = S("Protect");
    base.Template = S("/a/*");
    const std::vector<Row<ProtectRule>> rows = {
        {[](ProtectRule &r) { r.ServerID = S("Admin }"); },
         "ServerID: holds \"}\", which changes where a block ends"},
        {[](ProtectRule &r) { r.UserID = S("a\nUserID root"); },
         "UserID: holds a line feed; a value is one line"},
        {[](ProtectRule &r) { r.UserID = S("a  # note\n"); }, ""}, // as a get returns it
        {[](ProtectRule &r) { r.UserID = S("tab\tin"); }, ""},
        {[](ProtectRule &r) { r.UserID = S("cr\rin"); },
         "UserID: holds a carriage return, a control byte; a value holds none but tab"},
        {[](ProtectRule &r) { r.CommonName = S("lf\n"); },
         "CommonName: holds a line feed, where the reader cuts the value"},
        {[](ProtectRule &r) { r.CommonName = S("#x"); }, ""}, // written in quotes
        {[](ProtectRule &r) { r.GetMask = S("  # all"); },
         "GetMask: begins with \"#\", which makes it a comment"},
        {[](ProtectRule &r) { r.UserID = S(Filling(19, false)); }, ""},
        {[](ProtectRule &r) { r.UserID = S(Filling(19, true)); },
         "UserID: is 1004 characters long; its line holds 1003"},
        {[](ProtectRule &r) { r.CommonName = S(Filling(21, true, true)); },
         "CommonName: is 1002 characters long; its line holds 1001"},
        {[](ProtectRule &r) { r.Template = S("/a b/*"); },
         "Template: holds \" \", which ends a word of its header line"},
        {[](ProtectRule &r) { r.Template = S("/a#b"); }, ""}, // nothing after it is read
        {[](ProtectRule &r) {
             r.Template = S("/a#b");
             r.Address = S("10.*");
         },
         "Template: holds \"#\", which hides the words after it from the reader"},
        {[](ProtectRule &r) {
             r.SetupName = S("s");
             r.Address = S("#10");
         },
         "Address: begins with \"#\", which makes it a comment"},
        {[](ProtectRule &r) { r.Directive = S(""); },
         "Directive: is empty; its header line needs a word there"},
        {[](ProtectRule &r) { r.Directive = S("Mask"); }, kForeignDirective},
        {[](ProtectRule &r) { r.Directive = S("Pass"); }, kForeignDirective},
        {[](ProtectRule &r) { r.Directive = S("PROTECTION"); }, ""},
        {[](ProtectRule &r) {
             r.SetupName = S("s");
             r.Template = S(Filling(12, true));
         },
         "Template: is 1011 characters long; its line holds 1010"},
    };
    Expect(base, rows, valuecheck::CheckProtect, HTTPDPutProtectRule);
}

TEST(RecordCheck, LDAPAndMemberRecords) {
    LDAPRule ldap{};
    ldap.Name = S("dir");
    Expect(ldap,
           std::vector<Row<LDAPRule>>{
               {[](LDAPRule &r) { r.Name = S(""); },
                "Name: is empty; its header line needs a word there"},
               {[](LDAPRule &r) { r.Name = S("#dir"); },
                "Name: begins with \"#\", which makes it a comment"},
               {[](LDAPRule &r) { r.Name = S("d#ir"); }, ""},
               {[](LDAPRule &r) { r.KeyLabel = S("label\n"); },
                "KeyLabel: ends with a line feed, which leaves its closing quote on a line of "
                "its own"},
               {[](LDAPRule &r) { r.IdleConnTimeout = S("60  seconds\n"); }, ""},
               {[](LDAPRule &r) { r.ServerDN = S(Filling(33, false)); }, ""},
               {[](LDAPRule &r) { r.ServerDN = S(Filling(33, true)); },
                "ServerDN: is 990 characters long; its line holds 989"},
           },
           valuecheck::CheckLDAP, HTTPDPutLDAPRule);

    MemberRule member{};
    member.Name = S("m");
    Expect(member,
           std::vector<Row<MemberRule>>{
               {[](MemberRule &r) { r.RCAAddr = S("a{"); },
                "RCAAddr: holds \"{\", which changes where a block ends"},
               {[](MemberRule &r) {
                    r.CacheSize = S("200\n");
                    r.CacheSizeSuffix = S("M");
                },
                "CacheSize: ends with a line feed, which moves CacheSizeSuffix to a line of its "
                "own"},
               {[](MemberRule &r) {
                    r.CacheSize = S("200");
                    r.CacheSizeSuffix = S("M\n");
                },
                ""},
               {[](MemberRule &r) { r.CacheSizeSuffix = S("#M"); },
                "CacheSizeSuffix: begins with \"#\", which makes it a comment"},
               {[](MemberRule &r) { r.Timeout = S(Filling(26, false)); }, ""},
               {[](MemberRule &r) { r.Timeout = S(Filling(26, true)); },
                "Timeout: is 997 characters long; its line holds 996"},
           },
           valuecheck::CheckMember, HTTPDPutMemberRule);
}

} // namespace
