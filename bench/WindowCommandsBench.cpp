// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own commands on a full store (16380 messages, 1000 phones), through the real
// handlers on the offscreen platform, each timed from the command to the painted screen: the
// handler runs and the events it left pending are delivered, the screen's updates among them.
// Nothing is painted that the program itself would not paint (--repaint-all adds a forced
// repaint of the whole window after each command, as earlier figures were taken).
//
// Run: kestro_window_bench                 (a table of medians over 9 repetitions)
//      kestro_window_bench --benchmark_filter=Open --benchmark_repetitions=21
#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <QToolTip>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "QuietPlatform.h"
#include "EventLoopTurn.h"
#include "MBVars/DataFile.h"
#include "MBVars/Ordering.h"
#include "MBVars/SettingsFile.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TAboutBox.h"
#include "MBrowser/TMBForm.h"
#include "support/ExportBuilder.h"
#include "support/StoreBuilder.h"
#include "ui/ScriptedDialogs.h"

namespace {

bool RepaintAll = false;  // --repaint-all

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return QObject::eventFilter(watched, event);
    }
};

// The window's folders: a documents folder of the benchmark's own, nothing else.
FormEnvironment DocumentsOnly(const QString& documents) {
    FormEnvironment environment;
    environment.DocumentsDir = documents;
    return environment;
}

// A full collection with texts of ordinary length (about 100 bytes).
void FillFullStore(MsgStore& S) {
    FillRandomStore(S, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, 42);
    std::mt19937 rng(42);
    const char* words[] = {"see", "you", "at", "the", "caf\xC3\xA9", "tomorrow", "\xC3\x84pple",
                           "http://example.com/x", "ok,", "thanks!", "bring", "the", "keys"};
    for (int n = 1; n <= S.MessageCount; ++n) {
        std::string& text = S.Messages[static_cast<std::size_t>(n)].Text;
        while (text.size() < 100 + rng() % 40) text += std::string(" ") + words[rng() % 13];
    }
}

struct FullWindow {
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;
    std::string DataFile;    // the full collection as saved (newest first)
    std::string ExportFile;  // the full export

    FullWindow() {
        Config.Defaults.UseHistory = true;
        Config.Defaults.RemoveDups = true;
        Form = std::make_unique<TMBForm>(Store, Config, Answers, DocumentsOnly(Documents.path()));
        Form->resize(1067, 635);
        Form->show();
        EventLoopTurn();

        DataFile = Documents.filePath("full.kst").toStdString();
        ExportFile = Documents.filePath("export.csv").toStdString();
        std::ofstream(ExportFile, std::ios::binary) << WordFormExport(MaxMessages + 10);  // 16380 kept
        {
            MsgStore built;
            DefaultsType defaults;
            FillFullStore(built);
            SortMessages(built, defaults, 1, 0);
            Renumber(built);
            WriteDataFile(built, DataFile);
        }
        Reload();
    }

    // The full collection in the window, as after opening it.
    void Reload() {
        Store.Modified = false;  // nothing to ask about
        Answers.FileAnswers.push_back({QString::fromStdString(DataFile)});
        Form->OpenMainMenuClick();
        Painted();
    }

    // Delivers what the command left pending: the window paints what changed.
    void Painted() {
        EventLoopTurn();
        if (RepaintAll) Form->repaint();
    }
};

// Made once, and ended before the application is.
std::unique_ptr<FullWindow> TheWindow;
FullWindow& Window() {
    if (!TheWindow) TheWindow = std::make_unique<FullWindow>();
    return *TheWindow;
}

void ClickCell(TMBForm& form, int row, int column) {
    form.MessageView->selectionModel()->setCurrentIndex(form.MessageModel->index(row - 1, column),
                                                        QItemSelectionModel::ClearAndSelect);
}

// --- Browsing ---------------------------------------------------------------------------

void BM_ViewButtonsSentReceivedAll(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    int step = 0;
    for (auto _ : state) {
        switch (step++ % 3) {
            case 0: form.DispSentSBClick(); break;
            case 1: form.DispReceivedSBClick(); break;
            default: form.DispAllSBClick(); break;
        }
        w.Painted();
    }
    form.DispAllSBClick();
    w.Painted();
}
BENCHMARK(BM_ViewButtonsSentReceivedAll);

