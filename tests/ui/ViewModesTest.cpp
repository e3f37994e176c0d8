// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QComboBox>
#include <QTemporaryDir>
#include <functional>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBVars/Ordering.h"

namespace {

// The store flags of every row in view.
std::vector<std::uint16_t> ViewFlags(const MsgStore& S) {
    std::vector<std::uint16_t> flags;
    for (std::int32_t r = 1; r <= S.ViewCount; ++r) flags.push_back(S.Messages[S.ViewIndex[static_cast<std::size_t>(r)]].Flags);
    return flags;
}

}  // namespace

TEST_F(FormTest, SentAndReceivedViews) {
    TMBForm& form = OpenCollection();
    QTest::mouseClick(form.DispSentSB, Qt::LeftButton);
    EXPECT_EQ(Config.Defaults.ViewMode, 1);
    EXPECT_EQ(form.MessageModel->HeaderText(PhoneColumn), " To");
    EXPECT_EQ(form.MessageModel->rowCount(), 3);
    for (std::uint16_t f : ViewFlags(Store)) EXPECT_TRUE(f & MsgSent);
    EXPECT_TRUE(form.DispSentSB->isChecked());
    EXPECT_FALSE(form.DispAllSB->isChecked());
    EXPECT_TRUE(form.SentMainMenu->isChecked());

    form.ReceivedMainMenu->trigger();
    EXPECT_EQ(Config.Defaults.ViewMode, 2);
    EXPECT_EQ(form.MessageModel->HeaderText(PhoneColumn), " From");
    EXPECT_EQ(Store.ViewCount, 3);
    for (std::uint16_t f : ViewFlags(Store)) EXPECT_TRUE(f & MsgReceived);
    EXPECT_TRUE(form.DispReceivedSB->isChecked());
    EXPECT_FALSE(form.DispSentSB->isChecked());

    QTest::mouseClick(form.DispAllSB, Qt::LeftButton);
    EXPECT_EQ(Config.Defaults.ViewMode, 3);
    EXPECT_EQ(form.MessageModel->HeaderText(PhoneColumn), " To/From");
    EXPECT_EQ(Store.ViewCount, 6);
    EXPECT_TRUE(form.AllMainMenu->isChecked());
    EXPECT_TRUE(form.DispAllSB->isChecked());
}

TEST_F(FormTest, ContactViewOnAndOff) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);  // Anna Berg's "Good night"
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    EXPECT_TRUE(form.ThisPersonSB->isChecked());
    EXPECT_FALSE(form.DispAllSB->isChecked());
    EXPECT_TRUE(form.ThisPersonMainMenu->isChecked());
    EXPECT_EQ(form.SearchText, "Anna Berg");
    EXPECT_TRUE(form.NameBox->isVisible());
    EXPECT_EQ(form.NameBox->currentText(), "Anna Berg");
    EXPECT_EQ(form.NameBox->count(), 3);
    EXPECT_EQ(form.NameBox->itemText(0), "Anna Berg");
    EXPECT_EQ(Store.ViewCount, 3);
    for (std::int32_t r = 1; r <= Store.ViewCount; ++r)
        EXPECT_EQ(Store.Messages[Store.ViewIndex[static_cast<std::size_t>(r)]].Name, "Anna Berg");
    // The header of column 2 keeps following the view mode.
    EXPECT_EQ(form.MessageModel->HeaderText(PhoneColumn), " To/From");

    // A layout pass (a resize) keeps the contact view.
    form.resize(form.width() + 10, form.height());
    form.FormPaint();
    EXPECT_TRUE(form.ThisPersonSB->isChecked());
    EXPECT_TRUE(form.NameBox->isVisible());
    EXPECT_EQ(Store.ViewCount, 3);

    // Another name chosen from the list.
    form.NameBox->setCurrentIndex(2);
    emit form.NameBox->textActivated(form.NameBox->itemText(2));
    EXPECT_EQ(form.SearchText, "Tom Hale");
    EXPECT_EQ(Store.ViewCount, 2);

    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    EXPECT_FALSE(form.ThisPersonSB->isChecked());
    EXPECT_FALSE(form.ThisPersonMainMenu->isChecked());
    EXPECT_TRUE(form.SearchText.empty());
    EXPECT_FALSE(form.NameBox->isVisible());
    EXPECT_EQ(Store.ViewCount, 6);
}

