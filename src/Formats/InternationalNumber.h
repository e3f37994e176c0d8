// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A phone number in international form (E.164, "+4915112345678"), as libphonenumber gives
// it through the number library loaded on demand (NumberLibrary.h). Callers cache the
// forms (NumberForms.h), so that the library is asked once per distinct number.
#include <string>
#include <string_view>

// The number as dialled from abroad: "+" and its digits ("00" read as "+"); a national
// number composed from the home country's calling code and its digits after the trunk
// prefix, as libphonenumber gives them. Empty for text that is no number (letters,
// anything but blanks, dashes, dots, slashes and brackets between the digits), and for a
// national number without a known home country.
std::string DialledFromAbroad(std::string_view number, std::string_view homeCountry);
// Whether the number is written in full, with "+" or "00".
bool WrittenInternationally(std::string_view number);
// The E.164 form of a number dialled from abroad when libphonenumber finds it valid, else empty.
std::string ValidInternational(std::string_view dialled);

// The E.164 form of `number` when it is written as a number and libphonenumber, reading
// national numbers as `homeCountry`'s (ISO 3166 two letters), finds it a valid number;
// else empty: short codes, alphanumeric senders and what it cannot read stay as written.
// ValidInternational(DialledFromAbroad(...)) first; a national number that does not compose
// into a valid one is read by libphonenumber with the home country's own rules.
std::string InternationalForm(std::string_view number, std::string_view homeCountry);
// The second step alone: the E.164 form libphonenumber reads a national number as, by the
// home country's own rules; empty for a number written in full.
std::string NationalReading(std::string_view number, std::string_view homeCountry);
