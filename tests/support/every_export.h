// Runs every export of the library once over a document, with arguments that
// reach its main paths, releasing what each hands out. Used by the hostile
// input tests and the scaling benchmark; output of the generators goes to
// whatever standard output is at the time.
#ifndef CONFKIT_EVERY_EXPORT_H
#define CONFKIT_EVERY_EXPORT_H

#include "confkit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace everyexport {

// Releases two records the library handed out for the same lookup. A field
// that points to the same text in both is one of the library's constant
// texts and is not released; every other text belongs to the caller.
template <class Record, std::size_t N> void FreeTwins(Record *a, Record *b) {
    if (!a || !b) {
        std::free(a);
        std::free(b);
        return;
    }
    char **fa = reinterpret_cast<char **>(a);
    char **fb = reinterpret_cast<char **>(b);
    for (std::size_t i = 0; i < N; ++i) {
        if (fa[i] && fa[i] == fb[i]) continue;
        std::free(fa[i]);
        std::free(fb[i]);
    }
    std::free(a);
    std::free(b);
}

// A short list of new rule Lines.
inline Line *RuleList(const char *a, const char *b) {
    Line *first = LinesNew(2);
    std::snprintf(first->text, sizeof first->text, "%s", a);
    std::snprintf(first->next->text, sizeof first->next->text, "%s", b);
    return first;
}

// The queries, generators and lookups: they leave the document unchanged.
inline void RunReaders(ConfigDocument *doc, const std::string &name) {
    const char *n = name.c_str();
    const int32_t pass = HTTPDRuleToID("pass");
    const int32_t multi[] = {pass, HTTPDRuleToID("map"), 0};
    LinesFree(HTTPDGetRules(doc, pass));
    LinesFree(HTTPDGetRules(doc, HTTPDRuleToID("member")));
    LinesFree(HTTPDGetMultiRules(doc, multi));
    LinesFree(HTTPDGetUserMethodRules(doc, HTTPDRuleToID("enable")));
    LinesFree(HTTPDGetZarnRules(doc, HTTPDRuleToID("service"), "zarndsGet"));
    FreeTwins<ProtectRule, 29>(HTTPDGetProtectRule(doc, n), HTTPDGetProtectRule(doc, n));
    FreeTwins<LDAPRule, 21>(HTTPDGetLDAPRule(doc, n), HTTPDGetLDAPRule(doc, n));
    FreeTwins<PicsFilterRule, 5>(HTTPDGetPicsFilterRule(doc, n), HTTPDGetPicsFilterRule(doc, n));
    std::size_t room = 2;
    for (Line *l = doc ? doc->first : nullptr; l; l = l->next) {
        room += 1;
        for (const char *c = l->text; *c; ++c)
            room += *c == '"';
    }
    for (const char *kw : {"passurl", "applies-to", "serviceinfo"}) {
        std::vector<char *> values(room, nullptr);
        int32_t got = HTTPDGetPicsFilterSubdirective(doc, kw, values.data(), n);
        for (int32_t i = 1; i <= got; ++i)
            std::free(values[static_cast<std::size_t>(i)]);
    }
    const char *row = "<tr>%s</tr>\n";
    GenHtmlLine(row, n);
    GenOptionString(row, 1, 40, 7);
    GenOptionList(row, "Caching", "ON OFF", "ON", doc);
    GenTextField(row, "Port", 2, 1, "80", doc);
    GenCheckedSetting(row, "Pass", "/", 1, 2, "CHECKED", doc);
    GenCheckedSettingOnOff(row, "Caching", 1, 1, doc);
    GenCacheTimeoutSetting(row, "CacheDefaultExpiry", "http:", doc);
    GenSelectListItems(row, "Pass", 1, doc);
    GenMultiDirectiveText(row, "Pass", 2, doc);
    GenTableItems(row, "Pass", 3, 0, doc);
    GenMultiTableItems(row, "Pass Map Fail ", 3, 1, doc);
    GenMethTableItems(row, doc);
    GenZarndsTableItems(row, doc);
    GenZarndsConfTableItems(row, doc);
    GenCacheURLTableItems(row, doc);
    GenSocksTableItems(row, doc);
    GenAPITableItems(row, "ServerInit&PreExit&", doc);
    GenProtectTableItems(row, doc);
    GenMemberTableItems(row, doc);
    GenPicsFilterTableItems(row, doc);
    for (const char *kw : {"passurl", "applies-to", "serviceinfo", "Filter"})
        GenPicsFilterSubTableItems(row, n, kw, doc);
    SearchForDirective("Pass", n, 2, doc);
    SearchForHandler("Enable", n, 2, doc);
    FindDelimeter(n);
    std::string buffer(2 * name.size() + 64, '\0');
    AddToBuffer(buffer.data(), "p", n);
    if (doc && doc->first) {
        Line copy{};
        LineCopyData(&copy, doc->first);
        char *field = GetField(copy.text, 2);
        StripQuotes(field);
        PointToNextField(copy.text);
        StripCRLF(copy.text);
        ConvertChars(copy.text, "\t\"()", ' ');
        int32_t h = 0, m = 0, s = 0;
        ParseTimeSpec(copy.text, &h, &m, &s);
        TokenMatch(copy.text, "pass");
        TokenNext(copy.text);
        RuleSame(copy.text, doc->first->text);
        RuleFound(copy.text, doc->first);
        HTTPDRuleMatch(copy.text, pass);
        HTTPDIDToRule(pass);
    }
}

