// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QAction>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <QUrl>
#include <QTest>
#include <functional>

#include "FormFixture.h"
#include "Typing.h"
#include "MBVars/Ordering.h"
#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

TEST_F(FormTest, TheDetailLineShowsTheCurrentMessage) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(2);
    EXPECT_EQ(form.DetailLine(), "Write to mia@example.org");
    EXPECT_TRUE(form.WebSB->isVisible());
    EXPECT_EQ(form.WebSB->text(), "mailto:mia@example.org");
    form.SetCurrentRow(3);
    EXPECT_EQ(form.DetailLine(), "See https://example.com/menu today");
    EXPECT_TRUE(form.WebSB->isVisible());
    EXPECT_EQ(form.CurrentLink, "https://example.com/menu");
    form.WebSB->click();
    const auto opened = Answers.AskedOf("OpenUrl");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].Text, "https://example.com/menu");
    EXPECT_TRUE(Answers.AskedOf("ShowError").empty());
    // A desktop without a browser: the click says so instead of doing nothing.
    Answers.UrlAnswers = {false};
    form.WebSB->click();
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].Text, "Cannot open \"https://example.com/menu\": the desktop has no program to open it");
    form.SetCurrentRow(4);
    EXPECT_FALSE(form.WebSB->isVisible());
}

TEST_F(FormTest, AnAmpersandInALinkIsShownAsWritten) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "go http://a.example/?x=1&y=2 now");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    EXPECT_EQ(form.CurrentLink, "http://a.example/?x=1&y=2");
    EXPECT_EQ(form.WebSB->text(), "http://a.example/?x=1&&y=2");
}

TEST_F(FormTest, TextThatTheProgramPutsIntoTheDetailLineIsNoEdit) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    const std::int32_t n = form.CurrentMessage;
    form.MessageLabel->setFocus();
    form.MessageLabel->setText("edited by accident");
    form.MessageView->setFocus();
    form.SetCurrentRow(2);
    form.FormPaint();
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, "Good night");
    EXPECT_FALSE(Store.Modified);
}

TEST_F(FormTest, HelpAndHomePageGoToTheDesktop) {
    TMBForm& form = Open();
    form.KestroMainMenu->trigger();
    form.GetStartedMainMenu->trigger();
    const auto opened = Answers.AskedOf("OpenUrl");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].Text, "https://kestro.example.org");
    const QUrl help(opened[1].Text);
    ASSERT_TRUE(help.isLocalFile());
    QFile page(help.toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(html.contains("Kestro help"));
    EXPECT_TRUE(html.contains("Kestro.cfg"));
    EXPECT_TRUE(html.contains("Kestro.hst"));
    EXPECT_TRUE(Answers.AskedOf("ShowError").empty());
}

TEST_F(FormTest, HelpAndHomePageSayWhenTheDesktopCannotOpenThem) {
    TMBForm& form = Open();
    Answers.UrlAnswers = {false, false};
    form.KestroMainMenu->trigger();
    form.GetStartedMainMenu->trigger();
    const auto opened = Answers.AskedOf("OpenUrl");
    ASSERT_EQ(opened.size(), 2u);
    const auto errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Text, "Cannot open \"https://kestro.example.org\": the desktop has no program to open it");
    EXPECT_EQ(errors[1].Text,
              "Cannot open \"" + QUrl(opened[1].Text).toLocalFile() + "\": the desktop has no program to open it");
}

namespace {

// Gives the detail line the focus and takes it away again, as a click elsewhere would.
void FocusInAndOut(TMBForm& form, const std::function<void()>& meanwhile = {}) {
    form.activateWindow();
    form.MessageLabel->setFocus();
    if (meanwhile) meanwhile();
    form.MessageView->setFocus();
    QApplication::processEvents();
}

}  // namespace

