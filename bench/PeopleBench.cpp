// SPDX-License-Identifier: GPL-3.0-or-later
// People on a full store (16380 messages from a phone's backup, 1000 numbers each written
// in one of five forms): forming the international numbers, first and again, grouping the
// people, and finding one person's conversation of 5000 messages.
#include <benchmark/benchmark.h>

#include <string>

#include "Formats/InternationalNumber.h"
#include "MBVars/Conversation.h"
#include "MBVars/NumberForms.h"
#include "MBVars/People.h"
#include "support/StoreBuilder.h"

namespace {

constexpr std::int32_t TalkativeCount = 5000;

// A German number (mobile or Berlin) in one of the five forms phones store it in.
std::string FormOf(int number, int form) {
    const std::string area = number % 2 ? "151" : "30";
    const std::string digits = std::to_string((number % 2 ? 55500000 : 5550000) + number);  // mobiles have eight digits
    switch (form % 5) {
        case 0: return "+49" + area + digits;
        case 1: return "0" + area + " " + digits;
        case 2: return "0049" + area + digits;
        case 3: return "0" + area + digits;
        default: return "+49 " + area + " " + digits.substr(0, 3) + "-" + digits.substr(3);
    }
}

// Every third message, up to 5000, is the talkative person's, under all five forms.
const MsgStore& BackupStore() {
    static const MsgStore store = [] {
        MsgStore S;
        S.Book.HomeCountry = "DE";
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .NamedPercent = 0}, 42);
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) {
            XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            m.Flags |= MsgExactTime;
            const bool talkative = n % 3 == 0 && n / 3 <= TalkativeCount;
            m.Phone = FormOf(talkative ? 1000 : n % 997, n % 5);
            m.Name = talkative ? "Vera Holm" : "";
        }
        return S;
    }();
    return store;
}

void BM_InternationalFormsOfAFullCollectionFirstTime(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = BackupStore();
        NumberForms::ForgetAll();
        state.ResumeTiming();
        benchmark::DoNotOptimize(RewriteHeldNumbersInternationally(S, NumberForms("DE"), false));
    }
}
BENCHMARK(BM_InternationalFormsOfAFullCollectionFirstTime)->Unit(benchmark::kMillisecond);

void BM_InternationalFormsOfAFullCollectionAgain(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = BackupStore();
        state.ResumeTiming();
        benchmark::DoNotOptimize(RewriteHeldNumbersInternationally(S, NumberForms("DE"), false));
    }
}
BENCHMARK(BM_InternationalFormsOfAFullCollectionAgain)->Unit(benchmark::kMillisecond);

void BM_GroupPeopleOfAFullCollection(benchmark::State& state) {
    const MsgStore& S = BackupStore();
    for (auto _ : state) benchmark::DoNotOptimize(GroupPeople(S).Count);
}
BENCHMARK(BM_GroupPeopleOfAFullCollection)->Unit(benchmark::kMillisecond);

void BM_ConversationOfA5000MessagePerson(benchmark::State& state) {
    const MsgStore& S = BackupStore();
    for (auto _ : state) {
        const std::vector<std::int32_t> found = ConversationOf(S, "030 5551000");  // number 1000
        if (found.size() != static_cast<std::size_t>(TalkativeCount)) state.SkipWithError("not the whole person");
        benchmark::DoNotOptimize(found.data());
    }
}
BENCHMARK(BM_ConversationOfA5000MessagePerson)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {
// What one number costs libphonenumber: parsing, validating and formatting a mobile number.
void BM_LibphonenumberOneNumber(benchmark::State& state) {
    int k = 0;
    for (auto _ : state) benchmark::DoNotOptimize(InternationalForm("+4915155" + std::to_string(510000 + k++ % 1000), "DE"));
}
BENCHMARK(BM_LibphonenumberOneNumber);
}  // namespace
