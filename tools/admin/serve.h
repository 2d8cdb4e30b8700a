// One request of the administration page, from the request to the answer.
//
// GET (and HEAD) shows the page for the configuration file. POST checks that
// the form comes from the page (guard.h) and from the file as it is now
// (version.h), then applies the form and answers with the page and a message
// that says what was saved. Readers and writers of the file take turns
// through the lock that every tool of ours shares (config_lock.h).
#ifndef ADMIN_SERVE_H
#define ADMIN_SERVE_H

#include "http.h"

#include <cstdio>
#include <functional>
#include <string>

namespace admin {

// What the web server set up: the configuration file (CONFKIT_ADMIN_CONFIG)
// and the access-control list shown with it (CONFKIT_ADMIN_ACL, optional).
struct Site {
    std::string config;
    std::string acl;
};
Site SiteFromEnvironment();

// A place to step in, for tests: called after the form was applied in
// memory and right before the file is written.
struct Hooks {
    std::function<void()> beforeWrite;
};

// The answer to one request; body is the request body's stream.
Response Serve(const RequestInfo &request, const Site &site, std::FILE *body,
               const Hooks &hooks = {});

} // namespace admin

#endif
