// Reading an LDAPInfo block into an LDAPRule record.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"

#include <cstdlib>

namespace {

using confkit::blocks::LineEndCut;
using confkit::blocks::SetField;

enum class ValueKind { Plain, Quoted, Timeout };

struct Subdirective {
    const char *keyword;
    char *LDAPRule::*field;
    ValueKind kind;
};

const Subdirective kSubdirectives[] = {
    {"Host", &LDAPRule::Host, ValueKind::Plain},
    {"Port", &LDAPRule::Port, ValueKind::Plain},
    {"Transport", &LDAPRule::Transport, ValueKind::Plain},
    {"KeyFileName", &LDAPRule::KeyFileName, ValueKind::Plain},
    {"KeyLabel", &LDAPRule::KeyLabel, ValueKind::Quoted},
    {"ClientAuthType", &LDAPRule::ClientAuthType, ValueKind::Plain},
    {"ServerAuthType", &LDAPRule::ServerAuthType, ValueKind::Plain},
    {"ServerDN", &LDAPRule::ServerDN, ValueKind::Quoted},
    {"ServerPasswordStashFile", &LDAPRule::ServerPasswordStashFile, ValueKind::Plain},
    {"UserSearchbase", &LDAPRule::UserSearchBase, ValueKind::Quoted},
    {"UserNameFilter", &LDAPRule::UserNameFilter, ValueKind::Quoted},
    {"UserNameFieldSep", &LDAPRule::UserNameFieldSep, ValueKind::Quoted},
    {"UserCertFilter", &LDAPRule::UserCertFilter, ValueKind::Quoted},
    {"GroupSearchBase", &LDAPRule::GroupSearchBase, ValueKind::Quoted},
    {"GroupNameFilter", &LDAPRule::GroupNameFilter, ValueKind::Quoted},
    {"GroupMemberAttrs", &LDAPRule::GroupMemberAttrs, ValueKind::Quoted},
    {"IdleConnTimeout", &LDAPRule::IdleConnTimeout, ValueKind::Timeout},
    {"WaitToRetryConnTime", &LDAPRule::WaitToRetryConnTime, ValueKind::Timeout},
    {"SearchTimeout", &LDAPRule::SearchTimeout, ValueKind::Timeout},
    {"CacheTimeout", &LDAPRule::CacheTimeout, ValueKind::Timeout},
};

// The value up to the line end; nullptr when the line has none.
char *ValueToLineEnd(const char *line) {
    char *value = confkit::blocks::RestOfLine(line);
    if (value) CutAtChar(value, '\n');
    return value;
}

void ReadSubdirective(LDAPRule *rule, const char *line) {
    for (const Subdirective &s : kSubdirectives) {
        if (!TokenMatch(line, s.keyword)) continue;
        char *&field = rule->*s.field;
        switch (s.kind) {
        case ValueKind::Plain:
            SetField(field, ValueToLineEnd(line));
            break;
        case ValueKind::Quoted:
            SetField(field, confkit::blocks::UnquotedValue(line, LineEndCut::AtLF));
            break;
        case ValueKind::Timeout:
            // The number, its unit word and the line end, as they stand.
            SetField(field, confkit::blocks::RestOfLine(line));
            break;
        }
        return;
    }
}

Line *FindLDAPInfo(const ConfigDocument *doc, const char *name) {
    if (!doc || !name) return nullptr;
    for (Line *line = doc->first; line; line = line->next) {
        if (TokenMatch(line->text, "LDAPInfo") && TokenMatch(TokenNext(line->text), name)) {
            return line;
        }
    }
    return nullptr;
}

} // namespace

extern "C" CONFKIT_API LDAPRule *CONFKIT_CALL HTTPDGetLDAPRule(ConfigDocument *doc,
                                                               const char *name) {
    return confkit::NoThrow<LDAPRule *>(nullptr, [&]() -> LDAPRule * {
        Line *header = FindLDAPInfo(doc, name);
        if (!header) return nullptr;
        auto *rule = static_cast<LDAPRule *>(std::calloc(1, sizeof(LDAPRule)));
        if (!rule) return nullptr;
        rule->Name = TokenDup(TokenNext(header->text));
        Line *end = confkit::BlockEnd(header);
        for (Line *line = header; line && line != end; line = line->next) {
            ReadSubdirective(rule, line->text);
        }
        return rule;
    });
}
