// admin.cgi: the proxy's administration page as a CGI program.
//
// GET (and HEAD) shows the page for the configuration file named by the
// environment variable CONFKIT_ADMIN_CONFIG, with the rows of the access-
// control list named by CONFKIT_ADMIN_ACL when it is set. POST applies one
// submitted form to the file and answers with a redirect to the page. The
// web server sets both variables (see lighttpd.conf).
#include "apply.h"
#include "edit_forms.h"
#include "form.h"
#include "http.h"
#include "page.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

namespace {

using admin::HttpError;

std::string Setting(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Requests are served one at a time per file: readers share a lock, a
// writer holds it alone while it reads, edits and writes the file.
class FileLock {
  public:
    FileLock(const std::string &config, bool exclusive) {
        fd_ = ::open((config + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0 || ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0)
            throw HttpError(500, "the configuration file cannot be locked");
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

  private:
    int fd_ = -1;
};

// Opening creates a missing file; the program edits only an existing one.
confkit::Document OpenConfig(const std::string &path, bool forWriting) {
    if (path.empty() || ::access(path.c_str(), forWriting ? (R_OK | W_OK) : R_OK) != 0)
        throw HttpError(500, "the configuration file is missing or not accessible");
    return confkit::Document::Open(path);
}

void ShowPage(const std::string &config, const std::string &action) {
    FileLock lock(config, false);
    confkit::Document doc = OpenConfig(config, false);
    const std::string aclPath = Setting("CONFKIT_ADMIN_ACL");
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> acl(nullptr, std::fclose);
    if (!aclPath.empty()) acl.reset(std::fopen(aclPath.c_str(), "r"));
    page::PageOptions options;
    options.action = action;
    options.aclFile = acl.get();
    options.aclName = aclPath.substr(aclPath.find_last_of('/') + 1);
    options.extraSections = [&doc, &action] { admin::PrintEditForms(stdout, doc, action); };
    admin::PrintPageHeaders(stdout);
    page::PrintAdministrationPage(doc, options);
}

void ApplyPost(const std::string &config, const admin::RequestInfo &request,
               const std::string &action) {
    const std::string body = admin::ReadFormBody(request, stdin);
    std::string error;
    const std::optional<admin::Form> form = admin::DecodeForm(body, error);
    if (!form) admin::BadRequest(error);
    FileLock lock(config, true);
    confkit::Document doc = OpenConfig(config, true);
    admin::ApplyForm(doc, *form);
    doc.Close(true);
    admin::PrintRedirect(stdout, action);
}

int Serve() {
    const admin::RequestInfo request = admin::RequestFromEnvironment();
    const std::string config = Setting("CONFKIT_ADMIN_CONFIG");
    const std::string action = admin::SelfAddress(request);
    if (request.method == "GET" || request.method == "HEAD")
        ShowPage(config, action);
    else if (request.method == "POST")
        ApplyPost(config, request, action);
    else
        throw HttpError(405, "the page accepts GET and POST requests only");
    return 0;
}

} // namespace

int main() {
    try {
        return Serve();
    } catch (const HttpError &e) {
        admin::PrintError(stdout, e.status(), e.what());
    } catch (const confkit::Error &) {
        admin::PrintError(stdout, 500, "the configuration file cannot be read or written");
    } catch (const std::exception &) {
        admin::PrintError(stdout, 500, "the request could not be completed");
    }
    std::fflush(stdout);
    return 0;
}
