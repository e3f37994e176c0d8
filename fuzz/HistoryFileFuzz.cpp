// SPDX-License-Identifier: GPL-3.0-or-later
// The history reader on any bytes, then the history writer: the table read has at most
// 1000 entries with plain blocked marks; bringing it up to date with a collection gives
// what a plain first-match search of the table gives; the file written reads back to the
// same table and writes again to the same bytes.
//
// The collection is made from the table itself: one message per entry under the entry's
// own number, and one under its name as number, so that both found and new numbers occur.
#include <filesystem>
#include <string>

#include "FuzzDataFile.h"
#include "FuzzSupport.h"
#include "MBVars/History.h"
#include "MBVars/Store.h"
#include "OFuncs/IoError.h"

namespace {

bool SameEntry(const HistoryRec& a, const HistoryRec& b) {
    return a.Blocked == b.Blocked && a.Phone == b.Phone && a.Name == b.Name && a.Color == b.Color;
}

// The update written out literally: a linear search for the first entry of each number.
void MergeLiterally(MsgStore& S) {
    for (int m = 1; m <= S.MessageCount; ++m) {
        const XMsgRecType& msg = S.Messages[m];
        int i = 1;
        while (i <= S.HistoryCount && S.History[i].Phone != msg.Phone) ++i;
        if (i > MaxHistory || msg.Phone.empty()) continue;
        if (i > S.HistoryCount) {
            S.History[i] = HistoryRec{};
            S.HistoryCount = i;
        }
        S.History[i].Phone = msg.Phone;
        if (!msg.Name.empty()) S.History[i].Name = msg.Name;
        if (msg.Color != 0) S.History[i].Color = msg.Color;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchDir& dir = fuzz::ScratchDir::Get();
    const std::string given = dir.Path("given.hst"), first = dir.Path("first.hst"), second = dir.Path("second.hst");
    fuzz::WriteBytes(given, std::string_view(reinterpret_cast<const char*>(data), size));

    DefaultsType defaults;
    MsgStore& S = fuzz::KeptStore(0);
    ClearStore(S, defaults);
    S.HistoryCount = 0;
    try {
        FUZZ_CHECK(ReadHistory(S, given) == 0);
    } catch (const IoError&) {
        // Cut short: the whole entries read stay.
    }
    FUZZ_CHECK(S.HistoryCount >= 0 && S.HistoryCount <= MaxHistory);
    for (int i = 1; i <= S.HistoryCount; ++i) FUZZ_CHECK(S.History[i].Blocked <= 1);

    const int read = S.HistoryCount;
    for (int i = 1; i <= read && S.MessageCount + 2 <= MaxMessages; ++i) {
        GrowMessages(S, S.MessageCount + 2);
        XMsgRecType& own = S.Messages[++S.MessageCount];
        own.Flags = MsgSms | MsgReceived;
        own.Phone = S.History[i].Phone;
        XMsgRecType& other = S.Messages[++S.MessageCount];
        other.Flags = MsgSms | MsgSent;
        other.Phone = S.History[i].Name.view();
        other.Name = S.History[i].Phone.view();
        other.Color = S.History[i].Color ^ i;
    }
    MsgStore& L = fuzz::KeptStore(1);
    ClearStore(L, defaults);
    GrowMessages(L, S.MessageCount);
    L.MessageCount = S.MessageCount;
    for (int m = 1; m <= S.MessageCount; ++m) L.Messages[m] = S.Messages[m];
    L.HistoryCount = S.HistoryCount;
    for (int i = 0; i <= MaxHistory; ++i) L.History[i] = S.History[i];
    MergeLiterally(L);

    // A history read only in part keeps the file it would replace aside (here the previous
    // input's); the target checks it is there and removes it, so the folder does not grow.
    const std::string previous = fuzz::ReadBytes(first);
    const bool keepsAside = S.HistoryIncomplete && std::filesystem::exists(first);
    S.HistoryKeptAs.clear();
    FUZZ_CHECK(WriteHistory(S, first) == 0);
    FUZZ_CHECK(S.HistoryKeptAs.empty() != keepsAside);
    if (keepsAside) {
        FUZZ_CHECK(fuzz::ReadBytes(S.HistoryKeptAs) == previous);
        std::filesystem::remove(S.HistoryKeptAs);
    }
    FUZZ_CHECK(S.HistoryCount == L.HistoryCount);
    for (int i = 1; i <= S.HistoryCount; ++i) FUZZ_CHECK(SameEntry(S.History[i], L.History[i]));
    const std::string bytes = fuzz::ReadBytes(first);
    FUZZ_CHECK(bytes.size() == HistoryEntrySize * std::size_t(S.HistoryCount + 1));

    ClearStore(L, defaults);
    L.HistoryCount = 0;
    FUZZ_CHECK(ReadHistory(L, first) == 0);
    FUZZ_CHECK(L.HistoryCount == S.HistoryCount);
    for (int i = 1; i <= S.HistoryCount; ++i) FUZZ_CHECK(SameEntry(L.History[i], S.History[i]));
    FUZZ_CHECK(WriteHistory(L, second) == 0);
    FUZZ_CHECK(fuzz::ReadBytes(second) == bytes);
    return 0;
}
