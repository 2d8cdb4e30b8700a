#include "form.h"

#include <gtest/gtest.h>

namespace {

using admin::DecodeForm;

TEST(AdminForm, DecodesEscapesPlusAndRepeatedNamesInOrder) {
    std::string error;
    auto form = DecodeForm("op=settings&Port=8081&Enable=GET&Enable=PUT&rules.Pass=Pass+%2Fa%2F*"
                           "+%2Fb%2F*%0D%0APass+%2Fc&&Caching",
                           error);
    ASSERT_TRUE(form) << error;
    EXPECT_EQ(form->Get("Port"), "8081");
    EXPECT_EQ(form->All("Enable"), (std::vector<std::string>{"GET", "PUT"}));
    EXPECT_EQ(form->Get("rules.Pass"), "Pass /a/* /b/*\r\nPass /c");
    EXPECT_EQ(form->Get("Caching"), ""); // a name without "=" has an empty value
    EXPECT_FALSE(form->Has("Hostname"));
    EXPECT_EQ(form->Fields().size(), 6u); // the empty piece between "&&" is no field
}

TEST(AdminForm, RefusesMalformedBodies) {
    for (const char *body : {"a=%", "a=%4", "a=%zz", "a=b%2", "%zz=1", "a=%00", "=x", "&=&"}) {
        std::string error;
        EXPECT_FALSE(DecodeForm(body, error)) << body;
        EXPECT_FALSE(error.empty()) << body;
    }
    std::string many;
    for (std::size_t i = 0; i <= admin::kMaxFields; ++i)
        many += "f=1&";
    std::string error;
    EXPECT_FALSE(DecodeForm(many, error));
    EXPECT_TRUE(DecodeForm(many.substr(4), error)); // exactly the limit
}

TEST(AdminForm, KeepsBytesAboveAsciiAndUpperCaseEscapes) {
    std::string error;
    auto form = DecodeForm("d=caf%E9%2b%2B", error);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Get("d"), "caf\xE9++");
}

} // namespace
