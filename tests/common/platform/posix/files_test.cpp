// The safe replacement of a configuration file on the POSIX calls.
#include "common/platform/files.h"
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// Names in a folder other than "." and "..".
std::vector<std::string> Entries(const std::string &folder) {
    std::vector<std::string> names;
    if (DIR *d = opendir(folder.c_str())) {
        while (dirent *e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

ConfigDocument *DocAt(const std::string &path, std::string_view text) {
    return testsupport::MakeDoc(text, path.c_str());
}

// About 20 KB of configuration: more than the lowered file size limit.
std::string ManyLines() {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "Pass /" + std::to_string(i) + "\n";
    return text;
}

std::string WithCrLf(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Lowers the file size limit for the life of the object; SIGXFSZ is ignored
// so that a write past it fails with EFBIG instead of ending the process.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool active() const { return active_; }

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool active_ = false;
};

TEST(ReplaceFile, AFailedWriteLeavesTheOriginalAndNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.File("full.conf");
    const std::string original = "Port 80\r\nHostname old\r\n";
    WriteFile(path, original);
    const std::string text = ManyLines();
    ConfigDocument *doc = DocAt(path, text);
    int32_t result = 0;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        result = HTTPDConfigWrite(doc);
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"full.conf"}));
    // Without the limit the same document is written whole.
    EXPECT_EQ(HTTPDConfigClose(doc, 1), 0);
    EXPECT_TRUE(ReadFile(path) == WithCrLf(text));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"full.conf"}));
}

TEST(ReplaceFile, KeepsPermissionBitsOwnerAndGroup) {
    TempDir dir;
    const std::string path = dir.File("mode.conf");
    WriteFile(path, "Port 80\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    }
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    EXPECT_EQ(HTTPDConfigClose(DocAt(path, "Port 81\n"), 1), 0);
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(ReadFile(path), "Port 81\r\n");
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"mode.conf"}));
}

TEST(ReplaceFile, WritesThroughASymbolicLinkAndKeepsTheLink) {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.File("links").c_str(), 0755), 0);
    const std::string target = dir.File("real/http.conf");
    const std::string link = dir.File("links/http.conf");
    WriteFile(target, "Port 80\r\n");
    ASSERT_EQ(symlink("../real/http.conf", link.c_str()), 0);

    EXPECT_EQ(HTTPDConfigClose(DocAt(link, "Port 81\n"), 1), 0);
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(target), "Port 81\r\n");
    EXPECT_EQ(Entries(dir.File("real")), (std::vector<std::string>{"http.conf"}));
    EXPECT_EQ(Entries(dir.File("links")), (std::vector<std::string>{"http.conf"}));

    // A link whose target is missing: the target is made, the link stays.
    const std::string dangling = dir.File("links/new.conf");
    ASSERT_EQ(symlink("../real/new.conf", dangling.c_str()), 0);
    EXPECT_EQ(HTTPDConfigClose(DocAt(dangling, "Port 82\n"), 1), 0);
    EXPECT_EQ(ReadFile(dir.File("real/new.conf")), "Port 82\r\n");
    ASSERT_EQ(lstat(dangling.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A loop of links names no file: nothing is written and the links stay.
    ASSERT_EQ(symlink("loop2", dir.File("links/loop1").c_str()), 0);
    ASSERT_EQ(symlink("loop1", dir.File("links/loop2").c_str()), 0);
    EXPECT_EQ(HTTPDConfigClose(DocAt(dir.File("links/loop1"), "Port 83\n"), 1), -1);
    ASSERT_EQ(lstat(dir.File("links/loop1").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Entries(dir.File("links")),
              (std::vector<std::string>{"http.conf", "loop1", "loop2", "new.conf"}));
}

TEST(ReplaceFile, AFolderRemovedAfterOpeningGivesMinusOne) {
    TempDir dir;
    const std::string folder = dir.File("gone");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/http.conf";
    WriteFile(path, "Port 80\r\n");
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(rmdir(folder.c_str()), 0);
    EXPECT_EQ(HTTPDConfigClose(doc, 1), -1);
    EXPECT_FALSE(testsupport::FileExists(folder));
}

// Runs fn in a child process without privileges (as "nobody" when the tests
// run as root) and gives its exit status; folder permissions then hold.
template <class F> int RunUnprivileged(F &&fn) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

// A folder the unprivileged child may read but not write into, holding a
// file it may write.
struct LockedFolder {
    TempDir dir;
    std::string folder = dir.File("locked");
    std::string path = folder + "/http.conf";
    LockedFolder() {
        chmod(dir.path().c_str(), 0755);
        mkdir(folder.c_str(), 0755);
        WriteFile(path, "Port 80\r\nHostname old\r\n");
        chmod(path.c_str(), 0666);
        chmod(folder.c_str(), 0555);
    }
    ~LockedFolder() { chmod(folder.c_str(), 0755); }
};

TEST(ReplaceFile, WritesInPlaceWhenTheFolderTakesNoNewFile) {
    LockedFolder locked;
    const int status = RunUnprivileged([&] {
        ConfigDocument *doc = DocAt(locked.path, "Port 81\nwelcome\n");
        return HTTPDConfigClose(doc, 1) == 0 ? 0 : 1;
    });
    ASSERT_NE(status, 99) << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(locked.path), "Port 81\r\n");
    EXPECT_EQ(Entries(locked.folder), (std::vector<std::string>{"http.conf"}));
}

TEST(ReplaceFile, InPlaceWritesNeverGoOverAnotherProgramsChange) {
    LockedFolder locked;
    const int status = RunUnprivileged([&] {
        ConfigDocument *doc = HTTPDConfigOpen(locked.path.c_str());
        if (!doc) return 2;
        WriteFile(locked.path, "Port 8080\r\n");
        return HTTPDConfigClose(doc, 1) == -1 ? 0 : 1;
    });
    ASSERT_NE(status, 99) << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(locked.path), "Port 8080\r\n");
}

