// SPDX-License-Identifier: GPL-3.0-or-later
// The conversation pane with pictures: a collection of 2,000 MMS pictures (photos of
// 1024 x 768), 500 of them in one conversation. Scrolling through that conversation a
// wheel step at a time, each step timed to its painted frame while the pictures are
// decoded behind it (the slowest frame is printed); and the memory of the whole window
// after every one of the 2,000 pictures has been shown (run it alone for that figure:
// --benchmark_filter=Pictures).
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "EventLoopTurn.h"
#include "OneWindow.h"
#include "MBConversation/ConversationView.h"
#include "MBConversation/TConversation.h"
#include "MBConversation/Thumbnails.h"
#include "MBVars/DataFile.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/TMBForm.h"
#include "support/StoreBuilder.h"
#include "ui/ScriptedDialogs.h"

namespace {

constexpr int Pictures = 2000, InOneConversation = 500, Contacts = 4;

std::string PhoneOf(int contact) { return "+1555555080" + std::to_string(contact); }

// A photo-sized picture with some detail, so that it decodes as a photo does.
QImage Photo(int k) {
    QImage photo(1024, 768, QImage::Format_RGB32);
    QPainter p(&photo);
    QLinearGradient sky(0, 0, 1024, 768);
    sky.setColorAt(0, QColor::fromHsv((k * 37) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((k * 37 + 120) % 360, 200, 90));
    p.fillRect(photo.rect(), sky);
    for (int i = 0; i < 40; ++i)
        p.fillRect(QRect((i * 97 + k * 13) % 1000, (i * 61 + k * 7) % 740, 30 + i, 20 + i), QColor::fromHsv((i * 29 + k) % 360, 180, 200));
    return photo;
}

struct PicturesWindow {
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    PicturesWindow() {
        const std::string file = Documents.filePath("pictures.kst").toStdString();
        const std::string folder = Documents.filePath("pictures.media").toStdString();
        QDir().mkpath(QString::fromStdString(folder));
        MsgStore built;
        // The first contact has 500 pictures; the others share the rest.
        for (int k = 0; k < Pictures; ++k) {
            const int contact = k < InOneConversation ? 0 : 1 + k % (Contacts - 1);
            char time[32];
            std::snprintf(time, sizeof time, "2024.%02d.%02d %02d:%02d", 1 + k / 400, 1 + (k / 16) % 25, 8 + k % 12, k % 60);
            AddMessage(built, time, PhoneOf(contact), k % 3 == 0 ? "On the way\r\n[image]" : "[image]",
                       MsgMms | (k % 2 ? MsgSent : MsgReceived), "Pia Lund");
        }
        Renumber(built);
        WriteDataFile(built, file);
        FormEnvironment environment;
        environment.DocumentsDir = Documents.path();
        Form = std::make_unique<TMBForm>(Store, Config, Answers, environment);
        Form->resize(1067, 635);
        Form->show();
        EventLoopTurn();
        Answers.FileAnswers.push_back({QString::fromStdString(file)});
        Form->OpenMainMenuClick();
        EventLoopTurn();
        Form->Media = MediaIndex(folder);
        for (std::int32_t n = 1; n <= Store.MessageCount; ++n) {
            const std::string name = std::string(60, 'a') + QString::number(n).rightJustified(4, '0').toStdString() + ".jpg";
            Photo(n).save(QString::fromStdString(folder + "/" + name), "JPEG", 85);
            Form->Media.Set(Store.Messages[static_cast<std::size_t>(n)], {{name, "image/jpeg", "", 100'000, false}});
        }
        Form->ConversationMainMenuClick();
        EventLoopTurn();
    }

    void ShowContact(int contact) {
        for (int row = 1; row <= Store.ViewCount; ++row)
            if (Store.Messages[Store.ViewIndex[static_cast<std::size_t>(row)]].Phone.view() == PhoneOf(contact)) {
                Form->MessageView->selectionModel()->setCurrentIndex(Form->MessageModel->index(row - 1, MessageColumn),
                                                                    QItemSelectionModel::ClearAndSelect);
                break;
            }
        Form->FollowInConversation(true);
        EventLoopTurn();
    }
};

PicturesWindow& Window() { return OneWindow<PicturesWindow>(); }

// A wheel step (three single steps) down the 500 pictures, to the painted frame; at the
// bottom the pane starts again from the top with every picture forgotten.
void BM_PicturesScrollFrame(benchmark::State& state) {
    PicturesWindow& w = Window();
    w.ShowContact(0);
    ConversationView& view = *w.Form->Conversation->View;
    if (view.Count() != InOneConversation) state.SkipWithError("the pane does not show the 500 pictures");
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    EventLoopTurn();
    double slowest = 0;
    long frames = 0, late = 0;
    for (auto _ : state) {
        if (bar->value() == bar->maximum()) {
            state.PauseTiming();
            bar->setValue(0);
            EventLoopTurn();
            state.ResumeTiming();
        }
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < 3; ++k) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        view.viewport()->repaint();  // the frame
        const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        slowest = std::max(slowest, took);
        late += took >= 16;
        ++frames;
        EventLoopTurn();  // the decoded pictures arrive between frames, as in the running program
    }
    std::printf("    %ld frames, the slowest %.2f ms, %ld of 16 ms or more\n", frames, slowest, late);
}
BENCHMARK(BM_PicturesScrollFrame)->Repetitions(3)->Iterations(3000);

// Every conversation from top to bottom, each screen's pictures decoded before the next:
// the resident memory after 2,000 pictures (and its peak) against the same window before.
long MemoryKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

void BM_PicturesMemoryAfterAll(benchmark::State& state) {
    PicturesWindow& w = Window();
    for (auto _ : state) {
        for (int contact = 0; contact < Contacts; ++contact) {
            w.ShowContact(contact);
            ConversationView& view = *w.Form->Conversation->View;
            QScrollBar* bar = view.verticalScrollBar();
            bar->setValue(0);
            for (;;) {
                view.viewport()->repaint();
                view.Pictures().WaitForDecodes();
                EventLoopTurn();
                if (bar->value() == bar->maximum()) break;
                bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            }
        }
    }
    std::printf("    resident %.1f MiB, peak %.1f MiB, thumbnails kept %.1f MiB\n", MemoryKiB("VmRSS:") / 1024.0,
                MemoryKiB("VmHWM:") / 1024.0, w.Form->Conversation->View->Pictures().KeptBytes() / 1048576.0);
}
BENCHMARK(BM_PicturesMemoryAfterAll)->Repetitions(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
