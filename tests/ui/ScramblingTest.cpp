// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLineEdit>
#include <QTest>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

std::vector<std::string> Texts(const MsgStore& S) {
    std::vector<std::string> texts;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n) texts.push_back(S.Messages[static_cast<std::size_t>(n)].Text);
    return texts;
}

const char* const CryptedNotice =
    "Messages are crypted on screen only. Select \"Tools|Decrypt messages on screen\" again to revert this operation.";

}  // namespace

TEST_F(FormTest, ScramblingTwiceRestoresEveryText) {
    TMBForm& form = OpenCollection();
    Store.Messages[2].Text = std::string("byte Z is ") + char(TextMask);
    const std::vector<std::string> plain = Texts(Store);
    const QString sizeBefore = form.MessageModel->CellText(0, SizeColumn);

    form.CryptMainMenu->trigger();
    EXPECT_TRUE(form.ScreenScrambled);
    EXPECT_EQ(form.CryptMainMenu->text(), "Decrypt messages on screen");
    ASSERT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("ShowInfo")[0].Text, CryptedNotice);
    EXPECT_NE(Texts(Store), plain);
    EXPECT_EQ(Store.Messages[2].Text.back(), '\0');
    EXPECT_EQ(form.MessageModel->CellText(0, SizeColumn), sizeBefore);
    EXPECT_NE(form.DetailLine(), QString::fromLatin1(plain[0].c_str()));
    EXPECT_TRUE(form.MessageLabel->isReadOnly());

    form.CryptMainMenu->trigger();
    EXPECT_FALSE(form.ScreenScrambled);
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);  // turning it off says nothing
    EXPECT_EQ(Texts(Store), plain);
    EXPECT_TRUE(Store.Modified);
    EXPECT_FALSE(form.MessageLabel->isReadOnly());
}

TEST_F(FormTest, TheSearchSearchesTheScrambledTexts) {
    TMBForm& form = OpenCollection();
    form.CryptMainMenu->trigger();
    QTest::keyClicks(form.SearchEdit, "night");
    EXPECT_FALSE(form.MessageView->isVisible());
    form.SearchEdit->clear();
    // "ight" scrambled with the mask.
    std::string scrambled = "ight";
    for (char& c : scrambled) c = static_cast<char>(c ^ TextMask);
    QTest::keyClicks(form.SearchEdit, QString::fromLatin1(scrambled.c_str()));
    ASSERT_EQ(Store.ViewCount, 1);
    std::string text = Store.Messages[Store.ViewIndex[1]].Text;
    for (char& c : text) c = static_cast<char>(c ^ TextMask);
    EXPECT_EQ(text, "Good night");
}

TEST_F(FormTest, SavingWhileScrambledWritesAndShowsThePlainTexts) {
    TMBForm& form = OpenCollection();
    const std::vector<std::string> plain = Texts(Store);
    form.CryptMainMenu->trigger();
    form.SaveMainMenu->trigger();
    EXPECT_FALSE(form.ScreenScrambled);
    EXPECT_EQ(form.CryptMainMenu->text(), "Crypt messages on screen");
    EXPECT_EQ(Texts(Store), plain);
    MsgStore reread;
    ASSERT_EQ(ReadDataFile(reread, form.CurrentFile), 0);
    EXPECT_EQ(Texts(reread), plain);
}
