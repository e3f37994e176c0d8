// SPDX-License-Identifier: GPL-3.0-or-later
// The files named on kestro's command line, through the real start-up: the window is
// created with them and shown, and the event loop runs.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "ExportFiles.h"
#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBVars/Version.h"

namespace {

class StartFilesTest : public FormTest {
protected:
    QTemporaryDir Exports;

    TMBForm& StartWith(const QString& dataFile, const QStringList& exports = {}) {
        FormEnvironment environment = Environment();
        environment.StartDataFile = dataFile;
        environment.StartExports = exports;
        Form = std::make_unique<TMBForm>(Store, Config, Answers, environment);
        Form->show();
        QApplication::processEvents();
        return *Form;
    }

    std::string WriteBytes(const std::string& name, const std::string& bytes) const {
        const std::string path = Documents.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    QString Title(const std::string& file = {}) const {
        return QString::fromStdString(file.empty() ? "Kestro 1.1" : "Kestro 1.1 - " + file);
    }
};

// Restores the working folder after a test that starts from another one.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& folder) : Saved(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~WorkingFolder() { QDir::setCurrent(Saved); }

private:
    QString Saved;
};

TEST_F(StartFilesTest, ADataFileIsOpenedInsteadOfTheLastSavedOne) {
    // The last saved file is damaged: reading it would show an error.
    const std::string damaged = WriteBytes("last.kst", std::string("\x01\x00\x0c\x00\x05", 5));
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = damaged; });
    const std::string named = WriteCollection("named.kst");

    const WorkingFolder here(Documents.path());
    TMBForm& form = StartWith(QStringLiteral("named.kst"));  // relative to the working folder

    EXPECT_TRUE(Answers.Asked.empty());
    ASSERT_EQ(Store.MessageCount, 6);
    EXPECT_EQ(form.CurrentFile, named);
    EXPECT_EQ(form.windowTitle(), Title(named));
    EXPECT_FALSE(Store.Modified);
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_EQ(Store.Messages[1].Time.str(), "2007.03.05 21:40");  // newest first
    EXPECT_EQ(Store.Messages[6].Serial, 1);                       // numbered from the oldest
    EXPECT_EQ(Config.Defaults.LastSavedFile, damaged);            // opening is no saving
}

TEST_F(StartFilesTest, AMissingOrForeignDataFileGivesTheOpenErrorAndAnEmptyWindow) {
    const std::string reopenable = WriteCollection("last.kst");
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = reopenable; });
    const std::string missing = Documents.path().toStdString() + "/missing.kst";
    const std::string foreign = WriteBytes("foreign.kst", std::string("\x01\x00\x05\x00 not a collection", 21));
    const std::pair<std::string, std::string> cases[] = {{missing, "No such file or directory"},
                                                         {foreign, "Not a Kestro data file"}};
    for (const auto& [path, reason] : cases) {
        Answers.Asked.clear();
        TMBForm& form = StartWith(QString::fromStdString(path));
        const auto errors = Answers.AskedOf("ShowError");
        ASSERT_EQ(errors.size(), 1u) << path;
        EXPECT_EQ(errors[0].Text, QString::fromStdString("Cannot open \"" + path + "\": " + reason));
        EXPECT_EQ(Answers.Asked.size(), 1u);
        EXPECT_EQ(Store.MessageCount, 0);
        EXPECT_TRUE(form.CurrentFile.empty());
        EXPECT_EQ(form.windowTitle(), Title());
        EXPECT_FALSE(form.MessageView->isVisible());
        Form.reset();
    }
}

