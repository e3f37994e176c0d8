// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/LoadSequences.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "Lang/HomeCountry.h"
#include "MBVars/Contacts.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/HistoryWriteInBackground.h"
#include "MBVars/ImportHelper.h"
#include "MBVars/NumberForms.h"
#include "MBVars/Ordering.h"
#include "MBVars/Removal.h"
#include "MBVars/ShellOrder.h"
#include "OFuncs/IoError.h"

namespace {
constexpr int ByTime = 1;  // grid column 1
constexpr int Descending = 0, Ascending = 1;

// Contacts 1..ContactCount, and so the record the table's sort left in slot 0, hold the same totals.
bool ContactTotalsAlike(const MsgStore& S) {
    for (std::int32_t c = 2; c <= S.ContactCount; ++c)
        if (!(S.Contacts[c].Activity == S.Contacts[1].Activity)) return false;
    return true;
}

// Below this many messages the duplicates are found faster than a thread is woken.
constexpr std::int32_t FindDuplicatesAsideFrom = 2048;

// The duplicates of the sorted messages, found on the import's helper thread while the
// calling thread makes the contacts, the view and the numbers: those change no message's
// phone, text or colour, nor the order, which is all the finding reads. When the helper
// cannot take it (none, busy, not begun in time, out of memory) the caller finds them.
class DuplicatesFoundAside {
public:
    explicit DuplicatesFoundAside(const MsgStore& S) : S_(S) {
        if (S.MessageCount >= FindDuplicatesAsideFrom) task_.emplace([this] { Find(); });
    }
    std::vector<std::int32_t> Take() {
        task_.reset();  // withdrawn if not begun, else waited for
        return found_ ? std::move(duplicates_) : FindDuplicates(S_);
    }

private:
    void Find() noexcept {
        try {
            duplicates_ = FindDuplicates(S_);
            found_ = true;
        } catch (...) {
        }
    }
    const MsgStore& S_;
    std::vector<std::int32_t> duplicates_;
    bool found_ = false;
    std::optional<ImportHelperTask> task_;  // last: ended before what it writes goes
};
}  // namespace

FinishImportResult FinishImport(MsgStore& S, DefaultsType& D, const FinishImportOptions& options) {
    FinishImportResult result;
    S.Book.HomeCountry = EffectiveHomeCountry(D.HomeCountry);
    RewriteHeldNumbersInternationally(S, NumberForms(S.Book.HomeCountry), D.InternationalNumbers);
    result.Blocked = FitNames(S, options.UseHistory);
    SortMessages(S, D, ByTime, Descending);
    std::optional<DuplicatesFoundAside> duplicates;
    if (options.RemoveDups) duplicates.emplace(S);
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, ViewEverything);
    // A second build from the same messages gives the same table, except that the totals the
    // slots held pass through the order once more: nothing changes when they are all alike.
    if (!ContactTotalsAlike(S)) BuildContacts(S, ContactsByPhone, true);
    Renumber(S);
    // Sorting again would change nothing: the store is in order (removing duplicates keeps
    // the order of the rest) and every message of a phone already has the same name and
    // colour. What is left of that sort is its count, which only removing can change.
    if (options.RemoveDups) {
        result.DuplicatesRemoved = RemoveFoundDuplicates(S, duplicates->Take(), true);
        CountMessages(S);
    }
    D.SortColumn = ByTime;
    S.Modified = true;
    if (options.HistoryPath.empty()) return result;
    if (options.HistoryWriter)
        options.HistoryWriter->Start(S, options.HistoryPath);
    else
        result.HistoryError = WriteHistory(S, options.HistoryPath);
    return result;
}

std::int32_t FinishImport(MsgStore& S, DefaultsType& D, const std::string& historyPath,
                          HistoryWriteInBackground* historyWriter) {
    return FinishImport(S, D, FinishImportOptions{D.UseHistory, D.RemoveDups, historyPath, historyWriter}).Blocked;
}

