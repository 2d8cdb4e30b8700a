// Every export of the library, once each, as a table of operations over a
// document: the one list that the hostile input tests, the fuzz targets and
// the scaling benchmark run. The caller gives the arguments (fixed ones, or
// ones drawn from a fuzzer's input) and decides what a failed check does.
// Generators print to whatever standard output is at the time.
#ifndef CONFKIT_EVERY_EXPORT_H
#define CONFKIT_EVERY_EXPORT_H

#include "confkit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace everyexport {

// Where an operation takes its arguments from. Each request names the usual
// value, the one fixed arguments give; a fuzzer may give another. Texts stay
// valid until the operation returns; puts only read them.
class Args {
  public:
    virtual ~Args() = default;
    // The name of the block, rule or clause to look for (may be null).
    virtual char *Name() = 0;
    // A value to write into a record or to search for (may be null).
    virtual char *Value() = 0;
    // Any other text; never null.
    virtual char *Text(const char *usual) = 0;
    // A text that may also be null.
    virtual char *Maybe(const char *usual) = 0;
    // The text of a caller's new Line: one line ended by its "\n".
    virtual char *LineText(const char *usual) = 0;
    // A number from lo to hi.
    virtual int32_t Number(int32_t usual, int32_t lo, int32_t hi) = 0;
    // A caller's new list of Lines, handed to the operation.
    virtual Line *List(std::initializer_list<const char *> usual) = 0;
    // May fill the text fields of a record before the usual ones are set.
    virtual void Fill(char **fields, std::size_t count) {
        static_cast<void>(fields);
        static_cast<void>(count);
    }
    // A property every run keeps.
    virtual void Check(bool ok, const char *what) = 0;
};

// What an operation does to the document and its file.
enum Kind {
    kReads, // leaves the document's lines as they were
    kEdits, // changes the document's lines
    kFiles, // opens, writes or closes documents (the given one stays as it was)
};

struct Operation {
    const char *name; // the export it runs
    Kind kind;
    void (*run)(ConfigDocument *doc, Args &args);
};

// ---- Helpers of the table ----

inline std::string Str(const char *text) {
    return text ? text : "";
}

inline Line *NewList(std::initializer_list<const char *> texts) {
    Line *first = nullptr, *last = nullptr;
    for (const char *text : texts) {
        Line *line = LinesNew(1);
        if (!line) break;
        std::snprintf(line->text, sizeof line->text, "%s", text);
        if (first)
            LinesAdd(last, line);
        else
            first = line;
        last = line;
    }
    return first;
}

// The text of the document's first Line, a usual argument of the text
// primitives.
inline const char *FirstText(const ConfigDocument *doc) {
    return doc && doc->first ? doc->first->text : "Pass /a/* /b/* # x\n";
}

template <class Record> char **Fields(Record &r) {
    return reinterpret_cast<char **>(&r);
}

// Releases two records the library handed out for the same lookup. A field
// that points to the same text in both is one of the library's constant
// texts and is not released; every other text belongs to the caller.
template <class Record> void FreeTwins(Args &a, Record *x, Record *y) {
    a.Check((x == nullptr) == (y == nullptr), "the same lookup found and did not find");
    constexpr std::size_t kFields = sizeof(Record) / sizeof(char *);
    for (std::size_t i = 0; x && y && i < kFields; ++i) {
        if (Fields(*x)[i] && Fields(*x)[i] == Fields(*y)[i]) continue;
        std::free(Fields(*x)[i]);
        std::free(Fields(*y)[i]);
    }
    std::free(x);
    std::free(y);
}

// Looks a record up twice by the same name and releases both.
template <class Get> void GetTwice(ConfigDocument *doc, Args &a, Get get) {
    char *name = a.Name();
    FreeTwins(a, get(doc, name), get(doc, name));
}

// Hands a new list to an edit that takes it; a document without Lines leaves
// the list to its caller.
template <class Edit>
void ListEdit(ConfigDocument *doc, Args &a, Edit edit, std::initializer_list<const char *> usual) {
    Line *list = a.List(usual);
    const bool takes = doc && doc->first;
    edit(doc, a.Number(160, -2, 233), list);
    if (!takes) LinesFree(list);
}

// A record whose text fields the arguments may have filled.
template <class Record> Record Filled(Args &a) {
    Record r{};
    a.Fill(Fields(r), sizeof r / sizeof(char *));
    return r;
}

