// The grid in use on a full store (16380 messages, 1000 phones), through the real window
// on the offscreen platform: a column-title click, a search keystroke, a cell click with
// the message tooltip, and copying every row.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "support/StoreBuilder.h"
#include "ui/ScriptedDialogs.h"

namespace {

struct FullWindow {
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    FullWindow() {
        FillRandomStore(Store, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90}, 42);
        std::mt19937 rng(42);
        const char* words[] = {"see", "you", "at", "the", "caf\xC3\xA9", "tomorrow", "\xC3\x84pple",
                               "http://example.com/x", "ok,", "thanks!", "bring", "the", "keys"};
        for (int n = 1; n <= Store.MessageCount; ++n) {
            std::string& text = Store.Messages[static_cast<std::size_t>(n)].Text;
            while (text.size() < 100 + rng() % 40) text += std::string(" ") + words[rng() % 13];
        }
        Renumber(Store);
        BuildView(Store, ViewEverything);
        Form = std::make_unique<TMBForm>(Store, Config, Answers, FormEnvironment{Documents.path(), QString()});
        Form->show();
        QApplication::processEvents();
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

void BM_TitleClickSortsTheStore(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) form.MessageViewMouseUp(column, 0);
    form.MessageViewMouseUp(TimeColumn, 0);
}
BENCHMARK(BM_TitleClickSortsTheStore)->Arg(TimeColumn)->Arg(NameColumn)->Arg(MessageColumn)->Unit(benchmark::kMillisecond);

void BM_SearchKeystroke(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    bool longer = false;
    for (auto _ : state) {
        form.SearchEdit->setText(longer ? QStringLiteral("keys") : QStringLiteral("key"));
        longer = !longer;
    }
    form.SearchEdit->clear();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_CellClickWithMessageTooltip(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    int row = 1;
    for (auto _ : state) {
        ClickCell(form, row, MessageColumn);
        row = row == 1 ? 2 : 1;
    }
}
BENCHMARK(BM_CellClickWithMessageTooltip)->Unit(benchmark::kMillisecond);

void BM_CopyEveryRow(benchmark::State& state) {
    TMBForm& form = *Window().Form;
    QItemSelectionModel* selection = form.MessageView->selectionModel();
    selection->select(QItemSelection(form.MessageModel->index(0, TimeColumn),
                                     form.MessageModel->index(form.MessageModel->rowCount() - 1, SizeColumn)),
                      QItemSelectionModel::ClearAndSelect);
    for (auto _ : state) form.CopyToClipMenuClick();
    state.counters["rows"] = form.MessageModel->rowCount();
}
BENCHMARK(BM_CopyEveryRow)->Unit(benchmark::kMillisecond);


}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheWindow.reset();
    return 0;
}
