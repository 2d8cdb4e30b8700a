// The CGI side of the administration program: the request as the web server
// hands it over, and the responses.
#ifndef ADMIN_HTTP_H
#define ADMIN_HTTP_H

#include <cstdio>
#include <stdexcept>
#include <string>

namespace admin {

// A request that is refused. The message is the program's own text: it never
// carries a value from the request, so it may be shown as it is (it is still
// escaped when printed).
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
};

RequestInfo RequestFromEnvironment();

// The body of a form POST, read from in. Refuses (HttpError) a content type
// other than a URL-encoded form, a missing or malformed length, a body
// larger than a form may be, and a body shorter than its stated length.
std::string ReadFormBody(const RequestInfo &request, std::FILE *in);

// The script's own address, fit to be put in a Location header and in an
// action attribute; empty when the server gave none that is a plain path.
std::string SelfAddress(const RequestInfo &request);

void PrintPageHeaders(std::FILE *out);
void PrintRedirect(std::FILE *out, const std::string &location);
void PrintError(std::FILE *out, int status, const std::string &message);

} // namespace admin

#endif
