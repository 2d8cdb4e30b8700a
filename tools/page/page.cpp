#include "page.h"

#include "capture.h"
#include "pics_names.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace page {
namespace {

// Where a table row of the generators ends; their markup is the only markup
// in what they print, since values reach them with stand-ins for "<".
constexpr const char *kRowEnd = "</tr>";

std::size_t Count(const std::string &text, const std::string &piece, std::size_t from,
                  std::size_t to) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece, from); at < to; at = text.find(piece, at + 1))
        ++n;
    return n;
}

// The rows with empty cells added so that every row has width cells; width
// is at least the widest row.
std::string PadRows(const std::string &rows, std::size_t &width) {
    for (std::size_t start = 0, end; (end = rows.find(kRowEnd, start)) != std::string::npos;
         start = end + 1)
        width = std::max(width, Count(rows, "<td", start, end));
    std::string padded;
    std::size_t start = 0;
    for (std::size_t end; (end = rows.find(kRowEnd, start)) != std::string::npos;) {
        padded.append(rows, start, end - start);
        for (std::size_t n = Count(rows, "<td", start, end); n < width; ++n)
            padded += "<td></td>";
        start = end;
        padded += kRowEnd;
        start += std::string(kRowEnd).size();
    }
    return padded + rows.substr(start);
}

struct TableSpec {
    std::string id;
    std::string caption;
    std::vector<std::string> headers;
    bool filterable = false;
};

// A table whose rows a generator prints, padded to the table's width; a row
// saying so when it prints none. Wide tables scroll inside their own box.
std::string Table(const ShownDocument &shown, const TableSpec &t,
                  const std::function<int32_t()> &rows) {
    int32_t count = 0;
    std::size_t width = t.headers.size();
    const std::string body = PadRows(shown.Html(CaptureStdout([&] { count = rows(); })), width);
    const std::string captionId = t.id + "-caption";
    std::string out =
        "<div class=\"table-wrap\" role=\"region\" tabindex=\"0\" aria-labelledby=\"" + captionId +
        "\">\n<table id=\"" + t.id + "\"" + (t.filterable ? " class=\"filterable\"" : "") +
        ">\n<caption id=\"" + captionId + "\">" + HtmlEscape(t.caption) + "</caption>\n<thead><tr>";
    for (std::size_t i = 0; i < t.headers.size(); ++i) {
        const bool last = i + 1 == t.headers.size();
        const std::size_t span = last ? width - i : 1;
        out += "<th scope=\"col\"" +
               (span > 1 ? " colspan=\"" + std::to_string(span) + "\"" : std::string()) + ">" +
               HtmlEscape(t.headers[i]) + "</th>";
    }
    out += "</tr></thead>\n<tbody>\n" + body;
    if (count == 0)
        out += "<tr class=\"none\"><td colspan=\"" + std::to_string(width) + "\">none</td></tr>\n";
    return out + "</tbody>\n</table>\n</div>\n";
}

// One labelled form control of the settings table.
std::string SettingRow(const std::string &label, const std::string &id,
                       const std::string &control) {
    const std::string head = id.empty()
                                 ? HtmlEscape(label)
                                 : "<label for=\"" + id + "\">" + HtmlEscape(label) + "</label>";
    return "<tr><th scope=\"row\">" + head + "</th><td>" + control + "</td></tr>\n";
}

std::string Generated(const ShownDocument &shown, const std::function<void()> &print) {
    return shown.Html(CaptureStdout(print));
}

// A text input whose value a generator prints, as an attribute value.
std::string TextInput(const ShownDocument &shown, const std::string &name, int size,
                      const std::function<void(ConfigDocument *)> &value) {
    const std::string generated = CaptureStdout([&] { value(shown.get()); });
    const std::string id = "f-" + name;
    const ControlByteLock lock =
        shown.HoldsControlByte(generated) ? LockForControlBytes(id) : ControlByteLock{};
    return "<input type=\"text\" id=\"" + id + "\" name=\"" + name + "\" value=\"" +
           shown.Attribute(generated) + "\" size=\"" + std::to_string(size) + "\"" +
           lock.attributes + ">" + lock.note;
}

// The number after the directive word of the directive's first rule, or
// fallback when there is none.
int32_t FirstNumber(const confkit::Document &doc, const char *directive, int32_t fallback) {
    confkit::LineList rules = doc.Rules(confkit::RuleId(directive));
    const char *value = rules.empty() ? nullptr : TokenNext(rules.get()->text);
    return value ? static_cast<int32_t>(std::strtol(value, nullptr, 10)) : fallback;
}

