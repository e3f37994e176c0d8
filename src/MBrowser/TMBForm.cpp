// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/TMBForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "MBrowser/Pictures.h"
#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/StartReading.h"
#include "Platform/ColorRef.h"
#include "Platform/Cp1252Text.h"
#include "Platform/SystemLocale.h"

namespace fs = std::filesystem;

namespace {

// The Message column never gets narrower than this, however wide the others are.
constexpr int MinMessageWidth = 40;

// Runs a member once and guards against it running again inside itself (the refresh
// lets pending events run, and a resize among them runs the layout pass).
class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : Entered(!flag), Flag(flag) { Flag = true; }
    ~ReentryGuard() {
        if (Entered) Flag = false;
    }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

    const bool Entered;

private:
    bool& Flag;
};

}  // namespace

FormEnvironment FormEnvironment::FromSystem() {
    return {QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
            QCoreApplication::applicationDirPath(), QRect()};
}

TMBForm::TMBForm(MsgStore& store, Settings& settings, Dialogs& dialogs, FormEnvironment environment,
                 QWidget* parent)
    : QMainWindow(parent),
      S(store),
      Set(settings),
      D(settings.Defaults),
      Dlg(dialogs),
      Locale(SystemLocaleInfo()),
      Environment(std::move(environment)) {
    Safely([this] { PrepareStart(); });
    BuildControls();
    CreateMainMenu();
    CreatePopupMenus();
    ConnectCommands();
    setMinimumSize(MinFormWidth, MinFormHeight);
    resize(DesignedWidth, DesignedHeight);
    setWindowIcon(ToolIcon(ToolPicture::Program));
    AcceptFileDrops();
    Safely([this] { FormCreate(); });
    // Centred on the desktop, at the size the settings gave.
    move(AvailableArea().center() - rect().center());
    Created = true;
    Safely([this] { FormPaint(); });
    LeaveFocusOnGrid();
}

TMBForm::~TMBForm() = default;

void TMBForm::ReseedRandom() {
    Random.seed(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void TMBForm::PrepareStart() {
    ReseedRandom();
    ProgramDir = Environment.ProgramDir.toStdString();
    DocumentsDir = Environment.DocumentsDir.toStdString();

    Set.DefaultDir.clear();
    if (!DocumentsDir.empty()) {
        const fs::path folder = fs::path(DocumentsDir) / ProgramTitle;
        std::error_code error;
        fs::create_directories(folder, error);
        if (!error && fs::is_directory(folder, error)) Set.DefaultDir = folder.string();
    }
    Set.ImportDir = Set.DefaultDir;
    ReadSettings();
    // A data file named on the command line is opened instead of the last saved one.
    std::string reopen;
    std::error_code error;
    if (Environment.StartDataFile.isEmpty() && D.LastSavedRead && !D.LastSavedFile.empty() &&
        fs::is_regular_file(D.LastSavedFile, error))
        reopen = D.LastSavedFile;
    Starting = ReadAtStartInBackground(HistoryPath(), reopen, D);
}

void TMBForm::FormCreate() {
    ApplySettings();
    // Until the history is in, a later import must not replace its file unseen.
    S.HistoryIncomplete = true;
    SwitchMedia({}, false);  // the untitled collection's, until a file is reopened
    Safely([this] {
        if (!Starting.valid()) return;
        StartRead read = Starting.get();
        AdoptStartRead(S, D, read);
        TellHistoryRead(read);
        if (read.Reopened) TellLastSavedFileReopened(read);
    });
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramTitle));
    // The tooltip timings apply on every start, whether or not a file is reopened.
    ApplyHintSettings();
    // The layout pass that follows at once ends with the refresh.
}

void TMBForm::TellHistoryRead(const StartRead& read) {
    // A history that cannot be read is said once here; the next import keeps the old file
    // aside before writing a new one.
    Safely([&] {
        try {
            if (read.HistoryFailure) std::rethrow_exception(read.HistoryFailure);
            if (read.HistoryError != 0 && read.HistoryError != ENOENT)
                ReportError(QString::fromStdString(FileErrorText("read", HistoryPath(), FileErrorReason(read.HistoryError))));
        } catch (const IoError& e) {
            ReportError(QString::fromStdString(e.Text("read", HistoryPath())));
        }
    });
}

void TMBForm::TellLastSavedFileReopened(const StartRead& read) {
    // A file that ends early keeps what was read: the error is shown, the start goes on.
    // One that cannot be opened at all is not adopted, so that a save cannot replace it.
    // A file that is not a data file is refused whole, for the same reason.
    int openError = read.OpenError;
    CurrentFile = D.LastSavedFile;
    Safely([&] {
        try {
            if (read.OpenFailure) std::rethrow_exception(read.OpenFailure);
        } catch (const NotDataFileError& e) {
            openError = -1;
            ReportError(QString::fromStdString(e.Text("open", CurrentFile)));
        } catch (const IoError& e) {
            ReportError(QString::fromStdString(e.Text("open", CurrentFile)));
        }
    });
    if (openError != 0) CurrentFile.clear();
    SwitchMedia(CurrentFile, !CurrentFile.empty());
    if (!CurrentFile.empty()) RememberFileOnDisk(CurrentFile);
    MessageView->setFocus();
}

