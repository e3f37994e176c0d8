// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBStats/TStatsDialog.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "MBStats/StatsGrid.h"
#include "MBVars/Contacts.h"
#include "MBVars/Stats.h"
#include "Platform/ColorRef.h"
#include "Platform/WindowPalette.h"

namespace {

constexpr int RowHeight = 16;
// Name takes the message grid's To/From width; then six figures, two dates and the span.
constexpr int FigureWidth = 50, DateWidth = 75, DaysWidth = 60;
constexpr std::size_t MessageGridPhoneColumn = 2;

}  // namespace

TStatsDialog::TStatsDialog(MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale, QWidget* parent)
    : QDialog(parent), S(store), D(defaults) {
    setWindowTitle(QStringLiteral("Activity statistics"));
    setFixedSize(666, 492);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    StatsPanel = new QWidget(this);
    StatsPanel->setGeometry(8, 8, 650, 441);
    StatsPanel->setFont(QFont(QStringLiteral("Verdana"), 8));
    auto* fill = new QVBoxLayout(StatsPanel);
    fill->setContentsMargins(0, 0, 0, 0);

    StatsGrid = new QTableView(StatsPanel);
    StatsGrid->setHorizontalHeader(new StatsTitleHeader(StatsGrid));
    StatsModel = new StatsGridModel(D, locale, this);
    StatsGrid->setModel(StatsModel);
    StatsGrid->setItemDelegate(new StatsCellDelegate(StatsGrid));
    StatsGrid->verticalHeader()->hide();
    StatsGrid->setShowGrid(false);  // the cells draw their own lines
    StatsGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StatsGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    StatsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StatsGrid->setWordWrap(false);
    StatsGrid->setCornerButtonEnabled(false);
    StatsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StatsGrid->horizontalHeader()->setSectionsClickable(false);
    StatsGrid->horizontalHeader()->setMinimumSectionSize(4);
    StatsGrid->horizontalHeader()->setHighlightSections(false);
    QPalette white = StatsGrid->palette();
    white.setColor(QPalette::Base, Qt::white);
    StatsGrid->setPalette(white);
    fill->addWidget(StatsGrid);

    OKBtn = new QPushButton(QStringLiteral("Close"), this);
    OKBtn->setGeometry(583, 460, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    StatsPanel->setAccessibleName(windowTitle());
    StatsGrid->setAccessibleName(windowTitle());
    OKBtn->setAccessibleName(OKBtn->text());

    FormCreate();
    // The first data cell is current from the start, quietly: the tooltip stays empty until
    // the user clicks a cell or moves to one with the keys.
    StatsGrid->selectionModel()->setCurrentIndex(StatsModel->index(0, 1), QItemSelectionModel::NoUpdate);
    connect(StatsGrid, &QTableView::clicked, this, [this] { StatsGridClick(); });
    connect(StatsGrid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { StatsGridClick(); });
}

void TStatsDialog::FormCreate() {
    SetWindowColor(*this, ToQColor(D.DefaultColor), false);

    const int columnWidths[StatsColumnCount] = {D.ColumnWidth[MessageGridPhoneColumn],
                                                FigureWidth, FigureWidth, FigureWidth, FigureWidth, FigureWidth,
                                                FigureWidth, DateWidth, DateWidth, DaysWidth};
    const QFontMetrics metrics(StatsPanel->font());
    const int rowHeight = std::max(RowHeight, metrics.height() + 2);
    StatsGrid->verticalHeader()->setMinimumSectionSize(rowHeight);
    StatsGrid->verticalHeader()->setDefaultSectionSize(rowHeight);
    StatsGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    StatsGrid->horizontalHeader()->setFixedHeight(rowHeight);

    BuildContacts(S, ContactsByName, true);
    StatsModel->Reload(ContactActivityRows(S));
    // After the reload, which gives the header its sections afresh.
    for (int c = 0; c < StatsColumnCount; ++c) StatsGrid->setColumnWidth(c, std::max(0, columnWidths[c]));
}

void TStatsDialog::StatsGridClick() {
    GridHint.clear();
    const QModelIndex current = StatsGrid->currentIndex();
    // The Days column shows the dates' breakdown too: the span alone says little.
    if (current.isValid()) GridHint = StatsModel->BreakdownText(current.row(), current.column());
    StatsModel->SetHint(GridHint);
}