std::string Header(const confkit::Document &doc, const PageOptions &options) {
    std::string out = "<header class=\"top\">\n<h1>" + HtmlEscape(options.title) +
                      "</h1>\n<p class=\"file\">Configuration file: <code>" +
                      HtmlEscape(doc.Path()) + "</code></p>\n<nav aria-label=\"Sections\">\n<ul>\n";
    for (const Section &s : Sections())
        out += std::string("<li><a href=\"#") + s.id + "\">" + s.heading + "</a></li>\n";
    for (const PageOptions::MoreSection &s : options.more)
        out += "<li><a href=\"#" + s.id + "\">" + HtmlEscape(s.heading) + "</a></li>\n";
    out += "</ul>\n</nav>\n</header>\n<main>\n";
    if (!options.message.empty())
        out += "<p id=\"message\" class=\"message\" role=\"status\">" +
               HtmlEscape(options.message) + "</p>\n";
    return out;
}

std::string SettingsForm(const ShownDocument &shown, const PageOptions &options) {
    ConfigDocument *d = shown.get();
    std::string out = "<form id=\"settings\" method=\"post\" action=\"" +
                      HtmlEscape(options.action) + "\">\n" + HiddenInputs(options.formFields) +
                      "<table id=\"server-settings\" class=\"settings\">\n";
    out += SettingRow("Port", "f-Port", TextInput(shown, "Port", 6, [](ConfigDocument *c) {
                          GenTextField("%s", "Port", 2, 0, "80", c);
                      }));
    out += SettingRow("Host name", "f-Hostname",
                      TextInput(shown, "Hostname", 30, [](ConfigDocument *c) {
                          GenTextField("%s", "Hostname", 2, 0, "", c);
                      }));
    out += SettingRow("Server root", "f-ServerRoot",
                      TextInput(shown, "ServerRoot", 40, [](ConfigDocument *c) {
                          GenTextField("%s", "ServerRoot", 2, 0, "", c);
                      }));
    out += SettingRow("Input time-out", "f-InputTimeout",
                      TextInput(shown, "InputTimeout", 20, [](ConfigDocument *c) {
                          GenTextField("%s", "InputTimeout", 2, 1, "", c);
                      }));
    struct Switch {
        const char *label, *name;
        int onWhenAbsent;
    };
    for (const Switch &sw :
         {Switch{"Caching", "Caching", 0}, Switch{"Persistent connections", "ProxyPersistence", 1},
          Switch{"DNS look-up", "DNS-Lookup", 0}}) {
        const std::string tmpl = std::string("<input type=\"checkbox\" id=\"f-") + sw.name +
                                 "\" name=\"" + sw.name + "\" value=\"on\" %s>";
        out += SettingRow(sw.label, std::string("f-") + sw.name, Generated(shown, [&] {
                              GenCheckedSettingOnOff(tmpl.c_str(), sw.name, 1, sw.onWhenAbsent, d);
                          }));
    }
    out += SettingRow("Cache algorithm", "f-CacheAlgorithm", Generated(shown, [d] {
                          GenOptionList("<select id=\"f-CacheAlgorithm\" name=\"CacheAlgorithm\">%s"
                                        "</select>",
                                        "CacheAlgorithm", "bandwidth,responsetime,blend",
                                        "bandwidth", d);
                      }));
    const int32_t threads = FirstNumber(shown.copy(), "MaxActiveThreads", 40);
    out += SettingRow("Most active threads", "f-MaxActiveThreads", Generated(shown, [threads] {
                          GenOptionString("<select id=\"f-MaxActiveThreads\" "
                                          "name=\"MaxActiveThreads\">%s</select>",
                                          10, 100, threads);
                      }));
    out += SettingRow("Methods", "", Generated(shown, [d] {
                          for (const char *method : {"GET", "HEAD", "POST", "PUT", "DELETE",
                                                     "OPTIONS", "TRACE", "CONNECT"}) {
                              const std::string tmpl =
                                  std::string("<label class=\"method\"><input type=\"checkbox\" "
                                              "name=\"Enable\" value=\"") +
                                  method + "\" %s>" + method + "</label> ";
                              GenCheckedSetting(tmpl.c_str(),
                                                (std::string("Enable ") + method).c_str(), "", 0, 2,
                                                "CHECKED", d);
                          }
                      }));
    out += SettingRow("Cache expiry for http:", "f-CacheDefaultExpiry-http",
                      TextInput(shown, "CacheDefaultExpiry-http", 6, [](ConfigDocument *c) {
                          GenCacheTimeoutSetting("%s", "CacheDefaultExpiry", "http:", c);
                      }));
    out += SettingRow("Welcome pages", "f-Welcome", Generated(shown, [d] {
                          GenSelectListItems("<select id=\"f-Welcome\" name=\"Welcome\" size=\"4\" "
                                             "disabled>%s</select>",
                                             "Welcome", 0, d);
                      }));
    out += SettingRow("Blank icon", "", Generated(shown, [d] {
                          GenMultiDirectiveText("<code>%s</code>", "AddBlankIcon", 2, d);
                      }));
    return out + "</table>\n<p><button type=\"submit\">Preview changes</button></p>\n</form>\n";
}

