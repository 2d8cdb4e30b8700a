#include "settings.h"

#include "platform/platform.h"

#include "common/text.h"

#include <algorithm>

namespace cfgmigrate {

const std::array<SettingName, kSettingCount> kSettingNames = {{
    {"port", " port="},
    {"MaxContentLengthBuffer", " MaxContentLengthBuffer="},
    {"MaxActiveThreads", " MaxActiveThreads="},
    {"Authenticate", " Authenticate="},
    {"AuthenticateTimeout", " AuthenticateTimeout="},
    {"MaxPersistRequests", " MaxPersistRequests="},
    {"PersistTimeout", " PersistTimeout="},
    {"Logging", " Logging="},
}};

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next blank-separated word of text at pos, moving pos past it.
std::string_view NextWord(std::string_view text, std::size_t &pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

bool IsCommandSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_' || c == ':' || c == '/';
}

} // namespace

void ApplySettingsLine(Settings &settings, std::string_view line) {
    line = line.substr(0, line.find('\0'));
    if (!line.empty() && line.front() == '#') return;
    std::size_t pos = 0;
    std::string_view name = NextWord(line, pos);
    std::string_view value = NextWord(line, pos);
    for (std::size_t i = 0; i < kSettingCount; ++i)
        if (ascii::EqualNoCase(name, std::string_view(kSettingNames[i].name)))
            settings.values[i] = value;
}

bool ReadSettings(platform::TextFile &file, Settings &settings) {
    std::string line;
    platform::ReadStatus status;
    while ((status = platform::ReadTextLine(file, line)) == platform::ReadStatus::kLine)
        ApplySettingsLine(settings, line);
    return status == platform::ReadStatus::kEnd;
}

bool SettingsAreSafe(const Settings &settings) {
    return std::all_of(settings.values.begin(), settings.values.end(), [](const std::string &v) {
        return v.size() <= kMaxSettingValue && std::all_of(v.begin(), v.end(), IsCommandSafe);
    });
}

std::string BuildChangeCommand(const Settings &settings) {
    std::string command = "tarhttp cmd=change";
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (settings.values[i].empty()) continue;
        command += kSettingNames[i].argument;
        command += settings.values[i];
    }
    return command;
}

} // namespace cfgmigrate
