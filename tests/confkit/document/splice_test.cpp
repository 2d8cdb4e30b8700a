// Document splicing: inserting chains and removing ranges of Lines.
#include "internal.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace confkit;
using testsupport::DocPtr;
using testsupport::DocText;
using testsupport::ListWellFormed;
using testsupport::MakeDoc;
using testsupport::MakeList;

TEST(Splicing, InsertsBeforeAndAfterKeepingTheFirstLine) {
    DocPtr doc(MakeDoc("b\nc\n"));
    InsertBefore(doc.get(), doc->first, MakeList({"a\n"}));
    EXPECT_EQ(DocText(doc.get()), "a\nb\nc\n");
    InsertBefore(doc.get(), nullptr, MakeList({"0\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nb\nc\n");
    InsertBefore(doc.get(), doc->first->next->next, MakeList({"ab1\n", "ab2\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nab1\nab2\nb\nc\n");
    InsertAfter(doc.get(), nullptr, MakeList({"z\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\na\nab1\nab2\nb\nc\nz\n");
    InsertAfter(doc.get(), doc->first, MakeList({"01\n"}));
    EXPECT_EQ(DocText(doc.get()), "0\n01\na\nab1\nab2\nb\nc\nz\n");
    EXPECT_TRUE(ListWellFormed(doc->first));
    EXPECT_STREQ(LastLine(doc.get())->text, "z\n");
}

TEST(Splicing, EmptyDocumentsTakeTheChainAsTheirBody) {
    DocPtr doc(MakeDoc(""));
    LinesFree(doc->first);
    doc->first = nullptr;
    EXPECT_EQ(LastLine(doc.get()), nullptr);
    InsertAfter(doc.get(), nullptr, MakeList({"a\n"}));
    EXPECT_EQ(DocText(doc.get()), "a\n");
    LinesFree(doc->first);
    doc->first = nullptr;
    InsertBefore(doc.get(), nullptr, MakeList({"b\n"}));
    EXPECT_EQ(DocText(doc.get()), "b\n");
}

TEST(RemoveRange, ReleasesInclusiveRangesAndFixesTheFirstLine) {
    DocPtr doc(MakeDoc("a\nb\nc\nd\n"));
    Line *b = doc->first->next;
    Line *c = b->next;
    EXPECT_EQ(RemoveRange(doc.get(), b, c), doc->first->next);
    EXPECT_EQ(DocText(doc.get()), "a\nd\n");
    Line *d = doc->first->next;
    EXPECT_EQ(RemoveRange(doc.get(), doc->first, nullptr), d);
    EXPECT_EQ(doc->first, d);
    EXPECT_EQ(d->prev, nullptr);
    EXPECT_EQ(DocText(doc.get()), "d\n");
    EXPECT_TRUE(ListWellFormed(doc->first));
}

} // namespace
