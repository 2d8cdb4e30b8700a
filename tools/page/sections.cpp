#include "sections.h"

#include "capture.h"
#include "page.h"
#include "pics_names.h"
#include "settings_form.h"
#include "table.h"

#include <memory>
#include <stdexcept>

namespace page {
namespace {

std::string RuleTables(const Drawing &drawing) {
    const ShownDocument &shown = drawing.shown;
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

std::string ProtectionTables(const Drawing &drawing) {
    ConfigDocument *d = drawing.shown.get();
    return Table(drawing.shown,
                 {"protect", "Protected URLs", {"#", "Template", "Setup", "Address"}},
                 [d] { return GenProtectTableItems(kRow, d); });
}

std::string MemberTables(const Drawing &drawing) {
    ConfigDocument *d = drawing.shown.get();
    return Table(drawing.shown,
                 {"members",
                  "Members",
                  {"#", "Name", "RCA address", "Cache root", "Cache size", "RCA port", "Time-out",
                   "Bind specific", "Reuse address"}},
                 [d] { return GenMemberTableItems(kRow, d); });
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
    out += "<pre class=\"filter\" id=\"" + id + "-filter\">" + shown.Html(CaptureStdout([d, rule] {
        GenPicsFilterSubTableItems("%s", rule, "Filter", d);
    })) + "</pre>\n";
    return out;
}

std::string FilterTables(const Drawing &drawing) {
    const ShownDocument &shown = drawing.shown;
    ConfigDocument *d = shown.get();
    std::string out = Table(shown, {"pics-rules", "PICS rules", {"#", "Rule"}},
                            [d] { return GenPicsFilterTableItems(kRow, d); });
    std::size_t number = 0;
    for (const std::string &name : PicsRuleNames(shown.copy()))
        out += PicsRule(shown, name, ++number);
    return out;
}

// The ACL rows come from a copy of the file with the same stand-ins.
std::string AclTable(const Drawing &drawing) {
    const PageOptions &options = drawing.options;
    if (!options.aclFile) return "<p>No access-control list is shown.</p>\n";
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> masked(std::tmpfile(), std::fclose);
    const std::string text = drawing.shown.Mask(drawing.aclText);
    if (!masked || std::fwrite(text.data(), 1, text.size(), masked.get()) != text.size())
        throw std::runtime_error("the access-control list cannot be copied");
    std::rewind(masked.get());
    return Table(drawing.shown, {"acl", options.aclName, {"#", "Name", "Access", "Address"}, true},
                 [&masked] { return GenAclList("%s", masked.get()); });
}

} // namespace

std::vector<Section> PageSections(const AddedForms &added) {
    return {
        {"section-settings", "Server settings", nullptr, {SettingsFormHtml}},
        {"section-rules", "Rules", RuleTables, added.rules},
        {"section-protection", "Protection", ProtectionTables, added.protection},
        {"section-members", "Members", MemberTables, {}},
        {"section-filtering", "Content filtering", FilterTables, added.filtering},
        {"section-acl", "Access control", AclTable, {}},
    };
}

} // namespace page
