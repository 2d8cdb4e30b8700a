// Cells of the block table rows, shared by the files that print them.
#ifndef CONFKIT_HTML_BLOCK_ROWS_H
#define CONFKIT_HTML_BLOCK_ROWS_H

#include "html/output.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace confkit {

// "<tr>" and the cell holding the row number.
inline std::string StartBlockRow(int32_t n) {
    std::string row = "<tr><td>";
    AppendNumber(row, n);
    row += "</td>";
    return row;
}

inline void AppendCell(std::string &row, std::string_view value) {
    row += "<td>";
    row += value;
    row += "</td>";
}

// A row of the number and one value.
inline std::string OneValueRow(int32_t n, std::string_view value) {
    std::string row = StartBlockRow(n);
    AppendCell(row, value);
    row += "</tr>";
    return row;
}

} // namespace confkit

#endif
