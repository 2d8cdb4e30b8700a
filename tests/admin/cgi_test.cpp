// The CGI program as the web server runs it: environment, standard input,
// and the response on standard output.
#include "cgi_session.h"

#include <sys/stat.h>

namespace {

using admintest::CgiSession;
using admintest::StartsWith;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

class AdminCgi : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(config_, "Port 8080\r\nHostname proxy.example.com\r\nPass /a/* /b/*\r\n");
    }

    std::string Post(const std::string &body,
                     const std::string &type = "application/x-www-form-urlencoded") {
        return session_.Run("REQUEST_METHOD=POST CONTENT_TYPE='" + type + "' CONTENT_LENGTH=" +
                                std::to_string(body.size()) + session_.Cookie(),
                            body);
    }

    TempDir dir_;
    const std::string config_ = dir_.File("proxy.conf");
    CgiSession session_{dir_.path(), config_};
};

const char *const kSecurityHeaders[] = {
    "\r\nContent-Security-Policy: default-src 'none'; style-src 'self'; script-src 'self'; "
    "img-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'\r\n",
    "\r\nX-Content-Type-Options: nosniff\r\n", "\r\nReferrer-Policy: no-referrer\r\n",
    "\r\nCache-Control: no-store\r\n"};

TEST_F(AdminCgi, GetShowsThePageWithItsEditingForms) {
    const std::string out = session_.Get();
    ASSERT_TRUE(StartsWith(out, "Content-Type: text/html; charset=utf-8\r\n")) << out;
    EXPECT_NE(out.find("\r\n\r\n<!DOCTYPE html>"), std::string::npos);
    EXPECT_NE(out.find("name=\"Port\" value=\"8080\""), std::string::npos);
    EXPECT_NE(out.find("<form id=\"settings\" method=\"post\" action=\"/admin.cgi\">"),
              std::string::npos);
    EXPECT_NE(out.find("<textarea name=\"rules.Pass\" form=\"settings\""), std::string::npos);
    EXPECT_NE(out.find("<form id=\"pics-delete\""), std::string::npos);
    EXPECT_TRUE(out.size() > 7 && out.compare(out.size() - 8, 8, "</html>\n") == 0);
    // The key cookie only this site gets back, and a token on the page.
    EXPECT_NE(out.find("; Path=/; HttpOnly; SameSite=Strict\r\n"), std::string::npos);
    EXPECT_EQ(session_.token().size(), 64u);
}

TEST_F(AdminCgi, TextAreasEscapeWhatTheFileHolds) {
    WriteFile(config_, "Pass /a/* </textarea><b>x</b>\r\n");
    const std::string out = session_.Get();
    EXPECT_NE(out.find("Pass /a/* &lt;/textarea&gt;&lt;b&gt;x&lt;/b&gt;\n</textarea>"),
              std::string::npos);
}

// A rule holding control bytes shows them as "\xNN" in a disabled box, which
// the browser does not send: the other fields save and the rule stays.
TEST_F(AdminCgi, ControlBytesLockTheirBoxAndTheOtherFieldsStillSave) {
    const std::string pass = "Pass /a/* /b/*\rjunk\x1b\r\n";
    WriteFile(config_, "Port 8080\r\nHostname h\r\n" + pass);
    const std::string page = session_.Get();
    ASSERT_TRUE(StartsWith(page, "Content-Type: text/html")) << page;
    for (const char *piece :
         {"spellcheck=\"false\" disabled aria-describedby=\"rules-Pass-note\">\n"
          "Pass /a/* /b/*\\x0Djunk\\x1B\n</textarea> <span class=\"note\" id=\"rules-Pass-note\">",
          "name=\"rules.Map\" form=\"settings\" rows=\"4\" cols=\"64\" wrap=\"off\" "
          "spellcheck=\"false\">"})
        EXPECT_NE(page.find(piece), std::string::npos) << piece;
    const std::string form = "op=settings&Port=81&ProxyPersistence=on&Hostname=h";
    const std::string preview = session_.Take(session_.Post(form));
    EXPECT_NE(preview.find("<span class=\"same\"> Pass /a/* /b/*\\x0Djunk\\x1B\n</span>"),
              std::string::npos)
        << preview;
    session_.Post(form + "&step=apply");
    EXPECT_EQ(ReadFile(config_), "Port 81\r\nHostname h\r\n" + pass);
}

