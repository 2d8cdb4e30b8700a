// The Protect and PICS rule forms: one entry put or deleted per request.
#include "apply.h"
#include "http.h"
#include "values.h"

#include "common/pics_check.h"
#include "common/record_check.h"

namespace admin {
namespace {

std::string Required(const Form &form, const char *field) {
    const std::vector<std::string> values = form.All(field);
    if (values.size() != 1 || Trim(values.front()).empty())
        BadRequest(std::string("the field ") + field + " must be given once");
    return values.front();
}

std::string Optional(const Form &form, const char *field) {
    const std::vector<std::string> values = form.All(field);
    if (values.size() > 1)
        BadRequest(std::string("the field ") + field + " is sent more than once");
    return values.empty() ? "" : values.front();
}

[[noreturn]] void Conflict(const std::string &message) {
    throw HttpError(409, message);
}

// The library finds Protect and Protection entries alike; the page edits
// only Protect entries.
bool IsProtectEntry(const confkit::Document &doc, const std::string &templ) {
    confkit::Record<ProtectRule> entry = doc.Protect(templ);
    return entry && entry->Directive && TokenMatch(entry->Directive, "Protect") && entry->Template;
}

confkit::PutMode ModeOf(const std::string &position) {
    if (position == "before") return confkit::PutMode::Before;
    if (position == "after") return confkit::PutMode::After;
    if (position == "replace") return confkit::PutMode::Replace;
    BadRequest("the field position must be before, after or replace");
}

void PutProtect(confkit::Document &doc, const Form &form) {
    const std::string templ = Word("template", Required(form, "template"));
    const std::string setup = Word("setup", Required(form, "setup"));
    const std::string address = Word("address", Optional(form, "address"));
    const confkit::PutMode mode = ModeOf(Required(form, "position"));
    std::string anchor = Word("anchor", Optional(form, "anchor"));
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
    record.Set(&ProtectRule::SetupName, setup.c_str());
    if (!address.empty()) record.Set(&ProtectRule::Address, address.c_str());
    Check(valuecheck::CheckProtect(*record));
    doc.PutProtect(*record, anchor, mode);
}

void DeleteProtect(confkit::Document &doc, const Form &form) {
    const std::string templ = Word("template", Required(form, "template"));
    if (!IsProtectEntry(doc, templ)) Conflict("there is no Protect entry for that template");
    doc.DeleteProtect(templ);
}

void PutPics(confkit::Document &doc, const Form &form) {
    const std::string name = Quotable("name", Required(form, "name"));
    const std::string description = Quotable("description", Optional(form, "description"));
    // Days and times are read back as one word each.
    const std::string days = Word("days", Quotable("days", Required(form, "days")));
    const std::string start = Word("start", Quotable("start", Optional(form, "start")));
    const std::string end = Word("end", Quotable("end", Optional(form, "end")));
    auto record = confkit::Record<PicsFilterRule>::Empty();
    record.Set(&PicsFilterRule::RuleName, name.c_str());
    record.Set(&PicsFilterRule::Description, description.c_str());
    record.Set(&PicsFilterRule::ActiveDays, days.c_str());
    record.Set(&PicsFilterRule::StartTime, start.empty() ? nullptr : start.c_str());
    record.Set(&PicsFilterRule::EndTime, end.empty() ? nullptr : end.c_str());
    Check(valuecheck::CheckPicsRule(*record));
    if (doc.Pics(name))
        doc.ReplacePics(*record, name);
    else
        doc.PutPics(*record, "", confkit::PicsPosition::After);
}

void DeletePics(confkit::Document &doc, const Form &form) {
    const std::string name = Quotable("name", Required(form, "name"));
    if (!doc.DeletePics(name)) Conflict("there is no PICS rule of that name");
}

} // namespace

void ApplyProtect(confkit::Document &doc, const Form &form, bool remove) {
    if (remove)
        DeleteProtect(doc, form);
    else
        PutProtect(doc, form);
}

void ApplyPics(confkit::Document &doc, const Form &form, bool remove) {
    if (remove)
        DeletePics(doc, form);
    else
        PutPics(doc, form);
}

} // namespace admin
