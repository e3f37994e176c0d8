// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportContactLine.h"

#include <cstddef>

#include "MBVars/MsgRec.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/TextOps.h"

namespace {
constexpr std::size_t NameColumns = 6;         // columns 0..5 make the name
constexpr std::size_t FirstNumberColumn = 16;  // numbers are read from column 16 on

// The "+" and digits of the first column from column 16 on that holds any. Columns are
// found the way the phone suites' exports have always been read: an empty field "" takes
// the separator as its content, and every "," between two fields is a column boundary.
std::string NumberOf(std::string line, unsigned char separator) {
    if (separator != 0) {
        const std::string placeholder{'"', static_cast<char>(separator), '"'};
        line = ReplaceAll("\"\"", placeholder, std::move(line));
    }
    line = ReplaceAll("\",\"", "_", std::move(line));
    std::string number;
    std::size_t column = 0;
    for (const char c : line) {
        if (c == '_') {
            ++column;
            if (!number.empty()) break;
            continue;
        }
        if (column >= FirstNumberColumn && (c == '+' || (c >= '0' && c <= '9'))) number.push_back(c);
    }
    return number;
}

// The next field of a CSV line from `pos` on, without the quotes of the file's syntax (a
// doubled quote inside a quoted field is one quote of the text); `pos` moves past the
// separator that ends it, or to the end.
std::string NextField(std::string_view line, char separator, std::size_t& pos) {
    std::string field;
    bool quoted = pos < line.size() && line[pos] == '"';
    if (quoted) ++pos;
    while (pos < line.size()) {
        const char c = line[pos];
        if (quoted && c == '"') {
            if (pos + 1 < line.size() && line[pos + 1] == '"') {
                field.push_back('"');
                pos += 2;
                continue;
            }
            quoted = false;  // anything up to the separator still belongs to the field
            ++pos;
            continue;
        }
        if (!quoted && c == separator) {
            ++pos;
            return field;
        }
        field.push_back(c);
        ++pos;
    }
    pos = line.size() + 1;  // no field follows
    return field;
}

// The field without spaces at its ends and with every run of spaces inside made one.
std::string Tidy(std::string_view field) {
    std::string out;
    for (const char c : field) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Columns 0 to 5 that hold anything, joined by one space.
std::string NameOf(std::string_view line, unsigned char separator) {
    const char sep = separator != 0 ? static_cast<char>(separator) : ',';
    std::string name;
    std::size_t pos = 0;
    for (std::size_t column = 0; column < NameColumns && pos <= line.size(); ++column) {
        const std::string field = Tidy(NextField(line, sep, pos));
        if (field.empty()) continue;
        if (!name.empty()) name.push_back(' ');
        name += field;
    }
    return std::string(CutOnCharBoundary(name, NameText::Capacity));
}
}  // namespace

ContactLine ParseContactLine(std::string_view raw, unsigned char separator) {
    // A line already in UTF-8 stays as it is; any other is Windows-1252.
    const std::string line = RemoveControlChars(DisplayUtf8(raw));
    ContactLine out;
    out.Phone = NumberOf(line, separator);
    out.Name = NameOf(line, separator);
    return out;
}
