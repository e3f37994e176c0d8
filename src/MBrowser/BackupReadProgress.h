// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a phone backup on a helper thread while the window stays responsive, with a
// progress window (bytes read, messages found) and Cancel once it takes more than a moment.
#include <QString>
#include <functional>

#include "Formats/SmsBackupReader.h"

class QWidget;

// Runs `read` (which must pass the progress it is given on to the reader) on a helper thread
// and returns its result once it has ended; an exception it throws is thrown here. Cancel
// makes the progress say stop, and the result is ECANCELED even when the reading had
// already ended.
int ReadWithProgress(QWidget* parent, const QString& file, const std::function<int(const BackupProgress&)>& read);
// The same for any long work that reports two counts: `label` makes the progress window's
// text of the counts last reported, `title` the window's title.
int RunWithProgress(QWidget* parent, const std::function<QString(std::uint64_t, std::int64_t)>& label,
                    const std::function<int(const BackupProgress&)>& work,
                    const QString& title = QStringLiteral("Importing"));
