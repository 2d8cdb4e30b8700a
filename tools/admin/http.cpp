#include "http.h"

#include "form.h"
#include "page.h"

#include "common/text.h"

#include <cstdlib>

namespace admin {
namespace {

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

const char *ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 303:
        return "See Other";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 503:
        return "Service Unavailable";
    default:
        return "Internal Server Error";
    }
}

// The media type of a Content-Type value, without parameters, in lower case.
std::string MediaType(const std::string &contentType) {
    std::string type = contentType.substr(0, contentType.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t'))
        type.pop_back();
    return ascii::ToLower(type);
}

} // namespace

void BadRequest(const std::string &message) {
    throw HttpError(400, message);
}

RequestInfo RequestFromEnvironment() {
    RequestInfo r;
    r.method = Environment("REQUEST_METHOD");
    r.query = Environment("QUERY_STRING");
    r.contentType = Environment("CONTENT_TYPE");
    r.contentLength = Environment("CONTENT_LENGTH");
    r.scriptName = Environment("SCRIPT_NAME");
    r.host = Environment("HTTP_HOST");
    r.https = ascii::EqualNoCase(Environment("HTTPS"), "on");
    r.origin = Environment("HTTP_ORIGIN");
    r.fetchSite = Environment("HTTP_SEC_FETCH_SITE");
    r.cookie = Environment("HTTP_COOKIE");
    r.remoteUser = Environment("REMOTE_USER");
    r.remoteAddr = Environment("REMOTE_ADDR");
    return r;
}

std::string ReadFormBody(const RequestInfo &request, std::FILE *in) {
    if (MediaType(request.contentType) != "application/x-www-form-urlencoded")
        throw HttpError(415, "only URL-encoded forms are accepted");
    const std::string &length = request.contentLength;
    if (length.empty() || length.size() > 9 ||
        length.find_first_not_of("0123456789") != std::string::npos)
        BadRequest("the request has no valid content length");
    const std::size_t size = std::stoul(length);
    if (size > kMaxFormBytes) throw HttpError(413, "the form is too large");
    std::string body(size, '\0');
    if (size > 0 && std::fread(body.data(), 1, size, in) != size)
        BadRequest("the request body is shorter than its content length");
    return body;
}

std::string SelfAddress(const RequestInfo &request) {
    const std::string &name = request.scriptName;
    if (name.empty() || name[0] != '/') return "";
    for (char c : name)
        if (!ascii::IsLetter(c) && !ascii::IsDigit(c) &&
            std::string("/._-~").find(c) == std::string::npos)
            return "";
    return name;
}

const std::vector<std::string> &SecurityHeaders() {
    static const std::string policy =
        "default-src 'none'; style-src 'self'; script-src 'self'; img-src 'self'; "
        "form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
    static const std::vector<std::string> headers = {
        "Content-Security-Policy: " + policy,
        "X-Content-Type-Options: nosniff",
        "Referrer-Policy: no-referrer",
        "Cache-Control: no-store",
        "X-Frame-Options: DENY",
    };
    return headers;
}

void PrintResponse(std::FILE *out, const Response &response, bool headOnly) {
    if (response.status != 200)
        std::fprintf(out, "Status: %d %s\r\n", response.status, ReasonPhrase(response.status));
    if (!response.body.empty()) std::fputs("Content-Type: text/html; charset=utf-8\r\n", out);
    for (const std::vector<std::string> *list : {&response.headers, &SecurityHeaders()})
        for (const std::string &header : *list)
            std::fprintf(out, "%s\r\n", header.c_str());
    std::fputs("\r\n", out);
    if (!headOnly) std::fwrite(response.body.data(), 1, response.body.size(), out);
    std::fflush(out);
}

Response ErrorResponse(int status, const std::string &message, const std::string &back) {
    Response r;
    r.status = status;
    if (status == 405) r.headers.emplace_back("Allow: GET, HEAD, POST");
    const std::string title = std::to_string(status) + " " + ReasonPhrase(status);
    r.body = page::ErrorPage(title, message, back);
    return r;
}

} // namespace admin
