// Writing LDAPInfo and Member blocks from their records, in the place of the
// block they replace, next to a named entry, or after the last of their kind.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"
#include "common/record_check.h"

namespace {

using confkit::blocks::EntryKind;
using confkit::blocks::Place;

// After the closing line of the entry beginning at line; at the document's
// end when it has none.
Place AfterEntry(Line *line) {
    Line *closing = confkit::blocks::ClosingLine(line);
    return closing ? Place::AfterLine(closing) : Place::AtEnd();
}

// Mode 3: the removed entry's place. Other modes: before (or, in mode 2,
// after) the first block of this kind named name; without one, after the
// last block of this kind, else at the end. Lines of other directives are
// never taken for the named block.
Place BlockPlace(ConfigDocument *doc, EntryKind kind, const char *name, int32_t mode) {
    if (mode == confkit::blocks::kModeReplace) {
        const auto removal = confkit::blocks::RemoveEntry(doc, kind, name);
        return removal.removed ? confkit::blocks::PlaceOf(removal) : Place::AtEnd();
    }
    Line *lastHeader = nullptr;
    for (Line *line = doc->first; line; line = line->next) {
        if (confkit::blocks::OfKind(line->text, kind)) lastHeader = line;
        if (!confkit::blocks::IsEntry(line, kind, name)) continue;
        return mode == confkit::blocks::kModeAfter ? AfterEntry(line) : Place::BeforeLine(line);
    }
    return lastHeader ? AfterEntry(lastHeader) : Place::AtEnd();
}

} // namespace

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutLDAPRule(ConfigDocument *doc,
                                                             const LDAPRule *rule, const char *name,
                                                             int32_t mode) {
    if (!rule || !rule->Name) return 0;
    return confkit::blocks::PutRecord(doc, *rule, valuecheck::CheckLDAP, [&] {
        return BlockPlace(doc, EntryKind::LDAPInfo, name, mode);
    });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutMemberRule(ConfigDocument *doc,
                                                               const MemberRule *rule,
                                                               const char *name, int32_t mode) {
    if (!rule || !rule->Name) return 0;
    return confkit::blocks::PutRecord(doc, *rule, valuecheck::CheckMember, [&] {
        return BlockPlace(doc, EntryKind::Member, name, mode);
    });
}
