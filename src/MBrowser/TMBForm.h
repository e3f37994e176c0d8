// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: tool bar, message grid, detail line, menus, start-up and shut-down.
// It holds no logic of its own beyond asking, informing and refreshing: the store and the
// settings record belong to main(), the answers to the user come through Dialogs.
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Formats/MediaFolder.h"
#include "Lang/LocaleInfo.h"
#include "MBVars/Defaults.h"
#include "MBVars/ImportFile.h"
#include "MBVars/StartReading.h"
#include "MBVars/SettingsFile.h"
#include "MBVars/Store.h"
#include "OFuncs/AtomicFile.h"
#include "OFuncs/IoError.h"
#include "MBrowser/YearFilesWritten.h"
#include "Platform/Dialogs.h"

class QAction;
class QComboBox;
class DetailLineEdit;
class QLineEdit;
class QMenu;
class QPrinter;
class QToolButton;
class MessageGrid;
class MessageGridModel;
class TActivityChart;
class BackupSelection;
class BackupYearSplit;
class TConversation;
class QSplitter;

// Where the program looks for its folders; tests point DocumentsDir at a temporary folder.
struct FormEnvironment {
    QString DocumentsDir;  // empty when the desktop reports none
    QString ProgramDir;    // folder of the executable, no trailing separator
    QRect AvailableArea{}; // the desktop area the window must fit in; empty: the screen's
    // Files named on the command line: a data file opened instead of the last saved one,
    // and exports imported once the window is up.
    QString StartDataFile{};
    QStringList StartExports{};
    static FormEnvironment FromSystem();
};

inline constexpr int VersionMajor = 1, VersionMinor = 1;
inline constexpr const char* ProgramTitle = "Kestro";
inline constexpr int MinFormWidth = 768, MinFormHeight = 256;
// The window's size when the settings give none.
inline constexpr int DesignedWidth = 1067, DesignedHeight = 635;

class TMBForm : public QMainWindow {
    Q_OBJECT

public:
    // Builds the controls and runs FormCreate.
    TMBForm(MsgStore& store, Settings& settings, Dialogs& dialogs, FormEnvironment environment,
            QWidget* parent = nullptr);
    ~TMBForm() override;

    // --- Program-wide state -----------------------------------------------------------
    MsgStore& S;
    Settings& Set;
    DefaultsType& D;  // Set.Defaults
    Dialogs& Dlg;
    std::string DocumentsDir;
    std::string ProgramDir;
    std::string CurrentFile;
    // The media of the collection's MMS, in the folder beside its data file (MediaFolder.h);
    // a collection without a name keeps them beside the untitled data file.
    MediaIndex Media;
    MediaIndex MediaBeforeImport;  // what Cancel of an import gives back
    // The media folder of the data file `path` (of the untitled one when empty).
    std::string MediaFolderFor(const std::string& path) const;
    // Switches the media to those of the data file `path` (read from its folder when `load`).
    void SwitchMedia(const std::string& path, bool load);
    // The data file as it was on disk when it was last opened or saved here, so that a save
    // does not silently replace what another program (or another Kestro) wrote since.
    std::string StampedFile;
    FileStamp StampedOnDisk;
    void RememberFileOnDisk(const std::string& path);
    // True when `path` may be replaced: it is not the stamped file, it is as stamped, or the
    // user says to replace it anyway.
    bool MayReplaceChangedFile(const std::string& path);
    std::int32_t CurrentMessage = 0;
    std::string SearchText;
    bool ScreenScrambled = false;
    // Seeded from the clock at start: automatic contact colours and the sample files.
    std::mt19937 Random;
    void ReseedRandom();  // from the clock again
    // Day and month names and date formats of the user's locale, for the date-time formats.
    LocaleInfo Locale;