// A lone directive word in a rule box is refused with confctl's message.
TEST_F(AdminCgi, ALoneDirectiveWordInARuleBoxIsRefused) {
    const std::string before = ReadFile(config_);
    session_.Get();
    const std::string out =
        session_.Post("op=settings&step=apply&Port=8080&ProxyPersistence=on&Hostname=proxy."
                      "example.com&rules.Pass=Pass+%2Fa%2F*+%2Fb%2F*%0D%0APass%0D%0A");
    EXPECT_TRUE(StartsWith(out, "Status: 400 ")) << out;
    EXPECT_NE(out.find("Pass rules: &#39;Pass&#39; has no value (a line of one word is not "
                       "written to the file)"),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadFile(config_), before);
}

// The post answers with the page as it is now, and a message.
TEST_F(AdminCgi, PostAppliesTheFormAndShowsThePageWithAMessage) {
    session_.Get();
    const std::string out = session_.Post(
        "op=settings&step=apply&Port=8081&ProxyPersistence=on&Hostname=proxy.example.com");
    EXPECT_TRUE(StartsWith(out, "Content-Type: text/html; charset=utf-8\r\n")) << out;
    EXPECT_NE(out.find("id=\"message\""), std::string::npos);
    EXPECT_NE(out.find("name=\"Port\" value=\"8081\""), std::string::npos);
    EXPECT_EQ(ReadFile(config_), "Port 8081\r\nHostname proxy.example.com\r\nPass /a/* /b/*\r\n");
}

// Every form first shows what it would write; its Apply saves exactly that,
// Cancel leads back, and a preview of a file changed since is refused.
TEST_F(AdminCgi, APreviewShowsTheDiffAndOnlyItsApplySaves) {
    session_.Get();
    const std::string before = ReadFile(config_);
    const std::string preview = session_.Take(session_.Post(
        "op=settings&Port=8081&ProxyPersistence=on&Hostname=%3Cb%3Eproxy.example.com"));
    EXPECT_EQ(ReadFile(config_), before);
    for (const char *piece :
         {"<span class=\"del\">-Port 8080\n</span>", "<span class=\"add\">+Port 8081\n</span>",
          "<span class=\"add\">+Hostname &lt;b&gt;proxy.example.com\n</span>",
          "<input type=\"hidden\" name=\"Hostname\" value=\"&lt;b&gt;proxy.example.com\">",
          "<button type=\"submit\" name=\"step\" value=\"apply\">Apply</button>",
          "<a id=\"cancel\" class=\"button secondary\" href=\"/admin.cgi\">Cancel</a>"})
        EXPECT_NE(preview.find(piece), std::string::npos) << piece << "\n" << preview;
    EXPECT_EQ(preview.find("<b>"), std::string::npos);
    // The preview's Apply button posts the same fields with step=apply.
    const std::string saved = session_.Post(
        "op=settings&Port=8081&ProxyPersistence=on&Hostname=%3Cb%3Eproxy.example.com&step=apply");
    EXPECT_NE(saved.find("Saved proxy.conf: 2 line(s) removed and 2 added."), std::string::npos)
        << saved;
    EXPECT_EQ(ReadFile(config_),
              "Port 8081\r\nHostname <b>proxy.example.com\r\nPass /a/* /b/*\r\n");
    // The same form again changes nothing, and says so.
    session_.Get();
    EXPECT_NE(
        session_
            .Post("op=settings&Port=8081&ProxyPersistence=on&Hostname=%3Cb%3Eproxy.example.com"
                  "&step=apply")
            .find("Nothing was saved"),
        std::string::npos);
    // A preview whose file changed before its Apply.
    session_.Take(session_.Post("op=settings&Port=1&ProxyPersistence=on"));
    WriteFile(config_, "Port 9\r\n");
    EXPECT_TRUE(StartsWith(session_.Post("op=settings&Port=1&ProxyPersistence=on&step=apply"),
                           "Status: 409 "));
    EXPECT_EQ(ReadFile(config_), "Port 9\r\n");
}

