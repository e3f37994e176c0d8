// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBHistory/THistoryDlg.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_set>

#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"
#include "Platform/WindowPalette.h"

namespace {

constexpr int ItemHeight = 13;
constexpr int VisibleRows = 30;

// Rows of the check list are 13 pixels high, or the font's height when that is taller.
class CheckRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(ItemHeight, option.fontMetrics.height()));
        return size;
    }
};

}  // namespace

THistoryDlg::THistoryDlg(std::vector<BlockListEntry> entries, const std::vector<std::string>& picked,
                         std::int32_t defaultColor, QWidget* parent)
    : QDialog(parent), Entries(std::move(entries)), Picked(picked), DefaultColor(defaultColor) {
    setWindowTitle(QStringLiteral("Blocked contacts"));
    setFont(QFont(QStringLiteral("Verdana"), 8));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    BlockInstructor = new QLabel(QStringLiteral("Check contacts you want to block"), this);
    BlockInstructor->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    BlockInstructor->setToolTip(QStringLiteral("Messages from checked contacts are  excluded"));

    FilterEdit = new QLineEdit(this);
    FilterEdit->setPlaceholderText(QStringLiteral("Filter by name or number"));
    FilterEdit->setClearButtonEnabled(true);
    connect(FilterEdit, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });

    HistoryPanel = new QWidget(this);
    auto* fill = new QVBoxLayout(HistoryPanel);
    fill->setContentsMargins(0, 0, 0, 0);
    HistoryListBox = new QListWidget(HistoryPanel);
    HistoryListBox->setUniformItemSizes(true);
    HistoryListBox->setItemDelegate(new CheckRowDelegate(HistoryListBox));
    fill->addWidget(HistoryListBox);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    // Esc and the title bar's close box reject the dialog as Cancel does.
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(BlockInstructor);
    layout->addWidget(FilterEdit);
    layout->addWidget(HistoryPanel, 1);
    layout->addLayout(buttons);

    BlockInstructor->setAccessibleName(BlockInstructor->text());
    FilterEdit->setAccessibleName(FilterEdit->placeholderText());
    HistoryPanel->setAccessibleName(BlockInstructor->text());
    HistoryListBox->setAccessibleName(BlockInstructor->text());
    HistoryListBox->setAccessibleDescription(BlockInstructor->toolTip());
    OKBtn->setAccessibleName(OKBtn->text());
    CancelBtn->setAccessibleName(CancelBtn->text());

    FormCreate();
    // Room for 30 rows and for a full name and number (30 characters each) side by side.
    const QFontMetrics metrics(font());
    const int row = std::max(ItemHeight, metrics.height());
    const int text = metrics.horizontalAdvance(QString(30, QLatin1Char('M')) + QStringLiteral(" (") +
                                               QString(30, QLatin1Char('0')) + QLatin1Char(')'));
    HistoryListBox->setMinimumSize(80, 4 * row);
    resize(std::max(sizeHint().width(), text + 80), sizeHint().height() - HistoryListBox->sizeHint().height() +
                                                        VisibleRows * row + 2 * HistoryListBox->frameWidth());
    OKBtn->setFocus();
}

void THistoryDlg::FormCreate() {
    SetWindowColor(*this, ToQColor(DefaultColor), true);
    HistoryListBox->clear();
    const std::unordered_set<std::string> picked(Picked.begin(), Picked.end());
    for (const BlockListEntry& e : Entries) {
        auto* item = new QListWidgetItem(ShownText(e.Name) + QStringLiteral(" (") + ShownText(e.Phone) + QStringLiteral(")"),
                                         HistoryListBox);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(e.Blocked || picked.contains(e.Phone) ? Qt::Checked : Qt::Unchecked);
    }
    ApplyFilter();
}

void THistoryDlg::ApplyFilter() {
    const QString wanted = FilterEdit->text().trimmed();
    for (int i = 0; i < HistoryListBox->count(); ++i) {
        QListWidgetItem* item = HistoryListBox->item(i);
        item->setHidden(!wanted.isEmpty() && !item->text().contains(wanted, Qt::CaseInsensitive));
    }
}

int THistoryDlg::ItemCount() const { return HistoryListBox->count(); }

QString THistoryDlg::ItemText(int item) const {
    const QListWidgetItem* it = HistoryListBox->item(item - 1);
    return it != nullptr ? it->text() : QString();
}

bool THistoryDlg::IsItemShown(int item) const {
    const QListWidgetItem* it = HistoryListBox->item(item - 1);
    return it != nullptr && !it->isHidden();
}

int THistoryDlg::ItemOf(const std::string& phone) const {
    for (std::size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i].Phone == phone) return static_cast<int>(i);
    return -1;
}

bool THistoryDlg::IsChecked(const std::string& phone) const {
    const QListWidgetItem* item = HistoryListBox->item(ItemOf(phone));
    return item != nullptr && item->checkState() == Qt::Checked;
}

void THistoryDlg::SetChecked(const std::string& phone, bool checked) {
    if (QListWidgetItem* item = HistoryListBox->item(ItemOf(phone))) item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

std::vector<BlockListEntry> THistoryDlg::Marks() const {
    std::vector<BlockListEntry> marks = Entries;
    for (std::size_t i = 0; i < marks.size(); ++i)
        marks[i].Blocked = HistoryListBox->item(static_cast<int>(i))->checkState() == Qt::Checked;
    return marks;
}
