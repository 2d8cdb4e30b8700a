#include "apply.h"
#include "http.h"
#include "page.h"
#include "settings_form.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Applies the URL-encoded form to a file holding text and writes it back.
// Returns the file's bytes with CR LF turned back into "\n", and the status
// of a refusal (0 when applied). A refused form leaves the file as it was.
struct Outcome {
    int status;
    std::string text;
};

Outcome Apply(const std::string &text, const std::string &body) {
    TempDir dir;
    const std::string path = dir.File("proxy.conf");
    WriteFile(path, text);
    std::string error;
    auto form = admin::DecodeForm(body, error);
    if (!form) throw std::runtime_error(error);
    int status = 0;
    try {
        confkit::Document doc = confkit::Document::Open(path);
        admin::ApplyForm(doc, *form);
        doc.Close(true);
    } catch (const admin::HttpError &e) {
        status = e.status();
    }
    return {status, std::regex_replace(ReadFile(path), std::regex("\r\n"), "\n")};
}

const char *const kSettings = "# server\n"
                              "Port        8080   # main port\n"
                              "Hostname    proxy.example.com\n"
                              "InputTimeout  2 minutes\n"
                              "Caching     on\n"
                              "DNS-Lookup  OFF\n"
                              "CacheAlgorithm  responsetime\n"
                              "Enable  GET\n"
                              "Enable  POST\n"
                              "Enable  PROPFIND  /cgi-bin/dav\n"
                              "Disable PUT\n"
                              "CacheDefaultExpiry  ftp:*   1 day\n"
                              "CacheDefaultExpiry  http:*  0 days\n";

// The settings form as the page shows kSettings, unchanged.
const std::string kShown = "op=settings&Port=8080&Hostname=proxy.example.com"
                           "&InputTimeout=2+minutes+&Caching=on&ProxyPersistence=on"
                           "&CacheAlgorithm=responsetime&MaxActiveThreads=40&Enable=GET"
                           "&Enable=POST&CacheDefaultExpiry-http=0";

TEST(AdminSettings, TheFormAsShownChangesNothing) {
    Outcome out = Apply(kSettings, kShown);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.text, kSettings);
}

TEST(AdminSettings, ValuesGoIntoTheFirstRuleKeepingItsSpacingAndComment) {
    Outcome out = Apply(kSettings, std::regex_replace(kShown, std::regex("Port=8080"), "Port=81") +
                                       "&DNS-Lookup=on");
    ASSERT_EQ(out.status, 0);
    EXPECT_NE(out.text.find("Port        81   # main port\n"), std::string::npos);
    EXPECT_NE(out.text.find("DNS-Lookup  ON\n"), std::string::npos);
    // A missing rule is added at the end; an unchecked box turns its switch off.
    out = Apply("Port 80\n", "op=settings&Caching=on&ProxyPersistence=on");
    EXPECT_EQ(out.text, "Port 80\nCaching ON\n");
    out = Apply(kSettings, std::regex_replace(kShown, std::regex("&Caching=on"), ""));
    EXPECT_NE(out.text.find("Caching     OFF\n"), std::string::npos);
}

TEST(AdminSettings, MethodsKeepProgramRulesAndEnablingDropsDisable) {
    // POST unchecked, PUT checked.
    Outcome out =
        Apply(kSettings, std::regex_replace(kShown, std::regex("Enable=POST"), "Enable=PUT"));
    ASSERT_EQ(out.status, 0);
    EXPECT_EQ(out.text.find("Enable  POST\n"), std::string::npos);
    // The new rule takes the place of the removed one.
    EXPECT_NE(out.text.find("Enable  GET\nEnable PUT\nEnable  PROPFIND  /cgi-bin/dav\n"),
              std::string::npos);
    EXPECT_EQ(out.text.find("Disable PUT"), std::string::npos);
    EXPECT_EQ(Apply(kSettings, kShown + "&Enable=BREW").status, 400);
}

