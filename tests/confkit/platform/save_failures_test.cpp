// Every step of a save made to fail in turn, on both ways a file is saved:
// through a new file beside it, and in place when the folder takes no new
// file. Whichever step fails, the save returns -1, the file holds its
// original bytes (untouched, or put back) and nothing is left beside it.
#include "platform/files.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using confkit::platform::Calls;
using confkit::platform::FileCalls;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

enum Step {
    kCreate,
    kOpen,
    kRead,
    kWrite,
    kRewind,
    kReserve,
    kSetLength,
    kSync,
    kClose,
    kGiveMode,
    kMoveOver,
    kStepCount
};
const char *const kStepNames[kStepCount] = {"create", "open",        "read",       "write",
                                            "rewind", "reserve",     "set length", "sync",
                                            "close",  "mode change", "rename"};

// Counts the calls of each step and fails the one chosen. Reads and writes
// move at most a few bytes at a time, so that a file takes many of them.
struct Faults {
    FileCalls system = Calls();
    bool folder_refuses = false;
    int calls[kStepCount] = {};
    Step failing = kStepCount;
    int failing_call = 0;

    bool Fails(Step step) {
        if (++calls[step] != failing_call || step != failing) return false;
        errno = EIO;
        return true;
    }
};
Faults *gFaults = nullptr;

template <class R> R Failure() {
    if constexpr (std::is_same_v<R, bool>)
        return false;
    else
        return R(-1);
}

template <Step S, auto Field, class F> struct Wrap;
template <Step S, auto Field, class R, class... A> struct Wrap<S, Field, R (*)(A...)> {
    static R Call(A... args) {
        if (gFaults->Fails(S)) return Failure<R>();
        return (gFaults->system.*Field)(args...);
    }
};
#define WRAP(step, field)                                                                          \
    calls.field = &Wrap<step, &FileCalls::field, decltype(FileCalls::field)>::Call

constexpr std::size_t kShortTransfer = 4096;

int CreateNew(const std::string &name, bool private_file) {
    if (gFaults->folder_refuses) {
        errno = EACCES;
        return -1;
    }
    if (gFaults->Fails(kCreate)) return -1;
    return gFaults->system.create_new(name, private_file);
}

long long Read(int fd, char *bytes, std::size_t n) {
    if (gFaults->Fails(kRead)) return -1;
    return gFaults->system.read(fd, bytes, std::min(n, kShortTransfer));
}

long long Write(int fd, const char *bytes, std::size_t n) {
    if (gFaults->Fails(kWrite)) return -1;
    return gFaults->system.write(fd, bytes, std::min(n, kShortTransfer));
}

// A close that fails still gives the descriptor up, as the systems do.
bool Close(int fd) {
    const bool failed = gFaults->Fails(kClose);
    return gFaults->system.close(fd) && !failed;
}

// Puts the counting calls in place for the life of the object.
class FaultyCalls {
  public:
    explicit FaultyCalls(Faults &faults) {
        gFaults = &faults;
        FileCalls &calls = Calls();
        calls.create_new = &CreateNew;
        calls.read = &Read;
        calls.write = &Write;
        calls.close = &Close;
        WRAP(kOpen, open_existing);
        WRAP(kRewind, rewind);
        WRAP(kReserve, reserve);
        WRAP(kSetLength, set_length);
        WRAP(kSync, sync);
        WRAP(kGiveMode, give_mode);
        WRAP(kMoveOver, move_over);
    }
    ~FaultyCalls() {
        Calls() = gFaults->system;
        gFaults = nullptr;
    }
    FaultyCalls(const FaultyCalls &) = delete;
    FaultyCalls &operator=(const FaultyCalls &) = delete;
};

std::vector<std::string> Entries(const std::string &folder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string Lines(const char *form, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += form + std::to_string(i) + "\r\n";
    return text;
}

// The original file, and two edits of it: each changes the first line, one
// makes the file longer and one shorter. Each edit's saved file is given.
const std::string kOriginal = Lines("Pass /old/", 600) + "last line without end";
const std::string kFirstLine = "Pass /old/0\r\n";

void ChangeFirstLine(ConfigDocument *doc) {
    std::snprintf(doc->first->text, sizeof doc->first->text, "Port 81\n");
}

struct Edit {
    const char *name;
    void (*apply)(ConfigDocument *doc);
    std::string saved;
};
const Edit kEdits[] = {
    {"longer",
     [](ConfigDocument *doc) {
         ChangeFirstLine(doc);
         for (int i = 0; i < 900; ++i) {
             const std::string line = "Pass /new/" + std::to_string(i) + "\n";
             LinesAddStr(nullptr, doc, line.c_str(), 0);
         }
     },
     "Port 81\r\n" + kOriginal.substr(kFirstLine.size()) + Lines("Pass /new/", 900)},
    {"shorter",
     [](ConfigDocument *doc) {
         ChangeFirstLine(doc);
         Line *cut = doc->first;
         for (int i = 0; i < 400; ++i)
             cut = cut->next;
         LinesFree(cut);
     },
     "Port 81\r\n" + Lines("Pass /old/", 400).substr(kFirstLine.size())},
};

// Saves an edit of the original with the faults given; the save's result.
int Save(const std::string &path, const Edit &edit, Faults &faults) {
    WriteFile(path, kOriginal);
    ConfigDocument *doc = HTTPDConfigOpen(path.c_str());
    if (!doc) return -2;
    edit.apply(doc);
    FaultyCalls faulty(faults);
    return HTTPDConfigClose(doc, 1);
}

TEST(SaveFailures, EveryStepOfBothWaysOfSavingLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string path = dir.File("http.conf");
    for (const bool in_place : {false, true}) {
        for (const Edit &edit : kEdits) {
            const std::string way = std::string(in_place ? "in place, " : "beside, ") + edit.name;
            Faults counted;
            counted.folder_refuses = in_place;
            ASSERT_EQ(Save(path, edit, counted), 0) << way;
            ASSERT_EQ(ReadFile(path), edit.saved) << way;
            EXPECT_GT(counted.calls[kWrite], 1) << way;
            EXPECT_EQ(counted.calls[in_place ? kOpen : kCreate], 1) << way;
            for (int step = 0; step < kStepCount; ++step) {
                for (int call = 1; call <= counted.calls[step]; ++call) {
                    Faults faults;
                    faults.folder_refuses = in_place;
                    faults.failing = static_cast<Step>(step);
                    faults.failing_call = call;
                    const std::string what =
                        way + ": " + kStepNames[step] + " call " + std::to_string(call);
                    EXPECT_EQ(Save(path, edit, faults), -1) << what;
                    EXPECT_TRUE(ReadFile(path) == kOriginal) << what;
                    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"http.conf"}) << what;
                }
            }
        }
    }
}

} // namespace
