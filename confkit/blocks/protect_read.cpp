// Reading a Protection setup or a Protect entry into a ProtectRule record.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"

#include <cstdlib>
#include <cstring>

namespace {

using confkit::blocks::LineEndCut;
using confkit::blocks::SetField;

enum class ValueKind { Plain, Flag, Certificate };

struct Subdirective {
    const char *keyword;
    char *ProtectRule::*field;
    ValueKind kind;
};

const Subdirective kSubdirectives[] = {
    {"UserID", &ProtectRule::UserID, ValueKind::Plain},
    {"GroupID", &ProtectRule::GroupID, ValueKind::Plain},
    {"ServerID", &ProtectRule::ServerID, ValueKind::Plain},
    {"AuthType", &ProtectRule::AuthType, ValueKind::Plain},
    {"GetMask", &ProtectRule::GetMask, ValueKind::Plain},
    {"PutMask", &ProtectRule::PutMask, ValueKind::Plain},
    {"PostMask", &ProtectRule::PostMask, ValueKind::Plain},
    {"Mask", &ProtectRule::Mask, ValueKind::Plain},
    {"ACLOverride", &ProtectRule::ACLOverride, ValueKind::Plain},
    {"PasswdFile", &ProtectRule::PasswdFile, ValueKind::Plain},
    {"GroupFile", &ProtectRule::GroupFile, ValueKind::Plain},
    {"DeleteMask", &ProtectRule::DeleteMask, ValueKind::Plain},
    {"SSL_ClientAuth", &ProtectRule::SSL_ClientAuth, ValueKind::Flag},
    {"CommonName", &ProtectRule::CommonName, ValueKind::Certificate},
    {"IssuerCommonName", &ProtectRule::IssuerCommonName, ValueKind::Certificate},
    {"Country", &ProtectRule::Country, ValueKind::Certificate},
    {"IssuerCountry", &ProtectRule::IssuerCountry, ValueKind::Certificate},
    {"Locality", &ProtectRule::Locality, ValueKind::Certificate},
    {"IssuerLocality", &ProtectRule::IssuerLocality, ValueKind::Certificate},
    {"StateOrProvince", &ProtectRule::StateOrProvince, ValueKind::Certificate},
    {"IssuerStateOrProvince", &ProtectRule::IssuerStateOrProvince, ValueKind::Certificate},
    {"Organization", &ProtectRule::Organization, ValueKind::Certificate},
    {"IssuerOrganization", &ProtectRule::IssuerOrganization, ValueKind::Certificate},
    {"OrgUnit", &ProtectRule::OrgUnit, ValueKind::Certificate},
    {"IssuerOrgUnit", &ProtectRule::IssuerOrgUnit, ValueKind::Certificate},
};

void ReadSubdirective(ProtectRule *rule, const char *line) {
    for (const Subdirective &s : kSubdirectives) {
        if (!TokenMatch(line, s.keyword)) continue;
        char *&field = rule->*s.field;
        switch (s.kind) {
        case ValueKind::Plain:
            SetField(field, confkit::blocks::RestOfLine(line));
            break;
        case ValueKind::Flag:
            SetField(field, confkit::blocks::kFlagSet);
            break;
        case ValueKind::Certificate:
            SetField(field, confkit::blocks::UnquotedValue(line, LineEndCut::AtCRorLF));
            break;
        }
        return;
    }
}

// directive, template, setup name [, any word, address]
void ReadOneLine(ProtectRule *rule, const char *second) {
    rule->Template = TokenDup(second);
    const char *third = TokenNext(second);
    rule->SetupName = TokenDup(third);
    const char *fifth = TokenNext(TokenNext(third));
    rule->Address = fifth ? TokenDup(fifth) : const_cast<char *>(confkit::blocks::kNoAddress);
}

// directive, name [, "FOR", address] "{", then subdirectives up to the line
// that closes the block.
void ReadBlock(ProtectRule *rule, Line *header, const char *second) {
    char *&name = TokenMatch(rule->Directive, "Protection") ? rule->SetupName : rule->Template;
    name = TokenDup(second);
    const char *third = TokenNext(second);
    if (third) {
        char *word = TokenDup(third);
        if (word && !std::strchr(word, '{')) rule->Address = TokenDup(TokenNext(third));
        std::free(word);
    }
    Line *end = confkit::BlockEnd(header);
    for (Line *line = header; line && line != end; line = line->next) {
        ReadSubdirective(rule, line->text);
    }
}

} // namespace

extern "C" CONFKIT_API ProtectRule *CONFKIT_CALL HTTPDGetProtectRule(ConfigDocument *doc,
                                                                     const char *name) {
    return confkit::NoThrow<ProtectRule *>(nullptr, [&]() -> ProtectRule * {
        Line *entry = confkit::blocks::FindByName(doc, name);
        if (!entry) return nullptr;
        auto *rule = static_cast<ProtectRule *>(std::calloc(1, sizeof(ProtectRule)));
        if (!rule) return nullptr;
        rule->Directive = TokenDup(entry->text);
        const char *second = TokenNext(entry->text);
        if (!std::strchr(second, '{'))
            ReadOneLine(rule, second);
        else
            ReadBlock(rule, entry, second);
        return rule;
    });
}
