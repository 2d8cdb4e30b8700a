// The output primitive of the HTML generators and the helpers they share.
#include "html/output.h"

#include "internal.h"

#include <cstdio>
#include <cstring>

namespace confkit {

void Emit(std::string_view bytes) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

LineTemplate ParseTemplate(const char *tmpl) {
    LineTemplate t;
    if (!tmpl) {
        t.isNull = true;
        return t;
    }
    std::string *out = &t.before;
    for (const char *p = tmpl; *p; ++p) {
        if (*p != '%') {
            out->push_back(*p);
        } else if (p[1] == '%') {
            out->push_back('%');
            ++p;
        } else if (p[1] == 's' && !t.hasSlot) {
            t.hasSlot = true;
            out = &t.after;
            ++p;
        } else {
            out->push_back('%'); // not a conversion we expand: printed as written
        }
    }
    return t;
}

void PrintThrough(const LineTemplate &tmpl, std::string_view value) {
    if (tmpl.isNull) return;
    Emit(tmpl.before);
    if (!tmpl.hasSlot) return;
    Emit(value);
    Emit(tmpl.after);
}

void PrintThrough(const LineTemplate &tmpl, const char *value) {
    PrintThrough(tmpl, value ? std::string_view(value) : std::string_view());
}

void PrintThrough(const char *tmpl, std::string_view value) {
    // Streams the template in runs, without allocating, so that it can also
    // print the substitute text of a generator that ran out of memory.
    if (!tmpl) return;
    bool slotUsed = false;
    const char *run = tmpl;
    const char *p = tmpl;
    for (; *p; ++p) {
        if (*p != '%') continue;
        if (p[1] == '%') {
            Emit(std::string_view(run, static_cast<std::size_t>(p - run) + 1));
            run = ++p + 1;
        } else if (p[1] == 's' && !slotUsed) {
            Emit(std::string_view(run, static_cast<std::size_t>(p - run)));
            Emit(value);
            slotUsed = true;
            run = ++p + 1;
        }
    }
    Emit(std::string_view(run, static_cast<std::size_t>(p - run)));
}

int32_t RuleIdOf(const char *directive) {
    return directive ? HTTPDRuleToID(directive) : -1;
}

RuleList RulesOf(ConfigDocument *doc, const char *directive) {
    if (!doc) return RuleList();
    int32_t id = RuleIdOf(directive);
    if (id < 0) return RuleList();
    return RuleList(HTTPDGetRules(doc, id));
}

RuleList MultiRulesOf(ConfigDocument *doc, const std::vector<int32_t> &ids) {
    if (!doc) return RuleList();
    std::vector<int32_t> ended(ids);
    ended.push_back(0);
    return RuleList(HTTPDGetMultiRules(doc, ended.data()));
}

std::vector<int32_t> RuleIdsOfNameList(const char *names, char terminator) {
    std::vector<int32_t> ids;
    if (!names) return ids;
    std::string name;
    for (const char *p = names; *p; ++p) {
        if (*p != terminator) {
            name.push_back(*p);
            continue;
        }
        ids.push_back(HTTPDRuleToID(name.c_str()));
        name.clear();
    }
    return ids;
}

std::string_view TextOf(const Line *line) {
    if (!line) return {};
    return std::string_view(line->text, strnlen(line->text, sizeof line->text));
}

std::string_view AfterDirective(const Line *line) {
    if (!line || !std::memchr(line->text, '\0', sizeof line->text)) return {};
    const char *rest = PointToNextField(line->text);
    return rest ? std::string_view(rest) : std::string_view();
}

void AppendNumber(std::string &out, long long n) {
    out += std::to_string(n);
}

} // namespace confkit

extern "C" CONFKIT_API int32_t CONFKIT_CALL GenHtmlLine(const char *tmpl, const char *value) {
    return confkit::NoThrow<int32_t>(0, [&] {
        confkit::PrintThrough(tmpl, value ? std::string_view(value) : std::string_view());
        return 0;
    });
}
