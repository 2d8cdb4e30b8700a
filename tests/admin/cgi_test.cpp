// The CGI program as the web server runs it: environment, standard input,
// and the response on standard output.
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

class AdminCgi : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(config_, "Port 8080\r\nHostname proxy.example.com\r\nPass /a/* /b/*\r\n");
    }

    // Runs the program with the given environment and body; returns its
    // standard output. The program itself always exits 0.
    std::string Run(const std::string &environment, const std::string &body = "") {
        WriteFile(dir_.File("body"), body);
        const std::string command = "env CONFKIT_ADMIN_CONFIG='" + config_ +
                                    "' SCRIPT_NAME=/admin.cgi " + environment + " '" + ADMIN_CGI +
                                    "' < '" + dir_.File("body") + "' > '" + dir_.File("out") + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadFile(dir_.File("out"));
    }

    std::string Post(const std::string &body,
                     const std::string &type = "application/x-www-form-urlencoded") {
        return Run("REQUEST_METHOD=POST CONTENT_TYPE='" + type +
                       "' CONTENT_LENGTH=" + std::to_string(body.size()),
                   body);
    }

    TempDir dir_;
    const std::string config_ = dir_.File("proxy.conf");
};

bool StartsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

TEST_F(AdminCgi, GetShowsThePageWithItsEditingForms) {
    const std::string out = Run("REQUEST_METHOD=GET");
    ASSERT_TRUE(StartsWith(out, "Content-Type: text/html; charset=utf-8\r\n")) << out;
    EXPECT_NE(out.find("\r\n\r\n<!DOCTYPE html>"), std::string::npos);
    EXPECT_NE(out.find("name=\"Port\" value=\"8080\""), std::string::npos);
    EXPECT_NE(out.find("<form id=\"settings\" method=\"post\" action=\"/admin.cgi\">"),
              std::string::npos);
    EXPECT_NE(out.find("<textarea name=\"rules.Pass\" form=\"settings\""), std::string::npos);
    EXPECT_NE(out.find("<form id=\"pics-delete\""), std::string::npos);
    EXPECT_TRUE(out.size() > 7 && out.compare(out.size() - 8, 8, "</html>\n") == 0);
}

TEST_F(AdminCgi, TextAreasEscapeWhatTheFileHolds) {
    WriteFile(config_, "Pass /a/* </textarea><b>x</b>\r\n");
    const std::string out = Run("REQUEST_METHOD=GET");
    EXPECT_NE(out.find("Pass /a/* &lt;/textarea&gt;&lt;b&gt;x&lt;/b&gt;\n</textarea>"),
              std::string::npos);
}

TEST_F(AdminCgi, PostAppliesTheFormAndRedirectsToThePage) {
    const std::string out = Post("op=settings&Port=8081&ProxyPersistence=on");
    EXPECT_EQ(out, "Status: 303 See Other\r\nLocation: /admin.cgi\r\n\r\n");
    EXPECT_EQ(ReadFile(config_), "Port 8081\r\nHostname proxy.example.com\r\nPass /a/* /b/*\r\n");
}

TEST_F(AdminCgi, MalformedRequestsAreRefusedWithoutEchoAndWithoutChange) {
    const std::string before = ReadFile(config_);
    for (const std::string body :
         {"op=settings&Hostname=%3Cscript%3Ealert(1)", "op=settings&Port=%zz<script>",
          "op=<script>", "op=settings&<script>=1&Port=%"}) {
        const std::string out = Post(body);
        EXPECT_TRUE(StartsWith(out, "Status: 400 Bad Request\r\n")) << body << "\n" << out;
        EXPECT_EQ(out.find("<script>"), std::string::npos) << out;
        EXPECT_EQ(out.find("alert"), std::string::npos) << out;
    }
    EXPECT_TRUE(StartsWith(Post("op=settings", "text/plain"), "Status: 415 "));
    EXPECT_TRUE(StartsWith(Post(std::string(300 * 1024, 'a')), "Status: 413 "));
    EXPECT_TRUE(StartsWith(Run("REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded "
                               "CONTENT_LENGTH=50",
                               "op=settings"),
                           "Status: 400 "));
    EXPECT_TRUE(StartsWith(Run("REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded "
                               "CONTENT_LENGTH=-1"),
                           "Status: 400 "));
    const std::string put = Run("REQUEST_METHOD=PUT");
    EXPECT_TRUE(StartsWith(put, "Status: 405 ")) << put;
    EXPECT_NE(put.find("Allow: GET, HEAD, POST\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(config_), before);
}

TEST_F(AdminCgi, AMissingConfigurationIsAServerErrorAndIsNotCreated) {
    const std::string missing = dir_.File("none.conf");
    const std::string out = Run("REQUEST_METHOD=GET CONFKIT_ADMIN_CONFIG='" + missing + "'");
    EXPECT_TRUE(StartsWith(out, "Status: 500 ")) << out;
    EXPECT_FALSE(testsupport::FileExists(missing));
}

} // namespace
