// confctl protect, ldap and member: block entries through records.
#include "block_options.h"
#include "record_json.h"

#include "common/record_check.h"
#include "common/text.h"

#include <memory>

namespace confctl {
namespace {

confkit::PutMode ModeOf(const std::string &mode) {
    if (mode == "before") return confkit::PutMode::Before;
    if (mode == "after") return confkit::PutMode::After;
    return confkit::PutMode::Replace;
}

// A kind of entry as its subcommands see it: its label in messages, its
// command group, whether the document has one of that name, and its delete. The library looks for
// each kind among its own directives only.
struct EntryKind {
    const char *label;
    const char *group;
    bool (*has)(const confkit::Document &, const std::string &);
    void (confkit::Document::*remove)(const std::string &);
};

// No get reads a Member block: its header is the first Member line whose
// second word is the name, as the library finds it.
bool HasMember(const confkit::Document &doc, const std::string &name) {
    for (const Line &line : doc.Lines()) {
        if (TokenMatch(line.text, "Member") && TokenMatch(TokenNext(line.text), name.c_str()))
            return true;
    }
    return false;
}

const EntryKind kProtectKind = {
    "Protect or Protection entry", "protect",
    [](const confkit::Document &doc, const std::string &name) { return !!doc.Protect(name); },
    &confkit::Document::DeleteProtect};
const EntryKind kLdapKind = {
    "LDAPInfo block", "ldap",
    [](const confkit::Document &doc, const std::string &name) { return !!doc.LDAP(name); },
    &confkit::Document::DeleteLDAP};
const EntryKind kMemberKind = {"Member block", "member", HasMember,
                               &confkit::Document::DeleteMember};

// False when there is no entry of that kind and name; a failure instead when
// it must exist.
bool Exists(const confkit::Document &doc, const EntryKind &kind, const std::string &name,
            bool mustExist) {
    if (kind.has(doc, name)) return true;
    if (mustExist) throw Failure(doc.Path() + ": no " + kind.label + " named '" + name + "'");
    return false;
}

// ---- protect ----

std::string ProtectName(const ProtectRule &rule) {
    const char *name = rule.Template ? rule.Template : rule.SetupName;
    if (rule.Directive && ascii::EqualNoCase(rule.Directive, "Protection") && rule.SetupName)
        name = rule.SetupName;
    return name ? name : "";
}

int ProtectGet(const BlockOptions &o) {
    const auto session = OpenReading(o.file);
    const confkit::Document &doc = session.doc();
    Exists(doc, kProtectKind, o.name, true);
    PrintRecord(doc.Protect(o.name), o.json);
    return kOk;
}

int ProtectPut(const BlockOptions &o) {
    confkit::Record<ProtectRule> rule = ReadRecord<ProtectRule>("protection");
    if (!rule->Directive || (!ascii::EqualNoCase(rule->Directive, "Protect") &&
                             !ascii::EqualNoCase(rule->Directive, "Protection")))
        throw Failure("a protection record's Directive must be Protect or Protection");
    Accept(valuecheck::CheckProtect(*rule));
    std::string anchor = o.anchor.empty() ? ProtectName(*rule) : o.anchor;
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    bool replaces = o.mode == "replace" || ascii::EqualNoCase(rule->Directive, "Protection");
    confkit::Record<ProtectRule> old = doc.Protect(anchor);
    if (!replaces || !old || !SameRecord(*old, *rule))
        doc.PutProtect(*rule, anchor, ModeOf(o.mode));
    return session.Finish("protect put " + ProtectName(*rule));
}

int DeleteEntry(const BlockOptions &o, const EntryKind &kind) {
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    if (Exists(doc, kind, o.name, !o.ifExists)) (doc.*kind.remove)(o.name);
    return session.Finish(std::string(kind.group) + " delete " + o.name);
}

// ---- ldap and member ----

int LdapGet(const BlockOptions &o) {
    const auto session = OpenReading(o.file);
    const confkit::Document &doc = session.doc();
    Exists(doc, kLdapKind, o.name, true);
    PrintRecord(doc.LDAP(o.name), o.json);
    return kOk;
}

// A named block (LDAPInfo or Member) from a record on standard input. A
// replacing put of the record already there (as far as the file can tell,
// which for a Member block, that has no get, is never) changes nothing.
template <class R, class Get, class Put>
int PutNamedBlock(const BlockOptions &o, const std::string &kind, const std::string &group,
                  const std::string &label, valuecheck::Verdict (*check)(const R &), Get get,
                  Put put) {
    confkit::Record<R> rule = ReadRecord<R>(kind);
    if (!rule->Name) throw Failure("the " + label + " record needs a Name");
    Accept(check(*rule));
    std::string anchor = o.anchor.empty() ? rule->Name : o.anchor;
    ShownEdit session(o.file, o.output);
    confkit::Document &doc = session.doc();
    if (o.mode != "replace" || !get(doc, anchor, *rule)) put(doc, *rule, anchor, ModeOf(o.mode));
    return session.Finish(group + " put " + rule->Name);
}

int LdapPut(const BlockOptions &o) {
    return PutNamedBlock<LDAPRule>(
        o, "LDAP", "ldap", "LDAPInfo block", valuecheck::CheckLDAP,
        [](const confkit::Document &doc, const std::string &name, const LDAPRule &rule) {
            confkit::Record<LDAPRule> old = doc.LDAP(name);
            return old && SameRecord(*old, rule);
        },
        [](confkit::Document &doc, const LDAPRule &rule, const std::string &anchor,
           confkit::PutMode mode) { doc.PutLDAP(rule, anchor, mode); });
}

int MemberPut(const BlockOptions &o) {
    return PutNamedBlock<MemberRule>(
        o, "member", "member", "Member block", valuecheck::CheckMember,
        [](const confkit::Document &, const std::string &, const MemberRule &) { return false; },
        [](confkit::Document &doc, const MemberRule &rule, const std::string &anchor,
           confkit::PutMode mode) { doc.PutMember(rule, anchor, mode); });
}

} // namespace

void AddBlockCommands(CLI::App &app, Runner &run) {
    CLI::App *protect = AddGroup(app, "protect", "Protect and Protection entries");
    AddGet(protect, run, "Protect or Protection entry", ProtectGet);
    AddPut(protect, run, "Protect or Protection entry", ProtectPut);
    AddDelete(protect, run, "Protect or Protection entry",
              [](const BlockOptions &o) { return DeleteEntry(o, kProtectKind); });

    CLI::App *ldap = AddGroup(app, "ldap", "LDAPInfo blocks");
    AddGet(ldap, run, "LDAPInfo block", LdapGet);
    AddPut(ldap, run, "LDAPInfo block", LdapPut);
    AddDelete(ldap, run, "LDAPInfo block",
              [](const BlockOptions &o) { return DeleteEntry(o, kLdapKind); });

    CLI::App *member = AddGroup(app, "member", "Member blocks");
    AddPut(member, run, "Member block", MemberPut);
    AddDelete(member, run, "Member block",
              [](const BlockOptions &o) { return DeleteEntry(o, kMemberKind); });
}

} // namespace confctl
