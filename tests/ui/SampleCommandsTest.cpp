// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include <filesystem>
#include <fstream>

#include "FormFixture.h"
#include "MBVars/Samples.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "support/StoreBuilder.h"

namespace {

class SampleTest : public FormTest {
protected:
    QTemporaryDir ProgramFiles;  // stands for the folder of the executable

    // A word list of 10 contacts and 40 texts beside the "executable".
    void WriteWordList() {
        std::ofstream out(ProgramFiles.path().toStdString() + "/" + WordListFileName, std::ios::binary);
        for (int c = 0; c < 10; ++c) out << "+155555501" << (10 + c) << "\tSample Person " << c << "\n";
        for (int t = 0; t < 40; ++t) out << "Sample text number " << t << "\n";
    }

    TMBForm& OpenBesideWordList() {
        Store.StartTime = LocalTimeNow();
        Form = std::make_unique<TMBForm>(Store, Config, Answers, FormEnvironment{Documents.path(), ProgramFiles.path(), Desktop});
        Form->show();
        Config.Defaults.RemoveDups = false;  // the made-up lines repeat texts often
        return *Form;
    }

    static const char* const* SampleNames() {
        static const char* const names[] = {
            "sample_all_messages_from_phone_suite.csv", "sample_sent_messages_from_classic_suite.csv",
            "sample_inbox_messages_from_classic_suite.csv", "sample_contacts_from_classic_suite.csv"};
        return names;
    }
};

TEST_F(SampleTest, TheWelcomeQuestionLeadsToTheSamplesAndTheirImport) {
    WriteWordList();
    TMBForm& form = OpenBesideWordList();
    Answers.ChoiceAnswers = {1};  // welcome: the samples
    Answers.YesNoAnswers = {true, false};  // import, colours
    QTest::mouseClick(form.GridPanel, Qt::LeftButton);

    for (int i = 0; i < 4; ++i) EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "/" + SampleNames()[i]));
    const auto questions = Answers.AskedOf("AskYesNo");
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].Text.toStdString(),
              "The following sample files were created in folder\r\n\r\n" + ProgramFolder() +
                  ":\r\n\r\n1. sample_all_messages_from_phone_suite.csv\r\n"
                  "2. sample_sent_messages_from_classic_suite.csv\r\n"
                  "3. sample_inbox_messages_from_classic_suite.csv\r\n"
                  "4. sample_contacts_from_classic_suite.csv\r\n\r\nDo you want to import them now?");
    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_TRUE(info[0].Text.startsWith(QString::fromStdString("4 file(s) imported: \r\n" + ProgramFolder() + "/" +
                                                               SampleNames()[0] + " - Successful\r\n")));
    EXPECT_GT(Store.MessageCount, 1000);
    EXPECT_TRUE(info[0].Text.contains(QStringLiteral("\r\n\r\n%1 messages").arg(Store.MessageCount)));
    EXPECT_EQ(form.MessageModel->rowCount(), Store.MessageCount);
    EXPECT_EQ(form.CurrentFile, ProgramFolder() + "/untitled.kst");
    EXPECT_TRUE(Store.Modified);
}

TEST_F(SampleTest, NoImportOnNoAndNothingShownWithoutAWordList) {
    WriteWordList();
    TMBForm& form = OpenBesideWordList();
    Answers.YesNoAnswers = {false};
    form.CreateSampleFilesClick();
    EXPECT_EQ(Store.MessageCount, 0);
    EXPECT_TRUE(std::filesystem::exists(ProgramFolder() + "/" + SampleNames()[3]));

    std::filesystem::remove(ProgramFiles.path().toStdString() + "/" + WordListFileName);
    Answers.Asked.clear();
    form.CreateSampleFilesClick();
    EXPECT_TRUE(Answers.Asked.empty());
}

TEST_F(SampleTest, CancelInTheSaveQuestionAddsTheSamplesToTheKeptCollection) {
    WriteWordList();
    TMBForm& form = OpenBesideWordList();
    AddMessage(Store, "2001.01.01 00:00", "+15555550199", "kept message");
    Store.Modified = true;
    form.FormPaint();
    Answers.SaveAnswers = {SaveAnswer::Cancel};
    Answers.YesNoAnswers = {true, false};
    form.CreateSampleFilesClick();
    EXPECT_GT(Store.MessageCount, 1000);
    bool kept = false;
    for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
        kept = kept || Store.Messages[static_cast<std::size_t>(n)].Text == "kept message";
    EXPECT_TRUE(kept);
    EXPECT_TRUE(form.CurrentFile.empty());
}

}  // namespace
