// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Made-up exports for trying the program without a phone: three message files and one
// contacts file, drawn at random from the word list "kestro.txt".
#include <random>
#include <string>

inline constexpr const char* WordListFileName = "kestro.txt";

// Writes prefix + "_all_messages_from_phone_suite.csv", "_sent_messages_from_classic_suite.csv",
// "_inbox_messages_from_classic_suite.csv" and "_contacts_from_classic_suite.csv" from the
// first `maxLines` lines (of 4 characters or more) of the word list, with `linesPerFile`
// lines per message file and times within the year before `startTime` (days since
// 1899-12-30), drawn from `rng` (the caller seeds it from the clock). Returns the four
// paths, each followed by CR LF; empty when the word list cannot be opened or holds no
// message text. Throws IoError when a file cannot be written.
std::string WriteSampleFiles(const std::string& prefix, const std::string& wordListPath, double startTime,
                             std::mt19937& rng, int maxLines = 1000, int linesPerFile = 2000);

// The word list beside the program (in programDir), else the one in the data folder of
// the prefix the program was installed into, else the one in the configured data folder;
// the first path when none exists.
std::string FindWordList(const std::string& programDir);
