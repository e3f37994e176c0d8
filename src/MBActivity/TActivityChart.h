// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The activity chart: a window of its own beside the main window with stacked bars of
// sent and received messages per month, weekday or hour, for all contacts or one, the
// same figures as a table for screen readers, and the chart saved as a picture.
#include <QStringList>
#include <QWidget>
#include <vector>

#include "Lang/LocaleInfo.h"
#include "MBVars/ActivityCounts.h"
#include "MBVars/Defaults.h"
#include "MBVars/Store.h"

class Dialogs;
class QCategoryAxis;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;
class QValueAxis;

class TActivityChart : public QWidget {
    Q_OBJECT

public:
    // Opens on `contact` (all contacts when it is not listed). The store, the settings and
    // the dialogs belong to the main window, which calls Refresh when any of them changed.
    TActivityChart(const MsgStore& store, const DefaultsType& defaults, const LocaleInfo& locale, Dialogs& dialogs,
                   const ActivityContact& contact, QWidget* parent = nullptr);

    // Reads the contacts and the figures again; the chart is drawn anew only when they or
    // the sent and received colours differ from what it shows.
    void Refresh();
    // Chooses a contact (all when it is not listed) or a period, and draws its figures.
    void ShowContact(const ActivityContact& contact);
    void ShowPeriod(ActivityPeriod period);
    ActivityContact CurrentContact() const;
    ActivityPeriod CurrentPeriod() const;

    // The labels under the bars, left to right: every period that the plot's width has
    // room for (every Nth month, the year at each January).
    QStringList AxisLabels() const;

    // The figures table as lines "period<TAB>sent<TAB>received" under that header line.
    QString FiguresText() const;
    // What hovering bar `row` shows: its period and figures.
    QString HoverText(int row) const;
    // Writes the chart to `path`, SVG when the name ends in ".svg", else PNG; an error box
    // names the file and the reason when it cannot be written.
    bool SaveImage(const QString& path);
    // Asks where to save the picture, in ImageFolder, proposing ImageFileName().
    void SaveImageClick();
    // "activity-all-contacts-by-month.png": the contact and the period shown.
    QString ImageFileName() const;

    QString ImageFolder;  // where Save image starts: the main window's folder for files

    QComboBox* PeriodBox = nullptr;
    QComboBox* ContactBox = nullptr;
    QCheckBox* FiguresCheck = nullptr;
    QChart* Chart = nullptr;
    QChartView* ChartView = nullptr;
    QTableWidget* FiguresTable = nullptr;
    QPushButton* SaveImageBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

private:
    void FillContactBox(std::vector<ActivityContact> contacts);
    // Counts the chosen contact's messages per chosen period and draws them when they
    // differ from what is shown.
    void Recount();
    void Draw();
    QString PeriodLabel(const PeriodCount& row, std::size_t index) const;
    // The axis's label of period `index`, and whether it has one at `step` periods apart.
    // A month's label is its short name, or its year at January; `withYear` adds the year
    // to another month (the first label, so that the axis always names a year).
    QString AxisLabel(std::size_t index, bool withYear = false) const;
    bool Labelled(std::size_t index, int step) const;
    // Labels the axis with the periods that fit the plot's width.
    void FitPeriodLabels();

    const MsgStore& S;
    const DefaultsType& D;
    const LocaleInfo& Locale;
    Dialogs& Dlg;
    std::vector<ActivityContact> Contacts;  // entry i + 1 of the contact box; entry 0 is all
    ActivityCounts Shown;
    ActivityPeriod ShownPeriod = ActivityPeriod::Month;
    std::int32_t ShownSentColor = -1, ShownReceivedColor = -1;
    QCategoryAxis* PeriodAxis = nullptr;
    int LabelStep = 0;  // the periods between two labels of the axis
    bool FittingLabels = false;
    QValueAxis* CountAxis = nullptr;
};
