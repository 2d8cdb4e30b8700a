// A document, templates, directive names, name lists, field numbers and
// flags from the input, through every generator. Output goes to /dev/null;
// the document must come out unchanged.
#include "fuzz_common.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>

namespace {

std::string DocText(const ConfigDocument *doc) {
    std::string s;
    for (const Line *l = doc->first; l; l = l->next)
        s += l->text;
    return s;
}

const char *Directive(FuzzedDataProvider &in, std::string &store) {
    static const char *const kNames[] = {
        "Pass",    "Protect", "Member",  "DefinePicsRule", "sockd", "Enable", "Service",
        "LoadURL", "Port",    "Caching", "GC Advisor",     "Proxy", "NoSuch"};
    if (in.ConsumeBool()) return kNames[in.ConsumeIntegralInRange<std::size_t>(0, 12)];
    store = in.ConsumeRandomLengthString(40);
    return store.c_str();
}

void RunOne(ConfigDocument *doc, FuzzedDataProvider &in) {
    std::string tmpl = in.ConsumeRandomLengthString(60), name, a, b, c;
    const char *t = in.ConsumeIntegralInRange(0, 9) == 0 ? nullptr : tmpl.c_str();
    const int32_t n = in.ConsumeIntegralInRange(-3, 12), flag = in.ConsumeIntegralInRange(-1, 2);
    a = in.ConsumeRandomLengthString(80);
    b = in.ConsumeRandomLengthString(80);
    switch (in.ConsumeIntegralInRange(0, 28)) {
    case 0:
        GenHtmlLine(t, in.ConsumeBool() ? a.c_str() : nullptr);
        break;
    case 1:
        GenOptionString(t, in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(), n);
        break;
    case 2:
        GenOptionString(t, n, n + in.ConsumeIntegralInRange(0, 300), n + 2);
        break;
    case 3:
        GenOptionList(t, Directive(in, name), a.c_str(), b.c_str(), doc);
        break;
    case 4:
        GenTextField(t, Directive(in, name), n, flag, a.c_str(), doc);
        break;
    case 5:
        GenCheckedSetting(t, a.c_str(), b.c_str(), flag, n, "CHECKED", doc);
        break;
    case 6:
        GenCheckedSettingOnOff(t, Directive(in, name), flag, flag, doc);
        break;
    case 7:
        GenCacheTimeoutSetting(t, Directive(in, name), a.c_str(), doc);
        break;
    case 8:
        GenSelectListItems(t, Directive(in, name), flag, doc);
        break;
    case 9:
        GenMultiDirectiveText(t, Directive(in, name), n, doc);
        break;
    case 10:
        GenTableItems(t, Directive(in, name), n, flag, doc);
        break;
    case 11:
        GenMultiTableItems(t, a.c_str(), n, flag, doc);
        break;
    case 12:
        GenMethTableItems(t, doc);
        break;
    case 13:
        GenZarndsTableItems(t, doc);
        break;
    case 14:
        GenZarndsConfTableItems(t, doc);
        break;
    case 15:
        GenCacheURLTableItems(t, doc);
        break;
    case 16:
        GenSocksTableItems(t, doc);
        break;
    case 17:
        GenAPITableItems(t, a.c_str(), doc);
        break;
    case 18:
        GenProtectTableItems(t, doc);
        break;
    case 19:
        GenMemberTableItems(t, doc);
        break;
    case 20:
        GenPicsFilterTableItems(t, doc);
        break;
    case 21:
        GenPicsFilterSubTableItems(t, a.c_str(), b.c_str(), doc);
        break;
    case 22:
        SearchForDirective(Directive(in, name), a.c_str(), n, doc);
        break;
    case 23:
        SearchForHandler(Directive(in, name), a.c_str(), n, doc);
        break;
    case 24:
        FindDelimeter(a.c_str());
        break;
    case 25: {
        std::string buffer(2 * b.size() + a.size() + 8 + 64, '\0');
        buffer.replace(0, 0, in.ConsumeRandomLengthString(60).c_str());
        AddToBuffer(buffer.data(), in.ConsumeBool() ? a.c_str() : nullptr, b.c_str());
        fuzz::Require(std::strlen(buffer.c_str()) < buffer.size(), "AddToBuffer overran");
        break;
    }
    case 26: {
        FILE *f = fmemopen(a.data(), a.size(), "r");
        GenAclList(t, a.empty() ? nullptr : f);
        if (f) std::fclose(f);
        break;
    }
    default: {
        std::string rule = "Filter";
        GenPicsFilterSubTableItems(t, a.c_str(), in.ConsumeBool() ? rule.c_str() : "passurl", doc);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const fuzz::ScratchFile file("generators");
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(4096);
    if (!file.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size())) return 0;
    ConfigDocument *doc = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(doc);
    const std::string before = DocText(doc);
    for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step)
        RunOne(doc, in);
    fuzz::Require(DocText(doc) == before, "a generator changed the document");
    fuzz::CheckList(doc->first);
    HTTPDConfigClose(doc, 0);
    return 0;
}
