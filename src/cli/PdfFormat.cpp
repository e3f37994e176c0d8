// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PdfFormat.h"

#include <QGuiApplication>
#include <QLocale>
#include <cstdio>

#include "Pages/MessagePages.h"

namespace {
// Qt's note that it chose a runtime folder itself says nothing to a user of the command.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (text.startsWith(QStringLiteral("QStandardPaths: "))) return;
    if (type != QtDebugMsg && type != QtInfoMsg) std::fprintf(stderr, "kestro-cli: %s\n", qPrintable(text));
}
}  // namespace

std::string CliPdfExport(const MsgStore& S, ExportRows rows, const ExportLook& look) {
    // Fonts need a running Qt; the offscreen platform draws nowhere and needs no display.
    // It runs for this export alone, and ends before the program's own end.
    int argc = 3;
    char name[] = "kestro-cli", option[] = "-platform", platform[] = "offscreen";
    char* argv[] = {name, option, platform, nullptr};
    const QtMessageHandler before = qInstallMessageHandler(QuietHandler);
    QByteArray pdf;
    {
        QGuiApplication app(argc, argv);
        pdf = PdfExport(S, rows, look, QLocale::system());
    }
    qInstallMessageHandler(before);
    return std::string(pdf.constData(), static_cast<std::size_t>(pdf.size()));
}
