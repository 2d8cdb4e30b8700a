// A document and a sequence of operations, both taken from the input, through
// every export of the library with arguments from the input. After each
// operation the line list must be well formed, every list or record handed
// out can be released, and an operation that reads leaves the lines alone.
#include "fuzz_args.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::SilenceStdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    static const fuzz::ScratchFile file("edits");
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(4096);
    if (!file.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size())) return 0;
    ConfigDocument *doc = HTTPDConfigOpen(file.path());
    fuzz::CheckDoc(doc);
    fuzz::RunChosen(doc, in, 12, [](const everyexport::Operation &) { return true; });
    HTTPDConfigClose(doc, 0);
    return 0;
}
