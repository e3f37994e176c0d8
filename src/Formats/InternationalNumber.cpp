// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/InternationalNumber.h"

#include <phonenumbers/phonenumberutil.h>

#include <cctype>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

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
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    if (dialled[0] == '+' || util.GetCountryCodeForRegion(region) == 0) region = "ZZ";
    PhoneNumber parsed;
    if (util.Parse(dialled, region, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR) return {};
    if (!util.IsValidNumber(parsed)) return {};
    std::string e164;
    util.Format(parsed, PhoneNumberUtil::E164, &e164);
    return e164;
}
