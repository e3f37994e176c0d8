// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBActivity/TActivityChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"
#include "Platform/Dialogs.h"

namespace {

const QString WindowTitle = QStringLiteral("Activity chart");
constexpr ActivityPeriod Periods[] = {ActivityPeriod::Month, ActivityPeriod::Weekday, ActivityPeriod::Hour};

QString AxisTitle(ActivityPeriod period) {
    switch (period) {
        case ActivityPeriod::Weekday: return QStringLiteral("Weekday");
        case ActivityPeriod::Hour: return QStringLiteral("Hour");
        default: return QStringLiteral("Month");
    }
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TActivityChart::TActivityChart(const MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale,
                               Dialogs& dialogs, const ActivityContact& contact, QWidget* parent)
    : QWidget(parent, Qt::Window), S(store), D(defaults), Locale(locale), Dlg(dialogs) {
    setWindowTitle(WindowTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(820, 520);

    PeriodBox = new QComboBox(this);
    PeriodBox->addItems({QStringLiteral("By month"), QStringLiteral("By weekday"), QStringLiteral("By hour")});
    ContactBox = new QComboBox(this);
    ContactBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    FiguresCheck = new QCheckBox(QStringLiteral("Show figures"), this);

    Chart = new QChart;
    Chart->legend()->setAlignment(Qt::AlignBottom);
    PeriodAxis = new QBarCategoryAxis(Chart);
    CountAxis = new QValueAxis(Chart);
    CountAxis->setTitleText(QStringLiteral("Messages"));
    CountAxis->setLabelFormat(QStringLiteral("%d"));
    Chart->addAxis(PeriodAxis, Qt::AlignBottom);
    Chart->addAxis(CountAxis, Qt::AlignLeft);
    ChartView = new QChartView(Chart, this);
    ChartView->setRenderHint(QPainter::Antialiasing);

    FiguresTable = new QTableWidget(0, 3, this);
    FiguresTable->setHorizontalHeaderLabels({QStringLiteral("Period"), QStringLiteral("Sent"), QStringLiteral("Received")});
    FiguresTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FiguresTable->verticalHeader()->hide();
    FiguresTable->hide();

    SaveImageBtn = new QPushButton(QStringLiteral("Save image..."), this);
    CloseBtn = new QPushButton(QStringLiteral("Close"), this);

    auto* choices = new QHBoxLayout;
    choices->addWidget(BuddyLabel(QStringLiteral("&Period:"), PeriodBox));
    choices->addWidget(PeriodBox);
    choices->addSpacing(12);
    choices->addWidget(BuddyLabel(QStringLiteral("&Contact:"), ContactBox));
    choices->addWidget(ContactBox);
    choices->addStretch();
    choices->addWidget(FiguresCheck);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SaveImageBtn);
    buttons->addWidget(CloseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(ChartView, 3);
    layout->addWidget(FiguresTable, 2);
    layout->addLayout(buttons);

    PeriodBox->setAccessibleName(QStringLiteral("Period"));
    ContactBox->setAccessibleName(QStringLiteral("Contact"));
    FiguresCheck->setAccessibleName(FiguresCheck->text());
    ChartView->setAccessibleName(WindowTitle);
    FiguresTable->setAccessibleName(QStringLiteral("Activity figures"));
    SaveImageBtn->setAccessibleName(QStringLiteral("Save image"));
    CloseBtn->setAccessibleName(CloseBtn->text());

    FillContactBox(ActivityContacts(S));
    ShowContact(contact);
    connect(PeriodBox, &QComboBox::currentIndexChanged, this, [this] { Recount(); });
    connect(ContactBox, &QComboBox::currentIndexChanged, this, [this] { Recount(); });
    connect(FiguresCheck, &QCheckBox::toggled, FiguresTable, &QWidget::setVisible);
    connect(SaveImageBtn, &QPushButton::clicked, this, &TActivityChart::SaveImageClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);  // Esc, as in the program's dialogs
}

void TActivityChart::FillContactBox(std::vector<ActivityContact> contacts) {
    Contacts = std::move(contacts);
    const QSignalBlocker quiet(ContactBox);
    ContactBox->clear();
    ContactBox->addItem(QStringLiteral("All contacts"));
    for (const ActivityContact& c : Contacts) ContactBox->addItem(ShownText(c.Key));
}

void TActivityChart::ShowContact(const ActivityContact& contact) {
    const auto found = std::find(Contacts.begin(), Contacts.end(), contact);
    const int entry = found == Contacts.end() ? 0 : static_cast<int>(found - Contacts.begin()) + 1;
    {
        const QSignalBlocker quiet(ContactBox);
        ContactBox->setCurrentIndex(entry);
    }
    Recount();
}

void TActivityChart::ShowPeriod(ActivityPeriod period) {
    PeriodBox->setCurrentIndex(static_cast<int>(std::find(std::begin(Periods), std::end(Periods), period) -
                                                std::begin(Periods)));
}

ActivityContact TActivityChart::CurrentContact() const {
    const int entry = ContactBox->currentIndex();
    return entry >= 1 && entry <= static_cast<int>(Contacts.size()) ? Contacts[static_cast<std::size_t>(entry - 1)]
                                                                     : ActivityContact{};
}

ActivityPeriod TActivityChart::CurrentPeriod() const {
    return Periods[std::clamp(PeriodBox->currentIndex(), 0, 2)];
}

void TActivityChart::Refresh() {
    if (std::vector<ActivityContact> now = ActivityContacts(S); now != Contacts) {
        const ActivityContact shown = CurrentContact();
        FillContactBox(std::move(now));
        ShowContact(shown);  // all contacts when it is gone; recounts
        return;
    }
    Recount();
}

void TActivityChart::Recount() {
    const ActivityPeriod period = CurrentPeriod();
    ActivityCounts counts = CountActivity(S, period, CurrentContact());
    if (counts.Rows == Shown.Rows && period == ShownPeriod && ShownSentColor == D.SentColor &&
        ShownReceivedColor == D.ReceivedColor)
        return;
    Shown = std::move(counts);
    ShownPeriod = period;
    Draw();
}

QString TActivityChart::PeriodLabel(const PeriodCount& row, std::size_t index) const {
    // The locale's day names (Sunday first there), Monday first here.
    if (ShownPeriod == ActivityPeriod::Weekday) return QString::fromStdString(Locale.LongDayNames[(index + 1) % 7]);
    return QString::fromStdString(row.Period);
}

void TActivityChart::Draw() {
    ShownSentColor = D.SentColor;
    ShownReceivedColor = D.ReceivedColor;
    auto* sent = new QBarSet(QStringLiteral("Sent"));
    auto* received = new QBarSet(QStringLiteral("Received"));
    for (auto [set, color] : {std::pair{sent, D.SentColor}, std::pair{received, D.ReceivedColor}}) {
        set->setColor(ToQColor(color));
        set->setBorderColor(ToQColor(color).darker(150));
    }
    QList<qreal> sentValues, receivedValues;
    QStringList labels;
    int highest = 0;
    FiguresTable->setRowCount(static_cast<int>(Shown.Rows.size()));
    for (std::size_t i = 0; i < Shown.Rows.size(); ++i) {
        const PeriodCount& row = Shown.Rows[i];
        sentValues.append(row.Sent);
        receivedValues.append(row.Received);
        labels.append(PeriodLabel(row, i));
        highest = std::max(highest, row.Sent + row.Received);
        const int r = static_cast<int>(i);
        FiguresTable->setItem(r, 0, new QTableWidgetItem(labels.back()));
        for (int c : {1, 2}) {
            auto* item = new QTableWidgetItem(QString::number(c == 1 ? row.Sent : row.Received));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            FiguresTable->setItem(r, c, item);
        }
    }
    sent->append(sentValues);
    received->append(receivedValues);

    auto* series = new QStackedBarSeries;
    series->append(sent);
    series->append(received);
    series->setBarWidth(0.8);
    Chart->removeAllSeries();
    Chart->addSeries(series);
    PeriodAxis->clear();
    PeriodAxis->append(labels);
    PeriodAxis->setTitleText(AxisTitle(ShownPeriod));
    // Month labels stand upright once there are more than a year's worth of them.
    PeriodAxis->setLabelsAngle(labels.size() > 12 ? -90 : 0);
    CountAxis->setRange(0, std::max(highest, 1));
    CountAxis->applyNiceNumbers();
    series->attachAxis(PeriodAxis);
    series->attachAxis(CountAxis);
    const QString contact = ContactBox->currentText();
    Chart->setTitle(contact + QStringLiteral(", ") + PeriodBox->currentText().toLower());
    connect(series, &QStackedBarSeries::hovered, this, [this](bool over, int index) {
        if (over)
            QToolTip::showText(QCursor::pos(), HoverText(index), ChartView);
        else
            QToolTip::hideText();
    });
}

QString TActivityChart::FiguresText() const {
    QString text = QStringLiteral("period\tsent\treceived\n");
    for (int r = 0; r < FiguresTable->rowCount(); ++r)
        text += FiguresTable->item(r, 0)->text() + '\t' + FiguresTable->item(r, 1)->text() + '\t' +
                FiguresTable->item(r, 2)->text() + '\n';
    return text;
}

QString TActivityChart::HoverText(int row) const {
    if (row < 0 || row >= static_cast<int>(Shown.Rows.size())) return {};
    const PeriodCount& r = Shown.Rows[static_cast<std::size_t>(row)];
    return PeriodLabel(r, static_cast<std::size_t>(row)) +
           QStringLiteral("\nSent %1\nReceived %2\nTogether %3").arg(r.Sent).arg(r.Received).arg(r.Sent + r.Received);
}

bool TActivityChart::SaveImage(const QString& path) {
    QBuffer image;
    image.open(QIODevice::WriteOnly);
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&image);
        svg.setSize(ChartView->size());
        svg.setViewBox(ChartView->rect());
        svg.setTitle(WindowTitle);
        QPainter painter(&svg);
        ChartView->render(&painter);
    } else {
        ChartView->grab().save(&image, "PNG");
    }
    const std::string target = path.toStdString();
    std::string reason;
    try {
        // A complete new file or none: an existing picture stays whole when writing fails.
        AtomicFileWriter file;
        if (const int code = file.Open(target)) {
            reason = FileErrorReason(code);
        } else {
            file.Write(image.data().constData(), static_cast<std::size_t>(image.data().size()));
            file.Commit();
        }
    } catch (const IoError& e) {
        reason = e.what();
    }
    if (reason.empty()) return true;
    Dlg.ShowError(QString::fromStdString(FileErrorText("save", target, reason)));
    return false;
}

void TActivityChart::SaveImageClick() {
    FileRequest request{QStringLiteral("Save image"), {}, QStringLiteral("activity.png"),
                        QStringLiteral("PNG image (*.png);;SVG image (*.svg)"), QStringLiteral("png")};
    const QString path = Dlg.SaveFile(request);
    if (!path.isEmpty()) SaveImage(path);
}
