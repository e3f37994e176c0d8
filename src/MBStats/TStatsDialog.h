// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The activity statistics dialog: one row per name (a nameless number one row), ordered by
// name, with the sent and received figures of all its numbers, its first and last day and
// the span; a click on a cell puts the figure's breakdown into the grid's tooltip.
#include <QDialog>

#include "Lang/LocaleInfo.h"
#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

class QPushButton;
class QTableView;
class StatsGridModel;

class TStatsDialog : public QDialog {
    Q_OBJECT

public:
    // Opening rebuilds the contact table (ordered by name) and computes every row's figures
    // once; painting only reads them.
    TStatsDialog(MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale, QWidget* parent = nullptr);

    void FormCreate();
    // The grid's current cell changed (a click or a key): its breakdown becomes the tooltip.
    void StatsGridClick();
    // The grid's tooltip text, lines separated by CR LF; empty when there is none.
    QString Hint() const { return GridHint; }

    QWidget* StatsPanel = nullptr;
    QTableView* StatsGrid = nullptr;
    StatsGridModel* StatsModel = nullptr;
    QPushButton* OKBtn = nullptr;

private:
    MsgStore& S;
    const DefaultsType& D;
    QString GridHint;
};
