// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What one import command wrote beside the collection: the data files, one per calendar
// year, of phone backups too large for it, which the collection then took nothing of.
#include <QString>

struct YearFilesWritten {
    int Backups = 0;    // backups written by year instead of imported
    QString Newest;     // the newest year's file written; empty: none
    int NewestYear = 0;
    QString Files;      // one line per file written, for a command cancelled later
    QString Notes;      // the report lines of the backup just written, until taken
};
