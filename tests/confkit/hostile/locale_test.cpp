// A host program may set any locale. Under one whose case rules differ from
// ASCII (Turkish: "I" lowers to a dotless i, "i" uppers to a dotted I), the
// matching exports must still compare directive names, keywords and values
// as ASCII: PROTECTION is Protection, LDAPINFO is LDAPInfo.
#include "every_export.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using ::testing::StartsWith;
using testsupport::CaptureStdout;
using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::MakeDoc;

// A Turkish locale, built once for the whole suite: on Linux with localedef
// into a temporary folder that LOCPATH names.
class TurkishLocale : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
#ifdef _WIN32
        for (const char *name : {"Turkish_Turkey.1254", "tr-TR"})
            if (std::setlocale(LC_ALL, name)) locale_ = name;
        if (locale_.empty()) why_ = "the system offers no Turkish locale";
#else
        folder_ = std::make_unique<testsupport::TempDir>();
        const std::string name = "tr_TR.ISO-8859-9";
        const std::string build =
            "localedef -i tr_TR -f ISO-8859-9 '" + folder_->File(name) + "' >/dev/null 2>&1";
        // localedef exits 1 for warnings and still builds; whether the locale
        // can be selected is what counts.
        static_cast<void>(std::system(build.c_str()));
        setenv("LOCPATH", folder_->path().c_str(), 1);
        if (std::setlocale(LC_ALL, name.c_str()))
            locale_ = name;
        else
            why_ = "localedef could not build " + name + " (the package locales provides it)";
#endif
        if (!locale_.empty() && std::tolower('I') == 'i') {
            why_ = locale_ + " folds case as ASCII does";
            locale_.clear();
        }
        std::setlocale(LC_ALL, "C");
    }
    static void TearDownTestSuite() {
        folder_.reset();
    }

    void SetUp() override {
        if (locale_.empty()) GTEST_SKIP() << "no locale with other case rules: " << why_;
        ASSERT_NE(std::setlocale(LC_ALL, locale_.c_str()), nullptr);
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
    }

    static inline std::unique_ptr<testsupport::TempDir> folder_;
    static inline std::string locale_, why_;
};

TEST_F(TurkishLocale, TokensNamesAndRulesCompareAsAscii) {
    const struct {
        const char *what;
        std::function<int32_t()> run;
        int32_t want;
    } cases[] = {
        {"TokenMatch", [] { return TokenMatch("PROTECTION x", "protection"); }, 1},
        {"RuleSame", [] { return RuleSame("FILTER /I # x", "filter\t/i"); }, 1},
        {"HTTPDRuleToID", [] { return HTTPDRuleToID("LDAPINFO"); }, 125},
        {"HTTPDRuleToID", [] { return HTTPDRuleToID("DEFINEPICSRULE"); }, 59},
        {"HTTPDRuleMatch", [] { return HTTPDRuleMatch("DIRSHOWHIDDEN on", 79); }, 1},
        {"HTTPDRuleMatch", [] { return HTTPDRuleMatch("GC ADVISOR x", 101); }, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.run(), c.want) << c.what;
}

TEST_F(TurkishLocale, DocumentLookupsFindUpperCaseDirectivesAndKeywords) {
    DocPtr doc(MakeDoc("PIDFILE /run/x.pid\n"
                       "PROTECTION admin {\n  AUTHTYPE Basic\n}\n"
                       "LDAPINFO corp {\n  USERSEARCHBASE ou=people\n}\n"
                       "DefinePicsRule \"Kids\" {\n (PicsRule-1.0\n"
                       "  SERVICEINFO ( SHORTNAME \"RI\" name \"http://r/\" )\n }\n"));
    ASSERT_NE(LinesAddStr("pidfile /RUN/X.PID\n", doc.get(), "Port 80\n", CONFKIT_ADD_AFTER),
              nullptr);
    EXPECT_EQ(std::string(doc->first->next->text), "Port 80\n");

    // Records are released as the list of every export releases them: a
    // second lookup tells the library's constant texts.
    everyexport::FixedArgs twins("", "");
    ProtectRule *protect = HTTPDGetProtectRule(doc.get(), "ADMIN");
    EXPECT_THAT(protect ? protect->AuthType : "", StartsWith("Basic"));
    everyexport::FreeTwins(twins, protect, HTTPDGetProtectRule(doc.get(), "ADMIN"));
    LDAPRule *ldap = HTTPDGetLDAPRule(doc.get(), "CORP");
    EXPECT_THAT(ldap ? ldap->UserSearchBase : "", StartsWith("ou=people"));
    everyexport::FreeTwins(twins, ldap, HTTPDGetLDAPRule(doc.get(), "CORP"));
    EXPECT_EQ(twins.failures, std::vector<std::string>{});
    char *values[4] = {};
    EXPECT_EQ(HTTPDGetPicsFilterSubdirective(doc.get(), "serviceinfo", values, "Kids"), 1);
    std::free(values[1]);

    // A record with an upper-case directive replaces its entry.
    ProtectRule put{};
    put.Directive = const_cast<char *>("PROTECTION");
    put.SetupName = const_cast<char *>("admin");
    put.AuthType = const_cast<char *>("Digest");
    EXPECT_EQ(HTTPDPutProtectRule(doc.get(), &put, "admin", 3), 1);
    EXPECT_EQ(DocText(doc.get()).find("Basic"), std::string::npos) << DocText(doc.get());
}

TEST_F(TurkishLocale, GeneratorsMatchIgnoringAsciiCaseOnly) {
    DocPtr doc(MakeDoc("DirShowHidden DISABLE\nCacheAlgorithm LIMITED\nFAIL /x/* /y\n"
                       "CacheMaxExpiry 1 month\nEnable PROPFIND /dav.cgi\n"
                       "CacheUnused FILE:* 2 days\nPass /i/* /I/*\n"));
    const struct {
        const char *what;
        std::function<void()> print;
        const char *want;
    } cases[] = {
        {"on/off value", [&] { GenCheckedSettingOnOff("%s", "dirshowhidden", 0, 0, doc.get()); },
         "CHECKED"},
        {"option item",
         [&] { GenOptionList("[%s]", "CACHEALGORITHM", "fixed,limited", nullptr, doc.get()); },
         "[<OPTION>fixed<OPTION SELECTED>limited]"},
        {"FAIL row", [&] { GenMultiTableItems("%s", "fail ", 4, 0, doc.get()); },
         "<tr><td>1</td><td>FAIL</td><td>/x/*</td><td></td><td>/y</td></tr>"},
        {"special directive", [&] { GenTableItems("%s", "CACHEMAXEXPIRY", 3, 1, doc.get()); },
         "<tr><td>1</td><td></td><td>1</td><td>month</td></tr>"},
        {"time-out prefix",
         [&] { GenCacheTimeoutSetting("%s", "CACHEUNUSED", "file:", doc.get()); }, "2"},
        {"checked prefix", [&] { GenCheckedSetting("%s", "PASS", "/I", 0, 2, "ON", doc.get()); },
         "ON"},
        {"handler",
         [&] { std::printf("%s", SearchForHandler("ENABLE", "propfind", 2, doc.get())); },
         "/dav.cgi"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CaptureStdout(c.print), c.want) << c.what;
}

} // namespace
