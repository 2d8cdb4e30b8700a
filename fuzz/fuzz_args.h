// Arguments drawn from a fuzzer's input for the operations of the list of
// every export (every_export.h): usual values, words the library knows,
// random texts and null, each in turn.
#ifndef CONFKIT_FUZZ_ARGS_H
#define CONFKIT_FUZZ_ARGS_H

#include "every_export.h"
#include "fuzz_common.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

namespace fuzz {

class FuzzArgs : public everyexport::Args {
  public:
    explicit FuzzArgs(FuzzedDataProvider &in) : in_(in) {}

    char *Name() override { return Maybe("R"); }
    char *Value() override { return Maybe("v"); }
    char *Text(const char *usual) override {
        static constexpr std::array<const char *, 26> kWords{
            "Pass",          "Protect",       "Protection", "Member",  "LDAPInfo", "DefinePicsRule",
            "sockd",         "Enable",        "Service",    "LoadURL", "Port",     "Caching",
            "GC Advisor",    "Proxy",         "NoSuch",     "passurl", "failurl",  "applies-to",
            "serviceinfo",   "PASSURL",       "Filter",     "R",       "m",        "/x/*",
            "sslservercert", "cachemaxexpiry"};
        switch (in_.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return Keep(usual);
        case 1:
            return Keep(kWords[in_.ConsumeIntegralInRange<std::size_t>(0, kWords.size() - 1)]);
        default:
            return Keep(in_.ConsumeRandomLengthString(80));
        }
    }
    char *Maybe(const char *usual) override {
        return in_.ConsumeIntegralInRange(0, 7) == 0 ? nullptr : Text(usual);
    }
    // A caller's own line text: whoever makes a Line ends it with its one "\n".
    char *LineText(const char *usual) override {
        if (in_.ConsumeBool()) return Keep(usual);
        std::string text = in_.ConsumeRandomLengthString(200);
        for (char &c : text)
            if (c == '\n') c = ' ';
        return Keep(text + "\n");
    }
    int32_t Number(int32_t usual, int32_t lo, int32_t hi) override {
        return in_.ConsumeBool() ? usual : in_.ConsumeIntegralInRange(lo, hi);
    }
    Line *List(std::initializer_list<const char *> usual) override {
        if (in_.ConsumeBool()) return everyexport::NewList(usual);
        Line *first = nullptr;
        for (int n = in_.ConsumeIntegralInRange(0, 6); n > 0; --n) {
            Line *line = LinesNew(1);
            std::snprintf(line->text, sizeof line->text, "%s", LineText("Pass /a/*\n"));
            if (first)
                LinesAdd(first, line);
            else
                first = line;
        }
        return first;
    }
    void Fill(char **fields, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i)
            fields[i] = Maybe("x");
    }
    void Check(bool ok, const char *what) override { Require(ok, what); }

  private:
    char *Keep(std::string text) {
        store_.push_back(std::move(text));
        return store_.back().data();
    }

    FuzzedDataProvider &in_;
    std::deque<std::string> store_; // elements never move, so their texts stay put
};

// Generator output is of no interest to the fuzz targets.
inline void SilenceStdout() {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
}

// Runs operations chosen by the input, at most steps of them, from those
// that keep accepts; after each the document's list must be well formed and
// an operation that reads must have left the lines as they were. Operations
// whose results the library keeps are left out: the heap they grow would be
// scanned by the leak checker after every run.
template <class Keep>
void RunChosen(ConfigDocument *doc, FuzzedDataProvider &in, int steps, Keep keep) {
    std::vector<const everyexport::Operation *> ops;
    for (const everyexport::Operation &op : everyexport::Operations())
        if (keep(op) && !everyexport::KeepsItsResults(op)) ops.push_back(&op);
    FuzzArgs args(in);
    const bool trace = std::getenv("FUZZ_TRACE") != nullptr;
    for (int step = 0; step < steps && in.remaining_bytes() > 0; ++step) {
        const everyexport::Operation &op =
            *ops[in.ConsumeIntegralInRange<std::size_t>(0, ops.size() - 1)];
        if (trace) std::fprintf(stderr, "%s\n", op.name);
        const std::string before = op.kind == everyexport::kEdits ? "" : DocText(doc);
        op.run(doc, args);
        CheckList(doc->first);
        if (op.kind != everyexport::kEdits)
            Require(DocText(doc) == before, "an operation that reads changed the document");
    }
}

} // namespace fuzz

#endif