void BM_ContactViewOnAndOff(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    ClickCell(form, 1, MessageColumn);
    for (auto _ : state) {
        form.ThisPersonMainMenuClick();
        w.Painted();
    }
    if (form.ThisPersonSB->isChecked()) form.ThisPersonMainMenuClick();
    form.DispAllSBClick();
    w.Painted();
}
BENCHMARK(BM_ContactViewOnAndOff);

void BM_SearchKeystroke(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    bool longer = false;
    for (auto _ : state) {
        form.SearchEdit->setText(longer ? QStringLiteral("keys") : QStringLiteral("key"));
        longer = !longer;
        w.Painted();
    }
    form.SearchEdit->clear();
    w.Painted();
}
BENCHMARK(BM_SearchKeystroke);

void BM_HeaderSort(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        form.MessageViewMouseUp(column, 0);
        w.Painted();
    }
    form.MessageViewMouseUp(TimeColumn, 0);
    w.Painted();
}
BENCHMARK(BM_HeaderSort)->ArgName("column")->Arg(TimeColumn)->Arg(NameColumn)->Arg(MessageColumn);

void BM_CellClick(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    int row = 1;
    for (auto _ : state) {
        ClickCell(form, row, MessageColumn);
        row = row == 1 ? 2 : 1;
        w.Painted();
    }
}
BENCHMARK(BM_CellClick);

// The mouse rests over a message's text: its tooltip is made (the previous reply is looked
// for in the whole store) and shown.
void BM_TooltipOverAMessage(benchmark::State& state) {
    FullWindow& w = Window();
    QWidget* cells = w.Form->MessageView->viewport();
    ClickCell(*w.Form, 2, MessageColumn);
    w.Painted();
    for (auto _ : state) {
        QHelpEvent ask(QEvent::ToolTip, QPoint(200, 30), cells->mapToGlobal(QPoint(200, 30)));
        QApplication::sendEvent(cells, &ask);
        const bool shown = QToolTip::isVisible();
        w.Painted();
        state.PauseTiming();
        if (!shown) {
            state.SkipWithError("no tooltip was shown");
            break;
        }
        for (QWidget* top : QApplication::topLevelWidgets())  // gone at once, not faded out
            if (top->inherits("QTipLabel")) top->hide();
        w.Painted();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TooltipOverAMessage);

void BM_ScrollOnePage(benchmark::State& state) {
    FullWindow& w = Window();
    QScrollBar* bar = w.Form->MessageView->verticalScrollBar();
    bool down = true;
    for (auto _ : state) {
        bar->triggerAction(down ? QAbstractSlider::SliderPageStepAdd : QAbstractSlider::SliderPageStepSub);
        down = !down;
        w.Painted();
    }
}
BENCHMARK(BM_ScrollOnePage);

// The grid's visible cells painted again, nothing changed: the share of every grid command
// that is Qt drawing the cells.
void BM_RepaintGridCells(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) w.Form->MessageView->viewport()->repaint();
}
BENCHMARK(BM_RepaintGridCells);

void BM_CopyEveryRow(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    QItemSelectionModel* selection = form.MessageView->selectionModel();
    selection->select(QItemSelection(form.MessageModel->index(0, TimeColumn),
                                     form.MessageModel->index(form.MessageModel->rowCount() - 1, SizeColumn)),
                      QItemSelectionModel::ClearAndSelect);
    for (auto _ : state) {
        form.CopyToClipMenuClick();
        w.Painted();
    }
    ClickCell(form, 1, MessageColumn);
}
BENCHMARK(BM_CopyEveryRow);

// --- Documents --------------------------------------------------------------------------

void BM_New(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        w.Reload();
        state.ResumeTiming();
        w.Form->NewMainMenuClick();  // the collection just opened is not modified
        w.Painted();
    }
    w.Reload();
}
BENCHMARK(BM_New);

void BM_Open(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        w.Store.Modified = false;  // nothing to ask about
        w.Answers.FileAnswers.push_back({QString::fromStdString(w.DataFile)});
        w.Form->OpenMainMenuClick();
        w.Painted();
    }
    if (w.Store.MessageCount != MaxMessages) state.SkipWithError("the file did not open");
}
BENCHMARK(BM_Open);

