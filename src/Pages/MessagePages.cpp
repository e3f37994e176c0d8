// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pages/MessagePages.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
#include <memory>

#include "Formats/MessageMedia.h"
#include "OFuncs/DisplayText.h"
#include "Pages/MediaPicture.h"
#include "Pages/PdfText.h"
#include "Pages/Shaping.h"
#include "Platform/ColorRef.h"

namespace {
constexpr int Columns = 5;
constexpr double ColumnShare[Columns] = {0.19, 0.18, 0.13, 0.10, 0.40};  // numbers of 15 digits whole
const char* const ColumnTitle[Columns] = {"Time", "Phone", "Name", "Direction", "Message"};
constexpr std::int64_t ProgressStep = 256;
constexpr double PictureMostHeightMm = 60;  // a picture's height on the page, at most

QString FromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

QFont PageFont() {
    // Emoji from Symbola before the desktop's own fallback, which may be a colour font of
    // bitmaps that a PDF cannot embed: its emoji were left out of the pages and their text.
    // The desktop's sans-serif by its real name: a family list skips names that are only
    // the font configuration's aliases.
    QFont font(QStringLiteral("sans-serif"));
    font.setFamilies({QFontInfo(font).family(), QString::fromLatin1(PageEmojiFamily)});
    return font;
}

namespace {

// One message laid out: its short cells and the lines of its text.
struct LaidRow {
    std::int32_t Message = 0;
    QString Cells[Columns - 1];
    bool CellsShaped = false;             // a short cell needs the shaper (emoji)
    bool Wraps[Columns - 1] = {};         // the cell takes more than one line
    double CellsHeight = 0;               // the tallest short cell
    std::unique_ptr<QTextLayout> Text;    // positioned from y = 0
    std::vector<double> LineBottoms;      // y of each line's bottom, then of each medium's
    // The media under the text, one "line" each: a picture (its path and size on the page)
    // or, for what is no picture or cannot be read, its caption.
    struct Medium {
        QString Path, Caption;
        QSizeF Size;  // empty: the caption is shown
    };
    std::size_t TextLines = 0;
    std::vector<Medium> Media;
};

// The page geometry: column edges, padding, fonts, all in device units.
struct Geometry {
    QRectF Body;  // the page's paintable area less the footer
    double Left[Columns + 1] = {};
    double Pad = 0, Footer = 0;
    QFont Font, Bold, TitleFont;

