// A document, then the operations that read it (the generators, lookups and
// text primitives of the list of every export) with templates, names, field
// numbers and flags from the input. Output goes to /dev/null; the document
// must come out unchanged.
#include "fuzz_args.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::SilenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const fuzz::ScratchFile file("generators");
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(4096);
    if (!file.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size())) return 0;
    ConfigDocument *doc = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(doc);
    fuzz::RunChosen(doc, in, 8, [](const everyexport::Operation &op) {
        return op.kind == everyexport::kReads;
    });
    HTTPDConfigClose(doc, 0);
    return 0;
}
