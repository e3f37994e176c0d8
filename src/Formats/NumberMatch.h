// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the address-book number that a message's phone is, however either is written.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Formats/NumberFunctions.h"

// Numbers are added with the value they stand for (a card); a phone finds the value of the
// number it equals as text, else of one that libphonenumber, reading national numbers as
// the home country's, finds the same number in full or in its national part. A match of the
// short end of a longer number alone (7 digits against 10) counts only when exactly one
// value has such a number. Alphanumeric senders and short codes match only as text.
// libphonenumber is loaded (Formats/NumberLibrary.h) only when a number is first added.
class NumberMatcher {
public:
    // `homeCountry`: an ISO 3166 two-letter code; any other text: no national numbers.
    explicit NumberMatcher(std::string homeCountry);
    ~NumberMatcher();
    NumberMatcher(const NumberMatcher&) = delete;
    NumberMatcher& operator=(const NumberMatcher&) = delete;

    // A later number of the same text, or of the same number, wins over an earlier one.
    void Add(std::string_view number, std::int32_t value);
    // The value, or -1.
    std::int32_t Find(std::string_view phone);

    struct ParsedFree {
        const NumberFunctions* library;
        void operator()(KestroParsedNumber* number) const;
    };
    using ParsedNumber = std::unique_ptr<KestroParsedNumber, ParsedFree>;

private:
    struct Entry {
        std::string Text;
        std::int32_t Value = 0;
        ParsedNumber Number{nullptr, ParsedFree{nullptr}};  // parsed when first a phone needs it
        bool Tried = false;
    };
    const KestroParsedNumber* NumberOf(const NumberFunctions& f, Entry& e);
    // The library, and the home country's calling code and trunk prefix from it; null
    // when it cannot be loaded.
    const NumberFunctions* Library();

    // The number as the digits of its international form, composed from the home country's
    // calling code and trunk prefix as libphonenumber gives them; empty without a home
    // country for a national number. Most numbers are found by it at once, sparing the parsing.
    std::string InternationalDigits(const std::string& digits, bool plus);

    const NumberFunctions* library_ = nullptr;
    bool libraryTried_ = false;
    std::string home_;
    std::string homeCode_, trunk_;  // "49", "0" for DE
    std::unordered_map<std::string, std::int32_t> byInternational_;
    std::unordered_map<std::string, std::int32_t> exact_;
    std::vector<Entry> entries_;
    // Entries by the last digits of their number, where a national and an international
    // form of one number agree: only these few are parsed and compared for a phone.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> byTail_;
};

// The calling code of a country (49 for "DE"), 0 for an unknown code.
int CallingCodeOf(const std::string& country);
// Every country libphonenumber knows, as two-letter codes in alphabetical order.
std::vector<std::string> KnownCountries();
