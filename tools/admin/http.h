// The CGI side of the administration program: the request as the web server
// hands it over, and the responses.
#ifndef ADMIN_HTTP_H
#define ADMIN_HTTP_H

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace admin {

// A request that is refused. The message is the program's own text, at most
// naming a field and a character of the request; it is escaped when printed.
class HttpError : public std::runtime_error {
  public:
    HttpError(int status, const std::string &message)
        : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

  private:
    int status_;
};

// 400: the request is malformed or asks for something impossible.
[[noreturn]] void BadRequest(const std::string &message);

// What the server told the program in its environment.
struct RequestInfo {
    std::string method;        // REQUEST_METHOD
    std::string contentType;   // CONTENT_TYPE
    std::string contentLength; // CONTENT_LENGTH
    std::string scriptName;    // SCRIPT_NAME
    std::string host;          // HTTP_HOST
    bool https = false;        // HTTPS is "on"
    std::string origin;        // HTTP_ORIGIN
    std::string fetchSite;     // HTTP_SEC_FETCH_SITE
    std::string cookie;        // HTTP_COOKIE
    std::string remoteUser;    // REMOTE_USER: who the server authenticated
    std::string remoteAddr;    // REMOTE_ADDR
    std::string query;         // QUERY_STRING
};

RequestInfo RequestFromEnvironment();

// The body of a form POST, read from in. Refuses (HttpError) a content type
// other than a URL-encoded form, a missing or malformed length, a body
// larger than a form may be, and a body shorter than its stated length.
std::string ReadFormBody(const RequestInfo &request, std::FILE *in);

// The script's own address, fit to be put in a Location header and in an
// action attribute; empty when the server gave none that is a plain path.
std::string SelfAddress(const RequestInfo &request);

// An answer: status, headers of its own and an HTML body. Every answer also
// carries the security headers (SecurityHeaders).
struct Response {
    int status = 200;
    std::vector<std::string> headers; // "Name: value", without line end
    std::string body;
};

// The headers every answer of the page carries: a Content-Security-Policy
// that lets in only the page's own stylesheet and script, no framing, no
// type sniffing, no referrer, no caching.
const std::vector<std::string> &SecurityHeaders();

// The CGI response: status line (unless 200), headers, empty line, body.
// A HEAD request gets the headers alone.
void PrintResponse(std::FILE *out, const Response &response, bool headOnly = false);

// An error answer whose page shows the message (escaped).
Response ErrorResponse(int status, const std::string &message, const std::string &back = "");

} // namespace admin

#endif