TEST(ReplaceFile, InPlaceWriteFailuresAreReported) {
    LockedFolder locked;
    const int status = RunUnprivileged([&] {
        ConfigDocument *doc = DocAt(locked.path, ManyLines());
        FileSizeLimit limit(4096);
        if (!limit.active()) return 2;
        return HTTPDConfigClose(doc, 1) == -1 ? 0 : 1;
    });
    ASSERT_NE(status, 99) << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(locked.path), "Port 80\r\nHostname old\r\n");
    EXPECT_EQ(Entries(locked.folder), (std::vector<std::string>{"http.conf"}));
}

// The permission bits of the new file when it is made and when it moves
// over the old one.
std::vector<unsigned> gModes;

unsigned ModeOf(const struct stat &info) {
    return info.st_mode & 07777;
}

TEST(ReplaceFile, TheNewFileStaysPrivateUntilItIsComplete) {
    using confkit::platform::Calls;
    const confkit::platform::FileCalls system = Calls();
    Calls().create_new = [](const std::string &name, bool private_file) {
        const int fd = confkit::platform::os::CreateNew(name, private_file);
        struct stat info;
        if (fd >= 0 && fstat(fd, &info) == 0) gModes.push_back(ModeOf(info));
        return fd;
    };
    Calls().move_over = [](const std::string &from, const std::string &to) {
        struct stat info;
        if (stat(from.c_str(), &info) == 0) gModes.push_back(ModeOf(info));
        return confkit::platform::os::MoveOver(from, to);
    };
    TempDir dir;
    const std::string path = dir.File("mode.conf");
    WriteFile(path, "Port 80\r\n");
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    const bool replaced = HTTPDConfigClose(DocAt(path, "Port 81\n"), 1) == 0;
    // A new file is made as any file is: 0666 less the process's mask.
    const mode_t mask = umask(0);
    umask(mask);
    const bool made = HTTPDConfigClose(DocAt(dir.File("new.conf"), "Port 82\n"), 1) == 0;
    Calls() = system;
    EXPECT_TRUE(replaced && made);
    EXPECT_EQ(gModes, (std::vector<unsigned>{0600, 0644, 0666 & ~mask, 0666 & ~mask}));
}

TEST(ReplaceFile, AFileThatMayNotBeWrittenStaysAsItWas) {
    LockedFolder locked;
    chmod(locked.folder.c_str(), 0755);
    chmod(locked.path.c_str(), 0444);
    const int status = RunUnprivileged([&] {
        ConfigDocument *doc = DocAt(locked.path, "Port 81\n");
        return HTTPDConfigClose(doc, 1) == -1 ? 0 : 1;
    });
    ASSERT_NE(status, 99) << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(locked.path), "Port 80\r\nHostname old\r\n");
    EXPECT_EQ(Entries(locked.folder), (std::vector<std::string>{"http.conf"}));
}

} // namespace

namespace {

TEST(ReplaceFile, DevicesAreWrittenNotReplaced) {
    // A null device of its own, so that a fault cannot harm the system's.
    TempDir dir;
    const std::string device = dir.File("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    EXPECT_EQ(HTTPDConfigClose(testsupport::MakeDoc("Port 80\n", device.c_str()), 1), 0);
    struct stat after;
    ASSERT_EQ(stat(device.c_str(), &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"null"}));
}

} // namespace
