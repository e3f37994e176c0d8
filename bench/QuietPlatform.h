// SPDX-License-Identifier: GPL-3.0-or-later
// The window benchmarks' programs drop the offscreen platform's notes.
#pragma once

#include <QString>
#include <QtGlobal>

namespace QuietPlatformDetail {
inline QtMessageHandler DefaultHandler = nullptr;
inline void WithoutPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith(QStringLiteral("This plugin does not support"))) return;
    if (DefaultHandler) DefaultHandler(type, context, text);
}
}  // namespace QuietPlatformDetail

// The offscreen platform notes every window raised or activated ("This plugin does not
// support raise()"), thousands of lines that buried the figures: those notes are dropped,
// every other message goes where it went.
inline void DropPlatformNotes() {
    QuietPlatformDetail::DefaultHandler = qInstallMessageHandler(QuietPlatformDetail::WithoutPlatformNotes);
}
