// admin.cgi: the proxy's administration page as a CGI program. The web server
// names the configuration file in CONFKIT_ADMIN_CONFIG and an access-control
// list to show in CONFKIT_ADMIN_ACL (see lighttpd.conf); serve.h says what
// each request does.
#include "http.h"
#include "serve.h"

#include "confkit.hpp"

#include <cstdio>

int main() {
    const admin::RequestInfo request = admin::RequestFromEnvironment();
    const std::string back = admin::SelfAddress(request);
    admin::Response response;
    try {
        response = admin::Serve(request, admin::SiteFromEnvironment(), stdin);
    } catch (const admin::HttpError &e) {
        response = admin::ErrorResponse(e.status(), e.what(), back);
    } catch (const confkit::Error &) {
        response =
            admin::ErrorResponse(500, "the configuration file cannot be read or written", back);
    } catch (const std::exception &) {
        response = admin::ErrorResponse(500, "the request could not be completed", back);
    }
    admin::PrintResponse(stdout, response, request.method == "HEAD");
    return 0;
}
