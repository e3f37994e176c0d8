// SPDX-License-Identifier: GPL-3.0-or-later
#include <QEventLoop>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "FormFixture.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"

namespace {

// Runs `command` as the running program does: from the event loop, which then goes on
// until what the command left pending, deferred deletions included, is done.
void RunFromTheEventLoop(const std::function<void()>& command) {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        command();
        QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    loop.exec();
}

}  // namespace

// Every command's objects are gone once the event loop has turned: a long session does
// not gather objects that every paint and every posted event would have to walk past.
TEST_F(FormTest, CommandsLeaveNoObjectsBehind) {
    TMBForm& form = OpenCollection();
    const std::function<void()> commands[] = {
        [&] { form.DispSentSBClick(); },
        [&] { form.DispAllSBClick(); },
        [&] { form.MessageViewMouseUp(NameColumn, 0); },
        [&] { form.SearchEdit->setText(QStringLiteral("a")); },
        [&] { form.SearchEdit->clear(); },
        [&] { form.ThisPersonMainMenuClick(); },
        [&] { form.ThisPersonMainMenuClick(); },
        [&] { form.FormPaint(); },
    };
    for (const auto& command : commands) RunFromTheEventLoop(command);  // first uses may make lasting objects
    const qsizetype settled = form.findChildren<QObject*>().size();
    for (int round = 0; round < 5; ++round)
        for (const auto& command : commands) RunFromTheEventLoop(command);
    EXPECT_EQ(form.findChildren<QObject*>().size(), settled);
}
