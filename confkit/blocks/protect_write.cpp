// Writing a ProtectRule record into a document as a Protection setup or a
// Protect entry, in the place of the entry it replaces or among its kind.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"
#include "common/text.h"

#include <array>
#include <cstring>
#include <optional>

namespace {

using confkit::Chain;
using confkit::blocks::MakeValuesLine;
using confkit::blocks::Place;
using confkit::blocks::Text;
using confkit::blocks::Value;

constexpr int32_t kModeAfter = 2;
constexpr int32_t kModeReplace = 3;

enum class BodyKind { Certificate, Flag, Plain };

struct BodyLine {
    char *ProtectRule::*field;
    const char *head; // indentation and keyword, padded to where the value begins
    BodyKind kind;
};

// Body lines top to bottom.
const BodyLine kBodyLines[] = {
    {&ProtectRule::IssuerOrgUnit, "      IssuerOrgUnit   ", BodyKind::Certificate},
    {&ProtectRule::OrgUnit, "      OrgUnit   ", BodyKind::Certificate},
    {&ProtectRule::IssuerOrganization, "      IssuerOrganization   ", BodyKind::Certificate},
    {&ProtectRule::Organization, "      Organization   ", BodyKind::Certificate},
    {&ProtectRule::IssuerStateOrProvince, "      IssuerStateOrProvince   ", BodyKind::Certificate},
    {&ProtectRule::StateOrProvince, "      StateOrProvince   ", BodyKind::Certificate},
    {&ProtectRule::IssuerLocality, "      IssuerLocality   ", BodyKind::Certificate},
    {&ProtectRule::Locality, "      Locality   ", BodyKind::Certificate},
    {&ProtectRule::IssuerCountry, "      IssuerCountry   ", BodyKind::Certificate},
    {&ProtectRule::Country, "      Country   ", BodyKind::Certificate},
    {&ProtectRule::IssuerCommonName, "      IssuerCommonName   ", BodyKind::Certificate},
    {&ProtectRule::CommonName, "      CommonName   ", BodyKind::Certificate},
    {&ProtectRule::SSL_ClientAuth, "      SSL_ClientAuth  client\n", BodyKind::Flag},
    {&ProtectRule::GroupFile, "      GroupFile    ", BodyKind::Plain},
    {&ProtectRule::PasswdFile, "      PasswdFile   ", BodyKind::Plain},
    {&ProtectRule::ACLOverride, "      ACLOverride  ", BodyKind::Plain},
    {&ProtectRule::Mask, "      Mask         ", BodyKind::Plain},
    {&ProtectRule::DeleteMask, "      DeleteMask   ", BodyKind::Plain},
    {&ProtectRule::PostMask, "      PostMask     ", BodyKind::Plain},
    {&ProtectRule::PutMask, "      PutMask      ", BodyKind::Plain},
    {&ProtectRule::GetMask, "      GetMask      ", BodyKind::Plain},
    {&ProtectRule::AuthType, "      AuthType     ", BodyKind::Plain},
    {&ProtectRule::ServerID, "      ServerID     ", BodyKind::Plain},
    {&ProtectRule::GroupID, "      GroupID      ", BodyKind::Plain},
    {&ProtectRule::UserID, "      UserID       ", BodyKind::Plain},
};

bool HasAddress(const ProtectRule *rule) {
    return rule->Address && *rule->Address;
}

void WriteBodyLine(Chain &chain, const BodyLine &body, const char *value) {
    switch (body.kind) {
    case BodyKind::Flag:
        // Written only when the flag's text holds a "1".
        if (std::strchr(value, '1')) chain.Append(MakeValuesLine({Text(body.head)}));
        break;
    case BodyKind::Certificate:
        // A value with a space in it is written in quotes.
        if (std::strchr(value, ' ')) {
            chain.Append(MakeValuesLine({Text(body.head), Text("\""), Value(value), Text("\"\n")}));
        } else {
            chain.Append(MakeValuesLine({Text(body.head), Value(value), Text("\n")}));
        }
        break;
    case BodyKind::Plain:
        chain.Append(MakeValuesLine({Text(body.head), Value(value), Text("\n")}));
        break;
    }
}

// "directive  template  setup[  FOR address]"
void WriteOneLine(Chain &chain, const ProtectRule *rule) {
    if (HasAddress(rule)) {
        chain.Append(MakeValuesLine({Value(rule->Directive), Text("  "), Value(rule->Template),
                                     Text("  "), Value(rule->SetupName), Text("  FOR "),
                                     Value(rule->Address), Text("\n")}));
    } else {
        chain.Append(MakeValuesLine({Value(rule->Directive), Text("  "), Value(rule->Template),
                                     Text("  "), Value(rule->SetupName), Text("\n")}));
    }
}

// "directive  name[  FOR address]  {", the body, "}". The address sits after
// "FOR", where the reader looks for it.
void WriteBlock(Chain &chain, const ProtectRule *rule) {
    const char *name = rule->Template ? rule->Template : rule->SetupName;
    if (HasAddress(rule)) {
        chain.Append(MakeValuesLine({Value(rule->Directive), Text("  "), Value(name),
                                     Text("  FOR "), Value(rule->Address), Text("  {\n")}));
    } else {
        chain.Append(
            MakeValuesLine({Value(rule->Directive), Text("  "), Value(name), Text("  {\n")}));
    }
    for (const BodyLine &body : kBodyLines) {
        if (const char *value = rule->*body.field) WriteBodyLine(chain, body, value);
    }
    chain.Append(MakeValuesLine({Text("}\n")}));
}

void WriteEntry(Chain &chain, const ProtectRule *rule) {
    if (rule->Template && rule->SetupName)
        WriteOneLine(chain, rule);
    else
        WriteBlock(chain, rule);
}

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
        const auto removal = confkit::blocks::RemoveEntry(doc, name);
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
    // An allocation failure leaves the document as it was and answers 0.
    return confkit::NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!doc) return 1;
        Chain chain;
        WriteEntry(chain, rule);
        const Place place = ChoosePlace(doc, rule, name, mode);
        confkit::blocks::PutChain(doc, place, chain.Release());
        return 1;
    });
}
