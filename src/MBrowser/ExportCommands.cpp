// SPDX-License-Identifier: GPL-3.0-or-later
// Export, Print and Print preview: what the grid shows (the view in its order, or the
// selected rows when more than one is selected) as a spreadsheet, a web page, a PDF
// document, or on paper.
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QProgressDialog>
#include <QToolButton>
#include <filesystem>

#include "Formats/CsvExport.h"
#include "Formats/ExportScope.h"
#include "Formats/HtmlExport.h"
#include "Formats/MessageMedia.h"
#include "Formats/WebPageFiles.h"
#include "MBVars/Ordering.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/MessageGridModel.h"
#include "Pages/MessagePages.h"
#include "MBrowser/TMBForm.h"
#include "OFuncs/DisplayText.h"
#include "OFuncs/IoError.h"

namespace fs = std::filesystem;

namespace {
const QString ExportFilter =
    QStringLiteral("CSV file (*.csv);;Web page (*.html);;PDF document (*.pdf)");

// Progress with Cancel for a long export or print; shown only once it has taken a while.
class ExportProgress {
public:
    ExportProgress(QWidget* owner, const QString& text) : dialog_(text, CancelCaption, 0, 1000, owner) {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
        dialog_.setAccessibleName(text);
    }
    PageProgress Callback() {
        return [this](std::int64_t done, std::int64_t total) {
            dialog_.setValue(static_cast<int>(done * 1000 / std::max<std::int64_t>(total, 1)));
            return !dialog_.wasCanceled();
        };
    }

private:
    QProgressDialog dialog_;
};
}  // namespace

std::vector<std::int32_t> TMBForm::ExportedRows(bool& selection) const {
    const auto count = static_cast<std::size_t>(std::max(S.ViewCount, 0));
    std::vector<bool> chosen(count, false);
    std::size_t chosenCount = 0;
    for (const QItemSelectionRange& range : MessageView->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom() && r < static_cast<int>(count); ++r)
            if (!chosen[static_cast<std::size_t>(r)]) {
                chosen[static_cast<std::size_t>(r)] = true;
                ++chosenCount;
            }
    selection = chosenCount > 1;
    std::vector<std::int32_t> rows;
    rows.reserve(selection ? chosenCount : count);
    for (std::size_t r = 0; r < count; ++r)
        if (!selection || chosen[r]) rows.push_back(S.ViewIndex[r + 1]);
    return rows;
}

std::string TMBForm::ExportedTitle(bool selection) const {
    ExportScope scope;
    scope.Selection = selection;
    if (S.ViewMask == ViewFound) {
        if (ThisPersonSB->isChecked())
            scope.Contact = DisplayUtf8(SearchText);
        else
            scope.Search = DisplayUtf8(SearchText);
    } else {
        scope.Directions = S.ViewMask == ViewSent ? ViewSent : S.ViewMask == ViewReceived ? ViewReceived : ViewAll;
    }
    return ExportTitle(scope);
}

void TMBForm::ExportMainMenuClick() {
    bool selection = false;
    const std::vector<std::int32_t> rows = ExportedRows(selection);
    ExportMessages(rows, ExportedTitle(selection));
}

void TMBForm::ExportMessages(const std::vector<std::int32_t>& rows, const std::string& title) {
    if (rows.empty()) return;
    const fs::path current(CurrentFile);
    const std::string folder = CurrentFile.empty() ? DocumentsDir : current.parent_path().string();
    const std::string name = (CurrentFile.empty() ? std::string("messages") : current.stem().string()) + ".csv";
    const QString chosen = Dlg.SaveFile({QStringLiteral("Export"), QString::fromStdString(folder),
                                         QString::fromStdString(name), ExportFilter, QStringLiteral("csv")});
    if (chosen.isEmpty()) return;
    const std::string path = chosen.toStdString();
    const std::optional<ExportFormat> format = ExportFormatOfPath(path);
    if (!format) {
        Dlg.ShowError(QString::fromStdString(
            FileErrorText("export", path, "Not a type Kestro exports: choose a name ending in .csv, .html or .pdf")));
        return;
    }
    const ExportLook look = ExportLook::FromSettings(D, title, current.filename().string());
    const MessageMedia media = MediaOfMessages();
    std::string bytes;
    if (*format == ExportFormat::Csv) bytes = CsvExport(S, rows);
    if (*format == ExportFormat::Pdf) {
        ExportProgress progress(this, QStringLiteral("Exporting..."));
        const QByteArray pdf = PdfExport(S, rows, look, QLocale::system(), progress.Callback(), &media);
        if (pdf.isEmpty()) return;  // cancelled: nothing written
        bytes.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
    }
    try {
        if (*format == ExportFormat::Html)
            WriteWebPage(path, S, rows, look, &media);  // with the files of its pictures beside it
        else
            WriteExportFile(path, bytes);
    } catch (const IoError& e) {
        Dlg.ShowError(QString::fromStdString(FileErrorText("export", path, e.what())));
    }
}

void TMBForm::PaintExportedPages(QPrinter& printer) {
    bool selection = false;
    const std::vector<std::int32_t> rows = ExportedRows(selection);
    const ExportLook look = ExportLook::FromSettings(D, ExportedTitle(selection), fs::path(CurrentFile).filename().string());
    ExportProgress progress(this, QStringLiteral("Printing..."));
    const MessageMedia media = MediaOfMessages();
    PaintMessagePages(printer, S, rows, look, progress.Callback(), nullptr, &media);
}

MessageMedia TMBForm::MediaOfMessages() const {
    return {&Media, [this] { return ScreenScrambled ? TextMask : std::uint8_t{0}; }};
}

namespace {
// The printer set to the locale's paper and named after what is printed; false when the
// view is empty.
bool PreparePrinter(const TMBForm& form, QPrinter& printer) {
    if (form.S.ViewCount < 1) return false;
    bool selection = false;
    form.ExportedRows(selection);
    SetUpPages(printer, QLocale::system());
    printer.setDocName(QString::fromStdString(form.ExportedTitle(selection)));
    return true;
}
}  // namespace

void TMBForm::PrintMainMenuClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (PreparePrinter(*this, printer) && Dlg.ChoosePrinter(printer)) PaintExportedPages(printer);
}

void TMBForm::PrintPreviewMainMenuClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (PreparePrinter(*this, printer)) Dlg.PreviewPrint(printer, [this](QPrinter& p) { PaintExportedPages(p); });
}
