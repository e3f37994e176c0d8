// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "EditingFixture.h"
#include "ExportFiles.h"
#include "MBHistory/THistoryDlg.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "support/TempDir.h"

namespace {

THistoryDlg& AsHistoryDialog(QDialog& dialog) { return dynamic_cast<THistoryDlg&>(dialog); }

// A script that sets the check marks of the listed numbers and presses OK. The contact of
// the current row (Anna, +15555550100, at the start) comes checked unless a mark says no.
std::function<void(QDialog&)> CheckAndOk(std::vector<std::pair<std::string, bool>> marks) {
    return [marks](QDialog& d) {
        THistoryDlg& dialog = AsHistoryDialog(d);
        for (const auto& [entry, checked] : marks) dialog.SetChecked(entry, checked);
        QTest::mouseClick(dialog.OKBtn, Qt::LeftButton);
    };
}

// The blocked marks of the history file as a fresh start would read them.
std::vector<int> MarksInFile(const std::string& path) {
    MsgStore read;
    EXPECT_EQ(ReadHistory(read, path), 0);
    std::vector<int> marks;
    for (std::int32_t i = 1; i <= read.HistoryCount; ++i) marks.push_back(read.History[static_cast<std::size_t>(i)].Blocked);
    return marks;
}

// A click on a data cell of the message grid (0-based model row and column).
void ClickCell(TMBForm& form, int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    const QRect cell = form.MessageView->visualRect(form.MessageModel->index(row, column));
    QTest::mouseClick(form.MessageView->viewport(), Qt::LeftButton, modifiers, cell.center());
}

const std::string Anna = "+15555550100", Tom = "+15555550101", Mia = "+15555550102";

}  // namespace

TEST_F(EditingTest, TheBlockedContactsDialogListsEveryNumberOnceByNameWithTheSelectedRowsChecked) {
    WriteHistoryFile({Entry(Anna, "Anna Berg"), Entry(Mia, ""), Entry("+15555550199", "Nora Quill", true),
                      Entry("+15555550198", "")});
    TMBForm& form = OpenCollection();
    ClickCell(form, 2, NameColumn);
    ClickCell(form, 3, NameColumn, Qt::ShiftModifier);  // Tom's two messages
    const std::string before = TempDir::Read(HistoryFile());
    bool inspected = false;
    Answers.DialogScripts.push_back([&](QDialog& d) {
        THistoryDlg& dialog = AsHistoryDialog(d);
        EXPECT_EQ(dialog.windowTitle(), "Blocked contacts");
        // History and collection, one item per number (Tom is only in the collection, the
        // nameless number only in the history), ordered by name, then number.
        const QStringList expected = {" (+15555550198)", "Anna Berg (+15555550100)", "Mia Chen (+15555550102)",
                                      "Nora Quill (+15555550199)", "Tom Hale (+15555550101)"};
        ASSERT_EQ(dialog.ItemCount(), expected.size());
        for (int i = 1; i <= dialog.ItemCount(); ++i) EXPECT_EQ(dialog.ItemText(i), expected[i - 1]);
        // Blocked in the history, or picked in the grid.
        EXPECT_FALSE(dialog.IsChecked(Anna));
        EXPECT_FALSE(dialog.IsChecked(Mia));
        EXPECT_TRUE(dialog.IsChecked("+15555550199"));
        EXPECT_TRUE(dialog.IsChecked(Tom));
        // Large enough for 30 rows and a full name and number; the user may resize it.
        EXPECT_LT(dialog.minimumHeight(), dialog.maximumHeight());
        EXPECT_GE(dialog.HistoryListBox->viewport()->height(), 30 * dialog.HistoryListBox->sizeHintForRow(0));
        EXPECT_GE(dialog.HistoryListBox->viewport()->width(),
                  dialog.fontMetrics().horizontalAdvance(QString(30, QLatin1Char('M')) + " (" + QString(30, QLatin1Char('0')) + ")"));
        // The filter shows the matching items only, in any case, and keeps every mark.
        QTest::keyClicks(dialog.FilterEdit, "nOrA");
        for (int i = 1; i <= dialog.ItemCount(); ++i) EXPECT_EQ(dialog.IsItemShown(i), i == 4) << i;
        dialog.FilterEdit->clear();
        EXPECT_TRUE(dialog.IsItemShown(1));
        EXPECT_TRUE(dialog.IsChecked(Tom));
        EXPECT_EQ(dialog.BlockInstructor->text(), "Check contacts you want to block");
        EXPECT_EQ(dialog.BlockInstructor->toolTip(), "Messages from checked contacts are  excluded");
        EXPECT_EQ(dialog.OKBtn->text(), "OK");
        EXPECT_TRUE(dialog.OKBtn->isDefault());
        EXPECT_EQ(dialog.CancelBtn->text(), "Cancel");
        for (QWidget* control : {static_cast<QWidget*>(dialog.BlockInstructor), static_cast<QWidget*>(dialog.HistoryListBox),
                                 static_cast<QWidget*>(dialog.FilterEdit), static_cast<QWidget*>(dialog.OKBtn),
                                 static_cast<QWidget*>(dialog.CancelBtn)})
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
        // A user ticks Anna, then thinks better of it: Esc.
        dialog.SetChecked(Anna, true);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        inspected = true;
    });
    form.BlockMainMenu->trigger();
    EXPECT_TRUE(inspected);
    EXPECT_EQ(Answers.AskedOf("RunDialog").size(), 1u);
    EXPECT_EQ(Store.History[1].Blocked, 0);
    EXPECT_EQ(Store.History[3].Blocked, 1);
    EXPECT_EQ(TempDir::Read(HistoryFile()), before);
    EXPECT_EQ(Answers.Asked.size(), 1u);  // no question after a Cancel
}