// The preview of a file with LF line ends, which the save writes as CR LF,
// shows the line whose text changes and counts the line ends in a note.
TEST_F(AdminCgi, APreviewShowsOnlyTheLinesWhoseTextChanges) {
    WriteFile(config_, "Port 8080\nHostname proxy.example.com\nPass /a/* /b/*\n");
    session_.Get();
    const std::string preview =
        session_.Take(session_.Post("op=settings&Port=8081&Hostname=proxy.example.com"));
    for (const char *piece :
         {"<span class=\"note\"># 2 lines change only their line end, from LF to CR LF\n</span>",
          "<span class=\"del\">-Port 8080\n</span>", "<span class=\"add\">+Port 8081\n</span>",
          "+ProxyPersistence OFF\n", "1 line(s) removed and 2 added."})
        EXPECT_NE(preview.find(piece), std::string::npos) << piece << "\n" << preview;
    EXPECT_EQ(preview.find("-Hostname"), std::string::npos) << preview;
}

// A Hostname holding markup is no longer refused (it only needs escaping);
// a brace, which changes how the file is read, is.
TEST_F(AdminCgi, MalformedRequestsAreRefusedWithoutEchoAndWithoutChange) {
    session_.Get();
    const std::string before = ReadFile(config_);
    for (const std::string fields :
         {"op=settings&step=apply&Hostname=%7Bscript%7Dalert(1)", "op=settings&Port=%zz<script>",
          "op=<script>&step=apply", "op=settings&<script>=1&Port=%"}) {
        const std::string out = session_.Post(fields);
        EXPECT_TRUE(StartsWith(out, "Status: 400 Bad Request\r\n")) << fields << "\n" << out;
        EXPECT_EQ(out.find("<script>"), std::string::npos) << out;
        EXPECT_EQ(out.find("alert("), std::string::npos) << out;
    }
    EXPECT_TRUE(StartsWith(Post("op=settings", "text/plain"), "Status: 415 "));
    EXPECT_TRUE(StartsWith(Post(std::string(300 * 1024, 'a')), "Status: 413 "));
    EXPECT_TRUE(StartsWith(
        session_.Run("REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded "
                     "CONTENT_LENGTH=50",
                     "op=settings"),
        "Status: 400 "));
    EXPECT_TRUE(StartsWith(
        session_.Run("REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded "
                     "CONTENT_LENGTH=-1"),
        "Status: 400 "));
    const std::string put = session_.Run("REQUEST_METHOD=PUT");
    EXPECT_TRUE(StartsWith(put, "Status: 405 ")) << put;
    EXPECT_NE(put.find("Allow: GET, HEAD, POST\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(config_), before);
}

TEST_F(AdminCgi, AMissingConfigurationIsAServerErrorAndNothingIsCreated) {
    const std::string missing = dir_.File("none.conf");
    const std::string out =
        session_.Run("REQUEST_METHOD=GET CONFKIT_ADMIN_CONFIG='" + missing + "'");
    EXPECT_TRUE(StartsWith(out, "Status: 500 ")) << out;
    EXPECT_NE(out.find("does not exist"), std::string::npos);
    EXPECT_FALSE(testsupport::FileExists(missing));
    EXPECT_FALSE(testsupport::FileExists(missing + ".lock"));
}

TEST_F(AdminCgi, EveryAnswerCarriesTheSecurityHeaders) {
    session_.Get();
    const std::string answers[] = {
        session_.Get(),
        session_.Run("REQUEST_METHOD=HEAD"),
        session_.Run("REQUEST_METHOD=PUT"),
        session_.Post("op=nothing"),
        Post("op=settings"),
        session_.Run("REQUEST_METHOD=GET CONFKIT_ADMIN_CONFIG=/nonexistent/x.conf"),
        session_.Post("op=settings&step=apply&Port=81")};
    for (const std::string &answer : answers) {
        const std::string head = answer.substr(0, answer.find("\r\n\r\n") + 2);
        for (const char *header : kSecurityHeaders)
            EXPECT_NE(("\r\n" + head).find(header), std::string::npos) << header << "\n" << head;
    }
}

TEST_F(AdminCgi, PostsThatDoNotComeFromThePageAreForbiddenAndChangeNothing) {
    session_.Get();
    const std::string before = ReadFile(config_);
    const std::string form = "op=settings&step=apply&Port=81";
    CgiSession other(dir_.path(), config_);
    other.Get(); // another browser: its own key and token
    struct Case {
        const char *what;
        std::string body, environment;
    } cases[] = {
        {"no token", "version=x&" + form, session_.Cookie()},
        {"a token of another key", "token=" + other.token() + "&" + form, session_.Cookie()},
        {"no cookie", "token=" + session_.token() + "&" + form, ""},
        {"a changed token",
         "token=" +
             std::string(session_.token()).replace(0, 1, session_.token()[0] == 'a' ? "b" : "a") +
             "&" + form,
         session_.Cookie()},
    };
    for (const Case &c : cases) {
        const std::string out = session_.Run(
            "REQUEST_METHOD=POST CONTENT_TYPE=application/x-www-form-urlencoded CONTENT_LENGTH=" +
                std::to_string(c.body.size()) + c.environment,
            c.body);
        EXPECT_TRUE(StartsWith(out, "Status: 403 Forbidden\r\n")) << c.what << "\n" << out;
    }
    for (const char *header :
         {"HTTP_ORIGIN=http://evil.example", "HTTP_ORIGIN=null HTTP_SEC_FETCH_SITE=cross-site",
          "HTTP_ORIGIN=http://127.0.0.1:9", "HTTP_SEC_FETCH_SITE=same-site"})
        EXPECT_TRUE(StartsWith(session_.Post(form, header), "Status: 403 ")) << header;
    EXPECT_EQ(ReadFile(config_), before);
    // The page's own post, as a browser sends it (without a referrer, its
    // origin is "null").
    EXPECT_TRUE(StartsWith(
        session_.Post(form, "HTTP_ORIGIN=http://127.0.0.1:8 HTTP_SEC_FETCH_SITE=same-origin"),
        "Content-Type: text/html"));
    session_.Get();
    EXPECT_TRUE(StartsWith(session_.Post("op=settings&step=apply&Port=82",
                                         "HTTP_ORIGIN=null HTTP_SEC_FETCH_SITE=same-origin"),
                           "Content-Type: text/html"));
    EXPECT_NE(ReadFile(config_), before);
}

TEST_F(AdminCgi, AFormMadeFromAnOlderFileIsRefused) {
    session_.Get();
    WriteFile(config_, "Port 9090\r\n"); // someone else's change
    const std::string out = session_.Post("op=settings&step=apply&Port=81");
    EXPECT_TRUE(StartsWith(out, "Status: 409 ")) << out;
    EXPECT_NE(out.find("changed since this form was shown"), std::string::npos);
    EXPECT_EQ(ReadFile(config_), "Port 9090\r\n");
}

// CI runs as root, whom permission bits do not stop: the reader runs as
// nobody, in a folder it may not write, beside a lock file it may not open.
TEST_F(AdminCgi, ReadingNeedsOnlyTheRightToRead) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(config_.c_str(), 0644), 0);
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    for (bool lockExists : {false, true}) {
        if (lockExists) {
            WriteFile(config_ + ".lock", "");
            ASSERT_EQ(::chmod((config_ + ".lock").c_str(), 0600), 0);
        }
        const std::string out = session_.Get(asNobody);
        EXPECT_TRUE(StartsWith(out, "Content-Type: text/html")) << lockExists << "\n" << out;
        EXPECT_NE(out.find("name=\"Port\" value=\"8080\""), std::string::npos);
    }
    // A writer that may not lock says so and writes nothing.
    const std::string before = ReadFile(config_);
    const std::string out = session_.Post("op=settings&step=apply&Port=81", "", asNobody);
    EXPECT_TRUE(StartsWith(out, "Status: 500 ")) << out;
    EXPECT_NE(out.find("cannot be locked for writing"), std::string::npos);
    EXPECT_EQ(ReadFile(config_), before);
}

// A folder the page's user may not write takes no new file: the page refuses
// to save rather than rewrite the file in place.
TEST_F(AdminCgi, AFolderThatTakesNoNewFileIsNeverSavedInPlace) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run the program as another user";
    ASSERT_EQ(::chmod(dir_.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(config_.c_str(), 0666), 0);
    WriteFile(config_ + ".lock", "");
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    const std::string before = ReadFile(config_);
    session_.Get(asNobody);
    const std::string out = session_.Post("op=settings&step=apply&Port=81", "", asNobody);
    EXPECT_TRUE(StartsWith(out, "Status: 500 ")) << out;
    EXPECT_NE(out.find("cannot be written, and a save there could not survive a crash"),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadFile(config_), before);
}

} // namespace
