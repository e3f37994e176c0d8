// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "EditingFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "OFuncs/WholeCharacters.h"
#include "Platform/Cp1252Text.h"

namespace {

// A click on a data cell of the message grid (0-based model row and column).
void ClickCell(TMBForm& form, int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    const QRect cell = form.MessageView->visualRect(form.MessageModel->index(row, column));
    QTest::mouseClick(form.MessageView->viewport(), Qt::LeftButton, modifiers, cell.center());
}

}  // namespace

TEST_F(EditingTest, DeleteTheCurrentRowAsksForOneAndNoKeepsIt) {
    TMBForm& form = OpenCollection();
    ClickCell(form, 1, NameColumn);  // Mia's message
    form.DeleteMainMenu->trigger();
    ASSERT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);
    EXPECT_EQ(Answers.Asked.back().Title, "Confirm");
    EXPECT_EQ(Answers.Asked.back().Text, "Do you want to delete the selected 1 messages?");
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_FALSE(Store.Modified);

    Answers.YesNoAnswers.push_back(true);
    form.DeleteMenu->trigger();  // the grid's pop-up item does the same
    EXPECT_EQ(Store.MessageCount, 5);
    EXPECT_TRUE(TextsOf("+15555550102").empty());
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(form.MessageModel->rowCount(), 5);
}

TEST_F(EditingTest, DeleteARangeOfAFilteredViewRemovesExactlyThoseRows) {
    TMBForm& form = OpenCollection();
    QTest::mouseClick(form.DispSentSB, Qt::LeftButton);
    ASSERT_EQ(Store.ViewCount, 3);  // Good night, See https..., Morning to you too
    ClickCell(form, 1, TimeColumn);
    ClickCell(form, 2, MessageColumn, Qt::ShiftModifier);
    Answers.YesNoAnswers.push_back(true);
    // The Del key reaches the command from the grid.
    form.MessageView->setFocus();
    QTest::keyClick(form.MessageView, Qt::Key_Delete);
    ASSERT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete the selected 2 messages?");

    EXPECT_EQ(Store.MessageCount, 4);
    EXPECT_EQ(TextsOf("+15555550101"), std::vector<std::string>{"Lunch at noon?"});
    EXPECT_EQ(TextsOf("+15555550100"), (std::vector<std::string>{"Good night", "Good morning"}));
    EXPECT_EQ(Store.ViewCount, 1);  // still the sent view
    EXPECT_EQ(Config.Defaults.ViewMode, 1);
    EXPECT_TRUE(Store.Modified);
}

TEST_F(EditingTest, SelectAllCoversEveryDataCell) {
    TMBForm& form = OpenCollection();
    ClickCell(form, 2, NameColumn);
    QTest::keyClick(form.MessageView, Qt::Key_A, Qt::ControlModifier);
    const QModelIndexList selected = form.MessageView->selectionModel()->selectedIndexes();
    EXPECT_EQ(selected.size(), 6 * (GridColumnCount - 1));
    for (const QModelIndex& i : selected) EXPECT_NE(i.column(), NumberColumn);
    EXPECT_EQ(form.CurrentRow(), 3);
    EXPECT_FALSE(Store.Modified);
    EXPECT_TRUE(Answers.Asked.empty());

    // Delete then takes every row.
    Answers.YesNoAnswers.push_back(true);
    form.DeleteMainMenu->trigger();
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete the selected 6 messages?");
    EXPECT_EQ(Store.MessageCount, 0);
}

