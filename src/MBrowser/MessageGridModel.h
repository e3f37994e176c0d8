// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message grid's cells: one row per entry of the view index, seven columns
// (0 number, 1 Time, 2 To/From, 3 Name, 4 Type, 5 Message, 6 Size). Every cell is computed
// when it is painted, straight from its message, so only visible rows cost anything.
#include <QAbstractTableModel>
#include <QFont>
#include <array>
#include <cstdint>

#include "Lang/LocaleInfo.h"
#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

enum GridColumn { NumberColumn = 0, TimeColumn, PhoneColumn, NameColumn, TypeColumn, MessageColumn, SizeColumn, GridColumnCount };

class MessageGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    MessageGridModel(const MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale,
                     QObject* parent = nullptr);

    // The view index or the settings changed: the rows follow ViewCount (at least one
    // row, blank when the view is empty), every visible cell is painted again.
    void Refresh();
    // The grid's font; rows take their style from it.
    void SetGridFont(const QFont& font);
    const QFont& GridFont() const { return Font; }

    // Store position of the message in (0-based) model row `row`; 0 for none.
    std::int32_t MessageAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString HeaderText(int column) const;
    // What a cell shows; a Message cell holds the first 2048 bytes of a longer text.
    QString CellText(int row, int column) const;
    // The background the colour mode chooses for a data cell; invalid when the grid's
    // own background (white or the selection colour) stays.
    QVariant CellBackground(int row, int column) const;
    QFont CellFont(int row, int column) const;

private:
    const MsgStore& S;
    const DefaultsType& D;
    const LocaleInfo& Locale;
    QFont Font;
    // The grid font in the four styles a row can take (bit 0 italic, bit 1 bold), made once
    // per font: rows then share them instead of each making its own.
    std::array<QFont, 4> StyledFonts;
    int Rows = 1;
};