// The name list is kept between uses of the contact view, and follows a renamed contact.
TEST_F(FormTest, TheContactViewListsTheNamesOfTheMoment) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    auto names = [&] {
        QStringList shown;
        for (int i = 0; i < form.NameBox->count(); ++i) shown << form.NameBox->itemText(i);
        return shown;
    };
    form.ThisPersonMainMenuClick();
    EXPECT_EQ(names(), QStringList({"Anna Berg", "Mia Chen", "Tom Hale"}));
    form.ThisPersonMainMenuClick();
    form.ThisPersonMainMenuClick();
    EXPECT_EQ(names(), QStringList({"Anna Berg", "Mia Chen", "Tom Hale"}));
    EXPECT_EQ(form.NameBox->itemData(2).toByteArray(), "Tom Hale");
    form.ThisPersonMainMenuClick();

    form.SetCurrentRow(1);
    Answers.TextAnswers.push_back(QStringLiteral("Anna Lind"));
    form.RenameSBClick();
    form.ThisPersonMainMenuClick();
    EXPECT_EQ(names(), QStringList({"Anna Lind", "Mia Chen", "Tom Hale"}));
    EXPECT_EQ(form.NameBox->itemData(0).toByteArray(), "Anna Lind");
    EXPECT_EQ(Store.ViewCount, 3);
}

TEST_F(FormTest, AllMessagesEndsTheContactView) {
    TMBForm& form = OpenCollection();
    form.ThisPersonMainMenu->trigger();
    EXPECT_TRUE(form.ThisPersonSB->isChecked());
    EXPECT_TRUE(form.ThisPersonMainMenu->isChecked());
    EXPECT_EQ(Store.ViewCount, 3);
    form.AllMainMenu->trigger();
    EXPECT_FALSE(form.ThisPersonSB->isChecked());
    EXPECT_FALSE(form.NameBox->isVisible());
    EXPECT_TRUE(form.DispAllSB->isChecked());
    EXPECT_EQ(Store.ViewCount, 6);
}

TEST_F(FormTest, TheRefreshKeepsTheRowPositionNotTheMessage) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(3);
    const std::int32_t before = form.CurrentMessage;
    form.UpdateMessageView();
    EXPECT_EQ(form.CurrentRow(), 3);
    EXPECT_EQ(form.CurrentMessage, before);
    form.DispSentSBClick();
    EXPECT_EQ(form.CurrentRow(), 3);
    EXPECT_EQ(form.CurrentMessage, form.MessageModel->MessageAt(2));
    form.DispAllSBClick();
    form.SetCurrentRow(6);
    form.DispReceivedSBClick();  // three rows: clamped to the last
    EXPECT_EQ(form.CurrentRow(), 3);
    EXPECT_EQ(form.CurrentMessage, form.MessageModel->MessageAt(2));
}

TEST_F(FormTest, ContactCommandsAreEnabledOnlyOnAMessage) {
    TMBForm& form = OpenCollection();
    EXPECT_GT(form.CurrentMessage, 0);
    for (QAction* a : {form.RenameMainMenu, form.RemoveContactMainMenu, form.BlockMainMenu, form.RenameContactMenu,
                       form.RemoveContactMenu, form.BlockContactMenu})
        EXPECT_TRUE(a->isEnabled());
    form.ThisPersonMainMenu->trigger();
    form.NameBox->setEditText("Nobody");
    form.FetchStr(3, "Nobody");
    EXPECT_FALSE(form.MessageView->isVisible());
    EXPECT_EQ(form.DetailLine(), "No matches found. Sorry.");
    form.UpdateMenus();
    EXPECT_FALSE(form.RenameMainMenu->isEnabled());
    EXPECT_FALSE(form.BlockContactMenu->isEnabled());
}

