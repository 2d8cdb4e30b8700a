// confctl and the page write one file at the same time: the shared lock
// makes them take turns, so nothing that was reported saved is lost.
#include "cgi_session.h"
#include "run_confctl.h"

#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using admintest::CgiSession;
using admintest::StartsWith;

// A page writer: shows the page, posts a new Protect entry from it, and
// shows the page again when someone else's change made the form stale.
// Exits 0 when the page said it saved, 2 when it refused otherwise.
pid_t StartPageWriter(const std::string &folder, const std::string &config,
                      const std::string &templ) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child != 0) return child;
    CgiSession session(folder, config);
    for (int attempt = 0; attempt < 60; ++attempt) {
        session.Get();
        const std::string out = session.Post("op=protect-put&step=apply&setup=S&position=after"
                                             "&template=" +
                                             templ);
        if (StartsWith(out, "Content-Type: text/html") &&
            out.find("id=\"message\"") != std::string::npos)
            _exit(0);
        if (!StartsWith(out, "Status: 409 ")) _exit(2);
    }
    _exit(2);
}

TEST(AdminConcurrency, ConfctlAndThePageTogetherLoseNothing) {
    testsupport::TempDir dir;
    const std::string config = dir.File("proxy.conf");
    testsupport::WriteFile(config, "Port 80\r\nPass /base/*\r\nProtect /base/* S\r\n");
    constexpr int kEach = 10;
    std::vector<pid_t> confctl, pages;
    for (int i = 0; i < kEach; ++i) {
        const std::string folder = dir.File("page" + std::to_string(i));
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        pages.push_back(StartPageWriter(folder, config, "/p" + std::to_string(i) + "/*"));
        confctl.push_back(confctltest::StartConfctl(
            {"add", config, "pass", "Pass /c" + std::to_string(i) + "/*"}));
    }
    const std::string body = [&] { // waits for every writer, then checks each
        std::vector<int> pageStatus, confctlStatus;
        for (int i = 0; i < kEach; ++i) {
            pageStatus.push_back(confctltest::WaitStatus(pages[i]));
            confctlStatus.push_back(confctltest::WaitStatus(confctl[i]));
        }
        const std::string text = testsupport::ReadFile(config);
        int saved = 0;
        for (int i = 0; i < kEach; ++i) {
            const std::string n = std::to_string(i);
            const bool pass = text.find("Pass /c" + n + "/*\r\n") != std::string::npos;
            const bool protect = text.find("Protect  /p" + n + "/*  S\r\n") != std::string::npos;
            EXPECT_TRUE((confctlStatus[i] == 0 && pass) || (confctlStatus[i] == 2 && !pass))
                << "confctl " << n << " status " << confctlStatus[i];
            EXPECT_TRUE((pageStatus[i] == 0 && protect) || (pageStatus[i] == 2 && !protect))
                << "page " << n << " status " << pageStatus[i];
            saved += (confctlStatus[i] == 0) + (pageStatus[i] == 0);
        }
        EXPECT_GT(saved, kEach); // most writers got their turn
        return text;
    }();
    for (const char *kept : {"Port 80\r\n", "Pass /base/*\r\n", "Protect /base/* S\r\n"})
        EXPECT_NE(body.find(kept), std::string::npos) << kept << body;
}

} // namespace
