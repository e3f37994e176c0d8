// SPDX-License-Identifier: GPL-3.0-or-later
// The data file reader on any bytes: it reads what fits (or stops with an input/output
// error, keeping what was read), leaves no slot above the count filled, and what it read
// makes a file that reads back to the same messages and writes again to the same bytes.
// Whatever it read then goes through the reopening at start (names, order, contacts,
// view, numbering) and the activity figures, as the window would show them.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzDataFile.h"
#include "FuzzSupport.h"
#include "Lang/LocaleInfo.h"
#include "MBVars/Contacts.h"
#include "MBVars/DataFile.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/Stats.h"
#include "MBVars/Store.h"
#include "OFuncs/IoError.h"

namespace {

bool EmptySlot(const XMsgRecType& m) {
    return m.Flags == 0 && m.Serial == 0 && m.Color == 0 && m.Reserved == 0 && m.Time.empty() &&
           m.Phone.empty() && m.Name.empty() && m.Text.empty();
}

// The start-up reopening of the file, then every figure of the statistics.
void ReopenWhatWasRead(MsgStore& S, DefaultsType& defaults, const std::string& path) {
    ClearStore(S, defaults);
    S.HistoryCount = 0;
    defaults.UseHistory = true;
    try {
        FUZZ_CHECK(ReopenCollection(S, defaults, path) == 0);
    } catch (const IoError&) {
        // The sequence ran on what was read.
    }
    // The view holds every message but those whose flags are all clear, which only a
    // foreign file can bring.
    int flagged = 0;
    for (int k = 1; k <= S.MessageCount; ++k) flagged += S.Messages[k].Flags != 0;
    FUZZ_CHECK(!S.Modified && S.ViewCount == flagged);
    std::vector<int> serials;
    for (int k = 1; k <= S.MessageCount; ++k) serials.push_back(S.Messages[k].Serial);
    std::sort(serials.begin(), serials.end());
    for (int k = 1; k <= S.MessageCount; ++k) FUZZ_CHECK(serials[std::size_t(k - 1)] == k);
    FUZZ_CHECK(S.ContactCount >= 0 && S.ContactCount <= MaxContacts);

    const LocaleInfo english = LocaleInfo::English();
    ActivityTotals totals;
    ComputeActivity(S, "", totals);
    int oneDirection = 0;
    for (int k = 1; k <= S.MessageCount; ++k) {
        const int direction = S.Messages[k].Flags & (MsgSent | MsgReceived);
        oneDirection += direction == MsgSent || direction == MsgReceived;
    }
    FUZZ_CHECK(totals.Slot[ActivityAll].Count == oneDirection);
    (void)ActivitySummaryText(totals, english);
    long long rowCounts = 0;
    for (const ActivityRow& row : ContactActivityRows(S)) {
        rowCounts += row.Activity.Slot[ActivityAll].Count;
        for (int column = 0; column < StatsColumnCount; ++column) {
            (void)StatsCellText(row, column, english);
            (void)StatsBreakdownText(row, column, english);
        }
    }
    FUZZ_CHECK(rowCounts <= oneDirection);  // no message counted in two rows
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ScratchDir& dir = fuzz::ScratchDir::Get();
    const std::string given = dir.Path("given.kst"), first = dir.Path("first.kst"), second = dir.Path("second.kst");
    fuzz::WriteBytes(given, std::string_view(reinterpret_cast<const char*>(data), size));

    DefaultsType defaults;
    MsgStore& S = fuzz::KeptStore(0);
    ClearStore(S, defaults);
    try {
        FUZZ_CHECK(ReadDataFile(S, given) == 0);
    } catch (const IoError&) {
        // A file cut short or of another layout: what was read stays.
    }
    FUZZ_CHECK(S.MessageCount >= 0 && S.MessageCount <= MaxMessages);
    FUZZ_CHECK(S.Messages.size() >= std::size_t(S.MessageCount) + 1 && S.Messages.size() <= std::size_t(MaxMessages) + 1);
    for (std::size_t k = std::size_t(S.MessageCount) + 1; k < S.Messages.size(); ++k) FUZZ_CHECK(EmptySlot(S.Messages[k]));
    for (int k = 1; k <= S.MessageCount; ++k) FUZZ_CHECK(S.Messages[k].Text.size() <= MaxTextLength);

    MsgStore& R = fuzz::KeptStore(1);
    fuzz::CheckDataFileRoundTrip(S, R, first, second);

    ReopenWhatWasRead(R, defaults, given);
    return 0;
}