TEST_F(EditingTest, RenameAsksWithThePhoneAndNamesEveryMessageOfIt) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Hi", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(S, "2007.03.02 08:00", "+15555550101", "Hey", MsgSms | MsgReceived, "");
        AddMessage(S, "2007.03.03 08:00", "+15555550100", "Bye", MsgSms | MsgSent, "Anna Berg");
    });
    ClickCell(form, 0, NameColumn);  // Anna's "Bye"

    form.RenameMainMenu->trigger();  // cancelled: nothing changes
    ASSERT_EQ(Answers.AskedOf("QueryText").size(), 1u);
    EXPECT_EQ(Answers.Asked.back().Title, "Rename this contact");
    EXPECT_EQ(Answers.Asked.back().Text,
              "Enter a name for \"+15555550100\":|Anna Berg|21 characters left");
    EXPECT_FALSE(Store.Modified);
    EXPECT_EQ(Store.Messages[2].Name, "");

    // An empty entry empties the name; the nameless message gets its own number.
    Answers.TextAnswers.push_back(QString());
    QTest::mouseClick(form.ContactSB, Qt::LeftButton);
    EXPECT_EQ(Store.Messages[1].Name, "");
    EXPECT_EQ(Store.Messages[3].Name, "");
    EXPECT_EQ(Store.Messages[2].Name, "+15555550101");
    EXPECT_EQ(form.MessageModel->CellText(0, NameColumn).trimmed(), "");
    EXPECT_TRUE(Store.Modified);

    // A long entry keeps its first 30 bytes, and no letter is split.
    // 29 plain letters, then one that takes two bytes in UTF-8 and crosses the cut there.
    const QString typed = QStringLiteral("Annabelle Bergstrom-Lindqvist\u00e9 Paris XYZ");
    ASSERT_EQ(typed.size(), 40);
    Answers.TextAnswers.push_back(typed);
    form.RenameMenu->trigger();
    const std::string stored = StoredFromTyped(typed);
    EXPECT_EQ(Store.Messages[1].Name, CutToWholeCharacters(stored, 30));
    EXPECT_LE(Store.Messages[1].Name.size(), 30u);
    EXPECT_TRUE(typed.startsWith(ShownText(Store.Messages[1].Name.view())));
    EXPECT_EQ(Store.Messages[3].Name, Store.Messages[1].Name);
    // The cut is said, not silent.
    EXPECT_EQ(LastOf("ShowInfo"), "The name was cut to \"" + ShownText(Store.Messages[1].Name.view()) +
                                      "\", as many of its characters as a name holds.");
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);  // a name that fits needs no word

    // While typing, the room left is counted in characters like the name's own: two bytes
    // each for Greek letters.
    const struct {
        QString Typed;
        const char* Remark;
    } typing[] = {
        {"", "30 characters left"},
        {QString::fromUtf8("\u0391\u03bb\u03ad\u03be\u03b1\u03bd\u03b4\u03c1\u03bf\u03c2"), "5 characters left"},
        {QString(14, QChar(0x03b1)) + "b", "0 characters left"},
        {QString(15, QChar(0x03b1)), "0 characters left"},
        {QString(29, 'a'), "1 character left"},
        {QString(17, QChar(0x03b1)), "2 characters too many: the name is cut"},
    };
    ASSERT_TRUE(Answers.LastRemark);
    for (const auto& t : typing) EXPECT_EQ(Answers.LastRemark(t.Typed), t.Remark) << t.Typed.toStdString();
}

TEST_F(EditingTest, RemoveAllMessagesOfAContactWithoutAName) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Hi", MsgSms | MsgReceived, "");
        AddMessage(S, "2007.03.02 08:00", "+15555550101", "Hey", MsgSms | MsgReceived, "Tom Hale");
        AddMessage(S, "2007.03.03 08:00", "+15555550100", "Bye", MsgSms | MsgSent, "");
    });
    ClickCell(form, 0, MessageColumn);  // "Bye"
    form.RemoveContactMenu->trigger();
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete messages with \"\" ?");
    EXPECT_EQ(Store.MessageCount, 3);

    Answers.YesNoAnswers.push_back(true);
    form.RemoveContactMainMenu->trigger();
    EXPECT_EQ(Store.MessageCount, 1);
    EXPECT_EQ(Store.Messages[1].Phone, "+15555550101");
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(form.MessageModel->rowCount(), 1);
}

