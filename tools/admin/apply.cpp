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

std::string Summary(const Form &form) {
    const std::string op = form.All(kOperationField).front();
    if (op == kSettingsOperation) return "settings form";
    const bool protect = op == kProtectPut || op == kProtectDelete;
    const std::vector<std::string> names = form.All(protect ? "template" : "name");
    const bool put = op == kProtectPut || op == kPicsPut;
    return std::string(protect ? "protect" : "pics") + (put ? " put " : " delete ") +
           (names.empty() ? "" : names.front());
}

} // namespace admin
