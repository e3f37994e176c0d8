// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/MessageCellDelegate.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPixmap>

#include "MBrowser/MessageGridModel.h"
#include "MBrowser/OneLineText.h"

namespace {

// Whether the selection covers more than one cell and reaches `row`: then the row is part
// of a range that a Delete removes, and looks selected across all its cells, the current
// one included.
bool RowOfRange(const QAbstractItemView& view, int row) {
    qsizetype cells = 0;
    bool reached = false;
    for (const QItemSelectionRange& range : view.selectionModel()->selection()) {
        cells += qsizetype(range.width()) * range.height();
        reached = reached || (range.top() <= row && row <= range.bottom());
    }
    return cells > 1 && reached;
}

// Enough characters to run past any cell: shaping a 16 KB text for a 600-pixel cell
// would cost more than the rest of the row.
QString VisiblePart(const QString& text, int width) {
    const qsizetype most = width / 2 + 8;
    return text.size() > most ? text.left(most) : text;
}

}  // namespace



QColor MessageCellDelegate::CellGround(const QVariant& modeBackground, bool selected, const QPalette& palette) {
    // The selection colour covers the mode's colour whole: a mix of the two was too faint
    // to show what a Delete would remove. The active group's, also while the grid has no focus.
    if (selected) return palette.color(QPalette::Active, QPalette::Highlight);
    return modeBackground.isValid() ? modeBackground.value<QColor>() : QColor(Qt::white);
}

void MessageCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const bool current = view && view->currentIndex() == index;
    const bool selected =
        (view && RowOfRange(*view, index.row())) || ((option.state & QStyle::State_Selected) && !current);
    const QRect cell = option.rect;

    painter->save();
    painter->setClipRect(cell);
    painter->fillRect(cell, CellGround(index.data(Qt::BackgroundRole), selected, option.palette));
    if (!selected && view && view->currentIndex().row() == index.row()) {
        // A light tint across the current row: the message the detail line shows.
        QColor tint = option.palette.color(QPalette::Highlight);
        tint.setAlpha(70);
        painter->fillRect(cell, tint);
    }

    const QVariant picture = index.data(Qt::DecorationRole);
    if (picture.canConvert<QPixmap>()) {
        // The picture keeps its round shape: as large as the cell allows, centred.
        const QPixmap pixmap = picture.value<QPixmap>();
        const int side = std::max(1, std::min(cell.width(), cell.height()) - 2);
        const QRect target(cell.x() + (cell.width() - side) / 2, cell.y() + (cell.height() - side) / 2, side, side);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, pixmap);
    } else {
        QString text = VisiblePart(index.data(Qt::DisplayRole).toString(), cell.width());
        painter->setFont(ShapedAsNeeded(index.data(Qt::FontRole).value<QFont>(), text));
        painter->setPen(option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
        const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        // A number or a name cut by its column ends in an ellipsis: it must not pass for whole.
        if (index.column() == PhoneColumn || index.column() == NameColumn) {
            const QFontMetrics metrics(painter->font());
            if (metrics.horizontalAdvance(text) > cell.width())
                text = metrics.elidedText(text, Qt::ElideRight, cell.width());
        }
        DrawOneLine(*painter, cell, alignment, text);
    }

    if (current && view && view->hasFocus()) {
        painter->setPen(QPen(option.palette.color(QPalette::Highlight).darker(160), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}
