// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/NumberMatch.h"

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <cctype>
#include <set>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {
// A number needs this many digits to be matched other than as text: shorter ones are short
// codes (and a shorter national part shared by two numbers proves nothing).
constexpr std::size_t TailDigits = 6;

const PhoneNumberUtil& Util() { return *PhoneNumberUtil::GetInstance(); }

// The digits of a phone written as a number ("+", digits, and blanks, dashes, dots, slashes
// and brackets between them); false for anything else, such as an alphanumeric sender.
bool DigitsOf(std::string_view text, std::string& digits, bool& plus) {
    digits.clear();
    plus = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') digits += c;
        else if (c == '+' && digits.empty() && !plus) plus = true;
        else if (c != ' ' && c != '-' && c != '.' && c != '/' && c != '(' && c != ')' && c != '\t') return false;
    }
    return digits.size() >= TailDigits;
}

std::uint32_t TailOf(const std::string& digits) {
    std::uint32_t tail = 0;
    for (std::size_t i = digits.size() - TailDigits; i < digits.size(); ++i) tail = tail * 10 + static_cast<std::uint32_t>(digits[i] - '0');
    return tail;
}
}  // namespace

struct NumberMatcher::Parsed {
    PhoneNumber Number;
};

namespace {
// The number libphonenumber reads, "00" taken as the international prefix; false when it
// reads none or a number too short to be one (a short code).
bool ParseNumber(const std::string& digits, bool plus, const std::string& home, PhoneNumber& number) {
    const bool international = plus || (digits.size() > 2 && digits[0] == '0' && digits[1] == '0');
    const std::string text = international ? "+" + digits.substr(plus ? 0 : 2) : digits;
    if (Util().Parse(text, international ? "ZZ" : home, &number) != PhoneNumberUtil::NO_PARSING_ERROR) return false;
    const PhoneNumberUtil::ValidationResult possible = Util().IsPossibleNumberWithReason(number);
    return possible == PhoneNumberUtil::IS_POSSIBLE || possible == PhoneNumberUtil::IS_POSSIBLE_LOCAL_ONLY;
}
}  // namespace

NumberMatcher::NumberMatcher(std::string homeCountry) : home_(std::move(homeCountry)) {
    for (char& c : home_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (Util().GetCountryCodeForRegion(home_) == 0) home_ = "ZZ";
    if (home_ == "ZZ") return;
    homeCode_ = std::to_string(Util().GetCountryCodeForRegion(home_));
    Util().GetNddPrefixForRegion(home_, true, &trunk_);
}

std::string NumberMatcher::InternationalDigits(const std::string& digits, bool plus) const {
    if (plus) return digits;
    if (digits.size() > 2 && digits[0] == '0' && digits[1] == '0') return digits.substr(2);
    if (homeCode_.empty()) return {};
    const bool trunk = !trunk_.empty() && digits.compare(0, trunk_.size(), trunk_) == 0;
    return homeCode_ + digits.substr(trunk ? trunk_.size() : 0);
}

NumberMatcher::~NumberMatcher() = default;

void NumberMatcher::Add(std::string_view number, std::int32_t value) {
    exact_[std::string(number)] = value;
    std::string digits;
    bool plus = false;
    if (!DigitsOf(number, digits, plus)) return;
    if (std::string key = InternationalDigits(digits, plus); !key.empty()) byInternational_[std::move(key)] = value;
    byTail_[TailOf(digits)].push_back(static_cast<std::uint32_t>(entries_.size()));
    entries_.push_back(Entry{std::string(number), value, nullptr, false});
}

const NumberMatcher::Parsed* NumberMatcher::NumberOf(Entry& e) {
    if (!e.Tried) {
        e.Tried = true;
        std::string digits;
        bool plus = false;
        auto parsed = std::make_unique<Parsed>();
        if (DigitsOf(e.Text, digits, plus) && ParseNumber(digits, plus, home_, parsed->Number)) e.Number = std::move(parsed);
    }
    return e.Number.get();
}

std::int32_t NumberMatcher::Find(std::string_view phone) {
    if (const auto it = exact_.find(std::string(phone)); it != exact_.end()) return it->second;
    std::string digits;
    bool plus = false;
    if (!DigitsOf(phone, digits, plus)) return -1;
    if (const auto it = byInternational_.find(InternationalDigits(digits, plus)); it != byInternational_.end()) return it->second;
    const auto candidates = byTail_.find(TailOf(digits));
    if (candidates == byTail_.end()) return -1;
    PhoneNumber number;
    if (!ParseNumber(digits, plus, home_, number)) return -1;

    std::int32_t full = -1, shortMatch = -1;
    bool severalShort = false;
    for (const std::uint32_t i : candidates->second) {
        Entry& e = entries_[i];
        const Parsed* other = NumberOf(e);
        if (!other) continue;
        switch (Util().IsNumberMatch(number, other->Number)) {
        case PhoneNumberUtil::EXACT_MATCH:
        case PhoneNumberUtil::NSN_MATCH:
            full = e.Value;  // the later one wins
            break;
        case PhoneNumberUtil::SHORT_NSN_MATCH:
            if (shortMatch >= 0 && shortMatch != e.Value) severalShort = true;
            shortMatch = e.Value;
            break;
        default:
            break;
        }
    }
    if (full >= 0) return full;
    return severalShort ? -1 : shortMatch;
}

int CallingCodeOf(const std::string& country) { return Util().GetCountryCodeForRegion(country); }

std::vector<std::string> KnownCountries() {
    std::set<std::string> regions;
    Util().GetSupportedRegions(&regions);
    return {regions.begin(), regions.end()};
}
