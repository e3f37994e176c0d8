// SPDX-License-Identifier: GPL-3.0-or-later
// The one entry of kestro-pdf.so, the PDF export with Qt's painting, which kestro-cli opens
// only for --format pdf (cli/PdfOnDemand.h): Qt costs its other commands nothing.
#include "cli/PdfFormat.h"
#include "cli/PdfOnDemand.h"

extern "C" __attribute__((visibility("default"))) void KestroPdfExport(const MsgStore& S, const std::int32_t* rows,
                                                                       std::size_t count, const ExportLook& look,
                                                                       std::string& pdf) {
    pdf = CliPdfExport(S, ExportRows(rows, count), look);
}
