// Applying a submitted form to the configuration document, and what the
// history says of it.
#ifndef ADMIN_APPLY_H
#define ADMIN_APPLY_H

#include "form.h"

#include "confkit.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace admin {

// A restore makes the file a revision of its history again; the revision
// field names it. Every form's preview has the reason field, which the
// history keeps with the save.
constexpr const char *kRestore = "restore";
constexpr const char *kRevisionField = "revision";
constexpr const char *kReasonField = "reason";

// Applies the form to the document in memory. Its operation field names
// one of the page's forms, whose declaration (form_field.h) says how its
// fields are read. A form that is malformed or asks for something the
// configuration does not allow is refused with an HttpError, and the
// document should then not be written.
void ApplyForm(confkit::Document &doc, const Form &form);

// The revision the form's one revision field names; anything else there is
// refused with an HttpError.
std::size_t RevisionNumber(const Form &form);
// The revision a restore form names, or nothing for any other form.
std::optional<std::size_t> RestoredRevision(const Form &form);

// What a form that ApplyForm accepted, or a restore, does, in a few words
// for the history ("protect put /secret/*", "restore of revision 7").
std::string Summary(const Form &form);

// The parts of ApplyForm, one per form of the page.
void ApplySettings(confkit::Document &doc, const Form &form);
void PutProtect(confkit::Document &doc, const Form &form);
void DeleteProtect(confkit::Document &doc, const Form &form);
void PutPics(confkit::Document &doc, const Form &form);
void DeletePics(confkit::Document &doc, const Form &form);

} // namespace admin

#endif
