// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The blocked-contacts dialog: one check box per number of the history and the collection,
// ordered by name then number, checked when blocked (or picked in the grid), with a filter
// box. It only shows and collects the marks; the command that opens it stores them.
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "MBVars/BlockList.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class THistoryDlg : public QDialog {
    Q_OBJECT

public:
    // `entries` as BlockList gives them; the numbers in `picked` start checked too.
    THistoryDlg(std::vector<BlockListEntry> entries, const std::vector<std::string>& picked, std::int32_t defaultColor,
                QWidget* parent = nullptr);

    // Fills the list: "Name (Phone)" per entry, checked when blocked or picked.
    void FormCreate();

    int ItemCount() const;
    // Item `item` (1-based, in list order).
    QString ItemText(int item) const;
    bool IsItemShown(int item) const;
    // The item of a number.
    bool IsChecked(const std::string& phone) const;
    void SetChecked(const std::string& phone, bool checked);
    // The entries with the marks as the list holds them now.
    std::vector<BlockListEntry> Marks() const;

    QLabel* BlockInstructor = nullptr;
    QLineEdit* FilterEdit = nullptr;
    QWidget* HistoryPanel = nullptr;
    QListWidget* HistoryListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    // Shows only the items whose text holds the filter's text (any case).
    void ApplyFilter();
    int ItemOf(const std::string& phone) const;

    std::vector<BlockListEntry> Entries;
    std::vector<std::string> Picked;
    std::int32_t DefaultColor;
};
