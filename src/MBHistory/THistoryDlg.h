#pragma once
// The blocked-contacts dialog: one check box per history entry, checked when blocked.
// It only shows and collects the marks; the command that opens it stores them.
#include <QDialog>
#include <cstdint>

#include "MBVars/Store.h"

class QLabel;
class QListWidget;
class QPushButton;

class THistoryDlg : public QDialog {
    Q_OBJECT

public:
    THistoryDlg(const MsgStore& store, std::int32_t defaultColor, QWidget* parent = nullptr);

    // Fills the list from the history: "Name (Phone)" per entry, checked when blocked.
    void FormCreate();

    int ItemCount() const;
    // Item of history entry `entry` (1-based, as the table).
    bool IsChecked(std::int32_t entry) const;
    void SetChecked(std::int32_t entry, bool checked);
    QString ItemText(std::int32_t entry) const;

    QLabel* BlockInstructor = nullptr;
    QWidget* HistoryPanel = nullptr;
    QListWidget* HistoryListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    const MsgStore& S;
    std::int32_t DefaultColor;
};
