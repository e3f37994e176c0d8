// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QScreen>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "Platform/QtDialogs.h"

namespace {

struct BoxSeen {
    QString Title, Text;
    QStringList Buttons;
    QString Default;  // the button under Enter
};

// Presses the button captioned `press` in the next modal box and tells what the box showed.
void AnswerNextBox(const QString& press, BoxSeen& seen) {
    QTimer::singleShot(0, [press, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.Title = box->windowTitle();
        seen.Text = box->text();
        if (box->defaultButton() != nullptr) seen.Default = box->defaultButton()->text();
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.Buttons << b->text();
            if (b->text() == press) chosen = b;
        }
        seen.Buttons.sort();
        ASSERT_NE(chosen, nullptr);
        chosen->click();
    });
}

}  // namespace

TEST(QtDialogs, BoxesCarryTheirTitlesAndButtons) {
    QtDialogs dialogs;
    BoxSeen seen;
    AnswerNextBox("&Yes", seen);
    EXPECT_TRUE(dialogs.AskConfirm("you want to delete 3 messages"));
    EXPECT_EQ(seen.Title, "Warning");
    EXPECT_EQ(seen.Text, "Are you sure you want to delete 3 messages?");
    EXPECT_EQ(seen.Buttons, QStringList({"&No", "&Yes"}));

    seen = {};
    AnswerNextBox("&No", seen);
    EXPECT_FALSE(dialogs.AskYesNo("Line one\r\nLine two"));
    EXPECT_EQ(seen.Title, "Confirm");
    EXPECT_EQ(seen.Text, "Line one\nLine two");
    EXPECT_EQ(seen.Buttons, QStringList({"&No", "&Yes"}));
    EXPECT_EQ(seen.Default, "&Yes");
    // A question whose Yes removes messages: Enter answers No.
    seen = {};
    AnswerNextBox("&No", seen);
    EXPECT_FALSE(dialogs.AskYesNo("Delete?", DefaultButton::No));
    EXPECT_EQ(seen.Default, "&No");

    seen = {};
    AnswerNextBox("OK", seen);
    dialogs.ShowInfo("Done");
    EXPECT_EQ(seen.Title, "Information");
    EXPECT_EQ(seen.Buttons, QStringList({"OK"}));

    seen = {};
    AnswerNextBox("Cancel", seen);
    EXPECT_EQ(dialogs.AskYesNoCancel("You have modified your data. Do you want to save it on disk?"), SaveAnswer::Cancel);
    EXPECT_EQ(seen.Title, "Warning");
    EXPECT_EQ(seen.Buttons, QStringList({"&No", "&Yes", "Cancel"}));
    seen = {};
    AnswerNextBox("&No", seen);
    EXPECT_EQ(dialogs.AskYesNoCancel("?"), SaveAnswer::No);
    seen = {};
    AnswerNextBox("&Yes", seen);
    EXPECT_EQ(dialogs.AskYesNoCancel("?"), SaveAnswer::Yes);

    // A question of several choices: Enter takes the first, Esc the last.
    seen = {};
    AnswerNextBox("Two", seen);
    EXPECT_EQ(dialogs.AskChoice("Which?", {"One", "Two", "Cancel"}), 1);
    EXPECT_EQ(seen.Title, "Confirm");
    EXPECT_EQ(seen.Buttons, QStringList({"Cancel", "One", "Two"}));
    EXPECT_EQ(seen.Default, "One");
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(dialogs.AskChoice("Which?", {"One", "Two", "Cancel"}), 2);

    seen = {};
    AnswerNextBox("OK", seen);
    dialogs.ShowError("Disk full");
    EXPECT_EQ(seen.Title, "Error");
    EXPECT_EQ(seen.Text, "Disk full");
}

TEST(QtDialogs, AReportKeepsEachLineWholeAsFarAsTheScreenAllows) {
    QtDialogs dialogs;
    const QString path = "/home/someone/Documents/Kestro/exports/2009/sample_inbox_messages_from_classic_suite.csv";
    const QString report = "1 file(s) imported: \r\n" + path + " - Successful\r\n\r\n3 messages";
    int labelWidth = 0, longest = 0, screenWidth = 0, boxWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        labelWidth = label->width();
        longest = QFontMetrics(label->font()).horizontalAdvance(path + " - Successful");
        screenWidth = box->screen()->availableGeometry().width();
        boxWidth = box->width();
        box->buttons().front()->click();
    });
    dialogs.ShowInfo(report);
    EXPECT_GE(labelWidth, std::min(longest, screenWidth - 160));
    EXPECT_LE(boxWidth, screenWidth);
}

TEST(QtDialogs, FileDialogsOpenRoomyAndKeepTheirSizeForTheSession) {
    QtDialogs dialogs;
    QSize opened;
    const auto resizeAndCancel = [&](QSize leaveAt) {
        QTimer::singleShot(0, [&opened, leaveAt] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            opened = dialog->size();
            dialog->resize(leaveAt);
            dialog->reject();
        });
    };
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    resizeAndCancel(QSize(700, 450));
    EXPECT_TRUE(dialogs.OpenFile({"Open file", QDir::tempPath(), "", "Data file (*.kst)", "kst"}).isEmpty());
    EXPECT_EQ(opened, QSize(960, 600).boundedTo(screen));
    EXPECT_GT(opened.width(), 624);

    resizeAndCancel(QSize(720, 500));
    EXPECT_TRUE(dialogs.SaveFile({"Save file", QDir::tempPath(), "x.kst", "Data file (*.kst)", "kst"}).isEmpty());
    EXPECT_EQ(opened, QSize(700, 450));
    EXPECT_EQ(dialogs.FileDialogSize(), QSize(720, 500));
}

TEST(QtDialogs, TheFontDialogOpensAtTheFontAndItsStyle) {
    QtDialogs dialogs;
    // An installed family and one that is not (the grid draws a stand-in for it).
    for (const char* family : {"DejaVu Sans", "Verdana"}) {
        QFont bold(QString::fromLatin1(family), 16);
        bold.setBold(true);
        QFont opened;
        QTimer::singleShot(0, [&opened] {
            auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            opened = dialog->currentFont();
            dialog->reject();
        });
        EXPECT_FALSE(dialogs.ChooseFont(bold).has_value());
        EXPECT_EQ(opened.family(), QFontInfo(bold).family()) << family;
        EXPECT_TRUE(opened.bold()) << family;
        EXPECT_EQ(opened.pointSize(), 16) << family;
    }
}

TEST(QtDialogs, ATextQueryIsWideEnoughForItsTitle) {
    QtDialogs dialogs;
    const QString title = QStringLiteral("Rename this contact");
    int width = 0, titleWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        width = dialog->width();
        titleWidth = dialog->fontMetrics().horizontalAdvance(title);
        EXPECT_EQ(dialog->windowTitle(), title);
        EXPECT_EQ(dialog->textValue(), "Ann");
        dialog->reject();
    });
    EXPECT_FALSE(dialogs.QueryText(title, QStringLiteral("Enter a name for \"+15555550100\":"), "Ann").has_value());
    EXPECT_GE(width, titleWidth * 6 / 5 + 150);
}
