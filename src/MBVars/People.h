// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// People: the messages of one person, whichever form of a number they were written under.
// Two messages are of one person when their numbers have the same international form (or,
// having none, are written alike), or when they carry the same name (from the address
// book, the history or the user), and so on through any chain of such links.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

struct People {
    std::vector<std::int32_t> PersonOf;  // by store position 1..MessageCount (entry 0: -1)
    std::int32_t Count = 0;              // people, numbered 0..Count-1 by their first message
    std::int32_t Numbers = 0;            // distinct numbers as stored (each form of a number counts)
};

// Whether a message's name names a person: not empty and not a number written out (a
// nameless message carries its own number as name).
bool IsPersonName(std::string_view name);

// The people of the store, national numbers read as S.Book.HomeCountry's. Linear: the
// numbers and names are joined through hashing, never compared pair by pair.
People GroupPeople(const MsgStore& S);

// One person as the windows and exports name them.
struct Person {
    std::vector<std::int32_t> Messages;  // store positions, oldest first (same minute: store order)
    std::string Name;                    // the name most of its messages carry, else its number
    std::vector<std::string> Numbers;    // its stored numbers, in byte order
};
// The person of the message at store position n (nothing for a position not held).
Person PersonOfMessage(const MsgStore& S, std::int32_t n);
// The person of the first message whose phone is `phone` as stored, or, when none is, whose
// number has the same international form; nothing when no message has it.
Person PersonOfPhone(const MsgStore& S, std::string_view phone);

// The stored numbers of the people of the messages at the given store positions, each once,
// in byte order: what blocking the selected rows' contacts blocks.
std::vector<std::string> NumbersOfPeople(const MsgStore& S, const std::vector<std::int32_t>& positions);

// Gives every message of a person whose messages carry different names or numbers one name
// (so that what goes by name, the statistics and the contact view, sees one person): the
// person name most of them carry (of equal counts the one met first in store order), else
// the international form of the number of its first message. Returns how many messages changed; sets Modified when any did.
std::int32_t SpreadPersonNames(MsgStore& S);

// The words of a report's count of people: "19 contacts (37 numbers)".
std::string PeopleCountText(const People& people);