// Room for every value a clause lookup could give (at most one per line or
// per pair of quotes), plus slot 0 and the end.
inline std::size_t ValueRoom(const ConfigDocument *doc) {
    std::size_t room = 2;
    for (const Line *l = doc ? doc->first : nullptr; l; l = l->next) {
        room += 1;
        for (const char *c = l->text; *c; ++c)
            room += *c == '"';
    }
    return room;
}

// The usual template of the generators.
constexpr const char *kRow = "<tr>%s</tr>\n";

// The entry of one export: its name must name a function of the library.
#define EVERYEXPORT_OP(fn, kind, ...)                                                              \
    Operation {                                                                                    \
        (static_cast<void>(&fn), #fn), kind, __VA_ARGS__                                           \
    }

// ---- The table ----

inline const std::vector<Operation> &Operations() {
    using D = ConfigDocument *;
    static const std::vector<Operation> table = {
        // Line list.
        EVERYEXPORT_OP(LinesNew, kReads,
                       [](D, Args &a) { LinesFree(LinesNew(a.Number(3, -2, 40))); }),
        EVERYEXPORT_OP(LinesFree, kReads,
                       [](D, Args &a) {
                           Line *list = NewList({"a\n", "b\n", "c\n"});
                           if (list && list->next) LinesFree(list->next);
                           a.Check(!list || !list->next, "LinesFree leaves its predecessor last");
                           LinesFree(list);
                       }),
        EVERYEXPORT_OP(LinesAdd, kReads,
                       [](D, Args &a) {
                           Line *list = NewList({"a\n", "d\n"});
                           Line *chain = NewList({"b\n", "c\n"});
                           if (list && list->next && chain && chain->next) {
                               Line *after = list->next;
                               a.Check(LinesAdd(list, chain) == after, "LinesAdd's successor");
                               a.Check(list->next == chain && after->prev == chain->next,
                                       "the whole chain spliced in");
                           } else {
                               LinesFree(chain);
                           }
                           LinesFree(list);
                       }),
        EVERYEXPORT_OP(LineRemove, kReads,
                       [](D, Args &a) {
                           Line *list = NewList({"a\n", "b\n", "c\n"});
                           Line *middle = list ? list->next : nullptr;
                           LineRemove(middle);
                           a.Check(!middle || (!middle->next && !middle->prev), "removed alone");
                           std::free(middle);
                           LinesFree(list);
                       }),
        EVERYEXPORT_OP(LineCopyData, kReads,
                       [](D d, Args &a) {
                           if (!d || !d->first) return;
                           Line copy{};
                           LineCopyData(&copy, d->first);
                           a.Check(std::strcmp(copy.text, d->first->text) == 0, "copied text");
                       }),
        EVERYEXPORT_OP(LinesAddStr, kEdits,
                       [](D d, Args &a) {
                           Line *added = LinesAddStr(a.Maybe("Port 80\n"), d,
                                                     a.LineText("Port 81\n"), a.Number(2, 0, 3));
                           // Placed nowhere: the new Line is the caller's.
                           if (added && !added->prev && !added->next && d && d->first != added)
                               std::free(added);
                       }),
        // Document.
        EVERYEXPORT_OP(HTTPDConfigOpen, kFiles,
                       [](D d, Args &a) {
                           ConfigDocument *again = HTTPDConfigOpen(d ? d->path : nullptr);
                           a.Check(!again || again->first, "an open document has a Line");
                           HTTPDConfigClose(again, 0);
                       }),
        EVERYEXPORT_OP(HTTPDConfigWrite, kFiles,
                       [](D d, Args &a) {
                           const bool writable = d && d->path && *d->path;
                           a.Check(HTTPDConfigWrite(d) == (writable ? 0 : -1), "written");
                       }),
        EVERYEXPORT_OP(HTTPDConfigClose, kFiles,
                       [](D, Args &a) {
                           a.Check(HTTPDConfigClose(nullptr, a.Number(1, 0, 1)) == -1,
                                   "closing no document fails");
                       }),
        // Tokens, directive table and text primitives.
        EVERYEXPORT_OP(TokenMatch, kReads,
                       [](D d, Args &a) { TokenMatch(a.Maybe(FirstText(d)), a.Maybe("pass")); }),
        EVERYEXPORT_OP(TokenNext, kReads, [](D d, Args &a) { TokenNext(a.Maybe(FirstText(d))); }),
        EVERYEXPORT_OP(HTTPDIDToRule, kReads,
                       [](D, Args &a) { HTTPDIDToRule(a.Number(160, -2, 233)); }),
        EVERYEXPORT_OP(HTTPDRuleToID, kReads,
                       [](D, Args &a) {
                           const int32_t id = HTTPDRuleToID(a.Text("DefinePicsRule"));
                           a.Check(id >= -1 && id <= 231, "a rule ID or -1");
                       }),
        EVERYEXPORT_OP(
            HTTPDRuleMatch, kReads,
            [](D d, Args &a) { HTTPDRuleMatch(a.Maybe(FirstText(d)), a.Number(160, -2, 233)); }),
        EVERYEXPORT_OP(RuleSame, kReads,
                       [](D d, Args &a) {
                           RuleSame(a.Maybe(FirstText(d)),
                                    d && d->first ? d->first->text : nullptr);
                       }),
        EVERYEXPORT_OP(
            RuleFound, kReads,
            [](D d, Args &a) { RuleFound(a.Maybe(FirstText(d)), d ? d->first : nullptr); }),
        EVERYEXPORT_OP(GetField, kReads,
                       [](D d, Args &a) {
                           a.Check(GetField(a.Maybe(FirstText(d)), a.Number(2, -3, 12)) != nullptr,
                                   "GetField gives a text");
                       }),
        EVERYEXPORT_OP(PointToNextField, kReads,
                       [](D d, Args &a) { PointToNextField(a.Maybe(FirstText(d))); }),
        EVERYEXPORT_OP(StripQuotes, kReads,
                       [](D, Args &a) {
                           std::string text = a.Text("\"quoted value\"");
                           a.Check(StripQuotes(text.data()) != nullptr, "StripQuotes gives a text");
                       }),
        EVERYEXPORT_OP(StripCRLF, kReads,
                       [](D d, Args &a) {
                           std::string text = a.Text(FirstText(d));
                           StripCRLF(text.data());
                       }),
        EVERYEXPORT_OP(ConvertChars, kReads,
                       [](D d, Args &a) {
                           std::string text = a.Text(FirstText(d));
                           ConvertChars(text.data(), a.Maybe("\t\"()"), ' ');
                       }),
        EVERYEXPORT_OP(ParseTimeSpec, kReads,
                       [](D, Args &a) {
                           int32_t h = 0, m = 0, s = 0;
                           ParseTimeSpec(a.Maybe("1 hour 30 minutes"), &h, &m, &s);
                       }),
        // Rule queries and edits.
        EVERYEXPORT_OP(HTTPDGetRules, kReads,
                       [](D d, Args &a) { LinesFree(HTTPDGetRules(d, a.Number(160, -2, 233))); }),
        EVERYEXPORT_OP(
            HTTPDGetMultiRules, kReads,
            [](D d, Args &a) {
                const int32_t ids[] = {a.Number(160, -2, 233), a.Number(135, -2, 233), 0};
                LinesFree(HTTPDGetMultiRules(d, ids));
            }),
        EVERYEXPORT_OP(
            HTTPDGetUserMethodRules, kReads,
            [](D d, Args &a) { LinesFree(HTTPDGetUserMethodRules(d, a.Number(90, -2, 233))); }),
        EVERYEXPORT_OP(HTTPDGetZarnRules, kReads,
                       [](D d, Args &a) {
                           LinesFree(
                               HTTPDGetZarnRules(d, a.Number(190, -2, 233), a.Text("zarndsGet")));
                       }),
        EVERYEXPORT_OP(HTTPDRemoveRules, kEdits,
                       [](D d, Args &a) {
                           LinesFree(HTTPDRemoveRules(d, a.Number(160, -2, 233),
                                                      a.List({"Pass /a/* /b/*\n", "Pass /c/*\n"})));
                       }),
        EVERYEXPORT_OP(HTTPDAddRules, kEdits,
                       [](D d, Args &a) {
                           ListEdit(d, a, HTTPDAddRules, {"Pass /x/* /y/*\n", "Pass /x/* /y/*\n"});
                       }),
        EVERYEXPORT_OP(HTTPDReplaceRules, kEdits,
                       [](D d, Args &a) {
                           ListEdit(d, a, HTTPDReplaceRules, {"Pass /z/*\n", "Pass /a/* /b/*\n"});
                       }),
        // Protection setups.
        EVERYEXPORT_OP(HTTPDGetProtectRule, kReads,
                       [](D d, Args &a) { GetTwice(d, a, HTTPDGetProtectRule); }),
        EVERYEXPORT_OP(HTTPDPutProtectRule, kEdits,
                       [](D d, Args &a) {
                           ProtectRule r = Filled<ProtectRule>(a);
                           r.Template = a.Name();
                           r.SetupName = r.UserID = r.CommonName = a.Value();
                           for (const char *directive : {"Protect", "Protection"}) {
                               r.Directive = a.Maybe(directive);
                               HTTPDPutProtectRule(d, a.Number(1, 0, 7) ? &r : nullptr, a.Name(),
                                                   a.Number(3, 0, 4));
                           }
                       }),
        EVERYEXPORT_OP(HTTPDDeleteProtectRule, kEdits,
                       [](D d, Args &a) { HTTPDDeleteProtectRule(d, a.Name()); }),
        EVERYEXPORT_OP(HTTPDDeleteLDAPRule, kEdits,
                       [](D d, Args &a) { HTTPDDeleteLDAPRule(d, a.Name()); }),
        EVERYEXPORT_OP(HTTPDDeleteMemberRule, kEdits,
                       [](D d, Args &a) { HTTPDDeleteMemberRule(d, a.Name()); }),
        // LDAP info and Member blocks.
        EVERYEXPORT_OP(HTTPDGetLDAPRule, kReads,
                       [](D d, Args &a) { GetTwice(d, a, HTTPDGetLDAPRule); }),
        EVERYEXPORT_OP(HTTPDPutLDAPRule, kEdits,
                       [](D d, Args &a) {
                           LDAPRule r = Filled<LDAPRule>(a);
                           r.Name = a.Name();
                           r.Host = r.ServerDN = r.CacheTimeout = a.Value();
                           HTTPDPutLDAPRule(d, &r, a.Name(), a.Number(3, 0, 4));
                       }),
        EVERYEXPORT_OP(HTTPDPutMemberRule, kEdits,
                       [](D d, Args &a) {
                           MemberRule r = Filled<MemberRule>(a);
                           r.Name = a.Name();
                           r.RCAAddr = r.Timeout = a.Value();
                           HTTPDPutMemberRule(d, &r, a.Name(), a.Number(1, 0, 4));
                       }),
        // PICS filter rules.
        EVERYEXPORT_OP(HTTPDGetPicsFilterRule, kReads,
                       [](D d, Args &a) { GetTwice(d, a, HTTPDGetPicsFilterRule); }),
        EVERYEXPORT_OP(HTTPDPutPicsFilterRule, kEdits,
                       [](D d, Args &a) {
                           PicsFilterRule r = Filled<PicsFilterRule>(a);
                           r.RuleName = a.Name();
                           r.Description = r.ActiveDays = r.StartTime = r.EndTime = a.Value();
                           HTTPDPutPicsFilterRule(d, &r, a.Name(), a.Number(2, 0, 2));
                       }),
        EVERYEXPORT_OP(HTTPDCopyPicsFilterRule, kEdits,
                       [](D d, Args &a) {
                           HTTPDCopyPicsFilterRule(d, a.Name(), a.Name(), a.Maybe("copy"),
                                                   a.Number(1, 0, 2));
                       }),
        EVERYEXPORT_OP(HTTPDReplacePicsFilterRule, kEdits,
                       [](D d, Args &a) {
                           PicsFilterRule r = Filled<PicsFilterRule>(a);
                           r.RuleName = a.Name();
                           r.Description = r.ActiveDays = r.StartTime = r.EndTime = a.Value();
                           HTTPDReplacePicsFilterRule(d, &r, a.Maybe("copy"));
                       }),
        EVERYEXPORT_OP(HTTPDDeletePicsFilterRule, kEdits,
                       [](D d, Args &a) { HTTPDDeletePicsFilterRule(d, a.Name()); }),
        // PICS filter subdirectives.
        EVERYEXPORT_OP(HTTPDGetPicsFilterSubdirective, kReads,
                       [](D d, Args &a) {
                           for (const char *keyword : {"passurl", "applies-to", "serviceinfo"}) {
                               std::vector<char *> values(ValueRoom(d), nullptr);
                               const int32_t n = HTTPDGetPicsFilterSubdirective(
                                   d, a.Maybe(keyword), values.data(), a.Name());
                               a.Check(n >= 0 && static_cast<std::size_t>(n) + 2 <= values.size(),
                                       "value count");
                               for (int32_t i = 1; i <= n; ++i)
                                   std::free(values[static_cast<std::size_t>(i)]);
                           }
                       }),
        EVERYEXPORT_OP(HTTPDPutPicsFilterSubdirective, kEdits,
                       [](D d, Args &a) {
                           const std::string info = "S N B R " + Str(a.Value());
                           std::vector<char *> infos{nullptr, a.Text(info.c_str()), nullptr};
                           HTTPDPutPicsFilterSubdirective(d, a.Maybe("serviceinfo"), infos.data(),
                                                          a.Name());
                           std::vector<char *> urls{nullptr, a.Value(), a.Value(), nullptr};
                           HTTPDPutPicsFilterSubdirective(d, a.Maybe("passurl"), urls.data(),
                                                          a.Name());
                       }),
        EVERYEXPORT_OP(HTTPDPutFilterSubdirective, kEdits,
                       [](D d, Args &a) {
                           const std::string filter = "Filter (" + Str(a.Value()) + ")";
                           HTTPDPutFilterSubdirective(d, a.Name(), a.Maybe(filter.c_str()));
                       }),
        EVERYEXPORT_OP(HTTPDDeleteFilterSubdirective, kEdits,
                       [](D d, Args &a) { HTTPDDeleteFilterSubdirective(d, a.Name()); }),
        // Form value generators.
        EVERYEXPORT_OP(GenHtmlLine, kReads,
                       [](D, Args &a) { GenHtmlLine(a.Maybe(kRow), a.Name()); }),
        EVERYEXPORT_OP(GenOptionString, kReads,
                       [](D, Args &a) {
                           const int32_t low = a.Number(1, -300, 300);
                           GenOptionString(a.Maybe(kRow), low, low + a.Number(39, -5, 300),
                                           a.Number(7, -300, 300));
                           GenOptionString(a.Maybe(kRow), a.Number(0, INT32_MIN, INT32_MAX),
                                           a.Number(0, INT32_MIN, INT32_MAX), a.Number(0, -9, 99));
                       }),
        EVERYEXPORT_OP(GenOptionList, kReads,
                       [](D d, Args &a) {
                           GenOptionList(a.Maybe(kRow), a.Text("Caching"), a.Maybe("ON,OFF,,"),
                                         a.Maybe("ON"), d);
                       }),
        EVERYEXPORT_OP(GenTextField, kReads,
                       [](D d, Args &a) {
                           GenTextField(a.Maybe(kRow), a.Text("Port"), a.Number(2, -3, 12),
                                        a.Number(1, -1, 2), a.Maybe("80"), d);
                       }),
        EVERYEXPORT_OP(GenCheckedSetting, kReads,
                       [](D d, Args &a) {
                           GenCheckedSetting(a.Maybe(kRow), a.Text("Pass"), a.Text("/"),
                                             a.Number(1, -1, 2), a.Number(2, -3, 12),
                                             a.Maybe("CHECKED"), d);
                       }),
        EVERYEXPORT_OP(GenCheckedSettingOnOff, kReads,
                       [](D d, Args &a) {
                           GenCheckedSettingOnOff(a.Maybe(kRow), a.Text("Caching"),
                                                  a.Number(1, -1, 2), a.Number(1, -1, 2), d);
                       }),
        EVERYEXPORT_OP(GenCacheTimeoutSetting, kReads,
                       [](D d, Args &a) {
                           GenCacheTimeoutSetting(a.Maybe(kRow), a.Maybe("CacheDefaultExpiry"),
                                                  a.Maybe("http:"), d);
                       }),
        EVERYEXPORT_OP(GenSelectListItems, kReads,
                       [](D d, Args &a) {
                           GenSelectListItems(a.Maybe(kRow), a.Text("Pass"), a.Number(1, -1, 2), d);
                       }),
        EVERYEXPORT_OP(GenMultiDirectiveText, kReads,
                       [](D d, Args &a) {
                           GenMultiDirectiveText(a.Maybe(kRow), a.Text("Pass"), a.Number(2, -3, 12),
                                                 d);
                       }),
        // Table row generators.
        EVERYEXPORT_OP(GenTableItems, kReads,
                       [](D d, Args &a) {
                           GenTableItems(a.Maybe(kRow), a.Text("Pass"), a.Number(3, -3, 12),
                                         a.Number(0, -1, 2), d);
                       }),
        EVERYEXPORT_OP(GenMultiTableItems, kReads,
                       [](D d, Args &a) {
                           GenMultiTableItems(a.Maybe(kRow), a.Text("Pass Map Fail "),
                                              a.Number(3, -3, 12), a.Number(1, -1, 2), d);
                       }),
        EVERYEXPORT_OP(GenMethTableItems, kReads,
                       [](D d, Args &a) { GenMethTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenZarndsTableItems, kReads,
                       [](D d, Args &a) { GenZarndsTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenZarndsConfTableItems, kReads,
                       [](D d, Args &a) { GenZarndsConfTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenCacheURLTableItems, kReads,
                       [](D d, Args &a) { GenCacheURLTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenSocksTableItems, kReads,
                       [](D d, Args &a) { GenSocksTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenAPITableItems, kReads,
                       [](D d, Args &a) {
                           GenAPITableItems(a.Maybe(kRow), a.Text("ServerInit&PreExit&GC Advisor&"),
                                            d);
                       }),
        // Block table row generators.
        EVERYEXPORT_OP(GenProtectTableItems, kReads,
                       [](D d, Args &a) { GenProtectTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenMemberTableItems, kReads,
                       [](D d, Args &a) { GenMemberTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenPicsFilterTableItems, kReads,
                       [](D d, Args &a) { GenPicsFilterTableItems(a.Maybe(kRow), d); }),
        EVERYEXPORT_OP(GenPicsFilterSubTableItems, kReads,
                       [](D d, Args &a) {
                           for (const char *kw : {"passurl", "applies-to", "serviceinfo", "Filter"})
                               GenPicsFilterSubTableItems(a.Maybe(kRow), a.Name(), a.Maybe(kw), d);
                       }),
        // Form utilities.
        EVERYEXPORT_OP(GenAclList, kReads,
                       [](D, Args &a) {
                           std::FILE *acl = std::tmpfile();
                           if (acl) {
                               std::fputs(a.Text("admin:\"x\":/a\nuser:(y):/b\r\n:::\n"), acl);
                               std::rewind(acl);
                           }
                           GenAclList(a.Maybe(kRow), a.Number(1, 0, 7) ? acl : nullptr);
                           if (acl) std::fclose(acl);
                       }),
        EVERYEXPORT_OP(SearchForDirective, kReads,
                       [](D d, Args &a) {
                           SearchForDirective(a.Text("Pass"), a.Value(), a.Number(2, -3, 12), d);
                       }),
        EVERYEXPORT_OP(SearchForHandler, kReads,
                       [](D d, Args &a) {
                           SearchForHandler(a.Text("Enable"), a.Value(), a.Number(2, -3, 12), d);
                       }),
        EVERYEXPORT_OP(FindDelimeter, kReads, [](D, Args &a) { FindDelimeter(a.Value()); }),
        EVERYEXPORT_OP(AddToBuffer, kReads,
                       [](D, Args &a) {
                           const char *prefix = a.Maybe("p");
                           const std::string list = Str(a.Name());
                           std::string buffer = a.Text("a,b");
                           // At most this much is appended (and a terminator).
                           const std::size_t most =
                               buffer.size() + 2 * list.size() + Str(prefix).size() + 4;
                           buffer.resize(most + 64, '\0');
                           AddToBuffer(buffer.data(), prefix, list.c_str());
                           a.Check(std::strlen(buffer.c_str()) <= most, "AddToBuffer overran");
                       }),
    };
    return table;
}

#undef EVERYEXPORT_OP

// Arguments that stay the same: a name, a value, and the usual value of
// everything else. Failed checks are collected for the caller to report.
class FixedArgs : public Args {
  public:
    FixedArgs(std::string name, std::string value)
        : name_(std::move(name)), value_(std::move(value)) {}
    char *Name() override { return name_.data(); }
    char *Value() override { return value_.data(); }
    char *Text(const char *usual) override { return const_cast<char *>(usual); }
    char *Maybe(const char *usual) override { return const_cast<char *>(usual); }
    char *LineText(const char *usual) override { return const_cast<char *>(usual); }
    int32_t Number(int32_t usual, int32_t, int32_t) override { return usual; }
    Line *List(std::initializer_list<const char *> usual) override { return NewList(usual); }
    void Check(bool ok, const char *what) override {
        if (!ok) failures.emplace_back(what);
    }

    std::vector<std::string> failures;

  private:
    std::string name_, value_;
};

// The operations whose results the library keeps until it is unloaded
// (GetField's copies, which SearchForHandler hands out too): every call
// grows the heap for good.
inline bool KeepsItsResults(const Operation &op) {
    return std::strcmp(op.name, "GetField") == 0 || std::strcmp(op.name, "SearchForHandler") == 0;
}

// Runs every operation of one kind with the given arguments.
inline void RunAll(ConfigDocument *doc, Args &args, Kind kind) {
    for (const Operation &op : Operations())
        if (op.kind == kind) op.run(doc, args);
}

} // namespace everyexport

#endif
