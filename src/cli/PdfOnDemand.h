// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli's PDF export from kestro-pdf.so, a shared object built with the program and
// opened on the first PDF export, so that no other command loads Qt.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Formats/HtmlExport.h"

// The entry of kestro-pdf.so; built by the same build as the program, so C++ types pass.
extern "C" void KestroPdfExport(const MsgStore& S, const std::int32_t* rows, std::size_t count, const ExportLook& look,
                                std::string& pdf);
inline constexpr const char* PdfLibraryFileName = "kestro-pdf.so";

// The PDF as CliPdfExport paints it; throws IoError naming the file and the loader's reason
// when kestro-pdf.so cannot be loaded.
std::string PdfExportOnDemand(const MsgStore& S, ExportRows rows, const ExportLook& look);
