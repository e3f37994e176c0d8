// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The activity statistics grid: one row per name (nameless numbers one each), ten columns (Name, then
// sent and received Items, Chars and Words, First, Last, Days). The title row is the
// header; every cell is computed when it is painted, from the rows' figures.
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include "Lang/LocaleInfo.h"
#include "MBVars/Defaults.h"
#include "MBVars/Stats.h"
#include "MBVars/Store.h"

class StatsGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    StatsGridModel(const DefaultsType& defaults, const LocaleInfo& locale,
                   QObject* parent = nullptr);

    // The rows to show, figures computed.
    void Reload(std::vector<ActivityRow> rows);
    // The text every cell gives as its tooltip (the grid has one tooltip for all cells).
    void SetHint(const QString& hint) { Hint = hint; }

    // The figures of (0-based) model row `row`.
    const ActivityRow& RowAt(int row) const { return Rows[static_cast<std::size_t>(row)]; }
    int RowCount() const { return static_cast<int>(Rows.size()); }
    // What a cell shows, without the padding spaces.
    QString CellText(int row, int column) const;
    // The breakdown of a cell as the grid's tooltip: a heading line with the name, then the
    // figures of the column, lines separated by CR LF.
    QString BreakdownText(int row, int column) const;
    QColor CellBackground(int row, int column) const;
    QColor TitleBackground(int column) const;
    static QString Title(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const DefaultsType& D;
    const LocaleInfo& Locale;
    std::vector<ActivityRow> Rows;
    QString Hint;
};

// Data cells: their background, the text with a space on each side, clipped to the cell,
// and a line under each row.
class StatsCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The title row: each title on its column's colour, bold, with lines between the cells.
class StatsTitleHeader : public QHeaderView {
public:
    explicit StatsTitleHeader(QWidget* parent);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};