TEST_F(EditingTest, AContactOnlyTheCollectionKnowsCanBeBlockedAfterTheHistoryIsGone) {
    TMBForm& form = OpenCollection();
    ASSERT_EQ(Store.HistoryCount, 0);
    ClickCell(form, 1, NameColumn);  // Mia's message
    Answers.DialogScripts.push_back(CheckAndOk({}));
    Answers.YesNoAnswers.push_back(true);
    form.BlockContactMenu->trigger();
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete and block messages with selected 1 contacts?");
    EXPECT_EQ(LastOf("ShowInfo"), "1 messages deleted from 1 blocked contacts.");
    EXPECT_TRUE(TextsOf(Mia).empty());
    // The mark lives in the history, as every mark does, and lasts.
    ASSERT_EQ(Store.HistoryCount, 1);
    EXPECT_EQ(Store.History[1].Phone, Mia);
    EXPECT_EQ(Store.History[1].Name, "Mia Chen");
    EXPECT_EQ(MarksInFile(HistoryFile()), (std::vector<int>{1}));
}

TEST_F(EditingTest, BlockingTwoContactsWithYesRemovesTheirMessagesAndKeepsTheMarks) {
    WriteHistoryFile({Entry("+15555550101", "Tom Hale"), Entry("+15555550199", "Nora Quill"),
                      Entry("+15555550100", "Anna Berg")});
    TMBForm& form = OpenCollection();
    Answers.DialogScripts.push_back(CheckAndOk({{Tom, true}, {"+15555550199", true}, {Anna, false}}));
    Answers.YesNoAnswers.push_back(true);
    form.BlockContactMenu->trigger();

    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete and block messages with selected 2 contacts?");
    EXPECT_EQ(Answers.AskedOf("AskYesNo").back().Default, DefaultButton::No);
    // Nora has no messages here: she adds nothing to the total but counts as blocked.
    EXPECT_EQ(LastOf("ShowInfo"), "2 messages deleted from 2 blocked contacts.");
    EXPECT_TRUE(TextsOf("+15555550101").empty());
    EXPECT_EQ(Store.MessageCount, 4);
    EXPECT_EQ(form.MessageModel->rowCount(), 4);
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(MarksInFile(HistoryFile()), (std::vector<int>{1, 1, 0}));
}

TEST_F(EditingTest, AnsweringNoKeepsTheMarksForTheNextImport) {
    WriteHistoryFile({Entry("+15555550100", "Anna Berg"), Entry("+15555550101", "Tom Hale")});
    TMBForm& form = OpenCollection();
    Answers.DialogScripts.push_back(CheckAndOk({}));
    form.BlockMainMenu->trigger();
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete and block messages with selected 1 contacts?");
    EXPECT_EQ(TextsOf("+15555550100").size(), 3u);  // nothing removed now
    EXPECT_EQ(Store.History[1].Blocked, 1);
    // The decision is on disk at once, whatever happens before the next import.
    EXPECT_EQ(MarksInFile(HistoryFile()), (std::vector<int>{1, 0}));

    QTemporaryDir exports;
    Config.Defaults.UseHistory = true;
    Answers.FileAnswers.push_back({QString::fromStdString(WriteExport(exports.path(), "more.csv", ExportOfThree()))});
    form.ImportMainMenuClick();
    EXPECT_TRUE(TextsOf("+15555550100").empty());
    EXPECT_FALSE(TextsOf("+15555550101").empty());
}