TEST_F(FormTest, MenuStatesFollowTheSettings) {
    TMBForm& form = OpenCollection();
    Config.Defaults.ColorMode = 1;
    form.ScreenScrambled = true;
    form.UpdateMenus();
    EXPECT_TRUE(form.SentReceivedColorMenu->isChecked());
    EXPECT_FALSE(form.ContactColorsMenu->isChecked());
    EXPECT_EQ(form.CryptMainMenu->text(), "Decrypt messages on screen");
    form.ScreenScrambled = false;
    Config.Defaults.ColorMode = 0;
    form.UpdateMenus();
    EXPECT_TRUE(form.DefaultColorMenu->isChecked());
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");
}

TEST_F(FormTest, ATypedNameOutsideTheListKeepsThePreviousContact) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    form.NameBox->setEditText("Nobody");
    emit form.NameBox->textActivated("Nobody");
    EXPECT_EQ(form.SearchText, "Anna Berg");
    EXPECT_EQ(Store.ViewCount, 3);
    emit form.NameBox->textActivated("Mia Chen");
    EXPECT_EQ(form.SearchText, "Mia Chen");
    EXPECT_EQ(Store.ViewCount, 1);
}

TEST_F(FormTest, TheToolBarControlsDoNotOverlapInANarrowerWindow) {
    TMBForm& form = OpenCollection();
    form.resize(900, form.height());
    form.SetCurrentRow(1);
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    QApplication::processEvents();
    // Left to right along the tool bar, in tool-bar coordinates.
    const QWidget* inOrder[] = {form.ThisPersonSB, form.NameBox,  form.ContactSB,  form.ContactMenuSB,
                                form.ReColorSB,    form.ColourMenuSB, form.SearchSB, form.SearchEdit,
                                form.ClearSearchSB};
    int previousRight = -1;
    for (const QWidget* w : inOrder) {
        ASSERT_TRUE(w->isVisible());
        const QRect r(w->mapTo(form.TopPanel, QPoint(0, 0)), w->size());
        EXPECT_GT(r.left(), previousRight) << w->toolTip().toStdString();
        previousRight = r.right();
    }
    EXPECT_LT(previousRight, form.TopPanel->width());
    EXPECT_GE(form.SearchEdit->width(), 80);
    EXPECT_GE(form.NameBox->width(), 100);
}

TEST_F(FormTest, TheCornerCellShowsTheViewsCountAfterEveryRefresh) {
    TMBForm& form = OpenCollection();
    const auto cornerShows = [&](int count) {
        QApplication::processEvents();
        EXPECT_EQ(form.MessageView->CornerText(), QString::number(count) + " ");
    };
    cornerShows(6);
    QTest::mouseClick(form.DispSentSB, Qt::LeftButton);
    cornerShows(3);
    form.DispReceivedSBClick();
    cornerShows(3);
    form.SetCurrentRow(1);
    form.ThisPersonMainMenu->trigger();  // Mia Chen: one message
    cornerShows(1);
    form.NameBoxChange(form.NameBox->findText("Anna Berg"));
    cornerShows(3);
    QTest::mouseClick(form.DispAllSB, Qt::LeftButton);
    cornerShows(6);
}

