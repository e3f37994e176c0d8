// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBStats/StatsGrid.h"

#include <QPainter>

#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"

namespace {

const QColor LineColor(0xC0, 0xC0, 0xC0);

// A cell's text as drawn: one space on each side, vertically centred, clipped to the cell.
void DrawCellText(QPainter* painter, const QRect& rect, const QString& text, Qt::Alignment alignment) {
    painter->save();
    painter->setClipRect(rect);
    painter->drawText(rect, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine),
                      QLatin1Char(' ') + text + QLatin1Char(' '));
    painter->restore();
}

}  // namespace

StatsGridModel::StatsGridModel(const DefaultsType& defaults, const LocaleInfo& locale, QObject* parent)
    : QAbstractTableModel(parent), D(defaults), Locale(locale) {}

void StatsGridModel::Reload(std::vector<ActivityRow> rows) {
    beginResetModel();
    Rows = std::move(rows);
    endResetModel();
}

QString StatsGridModel::Title(int column) {
    static const char* const titles[StatsColumnCount] = {"Name",  "Items", "Items", "Chars", "Chars",
                                                         "Words", "Words", "First", "Last",  "Days"};
    return column >= 0 && column < StatsColumnCount ? QString::fromLatin1(titles[column]) : QString();
}

QString StatsGridModel::CellText(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    // The name is stored bytes; figures and dates are the locale's text.
    if (column == 0) return ShownText(StatsCellText(RowAt(row), 0, Locale));
    return QString::fromStdString(StatsCellText(RowAt(row), column, Locale));
}

QString StatsGridModel::BreakdownText(int row, int column) const {
    if (row < 0 || row >= RowCount()) return {};
    // The heading holds stored bytes, the figures the locale's text.
    return ShownText(StatsHeadingText(RowAt(row))) + QString::fromStdString(StatsFiguresText(RowAt(row), column, Locale));
}

QColor StatsGridModel::CellBackground(int row, int column) const {
    if (column == 0) return ToQColor(D.GridFixedColor);
    if (D.ColorMode == 2) {
        const std::int32_t color = row >= 0 && row < RowCount() ? RowAt(row).Color : 0;
        return color != 0 ? ToQColor(color) : QColor(Qt::white);
    }
    return ToQColor(D.DefaultColor);
}

QColor StatsGridModel::TitleBackground(int column) const {
    if (column >= 1 && column <= 6) return ToQColor(column % 2 == 1 ? D.SentColor : D.ReceivedColor);
    return ToQColor(D.GridFixedColor);
}

int StatsGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RowCount(); }

int StatsGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : StatsColumnCount; }

QVariant StatsGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole: return CellText(index.row(), index.column());
        case Qt::BackgroundRole: return CellBackground(index.row(), index.column());
        case Qt::TextAlignmentRole: return int(Qt::AlignVCenter | (index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight));
        case Qt::ToolTipRole: {
            if (Hint.isEmpty()) return {};
            QString shown = Hint;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            while (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
            return shown;
        }
        default: return {};
    }
}

QVariant StatsGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    switch (role) {
        case Qt::DisplayRole: return Title(section);
        case Qt::BackgroundRole: return TitleBackground(section);
        default: return {};
    }
}

Qt::ItemFlags StatsGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void StatsCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background = selected ? option.palette.color(QPalette::Highlight)
                                       : index.data(Qt::BackgroundRole).value<QColor>();
    painter->fillRect(option.rect, background);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : QColor(Qt::black));
    DrawCellText(painter, option.rect, index.data(Qt::DisplayRole).toString(),
                 Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask);
    painter->setPen(LineColor);
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    if (index.column() == 0) painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
}

StatsTitleHeader::StatsTitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void StatsTitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) return;
    painter->save();
    painter->fillRect(rect, model()->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole).value<QColor>());
    QFont bold = font();
    bold.setBold(true);
    painter->setFont(bold);
    painter->setPen(Qt::black);
    DrawCellText(painter, rect, model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString(),
                 Qt::AlignLeft);
    painter->setPen(LineColor);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}