TEST_F(EditingTest, RemoveDuplicatesTellsWhenThereAreNone) {
    TMBForm& form = OpenCollection();
    form.RemoveDupsMainMenu->trigger();
    EXPECT_EQ(LastOf("ShowInfo"), "All duplicated messages have been removed.");
    EXPECT_EQ(Answers.Asked.back().Title, "Information");
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_TRUE(Store.Modified);  // the counting pass sets it
}

TEST_F(EditingTest, RemoveDuplicatesAsksWithTheCountAndSaysHowManyWent) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        // Three copies of one message; the same words on another day, from another number
        // or sent are other messages.
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Same", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Same ", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(S, "2007.03.02 08:00", "+15555550100", "Same", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(S, "2007.03.01 08:00", "+15555550101", "Same", MsgSms | MsgReceived, "Tom Hale");
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Same", MsgSms | MsgSent, "Anna Berg");
        AddMessage(S, "2007.03.01 08:00", "+15555550100", "Same", MsgSms | MsgReceived | MsgExactTime, "Anna Berg");
    });
    form.RemoveDupsMainMenu->trigger();  // No: nothing goes
    ASSERT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to remove the 2 duplicate messages?");
    EXPECT_EQ(Answers.AskedOf("AskYesNo")[0].Default, DefaultButton::No);
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").empty());

    Answers.YesNoAnswers.push_back(true);
    form.RemoveDupsMainMenu->trigger();
    EXPECT_EQ(LastOf("ShowInfo"), "2 duplicate messages have been removed.");
    EXPECT_EQ(Store.MessageCount, 4);
    EXPECT_EQ(TextsOf("+15555550100").size(), 3u);
    EXPECT_EQ(TextsOf("+15555550101").size(), 1u);
    EXPECT_EQ(form.MessageModel->rowCount(), 4);
}

TEST_F(EditingTest, QuestionsThatRemoveMessagesHaveNoAsTheDefaultButton) {
    TMBForm& form = OpenCollection();
    form.DeleteMainMenu->trigger();
    form.RemoveContactMainMenu->trigger();
    form.RemoveHistoryMainMenu->trigger();
    const auto asked = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(asked.size(), 3u);
    for (const AskedQuestion& q : asked) EXPECT_EQ(q.Default, DefaultButton::No) << q.Text.toStdString();
    EXPECT_EQ(Store.MessageCount, 6);
}

TEST_F(EditingTest, CommandsThatChangeTheRowsLeaveOneCurrentRowAndNoRange) {
    TMBForm& form = OpenCollection();
    auto selectRange = [&] {
        ClickCell(form, 1, TimeColumn);
        ClickCell(form, 3, MessageColumn, Qt::ShiftModifier);
        ASSERT_EQ(form.SelectedRowSpan(), std::make_pair(2, 4));
    };
    struct Case {
        const char* What;
        std::function<void()> Run;
        int Row;  // the current row afterwards
    };
    const std::vector<Case> cases = {
        {"received view", [&] { QTest::mouseClick(form.DispReceivedSB, Qt::LeftButton); }, 4},
        {"all view", [&] { form.AllMainMenu->trigger(); }, 4},
        {"search", [&] { QTest::keyClicks(form.SearchEdit, "o"); }, 4},
        {"search menu filter", [&] { form.WebPagesMenu->trigger(); }, 1},
        {"sorting", [&] { form.MessageViewMouseUp(TimeColumn, 0); }, -1},
        {"select all, then a search", [&] {
             form.SelectAllMainMenu->trigger();
             QTest::keyClicks(form.SearchEdit, "g");
         }, -1},
        {"delete", [&] { Answers.YesNoAnswers.push_back(true); form.DeleteMainMenu->trigger(); }, 2},
    };
    for (const Case& c : cases) {
        form.DispAllSBClick();
        selectRange();
        c.Run();
        const int row = form.CurrentRow();
        EXPECT_EQ(form.SelectedRowSpan(), std::make_pair(row, row)) << c.What;
        EXPECT_EQ(form.MessageView->selectionModel()->selectedIndexes().size(), 1) << c.What;
        if (c.Row > 0) {
            EXPECT_EQ(row, std::min(c.Row, static_cast<int>(Store.ViewCount))) << c.What;
        }
        EXPECT_EQ(form.CurrentMessage, form.MessageModel->MessageAt(row - 1)) << c.What;
    }
}

