// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog and the colour chooser over a full store, offscreen: opening each
// (built, shown and painted), and each live change of the options dialog (a colour, a row
// style, the message font) with the main window painted again behind it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QButtonGroup>
#include <QAbstractButton>
#include <QStandardPaths>
#include <filesystem>
#include <memory>

#include "QuietPlatform.h"
#include "EventLoopTurn.h"
#include "MBColors/TColorDialog.h"
#include "MBOptions/TOptionsDialog.h"
#include "MBVars/DataFile.h"
#include "MBVars/SettingsFile.h"
#include "MBrowser/TMBForm.h"
#include "support/StoreBuilder.h"
#include "support/TempDir.h"
#include "ui/ScriptedDialogs.h"

namespace {

// The window's folders: a documents folder of the benchmark's own, nothing else.
FormEnvironment DocumentsOnly(const QString& documents) {
    FormEnvironment environment;
    environment.DocumentsDir = documents;
    return environment;
}

// One main window over a reopened data file of 16380 messages from 1000 phones, shown in
// sent/received colours so that every colour and style change shows in the grid.
struct FullWindow {
    TempDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    FullWindow() {
        const std::string folder = Documents.Path().string() + "/Kestro";
        std::filesystem::create_directories(folder);
        {
            auto source = std::make_unique<MsgStore>();
            FillRandomStore(*source, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, 42);
            Renumber(*source);
            WriteDataFile(*source, Documents.Path().string() + "/full.kst");
        }
        Settings s;
        WindowSize size;
        ReadSettingsFile(folder + "/missing.cfg", s, size);
        s.DefaultDir = s.ImportDir = folder;
        s.Defaults.LastSavedFile = Documents.Path().string() + "/full.kst";
        s.Defaults.ColorMode = 1;
        WriteSettingsFile(folder + "/Kestro.cfg", s, size);
        Form = std::make_unique<TMBForm>(Store, Config, Answers,
                                         DocumentsOnly(QString::fromStdString(Documents.Path().string())));
        Form->show();
        EventLoopTurn();
    }
};

FullWindow& Window() {
    static FullWindow window;
    return window;
}

void Settle() { EventLoopTurn(); }

// The yardstick: the layout pass and a full repaint of the main window, nothing changed.
void BM_LayoutPassAndRepaint(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    for (auto _ : state) {
        form.FormPaint();
        form.repaint();
        Settle();
    }
}
BENCHMARK(BM_LayoutPassAndRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenOptionsDialog(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    for (auto _ : state) {
        auto options = std::make_unique<TOptionsDialog>(form);
        options->show();
        options->repaint();
        Settle();
        state.PauseTiming();
        options->done(QDialog::Accepted);  // closed without Cancel's restore: nothing changed
        options.reset();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenOptionsDialog)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_OpenColourChooser(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    std::int32_t selected = 0;
    for (auto _ : state) {
        auto chooser = std::make_unique<TColorDialog>(&form, selected, form.D.DefaultColor);
        chooser->show();
        chooser->repaint();
        Settle();
        state.PauseTiming();
        chooser.reset();
        Settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenColourChooser)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// What a colour button does once the chooser has answered: the layout pass, the dialog's
// own repaint, and the main window painted with the new colour.
void BM_LiveColourChange(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    TOptionsDialog options(form);
    options.show();
    Settle();
    bool flip = false;
    for (auto _ : state) {
        form.D.SentColor = (flip = !flip) ? 0x0000FF : 0xF0CAA6;
        form.FormPaint();
        options.FormPaint();
        form.repaint();
        Settle();
    }
    options.done(QDialog::Rejected);
}
BENCHMARK(BM_LiveColourChange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LiveStyleChange(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    TOptionsDialog options(form);
    options.show();
    Settle();
    int style = 0;
    for (auto _ : state) {
        style = (style + 1) % 4;
        options.SentFontItems->button(style)->click();
        form.repaint();
        Settle();
    }
    options.reject();
}
BENCHMARK(BM_LiveStyleChange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LiveFontChange(benchmark::State& state) {
    FullWindow& window = Window();
    TMBForm& form = *window.Form;
    TOptionsDialog options(form);
    options.show();
    Settle();
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        window.Answers.FontAnswers = {QFont(QStringLiteral("DejaVu Sans"), (flip = !flip) ? 12 : 9)};
        state.ResumeTiming();
        options.MessageFontSBClick();
        form.repaint();
        Settle();
    }
    options.reject();
}
BENCHMARK(BM_LiveFontChange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    DropPlatformNotes();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Window().Form.reset();
    return 0;
}