QString TMBForm::Caption() const {
    QString caption = QStringLiteral("%1 %2.%3").arg(QString::fromLatin1(ProgramTitle)).arg(VersionMajor).arg(VersionMinor);
    if (!CurrentFile.empty()) caption += QStringLiteral(" - ") + QString::fromStdString(CurrentFile);
    return caption;
}

std::string TMBForm::HistoryPath() const { return Set.DefaultDir + "/" + "Kestro.hst"; }

void TMBForm::LayOutAndRefresh() {
    if (Created && !InLayoutPass)
        FormPaint();
    else
        UpdateMessageView();
}

void TMBForm::FormPaint() {
    const ReentryGuard guard(InLayoutPass);
    if (!guard.Entered || !Created) return;

    // The detail line is cleared and filled again by the refresh at the end.
    if (width() < MinFormWidth || height() < MinFormHeight)
        resize(std::max(width(), MinFormWidth), std::max(height(), MinFormHeight));
    setWindowTitle(Caption());

    const QColor windowColor = ToQColor(D.DefaultColor);
    if (palette().color(QPalette::Window) != windowColor) {
        // Texts stay readable on the chosen colour whatever the desktop's theme is.
        // Disabled texts (the menus of an empty window) are the ink faded halfway into
        // the window colour, so that they look disabled on any chosen colour.
        const QColor ink = windowColor.lightness() >= 128 ? QColor(0x10, 0x18, 0x28) : QColor(Qt::white);
        const QColor faded((ink.red() + windowColor.red()) / 2, (ink.green() + windowColor.green()) / 2,
                           (ink.blue() + windowColor.blue()) / 2);
        QPalette p = palette();
        p.setColor(QPalette::Window, windowColor);
        p.setColor(QPalette::Base, windowColor);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            p.setColor(role, ink);
            p.setColor(QPalette::Disabled, role, faded);
        }
        setPalette(p);
    }
    ApplyHintColor();
    MessageView->SetFixedColor(ToQColor(D.GridFixedColor));
    MessageView->setShowGrid(D.GridLines);
    FitGridColumns();

    const bool hasMessages = S.MessageCount > 0;
    for (QToolButton* b : {SaveFileSB, DispSentSB, DispReceivedSB, DispAllSB, ThisPersonSB}) b->setEnabled(hasMessages);
    for (QMenu* m : {EditMenu, ViewMenu}) m->menuAction()->setEnabled(hasMessages);
    // The options do not depend on messages: the home country is set before the first import.
    for (QAction* a : {CryptMainMenu, RemoveHistoryMainMenu, RemoveDupsMainMenu}) a->setEnabled(hasMessages);
    SaveAsMainMenu->setEnabled(hasMessages);
    for (QAction* a : {ExportMainMenu, PrintMainMenu, PrintPreviewMainMenu}) a->setEnabled(hasMessages);
    SaveMainMenu->setEnabled(hasMessages);
    NameBox->setVisible(ThisPersonSB->isChecked());

    UpdateMessageView();
    UpdateMenus();
}

int TMBForm::WidestPhoneWidth() const {
    // The longest numbers (in bytes) are the widest but for a few narrow digits: the numbers
    // of the longest two lengths are measured, each once, in the bold face, the widest.
    std::size_t longest = 0;
    for (std::int32_t n = 1; n <= S.MessageCount; ++n)
        longest = std::max(longest, S.Messages[static_cast<std::size_t>(n)].Phone.view().size());
    if (longest == 0) return 0;
    QFont bold = MessageModel->GridFont();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    std::vector<std::string_view> measured;
    int widest = 0;
    for (std::int32_t n = 1; n <= S.MessageCount && measured.size() < 16; ++n) {
        const std::string_view phone = S.Messages[static_cast<std::size_t>(n)].Phone.view();
        if (phone.size() + 1 < longest || std::find(measured.begin(), measured.end(), phone) != measured.end()) continue;
        measured.push_back(phone);
        widest = std::max(widest, metrics.horizontalAdvance(QStringLiteral(" ") + ShownText(phone)));
    }
    return widest + metrics.averageCharWidth();
}

