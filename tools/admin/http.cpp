#include "http.h"

#include "form.h"
#include "page.h"

#include "common/text.h"

#include <cstdlib>
#include <vector>

namespace admin {
namespace {

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

const char *ReasonPhrase(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 405:
        return "Method Not Allowed";
    case 409:
        return "Conflict";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
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
    return {Environment("REQUEST_METHOD"), Environment("CONTENT_TYPE"),
            Environment("CONTENT_LENGTH"), Environment("SCRIPT_NAME")};
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

void PrintPageHeaders(std::FILE *out) {
    std::fputs("Content-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\n\r\n", out);
}

void PrintRedirect(std::FILE *out, const std::string &location) {
    std::fprintf(out, "Status: 303 See Other\r\nLocation: %s\r\n\r\n",
                 location.empty() ? "/" : location.c_str());
}

void PrintError(std::FILE *out, int status, const std::string &message) {
    const std::string reason = ReasonPhrase(status);
    std::fprintf(out, "Status: %d %s\r\nContent-Type: text/html; charset=utf-8\r\n", status,
                 reason.c_str());
    if (status == 405) std::fputs("Allow: GET, HEAD, POST\r\n", out);
    std::fprintf(out,
                 "\r\n<!DOCTYPE html>\n<html lang=\"en\">\n<head><meta charset=\"utf-8\">"
                 "<title>%d %s</title></head>\n<body>\n<h1>%d %s</h1>\n<p id=\"error\">%s</p>\n"
                 "</body>\n</html>\n",
                 status, reason.c_str(), status, reason.c_str(), page::HtmlEscape(message).c_str());
}

} // namespace admin
