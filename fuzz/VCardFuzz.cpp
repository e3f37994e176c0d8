// SPDX-License-Identifier: GPL-3.0-or-later
// An address book as any bytes: every card kept has a name on one line in UTF-8 and at least
// one number, never more cards than were read; and each number it gives finds, matched
// against the home country named by the first two bytes, the last card that gave the same
// text (a later number of the same text wins).
#include <map>
#include <string>

#include "FuzzSupport.h"
#include "Formats/NumberMatch.h"
#include "Formats/VCard.h"
#include "OFuncs/DisplayText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputCutter in(data, size);
    std::string country;
    country += static_cast<char>(in.Byte());
    country += static_cast<char>(in.Byte());
    const VCardBook book = ParseVCards(in.Rest());

    FUZZ_CHECK(book.Contacts.size() <= static_cast<std::size_t>(book.CardsRead));
    NumberMatcher numbers(country);
    for (std::size_t k = 0; k < book.Contacts.size(); ++k) {
        const VCardContact& c = book.Contacts[k];
        FUZZ_CHECK(!c.Name.empty() && !c.Phones.empty() && IsValidUtf8(c.Name));
        for (const char ch : c.Name) FUZZ_CHECK(static_cast<unsigned char>(ch) >= 0x20);
        for (const std::string& phone : c.Phones) {
            FUZZ_CHECK(!phone.empty());
            numbers.Add(phone, static_cast<std::int32_t>(k));
        }
    }
    std::map<std::string, std::int32_t> lastWithText;
    for (std::size_t k = 0; k < book.Contacts.size(); ++k)
        for (const std::string& phone : book.Contacts[k].Phones) lastWithText[phone] = static_cast<std::int32_t>(k);
    for (const auto& [phone, card] : lastWithText) FUZZ_CHECK(numbers.Find(phone) == card);
    return 0;
}