    Geometry(QPagedPaintDevice& device, QPainter& painter) {
        const QRectF page(QPointF(0, 0), QSizeF(painter.viewport().size()));
        Font = PageFont();
        Font.setPointSizeF(9);
        Bold = Font;
        Bold.setBold(true);
        TitleFont = Font;
        TitleFont.setPointSizeF(15);
        TitleFont.setBold(true);
        const QFontMetricsF metrics(Font, &device);
        Pad = metrics.height() / 4;
        Footer = metrics.height() * 2;
        Body = page.adjusted(0, 0, 0, -Footer);
        Left[0] = Body.left();
        for (int c = 0; c < Columns; ++c) Left[c + 1] = Left[c] + Body.width() * ColumnShare[c];
        Left[Columns] = Body.right();
    }
    double Inner(int c) const { return Left[c + 1] - Left[c] - 2 * Pad; }
};

QFont RowFont(const Geometry& g, std::uint8_t style) {
    QFont f = g.Font;
    f.setItalic(style & 1);
    f.setBold(style & 2);
    return f;
}

QTextOption Wrapping() {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// The widths of the short cells that repeat (a contact's number and name, the direction),
// measured once per font.
using CellWidths = QHash<QString, double>;

// The font of a row's short cells: shaped only when one of them needs it.
QFont CellsFont(const QFont& font, const LaidRow& row) {
    return row.CellsShaped ? font : WithoutShaping(font);
}

// The media of the row as lines after its text's.
void LayOutMedia(LaidRow& row, const std::vector<MediaItem>& items, const MessageMedia& media, const Geometry& g,
                 QPaintDevice& device) {
    const QFontMetricsF metrics(g.Font, &device);
    const QSizeF box(g.Inner(Columns - 1), device.logicalDpiY() * PictureMostHeightMm / 25.4);
    double y = row.LineBottoms.empty() ? 0 : row.LineBottoms.back();
    for (const MediaItem& item : items) {
        LaidRow::Medium medium;
        medium.Caption = QString::fromStdString(MediumCaption(item));
        if (!item.Damaged && !item.File.empty()) {
            medium.Path = QString::fromStdString(media.PathOf(item));
            if (KindOfMedium(item.ContentType) == MediumKind::Picture) {
                if (const QSize size = PictureSize(medium.Path); size.isValid())
                    medium.Size = QSizeF(size).scaled(box, Qt::KeepAspectRatio);  // small pictures too: the page's scale
            }
        }
        y += (medium.Size.isEmpty() ? metrics.height() : medium.Size.height()) + g.Pad;
        row.LineBottoms.push_back(y);
        row.Media.push_back(std::move(medium));
    }
}

void DrawMedium(QPainter& p, const LaidRow::Medium& medium, const QPointF& at, double pad, QPaintDevice& device) {
    if (medium.Size.isEmpty()) {
        p.drawText(QPointF(at.x(), at.y() + pad + QFontMetricsF(p.font(), &device).ascent()), medium.Caption);
        return;
    }
    // Decoded at the size it takes on the page, one at a time.
    const QImage picture = ReadScaledPicture(medium.Path, medium.Size.toSize());
    if (picture.isNull())
        p.drawText(QPointF(at.x(), at.y() + pad + QFontMetricsF(p.font(), &device).ascent()),
                   QString::fromUtf8(UnreadableMedium.data(), static_cast<qsizetype>(UnreadableMedium.size())));
    else
        p.drawImage(QRectF(QPointF(at.x(), at.y() + pad), medium.Size), picture);
}

void LayOut(LaidRow& row, const XMsgRecType& m, const QFont& font, const Geometry& g, QPaintDevice& device,
            std::string& text, CellWidths (&widthsByShaping)[2]) {
    row.Cells[0] = FromUtf8(ExportTime(m.Time.view()));
    row.Cells[1] = FromUtf8(DisplayUtf8(m.Phone.view()));
    row.Cells[2] = FromUtf8(DisplayUtf8(m.Name.view()));
    row.Cells[3] = FromUtf8(ExportDirection(m));
    row.CellsShaped = NeedsShaping(row.Cells[1]) || NeedsShaping(row.Cells[2]);
    const QFont cellsFont = CellsFont(font, row);
    CellWidths& widths = widthsByShaping[row.CellsShaped];
    const QFontMetricsF metrics(cellsFont, &device);
    row.CellsHeight = 0;
    for (int c = 0; c < Columns - 1; ++c) {
        // Most short cells fit on one line: measured without a wrapping layout.
        double width = 0;
        if (c == 0) {
            width = metrics.horizontalAdvance(row.Cells[c]);
        } else {
            const auto known = widths.constFind(row.Cells[c]);
            width = known != widths.constEnd() ? *known : *widths.insert(row.Cells[c], metrics.horizontalAdvance(row.Cells[c]));
        }
        row.Wraps[c] = width > g.Inner(c);
        const double height =
            row.Wraps[c] ? QFontMetricsF(cellsFont, &device).boundingRect(QRectF(0, 0, g.Inner(c), 1e9), Qt::TextWrapAnywhere, row.Cells[c]).height()
                         : metrics.height();
        row.CellsHeight = std::max(row.CellsHeight, height);
    }
    DisplayMessageUtf8Into(m.Text, text);
    QString shown = FromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    row.Text = std::make_unique<QTextLayout>(shown, ShapedAsNeeded(font, shown), &device);
    row.Text->setTextOption(Wrapping());
    row.Text->beginLayout();
    double y = 0;
    row.LineBottoms.clear();
    for (QTextLine line = row.Text->createLine(); line.isValid(); line = row.Text->createLine()) {
        line.setLineWidth(g.Inner(Columns - 1));
        line.setPosition(QPointF(0, y));
        y += line.height();
        row.LineBottoms.push_back(y);
    }
    row.Text->endLayout();
    row.TextLines = row.LineBottoms.size();
    row.Media.clear();
}

void DrawHeader(QPainter& p, const Geometry& g, double top, double height, const ExportLook& look) {
    p.setFont(g.Bold);
    for (int c = 0; c < Columns; ++c) {
        const QRectF cell(g.Left[c], top, g.Left[c + 1] - g.Left[c], height);
        p.fillRect(cell, ToQColor(look.HeaderColor));
        p.drawRect(cell);
        p.drawText(cell.adjusted(g.Pad, g.Pad, -g.Pad, -g.Pad), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromLatin1(ColumnTitle[c]));
    }
    p.setFont(g.Font);
}

}  // namespace

QPageSize PaperForLocale(const QLocale& locale) {
    switch (locale.territory()) {
        case QLocale::UnitedStates: case QLocale::Canada: case QLocale::Mexico: case QLocale::Chile:
        case QLocale::Colombia: case QLocale::Venezuela: case QLocale::Philippines: case QLocale::PuertoRico:
            return QPageSize(QPageSize::Letter);
        default:
            return QPageSize(QPageSize::A4);
    }
}

void SetUpPages(QPagedPaintDevice& device, const QLocale& locale) {
    device.setPageSize(PaperForLocale(locale));
    device.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
}

bool PaintMessagePages(QPagedPaintDevice& device, const MsgStore& S, ExportRows rows, const ExportLook& look,
                       const PageProgress& progress, QStringList* drawn, const MessageMedia* media) {
    const auto record = [drawn](const QString& text) {
        if (drawn) drawn->push_back(text);
    };
    QPainter p(&device);
    const Geometry g(device, p);
    const auto total = static_cast<std::int64_t>(rows.size()) * 2;
    const auto goOn = [&](std::int64_t done) { return !progress || done % ProgressStep != 0 || progress(done, total); };

    // First every row's height, so that the page count is known for the footers.
    std::vector<LaidRow> laid(rows.size());
    std::string text;
    CellWidths widths[2][2];  // by direction, and by shaping
    const QFont rowFonts[2] = {RowFont(g, look.ReceivedFont), RowFont(g, look.SentFont)};
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const XMsgRecType& m = S.Messages[static_cast<std::size_t>(rows[k])];
        const bool sent = m.Flags & MsgSent;
        LayOut(laid[k], m, rowFonts[sent], g, device, text, widths[sent]);
        if (const std::vector<MediaItem>* items = media ? media->Find(m) : nullptr; items && !items->empty())
            LayOutMedia(laid[k], *items, *media, g, device);
        if (!goOn(static_cast<std::int64_t>(k) + 1)) return false;
    }
    const QFontMetricsF titleMetrics(g.TitleFont, &device), metrics(g.Font, &device);
    const double headerHeight = metrics.height() + 2 * g.Pad;
    const double titleHeight = titleMetrics.height() * 1.2 + metrics.height() * 1.8;

