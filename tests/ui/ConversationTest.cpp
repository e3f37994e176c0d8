// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <fstream>
#include <functional>

#include "EditingFixture.h"
#include "ExportFiles.h"
#include "MBConversation/ConversationView.h"
#include "MBConversation/TConversation.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "OFuncs/DisplayText.h"
#include "support/TempDir.h"

namespace {

const std::string Anna = "+15555550100", Tom = "+15555550101";

void ClickRow(TMBForm& form, int row) {
    form.MessageView->selectionModel()->setCurrentIndex(form.MessageModel->index(row, MessageColumn),
                                                        QItemSelectionModel::ClearAndSelect);
}

// The row of the first message of `phone` in the grid's view (0-based).
int RowOf(const MsgStore& S, const std::string& phone) {
    for (int row = 1; row <= S.ViewCount; ++row)
        if (S.Messages[S.ViewIndex[static_cast<std::size_t>(row)]].Phone.view() == phone) return row - 1;
    return -1;
}

// Time and text as shown of every message of the current message's phone, oldest first by
// the literal rule (an insertion sort keeps store order within a minute).
std::vector<std::string> Truth(const MsgStore& S, std::int32_t current) {
    std::vector<std::int32_t> of;
    for (std::int32_t n = 1; current > 0 && n <= S.MessageCount; ++n)
        if (S.Messages[static_cast<std::size_t>(n)].Phone == S.Messages[static_cast<std::size_t>(current)].Phone) of.push_back(n);
    for (std::size_t i = 1; i < of.size(); ++i)
        for (std::size_t k = i; k > 0 && S.Messages[of[k]].Time.view() < S.Messages[of[k - 1]].Time.view(); --k)
            std::swap(of[k], of[k - 1]);
    std::vector<std::string> lines;
    for (std::int32_t n : of) lines.push_back(S.Messages[n].Time.str() + " " + DisplayMessageUtf8(S.Messages[n].Text));
    return lines;
}

std::vector<std::string> Shown(TMBForm& form) {
    ConversationView* view = form.Conversation->View;
    std::vector<std::string> lines;
    for (int i = 0; i < view->Count(); ++i)
        lines.push_back(form.S.Messages[view->MessageAt(i)].Time.str() + " " + view->ShownText(i).toStdString());
    return lines;
}

class ConversationTest : public EditingTest {
protected:
    TMBForm& OpenWithPane() {
        TMBForm& form = OpenCollection();
        form.ConversationMainMenu->trigger();
        ClickRow(form, RowOf(Store, Anna));
        return form;
    }
    void ExpectTheTruth(TMBForm& form, const char* after) {
        SCOPED_TRACE(after);
        form.Conversation->View->grab();  // painted as the screen would
        EXPECT_EQ(Shown(form), Truth(Store, form.CurrentMessage));
        EXPECT_EQ(form.Conversation->View->Marked(), form.CurrentMessage);
    }
};

}  // namespace

