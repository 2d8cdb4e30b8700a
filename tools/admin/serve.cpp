#include "serve.h"

#include "apply.h"
#include "block_forms.h"
#include "form.h"
#include "guard.h"
#include "history_section.h"
#include "page.h"
#include "preview_page.h"
#include "settings_form.h"
#include "version.h"

#include "common/value_check.h"
#include "config_edit.h"
#include "history_view.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace admin {
namespace {

using configedit::Editing;
using configedit::Reading;

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value ? value : "";
}

// Locks and opens the configuration into slot (a Reading or an Editing) and
// turns what goes wrong into an answer. A missing file is reported, never
// created.
template <class Access, class... Args>
void Open(std::optional<Access> &slot, const std::string &config, Args... args) {
    if (config.empty()) throw HttpError(500, "no configuration file is set for the page");
    try {
        slot.emplace(config, args...);
    } catch (const configlock::LockBusy &) {
        throw HttpError(503, "the configuration file stayed locked by another program; nothing "
                             "was saved. Try again later.");
    } catch (const textcheck::NotText &e) {
        throw HttpError(500, "the configuration file is refused: " + e.why());
    } catch (const configlock::LockError &) {
        struct stat st {};
        if (::stat(config.c_str(), &st) != 0)
            throw HttpError(500, "the configuration file does not exist");
        if (!S_ISREG(st.st_mode))
            throw HttpError(500, "the configuration file is not a regular file");
        throw HttpError(500, "the configuration file cannot be locked for writing");
    } catch (const std::runtime_error &) {
        throw HttpError(500, "the configuration file cannot be read");
    }
}

std::string FileName(const std::string &path) {
    return path.substr(path.find_last_of('/') + 1);
}

// The History section; a history that cannot be read is said so, and the
// rest of the page still shows.
std::string ShownHistory(const Reading &reading, const std::string &bytes,
                         const page::PageOptions &options) {
    try {
        return HistorySection(reading.History(), bytes, options.action, options.formFields);
    } catch (const history::Error &e) {
        return "<p id=\"history-error\" class=\"message error\">The history cannot be read: " +
               page::HtmlEscape(e.what()) + "</p>\n";
    }
}

// The page of one revision, asked for by ?revision=N.
Response ShowRevision(const Site &site, const std::string &action, const std::string &key,
                      const Form &query) {
    const std::size_t n = RevisionNumber(query);
    std::optional<Reading> reading;
    Open(reading, site.config);
    const page::FormFields fields = {
        {kTokenField, TokenFor(key)},
        {kVersionField, VersionOf(preview::ReadFileBytes(site.config))}};
    try {
        Response r;
        r.body = RevisionPage(reading->History(), n, action, fields);
        return r;
    } catch (const history::Error &e) {
        throw HttpError(404, e.what());
    }
}

// The page for the file as it is now, with a message above it.
Response ShowPage(const Site &site, const std::string &action, const std::string &key,
                  const std::string &message) {
    std::optional<Reading> reading;
    Open(reading, site.config);
    const confkit::Document &doc = reading->doc();
    const std::string bytes = preview::ReadFileBytes(site.config);
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> acl(nullptr, std::fclose);
    if (!site.acl.empty()) acl.reset(std::fopen(site.acl.c_str(), "r"));
    page::PageOptions options;
    options.action = action;
    options.aclFile = acl.get();
    options.aclName = FileName(site.acl);
    options.message = message;
    options.formFields = {{kTokenField, TokenFor(key)}, {kVersionField, VersionOf(bytes)}};
    options.forms = {{page::RuleListsHtml}, {page::ProtectFormsHtml}, {page::PicsFormsHtml}};
    const auto history = [&](const page::Drawing &) {
        return ShownHistory(*reading, bytes, options);
    };
    options.more = {{kHistorySectionId, "History", history, {}}};
    Response r;
    r.body = page::RenderAdministrationPage(doc, options);
    return r;
}

