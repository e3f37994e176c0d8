// SPDX-License-Identifier: GPL-3.0-or-later
// Stored bytes in the windows: UTF-8 shown as UTF-8 in any script, Windows-1252 as before,
// and typed text stored back so that it shows again as typed.
#include <QComboBox>
#include <QTest>
#include <QLineEdit>
#include <QToolButton>

#include "FormFixture.h"
#include "Typing.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "Platform/Cp1252Text.h"

namespace {
const QString Privet = QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");  // Привет
}

TEST(ShownText, StoredBytesReadAsUtf8WhenTheyAreAndAsWindows1252Otherwise) {
    EXPECT_EQ(ShownText("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"), Privet);
    EXPECT_EQ(ShownText("Bj\xC3\xB6rn \xC3\x85kesson"), QString::fromUtf8("Björn Åkesson"));
    EXPECT_EQ(ShownText("Bj\xF6rn \x80"), QString::fromUtf8("Björn €"));
    EXPECT_EQ(ShownMessageText("\xCE\x93\xCE\xB5\xCE\xB9\xCE\xB1 \xF0\x9F\x98\x80"), QString::fromUtf8("Γεια 😀"));
    EXPECT_EQ(ShownMessageText("caf\xE9 \xC3\xA4"), QString::fromUtf8("café ä"));  // the five letters as before
    EXPECT_EQ(ShownMessageText("\xC3\xA5 \xC3\x84"), QString::fromUtf8("å Ä"));
    EXPECT_EQ(ShownText("\xC3\xA4\xE9"), QString::fromUtf8("Ã¤é"));  // a name is not the display form
}

TEST(ShownText, TypedTextIsStoredInTheFormThatShowsItAgain) {
    EXPECT_EQ(StoredFromTyped(QString::fromUtf8("Björn")), "Bj\xF6rn");
    EXPECT_EQ(StoredFromTyped(Privet), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    EXPECT_EQ(StoredFromTyped(QString::fromUtf8("Zoë 😀")), "Zo\xC3\xAB \xF0\x9F\x98\x80");  // never '?'
    // A Cyrillic name of 35 bytes is cut to 29, not inside its 15th letter; one byte more in
    // front and the cut falls between two letters at 30. Windows-1252 is cut at 30.
    const QString longName = QString::fromUtf8("Александра Петрова");
    const std::string stored = StoredFromTyped(longName, 30);
    EXPECT_EQ(stored.size(), 29u);
    EXPECT_EQ(ShownText(stored), longName.left(15));
    const std::string odd = StoredFromTyped(QString::fromUtf8("AАлександра Петрова"), 30);
    EXPECT_EQ(odd.size(), 30u);
    EXPECT_EQ(ShownText(odd), QString::fromUtf8("AАлександра Петр"));
    EXPECT_EQ(StoredFromTyped(QString(33, QChar(0xE9)), 30), std::string(30, '\xE9'));
    for (const QString& typed : {QString::fromUtf8("Ã©"), QString::fromUtf8("Ã„é"), QString::fromUtf8("Ω ß €"),
                                 QString::fromUtf8("Ünsal İpek")}) {
        EXPECT_EQ(ShownText(StoredFromTyped(typed)), typed);
        EXPECT_EQ(ShownMessageText(StoredFromTyped(typed)), typed);
    }
}

TEST_F(FormTest, TheGridAndTheDetailLineShowEveryScript) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550140", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 https://\xD0\xBF\xD1\x80.example/\xD0\xB0",
               MsgSms | MsgReceived, "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0");
    AddMessage(Store, "2007.01.01 09:00", "+15555550141", "caf\xE9 \xC3\xB6l", MsgSms | MsgReceived, "Bj\xF6rn");
    // Longer than a cell shows: still read as UTF-8 as a whole.
    std::string longText;
    while (longText.size() < 5000) longText += "\xCE\xB1\xCE\xB2\xCE\xB3 ";
    AddMessage(Store, "2007.01.01 08:00", "+15555550142", longText, MsgSms | MsgSent, "Dr Bj\xC3\xB6rn");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    const MessageGridModel& model = *form.MessageModel;
    EXPECT_EQ(model.CellText(0, NameColumn), QString::fromUtf8(" Анна"));
    EXPECT_EQ(model.CellText(0, MessageColumn), QString::fromUtf8(" Привет https://пр.example/а"));
    EXPECT_EQ(model.CellText(0, SizeColumn), " 36 ");  // stored bytes
    EXPECT_EQ(model.CellText(1, NameColumn), QString::fromUtf8(" Björn"));
    EXPECT_EQ(model.CellText(1, MessageColumn), QString::fromUtf8(" café öl"));
    EXPECT_EQ(model.CellText(2, NameColumn), QString::fromUtf8(" Dr Björn"));
    EXPECT_TRUE(model.CellText(2, MessageColumn).startsWith(QString::fromUtf8(" αβγ αβγ")));
    EXPECT_LE(model.CellText(2, MessageColumn).size(), 2049);

    form.SetCurrentRow(1);
    EXPECT_EQ(form.DetailLine(), QString::fromUtf8("Привет https://пр.example/а"));
    EXPECT_TRUE(form.WebSB->isVisible());
    EXPECT_EQ(form.CurrentLink, QString::fromUtf8("https://пр.example/а"));
    form.SetCurrentRow(2);
    EXPECT_EQ(form.DetailLine(), QString::fromUtf8("café öl"));
}

