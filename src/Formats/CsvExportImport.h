// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading Kestro's own spreadsheet export back (CsvExport.h), recognised by its header
// line: the messages come back with their time, phone, name, direction and text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MBVars/ImportNotTaken.h"
#include "MBVars/Store.h"

// Whether a file beginning with `head` is such an export: the header line, after an
// optional byte-order mark, ended by CR LF or LF.
bool IsCsvExportStart(std::string_view head);

// Appends every message line of the export that the store does not already hold (the
// import's already-held rule, a text also counting as held in its Windows-1252 form) while
// the store has room; returns how many new lines found it full. Records that are not five
// fields are passed over; a record without a time "yyyy-mm-dd hh:mm", without a phone, or
// neither "Sent" nor "Received" is left out and counted, when `notTaken` is given, with the
// messages held already and those that found the store full.
std::int32_t ImportCsvExportBytes(MsgStore& S, std::string_view bytes, ImportNotTaken* notTaken = nullptr);

// The import's hook: nothing when `path` is not such an export (or cannot be opened: the
// ordinary import then says why); otherwise the import's result, 0 or a failure code.
// Throws IoError, naming the file, when reading fails.
std::optional<int> ImportCsvExportFile(MsgStore& S, const std::string& path, ImportNotTaken& notTaken);
// The same for a file opened by the caller, read from where it stands.
std::optional<int> ImportCsvExportFrom(MsgStore& S, class FileReader& file, const std::string& path,
                                       ImportNotTaken& notTaken);
