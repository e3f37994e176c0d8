// SPDX-License-Identifier: GPL-3.0-or-later
#include <QClipboard>
#include <QTest>
#include <random>

#include "FormFixture.h"
#include "MBVars/Ordering.h"
#include "MBrowser/ClipboardCopy.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "OFuncs/TextOps.h"
#include "Platform/Cp1252Text.h"

namespace {

class CopyTest : public FormTest {
protected:
    TMBForm& OpenRows() {
        AddMessage(Store, "2007.05.01 08:00", "+15555550100", "Caf\xE9 at 8 \x80 5", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(Store, "2007.05.01 09:00", "+15555550101", "cols\ta\t\r\nb", MsgSms | MsgSent);
        AddMessage(Store, "2007.05.01 10:00", "+15555550102", "Gr\xC3\xA4n", MsgSms | MsgSent, "Mia Chen");
        Renumber(Store);
        BuildView(Store, ViewEverything);
        return Open();
    }
    void Select(TMBForm& form, int top, int left, int bottom, int right) {
        QItemSelectionModel* selection = form.MessageView->selectionModel();
        selection->setCurrentIndex(form.MessageModel->index(top - 1, left), QItemSelectionModel::ClearAndSelect);
        selection->select(QItemSelection(form.MessageModel->index(top - 1, left), form.MessageModel->index(bottom - 1, right)),
                          QItemSelectionModel::ClearAndSelect);
    }
};

}  // namespace

TEST_F(CopyTest, TheSelectedRectangleAsTabSeparatedLines) {
    TMBForm& form = OpenRows();
    Select(form, 1, PhoneColumn, 2, NameColumn);
    EXPECT_EQ(form.SelectedCellsText(), "+15555550100\tAnna Berg\r\n+15555550101\r\n");
    Select(form, 1, TypeColumn, 3, TypeColumn);
    EXPECT_EQ(form.SelectedCellsText(), "\r\n\r\n\r\n");
    Select(form, 1, TimeColumn, 1, SizeColumn);
    EXPECT_EQ(form.SelectedCellsText(),
              QString::fromUtf8("2007.05.01 08:00\t+15555550100\tAnna Berg\tCafé at 8 € 5\t13\r\n"));
    // The display form of the text, its stored size.
    Select(form, 3, MessageColumn, 3, SizeColumn);
    EXPECT_EQ(form.SelectedCellsText(), QString::fromUtf8("Grän\t5\r\n"));
}

TEST_F(CopyTest, NoLineEndsWithATab) {
    TMBForm& form = OpenRows();
    Select(form, 2, MessageColumn, 2, MessageColumn);
    EXPECT_EQ(form.SelectedCellsText(), "cols\ta\r\nb\r\n");
}

TEST_F(CopyTest, TheTimeIsCopiedAsStored) {
    TMBForm& form = OpenRows();
    Config.Defaults.DateTimeFormat = "dddd d mmmm yyyy";
    ASSERT_FALSE(form.MessageModel->CellText(0, TimeColumn).contains("2007.05.01"));
    Select(form, 1, TimeColumn, 1, TimeColumn);
    EXPECT_EQ(form.SelectedCellsText(), "2007.05.01 08:00\r\n");
}

TEST_F(CopyTest, CtrlCAndBothMenusPutTheTextOnTheClipboard) {
    TMBForm& form = OpenRows();
    Select(form, 1, NameColumn, 1, NameColumn);
    QGuiApplication::clipboard()->clear();
    form.MessageView->setFocus();
    QTest::keyClick(form.MessageView, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Anna Berg\r\n");
    Select(form, 3, NameColumn, 3, NameColumn);
    form.CopyMenu->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Mia Chen\r\n");
    Select(form, 1, PhoneColumn, 1, PhoneColumn);
    form.CopyMainMenu->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "+15555550100\r\n");
}

TEST_F(CopyTest, AnEmptyViewCopiesOneEmptyLine) {
    TMBForm& form = OpenRows();
    form.FetchStr(5, "no such text");
    Select(form, 1, TimeColumn, 1, SizeColumn);
    EXPECT_EQ(form.SelectedCellsText(), "\r\n");
}

TEST(DropTabsBeforeLineBreaks, AgreesWithReplacingUntilNoneIsLeft) {
    std::mt19937 rng(11);
    const char alphabet[] = {'a', '\t', '\r', '\n'};
    for (int round = 0; round < 3000; ++round) {
        std::string s;
        const int length = std::uniform_int_distribution<int>(0, 14)(rng);
        for (int i = 0; i < length; ++i) s += alphabet[std::uniform_int_distribution<int>(0, 3)(rng)];
        const std::string literal = ReplaceAll("\t\r\n", "\r\n", s);
        EXPECT_EQ(DropTabsBeforeLineBreaks(QString::fromLatin1(s.c_str())).toStdString(), literal) << round;
    }
}

namespace {

// The copy as written out step by step: every field of the rectangle followed by a tab,
// CR LF after each row, then "\t\r\n" replaced by CR LF for as long as one is left.
QString LiteralCopy(const MsgStore& S, int top, int left, int bottom, int right) {
    QString out;
    for (int row = top; row <= bottom; ++row) {
        const std::int32_t n = row <= S.ViewCount ? S.ViewIndex[static_cast<std::size_t>(row)] : 0;
        if (n > 0) {
            const XMsgRecType& m = S.Messages[static_cast<std::size_t>(n)];
            for (int column = left; column <= right; ++column) {
                if (column == TimeColumn) out += ShownText(m.Time.view()) + "\t";
                if (column == PhoneColumn) out += ShownText(m.Phone.view()) + "\t";
                if (column == NameColumn) out += ShownText(m.Name.view()) + "\t";
                if (column == MessageColumn) out += ShownText(NormaliseText(m.Text)) + "\t";
                if (column == SizeColumn) out += QString::number(m.Text.size()) + "\t";
            }
        }
        out += "\r\n";
    }
    while (out.contains("\t\r\n")) out.replace("\t\r\n", "\r\n");
    return out;
}

}  // namespace

TEST_F(CopyTest, AnyRectangleAgreesWithTheCopyWrittenOutStepByStep) {
    std::mt19937 rng(5);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char* pieces[] = {"a", "\t", "\r\n", "\r", " ", "\xE4", "\xC3\xA4", "\x80", ""};
    for (int i = 0; i < 40; ++i) {
        std::string text, name;
        for (int k = pick(6); k > 0; --k) text += pieces[pick(9)];
        for (int k = pick(3); k > 0; --k) name += pieces[pick(9)];
        AddMessage(Store, "2007.06.01 10:00", i % 5 ? "+15555550123" : "", text, MsgSms | (i % 2 ? MsgSent : MsgReceived),
                   name);
    }
    Renumber(Store);
    BuildView(Store, ViewEverything);
    TMBForm& form = Open();
    for (int round = 0; round < 300; ++round) {
        const int top = 1 + pick(40), bottom = std::min(40, top + pick(6));
        const int left = 1 + pick(6), right = std::min(6, left + pick(6));
        Select(form, top, left, bottom, right);
        ASSERT_EQ(form.SelectedCellsText(), LiteralCopy(Store, top, left, bottom, right)) << round;
    }
}