// The edits: each changes the document through its own export.
inline void RunWriters(ConfigDocument *doc, const std::string &name, const std::string &value) {
    char *n = const_cast<char *>(name.c_str());
    char *v = const_cast<char *>(value.c_str());
    const int32_t pass = HTTPDRuleToID("pass");
    LinesFree(HTTPDRemoveRules(doc, pass, RuleList("Pass /a/* /b/*\n", "Pass /c/*\n")));
    Line *add = RuleList("Pass /x/* /y/*\n", "Pass /x/* /y/*\n");
    if (doc && doc->first)
        HTTPDAddRules(doc, pass, add);
    else
        LinesFree(add);
    Line *replace = RuleList("Pass /z/*\n", "Pass /a/* /b/*\n");
    if (doc && doc->first)
        HTTPDReplaceRules(doc, pass, replace);
    else
        LinesFree(replace);
    ProtectRule protect{};
    protect.Directive = const_cast<char *>("Protect");
    protect.Template = n;
    protect.SetupName = v;
    protect.UserID = v;
    protect.CommonName = v;
    HTTPDPutProtectRule(doc, &protect, n, 3);
    protect.Directive = const_cast<char *>("Protection");
    HTTPDPutProtectRule(doc, &protect, n, 2);
    HTTPDDeleteProtectRule(doc, n);
    LDAPRule ldap{};
    ldap.Name = n;
    ldap.Host = v;
    ldap.ServerDN = v;
    ldap.CacheTimeout = v;
    HTTPDPutLDAPRule(doc, &ldap, n, 3);
    HTTPDDeleteLDAPRule(doc, n);
    MemberRule member{};
    member.Name = n;
    member.RCAAddr = v;
    member.Timeout = v;
    HTTPDPutMemberRule(doc, &member, n, 1);
    HTTPDDeleteMemberRule(doc, n);
    PicsFilterRule pics{n, v, v, v, v};
    HTTPDPutPicsFilterRule(doc, &pics, n, 2);
    HTTPDCopyPicsFilterRule(doc, n, n, "copy", 1);
    HTTPDReplacePicsFilterRule(doc, &pics, "copy");
    std::string entry = "S N B R " + value;
    std::vector<char *> list{nullptr, entry.data(), nullptr};
    HTTPDPutPicsFilterSubdirective(doc, "serviceinfo", list.data(), n);
    std::vector<char *> urls{nullptr, v, v, nullptr};
    HTTPDPutPicsFilterSubdirective(doc, "passurl", urls.data(), n);
    HTTPDPutFilterSubdirective(doc, n, ("Filter (" + value + ")").c_str());
    HTTPDDeleteFilterSubdirective(doc, n);
    HTTPDDeletePicsFilterRule(doc, n);
    Line *added = LinesAddStr("Port 80\n", doc, v, 2);
    (void)added;
}

} // namespace everyexport

#endif
