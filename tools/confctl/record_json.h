// Records as JSON objects: keys are the record's field names, values the
// texts as the library gives them, null for an absent field.
#ifndef CONFCTL_RECORD_JSON_H
#define CONFCTL_RECORD_JSON_H

#include "command.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include <string>

namespace confctl {

using Json = nlohmann::ordered_json;

std::string DumpJson(const Json &value);
Json ParseJson(const std::string &text, const std::string &what);

template <class R> Json RecordToJson(const R &record) {
    Json object = Json::object();
    for (const auto &f : confkit::RecordFields<R>::List()) {
        const char *text = record.*f.member;
        object[f.name] = text ? Json(text) : Json(nullptr);
    }
    return object;
}

// "Field: value" lines for the fields present, line ends left out.
template <class R> std::string RecordToText(const R &record) {
    std::string out;
    for (const auto &f : confkit::RecordFields<R>::List()) {
        const char *text = record.*f.member;
        if (!text) continue;
        std::string value = text;
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r'))
            value.pop_back();
        out += std::string(f.name) + ": " + value + "\n";
    }
    return out;
}

// A value of a record to be written. A value as a get gives it may end with
// its line end, and a time-out with its unit word, which the library writes
// itself after the value; both are taken off, so that what a get gave can be
// put back unchanged. Whether the rest may be written is for the value
// checks to say.
std::string ValueToWrite(const std::string &field, std::string value, const char *unit);

// The unit word the library writes after a field's value, or null.
template <class R> const char *UnitOf(const confkit::Field<R> &field) {
    return field.form == confkit::FieldForm::Unit ? field.word : nullptr;
}

// Whether two records hold the same values as a get reads them: line ends
// and unit words aside, and an empty value the same as an absent one.
template <class R> bool SameRecord(const R &a, const R &b) {
    for (const auto &f : confkit::RecordFields<R>::List()) {
        const char *x = a.*f.member, *y = b.*f.member;
        const char *unit = UnitOf(f);
        if (ValueToWrite(f.name, x ? x : "", unit) != ValueToWrite(f.name, y ? y : "", unit))
            return false;
    }
    return true;
}

template <class R> confkit::Record<R> RecordFromJson(const Json &object, const std::string &kind) {
    if (!object.is_object()) throw Failure("a " + kind + " record must be a JSON object");
    const auto &fields = confkit::RecordFields<R>::List();
    confkit::Record<R> record = confkit::Record<R>::Empty();
    for (const auto &item : object.items()) {
        auto f = std::find_if(fields.begin(), fields.end(),
                              [&](const auto &x) { return item.key() == x.name; });
        if (f == fields.end())
            throw Failure("a " + kind + " record has no field '" + item.key() + "'");
        if (item.value().is_null()) continue;
        if (!item.value().is_string())
            throw Failure("the field '" + item.key() + "' must be a text or null");
        std::string value = ValueToWrite(item.key(), item.value().get<std::string>(), UnitOf(*f));
        record.Set(f->member, value.c_str());
    }
    return record;
}

} // namespace confctl

#endif
