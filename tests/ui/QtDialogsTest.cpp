#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include "Platform/QtDialogs.h"

namespace {

struct BoxSeen {
    QString Title, Text;
    QStringList Buttons;
};

// Presses the button captioned `press` in the next modal box and tells what the box showed.
void AnswerNextBox(const QString& press, BoxSeen& seen) {
    QTimer::singleShot(0, [press, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.Title = box->windowTitle();
        seen.Text = box->text();
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

    seen = {};
    AnswerNextBox("OK", seen);
    dialogs.ShowError("Disk full");
    EXPECT_EQ(seen.Title, "Error");
    EXPECT_EQ(seen.Text, "Disk full");
}