TEST(AdminSettings, ExpiryChangesTheTimeOfItsOwnTemplateOnly) {
    Outcome out = Apply(kSettings, std::regex_replace(kShown, std::regex("http=0"), "http=3"));
    ASSERT_EQ(out.status, 0);
    EXPECT_NE(
        out.text.find("CacheDefaultExpiry  ftp:*   1 day\nCacheDefaultExpiry  http:*  3 days\n"),
        std::string::npos);
}

TEST(AdminSettings, RefusesValuesOutsideTheirKind) {
    for (const char *change : {"Port=0", "Port=8o", "MaxActiveThreads=101",
                               "CacheAlgorithm=fastest", "Hostname=a+b", "InputTimeout=%7B"}) {
        const std::string name = std::string(change).substr(0, std::string(change).find('='));
        const std::string body =
            std::regex_replace(kShown, std::regex("&?" + name + "=[^&]*"), "") + "&" + change;
        EXPECT_EQ(Apply(kSettings, body).status, 400) << change;
    }
    EXPECT_EQ(Apply(kSettings, "Port=81").status, 400); // no operation named
    EXPECT_EQ(Apply(kSettings, "op=settings&op=settings").status, 400);
}

TEST(AdminSettings, RuleListsReplaceTheRulesOfOneDirective) {
    const char *text = "Pass  /a/*  /x/a/*   # first\nMap /m/* /n/*\nPass /b/* /x/b/*\n";
    Outcome out = Apply(text, "op=settings&ProxyPersistence=on"
                              "&rules.Pass=Pass+%2Fa%2F*+%2Fx%2Fa%2F*%0D%0A%0D%0A"
                              "Pass+%2Fc%2F*+%2Fx%2Fc%2F*%0D%0A");
    ASSERT_EQ(out.status, 0);
    // The kept rule keeps its text; the new one takes the removed one's place.
    EXPECT_EQ(out.text, "Pass  /a/*  /x/a/*   # first\nMap /m/* /n/*\nPass /c/* /x/c/*\n");
    EXPECT_EQ(Apply(text, "op=settings&rules.Pass=Map+%2Fa+%2Fb").status, 400);
    EXPECT_EQ(Apply(text, "op=settings&rules.Welcome=Welcome+x").status, 400);
    EXPECT_EQ(Apply(text, "op=settings&rules.Pass=Pass+%2Fa+%7Bb").status, 400);
}

const char *const kBlocks = "Protection  P  {\n      Mask         all\n}\n"
                            "Protect  /a/*  P\n"
                            "Protect  /b/*  P  FOR 10.*\n"
                            "Pass /c/* /x/c/*\n"
                            "Protect  /c/*  P\n"
                            "DefinePicsRule \"Kids\" {\n"
                            "     (PicsRule-1.0\n"
                            "          (\n"
                            "          name     (\n"
                            "                   rulename \"Kids\"\n"
                            "                   description \"D\"\n"
                            "                   )\n"
                            "          osmek-quillon-extensions (\n"
                            "               active-days \"Mon\"\n"
                            "                                )\n"
                            "         )\n"
                            "    )\n"
                            "}\n";

TEST(AdminBlocks, ProtectEntriesArePutNextToTheirAnchor) {
    Outcome out = Apply(kBlocks, "op=protect-put&template=%2Fn%2F*&setup=P&address=&position=after"
                                 "&anchor=%2Fa%2F*");
    ASSERT_EQ(out.status, 0);
    EXPECT_NE(out.text.find("Protect  /a/*  P\nProtect  /n/*  P\nProtect  /b/*"),
              std::string::npos);
    out =
        Apply(kBlocks, "op=protect-put&template=%2Fb%2F*&setup=Q&address=10.1.*&position=replace");
    ASSERT_EQ(out.status, 0);
    EXPECT_NE(out.text.find("Protect  /a/*  P\nProtect  /b/*  Q  FOR 10.1.*\nPass"),
              std::string::npos);
    out = Apply(kBlocks, "op=protect-delete&template=%2Fa%2F*");
    ASSERT_EQ(out.status, 0);
    EXPECT_EQ(out.text.find("/a/*"), std::string::npos);
}

