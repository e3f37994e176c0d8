// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/InternationalNumber.h"

#include "Formats/NumberLibrary.h"

#include <cctype>

namespace {
// The number as libphonenumber should read it: its digits, "+" in front for an international
// one; empty for text that is no number (letters would be read as a keypad's digits).
std::string DialledText(std::string_view text) {
    std::string out;
    bool plus = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') out += c;
        else if (c == '+' && out.empty() && !plus) plus = true;
        else if (c != ' ' && c != '-' && c != '.' && c != '/' && c != '(' && c != ')' && c != '\t') return {};
    }
    if (out.empty()) return {};
    // "00" opens an international number wherever the messages were written, as the
    // address-book matching reads it.
    if (!plus && out.size() > 2 && out[0] == '0' && out[1] == '0') {
        out.erase(0, 2);
        plus = true;
    }
    return plus ? "+" + out : out;
}
}  // namespace

std::string InternationalForm(std::string_view number, std::string_view homeCountry) {
    const std::string dialled = DialledText(number);
    if (dialled.empty()) return {};
    std::string region(homeCountry);
    for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // A number written with "+" is read as it is; libphonenumber takes "ZZ" for an unknown
    // home country and then reads only such numbers.
    if (dialled[0] == '+' || region.size() != 2) region = "ZZ";
    return InternationalFormOf(dialled, region);
}
