// Applying the Protect and PICS rule forms (declared in block_forms.h): one
// entry put or deleted per request. Each field is read and checked as its
// declaration says, in the order the form shows them.
#include "apply.h"
#include "http.h"
#include "values.h"

#include "block_forms.h"
#include "common/pics_check.h"
#include "common/record_check.h"

#include <map>

namespace admin {
namespace {

namespace field = page::blockfield;
using page::FieldKind;

std::string Required(const Form &form, const std::string &field) {
    const std::vector<std::string> values = form.All(field);
    if (values.size() != 1 || Trim(values.front()).empty())
        BadRequest("the field " + field + " must be given once");
    return values.front();
}

std::string Optional(const Form &form, const std::string &field) {
    const std::vector<std::string> values = form.All(field);
    if (values.size() > 1) BadRequest("the field " + field + " is sent more than once");
    return values.empty() ? "" : values.front();
}

// A position must be one of its options as written.
std::string Position(const page::FormField &f, const std::string &value) {
    std::string known;
    for (std::size_t i = 0; i < f.options.size(); ++i) {
        if (f.options[i].value == value) return value;
        known += (i == 0 ? "" : i + 1 == f.options.size() ? " or " : ", ") + f.options[i].value;
    }
    BadRequest("the field " + f.name + " must be " + known);
}

// The checked values of a blank form's fields, by name.
class Values {
  public:
    Values(const page::Form &declared, const Form &form) {
        for (const page::FormField &f : declared.fields) {
            const std::string sent = f.required ? Required(form, f.name) : Optional(form, f.name);
            values_[f.name] = Checked(f, sent);
        }
    }
    const std::string &operator[](const char *name) const { return values_.at(name); }

  private:
    static std::string Checked(const page::FormField &f, const std::string &sent) {
        switch (f.kind) {
        case FieldKind::Quoted:
            return Quotable(f.name, sent);
        case FieldKind::QuotedWord: // read back as one word
            return Word(f.name, Quotable(f.name, sent));
        case FieldKind::Position:
            return Position(f, sent);
        default:
            return Word(f.name, sent);
        }
    }
    std::map<std::string, std::string> values_;
};

[[noreturn]] void Conflict(const std::string &message) {
    throw HttpError(409, message);
}

// The library finds Protect and Protection entries alike; the page edits
// only Protect entries.
bool IsProtectEntry(const confkit::Document &doc, const std::string &templ) {
    confkit::Record<ProtectRule> entry = doc.Protect(templ);
    return entry && entry->Directive && TokenMatch(entry->Directive, "Protect") && entry->Template;
}

// The position's options in the order the form declares them.
confkit::PutMode ModeOf(const std::string &position) {
    const std::vector<page::Option> &options =
        page::FindField(page::ProtectPutForm(), field::kPosition)->options;
    const confkit::PutMode modes[] = {confkit::PutMode::Before, confkit::PutMode::After,
                                      confkit::PutMode::Replace};
    std::size_t i = 0;
    while (options[i].value != position)
        ++i;
    return modes[i];
}

} // namespace

void PutProtect(confkit::Document &doc, const Form &form) {
    const Values v(page::ProtectPutForm(), form);
    const std::string &templ = v[field::kTemplate];
    const confkit::PutMode mode = ModeOf(v[field::kPosition]);
    std::string anchor = v[field::kAnchor];
    if (mode == confkit::PutMode::Replace) {
        if (anchor.empty()) anchor = templ;
        if (!IsProtectEntry(doc, anchor)) Conflict("there is no Protect entry to replace");
        if (anchor != templ && IsProtectEntry(doc, templ))
            Conflict("a Protect entry for that template exists already");
    } else {
        if (IsProtectEntry(doc, templ))
            Conflict("a Protect entry for that template exists already");
        if (!anchor.empty() && !IsProtectEntry(doc, anchor))
            Conflict("there is no Protect entry to place the new one next to");
        if (anchor.empty()) anchor = templ;
    }
    auto record = confkit::Record<ProtectRule>::Empty();
    record.Set(&ProtectRule::Directive, "Protect");
    record.Set(&ProtectRule::Template, templ.c_str());
    record.Set(&ProtectRule::SetupName, v[field::kSetup].c_str());
    if (!v[field::kAddress].empty()) record.Set(&ProtectRule::Address, v[field::kAddress].c_str());
    Check(valuecheck::CheckProtect(*record));
    doc.PutProtect(*record, anchor, mode);
}

void DeleteProtect(confkit::Document &doc, const Form &form) {
    const std::string templ = Values(page::ProtectDeleteForm(), form)[field::kTemplate];
    if (!IsProtectEntry(doc, templ)) Conflict("there is no Protect entry for that template");
    doc.DeleteProtect(templ);
}

void PutPics(confkit::Document &doc, const Form &form) {
    const Values v(page::PicsPutForm(), form);
    const std::string &name = v[field::kName];
    const std::string &start = v[field::kStart];
    const std::string &end = v[field::kEnd];
    auto record = confkit::Record<PicsFilterRule>::Empty();
    record.Set(&PicsFilterRule::RuleName, name.c_str());
    record.Set(&PicsFilterRule::Description, v[field::kDescription].c_str());
    record.Set(&PicsFilterRule::ActiveDays, v[field::kDays].c_str());
    record.Set(&PicsFilterRule::StartTime, start.empty() ? nullptr : start.c_str());
    record.Set(&PicsFilterRule::EndTime, end.empty() ? nullptr : end.c_str());
    Check(valuecheck::CheckPicsRule(*record));
    if (doc.Pics(name))
        doc.ReplacePics(*record, name);
    else
        doc.PutPics(*record, "", confkit::PicsPosition::After);
}

void DeletePics(confkit::Document &doc, const Form &form) {
    const std::string name = Values(page::PicsDeleteForm(), form)[field::kName];
    if (!doc.DeletePics(name)) Conflict("there is no PICS rule of that name");
}

} // namespace admin
