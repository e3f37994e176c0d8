#pragma once
// Reading a phone suite's CSV export of messages or contacts into the store.
#include <cstdint>
#include <string>

#include "MBVars/Store.h"

// Appends every acceptable message line (or, for a contacts export, every contact line to
// the contact table). 0 when the file could be read, even when no line was acceptable;
// otherwise the errno of opening it.
int ImportCsvFile(MsgStore& S, const std::string& path);
// The same, also telling how many message lines, new to the collection, were not added
// because it already held MaxMessages messages.
int ImportCsvFile(MsgStore& S, const std::string& path, std::int32_t& droppedWhenFull);
