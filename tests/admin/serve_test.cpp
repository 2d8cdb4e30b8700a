// Requests served in the test's own process: what the page shows of hostile
// values, and a file that changes while a form is being saved.
#include "guard.h"
#include "serve.h"
#include "shown_document.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <regex>

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
    admin::Response Get() {
        admin::RequestInfo request;
        request.method = "GET";
        request.scriptName = "/admin.cgi";
        request.cookie = std::string(admin::kKeyCookie) + "=" + key_;
        return admin::Serve(request, site_, nullptr);
    }

    admin::Response Post(const std::string &fields, const admin::Hooks &hooks = {}) {
        const std::string page = Get().body;
        const std::string body = "token=" + Match(page, "name=\"token\" value=\"(\\w+)\"") +
                                 "&version=" + Match(page, "name=\"version\" value=\"(\\w+)\"") +
                                 "&" + fields;
        admin::RequestInfo request;
        request.method = "POST";
        request.contentType = "application/x-www-form-urlencoded";
        request.contentLength = std::to_string(body.size());
        request.cookie = std::string(admin::kKeyCookie) + "=" + key_;
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

// Stand-ins are control bytes the texts do not hold already.
TEST(ShownDocument, StandInsAvoidWhatTheFileHolds) {
    std::string controls;
    for (char c = 1; c < 0x20; ++c)
        controls += c;
    for (std::size_t held : {0, 5, 9}) {
        const std::string text = "Pass /<a>&" + controls.substr(0, held) + "\n";
        confkit::Document doc(testsupport::MakeDoc(text));
        const page::ShownDocument shown(doc);
        const std::string masked = shown.get()->first->text;
        EXPECT_EQ(masked.find_first_of("<>&"), std::string::npos) << held;
        EXPECT_EQ(shown.Html(masked), "Pass /&lt;a&gt;&amp;" + controls.substr(0, held) + "\n");
        EXPECT_EQ(shown.Attribute(shown.Mask("\"<")), "&quot;&lt;");
    }
    confkit::Document full(testsupport::MakeDoc("Pass /a\n"));
    EXPECT_THROW(page::ShownDocument(full, controls), std::runtime_error);
}

} // namespace
