// A document and a sequence of edits, both taken from the input, through
// every export that changes a document. After each operation the line list
// must be well formed, and every list or record handed out can be released.
#include "fuzz_common.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <deque>
#include <vector>

namespace {

// Texts the input chooses, kept alive for the whole run.
class Texts {
  public:
    explicit Texts(FuzzedDataProvider &in) : in_(in) {}
    // A text or null (so that absent fields and names are tried too).
    char *Maybe(std::size_t max = 80) {
        if (in_.ConsumeIntegralInRange(0, 7) == 0) return nullptr;
        return Take(in_.ConsumeRandomLengthString(max));
    }
    char *Take(std::string s) {
        store_.push_back(std::move(s));
        return store_.back().data();
    }

  private:
    FuzzedDataProvider &in_;
    std::deque<std::string> store_; // elements never move, so their texts stay put
};

// A caller's own line text: whoever makes a Line ends it with its one "\n".
std::string CallerLine(FuzzedDataProvider &in, std::size_t max) {
    std::string text = in.ConsumeRandomLengthString(max);
    for (char &c : text)
        if (c == '\n') c = ' ';
    return text + "\n";
}

Line *ListFrom(FuzzedDataProvider &in) {
    Line *first = nullptr;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        std::string text = CallerLine(in, 200);
        Line *l = LinesNew(1);
        std::snprintf(l->text, sizeof l->text, "%s", text.c_str());
        if (first)
            LinesAdd(first, l);
        else
            first = l;
    }
    return first;
}

int32_t RuleId(FuzzedDataProvider &in) {
    static constexpr std::array<int32_t, 10> kCommon{160, 135, 96,  169, 90,
                                                     200, 129, 117, 167, 164};
    return in.ConsumeBool() ? kCommon[in.ConsumeIntegralInRange<std::size_t>(0, kCommon.size() - 1)]
                            : in.ConsumeIntegralInRange(-2, 233);
}

// Releases two records the library handed out for the same lookup. A field
// that points to the same text in both is one of the library's constant
// texts and is not released; every other text belongs to the caller.
template <class Record, std::size_t N> void FreeTwins(Record *a, Record *b) {
    fuzz::Require((a == nullptr) == (b == nullptr), "the same lookup found and did not find");
    if (!a) return;
    char **fa = reinterpret_cast<char **>(a);
    char **fb = reinterpret_cast<char **>(b);
    for (std::size_t i = 0; i < N; ++i) {
        if (fa[i] && fa[i] == fb[i]) continue;
        std::free(fa[i]);
        std::free(fb[i]);
    }
    std::free(a);
    std::free(b);
}

template <class Record, std::size_t N> Record RecordFrom(Texts &t) {
    Record r{};
    char **fields = reinterpret_cast<char **>(&r);
    for (std::size_t i = 0; i < N; ++i)
        fields[i] = t.Maybe(40);
    return r;
}

const char *Keyword(FuzzedDataProvider &in, Texts &t) {
    static constexpr std::array<const char *, 7> kWords{
        "passurl", "failurl", "applies-to", "serviceinfo", "ServiceInfo", "PASSURL", "Filter"};
    if (in.ConsumeIntegralInRange(0, 5) == 0) return t.Maybe(20);
    return kWords[in.ConsumeIntegralInRange<std::size_t>(0, kWords.size() - 1)];
}

int lastOperation = -1; // reported when a check fails

