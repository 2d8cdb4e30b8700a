/*
 * confkit_records.hpp: the fields of the records that the block operations of
 * confkit.h exchange, one table per record kind, in record order, and where
 * each field stands in the block the library writes. The library's readers
 * and writers and the C++ interface confkit.hpp all use these tables.
 * Header-only C++17; installed beside confkit.h.
 */
#ifndef CONFKIT_RECORDS_HPP
#define CONFKIT_RECORDS_HPP

#include "confkit.h"

#include <array>
#include <cstddef>

namespace confkit {

// How a field's value stands in a written block.
enum class FieldForm : unsigned char {
    Header,      // a word of the entry's header line, not a body line of its own
    Plain,       // "keyword value"
    Quoted,      // "keyword "value"": always between double quotes
    Certificate, // "keyword value", between double quotes where the value needs them
    Flag,        // "keyword word", written when the value holds a "1"; read as "1"
    Unit,        // "keyword value word": a number and its unit word
    Joined,      // after the value of the field before it, on that field's line
    Other,       // a record whose block has a layout of its own (PICS rules)
};

template <class R> struct Field {
    const char *name; // the member's name; for a body field also its keyword
    char *R::*member;
    FieldForm form;
    int column;       // where the value (or its opening quote) begins; 1 is the first
    int line;         // the place of its body line in a written block, from 1
    const char *word; // Unit: the word after the value; Flag: the word after the keyword
};

// The fields of each record kind, in record order.
template <class R> struct RecordFields;

namespace fields {

template <class R> constexpr Field<R> Header(const char *name, char *R::*member) {
    return {name, member, FieldForm::Header, 0, 0, nullptr};
}
template <class R>
constexpr Field<R> Body(const char *name, char *R::*member, FieldForm form, int column, int line,
                        const char *word = nullptr) {
    return {name, member, form, column, line, word};
}
// A table of a record kind names every field of the record once.
template <class R, std::size_t N> constexpr bool Complete(const std::array<Field<R>, N> &list) {
    if (N != sizeof(R) / sizeof(char *)) return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (!list[i].name || !list[i].member) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (list[j].member == list[i].member) return false;
    }
    return true;
}

using F = FieldForm;
using P = ProtectRule;
using L = LDAPRule;
using M = MemberRule;

// Body lines begin with six spaces. Plain values begin in column 20; a
// certificate field's keyword is followed by three spaces. Body lines are
// written in the order of `line`.
inline constexpr std::array<Field<P>, 29> kProtect{{
    Header("Directive", &P::Directive),
    Header("Template", &P::Template),
    Header("SetupName", &P::SetupName),
    Body("UserID", &P::UserID, F::Plain, 20, 25),
    Header("Address", &P::Address),
    Body("GroupID", &P::GroupID, F::Plain, 20, 24),
    Body("ServerID", &P::ServerID, F::Plain, 20, 23),
    Body("AuthType", &P::AuthType, F::Plain, 20, 22),
    Body("GetMask", &P::GetMask, F::Plain, 20, 21),
    Body("PutMask", &P::PutMask, F::Plain, 20, 20),
    Body("PostMask", &P::PostMask, F::Plain, 20, 19),
    Body("Mask", &P::Mask, F::Plain, 20, 17),
    Body("ACLOverride", &P::ACLOverride, F::Plain, 20, 16),
    Body("PasswdFile", &P::PasswdFile, F::Plain, 20, 15),
    Body("GroupFile", &P::GroupFile, F::Plain, 20, 14),
    Body("DeleteMask", &P::DeleteMask, F::Plain, 20, 18),
    Body("SSL_ClientAuth", &P::SSL_ClientAuth, F::Flag, 23, 13, "client"),
    Body("CommonName", &P::CommonName, F::Certificate, 20, 12),
    Body("IssuerCommonName", &P::IssuerCommonName, F::Certificate, 26, 11),
    Body("Country", &P::Country, F::Certificate, 17, 10),
    Body("IssuerCountry", &P::IssuerCountry, F::Certificate, 23, 9),
    Body("Locality", &P::Locality, F::Certificate, 18, 8),
    Body("IssuerLocality", &P::IssuerLocality, F::Certificate, 24, 7),
    Body("StateOrProvince", &P::StateOrProvince, F::Certificate, 25, 6),
    Body("IssuerStateOrProvince", &P::IssuerStateOrProvince, F::Certificate, 31, 5),
    Body("Organization", &P::Organization, F::Certificate, 22, 4),
    Body("IssuerOrganization", &P::IssuerOrganization, F::Certificate, 28, 3),
    Body("OrgUnit", &P::OrgUnit, F::Certificate, 17, 2),
    Body("IssuerOrgUnit", &P::IssuerOrgUnit, F::Certificate, 23, 1),
}};

// Body lines begin with six spaces and are written in record order; most
// values begin in column 32.
inline constexpr std::array<Field<L>, 21> kLDAP{{
    Header("Name", &L::Name),
    Body("Host", &L::Host, F::Plain, 32, 1),
    Body("Port", &L::Port, F::Plain, 32, 2),
    Body("Transport", &L::Transport, F::Plain, 32, 3),
    Body("KeyFileName", &L::KeyFileName, F::Plain, 32, 4),
    Body("KeyLabel", &L::KeyLabel, F::Quoted, 29, 5),
    Body("ClientAuthType", &L::ClientAuthType, F::Plain, 32, 6),
    Body("ServerAuthType", &L::ServerAuthType, F::Plain, 32, 7),
    Body("ServerDN", &L::ServerDN, F::Quoted, 32, 8),
    Body("ServerPasswordStashFile", &L::ServerPasswordStashFile, F::Plain, 32, 9),
    Body("UserSearchBase", &L::UserSearchBase, F::Quoted, 32, 10),
    Body("UserNameFilter", &L::UserNameFilter, F::Quoted, 32, 11),
    Body("UserNameFieldSep", &L::UserNameFieldSep, F::Quoted, 34, 12),
    Body("UserCertFilter", &L::UserCertFilter, F::Quoted, 32, 13),
    Body("GroupSearchBase", &L::GroupSearchBase, F::Quoted, 32, 14),
    Body("GroupNameFilter", &L::GroupNameFilter, F::Quoted, 32, 15),
    Body("GroupMemberAttrs", &L::GroupMemberAttrs, F::Quoted, 33, 16),
    Body("IdleConnTimeout", &L::IdleConnTimeout, F::Unit, 32, 17, "seconds"),
    Body("WaitToRetryConnTime", &L::WaitToRetryConnTime, F::Unit, 32, 18, "seconds"),
    Body("SearchTimeout", &L::SearchTimeout, F::Unit, 32, 19, "seconds"),
    Body("CacheTimeout", &L::CacheTimeout, F::Unit, 32, 20, "seconds"),
}};

// Body lines begin with five spaces, the keyword and one space; every line is
// written. The cache size and its suffix share a line.
inline constexpr std::array<Field<M>, 9> kMember{{
    Header("Name", &M::Name),
    Body("RCAAddr", &M::RCAAddr, F::Plain, 14, 1),
    Body("RCAPort", &M::RCAPort, F::Plain, 14, 2),
    Body("CacheRoot", &M::CacheRoot, F::Plain, 16, 4),
    Body("CacheSize", &M::CacheSize, F::Plain, 16, 3),
    Body("CacheSizeSuffix", &M::CacheSizeSuffix, F::Joined, 0, 3),
    Body("Timeout", &M::Timeout, F::Unit, 14, 5, "milliseconds"),
    Body("BindSpecific", &M::BindSpecific, F::Plain, 19, 6),
    Body("ReuseAddr", &M::ReuseAddr, F::Plain, 16, 7),
}};

inline constexpr std::array<Field<PicsFilterRule>, 5> kPics{{
    {"RuleName", &PicsFilterRule::RuleName, F::Other, 0, 0, nullptr},
    {"Description", &PicsFilterRule::Description, F::Other, 0, 0, nullptr},
    {"ActiveDays", &PicsFilterRule::ActiveDays, F::Other, 0, 0, nullptr},
    {"StartTime", &PicsFilterRule::StartTime, F::Other, 0, 0, nullptr},
    {"EndTime", &PicsFilterRule::EndTime, F::Other, 0, 0, nullptr},
}};

static_assert(Complete(kProtect) && Complete(kLDAP) && Complete(kMember) && Complete(kPics),
              "a record table names every field of its record");

} // namespace fields

template <> struct RecordFields<ProtectRule> {
    static constexpr const auto &List() { return fields::kProtect; }
    static constexpr int kIndent = 6; // spaces before a body line's keyword
};
template <> struct RecordFields<LDAPRule> {
    static constexpr const auto &List() { return fields::kLDAP; }
    static constexpr int kIndent = 6;
};
template <> struct RecordFields<MemberRule> {
    static constexpr const auto &List() { return fields::kMember; }
    static constexpr int kIndent = 5;
};
template <> struct RecordFields<PicsFilterRule> {
    static constexpr const auto &List() { return fields::kPics; }
};

} // namespace confkit

#endif /* CONFKIT_RECORDS_HPP */
