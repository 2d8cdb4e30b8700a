// Runs the built program in a temporary installation with its own registry
// file and a stand-in for the server's change command that records its
// arguments and exits with a status the test chooses.
#include "installation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

using cfgmigrate_test::FileExists;
using cfgmigrate_test::Installation;
using cfgmigrate_test::MakeDir;
using cfgmigrate_test::ReadFile;
using cfgmigrate_test::RegistryNaming;
using cfgmigrate_test::WriteFile;

namespace {

class Migration : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeDir(inst.Path("bin"));
        CommandExits(1);
    }

    // The change command's stand-in: each run appends its arguments, one a
    // line, after a "run" line.
    void CommandExits(int status) {
        const std::string script = "#!/bin/sh\n"
                                   "{ echo run; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } "
                                   ">> '" +
                                   Calls() + "'\nexit " + std::to_string(status) + "\n";
        WriteFile(inst.Path("bin/tarhttp"), script);
        chmod(inst.Path("bin/tarhttp").c_str(), 0755);
    }

    std::string Calls() const { return inst.Path("calls"); }
    bool CommandRan() const { return FileExists(Calls()); }
    // What the command received, one run, one argument a line.
    std::string Arguments() const { return ReadFile(Calls()); }

    // Runs the program in the installation's folder, with the registry file
    // and the stand-in's folder first on PATH, through the programs of
    // wrapper when given (each with its arguments). Its exit status, or
    // -1000 when it did not exit.
    int Run(std::vector<std::string> wrapper = {}) const {
        std::vector<std::string> env_text = {"CFGMIGRATE_REGISTRY=" + inst.RegistryFile(),
                                             "PATH=" + inst.Path("bin") + ":/usr/bin:/bin"};
        for (char **e = environ; *e; ++e)
            if (std::strncmp(*e, "PATH=", 5) != 0 && std::strncmp(*e, "CFGMIGRATE_", 11) != 0)
                env_text.emplace_back(*e);
        std::vector<char *> env;
        for (std::string &e : env_text)
            env.push_back(e.data());
        env.push_back(nullptr);
        std::string dir = inst.Path("");
        wrapper.emplace_back(CFGMIGRATE_PROGRAM);
        std::vector<char *> argv;
        for (std::string &arg : wrapper)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        pid_t child = fork();
        if (child == 0) {
            if (chdir(dir.c_str()) == 0) execve(argv[0], argv.data(), env.data());
            _exit(127);
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child) return -1000;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }

    // Runs with settings text: the exit status, the settings file and the
    // renamed file are checked by the caller.
    int RunWith(const std::string &settings) {
        inst.WriteSettings(settings);
        return Run();
    }

    Installation inst;
};

TEST_F(Migration, ExitStatusFollowsTheChangeCommand) {
    const std::pair<int, int> cases[] = {{1, 0}, {0, 0}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {42, 42}};
    for (auto [command_status, expected] : cases) {
        SCOPED_TRACE(command_status);
        std::remove(inst.OldSettingsFile().c_str());
        std::remove(Calls().c_str());
        CommandExits(command_status);
        EXPECT_EQ(RunWith("port 80\n"), expected);
        EXPECT_EQ(Arguments(), "run\ncmd=change\nport=80\n");
        // Moved aside before the command runs, whatever it answers.
        EXPECT_FALSE(FileExists(inst.SettingsFile()));
        EXPECT_EQ(ReadFile(inst.OldSettingsFile()), "port 80\n");
    }
}

TEST_F(Migration, SettingsBecomeArgumentsInTableOrder) {
    EXPECT_EQ(RunWith("# settings\r\n"
                      "logging Verbose\r\n"
                      "PersistTimeout 30\r\n"
                      "maxpersistrequests\t10\r\n"
                      "AUTHENTICATETIMEOUT 300 ignored words\r\n"
                      "Authenticate  Basic\r\n"
                      "maxactivethreads 64\r\n"
                      "MaxContentLengthBuffer 1048576\r\n"
                      "PORT 8080\r\n"
                      "Unknown value\r\n"),
              0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\nport=8080\nMaxContentLengthBuffer=1048576\n"
                           "MaxActiveThreads=64\nAuthenticate=Basic\nAuthenticateTimeout=300\n"
                           "MaxPersistRequests=10\nPersistTimeout=30\nLogging=Verbose\n");
}

