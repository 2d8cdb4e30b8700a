// The table of directive names and the lookups by rule ID and by name. The
// rule IDs are the table's indexes and callers pass them as numbers, so the
// order of the table never changes.
#include "common/text.h"
#include "internal.h"

#include <cstring>

namespace {

constexpr int32_t kDirectiveCount = 232;

// Lower-case names, rule ID = index. Two names occur twice (59/60 and 62/63):
// a lookup by name gives the lower ID.
const char *const kDirectiveTable[kDirectiveCount + 1] = {
    // 0 to 9
    "accesslog",
    "accesslogexcludemethod",
    "accesslogexcludemimetype",
    "accesslogexcludereturncode",
    "accesslogexcludeurl",
    "accesslogexcludeuseragent",
    "addblankicon",
    "addclient",
    "adddiricon",
    "addencoding",
    // 10 to 19
    "addlanguage",
    "addicon",
    "addparenticon",
    "addtype",
    "addunknownicon",
    "agentlog",
    "aggressivecaching",
    "alwayswelcome",
    "applenv",
    "arrayname",
    // 20 to 29
    "authentication",
    "authorization",
    "autocacherefresh",
    "bindspecific",
    "cacheaccesslog",
    "cachealgorithm",
    "cachebyincomingurl",
    "cacheclean",
    "cachedefaultexpiry",
    "cacheexpirycheck",
    // 30 to 39
    "cachefiles",
    "cachefilesizelimit",
    "cachelastmodifiedfactor",
    "cachelimit_2",
    "cachelocaldomain",
    "cachelocktimeout",
    "cachemaxexpiry",
    "cacheminhold",
    "cachenoconnect",
    "cacheonly",
    // 40 to 49
    "cachequeries",
    "cacherefreshtime",
    "cacheroot",
    "cachesize",
    "cachetimemargin",
    "cacheunused",
    "caching",
    "cgierrorlog",
    "clientbrowserintelligence",
    "clientlinkspeed",
    // 50 to 59
    "compressage",
    "compresscommand",
    "compressdeleteage",
    "connectionpool",
    "continuecaching",
    "datafilter",
    "defaultfscp",
    "defaultnetcp",
    "definelbservice",
    "definepicsrule",
    // 60 to 69
    "definepicsrule",
    "defineservice",
    "defineserviceinfo",
    "defineserviceinfo",
    "defprot",
    "delayperiod",
    "delveacrosshosts",
    "delvedepth",
    "delveinto",
    "deny",
    // 70 to 79
    "diraccess",
    "direct",
    "dirreadme",
    "dirshowbrackets",
    "dirshowbytes",
    "dirshowcase",
    "dirshowdate",
    "dirshowdescription",
    "dirshowgroup",
    "dirshowhidden",
    // 80 to 89
    "dirshowicons",
    "dirshowmaxdescrlength",
    "dirshowmaxlength",
    "dirshowminlength",
    "dirshowmode",
    "dirshowowner",
    "dirshowsize",
    "disable",
    "disinheritenv",
    "dns-lookup",
    // 90 to 99
    "enable",
    "enablejavaservletsupport",
    "error",
    "errorlog",
    "errorpage",
    "exec",
    "fail",
    "flexiblesocks",
    "ftpurlpath",
    "ftp_proxy",
    // 100 to 109
    "gc",
    "gc advisor",
    "gcdailygc",
    "gcmaxinuse",
    "gcmemusage",
    "globalbrowserintelligence",
    "globallinkspeed",
    "gopher_proxy",
    "groupid",
    "hardthrottling",
    // 110 to 119
    "historyfilepath",
    "homedir",
    "hostname",
    "http_proxy",
    "https_proxy",
    "identitycheck",
    "idlethreadtimeout",
    "ignoreurl",
    "imbeds",
    "inheritenv",
    // 120 to 129
    "inputtimeout",
    "installpath",
    "javainstallationroot",
    "keyfile",
    "labelsfor",
    "ldapinfo",
    "load",
    "loadinlineimages",
    "loadtopcached",
    "loadurl",
    // 130 to 139
    "log",
    "logarchive",
    "logtime",
    "logtogui",
    "logtosyslog",
    "map",
    "maxactivejavathreads",
    "maxactivethreads",
    "maxcontentlengthbuffer",
    "maxpersistrequest",
    // 140 to 149
    "maxqueuedepth",
    "maxruntime",
    "maxurls",
    "member",
    "metadir",
    "metasuffix",
    "midnight",
    "monitorwatchlist",
    "nametrans",
    "no_proxy",
    // 150 to 159
    "nocaching",
    "nolog",
    "noproxyheader",
    "normalmode",
    "nothrottlehost",
    "numclients",
    "objecttype",
    "outboundproxypersistence",
    "outputtimeout",
    "pacfilepath",
    // 160 to 169
    "pass",
    "persisttimeout",
    "picsdblookup",
    "pidfile",
    "port",
    "postexit",
    "preexit",
    "protect",
    "protection",
    "proxy",
    // 170 to 179
    "proxy advisor",
    "proxyaccesslog",
    "proxyfrom",
    "proxyignorenocache",
    "proxynumtables",
    "proxypersistence",
    "proxysendclientaddress",
    "proxyuseragent",
    "pureproxy",
    "purgeage",
    // 180 to 189
    "purgesize",
    "rcaconfigfile",
    "readtimeout",
    "redirect",
    "refererlog",
    "scripttimeout",
    "sendhttp10outbound",
    "serverinit",
    "serverroot",
    "serverterm",
    // 190 to 199
    "service",
    "servlet",
    "servletdir",
    "servletlog",
    "servlettrusteddir",
    "shttp_proxy",
    "zqm",
    "zqmrecordinginterval",
    "snmp",
    "snmpcommunity",
    // 200 to 209
    "sockd",
    "socksserver",
    "sslcipherspec",
    "sslclientauth",
    "sslmode",
    "sslport",
    "sslservercert",
    "ssltunneling",
    "sslv2timeout",
    "sslv3timeout",
    // 210 to 219
    "ssl_x500_ca_roots",
    "ssl_x500_host",
    "ssl_x500_password",
    "ssl_x500_port",
    "ssl_x500_userid",
    "suffixcasesense",
    "throttlereceive",
    "throttlerexmit",
    "throttlesend",
    "transparentproxy",
    // 220 to 229
    "transmogrifier",
    "updateproxy",
    "useacls",
    "usemetafiles",
    "userdir",
    "userid",
    "username",
    "usernameux",
    "version",
    "wais_proxy",
    // 230 to 231
    "webmasteremail",
    "welcome",
    nullptr,
};

// Names that hold a space are matched as a prefix of the line.
bool NameHasSpace(const char *name) {
    return std::strchr(name, ' ') != nullptr;
}

// The directive word ends at a space, tab, "\n", "@" or the end ("#" does not
// end it).
std::size_t DirectiveWordLength(const char *p) {
    std::size_t n = 0;
    while (p[n] && !ascii::IsTokenSpace(p[n]))
        ++n;
    return n;
}

} // namespace

extern "C" CONFKIT_API const char *CONFKIT_CALL HTTPDIDToRule(int32_t id) {
    if (id < 0 || id >= kDirectiveCount) return nullptr;
    return kDirectiveTable[id];
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDRuleToID(const char *name) {
    if (!name) return -1;
    for (int32_t id = 0; id < kDirectiveCount; ++id)
        if (ascii::EqualNoCase(kDirectiveTable[id], name)) return id;
    return -1;
}

extern "C" CONFKIT_API int32_t CONFKIT_CALL HTTPDRuleMatch(const char *line, int32_t id) {
    const char *name = HTTPDIDToRule(id);
    if (!name || !line) return 0;
    while (ascii::IsTokenSpace(*line))
        ++line;
    const std::size_t nameLength = std::strlen(name);
    if (NameHasSpace(name)) return ascii::EqualNoCaseN(line, name, nameLength) ? 1 : 0;
    if (DirectiveWordLength(line) != nameLength) return 0;
    return ascii::EqualNoCaseN(line, name, nameLength) ? 1 : 0;
}
