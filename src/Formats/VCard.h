// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the names and phone numbers of an address book exported as vCard (2.1, 3.0, 4.0).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct VCardContact {
    std::string Name;                 // UTF-8: FN, else N as "given additional family"
    std::vector<std::string> Phones;  // every TEL, as written (a tel: URI without its scheme and parameters)
};

struct VCardBook {
    std::vector<VCardContact> Contacts;  // the cards with a name and a number, in file order
    std::int32_t CardsRead = 0;          // every complete card, with or without a number
};

// True when the bytes begin, after a byte-order mark and blank space, with BEGIN:VCARD;
// a file with a UTF-16 byte-order mark is read as UTF-16.
bool LooksLikeVCard(std::string_view start);

// Takes any bytes, with any line ends (LF, CR LF, CR, CR CR LF, mixed), in UTF-8 (or bytes
// of the cards' character sets) or, after a UTF-16 byte-order mark, UTF-16: a card that does not end (END:VCARD missing) is passed over and the cards
// after it still count; lines that are no property are ignored.
VCardBook ParseVCards(std::string_view bytes);
