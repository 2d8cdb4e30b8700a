// The install root from the registry and the file-name map lookup.
#include "installation.h"
#include "lookup.h"
#include "registry_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using cfgmigrate::LookupMappedFile;
using cfgmigrate::ReadInstallRoot;
using cfgmigrate_test::Installation;
using cfgmigrate_test::RegistryFileInUse;
using cfgmigrate_test::RegistryNaming;

namespace {

TEST(InstallRoot, SizeThenFetch) {
    Installation inst;
    inst.WriteRegistry(RegistryNaming("C:\\Tarrowgate", "2.5"));
    RegistryFileInUse in_use(inst.RegistryFile());
    ASSERT_EQ(ReadInstallRoot(nullptr, 0), 14);
    char small[13];
    EXPECT_EQ(ReadInstallRoot(small, sizeof small), -1);
    char buffer[14];
    EXPECT_EQ(ReadInstallRoot(buffer, sizeof buffer), 14);
    EXPECT_STREQ(buffer, "C:\\Tarrowgate");
    EXPECT_EQ(cfgmigrate::platform::OpenRegistryKeyCount(), 0u);
}

// Every way the registry can fail gives -1 and leaves no key open.
TEST(InstallRoot, FailuresCloseEveryKey) {
    const std::string product = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Osmek\\Tarrowgate]\n";
    const std::string header = "REGEDIT4\n";
    const std::string cases[] = {
        header,
        header + product + "\"Other\"=\"1\"\n",
        header + product + "\"CurrentVersion\"=dword:00000001\n",
        header + product + "\"CurrentVersion\"=\"1.0\"\n",
        header + product +
            "\"CurrentVersion\"=\"1.0\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Osmek\\"
            "Tarrowgate\\1.0]\n\"RootDirectory\"=hex:41,00\n",
        // A version name longer than 9 characters does not fit its buffer.
        RegistryNaming("/root", "1234567890"),
    };
    Installation inst;
    RegistryFileInUse in_use(inst.RegistryFile());
    for (const std::string &reg : cases) {
        SCOPED_TRACE(reg);
        inst.WriteRegistry(reg);
        char buffer[64];
        EXPECT_EQ(ReadInstallRoot(nullptr, 0), -1);
        EXPECT_EQ(ReadInstallRoot(buffer, sizeof buffer), -1);
        EXPECT_EQ(cfgmigrate::platform::OpenRegistryKeyCount(), 0u);
    }
    inst.WriteRegistry(RegistryNaming("/root", "123456789"));
    EXPECT_EQ(ReadInstallRoot(nullptr, 0), 6);
}

// Looks name up in a map holding text: the result and the value fetched.
std::pair<int, std::string> Lookup(const std::string &map_text, const char *name) {
    Installation inst;
    inst.WriteMap(map_text);
    int size = LookupMappedFile(name, nullptr, 0, inst.MapFile().c_str());
    std::string value(static_cast<std::size_t>(size > 0 ? size : 1), '?');
    int again = LookupMappedFile(name, value.data(), size, inst.MapFile().c_str());
    EXPECT_EQ(again, size);
    value.resize(size > 0 ? std::strlen(value.c_str()) : 0);
    return {size, value};
}

