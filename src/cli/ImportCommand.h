// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli import FILE... [-o OUT.kst] [--history FILE.hst] [--keep-duplicates] [--no-history]:
// imports the exports into an empty store, finishes the collection as the window's import
// does, and prints the listing and the import report's count line.
#include <ostream>
#include <string>
#include <vector>

// Returns the exit status: 0; 1 when a file could not be read or written (the other files
// are still imported, and the reason goes to `err`; after an input that could not be read,
// neither the data file nor the history is written); 2 for arguments it does not take.
int RunImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
