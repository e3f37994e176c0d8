// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/NumberMatch.h"

#include <cctype>

#include "Formats/NumberLibrary.h"

namespace {
// A number needs this many digits to be matched other than as text: shorter ones are short
// codes (and a shorter national part shared by two numbers proves nothing).
constexpr std::size_t TailDigits = 6;

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

void NumberMatcher::ParsedFree::operator()(KestroParsedNumber* number) const { library->FreeNumber(number); }

namespace {
// The number libphonenumber reads, "00" taken as the international prefix; null when it
// reads none or a number too short to be one (a short code).
NumberMatcher::ParsedNumber ParseNumber(const NumberFunctions& f, const std::string& digits, bool plus,
                                        const std::string& home) {
    const bool international = plus || (digits.size() > 2 && digits[0] == '0' && digits[1] == '0');
    const std::string text = international ? "+" + digits.substr(plus ? 0 : 2) : digits;
    return NumberMatcher::ParsedNumber(f.ParsePossible(text.data(), text.size(), international ? "ZZ" : home.c_str()),
                                       NumberMatcher::ParsedFree{&f});
}
}  // namespace

NumberMatcher::NumberMatcher(std::string homeCountry) : home_(std::move(homeCountry)) {
    for (char& c : home_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The library is loaded here, when the first number is added or a phone is looked up
// among added numbers, not when the matcher is made: most imports match no number.
const NumberFunctions* NumberMatcher::Library() {
    if (libraryTried_) return library_;
    libraryTried_ = true;
    library_ = NumberLibrary();
    const int code = library_ ? library_->CallingCode(home_.c_str()) : 0;
    if (code == 0) {
        home_ = "ZZ";
        return library_;
    }
    homeCode_ = std::to_string(code);
    char trunk[16];
    const std::size_t length = library_->TrunkPrefix(home_.c_str(), trunk, sizeof trunk);
    if (length <= sizeof trunk) trunk_.assign(trunk, length);
    return library_;
}

std::string NumberMatcher::InternationalDigits(const std::string& digits, bool plus) {
    if (plus) return digits;
    if (digits.size() > 2 && digits[0] == '0' && digits[1] == '0') return digits.substr(2);
    Library();
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
    entries_.push_back(Entry{std::string(number), value, ParsedNumber(nullptr, ParsedFree{nullptr}), false});
}

const KestroParsedNumber* NumberMatcher::NumberOf(const NumberFunctions& f, Entry& e) {
    if (!e.Tried) {
        e.Tried = true;
        std::string digits;
        bool plus = false;
        if (DigitsOf(e.Text, digits, plus)) e.Number = ParseNumber(f, digits, plus, home_);
    }
    return e.Number.get();
}

std::int32_t NumberMatcher::Find(std::string_view phone) {
    if (const auto it = exact_.find(std::string(phone)); it != exact_.end()) return it->second;
    if (entries_.empty()) return -1;  // no number to match as a number, and no library loaded for it
    std::string digits;
    bool plus = false;
    if (!DigitsOf(phone, digits, plus)) return -1;
    if (const auto it = byInternational_.find(InternationalDigits(digits, plus)); it != byInternational_.end()) return it->second;
    const auto candidates = byTail_.find(TailOf(digits));
    if (candidates == byTail_.end()) return -1;
    const NumberFunctions* f = Library();
    if (!f) return -1;
    const ParsedNumber number = ParseNumber(*f, digits, plus, home_);
    if (!number) return -1;

    std::int32_t full = -1, shortMatch = -1;
    bool severalShort = false;
    for (const std::uint32_t i : candidates->second) {
        Entry& e = entries_[i];
        const KestroParsedNumber* other = NumberOf(*f, e);
        if (!other) continue;
        switch (f->Match(number.get(), other)) {
        case KestroFullMatch:
            full = e.Value;  // the later one wins
            break;
        case KestroShortMatch:
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

int CallingCodeOf(const std::string& country) {
    const NumberFunctions* f = NumberLibrary();
    return f ? f->CallingCode(country.c_str()) : 0;
}

std::vector<std::string> KnownCountries() {
    const NumberFunctions* f = NumberLibrary();
    if (!f) return {};
    std::string all(1024, '\0');
    all.resize(f->Countries(all.data(), all.size()));
    if (all.size() > 1024) all.resize(f->Countries(all.data(), all.size()));
    std::vector<std::string> countries;
    for (std::size_t i = 0; i + 2 <= all.size(); i += 2) countries.push_back(all.substr(i, 2));
    return countries;
}
