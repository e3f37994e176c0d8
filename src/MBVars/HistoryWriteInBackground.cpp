// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/HistoryWriteInBackground.h"

#include <utility>

#include "MBVars/History.h"

HistoryWriteInBackground::~HistoryWriteInBackground() {
    try {
        Finish();
    } catch (...) {
    }
}

void HistoryWriteInBackground::Start(MsgStore& S, const std::string& path) {
    Finish();  // one write at a time
    pending_ = true;
    written_ = false;
    failure_ = nullptr;
    store_ = &S;
    path_ = path;
    task_ = std::make_unique<ImportHelperTask>([this] { Write(); });
}

void HistoryWriteInBackground::Write() noexcept {
    try {
        MergeHistoryWithCollection(*store_);
        result_ = HistoryFileBytes(*store_, path_, bytes_);
        // A file that could not be kept aside stays where it is, unchanged.
        if (result_ == 0) result_ = ReplaceHistoryFile(path_, bytes_);
    } catch (...) {
        failure_ = std::current_exception();
    }
    written_ = true;
}

int HistoryWriteInBackground::Finish() {
    if (!pending_) return 0;
    pending_ = false;
    task_.reset();  // withdrawn if not begun, else waited for
    if (!written_) Write();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return result_;
}
