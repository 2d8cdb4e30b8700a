// The plug-in as its host sees it: loaded by file name with dlopen, reached
// only through the two names it exports. This program does not link it.
#include "kindplug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using LoadFunction = int32_t (*)(int32_t, void *);
using CheckFunction = uint32_t (*)(const char *);

// One dlopen of the built plug-in, closed again when it goes out of scope.
class Plugin {
  public:
    Plugin() : handle_(dlopen(KINDPLUG_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~Plugin() { Close(); }
    Plugin(const Plugin &) = delete;
    Plugin &operator=(const Plugin &) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    void *Find(const char *name) const { return dlsym(handle_, name); }
    LoadFunction Load() const { return reinterpret_cast<LoadFunction>(Find("Params_load")); }
    CheckFunction Check() const { return reinterpret_cast<CheckFunction>(Find("Params_check")); }
    void Close() {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
    }

  private:
    void *handle_;
};

const char *TextAt(uint32_t address) {
    return reinterpret_cast<const char *>(static_cast<uintptr_t>(address));
}

bool Mapped(uint32_t address) {
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    void *start = reinterpret_cast<void *>(address & ~(page - 1));
    return msync(start, page, MS_ASYNC) == 0 || errno != ENOMEM;
}

TEST(PluginLoad, HostFindsBothExportsByName) {
    Plugin plugin;
    ASSERT_TRUE(plugin.Loaded()) << dlerror();
    ASSERT_NE(nullptr, plugin.Load());
    ASSERT_NE(nullptr, plugin.Check());
    EXPECT_EQ(nullptr, plugin.Find("params_load"));

    EXPECT_EQ(0x63626100u, plugin.Check()("abc"));
    KindParams params;
    ASSERT_EQ(1, plugin.Load()(KINDPLUG_PROXY_KIND, &params));
    EXPECT_STREQ("responsetime", TextAt(params.nameText));
    EXPECT_STREQ("Osmek Tarrowgate HTTP Proxy", TextAt(params.displayName));
    EXPECT_STREQ("OSMEK-PROXY-TG", TextAt(params.identifier));
    EXPECT_EQ(0, plugin.Load()(0, &params));
}

TEST(PluginLoad, UnloadReleasesTheTextsAndReloadPlacesThemAgain) {
    KindParams params;
    {
        Plugin plugin;
        ASSERT_TRUE(plugin.Loaded()) << dlerror();
        ASSERT_EQ(1, plugin.Load()(KINDPLUG_PROXY_KIND, &params));
        ASSERT_TRUE(Mapped(params.nameText));
    }
    EXPECT_FALSE(Mapped(params.nameText));

    Plugin again;
    ASSERT_TRUE(again.Loaded()) << dlerror();
    ASSERT_EQ(1, again.Load()(KINDPLUG_PROXY_KIND, &params));
    EXPECT_STREQ("responsetime", TextAt(params.nameText));
}

#ifdef MAP_32BIT

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

// Takes every free address range between `low` and `high`.
void FillAddressRange(uint64_t low, uint64_t high) {
    uint64_t lowest = 65536;
    std::ifstream("/proc/sys/vm/mmap_min_addr") >> lowest;
    std::vector<std::pair<uint64_t, uint64_t>> used;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        uint64_t start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%" SCNx64 "-%" SCNx64, &start, &end) == 2)
            used.emplace_back(start, end);
    }
    used.emplace_back(high, high);
    uint64_t next = std::max(low, lowest);
    for (const auto &[start, end] : used) {
        if (next >= high) break;
        if (start > next) {
            void *wanted = reinterpret_cast<void *>(next);
            mmap(wanted, std::min(start, high) - next, PROT_NONE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE, -1, 0);
        }
        next = std::max(next, end);
    }
}

// The kernel serves MAP_32BIT from the second GiB of the address space.
void FillMap32BitWindow() {
    FillAddressRange(uint64_t{1} << 30, uint64_t{1} << 31);
}

void FillLowMemory() {
    FillAddressRange(0, kFourGiB);
}

// Loads the plug-in in a process whose low memory is taken and tells how
// its record came out: 0 when `textsExpected` holds, another code otherwise.
int LoadInCrowdedProcess(bool textsExpected) {
    Plugin plugin;
    if (!plugin.Loaded()) return 2;
    KindParams params;
    if (plugin.Load()(KINDPLUG_PROXY_KIND, &params) != 1) return 3;
    if (params.kindNumber != KINDPLUG_PROXY_KIND || params.field60 != 103) return 4;
    if (!textsExpected) {
        return params.nameText == 0 && params.displayName == 0 && params.identifier == 0 ? 0 : 5;
    }
    if (params.nameText == 0 || params.displayName == 0 || params.identifier == 0) return 6;
    if (std::strcmp(TextAt(params.identifier), "OSMEK-PROXY-TG") != 0) return 7;
    return 0;
}

TEST(PluginLoadDeathTest, FullMap32BitWindowFallsBackToOtherLowAddresses) {
    EXPECT_EXIT(
        {
            FillMap32BitWindow();
            _exit(LoadInCrowdedProcess(true));
        },
        ::testing::ExitedWithCode(0), "");
}

// A 64-bit process whose every address below 4 GiB is taken cannot be handed
// reachable texts: the string fields then hold 0 and the rest is intact.
TEST(PluginLoadDeathTest, NoFreeMemoryBelow4GiBLeavesStringFieldsZero) {
    EXPECT_EXIT(
        {
            FillLowMemory();
            _exit(LoadInCrowdedProcess(false));
        },
        ::testing::ExitedWithCode(0), "");
}

#endif

} // namespace