    // --- Start-up and shut-down (TMBForm.cpp) ---------------------------------------------
    // Before the controls are built: the folders, the settings file, and the reading of the
    // history and of the collection to reopen begun on a thread of its own, so that it runs
    // while the window is built.
    void PrepareStart();
    void FormCreate();
    void FormPaint();   // the layout pass
    // The layout pass, which ends with the refresh: one refresh and one paint. The refresh
    // alone where the pass would not run (before the window is made, or within a pass).
    void LayOutAndRefresh();
    bool FormClose();   // true when the window may close
    void ExitMainMenuClick();
    void GridPanelClick();  // the welcome question
    QString Caption() const;
    std::string HistoryPath() const;  // DefaultDir + "/" + "Kestro.hst"

    // --- Settings file (FormSettings.cpp) ---------------------------------------------
    std::string SettingsPath() const;  // DefaultDir + "/" + "Kestro.cfg"
    void ReadSettings();   // the file (before the controls exist)
    void ApplySettings();  // the window's size and the grid's font, once they exist
    WindowSize SizeRead{};  // from the settings file, for ApplySettings
    // The desktop area the window is fitted into and centred in at start.
    QRect AvailableArea() const;
    void WriteSettings();
    // Hands HintWait, HintHideWait and HintColor to the application's tooltips.
    void ApplyHintSettings();
    // The tooltip colour alone (every layout pass).
    void ApplyHintColor();
    // The grid takes DefaultFont; row height follows it.
    void UpdateMessageGrid();

    // --- Help and About (HelpCommands.cpp) -----------------------------------------------
    void GetStartedMainMenuClick();
    void KestroMainMenuClick();
    void AboutMainMenuClick();
    // Hands `url` to the desktop (help, home page, a message's link); an error box naming
    // `shown` when nothing could open it.
    void OpenOnDesktop(const QString& url, const QString& shown);

    // --- Import (ImportCommands.cpp) -------------------------------------------------------
    void ImportMainMenuClick();
    // ImportFile with the errors a user must see: a file too large for any export is
    // reported (and not imported), running out of memory ends the command; both name it.
    // `result`: the file's word for the report (" - Successful", or a damaged backup's line);
    // `notes`: the report's lines under it (the year files a backup went to); `dropped`: an
    // export's lines a full collection could not take; `notTaken` gets every message the
    // file left out, by reason.
    // ECANCELED when the user cancelled reading a backup. A backup written by year instead
    // is counted in `aside`.
    int ImportOneFile(const QString& path, QString& result, QString& notes, std::int32_t& dropped,
                      struct ImportNotTaken& notTaken, YearFilesWritten& aside);
    // A phone backup (XML, or an iPhone's messages) read by `read` with progress and Cancel
    // (ECANCELED); `backup` as ImportFile's report has it. One that does not fit is asked
    // about (AskWhenBackupDoesNotFit).
    // Its media go through `media` into the collection's media folder.
    int TakeBackupWithProgress(const QString& path, const BackupRead& read, SmsBackupReport& backup, YearFilesWritten& aside,
                               class MediaWriter* media);
    // Cancel of an import: the collection as it was before the command; the year files
    // written before it are named.
    void CancelImport(const MsgStore& before, const YearFilesWritten& aside = {});
    // An import that failed on the way: the collection as it was before the command.
    void RestoreAfterFailedImport(const MsgStore& before);
    void ImportFolderMainMenuClick();
    // --- Merge (MergeCommands.cpp) ----------------------------------------------------------
    void MergeBackupsMainMenuClick();
    // Add files after its dialog: imports the chosen files, reports those that imported.
    void ImportChosenFiles(const QStringList& files);
    // Appends every entry of `folder` matching "*." + extension to `list` (name + CR LF
    // each); returns how many.
    int ReadFilesFromFolder(const QString& folder, QString& list, const QString& extension);
    // Appends every sub-folder of `folder` that is an iPhone backup to `list`; returns how many.
    int ReadBackupFolders(const QString& folder, QString& list);
    // Imports every item of a CR LF separated list, then runs the finishing sequence.
    void ReadSelectedFiles(const QString& list);
    // After the last file: sorts and fits the collection, reports, offers contact colours.
    // countBefore (the messages before the first file, -1 when not known) and dropped (the
    // message lines the full collection could not take): when lines were dropped the report
    // accounts for every message, so that its figures add up.
    // With year files written, the report offers to open the newest; when every file went to
    // year files, the collection is left as it was. `notTaken`: what the files left out; the
    // report gives it with what the finishing left out, one line per reason.
    void FinishImporting(int importCount, const QString& report, std::int32_t countBefore = -1,
                         std::int32_t dropped = 0, const YearFilesWritten& aside = {},
                         const struct ImportNotTaken* notTaken = nullptr);