const char *const kRow = "%s\n";

std::string RuleTables(const ShownDocument &shown) {
    ConfigDocument *d = shown.get();
    std::string out;
    out += Table(
        shown,
        {"mapping-rules",
         "Request mapping (Pass, Fail, Map, Exec, Redirect, Proxy)",
         {"#", "Directive", "Template", "Replacement", "Address"},
         true},
        [d] { return GenMultiTableItems(kRow, "Pass Fail Map Exec Redirect Proxy ", 4, 0, d); });
    out += Table(shown, {"methods", "Other request methods", {"#", "Method", "Program"}},
                 [d] { return GenMethTableItems(kRow, d); });
    out += Table(
        shown,
        {"cache-urls", "URLs loaded into or kept out of the cache", {"#", "URL", "Action"}, true},
        [d] { return GenCacheURLTableItems(kRow, d); });
    out += Table(shown, {"no-caching", "Not cached", {"#", "Template"}, true},
                 [d] { return GenTableItems(kRow, "NoCaching", 1, 1, d); });
    out += Table(shown,
                 {"add-types", "File types", {"#", "Suffix", "Type", "Encoding", "Quality"}, true},
                 [d] { return GenTableItems(kRow, "AddType", 4, 1, d); });
    out += Table(shown, {"socks", "SOCKS rules", {"#", "Action", "Address", "Mask", "User"}},
                 [d] { return GenSocksTableItems(kRow, d); });
    out += Table(shown, {"api", "API directives", {"#", "Directive and arguments"}, true}, [d] {
        return GenAPITableItems(
            kRow,
            "ServerInit&PreExit&Authentication&NameTrans&Authorization&ObjectType&DataFilter&"
            "Service&Log&Error&PostExit&ServerTerm&Midnight&PICSDBLookup&Transmogrifier&"
            "GC Advisor&Proxy Advisor&",
            d);
    });
    out += Table(shown, {"zarnds-services", "Zarnds services", {"#", "Template"}},
                 [d] { return GenZarndsTableItems(kRow, d); });
    out += Table(shown, {"zarnds-loads", "Loaded modules", {"#", "Module"}},
                 [d] { return GenZarndsConfTableItems(kRow, d); });
    return out;
}

std::string PicsRule(const ShownDocument &shown, const std::string &name, std::size_t number) {
    ConfigDocument *d = shown.get();
    const char *rule = name.c_str();
    const std::string id = "pics-" + std::to_string(number);
    std::string out = "<h3 id=\"" + id + "\">PICS rule " + shown.Html(name) + "</h3>\n";
    const auto clause = [&](const char *suffix, const char *caption,
                            std::vector<std::string> headers, const char *keyword) {
        out += Table(shown, {id + suffix, caption, std::move(headers)}, [d, rule, keyword] {
            return GenPicsFilterSubTableItems(kRow, rule, keyword, d);
        });
    };
    clause("-serviceinfo", "Rating services",
           {"#", "Short name", "Name", "Bureau", "Rating file", "With content"}, "serviceinfo");
    clause("-applies-to", "Applies to", {"#", "Item"}, "applies-to");
    clause("-passurl", "Always passed", {"#", "URL"}, "passurl");
    clause("-failurl", "Always refused", {"#", "URL"}, "failurl");
    out += "<pre class=\"filter\" id=\"" + id + "-filter\">" +
           Generated(shown, [d, rule] { GenPicsFilterSubTableItems("%s", rule, "Filter", d); }) +
           "</pre>\n";
    return out;
}

std::string ProtectionTables(const ShownDocument &shown) {
    ConfigDocument *d = shown.get();
    return Table(shown, {"protect", "Protected URLs", {"#", "Template", "Setup", "Address"}},
                 [d] { return GenProtectTableItems(kRow, d); });
}

std::string MemberTables(const ShownDocument &shown) {
    ConfigDocument *d = shown.get();
    return Table(shown,
                 {"members",
                  "Members",
                  {"#", "Name", "RCA address", "Cache root", "Cache size", "RCA port", "Time-out",
                   "Bind specific", "Reuse address"}},
                 [d] { return GenMemberTableItems(kRow, d); });
}

std::string FilterTables(const ShownDocument &shown) {
    ConfigDocument *d = shown.get();
    std::string out = Table(shown, {"pics-rules", "PICS rules", {"#", "Rule"}},
                            [d] { return GenPicsFilterTableItems(kRow, d); });
    std::size_t number = 0;
    for (const std::string &name : PicsRuleNames(shown.copy()))
        out += PicsRule(shown, name, ++number);
    return out;
}