TEST(MapLookup, LineRules) {
    using Result = std::pair<int, std::string>;
    EXPECT_EQ(Lookup("a=1\ntarhttp.cfg=/x/tarhttp.cfg\n", "tarhttp.cfg"),
              Result(15, "/x/tarhttp.cfg"));
    EXPECT_EQ(Lookup("tarhttp.cfg=\n", "tarhttp.cfg"), Result(1, ""));
    EXPECT_EQ(Lookup("TARHTTP.CFG=/upper\n", "tarhttp.cfg"), Result(0, ""));
    EXPECT_EQ(Lookup("#tarhttp.cfg=/x\ntarhttp.cfg=/y\n", "tarhttp.cfg"), Result(3, "/y"));
    EXPECT_EQ(Lookup("tarhttp.cfg=/first\ntarhttp.cfg=/second\n", "tarhttp.cfg"),
              Result(7, "/first"));
    EXPECT_EQ(Lookup("tarhttp.cfg=/blanks  \r\n", "tarhttp.cfg"), Result(10, "/blanks  "));
    EXPECT_EQ(Lookup("tarhttp.cfg= a=b \n", "tarhttp.cfg"), Result(6, " a=b "));
    // A line without "=" is all name, with an empty value.
    EXPECT_EQ(Lookup("no equals sign\n", "no equals sign"), Result(1, ""));
    EXPECT_EQ(Lookup("tarhttp.cfg\ntarhttp.cfg=/later\n", "tarhttp.cfg"), Result(1, ""));
    EXPECT_EQ(Lookup("tarhttp.cfg=/last-line-unended", "tarhttp.cfg"),
              Result(19, "/last-line-unended"));
    // Text after the end-of-file mark is not read.
    EXPECT_EQ(Lookup("a=1\n\x1Atarhttp.cfg=/hidden\n", "tarhttp.cfg"), Result(0, ""));
}

TEST(MapLookup, LongLinesAreReadWhole) {
    const std::string path = "/opt/" + std::string(150, 'd') + "/tarhttp.cfg";
    EXPECT_EQ(Lookup("tarhttp.cfg=" + path + "\n", "tarhttp.cfg"),
              std::make_pair(static_cast<int>(path.size()) + 1, path));
    // The tail of a long line is not a line of its own.
    std::string long_line = "x=" + std::string(100, 'y') + "tarhttp.cfg=/tail\n";
    EXPECT_EQ(Lookup(long_line, "tarhttp.cfg").first, 0);
}

TEST(MapLookup, BufferTooSmallIsLeftAlone) {
    Installation inst;
    inst.WriteMap("tarhttp.cfg=/abc\n");
    char out[4] = {'k', 'e', 'p', 't'};
    EXPECT_EQ(LookupMappedFile("tarhttp.cfg", out, sizeof out, inst.MapFile().c_str()), 5);
    EXPECT_EQ(std::string(out, 4), "kept");
}

TEST(MapLookup, UnreadableMapEmptiesTheBuffer) {
    Installation inst;
    char out[8] = "old";
    EXPECT_EQ(LookupMappedFile("x", out, sizeof out, inst.Path("missing.map").c_str()), 0);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "old");
    EXPECT_EQ(LookupMappedFile("x", out, sizeof out, inst.Path("root").c_str()), 0);
    EXPECT_STREQ(out, "");
    // Reading this file fails with an I/O error at once.
    std::strcpy(out, "old");
    EXPECT_EQ(LookupMappedFile("x", out, sizeof out, "/proc/self/mem"), 0);
    EXPECT_STREQ(out, "");
}

TEST(MapLookup, DefaultMapLiesUnderTheInstallRoot) {
    Installation inst;
    inst.WriteMap("tarhttp.cfg=/from/default/map\n");
    RegistryFileInUse in_use(inst.RegistryFile());
    char out[32];
    EXPECT_EQ(LookupMappedFile("tarhttp.cfg", out, sizeof out, nullptr), 18);
    EXPECT_STREQ(out, "/from/default/map");

    // Backslashes in the root, and in the suffix appended to it, are read
    // as slashes.
    std::string root = inst.Path("root");
    std::replace(root.begin(), root.end(), '/', '\\');
    inst.WriteRegistry(RegistryNaming(root));
    EXPECT_EQ(LookupMappedFile("tarhttp.cfg", out, sizeof out, nullptr), 18);
    inst.WriteMap("other=1\n");
    EXPECT_EQ(LookupMappedFile("tarhttp.cfg", out, sizeof out, nullptr), 0);
    inst.WriteRegistry("REGEDIT4\n");
    EXPECT_EQ(LookupMappedFile("tarhttp.cfg", out, sizeof out, nullptr), 0);
    EXPECT_EQ(cfgmigrate::platform::OpenRegistryKeyCount(), 0u);
}

} // namespace
