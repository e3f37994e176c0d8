// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBrowser/TAboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "MBrowser/Pictures.h"
#include "MBrowser/TMBForm.h"

TAboutBox::TAboutBox(QWidget* parent, const QColor& background) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setPixmap(ToolIcon(ToolPicture::Program).pixmap(64, 64));
    TitleLabel = new QLabel(QString::fromLatin1(ProgramTitle), this);
    QFont big = TitleLabel->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    TitleLabel->setFont(big);
    VersionLabel = new QLabel(QString::asprintf("Version %d.%d", VersionMajor, VersionMinor), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(TitleLabel);
    texts->addWidget(VersionLabel);
    texts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 16);
    column->addLayout(top);
    column->addSpacing(16);
    column->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
}
