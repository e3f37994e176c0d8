// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The country whose national phone numbers the user's messages hold.
#include <string>

// The territory of the user's locale (ICU's default locale, from the environment), as an
// ISO 3166 two-letter code; empty when the locale names none.
std::string LocaleHomeCountry();
// The setting when it names a country, else the locale's.
std::string EffectiveHomeCountry(const std::string& setting);
