// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli commands over a data file and the sample exports.
#include <ostream>
#include <string>
#include <vector>

// kestro-cli dump FILE.kst: the listing of the file's messages in the file's order.
int RunDumpCommand(const std::string& file, std::ostream& out, std::ostream& err);
// kestro-cli summary FILE.kst: the activity summary, dates as yyyy.mm.dd.
int RunSummaryCommand(const std::string& file, std::ostream& out, std::ostream& err);
// kestro-cli samples DIR: the four sample exports and their paths, from the word list in
// `programDir` (or the installed one).
int RunSamplesCommand(const std::string& folder, const std::string& programDir, std::ostream& out,
                      std::ostream& err);
// kestro-cli activity FILE.kst [--by month|weekday|hour] [--contact PHONE]: sent and
// received messages per period; messages whose time is not a valid date are left out and
// counted on `err`.
int RunActivityCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
