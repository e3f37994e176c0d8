// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/InternationalNumber.h"

#include "Formats/NumberFunctions.h"
#include "Formats/NumberLibrary.h"
#include "Formats/NumberMatch.h"

#include <cctype>

namespace {
// The digits of a number, and whether it is written in full ("+" or "00"); false for text
// that is no number (letters would be read as a keypad's digits).
bool DigitsOf(std::string_view text, std::string& digits, bool& international) {
    digits.clear();
    bool plus = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digits += c;
        else if (c == '+' && digits.empty() && !plus) plus = true;
        else if (c != ' ' && c != '-' && c != '.' && c != '/' && c != '(' && c != ')' && c != '\t') return false;
    }
    if (digits.empty()) return false;
    // "00" opens an international number wherever the messages were written, as the
    // address-book matching reads it.
    international = plus || (digits.size() > 2 && digits[0] == '0' && digits[1] == '0');
    if (!plus && international) digits.erase(0, 2);
    return true;
}

std::string Region(std::string_view homeCountry) {
    std::string region(homeCountry);
    for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return CallingCodeOf(region) == 0 ? std::string() : region;
}
}  // namespace

bool WrittenInternationally(std::string_view number) {
    std::string digits;
    bool international = false;
    return DigitsOf(number, digits, international) && international;
}

std::string DialledFromAbroad(std::string_view number, std::string_view homeCountry) {
    std::string digits;
    bool international = false;
    if (!DigitsOf(number, digits, international)) return {};
    if (international) return "+" + digits;
    const std::string region = Region(homeCountry);
    if (region.empty()) return {};
    const NumberFunctions* library = NumberLibrary();
    if (!library) return {};
    char prefix[16];
    const std::size_t length = library->TrunkPrefix(region.c_str(), prefix, sizeof prefix);
    const std::string trunk(prefix, length <= sizeof prefix ? length : 0);
    const bool trunked = !trunk.empty() && digits.compare(0, trunk.size(), trunk) == 0;
    return "+" + std::to_string(CallingCodeOf(region)) + digits.substr(trunked ? trunk.size() : 0);
}

std::string ValidInternational(std::string_view dialled) {
    if (dialled.size() < 2 || dialled[0] != '+') return {};
    return InternationalFormOf(dialled, "ZZ");
}

std::string InternationalForm(std::string_view number, std::string_view homeCountry) {
    if (std::string form = ValidInternational(DialledFromAbroad(number, homeCountry)); !form.empty()) return form;
    return NationalReading(number, homeCountry);
}

std::string NationalReading(std::string_view number, std::string_view homeCountry) {
    std::string digits;
    bool international = false;
    const std::string region = Region(homeCountry);
    if (!DigitsOf(number, digits, international) || international || region.empty()) return {};
    return InternationalFormOf(digits, region);
}
