#include "form_field.h"

#include "page.h"

namespace page {
namespace {

// One labelled field of a blank form.
std::string BlankField(const FormField &f) {
    std::string control;
    if (f.kind == FieldKind::Position) {
        control = "<select name=\"" + f.name + "\">";
        for (const Option &o : f.options)
            control += "<option value=\"" + o.value + "\">" + HtmlEscape(o.label) + "</option>";
        control += "</select>";
    } else {
        control = "<input type=\"text\" name=\"" + f.name + "\" size=\"" + std::to_string(f.size) +
                  "\"" + (f.required ? " required" : "") + ">";
    }
    return "<label>" + HtmlEscape(f.label) + " " + control + "</label>\n";
}

} // namespace

bool IsSent(const FormField &field) {
    return field.kind != FieldKind::ShownList && field.kind != FieldKind::ShownCode;
}

const FormField *FindField(const Form &form, const std::string &name) {
    for (const FormField &f : form.fields)
        if (f.name == name) return &f;
    return nullptr;
}

std::string OpenForm(const Form &form, const Drawing &drawing, const char *classes,
                     bool namesOperation) {
    std::string out = "<form id=\"" + form.id + "\"" + classes + " method=\"post\" action=\"" +
                      HtmlEscape(drawing.options.action) + "\">\n" +
                      HiddenInputs(drawing.options.formFields);
    if (namesOperation)
        out += std::string("<input type=\"hidden\" name=\"") + kOperationField + "\" value=\"" +
               form.id + "\">\n";
    return out;
}

std::string BlankFormHtml(const Form &form, const Drawing &drawing) {
    std::string out = OpenForm(form, drawing, " class=\"edit\"", true);
    for (const FormField &f : form.fields)
        out += BlankField(f);
    return out + "<button type=\"submit\">Preview</button>\n</form>\n";
}

} // namespace page
