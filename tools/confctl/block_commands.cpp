// confctl protect, ldap and member: block entries through records.
#include "block_options.h"
#include "record_json.h"

#include "common/text.h"
#include "confkit/blocks/record_check.h"

#include <algorithm>
#include <memory>

namespace confctl {
namespace {

confkit::PutMode ModeOf(const std::string &mode) {
    if (mode == "before") return confkit::PutMode::Before;
    if (mode == "after") return confkit::PutMode::After;
    return confkit::PutMode::Replace;
}

// The library finds an entry by the second word of its first line, whatever
// its directive, and a delete or a replacing put removes that line or block.
// Its directive is asked first, so that a name that a Pass rule or another
// kind of block uses first is not taken for this kind's entry. False when
// there is no entry of that name.
bool RequireKind(const confkit::Document &doc, const std::string &name,
                 const std::vector<std::string> &kinds, const std::string &label, bool mustExist) {
    confkit::Record<ProtectRule> entry = doc.Protect(name);
    std::string directive = entry && entry->Directive ? ascii::ToLower(entry->Directive) : "";
    if (directive.empty()) {
        if (mustExist) throw Failure(doc.Path() + ": no " + label + " named '" + name + "'");
        return false;
    }
    if (std::find(kinds.begin(), kinds.end(), directive) == kinds.end())
        throw Failure(doc.Path() + ": the first entry named '" + name + "' is a '" + directive +
                      "' line, not a " + label);
    return true;
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
    Accept(valuecheck::CheckProtect(*rule));
    std::string anchor = o.anchor.empty() ? ProtectName(*rule) : o.anchor;
    EditSession session(o.file, o.output);
    confkit::Document &doc = session.doc();
    bool replaces = o.mode == "replace" || ascii::EqualNoCase(rule->Directive, "Protection");
    if (!replaces || !RequireKind(doc, anchor, kProtectKinds, kProtectLabel, false) ||
        !SameRecord(*doc.Protect(anchor), *rule))
        doc.PutProtect(*rule, anchor, ModeOf(o.mode));
    return session.Finish();
}

int DeleteEntry(const BlockOptions &o, const std::vector<std::string> &kinds,
                const std::string &label) {
    EditSession session(o.file, o.output);
    confkit::Document &doc = session.doc();
    if (RequireKind(doc, o.name, kinds, label, !o.ifExists)) doc.DeleteEntry(o.name);
    return session.Finish();
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

// A named block (LDAPInfo or Member) from a record on standard input. A
// replacing put of the record already there (as far as the file can tell,
// which for a Member block, that has no get, is never) changes nothing.
template <class R, class Get, class Put>
int PutNamedBlock(const BlockOptions &o, const std::string &kind, const std::string &label,
                  const std::vector<std::string> &kinds, valuecheck::Verdict (*check)(const R &),
                  Get get, Put put) {
    confkit::Record<R> rule = ReadRecord<R>(kind);
    if (!rule->Name) throw Failure("the " + label + " record needs a Name");
    Accept(check(*rule));
    std::string anchor = o.anchor.empty() ? rule->Name : o.anchor;
    EditSession session(o.file, o.output);
    confkit::Document &doc = session.doc();
    if (o.mode != "replace" || !RequireKind(doc, anchor, kinds, label, false) ||
        !get(doc, anchor, *rule))
        put(doc, *rule, anchor, ModeOf(o.mode));
    return session.Finish();
}

int LdapPut(const BlockOptions &o) {
    return PutNamedBlock<LDAPRule>(
        o, "LDAP", "LDAPInfo block", kLdapKinds, valuecheck::CheckLDAP,
        [](const confkit::Document &doc, const std::string &name, const LDAPRule &rule) {
            return SameRecord(*doc.LDAP(name), rule);
        },
        [](confkit::Document &doc, const LDAPRule &rule, const std::string &anchor,
           confkit::PutMode mode) { doc.PutLDAP(rule, anchor, mode); });
}

int MemberPut(const BlockOptions &o) {
    return PutNamedBlock<MemberRule>(
        o, "member", "Member block", kMemberKinds, valuecheck::CheckMember,
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
              [](const BlockOptions &o) { return DeleteEntry(o, kProtectKinds, kProtectLabel); });

    CLI::App *ldap = AddGroup(app, "ldap", "LDAPInfo blocks");
    AddGet(ldap, run, "LDAPInfo block", LdapGet);
    AddPut(ldap, run, "LDAPInfo block", LdapPut);
    AddDelete(ldap, run, "LDAPInfo block",
              [](const BlockOptions &o) { return DeleteEntry(o, kLdapKinds, "LDAPInfo block"); });

    CLI::App *member = AddGroup(app, "member", "Member blocks");
    AddPut(member, run, "Member block", MemberPut);
    AddDelete(member, run, "Member block",
              [](const BlockOptions &o) { return DeleteEntry(o, kMemberKinds, "Member block"); });
}

} // namespace confctl
