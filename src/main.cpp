// Kestro: the main window over one message store and one settings record.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "MBVars/Defaults.h"
#include "MBVars/Store.h"
#include "MBrowser/TMBForm.h"
#include "Platform/QtDialogs.h"

int main(int argc, char** argv) {
    QElapsedTimer started;
    started.start();
    QApplication app(argc, argv);
    MsgStore store;
    store.StartTime = LocalTimeNow();
    Settings settings;
    QtDialogs dialogs;
    TMBForm form(store, settings, dialogs, FormEnvironment::FromSystem());
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
