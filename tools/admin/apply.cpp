#include "apply.h"

#include "http.h"

#include "block_forms.h"
#include "settings_form.h"

namespace admin {
namespace {

// A form of the page and what applies it.
struct Editor {
    const page::Form &form;
    void (*apply)(confkit::Document &, const Form &);
};

const Editor *EditorOf(const std::string &operation) {
    static const Editor editors[] = {
        {page::SettingsForm(), ApplySettings},      {page::ProtectPutForm(), PutProtect},
        {page::ProtectDeleteForm(), DeleteProtect}, {page::PicsPutForm(), PutPics},
        {page::PicsDeleteForm(), DeletePics},
    };
    for (const Editor &e : editors)
        if (e.form.id == operation) return &e;
    return nullptr;
}

} // namespace

void ApplyForm(confkit::Document &doc, const Form &form) {
    const std::vector<std::string> operations = form.All(page::kOperationField);
    if (operations.size() != 1) BadRequest("the form must name one operation");
    const Editor *editor = EditorOf(operations.front());
    if (!editor) BadRequest("the form names an unknown operation");
    editor->apply(doc, form);
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
    if (form.All(page::kOperationField) != std::vector<std::string>{kRestore}) return std::nullopt;
    return RevisionNumber(form);
}

std::string Summary(const Form &form) {
    if (const std::optional<std::size_t> n = RestoredRevision(form))
        return "restore of revision " + std::to_string(*n);
    const Editor *editor = EditorOf(form.All(page::kOperationField).front());
    if (!editor) return "";
    const page::Form &declared = editor->form;
    if (declared.subject.empty()) return declared.summary;
    const std::vector<std::string> names = form.All(declared.subject);
    return declared.summary + " " + (names.empty() ? "" : names.front());
}

} // namespace admin
