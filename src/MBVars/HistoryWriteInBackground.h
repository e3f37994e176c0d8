#pragma once
// The history written at the end of an import while the window repaints: the table is
// brought up to date and the file's bytes are made on the calling thread; only the
// replacing of the file, with its flush to disk, runs on the import's helper thread, which
// so touches nothing of the store. Without a helper (or when it has not begun yet by the
// time the result is asked for) the file is written by the caller, at Finish.
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

    // As WriteHistory(S, path), up to the writing of the file, which begins.
    void Start(MsgStore& S, const std::string& path);
    // The write's end: WriteHistory's result, or its IoError thrown. 0 when nothing was
    // started; each start's result is given once.
    int Finish();

private:
    void Write() noexcept;

    std::string path_;
    std::string bytes_;
    int result_ = 0;
    bool pending_ = false;  // started, its result not given yet
    bool written_ = false;  // the file's write ran (on whichever thread)
    std::exception_ptr failure_;
    std::unique_ptr<ImportHelperTask> task_;
};
