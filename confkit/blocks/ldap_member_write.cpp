// Writing LDAPInfo and Member blocks from their records, in the place of the
// block they replace, next to a named entry, or after the last of their kind.
#include "blocks/block_fields.h"
#include "blocks/entry_scan.h"

namespace {

using confkit::Chain;
using confkit::blocks::MakeValuesLine;
using confkit::blocks::Place;
using confkit::blocks::Text;
using confkit::blocks::Value;

constexpr int32_t kModeAfter = 2;
constexpr int32_t kModeReplace = 3;

// After the closing line of the entry beginning at line; at the document's
// end when it has none.
Place AfterEntry(Line *line) {
    Line *closing = confkit::blocks::ClosingLine(line);
    return closing ? Place::AfterLine(closing) : Place::AtEnd();
}

// Mode 3: the removed entry's place. Other modes: before (or, in mode 2,
// after) the first line whose second token is name, whatever its directive;
// without one, after the last block of this kind, else at the end.
Place BlockPlace(ConfigDocument *doc, const char *word, const char *name, int32_t mode) {
    if (mode == kModeReplace) {
        const auto removal = confkit::blocks::RemoveEntry(doc, name);
        return removal.removed ? confkit::blocks::PlaceOf(removal) : Place::AtEnd();
    }
    Line *lastHeader = nullptr;
    for (Line *line = doc->first; line; line = line->next) {
        if (TokenMatch(line->text, word)) lastHeader = line;
        if (!TokenMatch(TokenNext(line->text), name)) continue;
        return mode == kModeAfter ? AfterEntry(line) : Place::BeforeLine(line);
    }
    return lastHeader ? AfterEntry(lastHeader) : Place::AtEnd();
}

struct LDAPLine {
    char *LDAPRule::*field;
    const char *head; // indentation, keyword, padding and any opening quote
    const char *tail;
};

const LDAPLine kLDAPLines[] = {
    {&LDAPRule::Host, "      Host                     ", "\n"},
    {&LDAPRule::Port, "      Port                     ", "\n"},
    {&LDAPRule::Transport, "      Transport                ", "\n"},
    {&LDAPRule::KeyFileName, "      KeyFileName              ", "\n"},
    {&LDAPRule::KeyLabel, "      KeyLabel              \"", "\"\n"},
    {&LDAPRule::ClientAuthType, "      ClientAuthType           ", "\n"},
    {&LDAPRule::ServerAuthType, "      ServerAuthType           ", "\n"},
    {&LDAPRule::ServerDN, "      ServerDN                 \"", "\"\n"},
    {&LDAPRule::ServerPasswordStashFile, "      ServerPasswordStashFile  ", "\n"},
    {&LDAPRule::UserSearchBase, "      UserSearchBase           \"", "\"\n"},
    {&LDAPRule::UserNameFilter, "      UserNameFilter           \"", "\"\n"},
    {&LDAPRule::UserNameFieldSep, "      UserNameFieldSep           \"", "\"\n"},
    {&LDAPRule::UserCertFilter, "      UserCertFilter           \"", "\"\n"},
    {&LDAPRule::GroupSearchBase, "      GroupSearchBase          \"", "\"\n"},
    {&LDAPRule::GroupNameFilter, "      GroupNameFilter          \"", "\"\n"},
    {&LDAPRule::GroupMemberAttrs, "      GroupMemberAttrs          \"", "\"\n"},
    {&LDAPRule::IdleConnTimeout, "      IdleConnTimeout          ", " seconds\n"},
    {&LDAPRule::WaitToRetryConnTime, "      WaitToRetryConnTime      ", " seconds\n"},
    {&LDAPRule::SearchTimeout, "      SearchTimeout            ", " seconds\n"},
    {&LDAPRule::CacheTimeout, "      CacheTimeout             ", " seconds\n"},
};

void WriteLDAPBlock(Chain &chain, const LDAPRule *rule) {
    chain.Append(MakeValuesLine({Text("LDAPInfo "), Value(rule->Name), Text(" {\n")}));
    for (const LDAPLine &body : kLDAPLines) {
        const char *value = rule->*body.field;
        // Empty fields are left out like absent ones.
        if (!value || !*value) continue;
        chain.Append(MakeValuesLine({Text(body.head), Value(value), Text(body.tail)}));
    }
    chain.Append(MakeValuesLine({Text("}\n")}));
}

// Every line is written; an absent field leaves its place empty.
void WriteMemberBlock(Chain &chain, const MemberRule *rule) {
    chain.Append(MakeValuesLine({Text("Member "), Value(rule->Name), Text(" {\n")}));
    chain.Append(MakeValuesLine({Text("     RCAAddr "), Value(rule->RCAAddr), Text("\n")}));
    chain.Append(MakeValuesLine({Text("     RCAPort "), Value(rule->RCAPort), Text("\n")}));
    chain.Append(MakeValuesLine({Text("     CacheSize "), Value(rule->CacheSize), Text(" "),
                                 Value(rule->CacheSizeSuffix), Text("\n")}));
    chain.Append(MakeValuesLine({Text("     CacheRoot "), Value(rule->CacheRoot), Text("\n")}));
    chain.Append(
        MakeValuesLine({Text("     Timeout "), Value(rule->Timeout), Text(" milliseconds\n")}));
    chain.Append(
        MakeValuesLine({Text("     BindSpecific "), Value(rule->BindSpecific), Text("\n")}));
    chain.Append(MakeValuesLine({Text("     ReuseAddr "), Value(rule->ReuseAddr), Text("\n")}));
    chain.Append(MakeValuesLine({Text("}\n")}));
}

// Builds the block first, so that a failure leaves the document unchanged
// (answered with 0), then places it.
template <class Write>
int32_t PutBlock(ConfigDocument *doc, const char *word, const char *name, int32_t mode,
                 Write write) {
    return confkit::NoThrow<int32_t>(0, [&]() -> int32_t {
        if (!doc) return 1;
        Chain chain;
        write(chain);
        const Place place = BlockPlace(doc, word, name, mode);
        confkit::blocks::PutChain(doc, place, chain.Release());
        return 1;
    });
}

} // namespace

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutLDAPRule(ConfigDocument *doc,
                                                             const LDAPRule *rule, const char *name,
                                                             int32_t mode) {
    if (!rule || !rule->Name) return 0;
    return PutBlock(doc, "LDAPInfo", name, mode,
                    [rule](Chain &chain) { WriteLDAPBlock(chain, rule); });
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDPutMemberRule(ConfigDocument *doc,
                                                               const MemberRule *rule,
                                                               const char *name, int32_t mode) {
    if (!rule || !rule->Name) return 0;
    return PutBlock(doc, "Member", name, mode,
                    [rule](Chain &chain) { WriteMemberBlock(chain, rule); });
}
