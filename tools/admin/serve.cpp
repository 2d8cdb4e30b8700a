#include "serve.h"

#include "apply.h"
#include "edit_forms.h"
#include "form.h"
#include "guard.h"
#include "page.h"
#include "version.h"

#include "config_lock.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace admin {
namespace {

using configlock::ConfigLock;
using configlock::Mode;

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Takes the shared lock for mode; a missing file is reported, not created.
void Lock(std::optional<ConfigLock> &lock, const std::string &config, Mode mode) {
    if (config.empty()) throw HttpError(500, "no configuration file is set for the page");
    try {
        lock.emplace(config, mode);
    } catch (const configlock::LockError &) {
        struct stat st {};
        if (::stat(config.c_str(), &st) != 0)
            throw HttpError(500, "the configuration file does not exist");
        throw HttpError(500, "the configuration file cannot be locked for writing");
    }
}

std::string ReadBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HttpError(500, "the configuration file cannot be read");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string FileName(const std::string &path) {
    return path.substr(path.find_last_of('/') + 1);
}

// The page for the file as it is now, with a message above it.
Response ShowPage(const Site &site, const std::string &action, const std::string &key,
                  const std::string &message) {
    std::optional<ConfigLock> lock;
    Lock(lock, site.config, Mode::Read);
    const std::string bytes = ReadBytes(site.config);
    const confkit::Document doc = confkit::Document::Open(site.config);
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> acl(nullptr, std::fclose);
    if (!site.acl.empty()) acl.reset(std::fopen(site.acl.c_str(), "r"));
    page::PageOptions options;
    options.action = action;
    options.aclFile = acl.get();
    options.aclName = FileName(site.acl);
    options.message = message;
    options.formFields = {{kTokenField, TokenFor(key)}, {kVersionField, VersionOf(bytes)}};
    options.extra = [&](const std::string &section, const page::ShownDocument &) {
        return EditForms(section, doc, action, options.formFields);
    };
    Response r;
    r.body = page::RenderAdministrationPage(doc, options);
    return r;
}

// Refuses a form made from another version of the file than bytes.
void CheckVersion(const Form &form, const std::string &bytes) {
    const std::vector<std::string> versions = form.All(kVersionField);
    if (versions.size() != 1) BadRequest("the form does not say which version of the file it shows");
    if (versions.front() != VersionOf(bytes))
        throw HttpError(409, "the configuration file changed since this form was shown; nothing "
                             "was saved. Reload the page and make the change again.");
}

// Writes the edited document; a file that changed on disk since it was read
// (a program outside the lock protocol) is not overwritten.
void Save(confkit::Document &doc, const std::string &config, const std::string &bytes) {
    try {
        doc.Close(true);
    } catch (const confkit::Error &) {
        if (ReadBytes(config) != bytes)
            throw HttpError(409, "the configuration file was changed by another program while "
                                 "this change was being saved; nothing was saved. Reload the "
                                 "page and make the change again.");
        throw HttpError(500, "the configuration file cannot be written; nothing was saved");
    }
}

Response ApplyPost(const RequestInfo &request, const Site &site, std::FILE *in,
                   const Hooks &hooks) {
    std::string error;
    const std::optional<Form> form = DecodeForm(ReadFormBody(request, in), error);
    if (!form) BadRequest(error);
    CheckSameSite(request, *form);
    {
        std::optional<ConfigLock> lock;
        Lock(lock, site.config, Mode::Write);
        const std::string bytes = ReadBytes(site.config);
        CheckVersion(*form, bytes);
        confkit::Document doc = confkit::Document::Open(site.config);
        ApplyForm(doc, *form);
        if (hooks.beforeWrite) hooks.beforeWrite();
        Save(doc, site.config, bytes);
    }
    return ShowPage(site, SelfAddress(request), *KeyFromCookie(request.cookie),
                    "Saved the change to " + FileName(site.config) + ".");
}

} // namespace

Site SiteFromEnvironment() {
    return {Environment("CONFKIT_ADMIN_CONFIG"), Environment("CONFKIT_ADMIN_ACL")};
}

Response Serve(const RequestInfo &request, const Site &site, std::FILE *body,
               const Hooks &hooks) {
    if (request.method == "POST") return ApplyPost(request, site, body, hooks);
    if (request.method != "GET" && request.method != "HEAD")
        throw HttpError(405, "the page accepts GET and POST requests only");
    std::optional<std::string> key = KeyFromCookie(request.cookie);
    const bool newKey = !key;
    if (newKey) key = NewKey();
    Response r = ShowPage(site, SelfAddress(request), *key, "");
    if (newKey) r.headers.push_back(KeyCookieHeader(*key));
    return r;
}

} // namespace admin
