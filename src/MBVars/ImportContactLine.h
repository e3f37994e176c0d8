#pragma once
// One line (after the header) of a phone suite's contacts export.
#include <string>
#include <string_view>

struct ContactLine {
    std::string Phone;  // "+" and digits of the first column from column 16 on that has any
    std::string Name;   // the first six columns run together, in UTF-8
};

// Converts the Windows-1252 line to UTF-8 and takes it apart. Every line gives a contact,
// an empty one included. A separator of 0 (none found) puts no placeholder in empty fields.
ContactLine ParseContactLine(std::string_view line, unsigned char separator);
