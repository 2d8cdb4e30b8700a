// The registry stand-in: reading export files, odd ones included, and the
// open/query/close calls over them.
#include "installation.h"
#include "platform/platform.h"
#include "registry_file.h"

#include <gtest/gtest.h>

namespace pf = cfgmigrate::platform;
using cfgmigrate_test::Installation;
using cfgmigrate_test::RegistryFileInUse;

namespace {

constexpr const char *kHeader = "Windows Registry Editor Version 5.00\r\n";

// The string value, "<absent>" or "<not a string>".
std::string ValueOf(const pf::RegistryImage &image, const std::string &key,
                    const std::string &name) {
    const pf::RegistryValue *value = image.Find(key, name);
    if (!value) return "<absent>";
    return value->is_string ? value->text : "<not a string>";
}

TEST(RegistryFile, NeedsTheHeaderAsItsFirstLine) {
    const char *body = "[HKEY_LOCAL_MACHINE\\A]\r\n\"x\"=\"1\"\r\n";
    EXPECT_FALSE(pf::ParseRegistryFile(body).HasKey("a"));
    EXPECT_FALSE(pf::ParseRegistryFile(std::string("\r\n") + kHeader + body).HasKey("a"));
    EXPECT_FALSE(pf::ParseRegistryFile("").valid);
    EXPECT_TRUE(pf::ParseRegistryFile(std::string(kHeader) + body).HasKey("a"));
    EXPECT_TRUE(pf::ParseRegistryFile(std::string("REGEDIT4\n") + body).HasKey("a"));
}

TEST(RegistryFile, ReadsEscapesAndKeepsUnknownOnes) {
    auto image =
        pf::ParseRegistryFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\K]\n"
                                                     "\"path\"=\"C:\\\\Program Files\\\\T\"\n"
                                                     "\"quote\"=\"say \\\"hi\\\"\"\n"
                                                     "\"odd\"=\"a\\tb\\\"\n"
                                                     "\"open\"=\"no end\n"
                                                     "\"tail\"=\"x\" junk\n"
                                                     "\"na\\\"me\"=\"v\"\n");
    EXPECT_EQ(ValueOf(image, "k", "path"), "C:\\Program Files\\T");
    EXPECT_EQ(ValueOf(image, "k", "quote"), "say \"hi\"");
    EXPECT_EQ(ValueOf(image, "k", "odd"), "<absent>"); // \" escapes the closing quote
    EXPECT_EQ(ValueOf(image, "k", "open"), "<absent>");
    EXPECT_EQ(ValueOf(image, "k", "tail"), "<absent>");
    EXPECT_EQ(ValueOf(image, "k", "na\"me"), "v");

    image = pf::ParseRegistryFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\K]\n"
                                                         "\"odd\"=\"a\\tb\\q\\\\\"\n");
    EXPECT_EQ(ValueOf(image, "k", "odd"), "a\\tb\\q\\");
}

TEST(RegistryFile, RepeatedSectionsAddToOneKeyLaterValuesWinning) {
    auto image = pf::ParseRegistryFile(std::string(kHeader) +
                                       "[HKEY_LOCAL_MACHINE\\Soft\\Prod]\r\n"
                                       "\"A\"=\"first\"\r\n\"B\"=\"kept\"\r\n"
                                       "[HKEY_LOCAL_MACHINE\\Other]\r\n\"A\"=\"elsewhere\"\r\n"
                                       "[hkey_local_machine\\SOFT\\prod\\]\r\n"
                                       "\"a\"=\"second\"\r\n\"C\"=dword:00000001\r\n");
    EXPECT_EQ(ValueOf(image, "soft\\prod", "a"), "second");
    EXPECT_EQ(ValueOf(image, "soft\\prod", "b"), "kept");
    EXPECT_EQ(ValueOf(image, "soft\\prod", "c"), "<not a string>");
    EXPECT_EQ(ValueOf(image, "other", "a"), "elsewhere");
}

TEST(RegistryFile, TypedDataDefaultValuesAndForeignSections) {
    auto image = pf::ParseRegistryFile(std::string(kHeader) +
                                       "; a comment\n"
                                       "[HKEY_LOCAL_MACHINE\\K]\n"
                                       "@=\"default\"\n"
                                       "\"bin\"=hex:01,02,\\\n"
                                       "  \"trap\"=\"from a continuation line\"\n"
                                       "\"exp\"=hex(2):41,00,00,00\n"
                                       "\"gone\"=\"x\"\n"
                                       "\"gone\"=-\n"
                                       "[HKEY_CURRENT_USER\\K]\n\"user\"=\"u\"\n"
                                       "[-HKEY_LOCAL_MACHINE\\K]\n\"deleted\"=\"d\"\n");
    EXPECT_EQ(ValueOf(image, "k", ""), "default");
    EXPECT_EQ(ValueOf(image, "k", "bin"), "<not a string>");
    EXPECT_EQ(ValueOf(image, "k", "exp"), "<not a string>");
    EXPECT_EQ(ValueOf(image, "k", "trap"), "<absent>");
    EXPECT_EQ(ValueOf(image, "k", "gone"), "<absent>");
    EXPECT_EQ(ValueOf(image, "k", "user"), "<absent>");
    EXPECT_EQ(ValueOf(image, "k", "deleted"), "<absent>");
}

TEST(RegistryFile, ReadsTheUtf16FormWithByteOrderMark) {
    std::string text =
        std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\K]\r\n\"Name\"=\"caf\xC3\xA9\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0xC3) { // the two-byte form of U+00E9
            utf16 += '\xE9';
            ++i;
        } else {
            utf16 += static_cast<char>(c);
        }
        utf16 += '\0';
    }
    EXPECT_EQ(ValueOf(pf::ParseRegistryFile(utf16), "k", "name"), "caf\xC3\xA9");
}

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
