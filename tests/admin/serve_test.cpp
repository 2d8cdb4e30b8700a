// Requests served in the test's own process: what the page shows of hostile
// values, and a file that changes while a form is being saved.
#include "guard.h"
#include "serve.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include <unistd.h>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

std::string Match(const std::string &text, const std::string &pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : "";
}

std::size_t Count(const std::string &text, const std::string &piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

class Served : public ::testing::Test {
  protected:
    admin::Response Get(const std::string &query = "") {
        admin::RequestInfo request;
        request.method = "GET";
        request.query = query;
        request.scriptName = "/admin.cgi";
        request.cookie = std::string(admin::kKeyCookie) + "=" + key_;
        return admin::Serve(request, site_, nullptr);
    }

    // afterGet, when set, runs between the page's GET and the post.
    admin::Response Post(const std::string &fields, const admin::Hooks &hooks = {},
                         const std::function<void()> &afterGet = {}) {
        const std::string page = Get().body;
        if (afterGet) afterGet();
        const std::string body = "token=" + Match(page, "name=\"token\" value=\"(\\w+)\"") +
                                 "&version=" + Match(page, "name=\"version\" value=\"(\\w+)\"") +
                                 "&" + fields;
        admin::RequestInfo request;
        request.method = "POST";
        request.contentType = "application/x-www-form-urlencoded";
        request.contentLength = std::to_string(body.size());
        request.cookie = std::string(admin::kKeyCookie) + "=" + key_;
        request.remoteUser = "admin";
        request.remoteAddr = "192.0.2.7";
        std::unique_ptr<std::FILE, int (*)(std::FILE *)> in(
            fmemopen(const_cast<char *>(body.data()), body.size(), "r"), std::fclose);
        return admin::Serve(request, site_, in.get(), hooks);
    }

    TempDir dir_;
    admin::Site site_{dir_.File("proxy.conf"), ""};
    const std::string key_ = admin::NewKey();
};

// The library refuses to write over a file that changed since it was read;
// the page says so instead of reporting a save.
TEST_F(Served, AFileChangedWhileSavingIsNotOverwrittenAndTheAnswerSaysSo) {
    WriteFile(site_.config, "Port 8080\r\n");
    const std::string theirs = "Port 9090\r\nHostname other.example.com\r\n";
    int status = 0;
    try {
        Post("op=settings&step=apply&Port=81", {[&] { WriteFile(site_.config, theirs); }});
    } catch (const admin::HttpError &e) {
        status = e.status();
        EXPECT_NE(std::string(e.what()).find("nothing was saved"), std::string::npos) << e.what();
    }
    EXPECT_EQ(status, 409);
    EXPECT_EQ(ReadFile(site_.config), theirs);
}

int StatusOf(const std::function<admin::Response()> &request, std::string &message) {
    try {
        request();
    } catch (const admin::HttpError &e) {
        message = e.what();
        return e.status();
    }
    return 200;
}

// A save that would lose text the form does not change needs the preview's
// check box, which the preview offers only then and never carries over.
TEST_F(Served, ASaveThatWouldLoseTextNeedsTheCheckBox) {
    const std::string text = "Port 8080\r\nWelcome\r\n# end\x1a tail\r\n";
    WriteFile(site_.config, text);
    const std::string loss = "line 2, and the 7 bytes after the Ctrl-Z byte on line 3";
    const std::string preview = Post("op=settings&Port=81&accept-loss=yes").body;
    for (const std::string &piece :
         {"would also lose " + loss, std::string("<li>line 2: a line of a single word ("),
          std::string("<li>line 3: a Ctrl-Z byte ends the file")})
        EXPECT_NE(preview.find(piece), std::string::npos) << piece << "\n" << preview;
    EXPECT_EQ(Count(preview, "name=\"accept-loss\""), 1u);
    EXPECT_NE(preview.find("<input type=\"checkbox\" name=\"accept-loss\" value=\"yes\">"),
              std::string::npos);
    for (const char *refused : {"", "&accept-loss=no", "&accept-loss=yes&accept-loss=yes"}) {
        std::string message;
        EXPECT_EQ(
            StatusOf([&] { return Post(std::string("op=settings&step=apply&Port=81") + refused); },
                     message),
            409)
            << refused;
        EXPECT_NE(message.find("would also lose " + loss +
                               ", which this form does not change; "
                               "nothing was saved"),
                  std::string::npos)
            << message;
        EXPECT_EQ(ReadFile(site_.config), text);
    }
    const std::string saved = Post("op=settings&step=apply&Port=81&accept-loss=yes").body;
    EXPECT_NE(saved.find("As accepted, writing the file lost " + loss), std::string::npos);
    EXPECT_EQ(ReadFile(site_.config).find("Welcome"), std::string::npos);
    // Nothing left to lose: no check box.
    const std::string clean = Post("op=settings&Port=82").body;
    EXPECT_EQ(clean.find("accept-loss"), std::string::npos);
    EXPECT_NE(clean.find("<p id=\"loss\">Nothing.</p>"), std::string::npos);
}

// A file with a NUL byte or beyond the size limit is shown and edited by no
// request; the size alone refuses a sparse file at once.
TEST_F(Served, AFileThatIsNotTextIsRefused) {
    struct Case {
        std::string text;
        long size;
        std::string why;
    } cases[] = {{std::string("Port 80\r\n\0", 10), 10, "NUL byte at offset 9"},
                 {"Port 80\r\n", 65L << 20, "larger than the limit of 67108864 bytes"}};
    for (const Case &c : cases) {
        std::string get, post;
        WriteFile(site_.config, "Port 80\r\n");
        const auto swap = [&] {
            WriteFile(site_.config, c.text);
            ASSERT_EQ(truncate(site_.config.c_str(), c.size), 0);
        };
        EXPECT_EQ(StatusOf([&] { return Post("op=settings&Port=81", {}, swap); }, post), 500);
        EXPECT_EQ(StatusOf([&] { return Get(); }, get), 500);
        for (const std::string &message : {get, post})
            EXPECT_NE(message.find("the configuration file is refused: "), std::string::npos)
                << message;
        EXPECT_NE(get.find(c.why), std::string::npos) << get;
    }
}

// Values whoever wrote them: each shows as text, exactly as in the file, and
// none adds an element, an attribute or a form to the page.
TEST_F(Served, ValuesOfTheFileNeverBecomeMarkup) {
    const std::string plain = "Hostname x\r\nPass /a/* /b/*\r\nRedirect /r http://h/?a=1&b=2\r\n"
                              "AddType .x text/x 8bit 1.0\r\nProtect /p/* S\r\n";
    WriteFile(site_.config, plain);
    const std::string before = Get().body;
    const std::string hostile =
        "Hostname x\"autofocus/onfocus=\"alert(document.domain)\r\n"
        "Pass /a/* <img src=x onerror=alert(1)>\r\n"
        "Redirect /r http://h/?a=1&b=2</textarea><form>\r\n"
        "AddType .x javascript:alert(1)<script>alert(2)</script> 8bit 1.0\r\n"
        "Protect /p/*\"><svg/onload=alert(3)> S\r\n"
        "InputTimeout 2 <b>minutes</b>\r\n"
        "DefinePicsRule \"K<i>\" {\r\n     (PicsRule-1.0\r\n          (\r\n"
        "          passurl ( \"http://x/<a href=javascript:alert(4)>\" )\r\n"
        "           Filter (<style>x</style>)\r\n         )\r\n    )\r\n}\r\n";
    WriteFile(site_.config, hostile);
    const std::string page = Get().body;
    for (const char *raw : {"<img", "<svg", "<script>", "<form>", "<style", "<b>", "<i>",
                            "<a href=j", "\"autofocus", "onfocus=\""})
        EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    for (const char *shown :
         {"value=\"x&quot;autofocus/onfocus=&quot;alert(document.domain)\"",
          "&lt;img src=x onerror=alert(1)&gt;", "http://h/?a=1&amp;b=2",
          "&lt;/textarea&gt;&lt;form&gt;", "value=\"2 &lt;b&gt;minutes&lt;/b&gt; \"",
          "PICS rule K&lt;i&gt;", "(&lt;style&gt;x&lt;/style&gt;)"})
        EXPECT_NE(page.find(shown), std::string::npos) << shown;
    for (const char *tag : {"<form", "<input", "<textarea", "<select", "<table", "<pre"})
        EXPECT_EQ(Count(page, tag), Count(before, tag) + (std::string(tag) == "<table" ? 4 : 0) +
                                        (std::string(tag) == "<pre" ? 1 : 0))
            << tag;
}

// The status of the HttpError that f throws, or 0 when it throws none.
int StatusOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const admin::HttpError &e) {
        return e.status();
    }
    return 0;
}