TEST_F(ConversationTest, ThePaneShowsTheCurrentContactsMessagesAfterEveryCommand) {
    TMBForm& form = OpenWithPane();
    EXPECT_EQ(form.Conversation->Title->text(), "Conversation with Anna Berg");
    ASSERT_EQ(Shown(form), (std::vector<std::string>{"2007.03.01 08:00 Good morning", "2007.03.01 08:05 Morning to you too",
                                                      "2007.03.05 21:40 Good night"}));
    QTemporaryDir exports;
    const std::string other = WriteCollection("other.kst");
    const std::string exportFile = WriteExport(exports.path(), "three.csv", ExportOfThree());
    struct Command {
        const char* name;
        std::function<void()> run;
    };
    const Command commands[] = {
        {"a click on another contact", [&] { ClickRow(form, RowOf(Store, Tom)); }},
        {"import", [&] {
             Answers.FileAnswers.push_back({QString::fromStdString(exportFile)});
             Answers.YesNoAnswers.push_back(false);
             form.ImportMainMenuClick();
             ClickRow(form, RowOf(Store, Anna));
         }},
        {"delete", [&] {
             Answers.YesNoAnswers.push_back(true);
             form.DeleteMenuClick();
         }},
        {"rename", [&] {
             Answers.TextAnswers.push_back(QStringLiteral("Anna Lind"));
             form.RenameSBClick();
         }},
        {"colour", [&] { form.ColorsAutomaticClick(); }},
        {"remove duplicates", [&] {
             Answers.YesNoAnswers.push_back(true);
             form.RemoveDupsMainMenuClick();
         }},
        {"scramble", [&] { form.CryptMainMenuClick(); }},
        {"unscramble", [&] { form.CryptMainMenuClick(); }},
        {"block", [&] {
             Answers.DialogScripts.push_back([](QDialog& d) { d.accept(); });
             Answers.YesNoAnswers.push_back(true);
             form.BlockThisMainMenuClick();
         }},
        {"open", [&] {
             Answers.SaveAnswers.push_back(SaveAnswer::No);
             Answers.FileAnswers.push_back({QString::fromStdString(other)});
             form.OpenMainMenuClick();
         }},
        {"new", [&] {
             Answers.SaveAnswers.push_back(SaveAnswer::No);
             form.NewMainMenuClick();
         }},
    };
    for (const Command& c : commands) {
        c.run();
        ExpectTheTruth(form, c.name);
    }
    EXPECT_EQ(form.Conversation->View->Count(), 0);
    EXPECT_EQ(form.Conversation->Title->text(), "Conversation");
}

TEST_F(ConversationTest, AContactWithoutANameIsTitledByItsNumberAndALinkOpens) {
    TMBForm& form = OpenStore([](MsgStore& S) {
        AddMessage(S, "2007.03.01 08:00", "+15555550199", "See https://example.com/menu today", MsgSms | MsgReceived, "");
    });
    form.ConversationMainMenu->trigger();
    ConversationView* view = form.Conversation->View;
    EXPECT_EQ(form.Conversation->Title->text(), "Conversation with +15555550199");
    ASSERT_EQ(view->Count(), 1);
    EXPECT_EQ(view->LinkOf(0), "https://example.com/menu");
    // A click on the link's words opens it as the detail line's button does.
    const QRect bubble = view->ItemRect(0);
    const int x = bubble.left() + 7 + QFontMetrics(view->font()).horizontalAdvance(QStringLiteral("See https:"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, bubble.top() + 7 + 4));
    ASSERT_EQ(Answers.AskedOf("OpenUrl").size(), 1u);
    EXPECT_EQ(Answers.AskedOf("OpenUrl")[0].Text, "https://example.com/menu");
    QTest::keyClick(view, Qt::Key_Return);  // and so does Enter on its bubble
    EXPECT_EQ(Answers.AskedOf("OpenUrl").size(), 2u);
}

TEST_F(ConversationTest, TheSearchIsHighlightedInTheBubbles) {
    TMBForm& form = OpenWithPane();
    QTest::keyClicks(form.SearchEdit, "GOOD");
    ClickRow(form, RowOf(Store, Anna));
    ConversationView* view = form.Conversation->View;
    ASSERT_EQ(view->Count(), 3);
    using Ranges = std::vector<std::pair<int, int>>;
    EXPECT_EQ(view->HighlightedRanges(0), (Ranges{{0, 4}}));
    EXPECT_EQ(view->HighlightedRanges(1), Ranges{});
    EXPECT_EQ(view->HighlightedRanges(2), (Ranges{{0, 4}}));
    form.DispAllSBClick();  // the search ends
    EXPECT_EQ(view->HighlightedRanges(0), Ranges{});
}