void TMBForm::FitGridColumns() {
    if (FittingColumns || !MessageView) return;
    FittingColumns = true;
    const QFontMetrics metrics(MessageModel->GridFont());
    const int numberWidth = std::max(50, metrics.horizontalAdvance(QStringLiteral("999999")));
    MessageView->verticalHeader()->setFixedWidth(numberWidth);
    D.ColumnWidth[NumberColumn] = numberWidth;
    // The number column holds the collection's widest number whole.
    const int phoneWidth = WidestPhoneWidth();
    int others = 0;
    for (int c = TimeColumn; c < GridColumnCount; ++c) {
        if (c == MessageColumn) continue;
        int w = std::max(0, D.ColumnWidth[static_cast<std::size_t>(c)]);
        if (c == PhoneColumn) w = std::max(w, phoneWidth);
        if (MessageView->columnWidth(c) != w) MessageView->setColumnWidth(c, w);
        others += w;
    }
    const int message = std::max(MinMessageWidth, MessageView->viewport()->width() - others);
    if (MessageView->columnWidth(MessageColumn) != message) MessageView->setColumnWidth(MessageColumn, message);
    D.ColumnWidth[MessageColumn] = message;
    FittingColumns = false;
}

void TMBForm::GridColumnResized(int column, int width) {
    if (FittingColumns || column == TypeColumn || column == MessageColumn || column == NumberColumn) return;
    D.ColumnWidth[static_cast<std::size_t>(column)] = width;
    FitGridColumns();
}

void TMBForm::PressViewButton(QToolButton* button) {
    for (QToolButton* b : {DispSentSB, DispReceivedSB, DispAllSB, ThisPersonSB}) {
        const QSignalBlocker quiet(b);
        b->setChecked(b == button);
    }
    ThisPersonMainMenu->setChecked(ThisPersonSB->isChecked());
}

bool TMBForm::FormClose() {
    SaveAnswer answer = SaveAnswer::Cancel;
    Safely([&] { answer = AskToSave(); });
    // Settings are written at every request to close, even when it is then cancelled; a
    // failure to write them never keeps the window open.
    try {
        WriteSettings();
    } catch (const std::exception&) {
    }
    return answer != SaveAnswer::Cancel;
}

void TMBForm::ExitMainMenuClick() { close(); }

void TMBForm::GridPanelClick() {
    if (S.MessageCount > 0) return;
    // A phone's backup first: what most people come with; the samples for a first look.
    const QString welcome =
        QString::asprintf("Welcome to %s %d.%d!", ProgramTitle, VersionMajor, VersionMinor) +
        QStringLiteral("\r\n\r\nKestro reads the backups that Android backup apps write of a phone's messages "
                       "(XML), the exports of phone suites (CSV) and address books (vCard), and keeps "
                       "them in one collection.\r\n\r\nImport a phone backup now, or look at Kestro with "
                       "sample files first?");
    const int choice = Dlg.AskChoice(welcome, {QStringLiteral("Import a phone backup..."),
                                               QStringLiteral("Create sample files"), CancelCaption});
    if (choice == 0) ImportMainMenuClick();
    if (choice == 1) CreateSampleFilesClick();
}

void TMBForm::PaintEmptyArea() {
    // A quiet invitation: the program's picture, faded, and what a click does.
    QPainter p(GridPanel);
    const QRect area = GridPanel->rect();
    const int side = std::min(96, area.height() / 3);
    p.setOpacity(0.22);
    const QPoint centre = area.center();
    ToolIcon(ToolPicture::Program).paint(&p, QRect(centre.x() - side / 2, centre.y() - side, side, side));
    p.setOpacity(0.55);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(area.left(), centre.y() + 8, area.width(), 30), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("Click here to get started"));
    p.setOpacity(0.45);
    p.drawText(QRect(area.left(), centre.y() + 8 + p.fontMetrics().height() + 4, area.width(), 30),
               Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("Import a phone backup, exports or an address book, or try the samples"));
}

void TMBForm::ReportError(const QString& text) {
    if (!ShownOnce) {
        StartErrors << text;
        return;
    }
    Dlg.ShowError(text);
}

void TMBForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (ShownOnce) return;
    ShownOnce = true;
    // Once the window is on screen, so that the boxes appear over it.
    QTimer::singleShot(0, this, [this] {
        const QStringList errors = std::exchange(StartErrors, {});
        for (const QString& text : errors) Dlg.ShowError(text);
    });
    // Then the files named on the command line (StartFiles.cpp).
    ScheduleStartFiles();
}

void TMBForm::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

void TMBForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Safely([this] { FormPaint(); });
}

bool TMBForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TopPanel && (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        FitToolBar();
    if (watched == GridPanel && event->type() == QEvent::MouseButtonRelease) {
        // A click is the primary button's; the others do nothing here.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Safely([this] { GridPanelClick(); });
            LeaveFocusOnGrid();
        }
        return true;
    }
    if (watched == GridPanel && event->type() == QEvent::Paint && S.MessageCount == 0) {
        PaintEmptyArea();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