TEST_F(Migration, LastLineWinsAndALoneNameEmptiesTheSetting) {
    EXPECT_EQ(RunWith("Logging on\nport 80\nLogging off\nport\n#port 99\n   \n\n"), 0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\nLogging=off\n");
}

TEST_F(Migration, CommentsOnlyStillRunsAndRenames) {
    EXPECT_EQ(RunWith("# port 80\n#Logging on\n"), 0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\n");
    EXPECT_FALSE(FileExists(inst.SettingsFile()));
    EXPECT_EQ(ReadFile(inst.OldSettingsFile()), "# port 80\n#Logging on\n");
}

TEST_F(Migration, LongCommentLineStaysAComment) {
    EXPECT_EQ(RunWith("#" + std::string(200, '-') + " port 99\nLogging on\n"), 0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\nLogging=on\n");
}

TEST_F(Migration, ExistingOldFileStopsBeforeTheCommand) {
    WriteFile(inst.OldSettingsFile(), "earlier\n");
    EXPECT_EQ(RunWith("port 80\n"), 4);
    EXPECT_FALSE(CommandRan());
    EXPECT_EQ(ReadFile(inst.SettingsFile()), "port 80\n");
    EXPECT_EQ(ReadFile(inst.OldSettingsFile()), "earlier\n");
}

// Values that could change what the shell runs, or that do not fit.
TEST_F(Migration, UnsafeValuesStopBeforeAnythingChanges) {
    const std::string attempts[] = {
        "port 80&touch${IFS}pwned\n",
        "port 80;touch${IFS}pwned\n",
        "Logging on|touch${IFS}pwned\n",
        "Logging $(touch${IFS}pwned)\n",
        "Logging `touch${IFS}pwned`\n",
        "Logging on>pwned\n",
        "Authenticate \"x\"\n",
        "port " + std::string(30, '8') + "\n",
        "port 80\nPersistTimeout 5\xC2\xA0\n",
        "Logging on\nport 80&touch${IFS}pwned\n",
    };
    for (const std::string &settings : attempts) {
        SCOPED_TRACE(settings);
        EXPECT_EQ(RunWith(settings), 5);
        EXPECT_FALSE(CommandRan());
        EXPECT_FALSE(FileExists(inst.Path("pwned")));
        EXPECT_EQ(ReadFile(inst.SettingsFile()), settings);
        EXPECT_FALSE(FileExists(inst.OldSettingsFile()));
    }
}

TEST_F(Migration, OnlyTheValueThatReachesTheCommandIsChecked) {
    EXPECT_EQ(RunWith("port 80;touch${IFS}pwned\n"
                      "port " +
                      std::string(29, '8') +
                      "\n"
                      "unknown-name-" +
                      std::string(40, 'n') + " $(touch${IFS}pwned)\n"),
              0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\nport=" + std::string(29, '8') + "\n");
    EXPECT_FALSE(FileExists(inst.Path("pwned")));
}

TEST_F(Migration, NotLocatedIsStatusOne) {
    const std::string root = inst.Path("root");
    const std::pair<std::string, std::string> cases[] = {
        {RegistryNaming(root), "other.cfg=/x\nTARHTTP.CFG=" + inst.SettingsFile() + "\n"},
        {RegistryNaming(root), "#tarhttp.cfg=" + inst.SettingsFile() + "\n"},
        {RegistryNaming(inst.Path("elsewhere")), "tarhttp.cfg=" + inst.SettingsFile() + "\n"},
        {"REGEDIT4\n", "tarhttp.cfg=" + inst.SettingsFile() + "\n"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Osmek\\Tarrowgate]\n\"CurrentVersion\"=\"9\"\n",
         "tarhttp.cfg=" + inst.SettingsFile() + "\n"},
        {RegistryNaming(root).substr(38), "tarhttp.cfg=" + inst.SettingsFile() + "\n"},
    };
    for (const auto &[registry, map] : cases) {
        SCOPED_TRACE(registry + map);
        inst.WriteRegistry(registry);
        inst.WriteMap(map);
        EXPECT_EQ(RunWith("port 80\n"), 1);
        EXPECT_FALSE(CommandRan());
        EXPECT_TRUE(FileExists(inst.SettingsFile()));
    }
    std::remove(inst.RegistryFile().c_str());
    EXPECT_EQ(Run(), 1);
}

TEST_F(Migration, UnopenableSettingsFileIsStatusThree) {
    const std::string maps[] = {
        "tarhttp.cfg=" + inst.Path("missing.cfg") + "\n",
        "tarhttp.cfg=\n",
        "tarhttp.cfg\ntarhttp.cfg=" + inst.SettingsFile() + "\n",
        "tarhttp.cfg=" + inst.Path("bin") + "\n",
    };
    for (const std::string &map : maps) {
        SCOPED_TRACE(map);
        inst.WriteMap(map);
        EXPECT_EQ(Run(), 3);
        EXPECT_FALSE(CommandRan());
    }
}

// A run that would wait for ever is killed, and then reads as no exit.
const std::vector<std::string> kBoundedWait = {"/usr/bin/timeout", "-s", "KILL", "20"};

// A FIFO waits for a writer when opened, a device never ends: neither is
// read. Without a writer the run would hang, so it is bounded.
TEST_F(Migration, OnlyRegularFilesAreRead) {
    const std::pair<std::string, int> cases[] = {
        {inst.SettingsFile(), 3}, {inst.RegistryFile(), 1}, {inst.MapFile(), 1}};
    for (const auto &[path, expected] : cases) {
        SCOPED_TRACE(path);
        const std::string kept = ReadFile(path);
        ASSERT_EQ(std::remove(path.c_str()), 0);
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        EXPECT_EQ(Run(kBoundedWait), expected);
        EXPECT_FALSE(CommandRan());
        EXPECT_FALSE(FileExists(inst.OldSettingsFile()));
        std::remove(path.c_str());
        WriteFile(path, kept);
    }
    inst.WriteMap("tarhttp.cfg=/dev/zero\n");
    EXPECT_EQ(Run(kBoundedWait), 3);
    EXPECT_FALSE(CommandRan());
}

// Memory that runs out while the settings are read leaves them unread: the
// run stops as for a file it cannot read. A sanitizer's shadow memory does
// not fit the limit, so sanitized builds skip this.
TEST_F(Migration, SettingsReadOnlyInPartAreStatusThree) {
#if defined(CFGMIGRATE_SANITIZED)
    GTEST_SKIP() << "an address-space limit breaks the sanitizers";
#endif
    // One line of NUL bytes, far longer than the limit lets a line grow.
    ASSERT_EQ(truncate(inst.SettingsFile().c_str(), 512L << 20), 0);
    std::vector<std::string> limited = kBoundedWait;
    limited.insert(limited.end(), {"/usr/bin/prlimit", "--as=300000000"});
    EXPECT_EQ(Run(limited), 3);
    EXPECT_FALSE(CommandRan());
    EXPECT_TRUE(FileExists(inst.SettingsFile()));
    EXPECT_FALSE(FileExists(inst.OldSettingsFile()));
}

TEST_F(Migration, MapRules) {
    const std::string real = inst.SettingsFile();
    const std::string decoy = inst.Path("decoy.cfg");
    WriteFile(decoy, "port 1\n");
    const std::string maps[] = {
        "TARHTTP.CFG=" + decoy + "\ntarhttp.cfg=" + real + "\n",
        "tarhttp.cfg=" + real + "\ntarhttp.cfg=" + decoy + "\n",
        "#tarhttp.cfg=" + decoy + "\r\nno equals here\r\ntarhttp.cfg=" + real + "\r\n",
    };
    for (const std::string &map : maps) {
        SCOPED_TRACE(map);
        inst.WriteMap(map);
        std::remove(inst.OldSettingsFile().c_str());
        std::remove(Calls().c_str());
        EXPECT_EQ(RunWith("port 80\n"), 0);
        EXPECT_EQ(Arguments(), "run\ncmd=change\nport=80\n");
        EXPECT_EQ(ReadFile(decoy), "port 1\n");
    }
}

TEST_F(Migration, MapValueKeepsTrailingBlanksAndLength) {
    const std::string blanks = inst.Path("tarhttp.cfg  ");
    WriteFile(blanks, "port 81\n");
    inst.WriteMap("tarhttp.cfg=" + blanks + "\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ReadFile(blanks + ".old"), "port 81\n");

    // An install path far longer than 79 characters.
    std::string deep = inst.Path(std::string(60, 'a'));
    MakeDir(deep);
    deep += "/" + std::string(60, 'b');
    MakeDir(deep);
    WriteFile(deep + "/tarhttp.cfg", "port 82\n");
    inst.WriteMap("tarhttp.cfg=" + deep + "/tarhttp.cfg\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(FileExists(deep + "/tarhttp.cfg.old"));
    EXPECT_EQ(Arguments(), "run\ncmd=change\nport=81\nrun\ncmd=change\nport=82\n");
}

// The registry editor's default form: UTF-16 with a byte-order mark; the
// root written with backslashes.
TEST_F(Migration, RegistryInUtf16WithBackslashedRoot) {
    std::string root = inst.Path("root");
    std::replace(root.begin(), root.end(), '/', '\\');
    std::string text = RegistryNaming(root);
    std::string utf16 = "\xFF\xFE";
    for (char c : text) {
        utf16 += c;
        utf16 += '\0';
    }
    inst.WriteRegistry(utf16);
    EXPECT_EQ(RunWith("Logging on\n"), 0);
    EXPECT_EQ(Arguments(), "run\ncmd=change\nLogging=on\n");
}

} // namespace