    // --- A phone backup larger than the room left (BackupDoesNotFit.cpp) -----------------
    enum class BackupChoice { KeepNewest, ByYear, Cancel };
    // Asks whether to keep the newest that fit, write one data file per year into a folder
    // the user picks (then written here, and the collection takes nothing of the backup),
    // or cancel.
    // The backup by year, read when first asked for (with progress); nothing when that
    // reading was cancelled or failed (said).
    using YearSplitOnDemand = std::function<BackupYearSplit*()>;
    BackupChoice AskWhenBackupDoesNotFit(const QString& path, const BackupSelection& selection,
                                         const YearSplitOnDemand& years, YearFilesWritten& aside);
    // Writes the years into `folder`, asking once before replacing files there; false when
    // that question, or the reading of the years, was cancelled (nothing written).
    bool WriteBackupYears(const QString& folder, const YearSplitOnDemand& years, YearFilesWritten& aside);
    // Shows `report`; with a year file written, asks instead whether to open the newest, and
    // opens it as File > Open would. True when it was opened.
    bool ReportAndOfferYearFile(const QString& report, const YearFilesWritten& aside);

    // --- Document commands (DocumentCommands.cpp) ------------------------------------------
    void NewMainMenuClick();
    void OpenMainMenuClick();
    void SaveMainMenuClick();
    void SaveAsMainMenuClick();
    // Open after its dialog: reads the file as the collection, or says why it cannot.
    void OpenDataFile(const std::string& path);
    // Asks whether to save a modified collection; No without asking when unmodified.
    // Yes whose saving was cancelled or failed counts as Cancel: nothing is lost.
    SaveAnswer AskToSave();
    // The same, telling such a Yes apart from the user's Cancel.
    SaveAnswer AskToSave(bool& yesButNotSaved);
    // New's second half: an empty, untitled collection.
    void StartUntitled();
    // Save as: false when the dialog was cancelled or the file could not be written.
    bool SaveCollectionAs();
    // Writes the collection (plain texts) to `path`; false, after an error box naming the
    // file and the reason, when it could not be written.
    bool SaveCollection(const std::string& path);
    std::string UntitledPath() const;  // DocumentsDir + "/Kestro/untitled.kst"
    // Makes the texts in the store plain again when they are scrambled on screen.
    void EndScreenScrambling();

    // --- Export and print (ExportCommands.cpp) ---------------------------------------------
    void ExportMainMenuClick();
    void PrintMainMenuClick();
    void PrintPreviewMainMenuClick();
    // The store positions the grid shows, in its order: the selected rows when more than one
    // is selected (`selection` then true), else the whole view.
    std::vector<std::int32_t> ExportedRows(bool& selection) const;
    // What is exported in words, e.g. "Messages with Ada Ashgrove".
    std::string ExportedTitle(bool selection) const;
    // Asks for the file and writes `rows` (store positions, in order) to it as CSV, HTML or
    // PDF under `title`.
    void ExportMessages(const std::vector<std::int32_t>& rows, const std::string& title);
    // What Print and Print preview put on paper: the pages of the PDF export.
    void PaintExportedPages(QPrinter& printer);

