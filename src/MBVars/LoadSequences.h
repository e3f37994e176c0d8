// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The store sequences that bring a collection into shape after it was filled: the end of
// an import, opening a data file, and reopening the last saved file at start.
#include <cstdint>
#include <string>

#include "MBVars/Defaults.h"
#include "MBVars/ImportNotTaken.h"
#include "MBVars/Store.h"

class HistoryWriteInBackground;

// What the end of an import does besides sorting; a command-line caller chooses freely,
// the window takes them from its settings.
struct FinishImportOptions {
    bool UseHistory = true;   // names and colours from the history; its blocked numbers go
    bool RemoveDups = false;  // duplicates go (RemoveDuplicates)
    std::string HistoryPath;  // the history is written there; empty: not written
    // When set, the history is merged and its file written through it (started here, its
    // result from its Finish; the store's history is the writer's until then) rather than
    // before FinishImport returns.
    HistoryWriteInBackground* HistoryWriter = nullptr;
};

struct FinishImportResult {
    std::int32_t Blocked = 0;  // messages removed as blocked
    std::int32_t DuplicatesRemoved = 0;
    int HistoryError = 0;      // 0, or the errno of creating the history file (when written here)

    // What the end of the import left out, added to what the files left out.
    void AddTo(ImportNotTaken& notTaken) const {
        notTaken[NotTakenReason::Blocked] += Blocked;
        notTaken[NotTakenReason::AlreadyHeld] += DuplicatesRemoved;
    }
};

// After the last imported file: fits names (removing blocked numbers' messages), sorts
// newest first, rebuilds the contacts and the view over every message, numbers the
// messages, removes duplicates when asked, sorts again and writes the history.
FinishImportResult FinishImport(MsgStore& S, DefaultsType& D, const FinishImportOptions& options);
// The same with UseHistory and RemoveDups from D; returns the number blocked.
std::int32_t FinishImport(MsgStore& S, DefaultsType& D, const std::string& historyPath,
                          HistoryWriteInBackground* historyWriter = nullptr);

// What applying the home country to the open collection changed.
struct NumbersRefitted {
    std::int32_t Renumbered = 0;  // messages whose number is now written in international form
    std::int32_t Renamed = 0;     // messages whose name changed
};
// After the home country (or D.InternationalNumbers) changed: the held numbers take their
// international forms (RewriteHeldNumbersInternationally), the contact table's and address
// books' names are fitted again and each person takes one name, the contacts and the view
// (of S.ViewMask) are rebuilt. The messages keep their places; no message goes.
NumbersRefitted RefitNumbers(MsgStore& S, const DefaultsType& D);

// Opens a data file as the collection: 0, or the errno of opening it, in which case the
// store is untouched. A file that is not a data file, or ends early, throws IoError and
// the store keeps its old collection too. Otherwise the history is applied (its blocked
// numbers always go), serials run from the oldest message, the store ends newest first
// and is not modified.
int OpenCollection(MsgStore& S, DefaultsType& D, const std::string& path);

// The reopen of the last saved file at start: clears the store, reads the file as far as it
// goes, applies the history when D.UseHistory, sorts newest first, rebuilds contacts and
// view, numbers the messages in that order; not modified. 0, or the errno of opening, or
// NotDataFileError for a file that does not begin as a data file: in those cases the store
// is untouched. A later read error is thrown after the sequence ran on what was read.
int ReopenCollection(MsgStore& S, DefaultsType& D, const std::string& path);
// The same after CheckDataFileStart accepted the file: the store is cleared first.
int ReopenCheckedCollection(MsgStore& S, DefaultsType& D, const std::string& path);