// Save writes beside the opened file; the time includes the flush to disk.
void BM_Save(benchmark::State& state) {
    FullWindow& w = Window();
    w.Form->CurrentFile = w.Documents.filePath("saved.kst").toStdString();
    for (auto _ : state) {
        w.Form->SaveMainMenuClick();
        w.Painted();
    }
    w.Reload();
}
BENCHMARK(BM_Save);

void BM_ImportFullExport(benchmark::State& state) {
    FullWindow& w = Window();
    PaintCounter gridPaints;
    w.Form->MessageView->viewport()->installEventFilter(&gridPaints);
    for (auto _ : state) {
        state.PauseTiming();
        w.Store.Modified = false;
        w.Form->StartUntitled();
        w.Painted();
        w.Answers.FileAnswers.push_back({QString::fromStdString(w.ExportFile)});
        w.Answers.YesNoAnswers.push_back(false);  // no automatic colours
        gridPaints.Paints = 0;
        state.ResumeTiming();
        w.Form->ImportMainMenuClick();
        w.Painted();
        state.PauseTiming();
        if (gridPaints.Paints == 0) state.SkipWithError("the imported messages were not painted");
        state.ResumeTiming();
    }
    w.Form->MessageView->viewport()->removeEventFilter(&gridPaints);
    if (w.Store.MessageCount != MaxMessages) state.SkipWithError("the export did not import whole");
    w.Reload();
}
BENCHMARK(BM_ImportFullExport);


// --- Editing, colours, tools ------------------------------------------------------------

void BM_WebPagesAndEmailsFilters(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    bool pages = true;
    for (auto _ : state) {
        pages ? form.WebPagesMenuClick() : form.EmailsMenuClick();
        pages = !pages;
        w.Painted();
    }
    form.DispAllSBClick();
    w.Painted();
}
BENCHMARK(BM_WebPagesAndEmailsFilters);

void BM_CryptOnScreen(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        w.Form->CryptMainMenuClick();
        w.Painted();
    }
    if (w.Form->ScreenScrambled) w.Form->CryptMainMenuClick();
    w.Painted();
}
BENCHMARK(BM_CryptOnScreen);

void BM_SelectAll(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        w.Form->SelectAllMainMenuClick();
        w.Painted();
        state.PauseTiming();
        ClickCell(*w.Form, 1, MessageColumn);
        w.Painted();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAll);

// Deletes the rows 100 to 1099 of the full collection (asked and answered Yes).
void BM_DeleteThousandRows(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    for (auto _ : state) {
        state.PauseTiming();
        w.Reload();
        form.MessageView->selectionModel()->select(
            QItemSelection(form.MessageModel->index(99, TimeColumn), form.MessageModel->index(1098, SizeColumn)),
            QItemSelectionModel::ClearAndSelect);
        w.Answers.YesNoAnswers.push_back(true);
        state.ResumeTiming();
        form.DeleteMenuClick();
        w.Painted();
    }
    w.Reload();
}
BENCHMARK(BM_DeleteThousandRows);

void BM_RenameContact(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    ClickCell(form, 1, NameColumn);
    bool first = true;
    for (auto _ : state) {
        w.Answers.TextAnswers.push_back(first ? QStringLiteral("Vera Holm") : QStringLiteral("Vera Lind"));
        first = !first;
        form.RenameSBClick();
        w.Painted();
    }
    w.Reload();
}
BENCHMARK(BM_RenameContact);

void BM_DeleteContactsMessages(benchmark::State& state) {
    FullWindow& w = Window();
    TMBForm& form = *w.Form;
    for (auto _ : state) {
        state.PauseTiming();
        w.Reload();
        ClickCell(form, 1, NameColumn);
        w.Answers.YesNoAnswers.push_back(true);
        state.ResumeTiming();
        form.DeleteThisClick();
        w.Painted();
    }
    w.Reload();
}
BENCHMARK(BM_DeleteContactsMessages);

void BM_RemoveDuplicates(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        w.Answers.YesNoAnswers.push_back(true);  // the question when there are duplicates
        w.Form->RemoveDupsMainMenuClick();
        w.Painted();
        w.Answers.YesNoAnswers.clear();  // unasked when there were none
    }
}
BENCHMARK(BM_RemoveDuplicates);

