// The registry stand-in's export files, odd ones included.
#include "platform/platform.h"
#include "registry_file.h"

#include <gtest/gtest.h>

namespace pf = cfgmigrate::platform;

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

} // namespace
