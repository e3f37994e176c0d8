// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kestro-cli's PDF export: the window's pages, painted without a window. Built only where
// Qt is (not with KESTRO_ENGINE_ONLY).
#include <string>

#include "Formats/HtmlExport.h"

// The rows as the window's PDF export writes them, on the locale's paper. Runs Qt's
// painting on its offscreen platform for the call: no display is needed. Call it only
// where no other Qt application object exists.
std::string CliPdfExport(const MsgStore& S, ExportRows rows, const ExportLook& look);
