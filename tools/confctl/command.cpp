// The subcommand's plumbing: a command on one file and its --max-size, a
// group of subcommands, and output.
#include "command.h"

#include <cstdio>

namespace confctl {

namespace {

std::uint64_t maxFileSize = textcheck::kDefaultMaxSize;

} // namespace

std::uint64_t MaxFileSize() {
    return maxFileSize;
}

configedit::Reading OpenReading(const std::string &path) {
    return configedit::Reading(path, MaxFileSize());
}

CLI::App *AddFileCommand(CLI::App &parent, const std::string &name, const std::string &description,
                         std::string &file) {
    CLI::App *sub = parent.add_subcommand(name, description);
    sub->add_option("FILE", file, "configuration file")->required();
    sub->add_option("--max-size", maxFileSize,
                    "refuse a file larger than SIZE: bytes, or with a suffix K, M or G (powers of "
                    "1024; KB, KiB and the like also accepted)")
        ->transform(CLI::AsSizeValue(false))
        ->default_str("64M");
    return sub;
}

CLI::App *AddGroup(CLI::App &parent, const std::string &name, const std::string &description) {
    CLI::App *group = parent.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

void Print(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

} // namespace confctl
