// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli merge BACKUP.xml... -o MERGED.xml [--skip-damaged]: writes one phone backup
// holding every message of the inputs once, and prints the report.
#include <ostream>
#include <string>
#include <vector>

// Returns the exit status: 0 when written; 1 when an input could not be read, is no backup
// or is damaged (without --skip-damaged), or the output could not be written, with nothing
// written and the reason on `err`; 2 for arguments it does not take.
int RunMergeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
