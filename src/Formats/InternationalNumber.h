// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A phone number in international form (E.164, "+4915112345678"), as libphonenumber gives
// it through the number library loaded on demand (NumberLibrary.h). Callers cache the
// forms (NumberForms.h), so that the library is asked once per distinct number.
#include <string>
#include <string_view>

// The E.164 form of `number` when it is written as a number (digits, an opening "+" or
// "00", and blanks, dashes, dots, slashes and brackets between them) and libphonenumber,
// reading national numbers as `homeCountry`'s (ISO 3166 two letters), finds it a valid
// number; else empty: short codes, alphanumeric senders and what it cannot read stay as
// written.
std::string InternationalForm(std::string_view number, std::string_view homeCountry);