NumbersRefitted RefitNumbers(MsgStore& S, const DefaultsType& D) {
    NumbersRefitted refitted;
    S.Book.HomeCountry = EffectiveHomeCountry(D.HomeCountry);
    std::vector<NameText> names(static_cast<std::size_t>(S.MessageCount) + 1);
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) names[static_cast<std::size_t>(n)] = S.Messages[static_cast<std::size_t>(n)].Name;
    refitted.Renumbered = RewriteHeldNumbersInternationally(S, NumberForms(S.Book.HomeCountry), D.InternationalNumbers);
    BuildContacts(S, ContactsByPhone, true);  // the table the names are fitted from, by the numbers as they are now
    FitNames(S, false);  // the history's names were fitted when the messages came; its blocked numbers are gone
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        if (S.Messages[static_cast<std::size_t>(n)].Name != names[static_cast<std::size_t>(n)]) ++refitted.Renamed;
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, S.ViewMask != 0 ? S.ViewMask : ViewEverything);
    if (refitted.Renumbered > 0 || refitted.Renamed > 0) S.Modified = true;
    return refitted;
}

int OpenCollection(MsgStore& S, DefaultsType& D, const std::string& path) {
    // Read into a table of its own first: a file that cannot be opened or read leaves the
    // collection as it was. Only the messages are read aside, not a whole store.
    std::vector<XMsgRecType> messages;
    std::int32_t count = 0;
    if (const int err = ReadDataFileMessages(messages, count, path)) return err;
    ClearStore(S, D);
    // The table keeps every slot it had: an index the window still holds stays in bounds.
    if (messages.size() < S.Messages.size()) messages.resize(S.Messages.size());
    S.Messages.swap(messages);
    S.MessageCount = count;

    S.Book.HomeCountry = EffectiveHomeCountry(D.HomeCountry);
    FitNames(S, true);
    // Sorted oldest first to build the contacts and view and to number the messages, then
    // newest first: both orders are worked out on the keys, and the messages move once. The
    // keys are ranked once: after the first sort every message of a phone has the same name
    // and colour, so the second sort's spreading of them changes nothing and its keys are
    // the first sort's in their new places. The second order is still run whole, since equal
    // keys do not simply come back in reverse.
    SpreadNamesAndColours(S);
    const std::vector<std::int32_t> keys = *ColumnRanks(S, ByTime);
    const std::vector<std::int32_t> oldestFirst = ShellSortOrderByChains(keys, Ascending != 0);
    BuildContactsInOrder(S, ContactsByPhone, oldestFirst);
    BuildViewInOrder(S, ViewEverything, oldestFirst);
    std::vector<std::int32_t> keysNow(keys.size());
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const auto message = static_cast<std::size_t>(oldestFirst[k]);
        S.Messages[message + 1].Serial = static_cast<std::uint16_t>(k + 1);  // numbered oldest first
        keysNow[k] = keys[message];
    }
    std::vector<std::int32_t> newestFirst = ShellSortOrderByChains(std::move(keysNow), Descending != 0);
    for (std::int32_t& place : newestFirst) place = oldestFirst[static_cast<std::size_t>(place)];
    ApplyOrder(S.Messages, 1, newestFirst);
    D.SortColumn = ByTime;
    CountMessages(S);
    S.Modified = false;
    return 0;
}

int ReopenCollection(MsgStore& S, DefaultsType& D, const std::string& path) {
    // A file that cannot be opened, or is not a data file, leaves the store untouched.
    if (const int err = CheckDataFileStart(path)) return err;
    return ReopenCheckedCollection(S, D, path);
}

int ReopenCheckedCollection(MsgStore& S, DefaultsType& D, const std::string& path) {
    ClearStore(S, D);
    std::exception_ptr readError;
    try {
        if (const int err = ReadDataFile(S, path)) return err;
    } catch (const IoError&) {
        readError = std::current_exception();  // what was read stays and is shown
    }
    S.Book.HomeCountry = EffectiveHomeCountry(D.HomeCountry);
    FitNames(S, D.UseHistory);
    SortMessages(S, D, ByTime, Descending);
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, ViewEverything);
    Renumber(S);
    S.Modified = false;
    if (readError) std::rethrow_exception(readError);
    return 0;
}
