// confkit.dll and kindplug.dll as their callers see them: loaded by name with
// LoadLibrary and reached through GetProcAddress. This program links neither.
#include "confkit.h"
#include "kindplug.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace {

// The folder of this program, where the build puts the DLLs too.
std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// One LoadLibrary of a DLL beside this program, freed when it goes.
class Library {
  public:
    explicit Library(const char *name) : handle_(LoadLibraryA((ProgramFolder() + name).c_str())) {}
    ~Library() { Free(); }
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    template <class F> F Find(const char *name) const {
        return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(handle_, name)));
    }
    void Free() {
        if (handle_) FreeLibrary(handle_);
        handle_ = nullptr;
    }

  private:
    HMODULE handle_;
};

using LoadFunction = int32_t(__cdecl *)(int32_t, void *);
using CheckFunction = uint32_t(__cdecl *)(const char *);

const char *TextAt(uint32_t address) {
    return reinterpret_cast<const char *>(static_cast<uintptr_t>(address));
}

bool Reserved(uint32_t address) {
    MEMORY_BASIC_INFORMATION info;
    return VirtualQuery(reinterpret_cast<void *>(static_cast<uintptr_t>(address)), &info,
                        sizeof info) != 0 &&
           info.State != MEM_FREE;
}

TEST(KindplugDll, HostFindsBothExportsByTheirPlainNames) {
    Library plugin("kindplug.dll");
    ASSERT_TRUE(plugin.Loaded()) << "error " << GetLastError();
    auto load = plugin.Find<LoadFunction>("Params_load");
    auto check = plugin.Find<CheckFunction>("Params_check");
    ASSERT_NE(load, nullptr);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(plugin.Find<LoadFunction>("_Params_load"), nullptr);
    EXPECT_EQ(plugin.Find<LoadFunction>("params_load"), nullptr);

    EXPECT_EQ(check("abc"), 0x63626100u);
    EXPECT_EQ(check("abcde"), 0x63620464u);
    unsigned char untouched[KINDPLUG_RECORD_SIZE];
    std::memset(untouched, 0xAB, sizeof untouched);
    EXPECT_EQ(load(2, untouched), 0);
    EXPECT_EQ(untouched[0], 0xAB);

    KindParams params;
    ASSERT_EQ(load(KINDPLUG_PROXY_KIND, &params), 1);
    EXPECT_EQ(params.kindNumber, 1u);
    EXPECT_EQ(params.field16, 512u);
    EXPECT_EQ(params.field60, 103u);
    ASSERT_NE(params.nameText, 0u);
    EXPECT_STREQ(TextAt(params.nameText), "responsetime");
    EXPECT_STREQ(TextAt(params.displayName), "Osmek Tarrowgate HTTP Proxy");
    EXPECT_STREQ(TextAt(params.identifier), "OSMEK-PROXY-TG");
}

TEST(KindplugDll, UnloadingReleasesTheLowTextsAndReloadingPlacesThemAgain) {
    KindParams params;
    {
        Library plugin("kindplug.dll");
        ASSERT_TRUE(plugin.Loaded());
        ASSERT_EQ(plugin.Find<LoadFunction>("Params_load")(KINDPLUG_PROXY_KIND, &params), 1);
        ASSERT_TRUE(Reserved(params.nameText));
    }
#ifdef _WIN64
    // In a 64-bit process the texts are copies in memory of their own.
    EXPECT_FALSE(Reserved(params.nameText));
#endif
    Library again("kindplug.dll");
    ASSERT_TRUE(again.Loaded());
    ASSERT_EQ(again.Find<LoadFunction>("Params_load")(KINDPLUG_PROXY_KIND, &params), 1);
    EXPECT_STREQ(TextAt(params.identifier), "OSMEK-PROXY-TG");
}

TEST(ConfkitDll, CallerReleasesWhatTheLibraryAllocatesWithItsOwnFree) {
    Library confkit("confkit.dll");
    ASSERT_TRUE(confkit.Loaded()) << "error " << GetLastError();
    auto linesNew = confkit.Find<Line *(__cdecl *)(int32_t)>("LinesNew");
    auto ruleToId = confkit.Find<int32_t(__cdecl *)(const char *)>("HTTPDRuleToID");
    auto idToRule = confkit.Find<const char *(__cdecl *)(int32_t)>("HTTPDIDToRule");
    ASSERT_NE(linesNew, nullptr);
    ASSERT_NE(ruleToId, nullptr);
    ASSERT_NE(idToRule, nullptr);
    EXPECT_EQ(confkit.Find<void *>("_LinesNew"), nullptr);

    // Library and caller share msvcrt.dll's heap: a Line made inside is
    // released here with free.
    Line *lines = linesNew(3);
    ASSERT_NE(lines, nullptr);
    ASSERT_NE(lines->next, nullptr);
    std::free(lines->next->next);
    std::free(lines->next);
    std::free(lines);

    const int32_t id = ruleToId("Port");
    ASSERT_GE(id, 0);
    EXPECT_STREQ(idToRule(id), "port");
}

TEST(ConfkitDll, OpensWritesAndClosesADocumentFromAnotherThread) {
    Library confkit("confkit.dll");
    ASSERT_TRUE(confkit.Loaded());
    auto open = confkit.Find<ConfigDocument *(__cdecl *)(const char *)>("HTTPDConfigOpen");
    auto close = confkit.Find<int32_t(__cdecl *)(ConfigDocument *, int32_t)>("HTTPDConfigClose");
    ASSERT_NE(open, nullptr);
    ASSERT_NE(close, nullptr);
    testsupport::TempDir dir;
    const std::string path = dir.File("httpd.cnf");
    testsupport::WriteFile(path, "port 80\r\nwelcome\r\n");
    // Threads started after the load run into the library as any other.
    int32_t closed = -2;
    std::thread worker([&] {
        ConfigDocument *doc = open(path.c_str());
        closed = doc ? close(doc, 1) : -3;
    });
    worker.join();
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(testsupport::ReadFile(path), "port 80\r\n");
}

} // namespace
