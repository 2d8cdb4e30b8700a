// The Line list exports.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListPtr;
using testsupport::ListTexts;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;
using testsupport::MakeList;

std::vector<std::string> Texts(std::initializer_list<const char *> t) {
    return {t.begin(), t.end()};
}

TEST(LinesNew, MakesAChainOfEmptyLinesLinkedBothWays) {
    EXPECT_EQ(LinesNew(0), nullptr);
    EXPECT_EQ(LinesNew(-5), nullptr);
    ListPtr chain(LinesNew(3));
    ASSERT_NE(chain, nullptr);
    EXPECT_TRUE(ListWellFormed(chain.get()));
    EXPECT_EQ(ListTexts(chain.get()), Texts({"", "", ""}));
    Line *third = chain->next->next;
    EXPECT_EQ(third->next, nullptr);
    EXPECT_EQ(third->prev, chain->next);
    const Line zero{};
    EXPECT_EQ(std::memcmp(third->text, zero.text, sizeof zero.text), 0);
}

TEST(LinesFree, ReleasesFromTheGivenLineAndCutsTheListThere) {
    ListPtr list(MakeList({"a", "b", "c"}));
    LinesFree(list->next);
    EXPECT_EQ(list->next, nullptr);
    EXPECT_EQ(ListTexts(list.get()), Texts({"a"}));
    LinesFree(nullptr);
}

TEST(LinesAdd, SplicesTheWholeChainAfterAt) {
    ListPtr list(MakeList({"a", "d"}));
    Line *d = list->next;
    Line *chain = MakeList({"b", "c", "c2"});
    EXPECT_EQ(LinesAdd(list.get(), chain), d);
    EXPECT_EQ(ListTexts(list.get()), Texts({"a", "b", "c", "c2", "d"}));
    EXPECT_TRUE(ListWellFormed(list.get()));
    EXPECT_EQ(d->prev->text, std::string("c2"));

    EXPECT_EQ(LinesAdd(d, MakeList({"e"})), nullptr);
    EXPECT_EQ(ListTexts(list.get()), Texts({"a", "b", "c", "c2", "d", "e"}));
    EXPECT_TRUE(ListWellFormed(list.get()));
}

TEST(LinesAdd, ANullChainChangesNothing) {
    ListPtr list(MakeList({"a", "b"}));
    EXPECT_EQ(LinesAdd(list.get(), nullptr), list->next);
    EXPECT_EQ(ListTexts(list.get()), Texts({"a", "b"}));
    EXPECT_TRUE(ListWellFormed(list.get()));
}

TEST(LineRemove, UnlinksWithoutReleasingOrTouchingTheDocument) {
    DocPtr doc(MakeDoc("a\nb\nc\n"));
    Line *b = doc->first->next;
    LineRemove(b);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(b->prev, nullptr);
    EXPECT_EQ(DocText(doc.get()), "a\nc\n");
    EXPECT_TRUE(ListWellFormed(doc->first));
    std::free(b);

    Line *first = doc->first;
    Line *second = first->next;
    LineRemove(first);
    EXPECT_EQ(doc->first, first); // still the removed Line: callers set it
    EXPECT_EQ(second->prev, nullptr);
    doc->first = second;
    std::free(first);
    LineRemove(nullptr);
}

TEST(LineCopyData, CopiesTheWholeTextAreaAndNoLinks) {
    ListPtr list(MakeList({"x", "source", "y"}));
    Line *src = list->next;
    std::memset(src->text + 7, 'Q', 10); // bytes behind the terminator
    ListPtr dst(LinesNew(1));
    LineCopyData(dst.get(), src);
    EXPECT_EQ(std::memcmp(dst->text, src->text, sizeof src->text), 0);
    EXPECT_EQ(dst->next, nullptr);
    EXPECT_EQ(dst->prev, nullptr);
    EXPECT_EQ(src->prev, list.get());
    EXPECT_EQ(src->next->text, std::string("y"));
}

TEST(LinesAddStr, FindsWholeTextsIgnoringCase) {
    DocPtr doc(MakeDoc("a 1\nPORT 80\nb 2\n"));
    Line *port = doc->first->next;
    Line *before = LinesAddStr("port 80\n", doc.get(), "x 0\n", CONFKIT_ADD_BEFORE);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->next, port);
    Line *after = LinesAddStr("port 80\n", doc.get(), "y 0\n", CONFKIT_ADD_AFTER);
    EXPECT_EQ(port->next, after);
    EXPECT_EQ(DocText(doc.get()), "a 1\nx 0\nPORT 80\ny 0\nb 2\n");
    EXPECT_TRUE(ListWellFormed(doc->first));

    // Without its "\n" the find text matches nothing: the Line goes last.
    Line *end = LinesAddStr("port 80", doc.get(), "z 0\n", CONFKIT_ADD_BEFORE);
    EXPECT_EQ(end->prev->next, end);
    EXPECT_EQ(end->next, nullptr);
    EXPECT_EQ(DocText(doc.get()), "a 1\nx 0\nPORT 80\ny 0\nb 2\nz 0\n");
}

TEST(LinesAddStr, PlacesByModeAndMatch) {
    DocPtr doc(MakeDoc("a 1\nb 2\n"));
    Line *oldFirst = doc->first;
    Line *head = LinesAddStr("A 1\n", doc.get(), "h 0\n", CONFKIT_ADD_BEFORE);
    EXPECT_EQ(doc->first, head);
    EXPECT_EQ(head->next, oldFirst);
    EXPECT_EQ(head->prev, nullptr);

    Line *loose = LinesAddStr("b 2\n", doc.get(), "l 0\n", 0);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->next, nullptr);
    EXPECT_EQ(loose->prev, nullptr);
    EXPECT_EQ(DocText(doc.get()), "h 0\na 1\nb 2\n");
    std::free(loose);

    LinesAddStr(nullptr, doc.get(), "port 80", 7);
    LinesAddStr(nullptr, doc.get(), "port 81", CONFKIT_ADD_BEFORE);
    EXPECT_EQ(DocText(doc.get()), "h 0\na 1\nb 2\nport 80port 81");
    EXPECT_TRUE(ListWellFormed(doc->first));
}

TEST(LinesAddStr, CutsLongTextsAndStartsEmptyDocuments) {
    DocPtr doc(MakeDoc(""));
    LinesFree(doc->first);
    doc->first = nullptr;
    Line *only = LinesAddStr("x", doc.get(), "first 1\n", CONFKIT_ADD_AFTER);
    EXPECT_EQ(doc->first, only);

    const std::string longText(5000, 'k');
    Line *cut = LinesAddStr(nullptr, doc.get(), longText.c_str(), CONFKIT_ADD_AFTER);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(std::strlen(cut->text), sizeof cut->text - 1);
    EXPECT_EQ(LinesAddStr(nullptr, nullptr, "x", CONFKIT_ADD_BEFORE), nullptr);
}

} // namespace
