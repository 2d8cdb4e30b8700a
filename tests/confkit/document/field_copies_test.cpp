// GetField: each call hands out a copy of its own that stays valid.
#include "internal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <dlfcn.h>
#endif
#include <limits.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

TEST(GetField, SplitsAtSpaceCrLfAndTab) {
    EXPECT_STREQ(GetField("a  b\tc", 2), "b");
    EXPECT_STREQ(GetField("a  b\tc", 1), "a");
    EXPECT_STREQ(GetField("a  b\tc", 0), "a");
    EXPECT_STREQ(GetField("a  b\tc", -7), "a");
    EXPECT_STREQ(GetField("a  b\tc", 3), "c");
    EXPECT_STREQ(GetField("a  b\tc", 4), "");
    EXPECT_STREQ(GetField(" \r\n x\r\ny@z", 2), "y@z");
    EXPECT_STREQ(GetField("", 1), "");
    EXPECT_STREQ(GetField(nullptr, 1), "");
}

TEST(GetField, LeavesTheTextAloneAndHandsOutIndependentCopies) {
    char text[] = "Port \"80\"\n";
    char *first = GetField(text, 2);
    char *second = GetField(text, 2);
    EXPECT_STREQ(text, "Port \"80\"\n");
    ASSERT_NE(first, second);
    EXPECT_STREQ(StripQuotes(first), "80");
    EXPECT_STREQ(second, "\"80\"");
    // Earlier results survive later calls.
    for (int i = 0; i < 100; ++i)
        GetField("x y z", 3);
    EXPECT_STREQ(second, "\"80\"");
}

TEST(GetField, IsSafeFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> bad(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &bad] {
            const std::string text = "f" + std::to_string(t) + " g" + std::to_string(t);
            const std::string want = "g" + std::to_string(t);
            for (int i = 0; i < 500; ++i)
                if (want != GetField(text.c_str(), 2)) ++bad[t];
        });
    }
    for (auto &th : threads)
        th.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(bad[t], 0) << t;
}

// Loading with dlopen; the Windows build loads the DLL in its own tests.
#ifndef _WIN32
// The shared library built beside this test program, or "" when absent.
std::string BuiltLibrary() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return {};
    std::string dir(exe, static_cast<std::size_t>(n));
    dir = dir.substr(0, dir.find_last_of('/'));
    const std::string lib = dir + "/../confkit/libconfkit.so";
    return access(lib.c_str(), R_OK) == 0 ? lib : std::string();
}

// Copies handed out by a loaded library are released when it is unloaded:
// LeakSanitizer reports them otherwise, since nothing refers to them then.
TEST(GetField, CopiesGoWhenTheLibraryIsUnloaded) {
    const std::string lib = BuiltLibrary();
    if (lib.empty()) GTEST_SKIP() << "shared library not built";
    void *handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using GetFieldFn = char *(*)(const char *, int32_t);
    auto getField = reinterpret_cast<GetFieldFn>(dlsym(handle, "GetField"));
    ASSERT_NE(getField, nullptr);
    EXPECT_STREQ(getField("a b", 2), "b");
    EXPECT_STREQ(getField("a b", 9), "");
    EXPECT_EQ(dlclose(handle), 0);
}

// What the library remembers of an open document's file goes at unload too,
// also for a document that its caller released without closing it.
TEST(OpenedFiles, GoWhenTheLibraryIsUnloaded) {
    const std::string lib = BuiltLibrary();
    if (lib.empty()) GTEST_SKIP() << "shared library not built";
    char path[] = "/tmp/confkit-unload-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    void *handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using OpenFn = ConfigDocument *(*)(const char *);
    auto open = reinterpret_cast<OpenFn>(dlsym(handle, "HTTPDConfigOpen"));
    ASSERT_NE(open, nullptr);
    ConfigDocument *doc = open(path);
    ASSERT_NE(doc, nullptr);
    LinesFree(doc->first);
    std::free(doc->path);
    std::free(doc);
    EXPECT_EQ(dlclose(handle), 0);
    unlink(path);
}

#endif

} // namespace
