// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/BackupReadProgress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <exception>
#include <thread>

namespace {
constexpr int ShownAfterMs = 400;
constexpr int TurnMs = 30;

// Shown as a dialog of the main window: with its title bar, over the middle of the main
// window. Shown late and from a waiting loop, it was otherwise placed by no one, and a
// desktop could give it neither frame nor place.
void ShowCentred(QProgressDialog& progress, QWidget* parent) {
    progress.adjustSize();
    const QWidget* host = parent ? parent->window() : nullptr;
    const QRect area = host && host->isVisible() ? host->frameGeometry()
                       : progress.screen()      ? progress.screen()->availableGeometry()
                                                : QRect();
    if (area.isValid()) progress.move(area.center() - QPoint(progress.width() / 2, progress.height() / 2));
    progress.show();
}
}  // namespace

int ReadWithProgress(QWidget* parent, const QString& file, const std::function<int(const BackupProgress&)>& read) {
    const QString name = QFileInfo(file).fileName();
    return RunWithProgress(
        parent,
        [name](std::uint64_t bytes, std::int64_t messages) {
            return QStringLiteral("Reading %1 ...\n%2 MB read, %3 messages found")
                .arg(name)
                .arg(static_cast<double>(bytes) / 1e6, 0, 'f', 1)
                .arg(messages);
        },
        read);
}

int RunWithProgress(QWidget* parent, const std::function<QString(std::uint64_t, std::int64_t)>& label,
                    const std::function<int(const BackupProgress&)>& work, const QString& title) {
    std::atomic<bool> cancelled = false, done = false;
    std::atomic<std::uint64_t> bytes = 0;
    std::atomic<std::int64_t> messages = 0;
    int result = 0;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            result = work([&](std::uint64_t b, std::int64_t m) {
                bytes = b;
                messages = m;
                return !cancelled.load();
            });
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
    });

    QProgressDialog progress(label(0, 0), QStringLiteral("Cancel"), 0, 0, parent,
                             Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    progress.setWindowTitle(title);
    progress.setAccessibleName(title == QStringLiteral("Importing") ? QStringLiteral("Import progress")
                                                                    : title + QStringLiteral(" progress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.hide();
    QElapsedTimer clock;
    clock.start();
    // Events are delivered at least once, so a Cancel already asked for is seen even when
    // the reading ends at once.
    do {
        if (!progress.isVisible() && clock.elapsed() >= ShownAfterMs) ShowCentred(progress, parent);
        if (progress.isVisible()) progress.setLabelText(label(bytes.load(), messages.load()));
        QCoreApplication::processEvents(QEventLoop::AllEvents, TurnMs);
        if (progress.wasCanceled()) cancelled = true;
        QThread::msleep(TurnMs / 3);
    } while (!done);
    worker.join();
    if (failure) std::rethrow_exception(failure);
    // A Cancel after the last bytes still comes before the messages are added: honour it.
    return cancelled ? ECANCELED : result;
}