TEST_F(StartFilesTest, ExportsAreImportedWithTheReportOfTheImportCommand) {
    const QString good = QString::fromStdString(WriteExport(Exports.path(), "inbox.csv", ExportOfThree()));
    const QString missing = Exports.path() + "/missing.csv";
    TMBForm& form = StartWith({}, {good, missing});

    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].Text, "1 file(s) imported: \r\n" + good + " - Successful\r\n" + missing +
                                " - No such file or directory\r\n\r\n3 messages (1 sent, 2 received, 0 blocked), 2 contacts (2 numbers)");
    EXPECT_EQ(Answers.AskedOf("AskYesNo").size(), 1u);  // the offer of contact colours
    EXPECT_EQ(Store.MessageCount, 3);
    EXPECT_TRUE(Store.Modified);
    EXPECT_TRUE(form.MessageView->isVisible());
    EXPECT_TRUE(form.CurrentFile.empty());
    EXPECT_EQ(form.windowTitle(), Title());
    EXPECT_EQ(Config.ImportDir, ProgramFolder());  // no dialog chose a folder
}

// `kestro missing.csv`: the system's reason, and a collection nothing came into stays
// unmodified, so that closing asks nothing.
TEST_F(StartFilesTest, AnExportThatCannotBeReadLeavesTheCollectionUnmodified) {
    const QString missing = Exports.path() + "/missing.csv";
    TMBForm& form = StartWith({}, {missing});
    const auto info = Answers.AskedOf("ShowInfo");
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(info[0].Text, "0 file(s) imported: \r\n" + missing +
                                " - No such file or directory\r\n\r\n0 messages (0 sent, 0 received, 0 blocked), 0 contacts (0 numbers)");
    EXPECT_FALSE(Store.Modified);
    form.close();
    EXPECT_TRUE(Answers.AskedOf("AskYesNoCancel").empty());
    EXPECT_TRUE(Answers.AskedOf("AskYesNo").empty());
}

TEST_F(StartFilesTest, ExportsAreAddedToTheReopenedLastSavedFile) {
    const QString exportFile = QString::fromStdString(WriteExport(Exports.path(), "inbox.csv", ExportOfThree()));
    const std::string last = WriteCollection("last.kst");
    WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = last; });
    TMBForm& form = StartWith({}, {exportFile});
    EXPECT_EQ(form.windowTitle(), Title(last));
    EXPECT_EQ(Store.MessageCount, 9);
    EXPECT_TRUE(Store.Modified);
    ASSERT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_TRUE(Answers.AskedOf("ShowInfo")[0].Text.endsWith("9 messages (4 sent, 5 received, 0 blocked), 3 contacts (3 numbers)"))
        << Answers.AskedOf("ShowInfo")[0].Text.toStdString();
}

TEST_F(StartFilesTest, ExportsAreAddedToTheNamedDataFileAfterItOpened) {
    const QString exportFile = QString::fromStdString(WriteExport(Exports.path(), "inbox.csv", ExportOfThree()));
    const std::string named = WriteCollection("named.kst");
    TMBForm& form = StartWith(QString::fromStdString(named), {exportFile});
    EXPECT_EQ(form.windowTitle(), Title(named));
    EXPECT_EQ(Store.MessageCount, 9);
    EXPECT_TRUE(Store.Modified);
    ASSERT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_TRUE(Answers.AskedOf("ShowInfo")[0].Text.endsWith("9 messages (4 sent, 5 received, 0 blocked), 3 contacts (3 numbers)"))
        << Answers.AskedOf("ShowInfo")[0].Text.toStdString();
}

TEST_F(StartFilesTest, TheFilesAreTakenUpOnceAndOnlyAfterTheWindowIsShown) {
    const QString exportFile = QString::fromStdString(WriteExport(Exports.path(), "inbox.csv", ExportOfThree()));
    FormEnvironment environment = Environment();
    environment.StartExports = {exportFile};
    Form = std::make_unique<TMBForm>(Store, Config, Answers, environment);
    QApplication::processEvents();  // the start-up's own layout passes let events run too
    EXPECT_TRUE(Answers.Asked.empty());
    EXPECT_EQ(Store.MessageCount, 0);

    Form->show();
    QApplication::processEvents();
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_EQ(Store.MessageCount, 3);

    Form->hide();
    Form->show();
    QApplication::processEvents();
    EXPECT_EQ(Answers.AskedOf("ShowInfo").size(), 1u);
    EXPECT_EQ(Store.MessageCount, 3);
}

// The program itself: its arguments reach the window, and help and version need no display.
struct ProgramRun {
    int ExitCode = -1;
    QByteArray Out, Err;
};

