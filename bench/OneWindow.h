// SPDX-License-Identifier: GPL-3.0-or-later
// A benchmark's window, made on first use and ended just before the application is (a
// window must not outlive QApplication, and static destructors run after it).
#pragma once

#include <QCoreApplication>

#include <memory>

template <class Window>
Window& OneWindow() {
    static std::unique_ptr<Window> window;
    if (!window) {
        window = std::make_unique<Window>();
        qAddPostRoutine([] { window.reset(); });
    }
    return *window;
}
