// SPDX-License-Identifier: GPL-3.0-or-later
// One turn of the event loop after a command, for benchmarks that call the handlers
// themselves instead of running QApplication::exec().
#pragma once

#include <QApplication>

// Delivers what the command left pending, the screen's updates among them, and then deletes
// the objects it gave up with deleteLater(), as the running event loop does once a handler
// returns. processEvents() alone never deletes objects given up outside any event loop:
// Qt keeps them for a loop that never comes. The main window's layout makes such objects at
// every pass (its widgets' zero-length geometry animations), so a long benchmark run would
// pile up thousands of them as the widgets' children, and every later paint and every
// posted event would walk past them.
inline void EventLoopTurn() {
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