class ProgramTest : public ::testing::Test {
protected:
    QTemporaryDir Home;

    ProgramRun Run(const QStringList& arguments, const QString& platform = QStringLiteral("offscreen"),
                 bool startupTiming = false, const QString& display = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (startupTiming) env.insert("KESTRO_STARTUP_TIMING", "1");
        env.insert("HOME", Home.path());
        env.insert("XDG_CONFIG_HOME", Home.path() + "/.config");
        if (platform.isEmpty())
            env.remove("QT_QPA_PLATFORM");
        else
            env.insert("QT_QPA_PLATFORM", platform);
        env.remove("DISPLAY");
        if (!display.isEmpty()) env.insert("DISPLAY", display);
        env.remove("WAYLAND_DISPLAY");
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(KESTRO_PROGRAM), arguments);
        program.waitForFinished(30000);
        const int exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        return {exitCode, program.readAllStandardOutput(), program.readAllStandardError()};
    }
};

TEST_F(ProgramTest, HelpAndVersionPrintAndExitWithoutADisplay) {
    // "xcb" without a display would fail at once: nothing of the window system is started.
    const ProgramRun version = Run({"--version"}, QStringLiteral("xcb"));
    EXPECT_EQ(version.ExitCode, 0);
    EXPECT_EQ(version.Out.toStdString(), std::string("kestro ") + ProgramVersion + "\n");

    const ProgramRun help = Run({"--help"}, QStringLiteral("xcb"));
    EXPECT_EQ(help.ExitCode, 0);
    const QByteArray& text = help.Out;
    EXPECT_TRUE(text.startsWith("usage: kestro [FILE.kst] [FILE...]\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("--version"));
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoAndStops) {
    // The default platform, X11 asked for, and a local X display whose server is not running.
    const struct {
        QString Platform, Display;
    } cases[] = {{{}, {}}, {QStringLiteral("xcb"), {}}, {QStringLiteral("wayland"), {}}, {{}, QStringLiteral(":4711")}};
    for (const auto& c : cases) {
        const ProgramRun run = Run({}, c.Platform, false, c.Display);
        EXPECT_EQ(run.ExitCode, 1) << c.Platform.toStdString() << ' ' << c.Display.toStdString();
        EXPECT_EQ(run.Err.toStdString(),
                  "kestro: no display found; Kestro is a desktop program and needs X11 or Wayland\n");
        EXPECT_FALSE(QDir(Home.path() + "/Documents/Kestro").exists());
    }
}

TEST_F(ProgramTest, AMistakeIsNamedWithTheUsageAndNoWindowOpens) {
    const ProgramRun bad = Run({"a.kst", "b.kst"});
    EXPECT_EQ(bad.ExitCode, 2);
    const QByteArray& err = bad.Err;
    EXPECT_TRUE(err.contains("kestro: only one data file (.kst) can be opened at a time\n")) << err.toStdString();
    EXPECT_TRUE(err.contains("usage: kestro"));
    EXPECT_FALSE(QDir(Home.path() + "/Documents/Kestro").exists());  // the window never started
}

TEST_F(ProgramTest, ADataFileArgumentIsOpenedByTheStartedProgram) {
    MsgStore source;
    AddMessage(source, "2007.03.01 08:00", "+15555550100", "Good morning", MsgSms | MsgReceived, "Anna Berg");
    AddMessage(source, "2007.03.01 08:05", "+15555550100", "Morning to you too", MsgSms | MsgSent, "Anna Berg");
    Renumber(source);
    const std::string path = Home.path().toStdString() + "/two.kst";
    ASSERT_EQ(WriteDataFile(source, path), 0);
    // With the start-up timing asked for, the program prints its message count and quits.
    const ProgramRun started = Run({QString::fromStdString(path)}, QStringLiteral("offscreen"), true);
    EXPECT_EQ(started.ExitCode, 0) << started.Err.toStdString();
    EXPECT_TRUE(started.Out.contains(", 2 messages\n")) << started.Out.toStdString();
}

}  // namespace
