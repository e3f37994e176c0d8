// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading Kestro's own spreadsheet export back (CsvExport.h), recognised by its header
// line: the messages come back with their time, phone, name, direction and text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

// Whether a file beginning with `head` is such an export: the header line, after an
// optional byte-order mark, ended by CR LF or LF.
bool IsCsvExportStart(std::string_view head);

// Appends every message line of the export that the store does not already hold (the
// import's already-held rule, a text also counting as held in its Windows-1252 form) while
// the store has room; returns how many new lines found it full. Lines that are not five
// fields of a time "yyyy-mm-dd hh:mm", a phone, a name, "Sent" or "Received" and a text are
// passed over.
std::int32_t ImportCsvExportBytes(MsgStore& S, std::string_view bytes);

// The import's hook: nothing when `path` is not such an export (or cannot be opened: the
// ordinary import then says why); otherwise the import's result, 0 or a failure code.
// Throws IoError, naming the file, when reading fails.
std::optional<int> ImportCsvExportFile(MsgStore& S, const std::string& path, std::int32_t& droppedWhenFull);
// The same for a file opened by the caller, read from where it stands.
std::optional<int> ImportCsvExportFrom(MsgStore& S, class FileReader& file, const std::string& path,
                                       std::int32_t& droppedWhenFull);
