// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBColors/TColorDialog.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "Platform/AccessibleNames.h"
#include "Platform/ColorRef.h"

namespace {

constexpr int ItemHeight = 13;
const QString DefaultCaption = QStringLiteral("Select a colour and click OK");

// Black or white, whichever reads better on `ground`.
QColor InkOn(const QColor& ground) { return ground.lightness() >= 128 ? QColor(Qt::black) : QColor(Qt::white); }

// One row of the list: its colour across the whole item, the name in black on the left
// half and again in white on the right half; the selected row carries a double frame.
class ColorItemDelegate : public QStyledItemDelegate {
public:
    ColorItemDelegate(const NamedColorTable& rows, QObject* parent) : QStyledItemDelegate(parent), Rows(rows) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const std::size_t i = static_cast<std::size_t>(index.row());
        if (i >= Rows.size()) return;
        const QColor colour = ToQColor(WebToPlatformColor(Rows[i].Value));
        const QString name = QString::fromLatin1(Rows[i].Name.data(), static_cast<qsizetype>(Rows[i].Name.size()));
        const QRect r = option.rect;
        const int mid = (r.left() + r.right() + 1) / 2;
        const QRect left(QPoint(r.left(), r.top()), QPoint(mid, r.bottom()));
        const QRect right(QPoint(mid, r.top()), r.bottomRight());

