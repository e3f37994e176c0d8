// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fields of an exported message as every export writes them, and the writing of an
// export file: the messages out again as a spreadsheet, a web page or a document.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

enum class ExportFormat { Csv, Html, Pdf };

// The format a file name's extension asks for (".csv", ".html" or ".htm", ".pdf", in any
// letter case); nothing for another one.
std::optional<ExportFormat> ExportFormatOfPath(std::string_view path);

// The stored time "yyyy.mm.dd hh:mm" as "yyyy-mm-dd hh:mm"; a time that is not of that
// form is read as the grid reads it (unreadable parts count as 0).
std::string ExportTime(std::string_view stored);
// The same, appended to `out`.
void AppendExportTime(std::string& out, std::string_view stored);
// "Sent" for a message with MsgSent, otherwise "Received".
std::string_view ExportDirection(const XMsgRecType& m);

// The store positions an export writes, in the order it writes them.
using ExportRows = std::span<const std::int32_t>;

// Replaces `path` by a complete file holding `bytes` (temporary file, then rename); throws
// IoError naming the file and the reason when it cannot, leaving any old file as it was.
void WriteExportFile(const std::string& path, std::string_view bytes);
