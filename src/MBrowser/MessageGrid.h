// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message grid: a table over MessageGridModel whose column 0 (the row numbers) is the
// fixed vertical header, so that it stays put and rows can be resized by dragging their
// borders there; its header cell (the top-left corner) shows the number of rows in view.
#include <QTableView>

class MessageGrid : public QTableView {
    Q_OBJECT

public:
    explicit MessageGrid(QWidget* parent = nullptr);
    // The header colour of row 0 and column 0.
    void SetFixedColor(const QColor& color);
    QColor FixedColor() const { return Fixed; }
    // The model's header follows every refresh, the corner cell (its count) included.
    void setModel(QAbstractItemModel* model) override;
    // The text the corner cell showed when it was last painted.
    QString CornerText() const { return PaintedCorner; }
    // The count cell at the top left (the header cell of the number column).
    QWidget* CornerCell() const { return Corner; }
    // Does now what the grid and its window would otherwise do just after the next paint,
    // each step painting the grid again: the window's layouts (the grid just shown, scroll
    // bars coming and going), the rows' layout, and the work the view defers after a
    // column or row changed size.
    void SettleBeforePaint();

signals:
    // The area the cells are drawn in changed size (window resize, scroll bar shown).
    void ViewportResized();
    // A mouse button was released over the count cell.
    void CornerReleased();

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The whole current row is tinted, so both rows are painted again when it moves.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PaintCorner(QWidget* corner);
    void UpdateRow(int row);
    QColor Fixed = Qt::white;
    QWidget* Corner = nullptr;
    QString PaintedCorner;
    QMetaObject::Connection CornerFollowsModel;
};
