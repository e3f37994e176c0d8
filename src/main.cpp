// SPDX-License-Identifier: GPL-3.0-or-later
// Kestro: the main window over one message store and one settings record.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "MBVars/Defaults.h"
#include "MBVars/StartArguments.h"
#include "MBVars/Store.h"
#include "MBVars/Version.h"
#include "MBrowser/TMBForm.h"
#include "Platform/QtDialogs.h"

namespace {
// The name of the installed desktop entry, so that the desktop ties the window to it.
const QString DesktopEntryId = QStringLiteral("org.example.kestro");

std::vector<std::string> ArgumentsAfterName(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The window system asked for: "-platform NAME" among the arguments, else QT_QPA_PLATFORM.
std::string PlatformAskedFor(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "-platform" || std::string(argv[i]) == "--platform") return argv[i + 1];
    return Environment("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer started;
    started.start();
    // Help and version are answered before any window system is needed.
    const StartArguments early = ParseStartArguments(ArgumentsAfterName(argc, argv));
    if (early.What == StartArguments::Action::Help) {
        std::fputs(StartUsage().c_str(), stdout);
        return 0;
    }
    if (early.What == StartArguments::Action::Version) {
        std::printf("kestro %s\n", ProgramVersion);
        return 0;
    }

    // Without a display the window system would abort with its own advice: say what is missing.
    if (!DisplayFound(PlatformAskedFor(argc, argv), Environment("DISPLAY"), Environment("WAYLAND_DISPLAY"))) {
        std::fputs("kestro: no display found; Kestro is a desktop program and needs X11 or Wayland\n", stderr);
        return 1;
    }

    QApplication app(argc, argv);  // takes its own options (-platform, -style ...) out of argv
    QApplication::setApplicationVersion(QString::fromLatin1(ProgramVersion));
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    const StartArguments start = ParseStartArguments(ArgumentsAfterName(argc, argv));
    if (start.What == StartArguments::Action::Error) {
        std::fprintf(stderr, "kestro: %s\n\n%s", start.Error.c_str(), StartUsage().c_str());
        return 2;
    }

    MsgStore store;
    store.StartTime = LocalTimeNow();
    Settings settings;
    QtDialogs dialogs;
    FormEnvironment environment = FormEnvironment::FromSystem();
    environment.StartDataFile = QFile::decodeName(start.DataFile.c_str());
    for (const std::string& file : start.Exports) environment.StartExports << QFile::decodeName(file.c_str());
    TMBForm form(store, settings, dialogs, environment);
    form.show();
    // Start-up timing: with KESTRO_STARTUP_TIMING set, print how long the first screen
    // took and quit at once.
    if (qEnvironmentVariableIsSet("KESTRO_STARTUP_TIMING")) {
        QTimer::singleShot(0, &app, [&] {
            form.repaint();  // the first screen, painted
            std::printf("start-up: %.1f ms, %d messages\n", static_cast<double>(started.nsecsElapsed()) / 1e6,
                        store.MessageCount);
            std::fflush(stdout);
            app.exit(0);
        });
    }
    return app.exec();
}
