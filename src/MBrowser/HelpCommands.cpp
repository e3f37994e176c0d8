// SPDX-License-Identifier: GPL-3.0-or-later
// Help: the help page that ships with the program, the home page, and About.
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include "MBrowser/TAboutBox.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/IoError.h"
#include "Platform/ColorRef.h"

// The resources live in the window library; this makes sure they are linked in.
static void LoadHelpResources() { Q_INIT_RESOURCE(Kestro); }

namespace {

const QString HomePage = QStringLiteral("https://kestro.example.org");
const QString HelpResource = QStringLiteral(":/help/kestro-help.html");

// The help page lives in the program's resources; the desktop's browser needs a file, so
// it is copied into the user's cache folder (replaced whole each time).
QString ExtractHelpPage() {
    LoadHelpResources();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QFile page(HelpResource);
    QSaveFile copy(QDir(folder).filePath(QStringLiteral("kestro-help.html")));
    if (folder.isEmpty() || !QDir().mkpath(folder) || !page.open(QIODevice::ReadOnly) ||
        !copy.open(QIODevice::WriteOnly) || copy.write(page.readAll()) < 0 || !copy.commit())
        throw IoError("The help page cannot be written to " + folder.toStdString());
    return copy.fileName();
}

}  // namespace

void TMBForm::OpenOnDesktop(const QString& url, const QString& shown) {
    // Without a program to open it the command would otherwise do nothing visible.
    if (!Dlg.OpenUrl(url))
        Dlg.ShowError(QStringLiteral("Cannot open \"%1\": the desktop has no program to open it").arg(shown));
}

void TMBForm::GetStartedMainMenuClick() {
    const QString page = ExtractHelpPage();
    OpenOnDesktop(QUrl::fromLocalFile(page).toString(), page);
}

void TMBForm::KestroMainMenuClick() { OpenOnDesktop(HomePage, HomePage); }

void TMBForm::AboutMainMenuClick() {
    TAboutBox about(this, ToQColor(D.DefaultColor));
    about.exec();
}