TEST_F(ConversationTest, KeysBubblesCopyAndScreenReaders) {
    TMBForm& form = OpenWithPane();
    ConversationView* view = form.Conversation->View;
    ASSERT_EQ(view->CurrentIndex(), 2);  // the grid's current message: Anna's newest
    QTest::keyClick(&form, Qt::Key_F6);
    EXPECT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->CurrentIndex(), 2);
    EXPECT_EQ(form.CurrentMessage, view->MessageAt(2));  // the grid follows the pane
    QTest::keyClick(view, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(view->CurrentIndex(), 1);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "2007.03.01 08:05, Me: Morning to you too\r\n2007.03.05 21:40, Me: Good night");
    view->SelectAllItem->trigger();
    view->CopyItem->trigger();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("2007.03.01 08:00, Anna Berg: Good morning\r\n"));
    EXPECT_EQ(QApplication::clipboard()->text().count(QStringLiteral("\r\n")), 2);

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text(QAccessible::Name), "Conversation");
    EXPECT_EQ(form.Conversation->accessibleName(), "Conversation");
    EXPECT_EQ(form.ConversationSB->accessibleName(), "Conversation");
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), "Received 2007.03.01 08:00: Good morning");
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), "Sent 2007.03.01 08:05: Morning to you too");
    EXPECT_EQ(list->indexOfChild(list->child(2)), 2);
    EXPECT_EQ(list->focusChild(), list->child(1));

    QTest::keyClick(&form, Qt::Key_F6);
    EXPECT_TRUE(form.MessageView->hasFocus());
    QTest::keyClick(form.MessageView, Qt::Key_Tab);
    EXPECT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_FALSE(view->hasFocus());
    // A click on a bubble makes its message current in the grid.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->ItemRect(0).center());
    EXPECT_EQ(form.CurrentMessage, view->MessageAt(0));
}

TEST_F(ConversationTest, ExportThisConversationWritesTheContactsMessages) {
    TMBForm& form = OpenWithPane();
    ConversationView* view = form.Conversation->View;
    EXPECT_EQ(view->ExportItem->text(), "Export this conversation...");
    const QString path = Documents.filePath("anna.csv");
    Answers.FileAnswers.push_back({path});
    view->ExportItem->trigger();
    const std::string csv = TempDir::Read(path.toStdString());
    EXPECT_NE(csv.find("Good night"), std::string::npos);
    EXPECT_EQ(csv.find("Lunch"), std::string::npos);
}

TEST_F(ConversationTest, ShownAndWidthAreKeptInTheSettingsFile) {
    struct Case {
        std::string general;  // the [General] keys of the file read at start
        bool shown;
        int width;
    };
    const Case cases[] = {
        {"Width=1000\nHeight=700\n", false, 360},  // a file of an older version
        {"Width=1000\nHeight=700\nConversationShown=1\nConversationWidth=300\n", true, 300},
        {"Width=1000\nHeight=700\nConversationShown=0\nConversationWidth=300\n", false, 300},
    };
    for (const Case& c : cases) {
        std::filesystem::create_directories(ProgramFolder());
        std::ofstream(ConfigPath(), std::ios::trunc) << "[General]\n" << c.general;
        TMBForm& form = Open();
        EXPECT_EQ(form.Conversation->isVisible(), c.shown) << c.general;
        EXPECT_EQ(form.ConversationMainMenu->isChecked(), c.shown);
        EXPECT_EQ(form.ConversationSB->isChecked(), c.shown);
        if (c.shown) {
            EXPECT_EQ(form.Conversation->width(), c.width);
        }
        form.ConversationMainMenu->trigger();  // turned over, then kept at the close
        form.close();
        Settings read;
        WindowSize size;
        ReadSettingsFile(ConfigPath(), read, size);
        EXPECT_EQ(size.ConversationShown, !c.shown);
        EXPECT_EQ(size.ConversationWidth, c.width);
        Form.reset();
    }
}