    // --- Contact colours (ColourCommands.cpp) ----------------------------------------------
    // Edits one colour (0x00BBGGRR, 0 = none) in the colour chooser: true, with the choice
    // in `color`, when the user confirmed with OK; `color` stays as it was otherwise.
    bool ColorSelect(QWidget* owner, bool clearVisible, const QString& prompt, std::int32_t& color);
    void ColorThisContactClick();
    void ColorsAutomaticClick();
    void RemoveAllColourMainMenuClick();
    void OneColorMainMenuClick(int tag);  // tag: the colour mode 0, 1 or 2
    void ReColorSBClick();                 // pops up the colour menu below the Colours button
    // The colour through which the colour chooser hands its result (0x00BBGGRR, 0 = none).
    std::int32_t SelectedColor = 0;

    // --- Options (OptionsCommands.cpp) -------------------------------------------------------
    void OptionsMainMenuClick();

    // --- Sorting, search, scrambling and copy (BrowsingCommands.cpp and beside it) --------
    // A mouse button released over grid cell (column, row); row 0 is the header row and
    // column 0 the number column. A header click sorts by its column (HeaderSorting.cpp).
    void MessageViewMouseUp(int column, int row);
    // Live search, every change of the search box (SearchCommands.cpp).
    void SearchEditChange();
    void WebPagesMenuClick();
    void EmailsMenuClick();
    // Empties the search box without searching: a filter of the search menu replaces it.
    void ClearSearchBox();
    // Scrambles the texts on screen, or turns them back (Scrambling.cpp).
    void CryptMainMenuClick();
    // The selected cells as tab-separated lines onto the clipboard (ClipboardCopy.cpp).
    void CopyToClipMenuClick();
    // What the copy puts on the clipboard: per selected row its fields, each ended by a
    // tab, then CR LF; no line ends with a tab.
    QString SelectedCellsText() const;
    // The grid's one tooltip (GridTooltips.cpp): a fixed text, set on the grid's widgets,
    // or the hint of a message's cell, made only when the tooltip is asked for (it may scan
    // the whole store, and every refresh sets it again).
    QString GridHint;                  // the fixed text
    std::int32_t GridHintMessage = 0;  // > 0: the hint of this message's cell ...
    int GridHintColumn = 0;            // ... in this column
    void SetGridHint(const QString& hint);
    void SetGridHintToCell(std::int32_t n, int column);
    // The tooltip as built (line breaks as CR LF).
    QString GridHintText() const;
    // Shows a cell's hint over the grid's cells, headers and count cell when asked for.
    void WatchGridTooltips();
    std::vector<QWidget*> GridTooltipWidgets() const;
    // The tooltip of a click on `column` of message n.
    QString CellHint(std::int32_t n, int column) const;
    // A date-time value as "dddd, ddddd t" in the user's locale.
    QString LongDateText(double dateTime) const;
    // Gives every control a name for screen readers: its caption, else its tooltip.
    void NameControlsForScreenReaders();

    // --- Editing, blocking and the activity figures (EditingCommands.cpp and beside it) --
    void DeleteMenuClick();
    void SelectAllMainMenuClick();
    void RenameSBClick();
    void DeleteThisClick();
    void RemoveDupsMainMenuClick();
    void RemoveHistoryMainMenuClick();
    void ContactSBClick();  // the contact menu, below the Contacts button
    // BlockingCommands.cpp
    void BlockThisMainMenuClick();
    // Writes the history as it stands so that changed blocked marks last; false, after an
    // error box naming the file and the reason, when it cannot be written.
    bool KeepHistory();
    // After a history write that kept an unreadable old file aside: says so, once.
    void TellHistoryKeptAside();
    // StatisticsCommands.cpp
    void SummaryMenuClick();
    void ContactsActivityClick();
    // Opens the activity chart window, or brings it forward, on the contact view's contact.
    void ActivityChartClick();
    QPointer<TActivityChart> ActivityChart;  // while the window is open
    // First and last grid row (1-based) of the selection; the current row alone when no
    // range is selected.
    std::pair<int, int> SelectedRowSpan() const;

