// SPDX-License-Identifier: GPL-3.0-or-later
// The activity chart window: opened from the View menu beside the main window, its table
// the same as kestro-cli's figures, redrawn on collection and colour changes, saved as a
// picture.
#include <QAbstractAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPushButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QToolButton>
#include <QFontMetricsF>
#include <algorithm>
#include <sstream>

#include "FormFixture.h"
#include "MBActivity/TActivityChart.h"
#include "MBVars/ActivityCounts.h"
#include "cli/CollectionCommands.h"

namespace {

class ActivityChartTest : public FormTest {
protected:
    std::string DataFile;

    // Two numbers sharing a name, a nameless number, a leap day, empty months between and
    // a time that is no date.
    TActivityChart& OpenChart() {
        MsgStore source;
        const std::uint16_t sent = MsgSms | MsgSent, received = MsgSms | MsgReceived;
        AddMessage(source, "2024.06.15 12:30", "555-0102", "june", sent);
        AddMessage(source, "2024.03.01 00:00", "555-0101", "midnight", received, "Ann Example");
        AddMessage(source, "2024.02.29 23:59", "555-0100", "leap", sent, "Ann Example");
        AddMessage(source, "2024.13.01 10:00", "555-0102", "month 13", received);
        AddMessage(source, "2023.12.31 08:05", "555-0102", "new year's eve", received);
        Renumber(source);
        DataFile = Documents.path().toStdString() + "/activity.kst";
        EXPECT_EQ(WriteDataFile(source, DataFile), 0);
        WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = DataFile; });
        Open();
        Form->ActivityChartMainMenu->trigger();
        EXPECT_TRUE(Form->ActivityChart);
        return *Form->ActivityChart;
    }

    std::string CliFigures(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        EXPECT_EQ(RunActivityCommand(args, out, err), 0);
        return out.str();
    }

    static QColor SentBarColour(const TActivityChart& chart) {
        auto* series = qobject_cast<QStackedBarSeries*>(chart.Chart->series().value(0));
        return series ? series->barSets().value(0)->color() : QColor();
    }
};

TEST_F(ActivityChartTest, MenuOpensAWindowBesideTheMainWindow) {
    TActivityChart& chart = OpenChart();
    const QList<QAction*> view = Form->ViewMenu->actions();
    EXPECT_EQ(view.indexOf(Form->ActivityChartMainMenu), view.indexOf(Form->StatisticsMainMenu) + 1);
    EXPECT_EQ(Form->ActivityChartMainMenu->text(), "Activity chart");
    EXPECT_TRUE(chart.isVisible());
    EXPECT_EQ(chart.windowTitle(), "Activity chart");
    EXPECT_FALSE(chart.isModal());
    EXPECT_EQ(chart.ContactBox->itemText(0), "All contacts");
    EXPECT_EQ(chart.ContactBox->count(), 3);  // Ann Example once for both numbers, and 555-0102
    EXPECT_TRUE(chart.HoverText(0).startsWith("2023-12\nSent 0\nReceived 1"));
    for (QWidget* w : std::initializer_list<QWidget*>{chart.PeriodBox, chart.ContactBox, chart.FiguresCheck,
                                                       chart.ChartView, chart.FiguresTable, chart.SaveImageBtn,
                                                       chart.CloseBtn})
        EXPECT_FALSE(w->accessibleName().isEmpty());
    // Opening again brings the same window forward.
    Form->ActivityChartMainMenu->trigger();
    EXPECT_EQ(Form->ActivityChart, &chart);
}

TEST_F(ActivityChartTest, TableEqualsTheCommandLineFigures) {
    TActivityChart& chart = OpenChart();
    const char* periods[] = {"month", "weekday", "hour"};
    // Each entry of the contact box, and a number of it for kestro-cli.
    const std::vector<std::pair<int, std::vector<std::string>>> contacts = {
        {0, {}}, {1, {"--contact", "555-0102"}}, {2, {"--contact", "555-0100"}}};
    for (int p = 0; p < 3; ++p) {
        chart.PeriodBox->setCurrentIndex(p);
        for (const auto& [entry, option] : contacts) {
            chart.ContactBox->setCurrentIndex(entry);
            std::vector<std::string> args = {DataFile, "--by", periods[p]};
            args.insert(args.end(), option.begin(), option.end());
            EXPECT_EQ(chart.FiguresText().toStdString(), CliFigures(args)) << periods[p] << ' ' << entry;
        }
    }
    chart.FiguresCheck->setChecked(true);
    EXPECT_TRUE(chart.FiguresTable->isVisible());
}