TEST(AdminBlocks, ProtectEditsRefuseNamesThatLeadElsewhere) {
    // A Pass rule above the Protect entry of /c/* shares its name: the edits
    // take the Protect entry and leave the Pass rule alone.
    const std::string entry = "Protect  /c/*  P\n";
    auto with = [&](const std::string &line) {
        return std::string(kBlocks).replace(std::string(kBlocks).find(entry), entry.size(), line);
    };
    Outcome deleted = Apply(kBlocks, "op=protect-delete&template=%2Fc%2F*");
    EXPECT_EQ(deleted.status, 0);
    EXPECT_EQ(deleted.text, with(""));
    Outcome replaced = Apply(kBlocks, "op=protect-put&template=%2Fc%2F*&setup=Q&position=replace");
    EXPECT_EQ(replaced.status, 0);
    EXPECT_EQ(replaced.text, with("Protect  /c/*  Q\n"));
    EXPECT_EQ(Apply(kBlocks, "op=protect-delete&template=P").status, 409); // a Protection block
    EXPECT_EQ(Apply(kBlocks, "op=protect-put&template=%2Fa%2F*&setup=P&position=before").status,
              409); // exists already
    EXPECT_EQ(
        Apply(kBlocks, "op=protect-put&template=%2Fz&setup=P&position=after&anchor=%2Fy").status,
        409);
    EXPECT_EQ(Apply(kBlocks, "op=protect-put&template=%2Fz&setup=P&position=inside").status, 400);
    EXPECT_EQ(Apply(kBlocks, "op=protect-put&template=%2Fz+%7B&setup=P&position=before").status,
              400);
    EXPECT_EQ(Apply(kBlocks, "op=protect-put&template=%2Fz&position=before").status, 400);
    EXPECT_EQ(Apply(kBlocks, "op=protect-delete&template=%2Fz").text, kBlocks);
}

TEST(AdminBlocks, PicsRulesAreAddedReplacedAndDeleted) {
    Outcome out = Apply(
        kBlocks, "op=pics-put&name=Office+hours&description=Work&days=Mon-Fri&start=09%3A00&end=");
    ASSERT_EQ(out.status, 0);
    const std::string added = "DefinePicsRule \"Office hours\" {\n";
    ASSERT_NE(out.text.find(added), std::string::npos);
    EXPECT_GT(out.text.find(added), out.text.find("DefinePicsRule \"Kids\""));
    EXPECT_NE(out.text.find("start-time \"09:00\"\n"), std::string::npos);
    EXPECT_EQ(out.text.find("end-time"), std::string::npos);
    // A rule that exists is rewritten in place, not added twice.
    out = Apply(kBlocks, "op=pics-put&name=Kids&description=Children&days=Sat");
    ASSERT_EQ(out.status, 0);
    EXPECT_NE(out.text.find("description \"Children\"\n"), std::string::npos);
    EXPECT_NE(out.text.find("active-days \"Sat\"\n"), std::string::npos);
    EXPECT_EQ(out.text.find("\"D\""), std::string::npos);
    out = Apply(kBlocks, "op=pics-delete&name=Kids");
    ASSERT_EQ(out.status, 0);
    EXPECT_EQ(out.text.find("Kids"), std::string::npos);
    EXPECT_EQ(Apply(kBlocks, "op=pics-delete&name=kids").status, 409); // names keep their case
    for (const char *bad :
         {"name=K%22&days=Mon", "name=K&days=Mon+Tue", "name=K&days=Mon&description=%28x%29",
          "name=K&days=Mon&description=%7D", "days=Mon"})
        EXPECT_EQ(Apply(kBlocks, std::string("op=pics-put&") + bad).status, 400) << bad;
}

