// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBActivity/TActivityChart.h"

#include <QCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFontMetricsF>
#include <QHash>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <span>

#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"
#include "Platform/Dialogs.h"

namespace {

const QString WindowTitle = QStringLiteral("Activity chart");
constexpr QChar ZeroWidthSpace(0x200B);
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
    // The periods' axis is one of values, bar k at value k, so that it can label only the
    // periods its width has room for (a category axis labels every bar, and squeezed its
    // labels to "..." when they did not fit).
    PeriodAxis = new QCategoryAxis(Chart);
    PeriodAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    PeriodAxis->setGridLineVisible(false);
    CountAxis = new QValueAxis(Chart);
    CountAxis->setTitleText(QStringLiteral("Messages"));
    CountAxis->setLabelFormat(QStringLiteral("%d"));
    Chart->addAxis(PeriodAxis, Qt::AlignBottom);
    Chart->addAxis(CountAxis, Qt::AlignLeft);
    ChartView = new QChartView(Chart, this);
    ChartView->setRenderHint(QPainter::Antialiasing);
    connect(Chart, &QChart::plotAreaChanged, this, [this] { FitPeriodLabels(); });

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
    PeriodAxis->setTitleText(AxisTitle(ShownPeriod));
    PeriodAxis->setRange(-0.5, std::max<double>(static_cast<double>(labels.size()) - 0.5, 0.5));
    LabelStep = 0;
    FitPeriodLabels();
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

QString TActivityChart::AxisLabel(std::size_t index, bool withYear) const {
    const PeriodCount& row = Shown.Rows[index];
    if (ShownPeriod != ActivityPeriod::Month || row.Period.size() < 7) return PeriodLabel(row, index);
    const int month = std::atoi(row.Period.c_str() + 5);
    const QString year = QString::fromStdString(row.Period.substr(0, 4));
    if (month <= 1 || month > 12) return year;
    const QString name = QString::fromStdString(Locale.ShortMonthNames[static_cast<std::size_t>(month - 1)]);
    return withYear ? name + QLatin1Char(' ') + year : name;
}

bool TActivityChart::Labelled(std::size_t index, int step) const {
    if (ShownPeriod != ActivityPeriod::Month || step == 1) return index % static_cast<std::size_t>(step) == 0;
    const std::string& period = Shown.Rows[index].Period;
    if (period.size() < 7) return false;
    const int year = std::atoi(period.c_str()), month = std::atoi(period.c_str() + 5);
    // Up to a year: the months a step apart from each January; beyond: every few Januaries.
    return step <= 12 ? (month - 1) % step == 0 : month == 1 && year % (step / 12) == 0;
}

void TActivityChart::FitPeriodLabels() {
    // Changing the labels moves the plot area, which asks again: one answer is enough.
    if (FittingLabels) return;
    const QScopedValueRollback fitting(FittingLabels, true);
    const std::size_t count = Shown.Rows.size();
    const double width = Chart->plotArea().width();
    if (count == 0 || width <= 0) {
        for (const QString& label : PeriodAxis->categoriesLabels()) PeriodAxis->remove(label);
        return;
    }
    // The fewest steps between labels at which the widest label and a gap fit.
    const QFontMetricsF metrics(PeriodAxis->labelsFont());
    double widest = metrics.horizontalAdvance(AxisLabel(0, true));
    for (std::size_t i = 0; i < count; ++i) widest = std::max(widest, metrics.horizontalAdvance(AxisLabel(i)));
    const double needed = widest + metrics.averageCharWidth() * 2;
    const double slot = width / static_cast<double>(count);
    static constexpr int MonthSteps[] = {1, 2, 3, 4, 6, 12, 24, 60, 120, 240, 600, 1200};
    static constexpr int OtherSteps[] = {1, 2, 3, 4, 6, 8, 12, 24};
    const bool months = ShownPeriod == ActivityPeriod::Month;
    int step = months ? MonthSteps[std::size(MonthSteps) - 1] : OtherSteps[std::size(OtherSteps) - 1];
    for (const int s : months ? std::span<const int>(MonthSteps) : std::span<const int>(OtherSteps))
        if (slot * s >= needed) {
            step = s;
            break;
        }
    if (step == LabelStep && !PeriodAxis->categoriesLabels().isEmpty()) return;
    LabelStep = step;
    for (const QString& label : PeriodAxis->categoriesLabels()) PeriodAxis->remove(label);
    bool first = true;
    QHash<QString, int> seen;
    for (std::size_t i = 0; i < count; ++i)
        if (Labelled(i, step)) {
            // The axis takes each label once: a month name of another year is told apart by
            // zero-width spaces, which draw nothing.
            const QString label = AxisLabel(i, first);
            PeriodAxis->append(label + QString(seen[label]++, ZeroWidthSpace), static_cast<double>(i));
            first = false;
        }
    PeriodAxis->setStartValue(-0.5);
}

QStringList TActivityChart::AxisLabels() const {
    QStringList labels = PeriodAxis->categoriesLabels();
    for (QString& label : labels) label.remove(ZeroWidthSpace);
    return labels;
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

QString TActivityChart::ImageFileName() const {
    // "activity-Anna-Berg-by-month.png": the contact and the period, as the chart's title
    // says them, with what a file name cannot hold made dashes.
    QString name = QStringLiteral("activity-") + ContactBox->currentText() + QLatin1Char('-') + PeriodBox->currentText();
    for (QChar& c : name)
        if (c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('-');
    return name.toLower() + QStringLiteral(".png");
}

void TActivityChart::SaveImageClick() {
    FileRequest request{QStringLiteral("Save image"), ImageFolder, ImageFileName(),
                        QStringLiteral("PNG image (*.png);;SVG image (*.svg)"), QStringLiteral("png")};
    const QString path = Dlg.SaveFile(request);
    if (!path.isEmpty()) SaveImage(path);
}
