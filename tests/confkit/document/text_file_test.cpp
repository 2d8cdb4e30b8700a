// The text-mode layer and the safe replacement of a configuration file.
#include "internal.h"
#include "platform/text_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using confkit::platform::ReplaceTextFile;
using confkit::platform::TextReader;
using confkit::platform::TextWriter;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// What a text-mode stream read one byte at a time gives.
std::string ReadByteAtATime(const std::string &raw) {
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\x1A') break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out += raw[i];
    }
    return out;
}

std::string ReadInBlocks(const std::string &path, std::size_t cap) {
    std::FILE *f = std::fopen(path.c_str(), "r");
    EXPECT_NE(f, nullptr);
    auto reader = std::make_unique<TextReader>(f);
    std::string out;
    std::vector<char> buf(cap);
    while (std::size_t n = reader->Read(buf.data(), cap))
        out.append(buf.data(), n);
    std::fclose(f);
    return out;
}

TEST(TextReader, GivesExactlyWhatByteAtATimeReadingGives) {
    TempDir dir;
    const std::string path = dir.File("raw");
    // Random bytes dense in CR, LF, NUL and Ctrl-Z, long enough to cross
    // several of the reader's blocks, at several output sizes.
    std::mt19937 rng(12345);
    const char alphabet[] = {'a', '\r', '\n', '\0', 'b', '\r', ' '};
    std::string raw(300000, 'a');
    for (char &c : raw)
        c = alphabet[rng() % sizeof alphabet];
    WriteFile(path, raw);
    for (std::size_t cap : {1u, 7u, 4096u, 100000u})
        EXPECT_EQ(ReadInBlocks(path, cap), ReadByteAtATime(raw)) << cap;

    raw[200001] = '\x1A';
    WriteFile(path, raw);
    EXPECT_EQ(ReadInBlocks(path, 65536), ReadByteAtATime(raw));
}

TEST(TextReader, JoinsCrLfAcrossBlockBoundaries) {
    TempDir dir;
    const std::string path = dir.File("edge");
    const std::size_t block = 64 * 1024;
    std::string crlf(block - 1, 'x');
    crlf += "\r\nend\r"; // CR as the block's last byte, LF the next one's first
    std::string lone(block - 1, 'y');
    lone += "\rz"; // a lone CR at the boundary stays
    std::string ctrlz(block - 1, 'w');
    ctrlz += "\r\x1A\n"; // CR then Ctrl-Z: the CR stays, the text ends
    for (const std::string &raw : {crlf, lone, ctrlz}) {
        WriteFile(path, raw);
        EXPECT_EQ(ReadInBlocks(path, 1 << 20), ReadByteAtATime(raw));
    }
    WriteFile(path, crlf);
    const std::string got = ReadInBlocks(path, 1 << 20);
    EXPECT_EQ(got.substr(got.size() - 6), "x\nend\r");
}

TEST(TextWriter, TurnsNewlinesIntoCrLfOnly) {
    TempDir dir;
    const std::string path = dir.File("out");
    std::string text = "a\nb\rc\r\n\n";
    text += std::string(200000, 'q') + "\n";
    ASSERT_TRUE(ReplaceTextFile(path.c_str(), [&](TextWriter &out) {
        out.Write(text.data(), 3);
        out.Write(text.data() + 3, text.size() - 3);
    }));
    std::string want = "a\r\nb\rc\r\r\n\r\n" + std::string(200000, 'q') + "\r\n";
    EXPECT_EQ(ReadFile(path), want);
}

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
    EXPECT_EQ(Entries(locked.folder), (std::vector<std::string>{"http.conf"}));
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
