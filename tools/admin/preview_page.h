// The page that shows what applying a form would write, before anything is
// written: the unified diff of the file (as confctl --dry-run prints it), what
// the save would lose besides the form's change and what else it would
// change, and "Apply" and "Cancel". When the save would lose anything, Apply
// saves only with the check box that accepts the loss ticked.
#ifndef ADMIN_PREVIEW_PAGE_H
#define ADMIN_PREVIEW_PAGE_H

#include "form.h"
#include "page.h"
#include "preview.h"

#include <string>

namespace admin {

// The form field that says what a post does: "preview" (the default) or
// "apply".
constexpr const char *kStepField = "step";
constexpr const char *kApplyStep = "apply";
// The check box of the preview that accepts a loss, and its value.
constexpr const char *kAcceptLossField = "accept-loss";
constexpr const char *kAcceptLossValue = "yes";

struct PreviewPage {
    std::string config;      // the file's path, shown in the header
    std::string action;      // where Apply posts and Cancel leads
    page::FormFields fields; // the form as submitted, posted again by Apply
    preview::Change change;
};

std::string RenderPreviewPage(const PreviewPage &preview);

} // namespace admin

#endif
