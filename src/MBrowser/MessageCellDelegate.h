// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paints one cell of the message grid: the colour mode's background (or white, or the
// selection colour), the row's font style, the text clipped to the cell on one line, and
// the Type column's picture.
#include <QStyledItemDelegate>

// The grid's texts are drawn without the font's optional shaping where they do not need it;
// emoji sequences are shaped, as in the conversation pane.
#include "Pages/Shaping.h"

class MessageCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The background a data cell is filled with: the selection colour while selected, else
    // the mode's colour when the model gives one, else white.
    static QColor CellGround(const QVariant& modeBackground, bool selected, const QPalette& palette);
};
