// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lang/HomeCountry.h"

#include <unicode/locid.h>

std::string LocaleHomeCountry() {
    const std::string country = icu::Locale::getDefault().getCountry();
    return country.size() == 2 ? country : std::string();
}

std::string EffectiveHomeCountry(const std::string& setting) { return setting.empty() ? LocaleHomeCountry() : setting; }