// Refuses a form made from another version of the file than bytes: the
// page or the preview it came from showed a file that has changed since.
void CheckVersion(const Form &form, const std::string &bytes) {
    const std::vector<std::string> versions = form.All(kVersionField);
    if (versions.size() != 1)
        BadRequest("the form does not say which version of the file it shows");
    if (versions.front() != VersionOf(bytes))
        throw HttpError(409, "the configuration file changed since this form was shown; nothing "
                             "was saved. Reload the page and make the change again.");
}

// What a post of a form does, said in words for the message after a save.
std::string WhatWasSaved(const preview::Change &change, const std::string &name) {
    const history::LineCounts n = history::CountDiffLines(change.readable);
    std::string message = "Saved " + name + ": " + std::to_string(n.removed) +
                          " line(s) removed and " + std::to_string(n.added) + " added.";
    if (change.loses())
        message += " As accepted, writing the file lost " + preview::LossSummary(change) + ".";
    const std::size_t shown = std::min<std::size_t>(change.incidental.size(), 3);
    for (std::size_t i = 0; i < shown; ++i)
        message += (i == 0 ? " Writing the file also changed: " : "; ") + change.incidental[i];
    if (change.incidental.size() > shown)
        message += "; and " + std::to_string(change.incidental.size() - shown) + " more";
    return message + (shown ? "." : "");
}

// The submitted form again, for the preview's Apply: everything but the
// token (the preview has its own), the step, and the acceptance of a loss
// and the reason, which only the preview's own fields give.
page::FormFields Resubmitted(const Form &form, const std::string &key) {
    page::FormFields fields = {{kTokenField, TokenFor(key)}};
    for (const auto &[name, value] : form.Fields())
        if (name != kTokenField && name != kStepField && name != kAcceptLossField &&
            name != kReasonField)
            fields.emplace_back(name, value);
    return fields;
}

// Refuses a save that would lose text the form does not change, unless the
// preview's check box accepted the loss.
void CheckLoss(const Form &form, const preview::Change &change) {
    if (!change.loses() || form.All(kAcceptLossField) == std::vector<std::string>{kAcceptLossValue})
        return;
    throw HttpError(409, "writing the file back would also lose " + preview::LossSummary(change) +
                             ", which this form does not change; nothing was saved. Tick the "
                             "box on the preview to accept the loss.");
}

// The change a form asks for: a restore makes the file a revision's exact
// bytes again; every other form edits the document.
preview::Change ChangeOf(Editing &edit, const Form &form) {
    const std::optional<std::size_t> n = RestoredRevision(form);
    if (!n) {
        ApplyForm(edit.doc(), form);
        return edit.Preview();
    }
    try {
        return edit.PreviewBytes(edit.History().Revision(*n));
    } catch (const history::Error &e) {
        throw HttpError(404, std::string(e.what()) + "; nothing was saved");
    }
}

// The reason given on the preview, refused when it holds a line feed or a
// control byte, or is longer than the field.
std::string ReasonOf(const Form &form) {
    const std::vector<std::string> reasons = form.All(kReasonField);
    if (reasons.size() > 1) BadRequest("the form gives more than one reason");
    std::string reason = reasons.empty() ? "" : reasons.front();
    if (const valuecheck::Verdict refusal = valuecheck::CheckPlainText("Reason", reason))
        BadRequest(refusal->Message());
    if (reason.size() > kReasonChars)
        BadRequest("Reason: is longer than " + std::to_string(kReasonChars) + " characters");
    return reason;
}

Response PreviewPost(const Form &form, const Site &site, const std::string &action,
                     const std::string &key) {
    std::optional<Editing> edit;
    Open(edit, site.config, true);
    CheckVersion(form, edit->bytes());
    Response r;
    r.body =
        RenderPreviewPage({site.config, action, Resubmitted(form, key), ChangeOf(*edit, form)});
    return r;
}

