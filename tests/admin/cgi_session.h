// Runs the CGI program as the web server does, and keeps what a browser
// keeps between requests: the key cookie, and the token and version of the
// last page shown.
#ifndef ADMIN_TESTS_CGI_SESSION_H
#define ADMIN_TESTS_CGI_SESSION_H

#include "test_support.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace admintest {

inline std::string Match(const std::string &text, const std::string &pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : "";
}

inline bool StartsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

class CgiSession {
  public:
    // folder: where the request body and the answer are kept.
    CgiSession(std::string folder, std::string config)
        : folder_(std::move(folder)), config_(std::move(config)) {}

    // Runs the program with more environment (shell words) and a body;
    // prefix goes before the command (another user, say). Returns its output.
    std::string Run(const std::string &environment, const std::string &body = "",
                    const std::string &prefix = "") {
        testsupport::WriteFile(folder_ + "/body", body);
        const std::string command = prefix + " env CONFKIT_ADMIN_CONFIG='" + config_ +
                                    "' SCRIPT_NAME=/admin.cgi HTTP_HOST=127.0.0.1:8 " +
                                    environment + " '" + ADMIN_CGI + "' < '" + folder_ +
                                    "/body' > '" + folder_ + "/out'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return testsupport::ReadFile(folder_ + "/out");
    }

    // A GET; remembers the key, token and version it hands out.
    std::string Get(const std::string &prefix = "") {
        const std::string out = Run("REQUEST_METHOD=GET" + Cookie(), "", prefix);
        const std::string key = Match(out, "Set-Cookie: confkit-admin-key=([0-9a-f]+);");
        if (!key.empty()) key_ = key;
        return Take(out);
    }

    // Keeps the token and version of an answer's forms.
    const std::string &Take(const std::string &out) {
        token_ = Match(out, "name=\"token\" value=\"([0-9a-f]+)\"");
        version_ = Match(out, "name=\"version\" value=\"([0-9a-f]+)\"");
        return out;
    }

    // A POST of fields, with the page's token and version in front.
    std::string Post(const std::string &fields, const std::string &environment = "",
                     const std::string &prefix = "") {
        const std::string body = "token=" + token_ + "&version=" + version_ + "&" + fields;
        return Run("REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded "
                   "CONTENT_LENGTH=" +
                       std::to_string(body.size()) + Cookie() + " " + environment,
                   body, prefix);
    }

    std::string Cookie() const {
        return key_.empty() ? "" : " HTTP_COOKIE='confkit-admin-key=" + key_ + "'";
    }
    const std::string &key() const { return key_; }
    const std::string &token() const { return token_; }

  private:
    std::string folder_;
    std::string config_;
    std::string key_, token_, version_;
};

} // namespace admintest

#endif