TEST_F(EditingTest, UncheckingEveryContactUnblocksSilently) {
    WriteHistoryFile({Entry("+15555550198", "Kai Dune", true), Entry("+15555550199", "Nora Quill", true)});
    TMBForm& form = OpenCollection();
    Answers.DialogScripts.push_back(CheckAndOk({{"+15555550198", false}, {"+15555550199", false}, {Anna, false}}));
    form.BlockMainMenu->trigger();
    EXPECT_EQ(Answers.Asked.size(), 1u);  // the dialog only: no question, no report
    EXPECT_EQ(Store.History[1].Blocked, 0);
    EXPECT_EQ(Store.History[2].Blocked, 0);
    EXPECT_EQ(MarksInFile(HistoryFile()), (std::vector<int>{0, 0}));
    EXPECT_EQ(Store.MessageCount, 6);
}

TEST_F(EditingTest, CancelOrTheCloseBoxAfterChangingMarksKeepsEveryMark) {
    WriteHistoryFile({Entry("+15555550100", "Anna Berg"), Entry("+15555550199", "Nora Quill", true)});
    TMBForm& form = OpenCollection();
    const std::string before = TempDir::Read(HistoryFile());
    const std::function<void(QDialog&)> leave[] = {
        [](QDialog& d) { QTest::mouseClick(AsHistoryDialog(d).CancelBtn, Qt::LeftButton); },
        [](QDialog& d) { d.close(); },  // the title bar's close box
    };
    for (const auto& how : leave) {
        Answers.DialogScripts.push_back([&](QDialog& d) {
            AsHistoryDialog(d).SetChecked(Anna, true);
            AsHistoryDialog(d).SetChecked("+15555550199", false);
            how(d);
        });
        form.BlockMainMenu->trigger();
        EXPECT_TRUE(Answers.DialogScripts.empty());
        EXPECT_EQ(Store.History[1].Blocked, 0);
        EXPECT_EQ(Store.History[2].Blocked, 1);
        EXPECT_EQ(TempDir::Read(HistoryFile()), before);
    }
    EXPECT_EQ(Answers.Asked.size(), 2u);  // the two dialogs, nothing else
}

TEST_F(EditingTest, AHistoryThatCannotBeWrittenIsReportedAndTheMarksStay) {
    WriteHistoryFile({Entry("+15555550100", "Anna Berg")});
    TMBForm& form = OpenCollection();
    Config.DefaultDir = Documents.path().toStdString() + "/gone";
    Answers.DialogScripts.push_back(CheckAndOk({}));
    form.BlockMainMenu->trigger();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, QStringLiteral("Cannot save \"%1/gone/Kestro.hst\": No such file or directory").arg(Documents.path()));
    EXPECT_EQ(Store.History[1].Blocked, 1);
    // The question still follows: the marks hold in memory.
    EXPECT_EQ(LastOf("AskYesNo"), "Do you want to delete and block messages with selected 1 contacts?");
}

TEST_F(EditingTest, OkWithNothingCheckedChangesNothing) {
    TMBForm& form = OpenCollection();
    Answers.DialogScripts.push_back([](QDialog& d) {
        EXPECT_EQ(AsHistoryDialog(d).ItemCount(), 3);  // the collection's numbers
        AsHistoryDialog(d).SetChecked(Anna, false);
        QTest::mouseClick(AsHistoryDialog(d).OKBtn, Qt::LeftButton);
    });
    form.BlockMainMenu->trigger();
    EXPECT_EQ(Answers.Asked.size(), 1u);
    EXPECT_EQ(Store.MessageCount, 6);
    EXPECT_FALSE(Store.Modified);
}

TEST_F(EditingTest, KeepingMarksNeverWritesOverAHistoryThatWasNotReadWhole) {
    WriteHistoryFile({Entry("+15555550100", "Anna Berg"), Entry("+15555550101", "Tom Hale")});
    std::filesystem::resize_file(HistoryFile(), 2 * HistoryEntrySize);  // the second entry is cut off
    const std::string cut = TempDir::Read(HistoryFile());
    TMBForm& form = OpenCollection();
    ASSERT_TRUE(Store.HistoryIncomplete);
    Answers.DialogScripts.push_back(CheckAndOk({}));
    form.BlockMainMenu->trigger();
    ASSERT_FALSE(Answers.AskedOf("ShowInfo").empty());
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").front().Text.contains("could not be read completely"));
    EXPECT_EQ(MarksInFile(HistoryFile()).front(), 1);
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(ProgramFolder()))
        if (e.path().filename().string().starts_with("Kestro.hst.unreadable-")) {
            ++kept;
            EXPECT_EQ(TempDir::Read(e.path().string()), cut);
        }
    EXPECT_EQ(kept, 1);
}
