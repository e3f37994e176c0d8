// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/MessageGrid.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>

#include "MBrowser/MessageCellDelegate.h"
#include "MBrowser/OneLineText.h"

namespace {

const QColor FixedLine(0xC9, 0xCF, 0xD8);

// Paints one header cell the way the grid's fixed cells look: the header colour, a line
// at the right and bottom edges, and the model's text, font and placement.
void PaintFixedCell(QPainter& p, const QRect& r, const QColor& ground, const QString& text,
                    const QFont& font, Qt::Alignment alignment) {
    p.fillRect(r, ground);
    p.setPen(FixedLine);
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.setFont(WithoutShaping(font));
    p.setPen(QColor(0x20, 0x24, 0x2A));
    DrawOneLine(p, r.adjusted(0, 0, -1, -1), alignment, text);
}

class FixedHeader : public QHeaderView {
public:
    FixedHeader(Qt::Orientation orientation, MessageGrid* grid) : QHeaderView(orientation, grid), Grid(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        // The header may ask for every section while its scroll offset catches up with a
        // shorter view; only the ones on screen are drawn.
        if (!rect.isValid() || !model() || !rect.intersects(viewport()->rect())) return;
        painter->save();
        painter->setClipRect(rect);
        const Qt::Orientation o = orientation();
        const QVariant font = model()->headerData(section, o, Qt::FontRole);
        PaintFixedCell(*painter, rect, Grid->FixedColor(), model()->headerData(section, o, Qt::DisplayRole).toString(),
                       font.isValid() ? font.value<QFont>() : painter->font(),
                       Qt::Alignment(model()->headerData(section, o, Qt::TextAlignmentRole).toInt()));
        painter->restore();
    }

    void setModel(QAbstractItemModel* model) override {
        QHeaderView::setModel(model);
        if (!model || orientation() != Qt::Vertical) return;
        // Every refresh announces new row numbers for all rows, and the base header visits
        // each of the 16380 sections to find the ones to repaint. Its sections have fixed
        // sizes, so a repaint of what is on screen is all the news needs.
        disconnect(model, &QAbstractItemModel::headerDataChanged, this, &QHeaderView::headerDataChanged);
        connect(model, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation o, int, int) {
            if (o == Qt::Vertical) viewport()->update();
        });
    }

    QSize sizeHint() const override {
        // The row numbers' width is set by the window's layout pass. The base hint measures
        // the texts of 200 rows and is asked again after every refresh, for a width that
        // only matters until that pass: the widest number that can show will do.
        if (orientation() == Qt::Vertical)
            return {std::max(minimumWidth(), fontMetrics().horizontalAdvance(QStringLiteral("99999 "))),
                    defaultSectionSize()};
        return QHeaderView::sizeHint();
    }

private:
    MessageGrid* Grid;
};

}  // namespace

MessageGrid::MessageGrid(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new FixedHeader(Qt::Horizontal, this));
    setVerticalHeader(new FixedHeader(Qt::Vertical, this));
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    verticalHeader()->setSectionsClickable(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setMinimumSectionSize(4);
    horizontalHeader()->setMinimumSectionSize(4);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A click on a column title sorts (the window does it); it does not select the column.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    for (QAbstractButton* b : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        if (QByteArray(b->metaObject()->className()) == "QTableCornerButton") {
            Corner = b;
            b->installEventFilter(this);
        }
    }
}

void MessageGrid::SetFixedColor(const QColor& color) {
    if (color == Fixed) return;
    Fixed = color;
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
    if (Corner) Corner->update();
}

void MessageGrid::setModel(QAbstractItemModel* model) {
    disconnect(CornerFollowsModel);
    QTableView::setModel(model);
    // The corner is no header section: without this it kept an old count until a resize.
    if (model)
        CornerFollowsModel = connect(model, &QAbstractItemModel::headerDataChanged, this, [this] {
            if (Corner) Corner->update();
        });
}

void MessageGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    emit ViewportResized();
}

void MessageGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (previous.isValid() && previous.row() != current.row()) UpdateRow(previous.row());
    if (current.isValid()) UpdateRow(current.row());
}

void MessageGrid::SettleBeforePaint() {
    // Each step may ask for another (a layout shows a scroll bar, which asks for a layout).
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);  // scroll bars shown or hidden
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        executeDelayedItemsLayout();
        // The view's zero-time timers (a column resized, rows laid out) would fire after the
        // paint; their work is delivered now instead.
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            for (const QAbstractEventDispatcher::TimerInfo& timer : dispatcher->registeredTimers(this))
                if (timer.interval == 0) {
                    QTimerEvent due(timer.timerId);
                    QCoreApplication::sendEvent(this, &due);
                }
    }
}

void MessageGrid::UpdateRow(int row) {
    viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

bool MessageGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Corner && event->type() == QEvent::Paint) {
        PaintCorner(Corner);
        return true;
    }
    if (watched == Corner && event->type() == QEvent::MouseButtonRelease) emit CornerReleased();
    return QTableView::eventFilter(watched, event);
}

void MessageGrid::PaintCorner(QWidget* corner) {
    if (!model()) return;
    QPainter p(corner);
    const QVariant font = model()->headerData(0, Qt::Horizontal, Qt::FontRole);
    PaintedCorner = model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString();
    PaintFixedCell(p, corner->rect(), Fixed, PaintedCorner,
                   font.isValid() ? font.value<QFont>() : p.font(), Qt::AlignRight | Qt::AlignVCenter);
}
