// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names and numbers of the address books (vCard files) read in this run of the program.
// Unlike the contact table they are not bounded by its 1,000 entries and outlast a rebuild,
// so every import fits their names, whichever came first, the messages or the address book.
#include <cstdint>
#include <string>
#include <vector>

struct AddressCard {
    std::string Name;
    std::vector<std::string> Phones;
    std::int32_t File = 0;  // index into AddressBook::Files
};

struct AddressBookFile {
    std::string Path;
    std::int32_t CardsRead = 0;
    std::int32_t Named = 0;  // cards that named messages at the last fitting of names
    bool Reported = false;
};

struct AddressBook {
    std::vector<AddressCard> Cards;
    std::vector<AddressBookFile> Files;
    std::string HomeCountry;  // ISO 3166 code: national numbers are this country's
};

// One line per address book not reported yet: its file name, the cards read and the
// contacts that named messages, each line ending in CR LF. They count as reported then.
std::string TakeAddressBookReport(AddressBook& book);
