// The history holds what the file holds: its files are the file's owner's
// where the process may give them away (root may), else the editing user's,
// and no wider open than the file.
#include "history_fixture.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Records one save in a child process running as uid (and its group).
int RecordAs(uid_t uid, HistoryFixture &f) {
    const pid_t child = fork();
    if (child == 0) {
        if (uid != 0 && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
            _exit(3);
        try {
            _exit(f.Save("Port 81\n") == 1u ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(HistoryOwner, FilesAreNoWiderThanTheConfiguration) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to own files as another user";
    const struct {
        const char *name;
        uid_t fileOwner;
        mode_t fileMode;
        uid_t editor;
        uid_t owner;       // of the history's files
        mode_t mode;       // of the copies and the log
        mode_t folderMode; // of FILE.history
    } cases[] = {
        {"root gives the file's owner", kNobody, 0640, 0, kNobody, 0640, 0750},
        {"a private file stays private", kNobody, 0600, 0, kNobody, 0600, 0700},
        // The editor cannot give root's group: its bits go.
        {"the editor keeps what it cannot give", 0, 0666, kNobody, kNobody, 0606, 0707},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HistoryFixture f;
        ASSERT_EQ(chown(f.dir.path().c_str(), c.editor, c.editor), 0);
        ASSERT_EQ(chown(f.path.c_str(), c.fileOwner, c.fileOwner), 0);
        ASSERT_EQ(chmod(f.path.c_str(), c.fileMode), 0);
        ASSERT_EQ(RecordAs(c.editor, f), 0);
        for (const char *name : {"", "/0", "/1", "/log"}) {
            struct stat st {};
            ASSERT_EQ(stat((f.history.folder() + name).c_str(), &st), 0) << name;
            EXPECT_EQ(st.st_uid, c.owner) << name;
            EXPECT_EQ(st.st_mode & 07777, *name ? c.mode : c.folderMode) << name;
        }
    }
}
