// SPDX-License-Identifier: GPL-3.0-or-later
// kestro-numbers.so: libphonenumber behind the plain table of Formats/NumberFunctions.h.
// Nothing may throw across the table: a failure is an unknown or unmatched number.
#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "Formats/NumberFunctions.h"

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

struct KestroParsedNumber {
    PhoneNumber Number;
};

namespace {
const PhoneNumberUtil& Util() { return *PhoneNumberUtil::GetInstance(); }

std::size_t CopyOut(const std::string& text, char* out, std::size_t capacity) {
    if (text.size() <= capacity) std::memcpy(out, text.data(), text.size());
    return text.size();
}

int CallingCode(const char* country) noexcept { return Util().GetCountryCodeForRegion(country); }

std::size_t TrunkPrefix(const char* country, char* out, std::size_t capacity) noexcept {
    try {
        std::string prefix;
        Util().GetNddPrefixForRegion(country, true, &prefix);
        return CopyOut(prefix, out, capacity);
    } catch (...) {
        return 0;
    }
}

KestroParsedNumber* ParsePossible(const char* text, std::size_t length, const char* country) noexcept {
    try {
        auto parsed = std::make_unique<KestroParsedNumber>();
        if (Util().Parse(std::string(text, length), country, &parsed->Number) != PhoneNumberUtil::NO_PARSING_ERROR)
            return nullptr;
        const PhoneNumberUtil::ValidationResult possible = Util().IsPossibleNumberWithReason(parsed->Number);
        if (possible != PhoneNumberUtil::IS_POSSIBLE && possible != PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY) return nullptr;
        return parsed.release();
    } catch (...) {
        return nullptr;
    }
}

void FreeNumber(KestroParsedNumber* number) noexcept { delete number; }

KestroNumberMatch Match(const KestroParsedNumber* a, const KestroParsedNumber* b) noexcept {
    switch (Util().IsNumberMatch(a->Number, b->Number)) {
        case PhoneNumberUtil::EXACT_MATCH:
        case PhoneNumberUtil::NSN_MATCH: return KestroFullMatch;
        case PhoneNumberUtil::SHORT_NSN_MATCH: return KestroShortMatch;
        default: return KestroNoMatch;
    }
}

std::size_t Countries(char* out, std::size_t capacity) noexcept {
    try {
        std::set<std::string> regions;
        Util().GetSupportedRegions(&regions);
        std::string all;
        for (const std::string& r : regions) all += r;
        return CopyOut(all, out, capacity);
    } catch (...) {
        return 0;
    }
}

std::size_t InternationalForm(const char* number, std::size_t length, const char* homeCountry, char* out,
                              std::size_t capacity) noexcept {
    try {
        PhoneNumber parsed;
        if (Util().Parse(std::string(number, length), homeCountry, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR ||
            !Util().IsValidNumber(parsed))
            return 0;
        std::string e164;
        Util().Format(parsed, PhoneNumberUtil::E164, &e164);
        return CopyOut(e164, out, capacity);
    } catch (...) {
        return 0;
    }
}

constexpr NumberFunctions Table = {NumberFunctionsVersion, CallingCode, TrunkPrefix, ParsePossible, FreeNumber,
                                   Match, Countries, InternationalForm};
}  // namespace

extern "C" __attribute__((visibility("default"))) const NumberFunctions* KestroNumberFunctions() { return &Table; }
