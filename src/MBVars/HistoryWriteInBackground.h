// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The history written at the end of an import while the window repaints: the table is
// brought up to date, the file's bytes are made and the file replaced, with its flush to
// disk, on the import's helper thread. Until Finish the caller leaves the store's history
// (its table, count and what is kept aside) alone and changes no message's phone, name
// or colour; reading the messages is safe. Without a helper (or when it has not begun yet
// by the time the result is asked for) the caller does it all, at Finish.
#include <exception>
#include <memory>
#include <string>

#include "MBVars/ImportHelper.h"
#include "MBVars/Store.h"

class HistoryWriteInBackground {
public:
    HistoryWriteInBackground() = default;
    HistoryWriteInBackground(const HistoryWriteInBackground&) = delete;
    HistoryWriteInBackground& operator=(const HistoryWriteInBackground&) = delete;
    // Waits for a write still under way; a failure Finish did not collect is dropped (the
    // caller is already leaving by an exception of its own).
    ~HistoryWriteInBackground();

    // WriteHistory(S, path) begins; S must outlive Finish.
    void Start(MsgStore& S, const std::string& path);
    // The write's end: WriteHistory's result, or its IoError thrown. 0 when nothing was
    // started; each start's result is given once.
    int Finish();

private:
    void Write() noexcept;

    MsgStore* store_ = nullptr;
    std::string path_;
    std::string bytes_;
    int result_ = 0;
    bool pending_ = false;  // started, its result not given yet
    bool written_ = false;  // the write ran (on whichever thread)
    std::exception_ptr failure_;
    std::unique_ptr<ImportHelperTask> task_;
};
