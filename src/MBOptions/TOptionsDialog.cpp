// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBOptions/TOptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "Lang/HomeCountry.h"
#include "MBOptions/HomeCountryBox.h"
#include "MBrowser/GridFont.h"
#include "MBOptions/OptionsHost.h"
#include "Platform/Dialogs.h"
#include "Platform/AccessibleNames.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"

namespace {

QCheckBox* CheckBox(QWidget* parent, const QString& caption, QRect place) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(place);
    return box;
}

QLabel* Label(QWidget* parent, const QString& caption, QRect place) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(place);
    return label;
}

QSpinBox* SpinBox(QWidget* parent, int most, QRect place) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(0, most);
    spin->setGeometry(place);
    return spin;
}

// A flat button whose picture shows the colour it edits.
QToolButton* ColorButton(QWidget* parent, const QString& caption, QRect place) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setIconSize(QSize(14, 14));
    b->setGeometry(place);
    b->setStyleSheet(QStringLiteral("QToolButton { padding-left: 5px; text-align: left; }"));
    return b;
}

QIcon Swatch(std::int32_t color) {
    QPixmap square(14, 14);
    square.fill(ToQColor(color));
    QPainter p(&square);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(0, 0, 13, 13);
    return QIcon(square);
}

// A group of radio items, numbered from 0 in the order given.
QGroupBox* RadioGroup(QWidget* parent, const QString& caption, const QStringList& items, QRect place,
                      QButtonGroup*& group) {
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(place);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(8, 4, 4, 4);
    column->setSpacing(0);
    group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], box);
        group->addButton(item, i);
        column->addWidget(item);
    }
    return box;
}

void Check(QButtonGroup* group, int index) {
    const QSignalBlocker quiet(group);
    if (QAbstractButton* b = group->button(index)) b->setChecked(true);
}

// The spin box's value as typed: a text that is not a number gives 0.
int Typed(const QSpinBox* spin) {
    bool number = false;
    const int value = spin->cleanText().trimmed().toInt(&number);
    return number ? std::clamp(value, spin->minimum(), spin->maximum()) : 0;
}

QColor InkOn(const QColor& ground) { return ground.lightness() >= 128 ? QColor(0x10, 0x18, 0x28) : QColor(Qt::white); }

}  // namespace

