// Removing a named entry: one operation under three names, for Protection and
// Protect entries, LDAPInfo blocks and Member blocks alike.
#include "blocks/entry_scan.h"

namespace {

Line *DeleteEntry(ConfigDocument *doc, const char *name) {
    return confkit::NoThrow<Line *>(nullptr,
                                    [&] { return confkit::blocks::RemoveEntry(doc, name).after; });
}

} // namespace

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteProtectRule(ConfigDocument *doc,
                                                                 const char *name) {
    return DeleteEntry(doc, name);
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteLDAPRule(ConfigDocument *doc,
                                                              const char *name) {
    return DeleteEntry(doc, name);
}

extern "C" CONFKIT_API Line *CONFKIT_CALL HTTPDDeleteMemberRule(ConfigDocument *doc,
                                                                const char *name) {
    return DeleteEntry(doc, name);
}
