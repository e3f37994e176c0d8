// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The small "About" window: the program's title, its version and a Close button.
#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    TAboutBox(QWidget* parent, const QColor& background);

    QLabel* TitleLabel = nullptr;
    QLabel* VersionLabel = nullptr;
};