// An attribute value or text as the browser reads it.
std::string Unescaped(std::string text) {
    for (const auto &[entity, c] : {std::pair<const char *, const char *>{"&quot;", "\""},
                                    {"&lt;", "<"},
                                    {"&gt;", ">"},
                                    {"&#39;", "'"},
                                    {"&#13;", "\r"},
                                    {"&amp;", "&"}})
        text = std::regex_replace(text, std::regex(entity), c);
    return text;
}

// What a browser sends of the settings form as drawn, read field by field
// as the form's declaration says each is drawn. Disabled controls send
// nothing.
admin::Form AsSent(const std::string &html) {
    using page::FieldKind;
    admin::Form sent;
    sent.Add("op", "settings");
    for (const page::FormField &f : page::SettingsForm().fields) {
        const std::string name = "name=\"" + f.name + "\"";
        const std::size_t at = html.find(name);
        if (!page::IsSent(f) || at == std::string::npos) continue;
        const std::size_t tagEnd = html.find('>', at);
        const std::string tag = html.substr(at, tagEnd - at);
        if (tag.find(" disabled") != std::string::npos) continue;
        switch (f.kind) {
        case FieldKind::Switch:
            if (tag.find("CHECKED") != std::string::npos) sent.Add(f.name, "on");
            break;
        case FieldKind::Methods:
            for (const page::Option &m : f.options)
                if (html.find(name + " value=\"" + m.value + "\" CHECKED>") != std::string::npos)
                    sent.Add(f.name, m.value);
            break;
        case FieldKind::Choice:
        case FieldKind::Numbers: {
            const std::string list = html.substr(tagEnd, html.find("</select>", at) - tagEnd);
            std::size_t chosen = list.find("<OPTION SELECTED>");
            chosen = chosen == std::string::npos ? list.find("<OPTION>") + 8 : chosen + 17;
            sent.Add(f.name, Unescaped(list.substr(chosen, list.find('<', chosen) - chosen)));
            break;
        }
        case FieldKind::Rules:
            sent.Add(f.name,
                     Unescaped(html.substr(tagEnd + 2, html.find("</textarea>", at) - tagEnd - 2)));
            break;
        default: {
            const std::size_t value = tag.find("value=\"") + 7;
            sent.Add(f.name, Unescaped(tag.substr(value, tag.find('"', value) - value)));
        }
        }
    }
    return sent;
}

// Whatever the file holds, the settings form and its rule lists drawn from
// it and sent back unchanged leave every byte of it as it was (its lines
// end in CR LF, as the library writes them).
TEST(AdminSettings, TheFormAsDrawnAndSentBackChangesNothing) {
    const std::string texts[] = {
        kSettings,
        kBlocks,
        "",
        "caching off\nCacheAlgorithm BLEND\nMaxActiveThreads 55  # most\nPort 8080 # c\n"
        "ProxyPersistence no\nDNS-Lookup yes\nEnable DELETE\nDisable GET\n",
        "Hostname x\"<b>&amp;'\nInputTimeout 2\x01 minutes\nServerRoot /srv/<r>\n"
        "Pass /a/* <img src=x>\nMap /m/*   /n/*\nNoCaching /x\x02\nRedirect /r http://h/?a=1&b=2\n",
        "Port 8080\nCacheDefaultExpiry http:* 1 day\nExec /cgi/* /usr/cgi/*\nProxy http:*\n"
        "Fail /bad/*\nWelcome a.html\n",
    };
    for (const std::string &lines : texts) {
        const std::string text = std::regex_replace(lines, std::regex("\n"), "\r\n");
        TempDir dir;
        const std::string path = dir.File("proxy.conf");
        WriteFile(path, text);
        confkit::Document doc = confkit::Document::Open(path);
        const page::ShownDocument shown(doc);
        const page::PageOptions options;
        const std::string acl;
        const page::Drawing drawing{doc, shown, options, acl};
        const admin::Form sent =
            AsSent(page::SettingsFormHtml(drawing) + page::RuleListsHtml(drawing));
        EXPECT_NO_THROW(admin::ApplyForm(doc, sent)) << text;
        doc.Close(true);
        EXPECT_EQ(ReadFile(path), text);
    }
}

} // namespace