// The ACL rows come from a copy of the file with the same stand-ins.
std::string AclTable(const ShownDocument &shown, const PageOptions &options,
                     const std::string &aclText) {
    if (!options.aclFile) return "<p>No access-control list is shown.</p>\n";
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> masked(std::tmpfile(), std::fclose);
    const std::string text = shown.Mask(aclText);
    if (!masked || std::fwrite(text.data(), 1, text.size(), masked.get()) != text.size())
        throw std::runtime_error("the access-control list cannot be copied");
    std::rewind(masked.get());
    return Table(shown, {"acl", options.aclName, {"#", "Name", "Access", "Address"}, true},
                 [&masked] { return GenAclList("%s", masked.get()); });
}

std::string ReadStream(std::FILE *file) {
    std::string text;
    if (!file) return text;
    char buffer[8192];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

std::string SectionHtml(const std::string &id, const std::string &heading,
                        const std::string &body) {
    return "<section id=\"" + id + "\" aria-labelledby=\"" + id +
           "-heading\">\n<details open>\n<summary><h2 id=\"" + id + "-heading\">" + heading +
           "</h2></summary>\n" + body + "</details>\n</section>\n";
}

} // namespace

const std::vector<Section> &Sections() {
    static const std::vector<Section> sections = {
        {"section-settings", "Server settings"},    {"section-rules", "Rules"},
        {"section-protection", "Protection"},       {"section-members", "Members"},
        {"section-filtering", "Content filtering"}, {"section-acl", "Access control"},
    };
    return sections;
}

namespace {

// shown: for reading (control bytes as "\xNN"); else for a value that the
// browser sends back as it stands (a CR as its character reference, which
// the parser would otherwise turn into a line feed).
std::string Escape(const std::string &text, bool shown) {
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
            if (shown)
                out += ShownByte(c);
            else if (c == '\r')
                out += "&#13;";
            else
                out += c;
        }
    }
    return out;
}

} // namespace

std::string HtmlEscape(const std::string &text) {
    return Escape(text, true);
}

std::string HiddenInputs(const FormFields &fields) {
    std::string out;
    for (const auto &[name, value] : fields)
        out += "<input type=\"hidden\" name=\"" + Escape(name, false) + "\" value=\"" +
               Escape(value, false) + "\">\n";
    return out;
}

ControlByteLock LockForControlBytes(const std::string &id) {
    const std::string note = id + "-note";
    return {" disabled aria-describedby=\"" + note + "\"",
            " <span class=\"note\" id=\"" + note +
                "\">Holds a control byte, shown as \\xNN, which this form cannot keep; confctl "
                "edits it.</span>"};
}

std::string PageStart(const std::string &title) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           HtmlEscape(title) +
           "</title>\n<link rel=\"stylesheet\" href=\"admin.css\">\n"
           "<script src=\"admin.js\" defer></script>\n</head>\n<body>\n";
}

std::string PageEnd() {
    return "</body>\n</html>\n";
}

std::string ErrorPage(const std::string &title, const std::string &message,
                      const std::string &back) {
    return PageStart(title) + "<main>\n<h1>" + HtmlEscape(title) +
           "</h1>\n<p id=\"error\" class=\"message error\" role=\"alert\">" + HtmlEscape(message) +
           "</p>\n<p><a href=\"" + HtmlEscape(back.empty() ? "./" : back) +
           "\">Back to the page</a></p>\n</main>\n" + PageEnd();
}

std::string RenderAdministrationPage(const confkit::Document &doc, const PageOptions &options) {
    const std::string aclText = ReadStream(options.aclFile);
    const ShownDocument shown(doc, aclText);
    const auto extra = [&](const char *id) {
        return options.extra ? options.extra(id, shown) : std::string();
    };
    const std::vector<std::string> bodies = {
        SettingsForm(shown, options), RuleTables(shown),   ProtectionTables(shown),
        MemberTables(shown),          FilterTables(shown), AclTable(shown, options, aclText)};
    std::string out = PageStart(options.title) + Header(doc, options);
    for (std::size_t i = 0; i < Sections().size(); ++i) {
        const Section &s = Sections()[i];
        out += SectionHtml(s.id, s.heading, bodies[i] + extra(s.id));
    }
    for (const PageOptions::MoreSection &s : options.more)
        out += SectionHtml(s.id, HtmlEscape(s.heading), s.body);
    return out + "</main>\n" + PageEnd();
}

void PrintAdministrationPage(const confkit::Document &doc, const PageOptions &options) {
    const std::string page = RenderAdministrationPage(doc, options);
    std::fwrite(page.data(), 1, page.size(), stdout);
    std::fflush(stdout);
}

} // namespace page
