#include "MBHistory/THistoryDlg.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"
#include "Platform/WindowPalette.h"

namespace {

constexpr int ItemHeight = 13;

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

THistoryDlg::THistoryDlg(const MsgStore& store, std::int32_t defaultColor, QWidget* parent)
    : QDialog(parent), S(store), DefaultColor(defaultColor) {
    setWindowTitle(QStringLiteral("Blocked contacts"));
    setFont(QFont(QStringLiteral("Verdana"), 8));
    setFixedSize(304, 363);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    BlockInstructor = new QLabel(QStringLiteral("Check contacts you want to block"), this);
    BlockInstructor->setGeometry(8, 8, 289, 17);
    BlockInstructor->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    BlockInstructor->setToolTip(QStringLiteral("Messages from checked contacts are  excluded"));

    HistoryPanel = new QWidget(this);
    HistoryPanel->setGeometry(8, 32, 289, 297);
    auto* fill = new QVBoxLayout(HistoryPanel);
    fill->setContentsMargins(0, 0, 0, 0);
    HistoryListBox = new QListWidget(HistoryPanel);
    HistoryListBox->setUniformItemSizes(true);
    HistoryListBox->setItemDelegate(new CheckRowDelegate(HistoryListBox));
    fill->addWidget(HistoryListBox);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(143, 332, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setGeometry(223, 332, 75, 25);
    // Esc and the title bar's close box reject the dialog as Cancel does.
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    BlockInstructor->setAccessibleName(BlockInstructor->text());
    HistoryPanel->setAccessibleName(BlockInstructor->text());
    HistoryListBox->setAccessibleName(BlockInstructor->text());
    HistoryListBox->setAccessibleDescription(BlockInstructor->toolTip());
    OKBtn->setAccessibleName(OKBtn->text());
    CancelBtn->setAccessibleName(CancelBtn->text());

    FormCreate();
    OKBtn->setFocus();
}

void THistoryDlg::FormCreate() {
    SetWindowColor(*this, ToQColor(DefaultColor), true);
    HistoryListBox->clear();
    for (std::int32_t i = 1; i <= S.HistoryCount; ++i) {
        const HistoryRec& entry = S.History[static_cast<std::size_t>(i)];
        auto* item = new QListWidgetItem(
            ShownText(entry.Name.view()) + QStringLiteral(" (") + ShownText(entry.Phone.view()) + QStringLiteral(")"),
            HistoryListBox);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.Blocked != 0 ? Qt::Checked : Qt::Unchecked);
    }
}

int THistoryDlg::ItemCount() const { return HistoryListBox->count(); }

bool THistoryDlg::IsChecked(std::int32_t entry) const {
    const QListWidgetItem* item = HistoryListBox->item(entry - 1);
    return item != nullptr && item->checkState() == Qt::Checked;
}

void THistoryDlg::SetChecked(std::int32_t entry, bool checked) {
    if (QListWidgetItem* item = HistoryListBox->item(entry - 1)) item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QString THistoryDlg::ItemText(std::int32_t entry) const {
    const QListWidgetItem* item = HistoryListBox->item(entry - 1);
    return item != nullptr ? item->text() : QString();
}