// A save through the page is recorded with who made it and why; the
// history lists it, its page shows its diff, and a restore goes through the
// preview like every form. Every value of the history is escaped.
TEST_F(Served, TheHistoryShowsWhoAndWhyAndRestoresThroughThePreview) {
    const std::string unedited = "Port 8080\r\n";
    WriteFile(site_.config, unedited);
    EXPECT_NE(Get().body.find("id=\"history-none\""), std::string::npos);
    Post("op=settings&step=apply&Port=81&reason=%3Cb%3Elate%3C%2Fb%3E+fix");
    const std::string saved = ReadFile(site_.config);
    const std::string page = Get().body;
    const std::string history = page.substr(page.find("id=\"section-history\""));
    EXPECT_NE(history.find("<td>admin from 192.0.2.7</td><td>administration page</td>"
                           "<td>settings form</td><td>&lt;b&gt;late&lt;/b&gt; fix</td>"),
              std::string::npos)
        << history;
    EXPECT_EQ(history.find("<b>"), std::string::npos);
    EXPECT_EQ(Count(history, "name=\"op\" value=\"restore\""), 2u); // revisions 1 and 0
    const std::string shown = Get("revision=1").body;
    EXPECT_NE(shown.find("-Port 8080"), std::string::npos) << shown;
    EXPECT_NE(shown.find("+Port 81"), std::string::npos) << shown;
    EXPECT_NE(shown.find("&lt;b&gt;late"), std::string::npos);

    const std::string preview = Post("op=restore&revision=0").body;
    EXPECT_NE(preview.find("+Port 8080"), std::string::npos) << preview;
    EXPECT_NE(preview.find("name=\"reason\""), std::string::npos);
    EXPECT_EQ(ReadFile(site_.config), saved);
    const std::string after = Post("op=restore&revision=0&step=apply&reason=undo").body;
    EXPECT_NE(after.find("Restored revision 0."), std::string::npos) << after;
    EXPECT_EQ(ReadFile(site_.config), unedited);
    EXPECT_NE(after.find("<td>restore of revision 0</td><td>undo</td>"), std::string::npos);

    const struct {
        std::function<void()> request;
        int status;
    } refusals[] = {
        {[&] { Post("op=restore&revision=9&step=apply"); }, 404},
        {[&] { Post("op=restore&revision=x"); }, 400},
        {[&] { Post("op=restore"); }, 400},
        {[&] { Post("op=settings&step=apply&Port=82&reason=a%1Bb"); }, 400},
        {[&] { Post("op=settings&step=apply&Port=82&reason=" + std::string(201, 'r')); }, 400},
        {[&] { Get("revision=9"); }, 404},
        {[&] { Get("revision=-1"); }, 400},
    };
    for (const auto &r : refusals)
        EXPECT_EQ(StatusOf(r.request), r.status);
    EXPECT_EQ(ReadFile(site_.config), unedited);
}