TEST_F(FormTest, TheContactViewFindsNamesStoredInEitherForm) {
    // The same letters in UTF-8 (from a contacts export) and in Windows-1252 (typed).
    AddMessage(Store, "2007.01.01 10:00", "+15555550140", "one", MsgSms | MsgReceived, "Bj\xC3\xB6rn");
    AddMessage(Store, "2007.01.01 09:00", "+15555550141", "two", MsgSms | MsgReceived, "Bj\xF6rn");
    AddMessage(Store, "2007.01.01 08:00", "+15555550140", "three", MsgSms | MsgSent, "Bj\xC3\xB6rn");
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    form.SetCurrentRow(1);
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    EXPECT_EQ(Store.ViewCount, 2);
    ASSERT_EQ(form.NameBox->count(), 2);
    EXPECT_EQ(form.NameBox->itemText(0), QString::fromUtf8("Björn"));
    EXPECT_EQ(form.NameBox->itemText(1), QString::fromUtf8("Björn"));
    for (int entry = 0; entry < 2; ++entry) {
        form.NameBox->setCurrentIndex(entry);
        emit form.NameBox->textActivated(form.NameBox->itemText(entry));
        const std::string stored = Store.Contacts[static_cast<std::size_t>(entry + 1)].Name.str();
        EXPECT_EQ(form.SearchText, stored);
        EXPECT_EQ(Store.ViewCount, stored == "Bj\xF6rn" ? 1 : 2);
    }
}

TEST_F(FormTest, SearchingCopyingAndEditingInOtherScripts) {
    AddMessage(Store, "2007.01.01 10:00", "+15555550140", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0",
               MsgSms | MsgReceived, "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0");                          // Привет, Анна
    AddMessage(Store, "2007.01.01 09:00", "+15555550141", "caf\xE9 noir", MsgSms | MsgReceived, "Tom Hale");  // Windows-1252
    AddMessage(Store, "2007.01.01 08:00", "+15555550142", "Caf\xC3\xA9 Stra\xC3\x9F" "e", MsgSms | MsgSent, "Mia Chen");
    Renumber(Store);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();

    TypeText(form.SearchEdit, QString::fromUtf8("АННА"));
    EXPECT_EQ(form.SearchText, "\xD0\x90\xD0\x9D\xD0\x9D\xD0\x90");  // no Windows-1252 for it: UTF-8
    EXPECT_EQ(Store.ViewCount, 1);
    form.SearchEdit->clear();
    TypeText(form.SearchEdit, QString::fromUtf8("CAFÉ"));
    EXPECT_EQ(Store.ViewCount, 2);
    form.SearchEdit->clear();
    TypeText(form.SearchEdit, QString::fromUtf8("strasse"));
    EXPECT_EQ(Store.ViewCount, 1);
    form.SearchEdit->clear();
    ASSERT_EQ(Store.ViewCount, 3);

    // Copied as shown.
    QItemSelectionModel* selection = form.MessageView->selectionModel();
    selection->select(QItemSelection(form.MessageModel->index(0, NameColumn), form.MessageModel->index(0, MessageColumn)),
                      QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(form.SelectedCellsText(), QString::fromUtf8("Анна\tПривет, Анна\r\n"));

    // An edit that adds Cyrillic stores UTF-8; one that does not need it stores Windows-1252.
    form.SetCurrentRow(1);
    form.activateWindow();
    form.MessageLabel->setFocus();
    QTest::keyClick(form.MessageLabel, Qt::Key_End);
    TypeText(form.MessageLabel, QString::fromUtf8("!"));
    form.MessageView->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Store.Messages[1].Text, "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0!");
    Store.Modified = false;
    form.SetCurrentRow(3);
    form.MessageLabel->setFocus();
    QTest::keyClick(form.MessageLabel, Qt::Key_End);
    TypeText(form.MessageLabel, QString::fromUtf8("x"));
    QTest::keyClick(form.MessageLabel, Qt::Key_Backspace);  // changed and changed back
    form.MessageView->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Store.Messages[3].Text, "Caf\xC3\xA9 Stra\xC3\x9F" "e");
    EXPECT_FALSE(Store.Modified);
}
