#include "MBVars/LoadSequences.h"

#include <exception>
#include <utility>

#include "MBVars/Contacts.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/Ordering.h"
#include "MBVars/Removal.h"
#include "OFuncs/IoError.h"

namespace {
constexpr int ByTime = 1;  // grid column 1
constexpr int Descending = 0, Ascending = 1;
}  // namespace

FinishImportResult FinishImport(MsgStore& S, DefaultsType& D, const FinishImportOptions& options) {
    FinishImportResult result;
    result.Blocked = FitNames(S, options.UseHistory);
    SortMessages(S, D, ByTime, Descending);
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, ViewEverything);
    BuildContacts(S, ContactsByPhone, true);
    Renumber(S);
    if (options.RemoveDups) RemoveDuplicates(S, true);
    SortMessages(S, D, ByTime, Descending);
    if (!options.HistoryPath.empty()) result.HistoryError = WriteHistory(S, options.HistoryPath);
    return result;
}

std::int32_t FinishImport(MsgStore& S, DefaultsType& D, const std::string& historyPath) {
    return FinishImport(S, D, FinishImportOptions{D.UseHistory, D.RemoveDups, historyPath}).Blocked;
}

int OpenCollection(MsgStore& S, DefaultsType& D, const std::string& path) {
    // Read into a store of its own first: a file that cannot be opened or read leaves the
    // collection as it was.
    MsgStore read;
    if (const int err = ReadDataFile(read, path)) return err;
    ClearStore(S, D);
    S.Messages.swap(read.Messages);
    S.MessageCount = read.MessageCount;

    FitNames(S, true);
    SortMessages(S, D, ByTime, Ascending);
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, ViewEverything);
    Renumber(S);  // oldest first
    SortMessages(S, D, ByTime, Descending);
    S.Modified = false;
    return 0;
}

int ReopenCollection(MsgStore& S, DefaultsType& D, const std::string& path) {
    // A file that cannot be opened, or is not a data file, leaves the store untouched.
    if (const int err = CheckDataFileStart(path)) return err;
    ClearStore(S, D);
    std::exception_ptr readError;
    try {
        if (const int err = ReadDataFile(S, path)) return err;
    } catch (const IoError&) {
        readError = std::current_exception();  // what was read stays and is shown
    }
    FitNames(S, D.UseHistory);
    SortMessages(S, D, ByTime, Descending);
    BuildContacts(S, ContactsByPhone, true);
    BuildView(S, ViewEverything);
    Renumber(S);
    S.Modified = false;
    if (readError) std::rethrow_exception(readError);
    return 0;
}
