// Settings parsing and the command built from them.
#include "settings.h"

#include <gtest/gtest.h>

using cfgmigrate::ApplySettingsLine;
using cfgmigrate::BuildChangeCommand;
using cfgmigrate::Settings;
using cfgmigrate::SettingsAreSafe;

namespace {

Settings SettingsFrom(std::initializer_list<std::string_view> lines) {
    Settings settings;
    for (std::string_view line : lines)
        ApplySettingsLine(settings, line);
    return settings;
}

TEST(Settings, WordsAreSeparatedByBlanksOnly) {
    Settings s = SettingsFrom({"  port\t8080  extra words", "Logging\ton\r"});
    EXPECT_EQ(s.values[0], "8080");
    EXPECT_EQ(s.values[7], "on\r");
    EXPECT_FALSE(SettingsAreSafe(s));
    s = SettingsFrom({std::string_view("port 80\0 81", 11)});
    EXPECT_EQ(s.values[0], "80");
}

TEST(Settings, ValuesThatFitTheCommand) {
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"port " + std::string(29, '9')})));
    EXPECT_FALSE(SettingsAreSafe(SettingsFrom({"port " + std::string(30, '9')})));
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"Logging azAZ09.-_:/"})));
    for (char c : std::string("&|;<>()$`'\"\\*?~!%^=,+#[]{}\x7F\x80")) {
        SCOPED_TRACE(c);
        EXPECT_FALSE(SettingsAreSafe(SettingsFrom({std::string("Logging a") + c})));
    }
    // Only values that reach the command count.
    EXPECT_TRUE(SettingsAreSafe(SettingsFrom({"unknown $(reboot)&&" + std::string(40, 'x')})));
}

TEST(Settings, CommandTakesNonEmptySettingsInTableOrder) {
    EXPECT_EQ(BuildChangeCommand(Settings{}), "tarhttp cmd=change");
    Settings s = SettingsFrom({"logging on", "PORT 81", "persisttimeout 5", "port"});
    EXPECT_EQ(BuildChangeCommand(s), "tarhttp cmd=change PersistTimeout=5 Logging=on");
}

} // namespace