    // --- The conversation pane beside the grid (ConversationCommands.cpp) --------------
    // The splitter holding the grid area and the pane, with the pane's tool bar button.
    QSplitter* CreateConversationPane();
    void ConnectConversation();
    void ConversationMainMenuClick();  // shows or hides the pane
    // The pane follows the current message; `stale`: the messages may have changed.
    void FollowInConversation(bool stale = false);
    // A bubble was chosen: its message becomes current in the grid when the view shows it.
    void ConversationMessageChosen(std::int32_t n);
    // The contact view's export, of the pane's messages.
    void ExportConversationClick();
    // Pane shown and its width, from the settings file read (SizeRead) and for writing.
    void ApplyConversationSettings();
    void KeepConversationSettings(WindowSize& size) const;
    QSplitter* GridSplitter = nullptr;
    TConversation* Conversation = nullptr;
    QToolButton* ConversationSB = nullptr;
    QAction* ConversationMainMenu = nullptr;

    // --- Sample files (SampleCommands.cpp) ------------------------------------------------
    void CreateSampleFilesClick();

    // --- Files from the command line and dropped on the window (StartFiles.cpp, DropCommands.cpp)
    // Queues OpenStartFiles, once, when the command line named files.
    void ScheduleStartFiles();
    // Opens the data file as Open does, then imports the exports as Add folder imports its
    // list.
    void OpenStartFiles(const QString& dataFile, const QStringList& exports);
    // Lets files be dropped anywhere on the window, the text boxes included.
    void AcceptFileDrops();
    // A dropped data file: asks to save, then opens it as Open does.
    void OpenDroppedDataFile(const QString& path);

    // --- View modes (ViewModes.cpp) ---------------------------------------------------------
    void DispSentSBClick();
    void DispReceivedSBClick();
    void DispAllSBClick();
    void ThisPersonSBClick();
    void ThisPersonMainMenuClick();
    // chosenEntry: the index of the list entry just chosen, or -1 when the text was typed.
    void NameBoxChange(int chosenEntry);
    // Lists the contacts' names in the name box (stored names in the entries' data).
    void FillNameBox();
    std::vector<std::string> NameBoxNames;  // the stored names the name box lists
    // Marks the messages matching `text` (mode 3 name, 4 phone, 5 text) and shows them.
    void FetchStr(int mode, const std::string& text);
    // The contact view's filter: by name, or by phone number for a contact without a name.
    int ContactFetchMode = 3;
    void UpdateMessageView();
    void UpdateMenus();
    // The contact view's button comes up and the name box goes.
    void EndContactView();
    // For a command that shows every message newest first (import, Open, New): the contact
    // view ends, the search box is emptied, the view is "All messages" and the Time header
    // marks the order, so that the buttons, the View menu and the header say what is shown.
    void ShowEverythingNewestFirst();

    // --- Current row and detail line (DetailLine.cpp) --------------------------------------
    void MessageViewClick();
    // Hands the link on the link button to the desktop.
    void WebSBClick();
    QString CurrentLink;  // the link WebSB offers ("mailto:" + address for an address)
    int CurrentRow() const;  // 1-based grid row (row 0 is the header); 1 when none
    void SetCurrentRow(int row);
    int CurrentColumn() const;  // grid column 1..6
    // The detail line's text as shown.
    void SetDetailLine(const QString& text);
    QString DetailLine() const;
    // The detail line lost the focus (or is about to show another message): a text the
    // user changed is stored into the message it shows, and Modified is set.
    void MessageLabelExit();
    // The message the detail line shows, to find it again after the store changed order.
    std::int32_t DetailMessage = 0;
    std::uint16_t DetailSerial = 0;
    std::string DetailStored;  // its stored text when shown
    // Runs MessageLabelExit whenever the detail line loses the focus.
    void WatchDetailLine();
    // The last edit stored from the detail line, which Edit > Undo takes back until the
    // next command runs (DetailLineUndo.cpp).
    struct StoredEdit {
        std::uint16_t Serial = 0;
        std::string Before, After;
        bool WasModified = false;
    };
    std::optional<StoredEdit> LastEdit;
    void UndoMainMenuClick();
    void ForgetLastEdit();
    // After a command: the keyboard focus goes to the grid when it was left in the detail
    // line or on a control that is gone, so that no key meant for the grid edits a message.
    void LeaveFocusOnGrid();
    // After a command that changed which messages the rows show: no range stays selected
    // (it would cover other messages now); `row` becomes the current row, clamped.
    void KeepOneRow(int row);

