// SPDX-License-Identifier: GPL-3.0-or-later
// The conversation pane on a full store (16380 messages) where one contact wrote 5000 of
// them: switching the pane to that contact until painted, paging through the conversation,
// and grid commands with the pane shown and hidden, each timed to the painted screen.
#include <QCoreApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <string>

#include "EventLoopTurn.h"
#include "OneWindow.h"
#include "MBConversation/ConversationView.h"
#include "MBConversation/TConversation.h"
#include "MBVars/DataFile.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "support/StoreBuilder.h"
#include "ui/ScriptedDialogs.h"

namespace {

constexpr std::int32_t TalkativeCount = 5000;
const std::string Talkative = "+15555550777", Talkative2 = "+15555550778";

struct PaneWindow {
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    PaneWindow() {
        FormEnvironment environment;
        environment.DocumentsDir = Documents.path();
        Form = std::make_unique<TMBForm>(Store, Config, Answers, environment);
        Form->resize(1067, 635);
        Form->show();
        EventLoopTurn();
        const std::string file = Documents.filePath("full.kst").toStdString();
        {
            MsgStore built;
            DefaultsType defaults;
            FillRandomStore(built, {.Messages = MaxMessages, .Phones = 1000, .Texts = 5000, .NamedPercent = 90, .NamesByPhone = true}, 42);
            std::mt19937 rng(42);
            const char* words[] = {"see", "you", "at", "the", "caf\xC3\xA9", "tomorrow", "\xC3\x84pple",
                                   "http://example.com/x", "ok,", "thanks!", "bring", "the", "keys", "\n"};
            for (std::int32_t n = 1; n <= built.MessageCount; ++n) {
                XMsgRecType& m = built.Messages[static_cast<std::size_t>(n)];
                // Ordinary lengths, and now and then a long one.
                const std::size_t length = rng() % 20 == 0 ? 600 + rng() % 400 : 40 + rng() % 120;
                while (m.Text.size() < length) m.Text += std::string(" ") + words[rng() % 14];
                // The talkative person writes from two numbers, one person by the name they share.
                if (n % 3 == 0 && n / 3 <= TalkativeCount) {
                    m.Phone = n % 2 ? Talkative : Talkative2;
                    m.Name = "Vera Holm";
                }
            }
            SortMessages(built, defaults, 1, 0);
            Renumber(built);
            WriteDataFile(built, file);
        }
        Answers.FileAnswers.push_back({QString::fromStdString(file)});
        Form->OpenMainMenuClick();
        EventLoopTurn();
    }

    void ShowPane(bool shown) {
        if (Form->Conversation->isHidden() == shown) Form->ConversationMainMenuClick();
        EventLoopTurn();
    }
    // A grid row of the talkative contact, or of another one.
    int RowOf(bool talkative, int skip = 0) const {
        for (int row = 1; row <= Store.ViewCount; ++row) {
            const XMsgRecType& m = Store.Messages[Store.ViewIndex[static_cast<std::size_t>(row)]];
            if ((m.Name.view() == "Vera Holm") == talkative && skip-- == 0) return row;
        }
        return 1;
    }
    void Click(int row) {
        Form->MessageView->selectionModel()->setCurrentIndex(Form->MessageModel->index(row - 1, MessageColumn),
                                                            QItemSelectionModel::ClearAndSelect);
    }
};

PaneWindow& Window() { return OneWindow<PaneWindow>(); }

void BM_ConversationSwitchTo5000Messages(benchmark::State& state) {
    PaneWindow& w = Window();
    w.ShowPane(true);
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Click(w.RowOf(false, step % 50));  // another contact first
        EventLoopTurn();
        state.ResumeTiming();
        w.Click(w.RowOf(true, step++ % 50));
        EventLoopTurn();
    }
    if (w.Form->Conversation->View->Count() != TalkativeCount) state.SkipWithError("the pane did not switch");
}
BENCHMARK(BM_ConversationSwitchTo5000Messages);

// Page after page through the 5000 messages, each page laid out for the first time.
void BM_ConversationScrollPage(benchmark::State& state) {
    PaneWindow& w = Window();
    w.ShowPane(true);
    w.Click(w.RowOf(true));
    EventLoopTurn();
    QScrollBar* bar = w.Form->Conversation->View->verticalScrollBar();
    bar->setValue(0);
    EventLoopTurn();
    for (auto _ : state) {
        if (bar->value() == bar->maximum()) {
            state.PauseTiming();
            w.Click(w.RowOf(false));  // forgets every layout
            w.Click(w.RowOf(true));
            bar->setValue(0);
            EventLoopTurn();
            state.ResumeTiming();
        }
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        EventLoopTurn();
    }
}
BENCHMARK(BM_ConversationScrollPage);

// Sent, Received and All in turn, with the pane hidden (0) or shown on the talkative contact (1).
void BM_ViewButtonsWithPane(benchmark::State& state) {
    PaneWindow& w = Window();
    w.ShowPane(state.range(0) != 0);
    w.Click(w.RowOf(true));
    EventLoopTurn();
    int step = 0;
    for (auto _ : state) {
        switch (step++ % 3) {
            case 0: w.Form->DispSentSBClick(); break;
            case 1: w.Form->DispReceivedSBClick(); break;
            default: w.Form->DispAllSBClick(); break;
        }
        EventLoopTurn();
    }
    w.Form->DispAllSBClick();
    EventLoopTurn();
}
BENCHMARK(BM_ViewButtonsWithPane)->ArgName("pane")->Arg(0)->Arg(1);

// A click on a cell of the same contact's next message, pane hidden (0) or shown (1).
void BM_CellClickWithPane(benchmark::State& state) {
    PaneWindow& w = Window();
    w.ShowPane(state.range(0) != 0);
    int step = 0;
    for (auto _ : state) {
        w.Click(w.RowOf(true, step++ % 2));
        EventLoopTurn();
    }
}
BENCHMARK(BM_CellClickWithPane)->ArgName("pane")->Arg(0)->Arg(1);

}  // namespace