TEST_F(ConversationTest, TheMarkedBubbleIsInViewWhateverTheLengthsAndWidth) {
    // Lengths the first guesses get wrong both ways: long words, line breaks, short texts.
    TMBForm& form = OpenStore([](MsgStore& S) {
        for (int i = 0; i < 300; ++i) {
            std::string text = i % 7 == 0 ? std::string(200 + i, 'w') : i % 5 == 0 ? "a\nb\nc\nd\ne" : "Hi " + std::to_string(i);
            auto two = [](int v) { return std::string(1, char('0' + v / 10)) + char('0' + v % 10); };
            const std::string time = "2007.03." + two(1 + i / 150) + " " + two(i % 150 / 60) + ":" + two(i % 60);
            AddMessage(S, time, "+15555550100", text, MsgSms | (i % 2 ? MsgSent : MsgReceived), "Anna Berg");
        }
    });
    form.ConversationMainMenu->trigger();
    ConversationView* view = form.Conversation->View;
    ASSERT_EQ(view->Count(), 300);
    for (const int width : {420, 260}) {
        form.GridSplitter->setSizes({form.GridSplitter->width() - width, width});
        QApplication::processEvents();
        for (const int row : {0, 299, 150, 7, 280, 42}) {
            ClickRow(form, row);
            view->grab();
            const int index = view->CurrentIndex();
            ASSERT_GE(index, 0);
            EXPECT_EQ(view->MessageAt(index), form.CurrentMessage);
            EXPECT_TRUE(view->viewport()->rect().contains(view->ItemRect(index))) << width << " " << row;
            // The bubbles on screen follow one another without overlapping.
            for (int i = std::max(0, index - 3); i < std::min(view->Count() - 1, index + 3); ++i)
                EXPECT_LT(view->ItemRect(i).bottom(), view->ItemRect(i + 1).top()) << i;
        }
    }
}

TEST_F(ConversationTest, ThePanePaintsWhileACommandIsStillChangingTheStore) {
    TMBForm& form = OpenWithPane();
    // A dialog of a running command lets the pane paint before the window refreshes it.
    Store.MessageCount = 1;
    form.GridSplitter->setSizes({form.GridSplitter->width() - 300, 300});  // every height guessed again
    form.Conversation->View->grab();
    form.FormPaint();
    ExpectTheTruth(form, "the refresh");
}

// A person written under several forms of a number is one conversation, titled by its
// name, its numbers in the title's tooltip; renaming and removing take every form.
TEST_F(ConversationTest, APersonsFormsOfANumberAreOneConversation) {
    MsgStore source;
    AddMessage(source, "2024.05.01 08:00", "+4915155501234", "From the backup", MsgSms | MsgReceived | MsgExactTime, "Lena Vogel");
    AddMessage(source, "2024.05.02 08:00", "0151 55501234", "From a suite", MsgSms | MsgSent | MsgWordCodes);
    AddMessage(source, "2024.05.03 08:00", "0151-555-01234", "Another suite", MsgSms | MsgReceived | MsgWordCodes);
    AddMessage(source, "2024.05.04 08:00", Anna, "Someone else", MsgSms | MsgReceived, "Anna Berg");
    Renumber(source);
    const std::string path = Documents.path().toStdString() + "/forms.kst";
    ASSERT_EQ(WriteDataFile(source, path), 0);
    WriteConfig([&](Settings& s, WindowSize&) {
        s.Defaults.LastSavedFile = path;
        s.Defaults.HomeCountry = "DE";
    });
    TMBForm& form = Open();
    form.ConversationMainMenu->trigger();
    ClickRow(form, RowOf(Store, "0151-555-01234"));
    EXPECT_EQ(form.Conversation->Title->text(), "Conversation with Lena Vogel");
    EXPECT_EQ(form.Conversation->Title->toolTip(), "+4915155501234\n0151 55501234\n0151-555-01234");
    EXPECT_EQ(form.Conversation->View->Count(), 3);
    Answers.TextAnswers.push_back(QStringLiteral("Lena V."));
    form.RenameMainMenu->trigger();
    EXPECT_TRUE(LastOf("QueryText").startsWith("Enter a name for \"+4915155501234, 0151 55501234, 0151-555-01234\":"))
        << LastOf("QueryText").toStdString();
    EXPECT_EQ(form.Conversation->Title->text(), "Conversation with Lena V.");
    Answers.YesNoAnswers.push_back(true);
    form.RemoveContactMainMenu->trigger();
    EXPECT_EQ(Store.MessageCount, 1);
}