    // Runs a handler; an input/output error or any other failure it throws is shown in an
    // error box (naming the file when the error knows it) and ends only that command.
    template <class Handler>
    void Safely(Handler&& handler) {
        try {
            handler();
        } catch (const IoError& e) {
            ReportError(QString::fromStdString(e.Text()));
        } catch (const std::bad_alloc&) {
            ReportError(QString::fromStdString(FileErrorReason(OutOfMemoryCode)));
        } catch (const std::exception& e) {
            ReportError(QString::fromUtf8(e.what()));
        }
    }
    // Shows an error box; during start-up the errors wait until the window is on screen,
    // and then appear over it, in the order they happened.
    void ReportError(const QString& text);
    QStringList StartErrors;

    // --- Controls ---------------------------------------------------------------------------
    QWidget* TopPanel = nullptr;
    QToolButton* NewFileSB = nullptr;
    QToolButton* ImportFilesSB = nullptr;
    QToolButton* OpenFileSB = nullptr;
    QToolButton* SaveFileSB = nullptr;
    QToolButton* OptionsSB = nullptr;
    QToolButton* DispSentSB = nullptr;
    QToolButton* DispReceivedSB = nullptr;
    QToolButton* DispAllSB = nullptr;
    QToolButton* ThisPersonSB = nullptr;
    QComboBox* NameBox = nullptr;

    QWidget* SearchPanel = nullptr;
    QToolButton* ContactSB = nullptr;
    QToolButton* ContactMenuSB = nullptr;
    QToolButton* ReColorSB = nullptr;
    QToolButton* ColourMenuSB = nullptr;
    QToolButton* SearchSB = nullptr;
    QLineEdit* SearchEdit = nullptr;
    QToolButton* ClearSearchSB = nullptr;

    QWidget* GridPanel = nullptr;
    MessageGrid* MessageView = nullptr;
    MessageGridModel* MessageModel = nullptr;

    QWidget* BottomPanel = nullptr;
    DetailLineEdit* MessageLabel = nullptr;
    QToolButton* WebSB = nullptr;

    // Main menu.
    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* ToolsMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* NewMainMenu = nullptr;
    QAction* OpenMainMenu = nullptr;
    QAction* SaveMainMenu = nullptr;
    QAction* SaveAsMainMenu = nullptr;
    QAction* ExportMainMenu = nullptr;
    QAction* PrintMainMenu = nullptr;
    QAction* PrintPreviewMainMenu = nullptr;
    QAction* ImportMainMenu = nullptr;
    QAction* ImportFolderMainMenu = nullptr;
    QAction* MergeBackupsMainMenu = nullptr;
    QAction* CreateSampleMainMenu = nullptr;
    QAction* ExitMainMenu = nullptr;
    QAction* UndoMainMenu = nullptr;
    QAction* CopyMainMenu = nullptr;
    QAction* DeleteMainMenu = nullptr;
    QAction* SelectAllMainMenu = nullptr;
    QAction* RenameMainMenu = nullptr;
    QAction* RemoveContactMainMenu = nullptr;
    QAction* BlockMainMenu = nullptr;
    QAction* SentMainMenu = nullptr;
    QAction* ReceivedMainMenu = nullptr;
    QAction* AllMainMenu = nullptr;
    QAction* ThisPersonMainMenu = nullptr;
    QAction* SummaryMainMenu = nullptr;
    QAction* StatisticsMainMenu = nullptr;
    QAction* ActivityChartMainMenu = nullptr;
    QAction* CryptMainMenu = nullptr;
    QAction* RemoveHistoryMainMenu = nullptr;
    QAction* RemoveDupsMainMenu = nullptr;
    QAction* OptionsMainMenu = nullptr;
    QAction* KestroMainMenu = nullptr;
    QAction* GetStartedMainMenu = nullptr;
    QAction* AboutMainMenu = nullptr;

