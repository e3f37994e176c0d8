// SPDX-License-Identifier: GPL-3.0-or-later
#include <QHeaderView>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QToolButton>

#include "FormFixture.h"
#include "Lang/TimeValue.h"
#include "MBVars/Ordering.h"
#include "MBrowser/GridTooltips.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

class TooltipTest : public FormTest {
protected:
    // A conversation of Anna's, a contact named by its own number, a nameless message,
    // one with neither name nor number, and a long text.
    TMBForm& OpenConversation() {
        AddMessage(Store, "2007.03.05 10:00", "+15555550100", "Are you there?", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(Store, "2007.03.05 10:01", "+15555550100", "Yes, right here", MsgSms | MsgSent, "Anna Berg",
                   0x00336699);
        AddMessage(Store, "2007.03.05 11:00", "+15555550111", "?! ...", MsgSms | MsgReceived, "+15555550111");
        AddMessage(Store, "2007.03.05 12:00", "+15555550122", "Hi, there", MsgSms | MsgSent);
        AddMessage(Store, "2007.03.05 13:00", "", "", MsgSms | MsgReceived);
        AddMessage(Store, "2007.03.06 09:30", "+15555550100",
                   "Tomorrow we could walk along the river and then have lunch at the old mill if the weather "
                   "holds, otherwise we stay in",
                   MsgSms | MsgReceived, "Anna Berg");
        Renumber(Store);
        BuildView(Store, ViewEverything);
        return Open();
    }

    QString Hint(TMBForm& form, int row, int column) {
        form.MessageView->selectionModel()->setCurrentIndex(form.MessageModel->index(row - 1, column),
                                                            QItemSelectionModel::ClearAndSelect);
        return form.GridHintText();
    }

    // What the desktop shows when the mouse rests over `w`.
    static QString ShownTooltip(QWidget* w) {
        HideTooltips();
        QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &ask);
        const QString shown = QToolTip::isVisible() ? QToolTip::text() : QString();
        HideTooltips();
        return shown;
    }
    // At once: QToolTip::hideText() lets a tooltip fade out for a while.
    static void HideTooltips() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QTipLabel")) w->hide();
    }

    QString Date(TMBForm& form, const char* time) { return form.LongDateText(TimeValue(time)); }
};

}  // namespace

TEST_F(TooltipTest, EveryColumnOfASentAndAReceivedMessage) {
    TMBForm& form = OpenConversation();
    const QString dateOfQuestion = Date(form, "2007.03.05 10:00");
    const QString dateOfAnswer = Date(form, "2007.03.05 10:01");
    ASSERT_FALSE(dateOfAnswer.isEmpty());
    EXPECT_NE(dateOfQuestion, dateOfAnswer);

    EXPECT_EQ(Hint(form, 2, TimeColumn), dateOfAnswer);
    EXPECT_EQ(Hint(form, 2, PhoneColumn), "Sent to Anna Berg\r\n+15555550100\r\n(Sent 1, received 2 messages)");
    EXPECT_EQ(Hint(form, 1, NameColumn), "Received from Anna Berg\r\n+15555550100\r\n(Sent 1, received 2 messages)");
    EXPECT_EQ(Hint(form, 2, TypeColumn), "Sent message");
    EXPECT_EQ(Hint(form, 1, TypeColumn), "Received message");
    EXPECT_EQ(Hint(form, 2, MessageColumn), "Reply to message on " + dateOfQuestion + ", in 1 minutes.\r\n" +
                                                "Sent to \"Anna Berg\" (on " + dateOfAnswer +
                                                "):\r\n--- \"Yes, right here\".");
    // Nothing earlier from the other side: no reply line.
    EXPECT_EQ(Hint(form, 1, MessageColumn),
              "Received from \"Anna Berg\" (on " + dateOfQuestion + "):\r\n--- \"Are you there?\".");
    EXPECT_EQ(Hint(form, 2, SizeColumn), "3 word(s)");
    EXPECT_EQ(form.SelectedColor, 0x00336699);
    EXPECT_EQ(Hint(form, 4, SizeColumn), "2 word(s)");
    EXPECT_EQ(Hint(form, 3, SizeColumn), "1 word(s)");
    EXPECT_EQ(Hint(form, 1, TimeColumn), dateOfQuestion);
    EXPECT_EQ(form.SelectedColor, 0);
}

TEST_F(TooltipTest, ContactsWithoutAProperName) {
    TMBForm& form = OpenConversation();
    EXPECT_EQ(Hint(form, 3, NameColumn), "+15555550111");  // the name is the number
    EXPECT_EQ(Hint(form, 4, PhoneColumn), "+15555550122");  // no name
    EXPECT_EQ(Hint(form, 5, NameColumn), "");               // neither
    // Nameless messages count as one contact: the sent one an hour earlier is answered.
    EXPECT_EQ(Hint(form, 5, MessageColumn), "Reply to message on " + Date(form, "2007.03.05 12:00") +
                                                ", in 60 minutes.\r\nReceived from \"\" (on " +
                                                Date(form, "2007.03.05 13:00") + "):\r\n--- \"\".");
}

