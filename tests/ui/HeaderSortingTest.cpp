// SPDX-License-Identifier: GPL-3.0-or-later
#include <QComboBox>
#include <QHeaderView>
#include <QTest>
#include <QToolButton>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

void ClickTitle(TMBForm& form, int column) {
    QHeaderView* titles = form.MessageView->horizontalHeader();
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(column) + 6, titles->height() / 2));
}

std::string CurrentText(const TMBForm& form) {
    return form.CurrentMessage > 0 ? form.S.Messages[static_cast<std::size_t>(form.CurrentMessage)].Text : "";
}

}  // namespace

TEST_F(FormTest, ATitleClickSortsAndASecondReverses) {
    TMBForm& form = OpenCollection();
    // The contact view of Anna, on her second message.
    form.SetCurrentRow(1);
    QTest::mouseClick(form.ThisPersonSB, Qt::LeftButton);
    ASSERT_EQ(Store.ViewCount, 3);
    form.SetCurrentRow(2);
    ASSERT_EQ(CurrentText(form), "Morning to you too");
    Store.Modified = false;

    ClickTitle(form, MessageColumn);
    EXPECT_EQ(Config.Defaults.SortColumn, MessageColumn);
    EXPECT_EQ(form.MessageModel->HeaderText(MessageColumn), " Message ^");
    EXPECT_EQ(form.MessageModel->HeaderText(TimeColumn), " Time");
    EXPECT_TRUE(form.MessageModel->headerData(MessageColumn, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    // Every message, in text order, and the contact view has ended.
    EXPECT_EQ(Store.ViewCount, 6);
    EXPECT_FALSE(form.ThisPersonSB->isChecked());
    EXPECT_FALSE(form.ThisPersonMainMenu->isChecked());
    EXPECT_FALSE(form.NameBox->isVisible());
    EXPECT_EQ(Store.Messages[1].Text, "Good morning");
    EXPECT_EQ(Store.Messages[6].Text, "Write to mia@example.org");
    // The message stays current, on its new row.
    EXPECT_EQ(CurrentText(form), "Morning to you too");
    EXPECT_EQ(form.CurrentRow(), 4);
    EXPECT_EQ(form.DetailLine(), "Morning to you too");
    EXPECT_EQ(form.GridHint, "Click to sort by this column");
    EXPECT_TRUE(Store.Modified);

    ClickTitle(form, MessageColumn);
    EXPECT_EQ(form.MessageModel->HeaderText(MessageColumn), " Message v");
    EXPECT_EQ(Store.Messages[1].Text, "Write to mia@example.org");
    EXPECT_EQ(CurrentText(form), "Morning to you too");
    EXPECT_EQ(form.CurrentRow(), 3);
}

TEST_F(FormTest, SortingAFilteredViewShowsEverything) {
    TMBForm& form = OpenCollection();
    QTest::mouseClick(form.DispSentSB, Qt::LeftButton);
    ASSERT_EQ(Store.ViewCount, 3);
    form.SetCurrentRow(3);  // the oldest sent message
    const std::string current = CurrentText(form);
    ClickTitle(form, PhoneColumn);
    EXPECT_EQ(Store.ViewCount, 6);
    EXPECT_EQ(CurrentText(form), current);
    EXPECT_EQ(form.MessageModel->HeaderText(PhoneColumn), " To ^");  // the view mode stays
    for (std::int32_t n = 2; n <= Store.MessageCount; ++n)
        EXPECT_LE(Store.Messages[static_cast<std::size_t>(n - 1)].Phone.str(), Store.Messages[static_cast<std::size_t>(n)].Phone.str());
}
