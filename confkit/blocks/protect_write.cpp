// Writing a ProtectRule record into a document as a Protection setup or a
// Protect entry, in the place of the entry it replaces or among its kind.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"
#include "common/record_check.h"
#include "common/text.h"

#include <array>
#include <cstring>
#include <optional>

namespace {

using confkit::blocks::kModeAfter;
using confkit::blocks::kModeReplace;
using confkit::blocks::Place;

// Next to the Protect entry of that template: after its line or its block in
// mode 2, before it otherwise.
std::optional<Place> NeighbourPlace(const ConfigDocument *doc, const char *name, int32_t mode) {
    for (Line *line = doc->first; line; line = line->next) {
        if (!TokenMatch(line->text, "Protect") || !TokenMatch(TokenNext(line->text), name)) {
            continue;
        }
        if (mode == kModeAfter) {
            Line *last = std::strchr(line->text, '{') ? confkit::blocks::ClosingLine(line) : line;
            if (last) return Place::AfterLine(last);
        } else if (line->prev) {
            return Place::AfterLine(line->prev);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// In front of the first entry of the record's own kind; or in front of the
// first Exec, Pass, Map, Fail or Redirect rule (a Protection setup: also
// Protect) and the comment lines directly above it.
std::optional<Place> ScanPlace(const ConfigDocument *doc, const ProtectRule *rule) {
    // Fixed storage: nothing here may fail once an entry has been removed.
    std::array<int32_t, 7> ids{};
    std::size_t count = 0;
    ids[count++] = HTTPDRuleToID(rule->Directive);
    for (const char *other : {"Exec", "Pass", "Map", "Fail", "Redirect"}) {
        ids[count++] = HTTPDRuleToID(other);
    }
    if (ascii::EqualNoCase(rule->Directive, "Protection")) ids[count++] = HTTPDRuleToID("Protect");

    for (Line *line = doc->first; line; line = line->next) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!HTTPDRuleMatch(line->text, ids[i])) continue;
            if (i == 0 || !line->prev) return Place::BeforeLine(line);
            Line *above = line->prev;
            while (std::strchr(above->text, '#') && above->prev)
                above = above->prev;
            return Place::AfterLine(above);
        }
    }
    return std::nullopt;
}

Place ChoosePlace(ConfigDocument *doc, const ProtectRule *rule, const char *name, int32_t mode) {
    const bool protection = ascii::EqualNoCase(rule->Directive, "Protection");
    if (mode == kModeReplace || protection) {
        // A replacement always takes the removed entry's place.
        const auto removal =
            confkit::blocks::RemoveEntry(doc, confkit::blocks::EntryKind::Protection, name);
        if (removal.removed) return confkit::blocks::PlaceOf(removal);
    } else if (ascii::EqualNoCase(rule->Directive, "Protect")) {
        if (auto place = NeighbourPlace(doc, name, mode)) return *place;
    }
    if (auto place = ScanPlace(doc, rule)) return *place;
    return Place::AtEnd();
}

} // namespace

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutProtectRule(ConfigDocument *doc,
                                                                const ProtectRule *rule,
                                                                const char *name, int32_t mode) {
    if (!rule) return 1;
    if (!rule->Directive) return 2;
    if (!rule->Template && !rule->SetupName) return 3;
    return confkit::blocks::PutRecord(doc, *rule, valuecheck::CheckProtect,
                                      [&] { return ChoosePlace(doc, rule, name, mode); });
}
