// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProgressDialog>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "FormFixture.h"
#include "support/TempDir.h"

namespace {
class MergeTest : public FormTest {
protected:
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = Documents.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    static std::string Sms(int second, const std::string& body) {
        return "  <sms address=\"5550100\" date=\"15000000" + std::to_string(10 + second) + "000\" type=\"1\" body=\"" +
               body + "\" />\n";
    }
    // Runs the command with the two file dialogs answering `inputs` and `output`.
    void Merge(const std::vector<std::string>& inputs, const std::string& output) {
        QStringList chosen;
        for (const std::string& in : inputs) chosen << QString::fromStdString(in);
        Answers.FileAnswers.push_back(chosen);
        Answers.FileAnswers.push_back({QString::fromStdString(output)});
        Form->MergeBackupsMainMenuClick();
    }
    std::size_t Files() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(Documents.path().toStdString()), {}));
    }
};

TEST_F(MergeTest, WritesTheMergeAndReportsOrTakesWhatCanBeReadOfADamagedBackup) {
    Open();
    const std::string a = Write("a.xml", "<smses>\n" + Sms(1, "one") + Sms(2, "two") + "</smses>\n");
    const std::string b = Write("b.xml", "<smses>\n" + Sms(2, "two") + Sms(3, "three &#55357;&#56832;") + "</smses>\n");
    const std::string cut = Write("cut.xml", "<smses>\n" + Sms(4, "four") + "  <sms address=\"55");
    const std::string out = Documents.path().toStdString() + "/merged.xml";

    Merge({a, b}, out);
    const std::vector<AskedQuestion> infos = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].Text, QString::fromStdString("\"" + a + "\": 2 read, 1 written, 1 found twice.\n\"" + b +
                                                    "\": 2 read, 2 written, 0 found twice.\n3 messages written to \"" +
                                                    out + "\"."));
    EXPECT_EQ(TempDir::Read(out), "<smses count=\"3\">\n" + Sms(1, "one") + Sms(2, "two") +
                                      Sms(3, "three \xF0\x9F\x98\x80") + "</smses>\n");
    const FileRequest asked = Answers.AskedOf("OpenFiles").back().File;
    EXPECT_EQ(asked.Filter, "Phone backups (*.xml);;All files (*)");
    EXPECT_EQ(Store.MessageCount, 0);  // the collection is not touched

    // A damaged backup: asked whether to take what can be read of it.
    for (const bool take : {false, true}) {
        std::filesystem::remove(out);
        Answers.YesNoAnswers.push_back(take);
        Merge({a, cut}, out);
        const AskedQuestion question = Answers.AskedOf("AskYesNo").back();
        EXPECT_TRUE(question.Text.startsWith(QString::fromStdString("\"" + cut + "\" is damaged at line 3")));
        EXPECT_TRUE(question.Text.endsWith("Merge what can be read of it?"));
        EXPECT_EQ(question.Default, DefaultButton::No);
        EXPECT_EQ(std::filesystem::exists(out), take);
    }
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").back().Text.contains("Damaged: \"" + QString::fromStdString(cut) + "\"."));
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 2u);
}

TEST_F(MergeTest, CancelWritesNothing) {
    Open();
    const std::string big = Write("big.xml", "<smses>\n" + Sms(1, "one") +
                                                 "<mms date=\"1\" msg_box=\"1\" address=\"5550102\"><parts><part "
                                                 "ct=\"image/png\" data=\"" + std::string(std::size_t(32) << 20, 'Q') +
                                                 "\"/></parts></mms>\n</smses>\n");
    const std::string out = Documents.path().toStdString() + "/merged.xml";
    const std::size_t before = Files();
    QTimer::singleShot(0, Form.get(), [&] {
        for (QProgressDialog* p : Form->findChildren<QProgressDialog*>()) p->cancel();
    });
    Merge({big, big}, out);
    EXPECT_EQ(Files(), before);
    EXPECT_TRUE(Answers.AskedOf("ShowInfo").empty());
    EXPECT_TRUE(Answers.AskedOf("ShowError").empty());

    // Cancel in a file dialog asks nothing more.
    Answers.FileAnswers.push_back({QString::fromStdString(big)});
    Answers.FileAnswers.push_back({});
    Form->MergeBackupsMainMenuClick();
    EXPECT_EQ(Files(), before);
    EXPECT_TRUE(Answers.FileAnswers.empty());
}
}  // namespace
