// The tables whose rows a generator prints.
#include "table.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Short rows are padded to the widest row, which widens the last header;
// no row at all is said so across the table's width.
TEST(Table, RowsArePaddedToTheWidestAndTheLastHeaderSpansTheRest) {
    const struct {
        std::vector<std::string> headers;
        std::string rows;
        int32_t count;
        std::string head; // the header row
        std::string body; // what follows <tbody>
    } cases[] = {
        {{"#", "A"},
         "<tr><td>1</td><td>x</td></tr>\n<tr><td>2</td></tr>\n",
         2,
         "<th scope=\"col\">#</th><th scope=\"col\">A</th>",
         "<tr><td>1</td><td>x</td></tr>\n<tr><td>2</td><td></td></tr>\n</tbody>"},
        {{"#", "A"},
         "<tr><td>1</td><td>x</td><td>y</td><td>z</td></tr>\n",
         1,
         "<th scope=\"col\">#</th><th scope=\"col\" colspan=\"3\">A</th>",
         "<tr><td>1</td><td>x</td><td>y</td><td>z</td></tr>\n</tbody>"},
        {{"#", "A", "B"},
         "",
         0,
         "<th scope=\"col\">#</th><th scope=\"col\">A</th><th scope=\"col\">B</th>",
         "<tr class=\"none\"><td colspan=\"3\">none</td></tr>\n</tbody>"},
    };
    confkit::Document doc(testsupport::MakeDoc("Pass /a\n"));
    const page::ShownDocument shown(doc);
    for (const auto &c : cases) {
        const std::string html = page::Table(shown, {"t", "Cap <1>", c.headers, true}, [&c] {
            std::fputs(c.rows.c_str(), stdout);
            return c.count;
        });
        EXPECT_NE(html.find("<table id=\"t\" class=\"filterable\">\n<caption id=\"t-caption\">"
                            "Cap &lt;1&gt;</caption>\n<thead><tr>" +
                            c.head + "</tr></thead>\n<tbody>\n" + c.body),
                  std::string::npos)
            << html;
        EXPECT_NE(html.find("aria-labelledby=\"t-caption\""), std::string::npos);
    }
}

} // namespace
