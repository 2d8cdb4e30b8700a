// The declaration of a form of the page: its fields, each with its name,
// label, kind, the directive it edits, what it shows by default, its options
// or range and its size. One declaration drives the drawing of a form, and
// the administration program reads, checks and applies what comes back
// through the same declaration, so a field is named in one place.
#ifndef CONFKIT_PAGE_FORM_FIELD_H
#define CONFKIT_PAGE_FORM_FIELD_H

#include "section.h"

#include <cstddef>
#include <string>
#include <vector>

namespace page {

// The hidden field that names what a form does: the form's id.
constexpr const char *kOperationField = "op";

enum class FieldKind {
    // Fields of a form drawn from the document, whose value goes into the
    // first rule of its directive.
    Word,    // one word: a text input
    Text,    // the rest of the rule's line: a text input
    Number,  // a whole number from low to high: a text input
    Numbers, // the same, chosen from a list of every number from low to high
    Switch,  // ON or OFF: a check box
    Choice,  // one of the options, in any case: a list
    Methods, // the request methods (the options) enabled: a check box each
    Expiry,  // the time of the directive's rule whose template begins with prefix
    Rules,   // every rule of the directive, one a line: a text area
    // Shown from the document and never sent back.
    ShownList, // the directive's values in a disabled list
    ShownCode, // the directive's arguments as code
    // Fields of a blank form that puts or deletes one entry.
    Quoted,     // a value written between double quotes: a text input
    QuotedWord, // a quoted value of one word: a text input
    Position,   // one of the options, exactly as written: a list
};

struct Option {
    std::string value;
    std::string label; // what the list shows
};

struct FormField {
    std::string name;  // the field's name in the form
    std::string label; // what the page shows before it
    FieldKind kind;
    std::string directive{}; // the directive it edits (document-drawn forms)
    std::string byDefault{}; // what is shown when the directive has no rule
    std::vector<Option> options{};
    long low = 0, high = 0;    // Number, Numbers
    int size = 0;              // width of a text input, height of a list
    bool required = false;     // blank forms: must be given
    bool onWhenAbsent = false; // Switch
    std::string prefix{};      // Expiry: the URL prefix of its rule's template
};

struct Form {
    std::string id;        // the form's id on the page, and the operation it names
    std::string summary{}; // what a save of it does, for the history
    std::string subject{}; // the field whose value the summary names, if any
    std::vector<FormField> fields{};
};

// Whether the field's value comes back when the form is sent.
bool IsSent(const FormField &field);

// The field of the form with that name, or nullptr.
const FormField *FindField(const Form &form, const std::string &name);

// The opening of a form posted to where the drawing says, with the hidden
// fields every form carries and, when named, the operation field.
std::string OpenForm(const Form &form, const Drawing &drawing, const char *classes,
                     bool namesOperation);

// A blank form that puts or deletes one entry: its fields with their
// labels, one after another, and a Preview button.
std::string BlankFormHtml(const Form &form, const Drawing &drawing);

} // namespace page

#endif
