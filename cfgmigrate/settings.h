// The eight server settings read from the settings file tarhttp.cfg and the
// change command that carries them into the server.
#ifndef CFGMIGRATE_SETTINGS_H
#define CFGMIGRATE_SETTINGS_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace cfgmigrate {

namespace platform {
class TextFile;
}

constexpr std::size_t kSettingCount = 8;

// The longest value the server's command takes for a setting.
constexpr std::size_t kMaxSettingValue = 29;

struct SettingName {
    const char *name;     // in the settings file, matched ignoring case
    const char *argument; // what precedes the value in the command
};

// In the order settings are matched and written to the command.
extern const std::array<SettingName, kSettingCount> kSettingNames;

struct Settings {
    std::array<std::string, kSettingCount> values;
};

// One line of the settings file: "#" first makes it a comment; otherwise
// its first two blank-separated words are a name and its value, and a known
// name takes that value (empty when the line holds the name alone).
void ApplySettingsLine(Settings &settings, std::string_view line);

// Reads the file to its end, the last line for a setting winning. False
// when the file could not be read to its end (a read error, or memory ran
// out for a line): the settings are then incomplete and must not be used.
bool ReadSettings(platform::TextFile &file, Settings &settings);

// True when every value fits the command: at most 29 characters, each an
// ASCII letter or digit or one of ".-_:/". Anything else could change what
// the command interpreter runs.
bool SettingsAreSafe(const Settings &settings);

// "tarhttp cmd=change" and " Name=value" for each setting with a value.
std::string BuildChangeCommand(const Settings &settings);

} // namespace cfgmigrate

#endif
