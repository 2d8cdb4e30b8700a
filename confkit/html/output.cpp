// The output primitive of the HTML generators.
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
