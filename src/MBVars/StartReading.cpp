// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/StartReading.h"

#include <system_error>
#include <utility>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/LoadSequences.h"

StartRead ReadAtStart(const std::string& historyPath, const std::string& dataPath, const DefaultsType& D) {
    StartRead read;
    read.Defaults = D;
    try {
        read.HistoryError = ReadHistory(read.Store, historyPath);
    } catch (...) {
        read.HistoryFailure = std::current_exception();
        read.Store.HistoryIncomplete = true;  // whatever it was, the file is not replaced unseen
    }
    if (dataPath.empty()) return read;
    read.Reopened = true;
    try {
        // A file refused at its start leaves the store's collection as it is.
        if ((read.OpenError = CheckDataFileStart(dataPath)) != 0) return read;
        read.CollectionRead = true;
        read.OpenError = ReopenCheckedCollection(read.Store, read.Defaults, dataPath);
    } catch (...) {
        read.OpenFailure = std::current_exception();
    }
    return read;
}

std::future<StartRead> ReadAtStartInBackground(std::string historyPath, std::string dataPath, DefaultsType D) {
    auto work = [historyPath = std::move(historyPath), dataPath = std::move(dataPath), D = std::move(D)] {
        return ReadAtStart(historyPath, dataPath, D);
    };
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, work);
    }
}

void AdoptStartRead(MsgStore& S, DefaultsType& D, StartRead& read) {
    MsgStore& from = read.Store;
    S.History.swap(from.History);
    S.HistoryCount = from.HistoryCount;
    S.HistoryIncomplete = from.HistoryIncomplete;
    if (!read.CollectionRead) return;
    S.Messages.swap(from.Messages);
    S.Contacts.swap(from.Contacts);
    S.ViewIndex.swap(from.ViewIndex);
    S.MessageCount = from.MessageCount;
    S.SentCount = from.SentCount;
    S.ReceivedCount = from.ReceivedCount;
    S.ColoredCount = from.ColoredCount;
    S.Modified = from.Modified;
    S.ContactCount = from.ContactCount;
    S.ViewCount = from.ViewCount;
    S.ViewMask = from.ViewMask;
    // What reopening sets besides the store: the sort column and the view mode.
    D.SortColumn = read.Defaults.SortColumn;
    D.ViewMode = read.Defaults.ViewMode;
}
