// SPDX-License-Identifier: GPL-3.0-or-later
// The editing, blocking and activity commands' store work on a full store: 16380 messages
// of 1000 named contacts, newest first, with a history of all 1000 numbers.
#include <benchmark/benchmark.h>

#include <string>

#include "Lang/LocaleInfo.h"
#include "MBVars/BlockList.h"
#include "MBVars/Contacts.h"
#include "MBVars/History.h"
#include "MBVars/Ordering.h"
#include "MBVars/Removal.h"
#include "MBVars/Stats.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"

namespace {

const MsgStore& FullStore() {
    static const MsgStore store = [] {
        MsgStore S;
        FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 12000, .Minutes = 2000000, .NamesByPhone = true}, 7);
        for (std::int32_t n = 1; n <= S.MessageCount; ++n) S.Messages[n].Text += " see you at the cafe, bring the keys!";
        DefaultsType D;
        SortMessages(S, D, 1, 0);
        BuildContacts(S, ContactsByPhone, true);
        for (std::int32_t c = 1; c <= S.ContactCount; ++c)
            AssignName(S, S.Contacts[c].Phone.view(), "Contact " + std::to_string(c));
        for (std::int32_t c = 1; c <= S.ContactCount; ++c) {
            HistoryRec& h = S.History[c];
            h.Phone = S.Contacts[c].Phone;
            h.Name = "Contact " + std::to_string(c);
        }
        S.HistoryCount = S.ContactCount;
        BuildView(S, ViewEverything);
        return S;
    }();
    return store;
}

// Runs op on a fresh copy of the full store in every iteration; the copy is not timed.
template <class Op>
void OnFullStore(benchmark::State& state, Op op) {
    for (auto _ : state) {
        state.PauseTiming();
        MsgStore S = FullStore();
        state.ResumeTiming();
        op(S);
        benchmark::DoNotOptimize(S.MessageCount);
    }
}

void BM_DeleteThousandSelectedRows(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) { DeleteViewRows(S, 5000, 5999); });
}
BENCHMARK(BM_DeleteThousandSelectedRows)->Unit(benchmark::kMillisecond);

void BM_RenameContact(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) { AssignName(S, S.Messages[100].Phone.str(), "Renamed Person"); });
}
BENCHMARK(BM_RenameContact)->Unit(benchmark::kMillisecond);

void BM_RemoveContactMessages(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) { DeletePhone(S, S.Messages[100].Phone.str()); });
}
BENCHMARK(BM_RemoveContactMessages)->Unit(benchmark::kMillisecond);

// The marks of 50 contacts, the history file written at once, their messages removed.
void BM_BlockFiftyContacts(benchmark::State& state) {
    TempDir dir;
    const std::string path = (dir.Path() / "Kestro.hst").string();
    OnFullStore(state, [&](MsgStore& S) {
        for (std::int32_t h = 1; h <= S.HistoryCount; ++h) S.History[h].Blocked = h % 20 == 0 ? 1 : 0;
        SaveHistory(S, path);
        DeleteBlocked(S);
    });
}
BENCHMARK(BM_BlockFiftyContacts)->Unit(benchmark::kMillisecond);

void BM_ActivitySummary(benchmark::State& state) {
    const MsgStore& S = FullStore();
    const LocaleInfo locale = LocaleInfo::English();
    for (auto _ : state) {
        ActivityTotals T;
        ComputeActivity(S, {}, T);
        benchmark::DoNotOptimize(ActivitySummaryText(T, locale));
    }
}
BENCHMARK(BM_ActivitySummary)->Unit(benchmark::kMillisecond);

// What opening the statistics dialog computes: the table by name, every contact's figures.
void BM_StatisticsOfThousandContacts(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) {
        BuildContacts(S, ContactsByName, true);
        ComputeContactsActivity(S);
    });
    state.counters["contacts"] = FullStore().ContactCount;
}
BENCHMARK(BM_StatisticsOfThousandContacts)->Unit(benchmark::kMillisecond);

// What the statistics dialog shows: one row per name or nameless number, in one pass.
void BM_StatisticsRowsOfThousandContacts(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) {
        BuildContacts(S, ContactsByName, true);
        benchmark::DoNotOptimize(ContactActivityRows(S));
    });
}
BENCHMARK(BM_StatisticsRowsOfThousandContacts)->Unit(benchmark::kMillisecond);

// What the blocked-contacts dialog lists: every number of history and collection, sorted.
void BM_BlockListOfAFullCollection(benchmark::State& state) {
    OnFullStore(state, [](MsgStore& S) { benchmark::DoNotOptimize(BlockList(S)); });
}
BENCHMARK(BM_BlockListOfAFullCollection)->Unit(benchmark::kMillisecond);

}  // namespace
