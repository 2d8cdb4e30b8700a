// cfgmigrate's readers on arbitrary bytes: the registry file, the file-name
// map and the settings file. Every value a reader hands on must be one the
// command may carry, or be refused before anything runs.
#include "lookup.h"
#include "platform/platform.h"
#include "registry_file.h"
#include "settings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string Scratch(const char *tag) {
    return std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/cfgmigrate-fuzz-" +
           tag + "-" + std::to_string(getpid());
}

void WriteBytes(const std::string &path, const std::string &bytes) {
    if (FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

void FuzzRegistry(const std::string &bytes) {
    static const std::string path = Scratch("registry");
    cfgmigrate::platform::ParseRegistryFile(bytes);
    WriteBytes(path, bytes);
    setenv("CFGMIGRATE_REGISTRY", path.c_str(), 1);
    int size = cfgmigrate::ReadInstallRoot(nullptr, 0);
    if (size > 0 && size < (1 << 20)) {
        std::string root(static_cast<std::size_t>(size), '\0');
        if (cfgmigrate::ReadInstallRoot(root.data(), size) != size) std::abort();
    }
    if (cfgmigrate::platform::OpenRegistryKeyCount() != 0) std::abort(); // every key closed
}

void FuzzMap(const std::string &bytes, const std::string &name) {
    static const std::string path = Scratch("map");
    WriteBytes(path, bytes);
    int size = cfgmigrate::LookupMappedFile(name.c_str(), nullptr, 0, path.c_str());
    if (size > 0 && size < (1 << 20)) {
        std::string value(static_cast<std::size_t>(size), '\0');
        if (cfgmigrate::LookupMappedFile(name.c_str(), value.data(), size, path.c_str()) != size)
            std::abort();
    }
}

void FuzzSettings(const std::string &bytes) {
    static const std::string path = Scratch("settings");
    WriteBytes(path, bytes);
    auto file = cfgmigrate::platform::OpenTextFile(path.c_str());
    if (!file) return;
    cfgmigrate::Settings settings;
    cfgmigrate::ReadSettings(*file, settings);
    if (!cfgmigrate::SettingsAreSafe(settings)) return;
    // A command built from safe values holds no character a shell reads.
    const std::string command = cfgmigrate::BuildChangeCommand(settings);
    if (command.find_first_of(";&|`$<>()\"'\\\n\r\t*?") != std::string::npos) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString(64);
    const std::string registry = input.ConsumeRandomLengthString(4096);
    const std::string map = input.ConsumeRandomLengthString(4096);
    const std::string settings = input.ConsumeRemainingBytesAsString();
    FuzzRegistry(registry);
    FuzzMap(map, name);
    FuzzSettings(settings);
    return 0;
}
