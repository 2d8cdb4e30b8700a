#include "guard.h"

#include "common/text.h"

#include <cstdint>
#include <stdexcept>
#include <sys/random.h>

namespace admin {
namespace {

constexpr std::size_t kKeyBytes = 16;

std::string RandomBytes(std::size_t n) {
    std::string bytes(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = getrandom(bytes.data() + got, n - got, 0);
        if (r <= 0) throw std::runtime_error("no random bytes");
        got += static_cast<std::size_t>(r);
    }
    return bytes;
}

std::string Hex(const std::string &bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of lower-case hexadecimal text of exactly n bytes, or nothing.
std::optional<std::string> Unhex(const std::string &hex, std::size_t n) {
    if (hex.size() != 2 * n) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return bytes;
}

[[noreturn]] void Forbidden(const std::string &message) {
    throw HttpError(403, message);
}

} // namespace

std::optional<std::string> KeyFromCookie(const std::string &cookieHeader) {
    const std::string name = std::string(kKeyCookie) + "=";
    std::size_t at = 0;
    while (at < cookieHeader.size()) {
        while (at < cookieHeader.size() && (cookieHeader[at] == ' ' || cookieHeader[at] == ';'))
            ++at;
        std::size_t end = cookieHeader.find(';', at);
        if (end == std::string::npos) end = cookieHeader.size();
        if (cookieHeader.compare(at, name.size(), name) == 0) {
            std::string value = cookieHeader.substr(at + name.size(), end - at - name.size());
            if (Unhex(value, kKeyBytes)) return value;
        }
        at = end;
    }
    return std::nullopt;
}

std::string NewKey() {
    return Hex(RandomBytes(kKeyBytes));
}

std::string KeyCookieHeader(const std::string &key) {
    return std::string("Set-Cookie: ") + kKeyCookie + "=" + key +
           "; Path=/; HttpOnly; SameSite=Strict";
}

std::string TokenFor(const std::string &key) {
    const std::string keyBytes = *Unhex(key, kKeyBytes);
    std::string mask = RandomBytes(kKeyBytes), masked = keyBytes;
    for (std::size_t i = 0; i < kKeyBytes; ++i)
        masked[i] = static_cast<char>(masked[i] ^ mask[i]);
    return Hex(mask + masked);
}

bool TokenMatches(const std::string &key, const std::string &token) {
    const std::optional<std::string> keyBytes = Unhex(key, kKeyBytes);
    const std::optional<std::string> tokenBytes = Unhex(token, 2 * kKeyBytes);
    if (!keyBytes || !tokenBytes) return false;
    unsigned difference = 0; // compared in full whatever differs
    for (std::size_t i = 0; i < kKeyBytes; ++i)
        difference |= static_cast<unsigned char>((*tokenBytes)[i] ^ (*tokenBytes)[kKeyBytes + i] ^
                                                 (*keyBytes)[i]);
    return difference == 0;
}

void CheckSameSite(const RequestInfo &request, const Form &form) {
    if (!request.fetchSite.empty() && request.fetchSite != "same-origin")
        Forbidden("the form was sent from another site");
    // With no referrer sent, a browser names the origin of a form post
    // "null", even for the page's own; Sec-Fetch-Site and the token decide.
    if (!request.origin.empty() && request.origin != "null") {
        const std::string own = (request.https ? "https://" : "http://") + request.host;
        if (request.host.empty() || !ascii::EqualNoCase(request.origin, own))
            Forbidden("the form was sent from another site");
    }
    const std::optional<std::string> key = KeyFromCookie(request.cookie);
    const std::vector<std::string> tokens = form.All(kTokenField);
    if (!key || tokens.size() != 1 || !TokenMatches(*key, tokens.front()))
        Forbidden("the form does not carry this page's token; reload the page and try again");
}

} // namespace admin
