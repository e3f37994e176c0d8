#include "MBVars/ImportContactLine.h"

#include <algorithm>
#include <cstddef>

#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

namespace {
constexpr std::size_t NameColumns = 6;       // columns 0..5 make the name
constexpr std::size_t FirstNumberColumn = 16;  // numbers are read from column 16 on
}  // namespace

ContactLine ParseContactLine(std::string_view raw, unsigned char separator) {
    std::string line = RemoveControlChars(Cp1252ToUtf8(raw));
    // An empty field "" gets the separator as its content, so that it keeps its column.
    if (separator != 0) {
        const std::string placeholder{'"', static_cast<char>(separator), '"'};
        line = ReplaceAll("\"\"", placeholder, std::move(line));
    }
    line = ReplaceAll("\",\"", "_", std::move(line));

    ContactLine out;
    std::size_t column = 0;
    bool numberDone = false;
    for (const char c : line) {
        if (c == '_') {
            ++column;
            if (!out.Phone.empty()) numberDone = true;
            continue;
        }
        if (column < NameColumns) out.Name.push_back(c);
        if (!numberDone && column >= FirstNumberColumn && (c == '+' || (c >= '0' && c <= '9')))
            out.Phone.push_back(c);
    }
    out.Name = ReplaceAll("  ", " ", std::move(out.Name));
    out.Name.erase(std::remove(out.Name.begin(), out.Name.end(), ','), out.Name.end());
    return out;
}