TEST_F(FormTest, AnUntouchedDetailLineLeavesTheMessageAlone) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "Gr\xC3\xA4n und \xE4", MsgSms | MsgReceived, "Tom Hale");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    ASSERT_EQ(form.DetailLine(), QString::fromUtf8("Grän und ä"));
    FocusInAndOut(form);
    EXPECT_EQ(Store.Messages[1].Text, "Gr\xC3\xA4n und \xE4");
    EXPECT_FALSE(Store.Modified);
}

TEST_F(FormTest, AnEditedDetailLineIsStoredAndMarksTheCollectionModified) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", "Gr\xC3\xA4n", MsgSms | MsgReceived, "Tom Hale");
    AddMessage(Store, "2007.01.02 10:00", "+15555550102", "other", MsgSms | MsgReceived, "Mia Chen");
    Renumber(Store);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    FocusInAndOut(form, [&] {
        QTest::keyClick(form.MessageLabel, Qt::Key_End);
        TypeText(form.MessageLabel, QString::fromUtf8(" für dich"));
    });
    // Stored in the 8-bit form, as typed.
    EXPECT_EQ(Store.Messages[1].Text, "Gr\xE4n f\xFCr dich");
    EXPECT_TRUE(Store.Modified);
    EXPECT_EQ(form.MessageModel->CellText(0, SizeColumn), " 13 ");
    EXPECT_EQ(Store.Messages[2].Text, "other");
}

TEST_F(FormTest, AnEditIsKeptWhenAButtonShowsAnotherView) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);  // "Good night", sent
    form.activateWindow();
    form.MessageLabel->setFocus();
    QTest::keyClick(form.MessageLabel, Qt::Key_End);
    QTest::keyClicks(form.MessageLabel, ", sleep well");
    // The view buttons take no focus: the line would be refilled under the user's hands.
    QTest::mouseClick(form.DispReceivedSB, Qt::LeftButton);
    bool found = false;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
        found = found || Store.Messages[static_cast<std::size_t>(n)].Text == "Good night, sleep well";
    EXPECT_TRUE(found);
    EXPECT_TRUE(Store.Modified);
}

TEST_F(FormTest, TheDetailLineIsReadOnlyWhileScrambled) {
    TMBForm& form = OpenCollection();
    form.CryptMainMenu->trigger();
    const std::string scrambled = Store.Messages[1].Text;
    FocusInAndOut(form, [&] { QTest::keyClicks(form.MessageLabel, "typed"); });
    EXPECT_EQ(Store.Messages[1].Text, scrambled);
    form.CryptMainMenu->trigger();
    EXPECT_EQ(Store.Messages[1].Text, "Good night");
}

TEST_F(FormTest, TheNoMatchNoticeIsNoMessageToEdit) {
    TMBForm& form = OpenCollection();
    QTest::keyClicks(form.SearchEdit, "qqq");
    ASSERT_EQ(form.DetailLine(), "No matches found. Sorry.");
    EXPECT_TRUE(form.MessageLabel->isReadOnly());
    FocusInAndOut(form, [&] {
        form.MessageLabel->setReadOnly(false);  // even if it could be typed into
        QTest::keyClicks(form.MessageLabel, "typed");
    });
    EXPECT_FALSE(Store.Modified);
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
        EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text.find("No matches"), std::string::npos);
}

TEST_F(FormTest, CommandsLeaveTheFocusOnTheGridSoThatDelNeverEditsAMessage) {
    TMBForm& form = Open();  // an empty window: nothing but the detail line could take the focus
    form.activateWindow();
    form.MessageLabel->setFocus();
    Answers.FileAnswers.push_back({QString::fromStdString(WriteCollection())});
    form.OpenMainMenu->trigger();
    ASSERT_EQ(Store.MessageCount, 6);
    EXPECT_EQ(form.focusWidget(), form.MessageView);
    const std::string first = Store.Messages[1].Text;
    QTest::keyClick(form.focusWidget(), Qt::Key_Delete);  // the Delete command, not an edit
    const auto asked = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "Do you want to delete the selected 1 messages?");
    EXPECT_EQ(Store.Messages[1].Text, first);
    EXPECT_FALSE(Store.Modified);
    // Whatever command runs while the line has the focus hands it to the grid.
    for (QAction* command : {form.ReceivedMainMenu, form.AllMainMenu, form.EmailsMenu, form.SelectAllMainMenu}) {
        form.MessageLabel->setFocus();
        command->trigger();
        EXPECT_EQ(form.focusWidget(), form.MessageView) << command->text().toStdString();
    }
}

