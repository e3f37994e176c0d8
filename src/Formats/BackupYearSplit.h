// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Phone backups too large for one collection, split into one data file per calendar year,
// each holding the newest messages of its year that fit.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "MBVars/LoadSequences.h"
#include "Formats/SmsBackupImport.h"

struct YearFile {
    int Year = 0;
    std::string Path;
    std::int32_t Messages = 0;
    std::int64_t OlderLeftOut = 0;  // the year's older messages that did not fit
};

// Where and how the years are written.
struct YearWriting {
    std::string Dir;
    FinishImportOptions Finish;
    std::string HomeCountry;  // whose national numbers the messages hold; empty: the locale's
    // False for a year whose file is to be left as it is; every year is written without it.
    std::function<bool(int year)> Wanted;
    // Before each file: the files written so far and their messages; false stops there.
    BackupProgress Progress;
    // The media folder the backup's media were written into while it was read (empty:
    // none): each year's file gets its own media folder (YYYY.media) with those of its
    // messages.
    std::string MediaFrom;
};

class BackupYearSplit {
public:
    // Each year's collection starts with the history and the address books of `names` (for
    // its names and blocked numbers), as they are when the year's first message comes.
    explicit BackupYearSplit(const MsgStore& names);
    ~BackupYearSplit();
    void Offer(BackupMessage& m);
    // How many messages were left out of a year that had more than a collection holds.
    std::int64_t OlderLeftOut() const;
    // The years offered so far, oldest first (before Write).
    std::vector<int> Years() const;
    // The path of the year's file in `dir`: dir/YYYY.kst.
    static std::string PathOf(const std::string& dir, int year);
    // Finishes each year `how` wants as an import and writes its file into how.Dir, oldest
    // year first; `written` lists each file as soon as it is written, so that it tells which
    // were when one fails. Throws IoError naming the file when one cannot be written; the
    // files written before stay.
    void Write(const YearWriting& how, std::vector<YearFile>& written);

private:
    struct Year;
    const MsgStore& names_;
    FirstNames firstNames_;  // of the whole backup, whatever the year
    std::map<int, std::unique_ptr<Year>> years_;  // a year is let go once written
    std::int64_t leftOutWritten_ = 0;
};
