// SPDX-License-Identifier: GPL-3.0-or-later
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "EditingFixture.h"
#include "Lang/DateTimeFormat.h"
#include "Lang/TimeValue.h"
#include "MBStats/StatsGrid.h"
#include "MBStats/TStatsDialog.h"
#include "Platform/ColorRef.h"

namespace {

TStatsDialog& AsStatsDialog(QDialog& dialog) { return dynamic_cast<TStatsDialog&>(dialog); }

// A date of a message time as the locale writes short dates.
QString ShortDate(const TMBForm& form, const char* time) {
    return QString::fromStdString(FormatDateTime("ddddd", static_cast<std::int32_t>(TimeValue(time)), form.Locale));
}

void ClickStatsCell(TStatsDialog& dialog, int row, int column) {
    const QRect cell = dialog.StatsGrid->visualRect(dialog.StatsModel->index(row, column));
    QTest::mouseClick(dialog.StatsGrid->viewport(), Qt::LeftButton, {}, cell.center());
}

constexpr std::int32_t MiaColour = 0x00FFCC99;

// Anna: 12 sent and 15 received; Tom: received only; Mia: coloured; two numbers named alike.
void StatisticsCollection(MsgStore& S) {
    for (int i = 0; i < 12; ++i) AddMessage(S, "2007.03.01 08:00", "+15555550100", "ok", MsgSms | MsgSent, "Anna Berg");
    for (int i = 0; i < 15; ++i)
        AddMessage(S, "2007.03.10 09:00", "+15555550100", "fine thanks", MsgSms | MsgReceived, "Anna Berg");
    AddMessage(S, "2007.03.02 10:00", "+15555550101", "Lunch?", MsgSms | MsgReceived, "Tom Hale");
    AddMessage(S, "2007.03.04 10:00", "+15555550101", "Dinner, then!", MsgSms | MsgReceived, "Tom Hale");
    AddMessage(S, "2007.03.05 10:00", "+15555550102", "Hi Mia", MsgSms | MsgSent, "Mia Chen", MiaColour);
    AddMessage(S, "2007.03.06 10:00", "+15555550103", "From the office", MsgSms | MsgReceived, "Twin Name");
    AddMessage(S, "2007.03.07 10:00", "+15555550104", "From home", MsgSms | MsgSent, "Twin Name");
}

}  // namespace

TEST_F(EditingTest, TheSummaryOfSentAndReceivedMessagesOnThreeDays) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 09:00", "+15555550100", "Hello, world!", MsgSms | MsgSent, "Anna Berg");
        AddMessage(S, "2007.03.02 10:00", "+15555550100", "a-b", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(S, "2007.03.03 11:00", "+15555550101", "...", MsgSms | MsgReceived, "Tom Hale");
        AddMessage(S, "2007.03.03 12:00", "+15555550101", "See you", MsgSms | MsgSent, "Tom Hale");
    });
    form.SummaryMainMenu->trigger();
    const QString first = ShortDate(form, "2007.03.01 09:00"), second = ShortDate(form, "2007.03.02 10:00"),
                  third = ShortDate(form, "2007.03.03 12:00");
    EXPECT_EQ(LastOf("ShowInfo"),
              "Activity summary:\r\n\r\n"
              "All messages in " + first + "-" + third + " (3 days):\r\n4 messages, 26 characters, 7 words\r\n\r\n"
              "Sent messages in " + first + "-" + third + " (3 days):\r\n2 messages, 20 characters, 4 words\r\n\r\n"
              "Received messages in " + second + "-" + third + " (2 days):\r\n2 messages, 6 characters, 3 words");
    EXPECT_EQ(Answers.Asked.back().Title, "Information");
    EXPECT_FALSE(Store.Modified);
}

TEST_F(EditingTest, TheSummaryOfReceivedMessagesOnlyGivesTheSentLinesNoDates) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 09:00", "+15555550100", "!", MsgSms | MsgReceived, "Anna Berg");
    });
    form.SummaryMenu->trigger();  // the grid's pop-up item
    const QString day = ShortDate(form, "2007.03.01 09:00");
    EXPECT_EQ(LastOf("ShowInfo"),
              "Activity summary:\r\n\r\n"
              "All messages in " + day + "-" + day + " (1 days):\r\n1 messages, 1 characters, 1 words\r\n\r\n"
              "Sent messages:\r\n0 messages, 0 characters, 0 words\r\n\r\n"
              "Received messages in " + day + "-" + day + " (1 days):\r\n1 messages, 1 characters, 1 words");
}

