// Form utilities: the access-control list rows, rule lookups, delimiter
// choice and the comma-separated list builder.
#include "html_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using htmltest::Capture;
using htmltest::Doc;
using htmltest::Printed;

Printed Acl(const std::string &content, const char *tmpl = "[%s]") {
    testsupport::TempDir dir;
    std::string path = dir.File("acl");
    testsupport::WriteFile(path, content);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    Printed p = Capture([&] { return GenAclList(tmpl, f); });
    EXPECT_TRUE(std::feof(f)) << "the stream is read to its end";
    std::fclose(f);
    return p;
}

TEST(GenAclList, OneRowPerLineOfThreeFields) {
    Printed p = Acl("\"/a/*\":(GET):alice\r\n/b/*:PUT:bob\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>/a/*</td><td>GET</td><td>alice\r</td></tr>"
                     "<tr><td>2</td><td>/b/*</td><td>PUT</td><td>bob</td></tr>");
    EXPECT_EQ(p.result, 2);
}

TEST(GenAclList, IncompleteLinesStartRowsThatAreNotEnded) {
    Printed p = Acl("no colon\none:only\na:b:c:d\nx:y:last");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>one</td>"
                     "<tr><td>2</td><td>a</td><td>b</td>"
                     "<tr><td>3</td><td>x</td><td>y</td>");
    EXPECT_EQ(p.result, 3);
    EXPECT_EQ(Acl("").result, 0);
    EXPECT_EQ(Acl("").out, "");
}

TEST(GenAclList, FieldsAreNotCutOrFormatted) {
    std::string longField(3000, 'f');
    Printed p = Acl(longField + ":%s%d:x\n");
    EXPECT_EQ(p.out, "<tr><td>1</td><td>" + longField + "</td><td>%s%d</td><td>x</td></tr>");
}

TEST(GenAclList, NullStreamPrintsThroughTheTemplate) {
    Printed p = Capture([] { return GenAclList("[%s]", nullptr); });
    EXPECT_EQ(p.out, "[]");
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(Capture([] { return GenAclList(nullptr, nullptr); }).out, "");
}

const char *kMethodDoc = "Enable GET\nEnable MOVE /cgi/move.exe extra\nEnable Copy\nPort 80\n";

TEST(SearchForDirective, FindsAFieldIgnoringCase) {
    auto doc = Doc(kMethodDoc);
    EXPECT_EQ(SearchForDirective("enable", "move", 2, doc.get()), 1);
    EXPECT_EQ(SearchForDirective("Enable", "/CGI/MOVE.EXE", 3, doc.get()), 1);
    EXPECT_EQ(SearchForDirective("enable", "mov", 2, doc.get()), 0);
    EXPECT_EQ(SearchForDirective("enable", "80", 2, doc.get()), 0);
    EXPECT_EQ(SearchForDirective("enable", "", 3, doc.get()), 1);
    EXPECT_EQ(SearchForDirective("enable", nullptr, 2, doc.get()), 0);
    EXPECT_EQ(SearchForDirective("nosuchdirective", "GET", 2, doc.get()), 0);
    EXPECT_EQ(SearchForDirective(nullptr, "GET", 2, doc.get()), 0);
    EXPECT_EQ(SearchForDirective("enable", "GET", 2, nullptr), 0);
}

TEST(SearchForHandler, TheFieldAfterTheMatch) {
    auto doc = Doc(kMethodDoc);
    char *handler = SearchForHandler("enable", "Move", 2, doc.get());
    ASSERT_NE(handler, nullptr);
    EXPECT_STREQ(handler, "/cgi/move.exe");
    char *none = SearchForHandler("enable", "copy", 2, doc.get());
    ASSERT_NE(none, nullptr);
    EXPECT_STREQ(none, "");
    EXPECT_EQ(SearchForHandler("enable", "delete", 2, doc.get()), nullptr);
    EXPECT_EQ(SearchForHandler("enable", nullptr, 2, doc.get()), nullptr);
    EXPECT_EQ(SearchForHandler("enable", "GET", 2, nullptr), nullptr);
    // The field stays valid after the document is gone.
    doc.reset();
    EXPECT_STREQ(handler, "/cgi/move.exe");
}

TEST(SearchForHandler, LastFieldNumberDoesNotOverflow) {
    auto doc = Doc(kMethodDoc);
    char *v = SearchForHandler("enable", "", INT32_MAX, doc.get());
    ASSERT_NE(v, nullptr);
    EXPECT_STREQ(v, "");
}

TEST(FindDelimeter, FirstCandidateNotInTheText) {
    EXPECT_EQ(FindDelimeter("plain"), '"');
    EXPECT_EQ(FindDelimeter("say \"it's\""), '\\');
    EXPECT_EQ(FindDelimeter("\"'\\/+-*@"), '#');
    EXPECT_EQ(FindDelimeter("\"'\\/+-*@#$%&~"), '^');
    EXPECT_EQ(FindDelimeter("^~&%$#@*-+/\\'\""), 124);
    EXPECT_EQ(FindDelimeter(nullptr), 124);
    EXPECT_EQ(FindDelimeter(""), '"');
}

std::string Added(const char *start, const char *prefix, const char *list) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%s", start);
    EXPECT_EQ(AddToBuffer(buffer, prefix, list), 0);
    return buffer;
}

TEST(AddToBuffer, ItemsQuotesAndGroups) {
    EXPECT_EQ(Added("", nullptr, "word"), "word");
    EXPECT_EQ(Added("", nullptr, "two words"), "\"two words\"");
    EXPECT_EQ(Added("", nullptr, ","), "()");
    EXPECT_EQ(Added("", nullptr, "x, y"), "(x,\" y\")");
    EXPECT_EQ(Added("", "p=", "a,,b,"), "p=(a,b)");
    EXPECT_EQ(Added("", nullptr, "a\tb\r\nc"), "a,b,c");
    EXPECT_EQ(Added("", nullptr, "a(b"), "a b");
    EXPECT_EQ(Added("", nullptr, "say \"hi\" (now)"), "\"say  hi   now \"");
}

TEST(AddToBuffer, AppendsToExistingText) {
    EXPECT_EQ(Added("x", nullptr, "y"), "x,y");
    EXPECT_EQ(Added("x", nullptr, ","), "x,()");
    EXPECT_EQ(Added("x", nullptr, "\t"), "x,");
    EXPECT_EQ(Added("x", "G:", "a,b"), "x,G:(a,b)");
    EXPECT_EQ(Added("x", "G:", ""), "x");
    EXPECT_EQ(Added("x", "G:", nullptr), "x");
    EXPECT_EQ(AddToBuffer(nullptr, "p", "a"), 0);
}

} // namespace
