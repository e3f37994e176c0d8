// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The international forms of the collection's numbers: asked of libphonenumber once per
// number and home country in a run of the program, and the one rewriting of held messages'
// numbers into them.
#include <cstdint>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

class NumberForms {
public:
    // `homeCountry`: ISO 3166 two letters; any other text reads no national numbers.
    explicit NumberForms(std::string homeCountry) : home_(std::move(homeCountry)) {}
    // The E.164 form of the phone, or empty (InternationalForm), from a cache the whole
    // program shares (threads too).
    std::string Of(std::string_view phone) const;
    // The phone as a person's number: its international form, else the phone as written.
    std::string KeyOf(std::string_view phone) const;
    const std::string& Home() const { return home_; }
    // Empties the shared cache: the next forms are asked of libphonenumber again (for
    // measuring the first forming of a collection).
    static void ForgetAll();

private:
    std::string home_;
};

// The stored form of a phone that a phone's backup, an iPhone or an address book gives:
// the international form where there is one, else as written.
std::string StoredNumber(const NumberForms& forms, std::string_view phone);

// Rewrites the phone of every held message that came from a phone's backup or an iPhone
// (MsgExactTime), or of every message when `everyMessage` (the suites' exports' too), into
// its international form where it has one. This is the one place where held messages
// change their number: whatever is kept by a message's identity follows it here.
// Address-book cards take their forms too. Returns how many messages changed; sets
// Modified when any did.
std::int32_t RewriteHeldNumbersInternationally(MsgStore& S, const NumberForms& forms, bool everyMessage);