void OneEdit(ConfigDocument *doc, FuzzedDataProvider &in, Texts &t) {
    lastOperation = in.ConsumeIntegralInRange(0, 19);
    switch (lastOperation) {
    case 0:
        LinesFree(HTTPDRemoveRules(doc, RuleId(in), ListFrom(in)));
        break;
    case 1:
    case 2: {
        // A document left without lines does not take the list: it stays ours.
        const bool takes = doc->first != nullptr;
        Line *list = ListFrom(in);
        if (lastOperation == 1)
            HTTPDAddRules(doc, RuleId(in), list);
        else
            HTTPDReplaceRules(doc, RuleId(in), list);
        if (!takes) LinesFree(list);
        break;
    }
    case 3: {
        ProtectRule r = RecordFrom<ProtectRule, 29>(t);
        HTTPDPutProtectRule(doc, in.ConsumeBool() ? &r : nullptr, t.Maybe(),
                            in.ConsumeIntegralInRange(0, 4));
        break;
    }
    case 4:
        HTTPDDeleteProtectRule(doc, t.Maybe());
        break;
    case 5: {
        const char *name = t.Maybe();
        FreeTwins<ProtectRule, 29>(HTTPDGetProtectRule(doc, name), HTTPDGetProtectRule(doc, name));
        break;
    }
    case 6: {
        LDAPRule r = RecordFrom<LDAPRule, 21>(t);
        HTTPDPutLDAPRule(doc, &r, t.Maybe(), in.ConsumeIntegralInRange(0, 4));
        break;
    }
    case 7: {
        const char *name = t.Maybe();
        FreeTwins<LDAPRule, 21>(HTTPDGetLDAPRule(doc, name), HTTPDGetLDAPRule(doc, name));
        break;
    }
    case 8: {
        MemberRule r = RecordFrom<MemberRule, 9>(t);
        HTTPDPutMemberRule(doc, &r, t.Maybe(), in.ConsumeIntegralInRange(0, 4));
        break;
    }
    case 9:
        HTTPDDeleteMemberRule(doc, t.Maybe());
        break;
    case 10: {
        PicsFilterRule r = RecordFrom<PicsFilterRule, 5>(t);
        HTTPDPutPicsFilterRule(doc, &r, t.Maybe(), in.ConsumeIntegralInRange(0, 2));
        break;
    }
    case 11:
        HTTPDCopyPicsFilterRule(doc, t.Maybe(), t.Maybe(), t.Maybe(),
                                in.ConsumeIntegralInRange(0, 2));
        break;
    case 12: {
        PicsFilterRule r = RecordFrom<PicsFilterRule, 5>(t);
        HTTPDReplacePicsFilterRule(doc, &r, t.Maybe());
        break;
    }
    case 13:
        HTTPDDeletePicsFilterRule(doc, t.Maybe());
        break;
    case 14: {
        const char *name = t.Maybe();
        FreeTwins<PicsFilterRule, 5>(HTTPDGetPicsFilterRule(doc, name),
                                     HTTPDGetPicsFilterRule(doc, name));
        break;
    }
    case 15: {
        std::vector<char *> list(2, nullptr);
        for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
            list.insert(list.end() - 1, t.Take(in.ConsumeRandomLengthString(60)));
        HTTPDPutPicsFilterSubdirective(doc, Keyword(in, t), list.data(), t.Maybe());
        break;
    }
    case 16: {
        // Room for every value the clauses could give (at most one per line or
        // per pair of quotes), plus slot 0 and the end.
        std::size_t room = 2;
        for (Line *l = doc->first; l; l = l->next) {
            room += 1;
            for (const char *c = l->text; *c; ++c)
                room += *c == '"';
        }
        std::vector<char *> list(room, nullptr);
        int32_t n = HTTPDGetPicsFilterSubdirective(doc, Keyword(in, t), list.data(), t.Maybe());
        fuzz::Require(n >= 0 && static_cast<std::size_t>(n) + 2 <= list.size(), "value count");
        for (int32_t i = 1; i <= n; ++i)
            std::free(list[static_cast<std::size_t>(i)]);
        break;
    }
    case 17:
        HTTPDPutFilterSubdirective(doc, t.Maybe(), t.Maybe(120));
        break;
    case 18:
        HTTPDDeleteFilterSubdirective(doc, t.Maybe());
        break;
    default: {
        Line *added = LinesAddStr(t.Maybe(), doc, t.Take(CallerLine(in, 100)),
                                  in.ConsumeIntegralInRange(0, 3));
        if (added && !added->prev && !added->next && doc->first != added) std::free(added);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const fuzz::ScratchFile file("edits");
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(4096);
    if (!file.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size())) return 0;
    ConfigDocument *doc = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(doc);
    Texts texts(in);
    for (int step = 0; step < 12 && in.remaining_bytes() > 0; ++step) {
        OneEdit(doc, in, texts);
        if (std::getenv("FUZZ_TRACE")) std::fprintf(stderr, "operation %d\n", lastOperation);
        fuzz::CheckList(doc->first);
    }
    HTTPDConfigClose(doc, 0);
    return 0;
}
