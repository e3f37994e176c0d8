// SPDX-License-Identifier: GPL-3.0-or-later
// Naming a full collection from an address book of 5,000 cards: the fitting of names that an
// import runs, with the cards' numbers written otherwise than the messages' (national form,
// brackets and dashes), against the same fitting without an address book; and reading the
// address book's vCard text.
#include <benchmark/benchmark.h>

#include <string>

#include "MBVars/History.h"
#include "Formats/VCard.h"
#include "support/StoreBuilder.h"

namespace {

constexpr int Cards = 5000;

// The store's phones are "+1555" and seven digits (StoreBuilder); a card of each of the
// first `phones` of them in national form, the rest strangers.
std::string AddressBookText(int phones) {
    std::string text;
    for (int c = 0; c < Cards; ++c) {
        const std::string digits = std::to_string(c < phones ? 1000000 + c * 7919 % 1000000 : 8000000 + c);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(c) + "\r\nTEL;TYPE=CELL:(555) " +
                digits.substr(0, 3) + "-" + digits.substr(3) + "\r\nEND:VCARD\r\n";
    }
    return text;
}

void FitNamesOfFullCollection(benchmark::State& state) {
    const int phones = static_cast<int>(state.range(0));
    const bool withBook = state.range(1) != 0;
    MsgStore S;
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = phones, .NamedPercent = 0}, 3);
    if (withBook) {
        for (VCardContact& c : ParseVCards(AddressBookText(phones)).Contacts)
            S.Book.Cards.push_back({std::move(c.Name), std::move(c.Phones), 0});
        S.Book.Files.push_back({"contacts.vcf", Cards});
    }
    S.Book.HomeCountry = "US";
    for (auto _ : state) benchmark::DoNotOptimize(FitNames(S, false));
    if (withBook) state.counters["cards_named"] = S.Book.Files[0].Named;
}
BENCHMARK(FitNamesOfFullCollection)->ArgsProduct({{1000, 5000}, {0, 1}})->Unit(benchmark::kMillisecond);

void ParseAddressBook(benchmark::State& state) {
    const std::string text = AddressBookText(1000);
    for (auto _ : state) benchmark::DoNotOptimize(ParseVCards(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParseAddressBook)->Unit(benchmark::kMillisecond);

}  // namespace