// What the history records of a save through the page: the user the server
// authenticated, and the client's address.
history::Save About(const RequestInfo &request, const Form &form, const preview::Change &change) {
    const history::LineCounts lines = history::CountDiffLines(change.readable);
    std::string who = request.remoteUser.empty() ? "unknown" : request.remoteUser;
    if (!request.remoteAddr.empty()) who += " from " + request.remoteAddr;
    return {who, "administration page", Summary(form), ReasonOf(form), lines.added, lines.removed};
}

// Applies the form and saves; returns the message that says what happened.
std::string ApplyAndSave(const RequestInfo &request, const Form &form, const Site &site,
                         const Hooks &hooks) {
    std::optional<Editing> edit;
    Open(edit, site.config, false);
    CheckVersion(form, edit->bytes());
    const preview::Change change = ChangeOf(*edit, form);
    const history::Save about = About(request, form, change);
    const std::string name = FileName(site.config);
    if (!change.changed()) return "Nothing was saved: the form changes nothing in " + name + ".";
    CheckLoss(form, change);
    if (hooks.beforeWrite) hooks.beforeWrite();
    try {
        edit->Save(change, about);
    } catch (const configedit::FolderNotWritable &) {
        throw HttpError(500, "the folder of the configuration file cannot be written, and a save "
                             "there could not survive a crash; nothing was saved");
    } catch (const configedit::LostRace &) {
        throw HttpError(409, "the configuration file was changed by another program while this "
                             "change was being saved; nothing was saved. Reload the page and "
                             "make the change again.");
    } catch (const history::Error &e) {
        throw HttpError(500, std::string("the save cannot be recorded in the configuration's "
                                         "history, so nothing was saved: ") +
                                 e.what());
    } catch (const confkit::Error &) {
        throw HttpError(500, "the configuration file cannot be written; nothing was saved");
    }
    const std::optional<std::size_t> restored = RestoredRevision(form);
    return (restored ? "Restored revision " + std::to_string(*restored) + ". " : std::string()) +
           WhatWasSaved(change, name);
}

Response Post(const RequestInfo &request, const Site &site, std::FILE *in, const Hooks &hooks) {
    std::string error;
    const std::optional<Form> form = DecodeForm(ReadFormBody(request, in), error);
    if (!form) BadRequest(error);
    CheckSameSite(request, *form);
    const std::string key = *KeyFromCookie(request.cookie);
    const std::string action = SelfAddress(request);
    const std::vector<std::string> steps = form->All(kStepField);
    if (steps.size() > 1) BadRequest("the form says more than once what to do");
    if (steps.empty() || steps.front() != kApplyStep) {
        if (!steps.empty() && steps.front() != "preview")
            BadRequest("the form names an unknown step");
        return PreviewPost(*form, site, action, key);
    }
    const std::string message = ApplyAndSave(request, *form, site, hooks); // releases the lock
    return ShowPage(site, action, key, message);
}

} // namespace

Site SiteFromEnvironment() {
    return {Environment("CONFKIT_ADMIN_CONFIG"), Environment("CONFKIT_ADMIN_ACL")};
}

Response Serve(const RequestInfo &request, const Site &site, std::FILE *body, const Hooks &hooks) {
    if (request.method == "POST") return Post(request, site, body, hooks);
    if (request.method != "GET" && request.method != "HEAD")
        throw HttpError(405, "the page accepts GET and POST requests only");
    std::optional<std::string> key = KeyFromCookie(request.cookie);
    const bool newKey = !key;
    if (newKey) key = NewKey();
    Response r;
    if (request.query.empty()) {
        r = ShowPage(site, SelfAddress(request), *key, "");
    } else {
        std::string error;
        const std::optional<Form> query = DecodeForm(request.query, error);
        if (!query) BadRequest(error);
        r = ShowRevision(site, SelfAddress(request), *key, *query);
    }
    if (newKey) r.headers.push_back(KeyCookieHeader(*key));
    return r;
}

} // namespace admin
