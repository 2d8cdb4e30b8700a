// confctl protect, ldap, member and pics: block entries through records.
#include "record_json.h"

#include "common/text.h"

#include <algorithm>
#include <memory>

namespace confctl {
namespace {

struct BlockOptions {
    std::string file;
    std::string name;
    std::string mode = "replace";
    std::string anchor;
    bool json = false;
};

confkit::PutMode ModeOf(const std::string &mode) {
    if (mode == "before") return confkit::PutMode::Before;
    if (mode == "after") return confkit::PutMode::After;
    return confkit::PutMode::Replace;
}

// The library finds an entry by the second word of its first line, whatever
// its directive, and a delete or a replacing put removes that line or block.
// Its directive is asked first, so that a name that a Pass rule or another
// kind of block uses first is not taken for this kind's entry.
std::string EntryDirective(const confkit::Document &doc, const std::string &name) {
    confkit::Record<ProtectRule> entry = doc.Protect(name);
    return entry && entry->Directive ? ascii::ToLower(entry->Directive) : "";
}

void RequireKind(const confkit::Document &doc, const std::string &name,
                 const std::vector<std::string> &kinds, const std::string &label, bool mustExist) {
    std::string directive = EntryDirective(doc, name);
    if (directive.empty()) {
        if (mustExist) throw Failure(doc.Path() + ": no " + label + " named '" + name + "'");
        return;
    }
    if (std::find(kinds.begin(), kinds.end(), directive) == kinds.end())
        throw Failure(doc.Path() + ": the first entry named '" + name + "' is a '" + directive +
                      "' line, not a " + label);
}

void AddFileOption(CLI::App *sub, BlockOptions &options) {
    sub->add_option("FILE", options.file, "configuration file")->required();
}

void AddPutOptions(CLI::App *sub, BlockOptions &options) {
    AddFileOption(sub, options);
    sub->add_option("--mode", options.mode, "where the record goes (default replace)")
        ->check(CLI::IsMember({"before", "after", "replace"}));
    sub->add_option(
        "--anchor", options.anchor,
        "the entry to replace or to place the record next to (default: the record's own name)");
}

template <class R> confkit::Record<R> ReadRecord(const std::string &kind) {
    return RecordFromJson<R>(ParseJson(ReadAll(stdin), "standard input"), kind);
}

template <class R> void PrintRecord(const confkit::Record<R> &record, bool json) {
    Print(json ? DumpJson(RecordToJson(*record)) : RecordToText(*record));
}

// ---- protect ----

std::string ProtectName(const ProtectRule &rule) {
    const char *name = rule.Template ? rule.Template : rule.SetupName;
    if (rule.Directive && ascii::EqualNoCase(rule.Directive, "Protection") && rule.SetupName)
        name = rule.SetupName;
    return name ? name : "";
}

const std::vector<std::string> kProtectKinds = {"protect", "protection"};
const char *const kProtectLabel = "Protect or Protection entry";

int ProtectGet(const BlockOptions &o) {
    ReadSession session(o.file);
    const confkit::Document &doc = session.doc();
    RequireKind(doc, o.name, kProtectKinds, kProtectLabel, true);
    PrintRecord(doc.Protect(o.name), o.json);
    return kOk;
}

int ProtectPut(const BlockOptions &o) {
    confkit::Record<ProtectRule> rule = ReadRecord<ProtectRule>("protection");
    if (!rule->Directive || (!ascii::EqualNoCase(rule->Directive, "Protect") &&
                             !ascii::EqualNoCase(rule->Directive, "Protection")))
        throw Failure("a protection record's Directive must be Protect or Protection");
    std::string anchor = o.anchor.empty() ? ProtectName(*rule) : o.anchor;
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    bool replaces = o.mode == "replace" || ascii::EqualNoCase(rule->Directive, "Protection");
    if (replaces) RequireKind(doc, anchor, kProtectKinds, kProtectLabel, false);
    doc.PutProtect(*rule, anchor, ModeOf(o.mode));
    Save(doc);
    return kOk;
}

int DeleteEntry(const BlockOptions &o, const std::vector<std::string> &kinds,
                const std::string &label) {
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    RequireKind(doc, o.name, kinds, label, true);
    doc.DeleteEntry(o.name);
    Save(doc);
    return kOk;
}

// ---- ldap and member ----

const std::vector<std::string> kLdapKinds = {"ldapinfo"};
const std::vector<std::string> kMemberKinds = {"member"};

int LdapGet(const BlockOptions &o) {
    ReadSession session(o.file);
    const confkit::Document &doc = session.doc();
    confkit::Record<LDAPRule> rule = doc.LDAP(o.name);
    if (!rule) throw Failure(o.file + ": no LDAPInfo block named '" + o.name + "'");
    PrintRecord(rule, o.json);
    return kOk;
}

int LdapPut(const BlockOptions &o) {
    confkit::Record<LDAPRule> rule = ReadRecord<LDAPRule>("LDAP");
    if (!rule->Name) throw Failure("an LDAP record needs a Name");
    std::string anchor = o.anchor.empty() ? rule->Name : o.anchor;
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    if (o.mode == "replace") RequireKind(doc, anchor, kLdapKinds, "LDAPInfo block", false);
    doc.PutLDAP(*rule, anchor, ModeOf(o.mode));
    Save(doc);
    return kOk;
}

int MemberPut(const BlockOptions &o) {
    confkit::Record<MemberRule> rule = ReadRecord<MemberRule>("member");
    if (!rule->Name) throw Failure("a member record needs a Name");
    std::string anchor = o.anchor.empty() ? rule->Name : o.anchor;
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    if (o.mode == "replace") RequireKind(doc, anchor, kMemberKinds, "Member block", false);
    doc.PutMember(*rule, anchor, ModeOf(o.mode));
    Save(doc);
    return kOk;
}

// ---- pics ----

void RequirePicsRule(const confkit::Document &doc, const std::string &name) {
    if (!doc.Pics(name)) throw Failure(doc.Path() + ": no PICS rule named '" + name + "'");
}

int PicsGet(const BlockOptions &o) {
    ReadSession session(o.file);
    const confkit::Document &doc = session.doc();
    confkit::Record<PicsFilterRule> rule = doc.Pics(o.name);
    if (!rule) throw Failure(o.file + ": no PICS rule named '" + o.name + "'");
    PrintRecord(rule, o.json);
    return kOk;
}

int PicsPut(const BlockOptions &o) {
    confkit::Record<PicsFilterRule> rule = ReadRecord<PicsFilterRule>("PICS rule");
    if (!rule->RuleName) throw Failure("a PICS rule record needs a RuleName");
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    if (o.mode == "replace") {
        std::string name = o.anchor.empty() ? rule->RuleName : o.anchor;
        if (!doc.Pics(name) || !doc.ReplacePics(*rule, name))
            doc.PutPics(*rule, "", confkit::PicsPosition::After);
    } else {
        if (!o.anchor.empty()) RequirePicsRule(doc, o.anchor);
        doc.PutPics(*rule, o.anchor,
                    o.mode == "before" ? confkit::PicsPosition::Before
                                       : confkit::PicsPosition::After);
    }
    Save(doc);
    return kOk;
}

int PicsDelete(const BlockOptions &o) {
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    if (!doc.DeletePics(o.name))
        throw Failure(o.file + ": no PICS rule named '" + o.name + "' to delete");
    Save(doc);
    return kOk;
}

struct ClauseOptions {
    std::string file, rule, keyword, text;
    bool json = false;
};

std::string ClauseKeyword(const std::string &keyword) {
    std::string lower = ascii::ToLower(keyword);
    for (const char *known : {"serviceinfo", "applies-to", "passurl", "failurl"})
        if (lower == known) return lower;
    throw Failure("unknown clause keyword '" + keyword +
                  "' (serviceinfo, applies-to, passurl or failurl)");
}

int ClauseGet(const ClauseOptions &o) {
    std::string keyword = ClauseKeyword(o.keyword);
    ReadSession session(o.file);
    const confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    std::vector<std::string> values = doc.PicsClause(o.rule, keyword).Texts();
    if (o.json) {
        Print(DumpJson(Json(values)));
    } else {
        for (const std::string &value : values)
            Print(value + "\n");
    }
    return kOk;
}

int ClausePut(const ClauseOptions &o) {
    std::string keyword = ClauseKeyword(o.keyword);
    std::vector<std::string> values;
    if (o.json) {
        Json list = ParseJson(ReadAll(stdin), "standard input");
        if (!list.is_array()) throw Failure("clause values must be a JSON array of texts");
        for (const Json &value : list) {
            if (!value.is_string()) throw Failure("clause values must be a JSON array of texts");
            values.push_back(ValueToWrite("value", value.get<std::string>(), nullptr));
        }
    } else {
        for (InputLine &line : ReadStdinLines())
            values.push_back(std::move(line.text));
    }
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    confkit::ValueList list = confkit::ValueList::FromTexts(values);
    doc.PutPicsClause(o.rule, keyword, list);
    Save(doc);
    return kOk;
}

int FilterPut(const ClauseOptions &o) {
    if (o.text.find_first_of("\r\n") != std::string::npos)
        throw Failure("a Filter text must be one line");
    if (!TokenMatch(o.text.c_str(), "Filter"))
        throw Failure("a Filter text begins with the word Filter");
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    doc.PutFilter(o.rule, o.text);
    Save(doc);
    return kOk;
}

int FilterDelete(const ClauseOptions &o) {
    EditSession session(o.file);
    confkit::Document &doc = session.doc();
    RequirePicsRule(doc, o.rule);
    std::size_t before = doc.Lines().size();
    doc.DeleteFilter(o.rule);
    if (doc.Lines().size() == before)
        throw Failure(o.file + ": the PICS rule '" + o.rule + "' has no Filter clause");
    Save(doc);
    return kOk;
}

// ---- command tree ----

using BlockAction = int (*)(const BlockOptions &);

void AddGet(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = parent->add_subcommand("get", "Print the " + what + " of that name");
    AddFileOption(sub, *o);
    sub->add_option("NAME", o->name, "name of the entry")->required();
    sub->add_flag("--json", o->json, "print the record as a JSON object");
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

void AddPut(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub =
        parent->add_subcommand("put", "Write a " + what + " from a JSON record on standard input");
    AddPutOptions(sub, *o);
    sub->footer("The record is a JSON object whose keys are the record's field names and whose "
                "values are texts, "
                "or null for an absent field, as get --json prints it. A value's line end, and the "
                "unit word that "
                "the library writes after a time-out, are taken off before writing.");
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

void AddDelete(CLI::App *parent, Runner &run, const std::string &what, BlockAction action) {
    auto o = std::make_shared<BlockOptions>();
    CLI::App *sub = parent->add_subcommand("delete", "Remove the " + what + " of that name");
    AddFileOption(sub, *o);
    sub->add_option("NAME", o->name, "name of the entry")->required();
    sub->callback([&run, o, action] { run = [o, action] { return action(*o); }; });
}

void AddClauseCommands(CLI::App *pics, Runner &run) {
    CLI::App *clause =
        pics->add_subcommand("clause", "The serviceinfo, applies-to, passurl and failurl clauses");
    clause->require_subcommand(1);
    for (const char *verb : {"get", "put"}) {
        auto o = std::make_shared<ClauseOptions>();
        bool get = std::string(verb) == "get";
        CLI::App *sub = clause->add_subcommand(
            verb,
            get ? "Print the values of a keyword's clauses, one a line"
                : "Replace a keyword's clauses with the values on standard input, one a line");
        sub->add_option("FILE", o->file, "configuration file")->required();
        sub->add_option("RULE", o->rule, "PICS rule name (case counts)")->required();
        sub->add_option("KEYWORD", o->keyword, "serviceinfo, applies-to, passurl or failurl")
            ->required();
        sub->add_flag("--json", o->json, "values as a JSON array of texts");
        sub->callback(
            [&run, o, get] { run = [o, get] { return get ? ClauseGet(*o) : ClausePut(*o); }; });
    }
    CLI::App *filter = pics->add_subcommand("filter", "The Filter line of a PICS rule");
    filter->require_subcommand(1);
    auto put = std::make_shared<ClauseOptions>();
    CLI::App *sub = filter->add_subcommand("put", "Write or replace the rule's Filter line");
    sub->add_option("FILE", put->file, "configuration file")->required();
    sub->add_option("RULE", put->rule, "PICS rule name (case counts)")->required();
    sub->add_option("TEXT", put->text, "the filter, beginning with the word Filter")->required();
    sub->callback([&run, put] { run = [put] { return FilterPut(*put); }; });
    auto del = std::make_shared<ClauseOptions>();
    sub = filter->add_subcommand("delete", "Remove the rule's Filter clause");
    sub->add_option("FILE", del->file, "configuration file")->required();
    sub->add_option("RULE", del->rule, "PICS rule name (case counts)")->required();
    sub->callback([&run, del] { run = [del] { return FilterDelete(*del); }; });
}

} // namespace

void AddBlockCommands(CLI::App &app, Runner &run) {
    CLI::App *protect = app.add_subcommand("protect", "Protect and Protection entries");
    protect->require_subcommand(1);
    AddGet(protect, run, "Protect or Protection entry", ProtectGet);
    AddPut(protect, run, "Protect or Protection entry", ProtectPut);
    AddDelete(protect, run, "Protect or Protection entry",
              [](const BlockOptions &o) { return DeleteEntry(o, kProtectKinds, kProtectLabel); });

    CLI::App *ldap = app.add_subcommand("ldap", "LDAPInfo blocks");
    ldap->require_subcommand(1);
    AddGet(ldap, run, "LDAPInfo block", LdapGet);
    AddPut(ldap, run, "LDAPInfo block", LdapPut);
    AddDelete(ldap, run, "LDAPInfo block",
              [](const BlockOptions &o) { return DeleteEntry(o, kLdapKinds, "LDAPInfo block"); });

    CLI::App *member = app.add_subcommand("member", "Member blocks");
    member->require_subcommand(1);
    AddPut(member, run, "Member block", MemberPut);
    AddDelete(member, run, "Member block",
              [](const BlockOptions &o) { return DeleteEntry(o, kMemberKinds, "Member block"); });

    CLI::App *pics = app.add_subcommand("pics", "PICS filter rules (DefinePicsRule blocks)");
    pics->require_subcommand(1);
    AddGet(pics, run, "PICS rule", PicsGet);
    AddPut(pics, run, "PICS rule", PicsPut);
    AddDelete(pics, run, "PICS rule", PicsDelete);
    AddClauseCommands(pics, run);
}

} // namespace confctl