TEST_F(EditingTest, RemoveContactsHistoryEmptiesItAndNamesMessagesByNumber) {
    WriteHistoryFile({Entry("+15555550100", "Anna Berg"), Entry("+15555550101", "Tom Hale")});
    TMBForm& form = OpenCollection();
    ASSERT_EQ(Store.HistoryCount, 2);

    form.RemoveHistoryMainMenu->trigger();  // No
    EXPECT_EQ(LastOf("AskYesNo"),
              "Do you want to clear your contacts history list and all contact names from messages?");
    EXPECT_EQ(Store.HistoryCount, 2);
    EXPECT_TRUE(std::filesystem::exists(HistoryFile()));
    EXPECT_FALSE(Store.Modified);

    Answers.YesNoAnswers.push_back(true);
    form.RemoveHistoryMainMenu->trigger();
    EXPECT_EQ(Store.HistoryCount, 0);
    EXPECT_FALSE(std::filesystem::exists(HistoryFile()));
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n) EXPECT_EQ(Store.Messages[n].Name, Store.Messages[n].Phone);
    EXPECT_EQ(form.MessageModel->CellText(0, NameColumn).trimmed(), "+15555550100");
    EXPECT_TRUE(Store.Modified);

    // Again, now without a file: the same, and no complaint.
    Store.Messages[1].Name = "Someone";
    Store.Modified = false;
    Answers.YesNoAnswers.push_back(true);
    form.RemoveHistoryMainMenu->trigger();
    EXPECT_EQ(Store.Messages[1].Name, Store.Messages[1].Phone);
    EXPECT_TRUE(Store.Modified);
    EXPECT_TRUE(Answers.AskedOf("ShowError").empty());
}

TEST_F(EditingTest, TheArrowButtonOpensTheContactMenuBelowTheContactsButton) {
    TMBForm& form = OpenCollection();
    QTest::mouseClick(form.ContactMenuSB, Qt::LeftButton);
    ASSERT_TRUE(form.PopupMenuContact->isVisible());
    const QPoint corner = form.ContactSB->mapToGlobal(QPoint(0, form.ContactSB->height()));
    // Below the button's left edge, moved left only as far as the screen's edge demands.
    const QRect screen = form.ContactSB->screen()->availableGeometry();
    const int x = std::min(corner.x(), screen.right() + 1 - form.PopupMenuContact->width());
    EXPECT_EQ(form.PopupMenuContact->pos(), QPoint(x, corner.y()));
    const QList<QAction*> items = form.PopupMenuContact->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), "Rename this contact");
    EXPECT_EQ(items[1]->text(), "Remove all messages of this contact");
    EXPECT_EQ(items[2]->text(), "Block messages from selected contacts");
    form.PopupMenuContact->close();
}

TEST_F(EditingTest, ContactCommandsWithoutAPhoneDoNothing) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 08:00", "", "From nowhere", MsgSms | MsgReceived, "");
    });
    ClickCell(form, 0, MessageColumn);
    ASSERT_EQ(form.CurrentMessage, 1);
    form.RenameSBClick();
    form.DeleteThisClick();
    EXPECT_TRUE(Answers.Asked.empty());
    EXPECT_EQ(Store.MessageCount, 1);
    EXPECT_FALSE(Store.Modified);
}
