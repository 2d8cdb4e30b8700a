// The registry calls over the stand-in's export file: open, query, close.
#include "installation.h"
#include "platform/platform.h"
#include "registry_file.h"

#include <gtest/gtest.h>

namespace pf = cfgmigrate::platform;
using cfgmigrate_test::Installation;
using cfgmigrate_test::RegistryFileInUse;

namespace {

constexpr const char *kHeader = "Windows Registry Editor Version 5.00\r\n";

TEST(RegistryKeys, OpenQueryAndCloseLikeTheSystemCalls) {
    Installation inst;
    inst.WriteRegistry(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Soft\\Prod\\Ver]\n"
                                              "\"Text\"=\"hello\"\n\"Num\"=dword:00000005\n");
    RegistryFileInUse in_use(inst.RegistryFile());
    pf::RegistryKey soft = nullptr, ver = nullptr, missing = nullptr;
    // A key exists when only its subkeys have sections.
    ASSERT_EQ(pf::RegistryOpenKey(pf::LocalMachineKey(), "SOFT", &soft), pf::kRegistrySuccess);
    ASSERT_EQ(pf::RegistryOpenKey(soft, "prod\\VER", &ver), pf::kRegistrySuccess);
    EXPECT_EQ(pf::RegistryOpenKey(soft, "Prod\\Nothing", &missing), pf::kRegistryNotFound);
    EXPECT_EQ(missing, nullptr);

    std::uint32_t size = 0;
    EXPECT_EQ(pf::RegistryQueryString(ver, "TEXT", nullptr, &size), pf::kRegistrySuccess);
    EXPECT_EQ(size, 6u);
    char small[5] = {};
    size = sizeof small;
    EXPECT_EQ(pf::RegistryQueryString(ver, "text", small, &size), pf::kRegistryMoreData);
    EXPECT_EQ(size, 6u);
    char room[6] = {};
    size = sizeof room;
    EXPECT_EQ(pf::RegistryQueryString(ver, "text", room, &size), pf::kRegistrySuccess);
    EXPECT_STREQ(room, "hello");
    EXPECT_EQ(pf::RegistryQueryString(ver, "num", nullptr, &size), pf::kRegistryNotAString);
    EXPECT_EQ(pf::RegistryQueryString(ver, "none", nullptr, &size), pf::kRegistryNotFound);

    EXPECT_EQ(pf::OpenRegistryKeyCount(), 2u);
    EXPECT_EQ(pf::RegistryCloseKey(ver), pf::kRegistrySuccess);
    EXPECT_EQ(pf::RegistryCloseKey(soft), pf::kRegistrySuccess);
    EXPECT_EQ(pf::RegistryCloseKey(soft), pf::kRegistryInvalidHandle);
    EXPECT_EQ(pf::OpenRegistryKeyCount(), 0u);
}

TEST(RegistryKeys, AMissingOrHeaderlessFileOpensNothing) {
    Installation inst;
    pf::RegistryKey key = nullptr;
    {
        RegistryFileInUse in_use(inst.Path("no-such.reg"));
        EXPECT_EQ(pf::RegistryOpenKey(pf::LocalMachineKey(), "", &key), pf::kRegistryNotFound);
    }
    inst.WriteRegistry("[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"b\"\n");
    RegistryFileInUse in_use(inst.RegistryFile());
    EXPECT_EQ(pf::RegistryOpenKey(pf::LocalMachineKey(), "K", &key), pf::kRegistryNotFound);
    EXPECT_EQ(pf::OpenRegistryKeyCount(), 0u);
}

} // namespace
