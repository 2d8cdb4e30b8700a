#include "page.h"
#include "pics_names.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace page {
namespace {

void Out(const std::string &text) {
    std::fputs(text.c_str(), stdout);
}

// A table whose rows a generator prints; a row saying so when it prints none.
void Table(const std::string &id, const std::string &caption,
           const std::vector<std::string> &headers, const std::function<int32_t()> &rows) {
    Out("<table id=\"" + id + "\">\n<caption>" + HtmlEscape(caption) + "</caption>\n<thead><tr>");
    for (const std::string &h : headers)
        Out("<th>" + HtmlEscape(h) + "</th>");
    Out("</tr></thead>\n<tbody>\n");
    std::fflush(stdout);
    if (rows() == 0)
        Out("<tr class=\"none\"><td colspan=\"" + std::to_string(headers.size()) +
            "\">none</td></tr>\n");
    Out("</tbody>\n</table>\n");
}

// One labelled form control, whose value a generator prints.
void Setting(const std::string &label, const std::function<void()> &control) {
    Out("<tr><th>" + HtmlEscape(label) + "</th><td>");
    std::fflush(stdout);
    control();
    Out("</td></tr>\n");
}

// The number after the directive word of the directive's first rule, or
// fallback when there is none.
int32_t FirstNumber(const confkit::Document &doc, const char *directive, int32_t fallback) {
    confkit::LineList rules = doc.Rules(confkit::RuleId(directive));
    const char *value = rules.empty() ? nullptr : TokenNext(rules.get()->text);
    return value ? static_cast<int32_t>(std::strtol(value, nullptr, 10)) : fallback;
}

void PrintHead(const confkit::Document &doc, const PageOptions &options) {
    Out("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
        HtmlEscape(options.title) +
        "</title>\n<style>\n"
        "body{font-family:sans-serif;margin:1em 2em}table{border-collapse:collapse;margin:0.5em 0 "
        "1.5em}\n"
        "th,td{border:1px solid #999;padding:2px "
        "6px;text-align:left}caption{font-weight:bold;text-align:left}\n"
        "tr.none td{color:#777;font-style:italic}pre.filter{background:#eee;padding:4px}\n"
        "</style>\n</head>\n<body>\n<h1>" +
        HtmlEscape(options.title) + "</h1>\n<p>Configuration file: <code>" +
        HtmlEscape(doc.Path()) + "</code></p>\n");
}

void PrintSettings(const confkit::Document &doc, const PageOptions &options) {
    ConfigDocument *d = doc.get();
    Out("<h2>Server settings</h2>\n<form id=\"settings\" method=\"post\" action=\"" +
        HtmlEscape(options.action) + "\">\n<table id=\"server-settings\">\n");
    Setting("Port", [d] {
        GenTextField("<input type=\"text\" name=\"Port\" value=\"%s\" size=\"6\">", "Port", 2, 0,
                     "80", d);
    });
    Setting("Host name", [d] {
        GenTextField("<input type=\"text\" name=\"Hostname\" value=\"%s\" size=\"30\">", "Hostname",
                     2, 0, "", d);
    });
    Setting("Server root", [d] {
        GenTextField("<input type=\"text\" name=\"ServerRoot\" value=\"%s\" size=\"40\">",
                     "ServerRoot", 2, 0, "", d);
    });
    Setting("Input time-out", [d] {
        GenTextField("<input type=\"text\" name=\"InputTimeout\" value=\"%s\" size=\"20\">",
                     "InputTimeout", 2, 1, "", d);
    });
    Setting("Caching", [d] {
        GenCheckedSettingOnOff("<input type=\"checkbox\" name=\"Caching\" value=\"on\" %s>",
                               "Caching", 1, 0, d);
    });
    Setting("Persistent connections", [d] {
        GenCheckedSettingOnOff(
            "<input type=\"checkbox\" name=\"ProxyPersistence\" value=\"on\" %s>",
            "ProxyPersistence", 1, 1, d);
    });
    Setting("DNS look-up", [d] {
        GenCheckedSettingOnOff("<input type=\"checkbox\" name=\"DNS-Lookup\" value=\"on\" %s>",
                               "DNS-Lookup", 1, 0, d);
    });
    Setting("Cache algorithm", [d] {
        GenOptionList("<select name=\"CacheAlgorithm\">%s</select>", "CacheAlgorithm",
                      "bandwidth,responsetime,blend", "bandwidth", d);
    });
    int32_t threads = FirstNumber(doc, "MaxActiveThreads", 40);
    Setting("Most active threads", [threads] {
        GenOptionString("<select name=\"MaxActiveThreads\">%s</select>", 10, 100, threads);
    });
    Setting("Methods", [d] {
        for (const char *method :
             {"GET", "HEAD", "POST", "PUT", "DELETE", "OPTIONS", "TRACE", "CONNECT"}) {
            std::string tmpl =
                std::string("<label><input type=\"checkbox\" name=\"Enable\" value=\"") + method +
                "\" %s>" + method + "</label> ";
            GenCheckedSetting(tmpl.c_str(), (std::string("Enable ") + method).c_str(), "", 0, 2,
                              "CHECKED", d);
        }
    });
    Setting("Cache expiry for http:", [d] {
        GenCacheTimeoutSetting(
            "<input type=\"text\" name=\"CacheDefaultExpiry-http\" value=\"%s\" size=\"6\">",
            "CacheDefaultExpiry", "http:", d);
    });
    Setting("Welcome pages", [d] {
        GenSelectListItems("<select name=\"Welcome\" size=\"4\">%s</select>", "Welcome", 0, d);
    });
    Setting("Blank icon", [d] { GenMultiDirectiveText("<code>%s</code>", "AddBlankIcon", 2, d); });
    Out("</table>\n<p><input type=\"submit\" value=\"Apply\"></p>\n</form>\n");
}

const char *const kRow = "%s\n";

void PrintRuleTables(const confkit::Document &doc) {
    ConfigDocument *d = doc.get();
    Out("<h2>Rules</h2>\n");
    Table("mapping-rules", "Request mapping (Pass, Fail, Map, Exec, Redirect, Proxy)",
          {"#", "Directive", "Template", "Replacement", "Address"},
          [d] { return GenMultiTableItems(kRow, "Pass Fail Map Exec Redirect Proxy ", 4, 0, d); });
    Table("methods", "Other request methods", {"#", "Method", "Program"},
          [d] { return GenMethTableItems(kRow, d); });
    Table("cache-urls", "URLs loaded into or kept out of the cache", {"#", "URL", "Action"},
          [d] { return GenCacheURLTableItems(kRow, d); });
    Table("no-caching", "Not cached", {"#", "Template"},
          [d] { return GenTableItems(kRow, "NoCaching", 1, 1, d); });
    Table("add-types", "File types", {"#", "Suffix", "Type", "Encoding", "Quality"},
          [d] { return GenTableItems(kRow, "AddType", 4, 1, d); });
    Table("socks", "SOCKS rules", {"#", "Action", "Address", "Mask", "User"},
          [d] { return GenSocksTableItems(kRow, d); });
    Table("api", "API directives", {"#", "Directive and arguments"}, [d] {
        return GenAPITableItems(
            kRow,
            "ServerInit&PreExit&Authentication&NameTrans&Authorization&ObjectType&DataFilter&"
            "Service&Log&Error&PostExit&ServerTerm&Midnight&PICSDBLookup&Transmogrifier&"
            "GC Advisor&Proxy Advisor&",
            d);
    });
    Table("zarnds-services", "Zarnds services", {"#", "Template"},
          [d] { return GenZarndsTableItems(kRow, d); });
    Table("zarnds-loads", "Loaded modules", {"#", "Module"},
          [d] { return GenZarndsConfTableItems(kRow, d); });
}

void PrintPicsRule(ConfigDocument *d, const std::string &name, std::size_t number) {
    const char *rule = name.c_str();
    const std::string id = "pics-" + std::to_string(number);
    Out("<h3 id=\"" + id + "\">PICS rule " + HtmlEscape(name) + "</h3>\n");
    Table(id + "-serviceinfo", "Rating services",
          {"#", "Short name", "Name", "Bureau", "Rating file", "With content"},
          [d, rule] { return GenPicsFilterSubTableItems(kRow, rule, "serviceinfo", d); });
    Table(id + "-applies-to", "Applies to", {"#", "Item"},
          [d, rule] { return GenPicsFilterSubTableItems(kRow, rule, "applies-to", d); });
    Table(id + "-passurl", "Always passed", {"#", "URL"},
          [d, rule] { return GenPicsFilterSubTableItems(kRow, rule, "passurl", d); });
    Table(id + "-failurl", "Always refused", {"#", "URL"},
          [d, rule] { return GenPicsFilterSubTableItems(kRow, rule, "failurl", d); });
    Out("<pre class=\"filter\" id=\"" + id + "-filter\">");
    std::fflush(stdout);
    GenPicsFilterSubTableItems("%s", rule, "Filter", d);
    Out("</pre>\n");
}

void PrintBlockTables(const confkit::Document &doc) {
    ConfigDocument *d = doc.get();
    Out("<h2>Protection</h2>\n");
    Table("protect", "Protected URLs", {"#", "Template", "Setup", "Address"},
          [d] { return GenProtectTableItems(kRow, d); });
    Out("<h2>Members</h2>\n");
    Table("members", "Members",
          {"#", "Name", "RCA address", "Cache root", "Cache size", "RCA port", "Time-out",
           "Bind specific", "Reuse address"},
          [d] { return GenMemberTableItems(kRow, d); });
    Out("<h2>Content filtering</h2>\n");
    Table("pics-rules", "PICS rules", {"#", "Rule"},
          [d] { return GenPicsFilterTableItems(kRow, d); });
    std::size_t number = 0;
    for (const std::string &name : PicsRuleNames(doc))
        PrintPicsRule(d, name, ++number);
}

void PrintAcl(const PageOptions &options) {
    if (!options.aclFile) return;
    Out("<h2>Access control list</h2>\n");
    Table("acl", options.aclName, {"#", "Name", "Access", "Address"},
          [&options] { return GenAclList("%s", options.aclFile); });
}

} // namespace

std::string HtmlEscape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void PrintAdministrationPage(const confkit::Document &doc, const PageOptions &options) {
    PrintHead(doc, options);
    PrintSettings(doc, options);
    PrintRuleTables(doc);
    PrintBlockTables(doc);
    PrintAcl(options);
    if (options.extraSections) {
        std::fflush(stdout);
        options.extraSections();
    }
    Out("</body>\n</html>\n");
    std::fflush(stdout);
}

} // namespace page