TEST(Guard, EveryPageHasItsOwnTokenAndOnlyTheKeyUnlocksIt) {
    const std::string key = admin::NewKey(), other = admin::NewKey();
    const std::string a = admin::TokenFor(key), b = admin::TokenFor(key);
    EXPECT_NE(a, b);
    EXPECT_TRUE(admin::TokenMatches(key, a));
    EXPECT_TRUE(admin::TokenMatches(key, b));
    EXPECT_FALSE(admin::TokenMatches(other, a));
    for (std::size_t i = 0; i < a.size(); i += 7) { // any changed digit fails
        std::string changed = a;
        changed[i] = changed[i] == '0' ? '1' : '0';
        EXPECT_FALSE(admin::TokenMatches(key, changed)) << i;
    }
    for (const std::string &bad : {std::string(), a.substr(1), a + "0", key + key.substr(0, 0)})
        EXPECT_FALSE(admin::TokenMatches(key, bad));
    EXPECT_EQ(admin::KeyFromCookie("a=b; confkit-admin-key=" + key + "; c=d"), key);
    for (const std::string &cookie :
         {"confkit-admin-key=" + key.substr(1), "x-confkit-admin-key=" + key,
          "confkit-admin-key=" + std::string(32, 'G')})
        EXPECT_FALSE(admin::KeyFromCookie(cookie)) << cookie;
}

} // namespace