    // A piece of a row on one page: the row, its first text line, the lines it holds.
    struct Piece {
        std::size_t Row;
        std::size_t FirstLine, EndLine;
        double Top, Height;
    };
    std::vector<std::vector<Piece>> pages(1);
    double y = g.Body.top() + titleHeight + headerHeight;
    const double freshRoom = g.Body.height() - headerHeight - 2 * g.Pad;
    for (std::size_t k = 0; k < laid.size(); ++k) {
        const LaidRow& row = laid[k];
        const std::size_t lines = row.LineBottoms.size();
        std::size_t line = 0;
        for (;;) {
            const double room = g.Body.bottom() - y - 2 * g.Pad;
            const double done = line == 0 ? 0 : row.LineBottoms[line - 1];
            const double rest = lines == 0 ? 0 : row.LineBottoms.back() - done;
            const double cells = line == 0 ? row.CellsHeight : 0;
            std::size_t end = line;
            while (end < lines && row.LineBottoms[end] - done <= room) ++end;
            const bool whole = end == lines && cells <= room;
            if (!whole && !pages.back().empty() && (end == line || std::max(cells, rest) <= freshRoom)) {
                pages.emplace_back();  // the row starts on the next page
                y = g.Body.top() + headerHeight;
                continue;
            }
            // The whole rest, or (a row longer than a page) the lines that fit, at least one.
            if (end == line && end < lines) end = line + 1;
            const double height = std::max(cells, (end == 0 ? 0 : row.LineBottoms[end - 1]) - done) + 2 * g.Pad;
            pages.back().push_back(Piece{k, line, end, y, height});
            y += height;
            line = end;
            if (line >= lines) break;
            pages.emplace_back();
            y = g.Body.top() + headerHeight;
        }
    }