TEST_F(ActivityChartTest, OpensOnTheContactViewsContact) {
    OpenChart().close();
    QApplication::processEvents();
    EXPECT_FALSE(Form->ActivityChart);  // closing ends the window
    Form->SetCurrentRow(1);
    Form->MessageViewClick();
    const ActivityContact expected = ActivityContactOf(Store.Messages[Form->CurrentMessage]);
    Form->ThisPersonSB->setChecked(true);
    Form->ThisPersonSBClick();
    Form->ActivityChartMainMenu->trigger();
    ASSERT_TRUE(Form->ActivityChart);
    EXPECT_EQ(Form->ActivityChart->CurrentContact(), expected);
    EXPECT_NE(expected.By, ActivityContact::All);
}

TEST_F(ActivityChartTest, RedrawsOnColourAndCollectionChanges) {
    TActivityChart& chart = OpenChart();
    Form->D.SentColor = 0x0000FF;  // red
    Form->UpdateMessageView();
    EXPECT_EQ(SentBarColour(chart), QColor(Qt::red));
    Form->NewMainMenuClick();
    ASSERT_TRUE(Form->ActivityChart);
    EXPECT_EQ(chart.FiguresText(), "period\tsent\treceived\n");
    EXPECT_EQ(chart.ContactBox->count(), 1);
}

TEST_F(ActivityChartTest, TheMonthsAxisLabelsWhatFitsAndEveryYear) {
    // Ten years, a message a month.
    MsgStore source;
    for (int year = 2015; year <= 2024; ++year)
        for (int month = 1; month <= 12; ++month)
            AddMessage(source, QString::asprintf("%d.%02d.10 12:00", year, month).toStdString(), "555-0100", "hi",
                       MsgSms | MsgSent);
    Renumber(source);
    DataFile = Documents.path().toStdString() + "/years.kst";
    ASSERT_EQ(WriteDataFile(source, DataFile), 0);
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = DataFile; });
    Open();
    Form->ActivityChartMainMenu->trigger();
    TActivityChart& chart = *Form->ActivityChart;
    qsizetype wider = 0;
    for (const int width : {400, 820, 1600}) {
        chart.resize(width, 520);
        QApplication::processEvents();
        const QStringList labels = chart.AxisLabels();
        ASSERT_FALSE(labels.isEmpty()) << width;
        const QFontMetricsF metrics(chart.Chart->axes(Qt::Horizontal).front()->labelsFont());
        double room = 0;
        for (const QString& label : labels) room += metrics.horizontalAdvance(label) + metrics.averageCharWidth();
        EXPECT_LE(room, chart.Chart->plotArea().width()) << width;
        // Every year is named where room allows (a January label is its year alone).
        const qsizetype years = std::count_if(labels.begin(), labels.end(), [](const QString& l) {
            return l.size() == 4 && l.toInt() >= 2015;
        });
        EXPECT_GE(years, width >= 820 ? 9 : 4) << labels.join(' ').toStdString();
        EXPECT_GE(labels.size(), wider) << width;
        wider = labels.size();
    }
    EXPECT_GE(wider, 30);  // at 1600 pixels, every fourth month at least
}

TEST_F(ActivityChartTest, SavesThePictureAsPngOrSvg) {
    TActivityChart& chart = OpenChart();
    const QString png = Documents.path() + "/chart.png", svg = Documents.path() + "/chart.svg";
    for (const QString& path : {png, svg}) {
        Answers.FileAnswers.push_back({path});
        chart.SaveImageClick();
    }
    // It starts in the program's folder with a name that says what the chart shows.
    const auto asked = Answers.AskedOf("SaveFile");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].File.Folder, Documents.path() + "/Kestro");
    EXPECT_EQ(asked[0].File.FileName, "activity-all-contacts-by-month.png");
    chart.ContactBox->setCurrentIndex(chart.ContactBox->findText("Ann Example"));
    chart.PeriodBox->setCurrentIndex(1);
    EXPECT_EQ(chart.ImageFileName(), "activity-ann-example-by-weekday.png");
    QFile pngFile(png), svgFile(svg);
    ASSERT_TRUE(pngFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pngFile.read(8).startsWith("\x89PNG"));
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svgFile.readAll().contains("<svg"));
    // A folder that does not exist: an error box naming the file, nothing else.
    EXPECT_FALSE(chart.SaveImage(Documents.path() + "/missing/chart.png"));
    ASSERT_FALSE(Answers.AskedOf("ShowError").empty());
    EXPECT_TRUE(Answers.AskedOf("ShowError").back().Text.contains("missing/chart.png"));
}

}  // namespace
