// Applying a submitted form to the configuration document.
#ifndef ADMIN_APPLY_H
#define ADMIN_APPLY_H

#include "form.h"

#include "confkit.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace admin {

// The form field that names what a form does, and its values.
constexpr const char *kOperationField = "op";
constexpr const char *kSettingsOperation = "settings";
constexpr const char *kProtectPut = "protect-put";
constexpr const char *kProtectDelete = "protect-delete";
constexpr const char *kPicsPut = "pics-put";
constexpr const char *kPicsDelete = "pics-delete";
// A restore makes the file a revision of its history again; the revision
// field names it. Every form's preview has the reason field, which the
// history keeps with the save.
constexpr const char *kRestore = "restore";
constexpr const char *kRevisionField = "revision";
constexpr const char *kReasonField = "reason";

// The prefix of the settings form's text areas, one per directive whose
// rules the page lets an administrator rewrite ("rules.Pass").
constexpr const char *kRulesFieldPrefix = "rules.";

// The directives whose rules the page offers for rewriting, in page order.
const std::vector<std::string> &EditableDirectives();

// Applies the form to the document in memory. A form that is malformed or
// asks for something the configuration does not allow is refused with an
// HttpError, and the document should then not be written.
void ApplyForm(confkit::Document &doc, const Form &form);

// The revision the form's one revision field names; anything else there is
// refused with an HttpError.
std::size_t RevisionNumber(const Form &form);
// The revision a restore form names, or nothing for any other form.
std::optional<std::size_t> RestoredRevision(const Form &form);

// What a form that ApplyForm accepted, or a restore, does, in a few words
// for the history ("protect put /secret/*", "restore of revision 7").
std::string Summary(const Form &form);

// The parts of ApplyForm, one per kind of form.
void ApplySettings(confkit::Document &doc, const Form &form);
void ApplyProtect(confkit::Document &doc, const Form &form, bool remove);
void ApplyPics(confkit::Document &doc, const Form &form, bool remove);

} // namespace admin

#endif
