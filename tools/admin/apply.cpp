#include "apply.h"

#include "http.h"

namespace admin {

const std::vector<std::string> &EditableDirectives() {
    static const std::vector<std::string> directives = {"Pass", "Exec",  "Map",      "Redirect",
                                                        "Fail", "Proxy", "NoCaching"};
    return directives;
}

void ApplyForm(confkit::Document &doc, const Form &form) {
    const std::vector<std::string> operations = form.All(kOperationField);
    if (operations.size() != 1) BadRequest("the form must name one operation");
    const std::string &op = operations.front();
    if (op == kSettingsOperation)
        ApplySettings(doc, form);
    else if (op == kProtectPut || op == kProtectDelete)
        ApplyProtect(doc, form, op == kProtectDelete);
    else if (op == kPicsPut || op == kPicsDelete)
        ApplyPics(doc, form, op == kPicsDelete);
    else
        BadRequest("the form names an unknown operation");
}

std::size_t RevisionNumber(const Form &form) {
    const std::vector<std::string> revisions = form.All(kRevisionField);
    const bool digits = revisions.size() == 1 && !revisions.front().empty() &&
                        revisions.front().size() <= 9 &&
                        revisions.front().find_first_not_of("0123456789") == std::string::npos;
    if (!digits) BadRequest("the form must name one revision by its number");
    return std::stoul(revisions.front());
}

std::optional<std::size_t> RestoredRevision(const Form &form) {
    if (form.All(kOperationField) != std::vector<std::string>{kRestore}) return std::nullopt;
    return RevisionNumber(form);
}

std::string Summary(const Form &form) {
    if (const std::optional<std::size_t> n = RestoredRevision(form))
        return "restore of revision " + std::to_string(*n);
    const std::string op = form.All(kOperationField).front();
    if (op == kSettingsOperation) return "settings form";
    const bool protect = op == kProtectPut || op == kProtectDelete;
    const std::vector<std::string> names = form.All(protect ? "template" : "name");
    const bool put = op == kProtectPut || op == kPicsPut;
    return std::string(protect ? "protect" : "pics") + (put ? " put " : " delete ") +
           (names.empty() ? "" : names.front());
}

} // namespace admin
