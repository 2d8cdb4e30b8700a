// A product installation in a temporary folder: a registry file naming the
// install root, the file-name map under it and a settings file.
#ifndef CFGMIGRATE_TEST_INSTALLATION_H
#define CFGMIGRATE_TEST_INSTALLATION_H

#include "files.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace cfgmigrate_test {

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::WriteFile;

inline void MakeDir(const std::string &path) {
    if (mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("cannot create " + path);
}

// Backslashes and quotes escaped as a registry file writes them.
inline std::string RegistryQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A registry file, CR LF line ends, whose current version names root.
inline std::string RegistryNaming(std::string_view root, std::string_view version = "1.0") {
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    reg += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Osmek\\Tarrowgate]\r\n";
    reg += "\"CurrentVersion\"=" + RegistryQuoted(version) + "\r\n\r\n";
    reg += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Osmek\\Tarrowgate\\" + std::string(version) + "]\r\n";
    reg += "\"RootDirectory\"=" + RegistryQuoted(root) + "\r\n";
    return reg;
}

class Installation {
  public:
    Installation() {
        char tmpl[] = "/tmp/cfgmigrate-test-XXXXXX";
        if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
        dir_ = tmpl;
        MakeDir(Path("root"));
        MakeDir(Path("root/CONFIG"));
        WriteFile(RegistryFile(), RegistryNaming(Path("root")));
        WriteMap("tarhttp.cfg=" + SettingsFile() + "\n");
        WriteFile(SettingsFile(), "port 80\n");
    }
    ~Installation() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    std::string Path(const std::string &name) const { return dir_ + "/" + name; }
    std::string RegistryFile() const { return Path("registry.reg"); }
    std::string MapFile() const { return Path("root/CONFIG/TGCONFIG.MAP"); }
    std::string SettingsFile() const { return Path("tarhttp.cfg"); }
    std::string OldSettingsFile() const { return SettingsFile() + ".old"; }

    void WriteRegistry(std::string_view text) const { WriteFile(RegistryFile(), text); }
    void WriteMap(std::string_view text) const { WriteFile(MapFile(), text); }
    void WriteSettings(std::string_view text) const { WriteFile(SettingsFile(), text); }

  private:
    std::string dir_;
};

// Points the registry stand-in at a file for the life of the object.
class RegistryFileInUse {
  public:
    explicit RegistryFileInUse(const std::string &path) {
        setenv("CFGMIGRATE_REGISTRY", path.c_str(), 1);
    }
    ~RegistryFileInUse() { unsetenv("CFGMIGRATE_REGISTRY"); }
    RegistryFileInUse(const RegistryFileInUse &) = delete;
    RegistryFileInUse &operator=(const RegistryFileInUse &) = delete;
};

} // namespace cfgmigrate_test

#endif
