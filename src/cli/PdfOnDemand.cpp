// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PdfOnDemand.h"

#include "OFuncs/IoError.h"
#include "OFuncs/OnDemandLibrary.h"

std::string PdfExportOnDemand(const MsgStore& S, ExportRows rows, const ExportLook& look) {
    static void* entry = nullptr;
    static const OnDemandLibrary library =
        OpenOnDemandLibrary(FindOnDemandLibrary(PdfLibraryFileName), "KestroPdfExport", entry);
    if (!entry) throw IoError(library.Problem);
    std::string pdf;
    reinterpret_cast<decltype(&KestroPdfExport)>(entry)(S, rows.data(), rows.size(), look, pdf);
    return pdf;
}
