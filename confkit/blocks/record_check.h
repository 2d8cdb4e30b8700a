// The checks of Protect, Protection, LDAPInfo and Member records before they
// are written: a record whose written text would not read back as the same
// record is refused. The library's put operations and the programs built on
// it compile in the same checks (header-only; nothing here needs more than
// the public header).
#ifndef CONFKIT_BLOCKS_RECORD_CHECK_H
#define CONFKIT_BLOCKS_RECORD_CHECK_H

#include "common/value_check.h"
#include "confkit.h"

#include <initializer_list>
#include <utility>

namespace valuecheck {

namespace detail {
template <class R>
Verdict CheckFields(const R &record, std::initializer_list<std::pair<const char *, char *R::*>> fields) {
    for (const auto &[name, member] : fields) {
        const char *value = record.*member;
        if (!value) continue;
        std::string_view text(value);
        if (Verdict v = CheckOneLine(name, text, true)) return v;
        if (Verdict v = CheckFits(name, text.size(), 0)) return v;
    }
    return std::nullopt;
}
} // namespace detail

#define CONFKIT_CHECKED(R, f) std::pair<const char *, char *R::*>(#f, &R::f)

inline Verdict CheckProtect(const ProtectRule &r) {
    using R = ProtectRule;
    return detail::CheckFields(
        r, {CONFKIT_CHECKED(R, Directive), CONFKIT_CHECKED(R, Template), CONFKIT_CHECKED(R, SetupName),
            CONFKIT_CHECKED(R, UserID), CONFKIT_CHECKED(R, Address), CONFKIT_CHECKED(R, GroupID),
            CONFKIT_CHECKED(R, ServerID), CONFKIT_CHECKED(R, AuthType), CONFKIT_CHECKED(R, GetMask),
            CONFKIT_CHECKED(R, PutMask), CONFKIT_CHECKED(R, PostMask), CONFKIT_CHECKED(R, Mask),
            CONFKIT_CHECKED(R, ACLOverride), CONFKIT_CHECKED(R, PasswdFile),
            CONFKIT_CHECKED(R, GroupFile), CONFKIT_CHECKED(R, DeleteMask),
            CONFKIT_CHECKED(R, CommonName), CONFKIT_CHECKED(R, IssuerCommonName),
            CONFKIT_CHECKED(R, Country), CONFKIT_CHECKED(R, IssuerCountry),
            CONFKIT_CHECKED(R, Locality), CONFKIT_CHECKED(R, IssuerLocality),
            CONFKIT_CHECKED(R, StateOrProvince), CONFKIT_CHECKED(R, IssuerStateOrProvince),
            CONFKIT_CHECKED(R, Organization), CONFKIT_CHECKED(R, IssuerOrganization),
            CONFKIT_CHECKED(R, OrgUnit), CONFKIT_CHECKED(R, IssuerOrgUnit)});
}

inline Verdict CheckLDAP(const LDAPRule &r) {
    using R = LDAPRule;
    return detail::CheckFields(
        r, {CONFKIT_CHECKED(R, Name), CONFKIT_CHECKED(R, Host), CONFKIT_CHECKED(R, Port),
            CONFKIT_CHECKED(R, Transport), CONFKIT_CHECKED(R, KeyFileName), CONFKIT_CHECKED(R, KeyLabel),
            CONFKIT_CHECKED(R, ClientAuthType), CONFKIT_CHECKED(R, ServerAuthType),
            CONFKIT_CHECKED(R, ServerDN), CONFKIT_CHECKED(R, ServerPasswordStashFile),
            CONFKIT_CHECKED(R, UserSearchBase), CONFKIT_CHECKED(R, UserNameFilter),
            CONFKIT_CHECKED(R, UserNameFieldSep), CONFKIT_CHECKED(R, UserCertFilter),
            CONFKIT_CHECKED(R, GroupSearchBase), CONFKIT_CHECKED(R, GroupNameFilter),
            CONFKIT_CHECKED(R, GroupMemberAttrs), CONFKIT_CHECKED(R, IdleConnTimeout),
            CONFKIT_CHECKED(R, WaitToRetryConnTime), CONFKIT_CHECKED(R, SearchTimeout),
            CONFKIT_CHECKED(R, CacheTimeout)});
}

inline Verdict CheckMember(const MemberRule &r) {
    using R = MemberRule;
    return detail::CheckFields(
        r, {CONFKIT_CHECKED(R, Name), CONFKIT_CHECKED(R, RCAAddr), CONFKIT_CHECKED(R, RCAPort),
            CONFKIT_CHECKED(R, CacheRoot), CONFKIT_CHECKED(R, CacheSize),
            CONFKIT_CHECKED(R, CacheSizeSuffix), CONFKIT_CHECKED(R, Timeout),
            CONFKIT_CHECKED(R, BindSpecific), CONFKIT_CHECKED(R, ReuseAddr)});
}

#undef CONFKIT_CHECKED

} // namespace valuecheck

#endif
