// GetField keeps the library's only shared state (the store of the copies it
// hands out): several threads splitting and comparing texts of their own
// documents at once must neither race nor see each other's results.
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

void Work(int id, std::atomic<int> &failures) {
    const std::string text = "Pass /t" + std::to_string(id) + "/* /b/*  # note\n";
    ConfigDocument *doc = testsupport::MakeDoc(text + "Port 80\n");
    for (int i = 0; i < 2000; ++i) {
        char *field = GetField(doc->first->text, 2);
        if (std::string(field) != "/t" + std::to_string(id) + "/*") ++failures;
        field[0] = 'X'; // callers may change their copy in place
        if (!TokenMatch(doc->first->text, "pass")) ++failures;
        if (!TokenNext(doc->first->text)) ++failures;
        if (!RuleSame(doc->first->text, text.c_str())) ++failures;
        if (!HTTPDRuleMatch(doc->first->next->text, HTTPDRuleToID("port"))) ++failures;
    }
    HTTPDConfigClose(doc, 0);
}

TEST(Threads, FieldsAndTokensFromSeveralThreadsAtOnce) {
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int id = 0; id < 4; ++id) threads.emplace_back(Work, id, std::ref(failures));
    for (auto &t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
