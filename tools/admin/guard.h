// Proof that a post comes from the page itself, not from another site that
// the administrator's browser visits.
//
// The browser keeps a random key in a cookie that only this site gets back
// (HttpOnly, SameSite=Strict). Every page carries its own token: a fresh
// random mask followed by the key under that mask, so tokens differ from page
// to page while any of them proves knowledge of the key. A post must bring
// the cookie and a token that unmasks to it; where the browser says where the
// post comes from (Origin, Sec-Fetch-Site), that must be this site too.
#ifndef ADMIN_GUARD_H
#define ADMIN_GUARD_H

#include "form.h"
#include "http.h"

#include <optional>
#include <string>

namespace admin {

// The form field that carries the page's token, and the cookie of the key.
constexpr const char *kTokenField = "token";
constexpr const char *kKeyCookie = "confkit-admin-key";

// The key the request's cookie holds, when it holds a well-formed one.
std::optional<std::string> KeyFromCookie(const std::string &cookieHeader);

// A new random key (hexadecimal), and the Set-Cookie header that stores it.
std::string NewKey();
std::string KeyCookieHeader(const std::string &key);

// A new token for a page, proving knowledge of key.
std::string TokenFor(const std::string &key);
bool TokenMatches(const std::string &key, const std::string &token);

// Refuses (403) a post that is not shown to come from this site.
void CheckSameSite(const RequestInfo &request, const Form &form);

} // namespace admin

#endif
