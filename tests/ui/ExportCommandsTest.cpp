// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QProcess>
#include <filesystem>

#include "FormFixture.h"
#include "Formats/CsvExportImport.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "support/TempDir.h"

namespace {
class ExportTest : public FormTest {
protected:
    std::string PathOf(const std::string& name) const { return Documents.path().toStdString() + "/" + name; }

    // Runs Export with the save dialog answering `name`; returns the file's path.
    std::string ExportAs(const std::string& name) {
        const std::string path = PathOf(name);
        Answers.FileAnswers.push_back({QString::fromStdString(path)});
        Form->ExportMainMenuClick();
        return path;
    }

    // The texts of the grid's rows `first`..`last` (1-based) in grid order.
    std::vector<std::string> GridTexts(int first, int last) const {
        std::vector<std::string> texts;
        for (int r = first; r <= last; ++r) texts.push_back(Store.Messages[Store.ViewIndex[r]].Text);
        return texts;
    }

    // The texts a CSV export holds, read back by Kestro's own reader, in file order.
    static std::vector<std::string> CsvTexts(const std::string& path) {
        MsgStore back;
        ImportCsvExportBytes(back, TempDir::Read(path));
        std::vector<std::string> texts;
        for (std::int32_t n = 1; n <= back.MessageCount; ++n) texts.push_back(back.Messages[n].Text);
        return texts;
    }

    void SelectRows(int top, int bottom) {
        Form->MessageView->selectionModel()->select(
            QItemSelection(Form->MessageModel->index(top - 1, TimeColumn), Form->MessageModel->index(bottom - 1, SizeColumn)),
            QItemSelectionModel::ClearAndSelect);
    }
};
}  // namespace

TEST_F(ExportTest, ExportsTheViewInTheGridsOrderOrTheSelectedRows) {
    TMBForm& form = OpenCollection();
    ASSERT_EQ(Store.ViewCount, 6);
    const std::string all = ExportAs("all.csv");
    EXPECT_EQ(CsvTexts(all), GridTexts(1, 6));
    const FileRequest asked = Answers.AskedOf("SaveFile").back().File;
    EXPECT_EQ(asked.Filter, "CSV file (*.csv);;Web page (*.html);;PDF document (*.pdf)");
    EXPECT_EQ(asked.FileName, "messages.csv");

    // A filtered view, sorted by another column.
    form.MessageViewMouseUp(PhoneColumn, 0);
    form.DispSentSBClick();
    ASSERT_EQ(Store.ViewCount, 3);
    EXPECT_EQ(CsvTexts(ExportAs("sent.csv")), GridTexts(1, 3));
    EXPECT_NE(TempDir::Read(ExportAs("sent.html")).find("<h1>Sent messages</h1>"), std::string::npos);

    // Two selected rows are exported alone; one selected row stands for the whole view.
    form.DispAllSBClick();
    SelectRows(2, 3);
    EXPECT_EQ(CsvTexts(ExportAs("two.csv")), GridTexts(2, 3));
    EXPECT_NE(TempDir::Read(ExportAs("two.html")).find("<h1>All messages (selection)</h1>"), std::string::npos);
    SelectRows(4, 4);
    EXPECT_EQ(CsvTexts(ExportAs("one.csv")), GridTexts(1, 6));

    // A search's title.
    form.SearchEdit->setText(QStringLiteral("good"));
    EXPECT_NE(TempDir::Read(ExportAs("found.html")).find("<h1>Messages containing &quot;good&quot;</h1>"),
              std::string::npos);
    EXPECT_TRUE(Answers.AskedOf("ShowError").empty());
}

TEST_F(ExportTest, ThePdfHoldsTheMessagesInOrderAndPrintingPaintsTheSamePages) {
    OpenCollection();
    const std::string pdf = ExportAs("all.pdf");
    EXPECT_TRUE(TempDir::Read(pdf).starts_with("%PDF"));
    const auto textOf = [](const std::string& file) {
        QProcess run;
        run.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QString::fromStdString(file), QStringLiteral("-")});
        run.waitForFinished();
        return run.readAllStandardOutput().toStdString();
    };
    const auto inOrder = [&](const std::string& text) {
        std::size_t at = text.find("All messages");
        if (at == std::string::npos || text.find("Page 1 of 1") == std::string::npos) return false;
        for (const std::string& message : GridTexts(1, 6)) {
            at = text.find(message, at);
            if (at == std::string::npos) return false;
        }
        return true;
    };
    EXPECT_TRUE(inOrder(textOf(pdf))) << textOf(pdf);

    Answers.PrintFile = QString::fromStdString(PathOf("printed.pdf"));
    Form->PrintMainMenuClick();  // the print dialog cancelled: nothing printed
    EXPECT_FALSE(std::filesystem::exists(PathOf("printed.pdf")));
    Answers.PrintAnswers.push_back(true);
    Form->PrintMainMenuClick();
    EXPECT_TRUE(inOrder(textOf(PathOf("printed.pdf"))));
    std::filesystem::remove(PathOf("printed.pdf"));
    Form->PrintPreviewMainMenuClick();
    EXPECT_TRUE(inOrder(textOf(PathOf("printed.pdf"))));
}

TEST_F(ExportTest, FailuresNameTheFileAndTheReasonAndLeaveNothing) {
    OpenCollection();
    const std::string missing = ExportAs("no/such/folder/x.csv");
    const std::string other = ExportAs("notes.txt");
    Answers.FileAnswers.push_back({});  // cancelled
    Form->ExportMainMenuClick();
    const std::vector<AskedQuestion> errors = Answers.AskedOf("ShowError");
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot export \"" + missing + "\": No such file or directory"));
    EXPECT_TRUE(errors[1].Text.startsWith(QString::fromStdString("Cannot export \"" + other + "\": ")));
    EXPECT_FALSE(std::filesystem::exists(other));
}