TEST_F(FormTest, TheDetailLineShowsWhenItIsEditedAndEscapePutsTheStoredTextBack) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    const std::int32_t n = form.CurrentMessage;
    EXPECT_EQ(form.MessageLabel->frameShape(), QFrame::NoFrame);
    form.activateWindow();
    form.MessageLabel->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form.MessageLabel->frameShape(), QFrame::StyledPanel);  // framed while edited
    QTest::keyClick(form.MessageLabel, Qt::Key_End);
    QTest::keyClicks(form.MessageLabel, " oops");
    QTest::keyClick(form.MessageLabel, Qt::Key_Return);  // no line break in a message
    EXPECT_EQ(form.DetailLine(), "Good night oops");
    QTest::keyClick(form.MessageLabel, Qt::Key_Escape);
    EXPECT_EQ(form.DetailLine(), "Good night");
    form.MessageView->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(form.MessageLabel->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, "Good night");
    EXPECT_FALSE(Store.Modified);
    EXPECT_FALSE(form.UndoMainMenu->isEnabled());
}

TEST_F(FormTest, UndoTakesBackAStoredEditUntilTheNextCommand) {
    TMBForm& form = OpenCollection();
    form.SetCurrentRow(1);
    const std::int32_t n = form.CurrentMessage;
    auto edit = [&](const char* typed) {
        FocusInAndOut(form, [&] {
            QTest::keyClick(form.MessageLabel, Qt::Key_End);
            QTest::keyClicks(form.MessageLabel, typed);
        });
    };
    edit(", sleep well");
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, "Good night, sleep well");
    EXPECT_TRUE(Store.Modified);
    ASSERT_TRUE(form.UndoMainMenu->isEnabled());
    form.UndoMainMenu->trigger();
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, "Good night");
    EXPECT_EQ(form.DetailLine(), "Good night");
    EXPECT_FALSE(Store.Modified);  // as before the edit
    EXPECT_FALSE(form.UndoMainMenu->isEnabled());

    // Another command ends the chance: the edit stays.
    edit("!");
    form.SelectAllMainMenu->trigger();
    EXPECT_FALSE(form.UndoMainMenu->isEnabled());
    form.UndoMainMenu->trigger();
    EXPECT_EQ(Store.Messages[static_cast<std::size_t>(n)].Text, "Good night!");
}

TEST_F(FormTest, ALongMessageWrapsInTheDetailLineAndScrollsBeyondAFewLines) {
    std::string text;
    for (int word = 0; word < 120; ++word) text += "word" + std::to_string(word) + " ";
    AddMessage(Store, "2007.01.01 10:00", "+15555550101", text, MsgSms | MsgReceived, "Tom Hale");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    QApplication::processEvents();
    EXPECT_EQ(form.DetailLine().toStdString(), text);
    const QTextBlock block = form.MessageLabel->document()->firstBlock();
    EXPECT_GT(block.layout()->lineCount(), DetailLineEdit::ShownLines);  // wrapped, not cut
    const int lineHeight = form.MessageLabel->fontMetrics().lineSpacing();
    EXPECT_GE(form.MessageLabel->height(), DetailLineEdit::ShownLines * lineHeight);
    EXPECT_LT(form.MessageLabel->height(), (DetailLineEdit::ShownLines + 1) * lineHeight + 12);
    EXPECT_GT(form.MessageLabel->verticalScrollBar()->maximum(), 0);  // the rest scrolls
}