TEST_F(TooltipTest, ALongMessageIsWrappedAtTheHeadersLength) {
    TMBForm& form = OpenConversation();
    const QString hint = Hint(form, 6, MessageColumn);
    const QStringList lines = hint.split("\r\n");
    // The reply line (to "Yes, right here" of the day before), the header, then the text.
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Reply to message on " + Date(form, "2007.03.05 10:01") + ", in 1409 minutes."));
    const int L = static_cast<int>(lines[1].size()) + 2;
    EXPECT_TRUE(lines[2].startsWith("--- \"Tomorrow"));
    EXPECT_TRUE(lines.last().endsWith("stay in\"."));
    QString text;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        // Each line of the text is broken at the first space at or after L characters.
        const QString line = i == 2 ? lines[i].mid(5) : lines[i];
        if (i + 1 < lines.size()) {
            EXPECT_TRUE(line.endsWith(' ')) << line.toStdString();
            EXPECT_GE(line.size(), L);
            EXPECT_LT(line.left(line.size() - 1).lastIndexOf(' '), L - 1) << line.toStdString();
        }
        text += line;
    }
    EXPECT_EQ(text, QString::fromLatin1(Store.Messages[6].Text.c_str()) + "\".");
}

TEST(WrapAtSpaces, BreaksAfterTheSpaceThatEndsAFullLine) {
    EXPECT_EQ(WrapAtSpaces("aaa bbb ccc ddd", 4), "aaa \r\nbbb \r\nccc \r\nddd");
    EXPECT_EQ(WrapAtSpaces("aaa bbb ccc ddd", 6), "aaa bbb \r\nccc ddd");
    EXPECT_EQ(WrapAtSpaces("abcdefghijklmnopqrstuvwxyz", 3), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(WrapAtSpaces("", 3), "");
    // The count starts again after each break, also across line breaks of the text.
    EXPECT_EQ(WrapAtSpaces("ab\r\ncd e f", 5), "ab\r\ncd \r\ne f");
}

TEST(TooltipForDisplay, LineBreaksAndMarkupShowAsWritten) {
    EXPECT_EQ(TooltipForDisplay("one\r\ntwo"), "one\ntwo");
    const QString markup = TooltipForDisplay("<b>bold</b> & co\r\nnext");
    EXPECT_TRUE(markup.contains("&lt;b&gt;bold&lt;/b&gt; &amp; co\nnext"));
    EXPECT_TRUE(markup.contains("white-space:pre"));
}

TEST_F(TooltipTest, TheGridShowsTheHintOnItsCellsAndHeaders) {
    TMBForm& form = OpenConversation();
    QWidget* const cells = form.MessageView->viewport();
    Hint(form, 2, TypeColumn);
    EXPECT_EQ(ShownTooltip(cells), "Sent message");
    EXPECT_EQ(ShownTooltip(form.MessageView->horizontalHeader()->viewport()), "Sent message");
    EXPECT_EQ(ShownTooltip(form.MessageView->CornerCell()), "Sent message");
    Hint(form, 1, NameColumn);
    EXPECT_EQ(ShownTooltip(cells), "Received from Anna Berg\n+15555550100\n(Sent 1, received 2 messages)");
    EXPECT_EQ(ShownTooltip(form.MessageView->verticalHeader()->viewport()),
              "Received from Anna Berg\n+15555550100\n(Sent 1, received 2 messages)");
    Hint(form, 1, MessageColumn);
    EXPECT_TRUE(ShownTooltip(cells).endsWith("\n--- \"Are you there?\"."));
    // A fixed text replaces the cell's hint.
    form.MessageViewMouseUp(TimeColumn, 0);
    EXPECT_EQ(ShownTooltip(cells), "Click to sort by this column");
    EXPECT_EQ(cells->toolTip(), "Click to sort by this column");  // screen readers see it too
}

TEST_F(TooltipTest, ACellsHintIsMadeFromTheStoreWhenItIsAskedFor) {
    TMBForm& form = OpenConversation();
    Hint(form, 1, PhoneColumn);
    // Anna's messages change after the click: the tooltip tells the store as it is now.
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
        if (Store.Messages[static_cast<std::size_t>(n)].Name == "Anna Berg") Store.Messages[static_cast<std::size_t>(n)].Flags = MsgSms | MsgSent;
    Store.Messages[static_cast<std::size_t>(form.CurrentMessage)].Flags = MsgSms | MsgReceived;
    EXPECT_EQ(ShownTooltip(form.MessageView->viewport()), "Received from Anna Berg\n+15555550100\n(Sent 2, received 1 messages)");
    // A store emptied under it shows nothing rather than a message that is gone.
    Store.MessageCount = 0;
    EXPECT_EQ(form.GridHintText(), "");
    EXPECT_EQ(ShownTooltip(form.MessageView->viewport()), "");
}

TEST_F(TooltipTest, TheCountCellTellsHowFullTheStoreIs) {
    FillRandomStore(Store, {.Messages = 3276}, 7);
    Renumber(Store);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    ASSERT_NE(form.MessageView->CornerCell(), nullptr);
    QTest::mouseClick(form.MessageView->CornerCell(), Qt::LeftButton);
    EXPECT_EQ(form.GridHintText(), "3276 messages (20 % of Max)");
    EXPECT_EQ(form.MessageView->CornerCell()->toolTip(), "3276 messages (20 % of Max)");
    // A click on a row number clears it.
    QHeaderView* numbers = form.MessageView->verticalHeader();
    QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {}, QPoint(numbers->width() / 2, numbers->sectionViewportPosition(1) + numbers->sectionSize(1) / 2));
    EXPECT_EQ(form.GridHintText(), "");
}