void BM_ColoursAutomatic(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        w.Answers.YesNoAnswers.push_back(true);
        w.Form->RemoveAllColourMainMenuClick();
        w.Painted();
        state.ResumeTiming();
        w.Form->ColorsAutomaticClick();
        w.Painted();
    }
}
BENCHMARK(BM_ColoursAutomatic);

void BM_ClearAllColours(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        state.PauseTiming();
        w.Form->ColorsAutomaticClick();
        w.Painted();
        w.Answers.YesNoAnswers.push_back(true);
        state.ResumeTiming();
        w.Form->RemoveAllColourMainMenuClick();
        w.Painted();
    }
}
BENCHMARK(BM_ClearAllColours);

void BM_Summary(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        w.Form->SummaryMenuClick();
        w.Painted();
    }
}
BENCHMARK(BM_Summary);

// --- Start-up ---------------------------------------------------------------------------

// A new main window reopening the collection its settings name, to its first painted screen;
// set against the same start with nothing to reopen.
void StartWindow(benchmark::State& state, bool full) {
    FullWindow& w = Window();
    QTemporaryDir documents;
    {
        Settings written;
        WindowSize size;
        ReadSettingsFile(documents.filePath("none.cfg").toStdString(), written, size);
        std::filesystem::create_directories(documents.filePath("Kestro").toStdString());
        written.Defaults.LastSavedFile = full ? w.DataFile : std::string();
        WriteSettingsFile(documents.filePath("Kestro/Kestro.cfg").toStdString(), written, size);
    }
    struct Started {
        MsgStore Store;
        Settings Config;
        ScriptedDialogs Answers;
        std::unique_ptr<TMBForm> Form;
    };
    for (auto _ : state) {
        auto started = std::make_unique<Started>();
        started->Form = std::make_unique<TMBForm>(started->Store, started->Config, started->Answers,
                                                  DocumentsOnly(documents.path()));
        started->Form->resize(1067, 635);
        PaintCounter gridPaints;
        started->Form->MessageView->viewport()->installEventFilter(&gridPaints);
        started->Form->show();
        EventLoopTurn();
        if (RepaintAll) started->Form->repaint();
        state.PauseTiming();
        if (started->Store.MessageCount != (full ? MaxMessages : 0)) state.SkipWithError("unexpected collection");
        if (full && gridPaints.Paints == 0) state.SkipWithError("the grid was not painted");
        started->Form->MessageView->viewport()->removeEventFilter(&gridPaints);
        started.reset();  // closing is not part of starting
        EventLoopTurn();
        state.ResumeTiming();
    }
}
void BM_StartWithNothing(benchmark::State& state) { StartWindow(state, false); }
void BM_StartWithFullCollection(benchmark::State& state) { StartWindow(state, true); }
BENCHMARK(BM_StartWithNothing);
BENCHMARK(BM_StartWithFullCollection);

// --- Dialogs ----------------------------------------------------------------------------

void BM_AboutBox(benchmark::State& state) {
    FullWindow& w = Window();
    for (auto _ : state) {
        TAboutBox about(w.Form.get(), Qt::white);
        about.show();
        about.repaint();
        about.close();
        w.Painted();
    }
}
BENCHMARK(BM_AboutBox);

// Prints one line per benchmark: its median.
class MedianTable : public benchmark::ConsoleReporter {
public:
    bool ReportContext(const Context& context) override {
        std::printf("%-44s %12s %12s %8s\n", "command (full store)", "median ms", "cpu ms", "runs");
        (void)context;
        return true;
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const double scale = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            std::printf("%-44s %12.2f %12.2f %8lld\n", run.run_name.str().c_str(),
                        run.GetAdjustedRealTime() * scale, run.GetAdjustedCPUTime() * scale,
                        static_cast<long long>(run.iterations));
            std::fflush(stdout);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    DropPlatformNotes();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Medians of 9 repetitions unless the command line asks otherwise.
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::string(argv[i]) == "--repaint-all") RepaintAll = true;
        else args.push_back(argv[i]);
    }
    std::string repetitions = "--benchmark_repetitions=9";
    bool chosen = false;
    for (char* arg : args) chosen = chosen || std::string(arg).rfind("--benchmark_repetitions", 0) == 0;
    if (!chosen) args.push_back(repetitions.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    MedianTable table;
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    TheWindow.reset();
    return 0;
}