        painter->save();
        painter->setFont(option.font);
        painter->fillRect(r, colour);
        painter->setClipRect(left);
        painter->setPen(Qt::black);
        painter->drawText(left, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        painter->setClipRect(right);
        painter->setPen(Qt::white);
        painter->drawText(right, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        painter->setClipping(false);
        if (option.state & QStyle::State_Selected) {
            // A frame in the row's contrast with one in the other colour inside it: plain on
            // every colour, where a dotted focus rectangle was hard to find.
            const QColor ink = InkOn(colour);
            const QColor other = ink == QColor(Qt::black) ? QColor(Qt::white) : QColor(Qt::black);
            painter->setBrush(Qt::NoBrush);
            painter->setPen(QPen(ink, 2));
            painter->drawRect(r.adjusted(1, 1, -1, -1));
            painter->setPen(QPen(other, 1));
            painter->drawRect(r.adjusted(2, 2, -3, -3));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.fontMetrics.horizontalAdvance(QStringLiteral("LightGoldenRodYellow")) * 2, ItemHeight};
    }

private:
    const NamedColorTable& Rows;
};

QPushButton* Button(QWidget* parent, const QString& caption, const QString& tooltip, QRect place) {
    auto* b = new QPushButton(caption, parent);
    b->setToolTip(tooltip);
    b->setGeometry(place);
    return b;
}

}  // namespace

TColorDialog::TColorDialog(QWidget* owner, std::int32_t& selectedColor, std::int32_t background)
    : QDialog(owner), SelectedColor(selectedColor), Background(background) {
    setWindowTitle(QStringLiteral("Select colour"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(359, 365);
    setFont(QFont(QStringLiteral("Verdana"), 8));

    CurrentColor = new QLabel(DefaultCaption, this);
    CurrentColor->setGeometry(8, 8, 345, 17);
    CurrentColor->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CurrentColor->setToolTip(QStringLiteral("Currently selected colour"));
    CurrentColor->setAutoFillBackground(true);

    ListBoxPanel = new QWidget(this);
    ListBoxPanel->setGeometry(8, 32, 345, 289);
    auto* fill = new QVBoxLayout(ListBoxPanel);
    fill->setContentsMargins(0, 0, 0, 0);
    ColorListBox = new QListWidget(ListBoxPanel);
    fill->addWidget(ColorListBox);
    QFont bold(QStringLiteral("Verdana"), 8);
    bold.setBold(true);
    ColorListBox->setFont(bold);
    ColorListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ColorListBox->setUniformItemSizes(true);
    ColorListBox->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);  // a row keeps its exact height across a sort
    ColorListBox->setItemDelegate(new ColorItemDelegate(NamedColors, ColorListBox));
    ColorListBox->setAccessibleName(QStringLiteral("Named colours"));

    SortColorsSB = Button(this, QStringLiteral("By luminence"), QStringLiteral("Sort colours by name or luminence"),
                          {8, 332, 89, 25});
    ClearColorSB = Button(this, QStringLiteral("Clear"), QStringLiteral("Clear selected colour"), {104, 332, 49, 25});
    ClearColorSB->setCheckable(true);
    OKBtn = Button(this, QStringLiteral("OK"), QStringLiteral("Accept colour selection"), {199, 332, 75, 25});
    CancelBtn = Button(this, QStringLiteral("Cancel"), QStringLiteral("Cancel without changes"), {279, 332, 75, 25});
    for (QPushButton* b : {SortColorsSB, ClearColorSB, CancelBtn}) b->setAutoDefault(false);
    OKBtn->setDefault(true);

    connect(ColorListBox, &QListWidget::itemSelectionChanged, this, [this] { ColorListBoxClick(); });
    connect(SortColorsSB, &QPushButton::clicked, this, [this] { SortColorsSBClick(); });
    connect(ClearColorSB, &QPushButton::clicked, this, [this] { ClearColorSBClick(); });
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    // Cancel, Esc and the close box all leave the edited colour as it was.
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    NameControlsForAccess(this);
    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TColorDialog::FormCreate() {
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(Background));
    p.setColor(QPalette::WindowText, InkOn(ToQColor(Background)));
    setPalette(p);
    setAutoFillBackground(true);
    ShowEditedColor(0);
    CopyConstantsToVariable(NamedColors);
    SortByName = true;
    FillList();
}

void TColorDialog::ShowEditedColor(std::int32_t color) {
    const QColor shown = ToQColor(color != 0 ? color : Background);
    QPalette p = CurrentColor->palette();
    p.setColor(QPalette::Window, shown);
    p.setColor(QPalette::WindowText, InkOn(shown));
    CurrentColor->setPalette(p);
}

void TColorDialog::SetPrompt(const QString& prompt) { CurrentColor->setText(prompt.isEmpty() ? DefaultCaption : prompt); }

void TColorDialog::FillList() {
    const QSignalBlocker quiet(ColorListBox);
    ColorListBox->clear();
    for (const NamedColor& row : NamedColors)
        ColorListBox->addItem(QString::fromLatin1(row.Name.data(), static_cast<qsizetype>(row.Name.size())));
    ColorListBox->setCurrentRow(-1);
    ColorListBox->clearSelection();
    ColorListBox->viewport()->update();
}

void TColorDialog::ColorListBoxClick() {
    const int row = ColorListBox->currentRow();
    if (row < 0 || row >= static_cast<int>(NamedColorCount) || ColorListBox->selectedItems().isEmpty()) return;
    const NamedColor& chosen = NamedColors[static_cast<std::size_t>(row)];
    ColorListBox->setToolTip(QString::fromLatin1(NamedColorHint(chosen)));
    ShowEditedColor(WebToPlatformColor(chosen.Value));  // the strip shows what OK would give
}

void TColorDialog::SortColorsSBClick() {
    // The chosen colour stays chosen, at the same height in the list where the new order
    // allows it, so that the row under the pointer does not change colour.
    const QList<QListWidgetItem*> chosen = ColorListBox->selectedItems();
    const bool keep = !chosen.isEmpty();
    const std::string_view name = keep ? NamedColors[static_cast<std::size_t>(ColorListBox->row(chosen.front()))].Name
                                       : std::string_view();
    const int shownAt = keep ? ColorListBox->visualItemRect(chosen.front()).top() : 0;

    SortByName = !SortByName;
    SortColours(NamedColors, SortByName);
    FillList();
    SortColorsSB->setText(SortByName ? QStringLiteral("By luminence") : QStringLiteral("By name"));
    if (!keep) return;
    for (std::size_t i = 0; i < NamedColors.size(); ++i)
        if (NamedColors[i].Name == name) {
            QListWidgetItem* item = ColorListBox->item(static_cast<int>(i));
            ColorListBox->setCurrentItem(item);
            ColorListBox->doItemsLayout();
            QScrollBar* bar = ColorListBox->verticalScrollBar();
            bar->setValue(bar->value() + ColorListBox->visualItemRect(item).top() - shownAt);
            ColorListBox->scrollToItem(item, QAbstractItemView::EnsureVisible);
            break;
        }
}

void TColorDialog::ClearColorSBClick() { SelectedColor = 0; }

void TColorDialog::OKBtnClick() {
    const QList<QListWidgetItem*> chosen = ColorListBox->selectedItems();
    if (!chosen.isEmpty()) {
        const int row = ColorListBox->row(chosen.front());
        SelectedColor = WebToPlatformColor(NamedColors[static_cast<std::size_t>(row)].Value);
    }
    if (ClearColorSB->isChecked()) SelectedColor = 0;
    accept();
}
