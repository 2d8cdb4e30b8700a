#include "block_forms.h"

namespace page {
namespace {

using K = FieldKind;
namespace f = blockfield;

FormField Input(const char *name, const char *label, K kind, bool required, int size) {
    FormField field{name, label, kind};
    field.size = size;
    field.required = required;
    return field;
}

// The fields that name the entry, which the put and the delete form share.
FormField TemplateField() {
    return Input(f::kTemplate, "URL template", K::Word, true, 20);
}

FormField NameField() {
    return Input(f::kName, "Name", K::Quoted, true, 14);
}

FormField PositionField() {
    FormField field{f::kPosition, "Place", K::Position};
    field.options = {{"before", "before"}, {"after", "after"}, {"replace", "replacing"}};
    return field;
}

} // namespace

const Form &ProtectPutForm() {
    static const Form form{"protect-put",
                           "protect put",
                           f::kTemplate,
                           {TemplateField(), Input(f::kSetup, "Setup", K::Word, true, 14),
                            Input(f::kAddress, "Address", K::Word, false, 14), PositionField(),
                            Input(f::kAnchor, "the entry for", K::Word, false, 14)}};
    return form;
}

const Form &ProtectDeleteForm() {
    static const Form form{"protect-delete", "protect delete", f::kTemplate, {TemplateField()}};
    return form;
}

const Form &PicsPutForm() {
    static const Form form{"pics-put",
                           "pics put",
                           f::kName,
                           {NameField(),
                            Input(f::kDescription, "Description", K::Quoted, false, 30),
                            Input(f::kDays, "Days", K::QuotedWord, true, 10),
                            Input(f::kStart, "From", K::QuotedWord, false, 6),
                            Input(f::kEnd, "Until", K::QuotedWord, false, 6)}};
    return form;
}

const Form &PicsDeleteForm() {
    static const Form form{"pics-delete", "pics delete", f::kName, {NameField()}};
    return form;
}

std::string ProtectFormsHtml(const Drawing &drawing) {
    return "<h3 id=\"protect-edit\">Change Protect entries</h3>\n" +
           BlankFormHtml(ProtectPutForm(), drawing) + BlankFormHtml(ProtectDeleteForm(), drawing);
}

std::string PicsFormsHtml(const Drawing &drawing) {
    return "<h3 id=\"pics-edit\">Change PICS rules</h3>\n"
           "<p>Putting a rule that exists rewrites its description, days and times; a new rule "
           "is added after the others.</p>\n" +
           BlankFormHtml(PicsPutForm(), drawing) + BlankFormHtml(PicsDeleteForm(), drawing);
}

} // namespace page