    const int pageCount = static_cast<int>(pages.size());
    std::int64_t painted = static_cast<std::int64_t>(rows.size());
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0) device.newPage();
        double top = g.Body.top();
        if (page == 0) {
            p.setFont(g.TitleFont);
            record(FromUtf8(look.Title));
            p.drawText(QRectF(g.Body.left(), top, g.Body.width(), titleMetrics.height() * 1.2),
                       Qt::AlignLeft | Qt::AlignTop, FromUtf8(look.Title));
            p.setFont(g.Font);
            const QString source = FromUtf8(look.Source.empty() ? std::string() : look.Source + ", ") +
                                   QString::number(rows.size()) +
                                   (rows.size() == 1 ? QStringLiteral(" message") : QStringLiteral(" messages"));
            record(source);
            p.drawText(QRectF(g.Body.left(), top + titleMetrics.height() * 1.2, g.Body.width(), metrics.height()),
                       Qt::AlignLeft | Qt::AlignTop, source);
            top += titleHeight;
        }
        DrawHeader(p, g, top, headerHeight, look);
        for (const Piece& piece : pages[static_cast<std::size_t>(page)]) {
            const LaidRow& row = laid[piece.Row];
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(rows[piece.Row])];
            const std::int32_t color = look.RowColor(m);
            const QRectF band(g.Body.left(), piece.Top, g.Body.width(), piece.Height);
            if (color >= 0) p.fillRect(band, ToQColor(color));
            p.setFont(CellsFont(RowFont(g, (m.Flags & MsgSent) ? look.SentFont : look.ReceivedFont), row));
            for (int c = 0; c < Columns; ++c) p.drawRect(QRectF(g.Left[c], piece.Top, g.Left[c + 1] - g.Left[c], piece.Height));
            if (piece.FirstLine == 0) {
                const double ascent = QFontMetricsF(p.font(), &device).ascent();
                for (int c = 0; c < Columns - 1; ++c) {
                    record(row.Cells[c]);
                    if (!row.Wraps[c])  // one line: no wrapping layout to make
                        p.drawText(QPointF(g.Left[c] + g.Pad, piece.Top + g.Pad + ascent), row.Cells[c]);
                    else
                        p.drawText(QRectF(g.Left[c] + g.Pad, piece.Top + g.Pad, g.Inner(c), piece.Height),
                                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, row.Cells[c]);
                }
            }
            if (piece.EndLine > piece.FirstLine) {
                const double from = piece.FirstLine == 0 ? 0 : row.LineBottoms[piece.FirstLine - 1];
                const double to = row.LineBottoms[piece.EndLine - 1];
                const QPointF origin(g.Left[Columns - 1] + g.Pad, piece.Top + g.Pad - from);
                p.save();
                p.setClipRect(QRectF(g.Left[Columns - 1], piece.Top + g.Pad, g.Inner(Columns - 1) + 2 * g.Pad, to - from));
                record(row.Text->text());
                row.Text->draw(&p, origin);
                for (std::size_t line = std::max(piece.FirstLine, row.TextLines); line < piece.EndLine; ++line)
                    DrawMedium(p, row.Media[line - row.TextLines], QPointF(origin.x(), origin.y() + (line == 0 ? 0 : row.LineBottoms[line - 1])),
                               g.Pad, device);
                p.restore();
            }
            if (piece.EndLine == row.LineBottoms.size() && !goOn(++painted)) return false;
        }
        p.drawText(QRectF(g.Body.left(), g.Body.bottom(), g.Body.width(), g.Footer), Qt::AlignCenter,
                   QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount));
    }
    return true;
}

QByteArray PdfExport(const MsgStore& S, ExportRows rows, const ExportLook& look, const QLocale& locale,
                     const PageProgress& progress, const MessageMedia* media) {
    QByteArray bytes;
    QStringList painted;  // in the order drawn
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        SetUpPages(writer, locale);
        writer.setTitle(QString::fromUtf8(look.Title.data(), static_cast<qsizetype>(look.Title.size())));
        writer.setCreator(QStringLiteral("Kestro"));
        if (!PaintMessagePages(writer, S, rows, look, progress, &painted, media)) return {};
    }
    return WithTextBeyondBmp(bytes, painted, PageFont().families());
}
