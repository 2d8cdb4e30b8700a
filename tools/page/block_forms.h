// The blank forms that put or delete one Protect entry or one PICS rule,
// and the parts of the page that draw them: a program that applies them adds
// those parts to the Protection and Content filtering sections.
#ifndef CONFKIT_PAGE_BLOCK_FORMS_H
#define CONFKIT_PAGE_BLOCK_FORMS_H

#include "form_field.h"
#include "section.h"

#include <string>

namespace page {

// The names of their fields, for the code that reads what comes back.
namespace blockfield {
constexpr const char *kTemplate = "template";
constexpr const char *kSetup = "setup";
constexpr const char *kAddress = "address";
constexpr const char *kPosition = "position"; // options: before, after, replace, in that order
constexpr const char *kAnchor = "anchor";
constexpr const char *kName = "name";
constexpr const char *kDescription = "description";
constexpr const char *kDays = "days";
constexpr const char *kStart = "start";
constexpr const char *kEnd = "end";
} // namespace blockfield

const Form &ProtectPutForm();
const Form &ProtectDeleteForm();
const Form &PicsPutForm();
const Form &PicsDeleteForm();

std::string ProtectFormsHtml(const Drawing &drawing);
std::string PicsFormsHtml(const Drawing &drawing);

} // namespace page

#endif
