// Reading an LDAPInfo block into an LDAPRule record.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"

#include <cstdlib>

namespace {

using confkit::FieldForm;

// A value up to its line end; a quoted one without its quotes; a time-out with
// its unit word and line end, as they stand.
char *ReadValue(FieldForm form, const char *line) {
    switch (form) {
    case FieldForm::Quoted:
        return confkit::blocks::UnquotedValue(line, confkit::blocks::LineEndCut::AtLF);
    case FieldForm::Unit:
        return confkit::blocks::RestOfLine(line);
    default: {
        char *value = confkit::blocks::RestOfLine(line);
        if (value) CutAtChar(value, '\n');
        return value;
    }
    }
}

} // namespace

extern "C" CONFKIT_API LDAPRule *CONFKIT_CALL HTTPDGetLDAPRule(ConfigDocument *doc,
                                                               const char *name) {
    return confkit::NoThrow<LDAPRule *>(nullptr, [&]() -> LDAPRule * {
        Line *header = confkit::blocks::FindEntry(doc, confkit::blocks::EntryKind::LDAPInfo, name);
        if (!header) return nullptr;
        auto *rule = static_cast<LDAPRule *>(std::calloc(1, sizeof(LDAPRule)));
        if (!rule) return nullptr;
        rule->Name = TokenDup(TokenNext(header->text));
        confkit::blocks::ReadBody(*rule, header, ReadValue);
        return rule;
    });
}