    // Pop-up menus.
    QMenu* PopupMenuMsgGrid = nullptr;
    QAction* CopyMenu = nullptr;
    QAction* RenameMenu = nullptr;
    QAction* ColourMenu = nullptr;
    QAction* DeleteMenu = nullptr;
    QAction* SummaryMenu = nullptr;
    QAction* StatisticsMenu = nullptr;
    QAction* OptionsMenu = nullptr;
    QMenu* PopupMenuSearch = nullptr;
    QAction* WebPagesMenu = nullptr;
    QAction* EmailsMenu = nullptr;
    QAction* ShowAllMenu = nullptr;
    QMenu* PopupMenuColor = nullptr;
    QAction* SelectColorMenu = nullptr;
    QAction* ColorsAutomaticMenu = nullptr;
    QAction* ClearColorsMenu = nullptr;
    QAction* DefaultColorMenu = nullptr;      // tag 0
    QAction* SentReceivedColorMenu = nullptr; // tag 1
    QAction* ContactColorsMenu = nullptr;     // tag 2
    QMenu* PopupMenuContact = nullptr;
    QAction* RenameContactMenu = nullptr;
    QAction* RemoveContactMenu = nullptr;
    QAction* BlockContactMenu = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Dropped exports import as Add files does, one dropped data file opens as Open does
    // (DropCommands.cpp); anything else is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Control and menu construction (FormControls.cpp, FormMenus.cpp).
    void BuildControls();
    void CreateToolBar();
    void CreateSearchBar();
    void CreateGridArea();
    void CreateBottomBar();
    void CreateMainMenu();
    void CreatePopupMenus();
    // Keeps the tool bar's controls apart in a narrow window: captions give way first.
    void FitToolBar();
    void FitConversationButton();  // the tool bar's conversation button, while there is room
    void ConnectCommands();
    // Wires a signal to a handler that runs under the general error handler.
    template <class Sender, class Signal>
    void Wire(Sender* sender, Signal signal, void (TMBForm::*handler)()) {
        connect(sender, signal, this, [this, handler] {
            if (handler != &TMBForm::UndoMainMenuClick) ForgetLastEdit();
            Safely([this, handler] { (this->*handler)(); });
            LeaveFocusOnGrid();
        });
    }
    // A tool button that opens `menu` directly below itself.
    void PopupBelow(QToolButton* button, QMenu* menu);
    // Wiring of each concern, beside its handlers.
    void ConnectBrowsingCommands();
    void ConnectEditingCommands();
    void ConnectColourCommands();
    void ConnectOptionsCommands();

    // Puts one button of the sticky view group down and releases the others.
    void PressViewButton(QToolButton* button);
    // Column widths of the layout pass; also after the grid's viewport changed size.
    void FitGridColumns();
    // The width of the widest phone number of the collection in the grid's font, in pixels.
    int WidestPhoneWidth() const;
    // The user dragged a column border: the column keeps its new width, Message the rest.
    void GridColumnResized(int column, int width);
    // The start's reading, begun by PrepareStart and taken by FormCreate, and what it tells.
    std::future<StartRead> Starting;
    void TellHistoryRead(const StartRead& read);
    void TellLastSavedFileReopened(const StartRead& read);
    void PaintEmptyArea();

    FormEnvironment Environment;
    bool InLayoutPass = false;
    bool FittingColumns = false;
    bool Created = false;
    bool ShownOnce = false;  // start-up errors wait for it
};
