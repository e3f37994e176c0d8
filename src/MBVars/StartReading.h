// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a start reads before the window shows anything: the contact history, and the last
// saved collection when one is to be reopened. Both are read into a store of their own, so
// that the reading can run on a thread of its own while the window is being built.
#include <exception>
#include <future>
#include <string>

#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

struct StartRead {
    MsgStore Store;                     // the history, and the reopened collection
    DefaultsType Defaults;              // the settings as reopening left them
    int HistoryError = 0;               // ReadHistory's result
    std::exception_ptr HistoryFailure;  // what ReadHistory threw
    bool Reopened = false;              // a data file was named
    bool CollectionRead = false;        // it began as a data file: the collection was replaced
    int OpenError = 0;                  // ReopenCollection's result
    std::exception_ptr OpenFailure;     // what ReopenCollection threw
};

// ReadHistory, then ReopenCollection when `dataPath` is not empty, on a store of their own,
// each with its failure kept instead of thrown.
StartRead ReadAtStart(const std::string& historyPath, const std::string& dataPath, const DefaultsType& D);
// The same on a thread of its own (or, when no thread can be had, when the result is asked
// for).
std::future<StartRead> ReadAtStartInBackground(std::string historyPath, std::string dataPath, DefaultsType D);
// Makes what was read the store's: the history always, the collection when the named file
// began as a data file (as ReopenCollection leaves it, also after a later read error). The
// failures are left for the caller to tell.
void AdoptStartRead(MsgStore& S, DefaultsType& D, StartRead& read);
