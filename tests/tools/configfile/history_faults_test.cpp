// Every step of recording a save fails in turn, on a first save, a later
// one and one after a change made outside: the save is refused, the file
// and the history are as they were, and the history still verifies.
#include "history_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using history::files::Op;

TEST(HistoryFaults, AFailedStepLeavesTheFileAndTheHistoryAsTheyWere) {
    const struct {
        const char *name;
        std::function<void(HistoryFixture &)> setup;
    } scenarios[] = {
        {"first save", [](HistoryFixture &) {}},
        {"later save", [](HistoryFixture &f) { f.Save("Port 81\n"); }},
        {"after a change outside",
         [](HistoryFixture &f) {
             f.Save("Port 81\n");
             testsupport::WriteFile(f.path, "Port 82\n");
         }},
    };
    constexpr int kSave = history::files::kOpCount; // the caller's save of the file
    int fired[kSave + 1] = {};
    for (const auto &scenario : scenarios) {
        for (int step = 0; step <= kSave; ++step) {
            SCOPED_TRACE(std::string(scenario.name) + ", step " + std::to_string(step));
            HistoryFixture f;
            scenario.setup(f);
            const auto before = f.State();
            bool failed = false;
            history::files::SetFaultHook(
                [&](Op op) { return static_cast<int>(op) == step && (failed = true); });
            const std::string after = "Port 90\n";
            auto write = [&] {
                if (step == kSave) {
                    failed = true;
                    throw std::runtime_error("disk full");
                }
                testsupport::WriteFile(f.path, after);
            };
            bool saved = false;
            try {
                saved =
                    f.history
                        .Record(testsupport::ReadFile(f.path), after, {"alice", "t", "s"}, write,
                                [&](const std::string &bytes) {
                                    testsupport::WriteFile(f.path, bytes);
                                })
                        .has_value();
            } catch (const std::runtime_error &e) {
                EXPECT_TRUE(failed) << e.what();
            }
            history::files::SetFaultHook({});
            fired[step] += failed;
            EXPECT_NE(saved, failed);
            EXPECT_EQ(f.State() == before, failed);
            EXPECT_EQ(testsupport::ReadFile(f.path) == after, saved);
            EXPECT_TRUE(f.history.Verify().ok());
        }
    }
    for (int step = 0; step <= kSave; ++step)
        EXPECT_GT(fired[step], 0) << "step " << step << " was never reached";
}
