// Removing a named entry: each export looks among the lines of its own kind
// only (Protect and Protection lines, LDAPInfo blocks, Member blocks).
#include "blocks/entry_scan.h"

namespace {

using confkit::blocks::EntryKind;

Line *DeleteEntry(ConfigDocument *doc, EntryKind kind, const char *name) {
    return confkit::NoThrow<Line *>(
        nullptr, [&] { return confkit::blocks::RemoveEntry(doc, kind, name).after; });
}

} // namespace

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteProtectRule(ConfigDocument *doc,
                                                                 const char *name) {
    return DeleteEntry(doc, EntryKind::Protection, name);
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteLDAPRule(ConfigDocument *doc,
                                                              const char *name) {
    return DeleteEntry(doc, EntryKind::LDAPInfo, name);
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteMemberRule(ConfigDocument *doc,
                                                                const char *name) {
    return DeleteEntry(doc, EntryKind::Member, name);
}