TOptionsDialog::TOptionsDialog(OptionsHost& host)
    : QDialog(host.OptionsParent()), Host(host), D(host.OptionsSettings().Defaults) {
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(358, 516);  // room below the message view for the home country and its numbers
    setFont(QFont(QStringLiteral("Verdana"), 8));
    setAutoFillBackground(true);
    BuildControls();
    NameControlsForAccess(this);
    FormCreate();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TOptionsDialog::BuildControls() {
    GeneralBox = new QGroupBox(QStringLiteral(" General "), this);
    GeneralBox->setGeometry(8, 8, 345, 113);
    LastSavedReadCB = CheckBox(GeneralBox, QStringLiteral("Open last saved file at startup"), {8, 16, 257, 17});
    RemoveDupsCB = CheckBox(GeneralBox, QStringLiteral("Remove duplicates after importing files"), {8, 32, 257, 17});
    UseHistoryCB = CheckBox(GeneralBox, QStringLiteral("Fit phone numbers and names"), {8, 48, 257, 17});
    HintWaitLabel = Label(GeneralBox, QStringLiteral("Tooltip wait time (ms)"), {8, 66, 165, 17});
    HintWaitSpin = SpinBox(GeneralBox, 1000, {8, 84, 57, 22});
    HintHideWaitLabel = Label(GeneralBox, QStringLiteral("Tooltip display time (ms)"), {176, 66, 165, 17});
    HintHideWaitSpin = SpinBox(GeneralBox, 20000, {176, 84, 57, 22});
    NameAfterLabel(HintWaitSpin, HintWaitLabel->text());
    NameAfterLabel(HintHideWaitSpin, HintHideWaitLabel->text());
    // The display time needs five digits: the box grows to the right, into free space.
    HintHideWaitSpin->setFixedWidth(std::max(57, HintHideWaitSpin->sizeHint().width()));
    HintWaitSpin->setFixedWidth(std::max(57, HintWaitSpin->sizeHint().width()));

    ColorsBox = new QGroupBox(QStringLiteral(" Colours "), this);
    ColorsBox->setGeometry(8, 120, 345, 129);
    MainColorSB = ColorButton(ColorsBox, QStringLiteral("Default colour"), {8, 16, 161, 20});
    SentColorSB = ColorButton(ColorsBox, QStringLiteral("Sent colour"), {8, 36, 161, 20});
    ReceivedColorSB = ColorButton(ColorsBox, QStringLiteral("Received colour"), {8, 56, 161, 20});
    ToolTipColorSB = ColorButton(ColorsBox, QStringLiteral("Tooltip colour"), {8, 76, 161, 20});
    FixedGridColorSB = ColorButton(ColorsBox, QStringLiteral("Message border colour"), {8, 96, 161, 20});
    ColorModeRB = RadioGroup(ColorsBox, QStringLiteral(" View messages using "),
                             {QStringLiteral("Default colour"), QStringLiteral("Sent/received colours"),
                              QStringLiteral("Contact colours")},
                             {176, 12, 161, 105}, ColorModeItems);

    FontBox = new QGroupBox(QStringLiteral(" Message view "), this);
    FontBox->setGeometry(8, 248, 345, 177);
    const QStringList styles = {QStringLiteral("Regular"), QStringLiteral("Italic"), QStringLiteral("Bold"),
                                QStringLiteral("Bold Italic")};
    SentFontRG = RadioGroup(FontBox, QStringLiteral(" Sent messages style "), styles, {8, 20, 161, 93}, SentFontItems);
    ReceivedFontRG =
        RadioGroup(FontBox, QStringLiteral(" Received messages style "), styles, {176, 20, 161, 93}, ReceivedFontItems);
    MessageFontSB = new QToolButton(FontBox);
    MessageFontSB->setText(QStringLiteral("Default message font"));
    MessageFontSB->setAutoRaise(true);
    MessageFontSB->setGeometry(8, 120, 161, 24);
    MessageFontSB->setStyleSheet(QStringLiteral("QToolButton { padding-left: 5px; }"));
    GridLinesCB = CheckBox(FontBox, QStringLiteral("Show grid lines"), {176, 124, 161, 17});
    DateTimeFormatLabel = Label(FontBox, QStringLiteral("Date time format"), {16, 152, 153, 17});
    DateTimeEdit = new QLineEdit(FontBox);
    DateTimeEdit->setGeometry(176, 148, 161, 21);
    NameAfterLabel(DateTimeEdit, DateTimeFormatLabel->text());

    HomeCountryLabel = Label(this, QStringLiteral("Home country"), {16, 436, 161, 17});
    HomeCountryBox = NewHomeCountryBox(this);
    HomeCountryBox->setGeometry(184, 432, 169, 22);
    NameAfterLabel(HomeCountryBox, HomeCountryLabel->text());
    InternationalNumbersCB = CheckBox(this, QStringLiteral("Write numbers in international form"), {16, 460, 337, 17});
    InternationalNumbersCB->setToolTip(
        QStringLiteral("The numbers of the suites' exports are held in international form too, as the phones' backups' are"));

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(199, 486, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setGeometry(279, 486, 75, 25);
    CancelBtn->setAutoDefault(false);

    connect(OKBtn, &QPushButton::clicked, this, [this] { Host.RunOptionsCommand([this] { OKBtnClick(); }); });
    connect(CancelBtn, &QPushButton::clicked, this, &TOptionsDialog::reject);
    const std::pair<QToolButton*, void (TOptionsDialog::*)()> colourButtons[] = {
        {MainColorSB, &TOptionsDialog::MainColorSBClick},
        {SentColorSB, &TOptionsDialog::SentColorSBClick},
        {ReceivedColorSB, &TOptionsDialog::ReceivedColorSBClick},
        {ToolTipColorSB, &TOptionsDialog::ToolTipColorSBClick},
        {FixedGridColorSB, &TOptionsDialog::FixedGridColorSBClick},
        {MessageFontSB, &TOptionsDialog::MessageFontSBClick},
    };
    for (const auto& [button, handler] : colourButtons)
        connect(button, &QToolButton::clicked, this, [this, handler] { Host.RunOptionsCommand([this, handler] { (this->*handler)(); }); });
    const std::pair<QButtonGroup*, void (TOptionsDialog::*)()> radioGroups[] = {
        {ColorModeItems, &TOptionsDialog::ColorModeRBClick},
        {SentFontItems, &TOptionsDialog::SentFontRGClick},
        {ReceivedFontItems, &TOptionsDialog::ReceivedFontRGClick},
    };
    for (const auto& [group, handler] : radioGroups)
        connect(group, &QButtonGroup::idClicked, this, [this, handler] { Host.RunOptionsCommand([this, handler] { (this->*handler)(); }); });
}

void TOptionsDialog::FormCreate() {
    Host.OptionsSettings().SavedDefaults = D;
    SavedFont = *D.DefaultFont;
    Check(ColorModeItems, D.ColorMode);
    LastSavedReadCB->setChecked(D.LastSavedRead);
    RemoveDupsCB->setChecked(D.RemoveDups);
    UseHistoryCB->setChecked(D.UseHistory);
    GridLinesCB->setChecked(D.GridLines);
    DateTimeEdit->setText(ShownText(D.DateTimeFormat));
    SelectHomeCountry(HomeCountryBox, D.HomeCountry);
    InternationalNumbersCB->setChecked(D.InternationalNumbers);
    Check(SentFontItems, D.SentFont);
    Check(ReceivedFontItems, D.ReceivedFont);
    ShowMessageFont();
    HintWaitSpin->setValue(D.HintWait);  // brought into 0..1000
    HintHideWaitSpin->setValue(D.HintHideWait);
    FormPaint();
}

void TOptionsDialog::FormPaint() {
    const QColor ground = ToQColor(D.DefaultColor);
    if (palette().color(QPalette::Window) != ground) {  // a new palette restyles every control
        QPalette p = palette();
        p.setColor(QPalette::Window, ground);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) p.setColor(role, InkOn(ground));
        setPalette(p);
    }
    MainColorSB->setIcon(Swatch(D.DefaultColor));
    SentColorSB->setIcon(Swatch(D.SentColor));
    ReceivedColorSB->setIcon(Swatch(D.ReceivedColor));
    ToolTipColorSB->setIcon(Swatch(D.HintColor));
    FixedGridColorSB->setIcon(Swatch(D.GridFixedColor));
    update();
}

void TOptionsDialog::EditColor(const QString& prompt, std::int32_t& setting) {
    Host.ChooseOptionsColour(this, prompt, setting);
    Host.RepaintForOptions();
    FormPaint();
}

void TOptionsDialog::MainColorSBClick() { EditColor(QStringLiteral("Select default colour"), D.DefaultColor); }
void TOptionsDialog::SentColorSBClick() { EditColor(QStringLiteral("Select the colour for sent messages"), D.SentColor); }
void TOptionsDialog::ReceivedColorSBClick() {
    EditColor(QStringLiteral("Select the colour for received messages"), D.ReceivedColor);
}
void TOptionsDialog::ToolTipColorSBClick() { EditColor(QStringLiteral("Select the colour for tooltips"), D.HintColor); }
void TOptionsDialog::FixedGridColorSBClick() {
    EditColor(QStringLiteral("Select the colour for message borders"), D.GridFixedColor);
}

void TOptionsDialog::ColorModeRBClick() {
    D.ColorMode = static_cast<std::uint8_t>(std::max(0, ColorModeItems->checkedId()));
    Host.RepaintForOptions();
}

void TOptionsDialog::SentFontRGClick() {
    D.SentFont = static_cast<std::uint8_t>(std::max(0, SentFontItems->checkedId()));
    Host.RepaintForOptions();
}

void TOptionsDialog::ReceivedFontRGClick() {
    D.ReceivedFont = static_cast<std::uint8_t>(std::max(0, ReceivedFontItems->checkedId()));
    Host.RepaintForOptions();
}

void TOptionsDialog::ApplyGridFont() {
    // One layout pass after the font is in place: a pass before it would be overwritten
    // whole by this one, so it would only cost time on a full store.
    Host.RefitGridForOptions();
    Host.RepaintForOptions();
}

void TOptionsDialog::ShowMessageFont() {
    // The caption in the message font's face and style but at the dialog's size: at the
    // font's own size a large font cut the caption off. The size is in the tooltip.
    const QFont message = ToQFont(*D.DefaultFont);
    QFont face = message;
    if (font().pointSizeF() > 0) face.setPointSizeF(font().pointSizeF());
    else face.setPixelSize(font().pixelSize());
    MessageFontSB->setFont(face);
    const char* const styles[4] = {"Regular", "Italic", "Bold", "Bold Italic"};
    const QString size = message.pointSizeF() > 0 ? QString::number(message.pointSizeF()) + QStringLiteral(" pt")
                                                  : QString::number(message.pixelSize()) + QStringLiteral(" px");
    MessageFontSB->setToolTip(message.family() + QStringLiteral(", ") + size + QStringLiteral(", ") +
                              QString::fromLatin1(styles[(message.italic() ? 1 : 0) + (message.bold() ? 2 : 0)]));
    MessageFontSB->setAccessibleDescription(MessageFontSB->toolTip());
}

void TOptionsDialog::MessageFontSBClick() {
    const std::optional<QFont> chosen = Host.OptionsDialogs().ChooseFont(ToQFont(*D.DefaultFont));
    if (!chosen) return;
    ToFontData(*chosen, *D.DefaultFont);  // the character set stays: the desktop has none to give
    ShowMessageFont();
    ApplyGridFont();
}

void TOptionsDialog::OKBtnClick() {
    D.ColorMode = static_cast<std::uint8_t>(std::max(0, ColorModeItems->checkedId()));
    D.LastSavedRead = LastSavedReadCB->isChecked();
    D.RemoveDups = RemoveDupsCB->isChecked();
    D.UseHistory = UseHistoryCB->isChecked();
    D.GridLines = GridLinesCB->isChecked();
    D.DateTimeFormat = StoredFromTyped(DateTimeEdit->text());
    const bool numbersChanged = EffectiveHomeCountry(ChosenHomeCountry(HomeCountryBox)) != EffectiveHomeCountry(D.HomeCountry) ||
                                InternationalNumbersCB->isChecked() != D.InternationalNumbers;
    D.HomeCountry = ChosenHomeCountry(HomeCountryBox);
    D.InternationalNumbers = InternationalNumbersCB->isChecked();
    D.HintWait = Typed(HintWaitSpin);
    D.HintHideWait = Typed(HintHideWaitSpin);
    Restored = true;  // nothing to put back
    accept();
    Host.OptionsAccepted(numbersChanged);
}

void TOptionsDialog::CancelBtnClick() {
    // The record copy shares the font object, so the font is restored from its own copy.
    D = Host.OptionsSettings().SavedDefaults;
    *D.DefaultFont = SavedFont;
    Restored = true;
    ApplyGridFont();
}

void TOptionsDialog::reject() {
    if (!Restored) Host.RunOptionsCommand([this] { CancelBtnClick(); });
    QDialog::reject();
}
