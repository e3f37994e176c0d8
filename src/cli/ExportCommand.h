// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli export FILE.kst --format csv|html|pdf [-o OUT] [--contact PHONE] [--search TEXT]
// [--sent|--received]: the collection as Open loads it (newest first), picked as the
// window's views pick, written as the window's export writes it: to OUT (replaced whole),
// or to standard output.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Formats/HtmlExport.h"

// The PDF document of the rows; the command's library is engine only, so the program
// that paints pages (with Qt) hands it in.
using PdfMaker = std::function<std::string(const MsgStore& S, ExportRows rows, const ExportLook& look)>;

// The exit status: 0; 1 when the collection could not be read or the file written (the
// reason on `err`); 2 for arguments it does not take, and for the PDF format without `pdf`.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const PdfMaker& pdf = {});