TEST_F(FormTest, ANamelessMessagesContactViewShowsItsNumbersMessages) {
    TMBForm& form = Open();
    AddMessage(Store, "2007.04.01 08:00", "+15555550170", "one", MsgSms | MsgReceived, "");
    AddMessage(Store, "2007.04.01 09:00", "+15555550171", "other", MsgSms | MsgSent, "");
    AddMessage(Store, "2007.04.01 10:00", "+15555550170", "two", MsgSms | MsgSent, "");
    AddMessage(Store, "2007.04.01 11:00", "+15555550172", "named", MsgSms | MsgSent, "Rosa Lind");
    AddMessage(Store, "2007.04.01 12:00", "+15555550170", "three", MsgSms | MsgReceived, "");
    BuildView(Store, ViewEverything);
    Store.Modified = false;
    form.FormPaint();

    form.SetCurrentRow(3);  // "two", from a number without a name
    form.ThisPersonMainMenu->trigger();
    ASSERT_EQ(Store.ViewCount, 3);
    for (std::int32_t r = 1; r <= Store.ViewCount; ++r)
        EXPECT_EQ(Store.Messages[Store.ViewIndex[static_cast<std::size_t>(r)]].Phone, "+15555550170");
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_NE(form.DetailLine(), "No matches found. Sorry.");
    EXPECT_EQ(form.NameBox->currentText(), "+15555550170");
    // The list offers names only: no blank entry that would show everything.
    ASSERT_EQ(form.NameBox->count(), 1);
    EXPECT_EQ(form.NameBox->itemText(0), "Rosa Lind");

    // Choosing a name goes back to comparing names.
    form.NameBoxChange(0);
    ASSERT_EQ(Store.ViewCount, 1);
    EXPECT_EQ(Store.Messages[Store.ViewIndex[1]].Text, "named");

    // Turning the view on and off saved nothing new: nothing to ask at close.
    form.ThisPersonMainMenu->trigger();
    EXPECT_EQ(Store.ViewCount, 5);
    EXPECT_FALSE(Store.Modified);
    form.NewMainMenuClick();
    EXPECT_TRUE(Answers.AskedOf("AskYesNoCancel").empty());
}

TEST_F(FormTest, CommandsThatShowEveryMessageSetTheViewControlsToSay) {
    TMBForm& form = OpenCollection();
    QTemporaryDir exports;
    const std::string exportFile = WriteExport(exports.path(), "two.csv", ExportOfTwo());
    const std::string dataFile = WriteCollection("other.kst");
    struct Case {
        const char* What;
        std::function<void()> Run;
        const char* TimeHeader;  // the sort mark over the Time column
    };
    const std::vector<Case> cases = {
        {"import", [&] {
             Answers.FileAnswers.push_back({QString::fromStdString(exportFile)});
             form.ImportMainMenu->trigger();
         }, " Time v"},
        {"open", [&] {
             Answers.SaveAnswers.push_back(SaveAnswer::No);
             Answers.FileAnswers.push_back({QString::fromStdString(dataFile)});
             form.OpenMainMenu->trigger();
         }, " Time v"},
        {"new", [&] {
             Answers.SaveAnswers.push_back(SaveAnswer::No);
             form.NewMainMenu->trigger();
         }, " Time v"},
    };
    for (const Case& c : cases) {
        // A view other than all, the contact view on, an older order of the Time column.
        Config.Defaults.SortAscending[TimeColumn] = true;
        QTest::mouseClick(form.DispSentSB, Qt::LeftButton);
        form.ThisPersonMainMenu->trigger();
        ASSERT_TRUE(form.ThisPersonSB->isChecked());
        c.Run();
        EXPECT_EQ(Config.Defaults.ViewMode, 3) << c.What;
        EXPECT_TRUE(form.AllMainMenu->isChecked()) << c.What;
        EXPECT_FALSE(form.SentMainMenu->isChecked()) << c.What;
        EXPECT_FALSE(form.ThisPersonMainMenu->isChecked()) << c.What;
        EXPECT_FALSE(form.ThisPersonSB->isChecked()) << c.What;
        EXPECT_FALSE(form.DispSentSB->isChecked()) << c.What;
        if (Store.MessageCount > 0) {
            EXPECT_TRUE(form.DispAllSB->isChecked()) << c.What;
        }
        EXPECT_EQ(Store.ViewCount, Store.MessageCount) << c.What;
        EXPECT_EQ(form.MessageModel->headerData(TimeColumn, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
                  c.TimeHeader)
            << c.What;
    }
}
