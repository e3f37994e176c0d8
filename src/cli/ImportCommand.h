#pragma once
// kestro-cli import FILE...: imports the exports into an empty store, orders it newest
// first and prints the listing.
#include <ostream>
#include <string>
#include <vector>

// Returns the exit status: 0, or 1 when a file could not be read (the others are still
// imported, and the reason goes to `err`).
int RunImportCommand(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);
