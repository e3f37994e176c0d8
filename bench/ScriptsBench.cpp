// SPDX-License-Identifier: GPL-3.0-or-later
// A search keystroke and the activity figures on full stores of texts in other scripts:
// UTF-8 in Cyrillic, Greek, Polish and emoji, Windows-1252, and emoji with modifiers
// (whose characters need the full cluster rules).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "MBVars/Contacts.h"
#include "MBVars/Search.h"
#include "MBVars/Stats.h"
#include "support/StoreBuilder.h"

namespace {
const std::vector<std::string> Utf8Words = {
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",                                  // Привет
    "\xD0\xB7\xD0\xB0\xD0\xB2\xD1\x82\xD1\x80\xD0\xB0",                                  // завтра
    "\xD0\x92\xD1\x81\xD1\x82\xD1\x80\xD0\xB5\xD1\x87\xD0\xB0",                          // Встреча
    "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1",                  // Καλημέρα
    "\xCF\x86\xCE\xAF\xCE\xBB\xCE\xB5",                                                  // φίλε
    "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87", "g\xC4\x99\xC5\x9Bl\xC4\x85", "ja\xC5\xBA\xC5\x84",  // Zażółć gęślą jaźń
    "Stra\xC3\x9F" "e", "\xC3\x84pfel", "ok,", "http://example.com/x", "\xF0\x9F\x98\x80", "\xE2\x9D\xA4"};
const std::vector<std::string> Cp1252Words = {"caf\xE9", "K\xE4se", "\xC5sa", "gar\xE7on", "na\xEFve", "ok,",
                                              "\x80" "5", "thanks!", "\xD6rjan", "see", "you"};
const std::vector<std::string> EmojiWords = {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", "\xE2\x9D\xA4\xEF\xB8\x8F",
                                             "\xF0\x9F\x87\xB8\xF0\x9F\x87\xAA", "ok", "e\xCC\x81t\xC3\xA9",
                                             "\xD0\xB4\xD0\xB0"};

// 16380 messages of 100 to 140 bytes from 1000 phones, one contact per phone.
MsgStore MakeStore(const std::vector<std::string>& words, unsigned seed) {
    MsgStore s;
    FillRandomStore(s, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, seed);
    std::mt19937 rng(seed);
    for (int n = 1; n <= s.MessageCount; ++n) {
        std::string& text = s.Messages[static_cast<std::size_t>(n)].Text;
        text.clear();
        const std::size_t length = 100 + rng() % 40;
        while (text.size() < length) text += words[rng() % words.size()] + " ";
    }
    BuildContacts(s, ContactsByName, true);
    return s;
}

MsgStore& Utf8Store() {
    static MsgStore S = MakeStore(Utf8Words, 42);
    return S;
}
MsgStore& Cp1252Store() {
    static MsgStore S = MakeStore(Cp1252Words, 43);
    return S;
}
MsgStore& EmojiStore() {
    static MsgStore S = MakeStore(EmojiWords, 44);
    return S;
}

void SearchKeystroke(benchmark::State& state, MsgStore& (*store)(), const char* needle) {
    MsgStore& S = store();
    std::int32_t found = 0;
    for (auto _ : state) benchmark::DoNotOptimize(found = MarkFound(S, FetchByText, needle));
    state.counters["found"] = found;
}
// Needles in their stored form: UTF-8 when Windows-1252 cannot hold them.
BENCHMARK_CAPTURE(SearchKeystroke, utf8_cyrillic, &Utf8Store, "\xD0\x92\xD0\xA1\xD0\xA2\xD0\xA0")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, utf8_sharp_s, &Utf8Store, "STRASSE")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, utf8_nowhere, &Utf8Store, "\xCE\xA9\xCE\xA9\xCE\xA9")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, cp1252_accent, &Cp1252Store, "K\xC4S")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SearchKeystroke, emoji_modifiers, &EmojiStore, "\xD0\x94\xD0\x90")->Unit(benchmark::kMillisecond);

void Summary(benchmark::State& state, MsgStore& (*store)()) {
    MsgStore& S = store();
    ActivityTotals T;
    for (auto _ : state) {
        ComputeActivity(S, {}, T);
        benchmark::DoNotOptimize(T);
    }
    state.counters["chars"] = T.Slot[ActivityAll].Chars;
}
BENCHMARK_CAPTURE(Summary, utf8, &Utf8Store)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Summary, cp1252, &Cp1252Store)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Summary, emoji_modifiers, &EmojiStore)->Unit(benchmark::kMillisecond);

void ContactStatistics(benchmark::State& state, MsgStore& (*store)()) {
    MsgStore& S = store();
    for (auto _ : state) {
        ComputeContactsActivity(S);
        benchmark::DoNotOptimize(S.Contacts[1].Activity);
    }
}
BENCHMARK_CAPTURE(ContactStatistics, utf8, &Utf8Store)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ContactStatistics, emoji_modifiers, &EmojiStore)->Unit(benchmark::kMillisecond);
}  // namespace
