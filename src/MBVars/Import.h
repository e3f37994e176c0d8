// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a phone suite's CSV export of messages or contacts into the store.
#include <cstdint>
#include <string>

#include "MBVars/ImportNotTaken.h"
#include "MBVars/Store.h"

// Appends every acceptable message line (or, for a contacts export, every contact line to
// the contact table). 0 when the file could be read, even when no line was acceptable;
// otherwise the failure code (see PrepareCsvFile; OutOfMemoryCode also when the lines
// did not fit in memory, after the messages added so far). Throws IoError, naming the
// file, when reading fails after opening.
int ImportCsvFile(MsgStore& S, const std::string& path);
// The same, also telling how many message lines, new to the collection, were not added
// because it already held MaxMessages messages.
int ImportCsvFile(MsgStore& S, const std::string& path, std::int32_t& droppedWhenFull);
// The same, adding every message line it left out to `notTaken` by its reason.
int ImportCsvFile(MsgStore& S, const std::string& path, ImportNotTaken& notTaken);
// A suite's export (messages or contacts) only, from a file opened by the caller and read
// from where it stands, adding every message line it left out to `notTaken`.
int ImportCsvFrom(MsgStore& S, class FileReader& file, const std::string& path, ImportNotTaken& notTaken);
