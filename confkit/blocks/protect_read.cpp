// Reading a Protection setup or a Protect entry into a ProtectRule record.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"

#include <cstdlib>
#include <cstring>

namespace {

using confkit::FieldForm;
using confkit::blocks::LineEndCut;

// Plain values keep the rest of their line; a flag reads as "1" whatever
// follows its keyword; a certificate value loses its line end and its quotes.
char *ReadValue(FieldForm form, const char *line) {
    switch (form) {
    case FieldForm::Flag:
        return const_cast<char *>(confkit::blocks::kFlagSet);
    case FieldForm::Certificate:
        return confkit::blocks::UnquotedValue(line, LineEndCut::AtCRorLF);
    default:
        return confkit::blocks::RestOfLine(line);
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
    confkit::blocks::ReadBody(*rule, header, ReadValue);
}

} // namespace

extern "C" CONFKIT_API ProtectRule *CONFKIT_CALL HTTPDGetProtectRule(ConfigDocument *doc,
                                                                     const char *name) {
    return confkit::NoThrow<ProtectRule *>(nullptr, [&]() -> ProtectRule * {
        Line *entry = confkit::blocks::FindEntry(doc, confkit::blocks::EntryKind::Protection, name);
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