TEST_F(EditingTest, TheStatisticsGridShowsEveryNameOnceOrderedByName) {
    TMBForm& form = OpenStore(StatisticsCollection);
    bool inspected = false;
    Answers.DialogScripts.push_back([&](QDialog& d) {
        TStatsDialog& dialog = AsStatsDialog(d);
        const StatsGridModel& grid = *dialog.StatsModel;
        EXPECT_EQ(dialog.windowTitle(), "Activity statistics");
        EXPECT_EQ(dialog.size(), QSize(666, 492));
        EXPECT_EQ(dialog.OKBtn->text(), "Close");
        ASSERT_EQ(grid.rowCount(), 4);
        ASSERT_EQ(grid.columnCount(), 10);
        const char* const titles[] = {"Name", "Items", "Items", "Chars", "Chars", "Words", "Words", "First", "Last", "Days"};
        const int widths[] = {Config.Defaults.ColumnWidth[2], 50, 50, 50, 50, 50, 50, 75, 75, 60};
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(grid.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
            EXPECT_EQ(dialog.StatsGrid->columnWidth(c), widths[c]) << c;
        }
        EXPECT_EQ(grid.TitleBackground(1), ToQColor(Config.Defaults.SentColor));
        EXPECT_EQ(grid.TitleBackground(4), ToQColor(Config.Defaults.ReceivedColor));
        EXPECT_EQ(grid.TitleBackground(8), ToQColor(Config.Defaults.GridFixedColor));
        EXPECT_EQ(dialog.StatsGrid->horizontalHeader()->sectionResizeMode(3), QHeaderView::Interactive);
        EXPECT_EQ(dialog.StatsGrid->selectionMode(), QAbstractItemView::ContiguousSelection);

        auto row = [&](int r) {
            QStringList cells;
            for (int c = 0; c < 10; ++c) cells << grid.CellText(r, c);
            return cells;
        };
        const QString mar1 = ShortDate(form, "2007.03.01 08:00"), mar10 = ShortDate(form, "2007.03.10 09:00");
        EXPECT_EQ(row(0), (QStringList{"Anna Berg", "12", "15", "24", "165", "12", "30", mar1, mar10, "10"}));
        EXPECT_EQ(row(1)[0], "Mia Chen");
        // Received only: no sent figures, dates and span from all messages.
        EXPECT_EQ(row(2), (QStringList{"Tom Hale", "0", "2", "0", "19", "0", "3", ShortDate(form, "2007.03.02 10:00"),
                                       ShortDate(form, "2007.03.04 10:00"), "3"}));
        // Two numbers with one name make one row with the figures of both.
        EXPECT_EQ(row(3), (QStringList{"Twin Name", "1", "1", "9", "15", "2", "3", ShortDate(form, "2007.03.06 10:00"),
                                       ShortDate(form, "2007.03.07 10:00"), "2"}));
        EXPECT_EQ(grid.data(grid.index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        EXPECT_EQ(grid.data(grid.index(0, 5), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        EXPECT_EQ(grid.CellBackground(2, 0), ToQColor(Config.Defaults.GridFixedColor));
        EXPECT_EQ(grid.CellBackground(2, 3), ToQColor(Config.Defaults.DefaultColor));
        EXPECT_FALSE(dialog.grab().isNull());  // every cell and title paints
        EXPECT_FALSE(dialog.StatsGrid->accessibleName().isEmpty());
        EXPECT_FALSE(dialog.OKBtn->accessibleName().isEmpty());
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
        inspected = true;
    });
    form.StatisticsMainMenu->trigger();
    EXPECT_TRUE(inspected);
    EXPECT_FALSE(Answers.AskedOf("RunDialog").empty());
    // The contact table stays ordered by name; a rebuild that changes no stored name is
    // no change to save.
    EXPECT_EQ(Store.Contacts[1].Name, "Anna Berg");
    EXPECT_FALSE(Store.Modified);
}

TEST_F(EditingTest, AClickedCellPutsItsBreakdownIntoTheGridsTooltip) {
    TMBForm& form = OpenStore(StatisticsCollection);
    Answers.DialogScripts.push_back([&](QDialog& d) {
        TStatsDialog& dialog = AsStatsDialog(d);
        dialog.StatsGrid->setFocus();
        EXPECT_TRUE(dialog.Hint().isEmpty());  // nothing clicked yet
        ClickStatsCell(dialog, 0, 1);  // the cell that is current from the start
        EXPECT_EQ(dialog.Hint(), " --- Anna Berg --- \r\nNumbers: +15555550100\r\nMessages:\r\nSent 12,\r\n"
                                 "Received 15,\r\nSent+Received 27,\r\nSent-Received -3");
        // What the pointer resting on any cell shows: the same six lines.
        EXPECT_EQ(dialog.StatsModel->data(dialog.StatsModel->index(3, 7), Qt::ToolTipRole).toString(),
                  " --- Anna Berg --- \nNumbers: +15555550100\nMessages:\nSent 12,\nReceived 15,\nSent+Received 27,\nSent-Received -3");

        ClickStatsCell(dialog, 2, 4);
        EXPECT_EQ(dialog.Hint(), " --- Tom Hale --- \r\nNumbers: +15555550101\r\nCharacters:\r\nSent 0,\r\nReceived 19,\r\n"
                                 "Sent+Received 19,\r\nSent-Received -19");
        ClickStatsCell(dialog, 0, 0);
        EXPECT_EQ(dialog.Hint(), " --- Anna Berg --- \r\nNumbers: +15555550100\r\n");
        ClickStatsCell(dialog, 3, 0);  // the row of a shared name lists its numbers
        EXPECT_EQ(dialog.Hint(), " --- Twin Name --- \r\nNumbers: +15555550103, +15555550104\r\n");
        const QString dates = " --- Tom Hale --- \r\nNumbers: +15555550101\r\nFirst message sent/received: " + ShortDate(form, "2007.03.02 10:00") +
                              "\r\nLast message sent/received: " + ShortDate(form, "2007.03.04 10:00") + "\r\nTime range 3 days";
        ClickStatsCell(dialog, 2, 8);
        EXPECT_EQ(dialog.Hint(), dates);
        ClickStatsCell(dialog, 2, 9);  // the span's column explains itself the same way
        EXPECT_EQ(dialog.Hint(), dates);
        // The keys move the current cell as a click does; a second click on it keeps its text.
        QTest::keyClick(dialog.StatsGrid, Qt::Key_Up);
        EXPECT_TRUE(dialog.Hint().startsWith(" --- Mia Chen --- \r\nNumbers: +15555550102\r\nFirst message sent/received: "));
        ClickStatsCell(dialog, 1, 9);
        EXPECT_TRUE(dialog.Hint().startsWith(" --- Mia Chen --- \r\nNumbers: +15555550102\r\nFirst message sent/received: "));
        d.close();  // the title bar's close box
    });
    form.ContactsActivityClick();
    EXPECT_TRUE(Answers.DialogScripts.empty());
}

TEST_F(EditingTest, ContactColoursColourTheirRowsInTheStatistics) {
    TMBForm& form = OpenStore(StatisticsCollection);
    Config.Defaults.ColorMode = 2;
    Answers.DialogScripts.push_back([&](QDialog& d) {
        const StatsGridModel& grid = *AsStatsDialog(d).StatsModel;
        ASSERT_EQ(grid.CellText(1, 0), "Mia Chen");
        for (int c = 1; c < 10; ++c) {
            EXPECT_EQ(grid.CellBackground(1, c), ToQColor(MiaColour)) << c;
            EXPECT_EQ(grid.CellBackground(2, c), QColor(Qt::white)) << c;  // Tom has no colour
        }
        EXPECT_EQ(grid.CellBackground(1, 0), ToQColor(Config.Defaults.GridFixedColor));
        EXPECT_FALSE(d.grab().isNull());
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    form.StatisticsMenu->trigger();
    EXPECT_TRUE(Answers.DialogScripts.empty());
}
