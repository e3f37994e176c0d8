// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exported messages laid out on pages, for the PDF export and for printing: the title
// on the first page, a header row on every page, the five columns of the other exports with
// their texts wrapped (a text longer than a page goes on over the next), the rows coloured
// as the web page colours them, and "Page n of m" at the foot of each page.
#include <QByteArray>
#include <QLocale>
#include <QPageSize>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "Formats/HtmlExport.h"
#include "MBVars/Store.h"

class QFont;
struct MessageMedia;
class QPagedPaintDevice;

// The emoji font of the pages: vector outlines that a PDF embeds (Debian's fonts-symbola).
inline constexpr const char* PageEmojiFamily = "Symbola";
// The pages' font: the desktop's sans-serif, then the emoji font for what it lacks.
QFont PageFont();

// Called now and then with the rows laid out or painted so far (of twice the rows in
// all); false cancels.
using PageProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// A4, or Letter where the locale's paper is Letter (the Americas' Letter countries and the
// Philippines).
QPageSize PaperForLocale(const QLocale& locale);

// The locale's paper with the pages' margins.
void SetUpPages(QPagedPaintDevice& device, const QLocale& locale);

// Paints the rows on the device, one page after another (the device is already set to its
// page size and margins); false when `progress` cancelled. `painted`, when given, receives
// the texts drawn that may hold characters beyond the cells' own (title, cells, messages),
// in the order drawn. With `media`, each message's pictures are placed under its text,
// scaled to the column, and its other media are named there.
bool PaintMessagePages(QPagedPaintDevice& device, const MsgStore& S, ExportRows rows, const ExportLook& look,
                       const PageProgress& progress = {}, QStringList* painted = nullptr,
                       const MessageMedia* media = nullptr);

// The rows as a PDF document on the locale's paper; empty when cancelled.
QByteArray PdfExport(const MsgStore& S, ExportRows rows, const ExportLook& look, const QLocale& locale,
                     const PageProgress& progress = {}, const MessageMedia* media = nullptr);
