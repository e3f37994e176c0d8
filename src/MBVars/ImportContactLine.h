// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line (after the header) of a phone suite's contacts export.
#include <string>
#include <string_view>

struct ContactLine {
    std::string Phone;  // "+" and digits of the first column from column 16 on that has any
    std::string Name;   // columns 0 to 5 that hold anything, joined by one space, in UTF-8
};

// Takes a line apart: a line that is valid UTF-8 as it is, any other converted from
// Windows-1252; bytes below 32 dropped. The name loses the quotes of the file's syntax and
// is cut to 30 bytes on a character boundary. Every line gives a contact, an empty one
// included. A separator of 0 (none found) puts no placeholder in empty fields for the
// number's column count, and a comma separates the name's columns.
ContactLine ParseContactLine(std::string_view line, unsigned char separator);
