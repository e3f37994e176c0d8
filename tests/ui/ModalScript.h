// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the program's own modal dialogs in tests: the script runs once the dialog of the
// given kind is the active modal window, inside its event loop, as a user's clicks would.
// A script that never ran (the dialog never opened) is stopped when the object ends.
#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

template <class Dialog>
class ModalScript {
public:
    explicit ModalScript(std::function<void(Dialog&)> script) : Timer(std::make_unique<QTimer>()) {
        Timer->setInterval(0);
        QObject::connect(Timer.get(), &QTimer::timeout, [this, script = std::move(script)] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            Timer->stop();
            ++Runs;
            script(*dialog);
        });
        Timer->start();
    }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    int Runs = 0;

private:
    std::unique_ptr<QTimer> Timer;
};
