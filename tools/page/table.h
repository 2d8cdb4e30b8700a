// The tables of the page, whose rows the library's generators print.
#ifndef CONFKIT_PAGE_TABLE_H
#define CONFKIT_PAGE_TABLE_H

#include "shown_document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace page {

// The format of one row, for the generators that print a table's rows.
constexpr const char *kRow = "%s\n";

struct TableSpec {
    std::string id;
    std::string caption;
    std::vector<std::string> headers;
    bool filterable = false;
};

// A table whose rows rows() prints, padded to the table's width (the widest
// row, at least one cell a header; the last header spans what is left); a
// row saying so when it prints none. Wide tables scroll inside their own
// box. rows returns how many rows it printed.
std::string Table(const ShownDocument &shown, const TableSpec &t,
                  const std::function<int32_t()> &rows);

} // namespace page

#endif
