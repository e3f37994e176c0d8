// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages as a spreadsheet file: UTF-8 with a byte-order mark (so that spreadsheets
// read it as UTF-8), CR LF line ends, fields quoted as RFC 4180 asks, a header line, then
// one line per message. Kestro reads such a file back (CsvExportImport.h).
#include <string>
#include <string_view>

#include "Formats/ExportFields.h"

inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view CsvExportHeader = "Time,Phone,Name,Direction,Message";

// Time "yyyy-mm-dd hh:mm", phone and name as shown, "Sent" or "Received", the whole text
// as shown (line breaks kept inside its quoted field).
std::string CsvExport(const MsgStore& S, ExportRows rows);
// A cell a spreadsheet would take for a formula (one that begins with "=", "+", "-", "@",
// a tab or a carriage return, after any apostrophes) behind one more apostrophe, the usual
// defence against formula injection; `phone` keeps a number of only "+", digits, spaces,
// dashes and brackets as it is. UnguardCsvCell removes exactly that apostrophe, so that
// UnguardCsvCell(GuardCsvCell(x)) == x for every x.
std::string_view GuardCsvCell(std::string_view cell, std::string& room, bool phone = false);
std::string_view UnguardCsvCell(std::string_view cell);
// One field as RFC 4180 writes it: in double quotes (its quotes doubled) when it holds a
// comma, a quote or a line break, as it is otherwise.
void AppendCsvField(std::string& out, std::string_view field);
