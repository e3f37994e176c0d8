// SPDX-License-Identifier: GPL-3.0-or-later
// Names for screen readers: every control is announced by its caption, or by its tooltip
// when it has no caption.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/MessageGrid.h"
#include "MBrowser/TMBForm.h"

void TMBForm::NameControlsForScreenReaders() {
    SearchEdit->setAccessibleName(QStringLiteral("Search"));
    NameBox->setAccessibleName(QStringLiteral("Contact name"));
    MessageView->setAccessibleName(QStringLiteral("Messages"));
    MessageLabel->setAccessibleName(QStringLiteral("Message text"));
    MessageLabel->setAccessibleDescription(MessageLabel->toolTip());
    if (QWidget* corner = MessageView->CornerCell()) corner->setAccessibleName(QStringLiteral("Message count"));
    // "X" is a picture of the command rather than a caption.
    ClearSearchSB->setAccessibleName(ClearSearchSB->toolTip());
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!w->accessibleName().isEmpty()) continue;
        // The link button is announced by its caption, the link, which changes.
        if (w == WebSB) continue;
        QString name;
        if (const auto* button = qobject_cast<QAbstractButton*>(w)) name = button->text().remove(QLatin1Char('&'));
        if (name.isEmpty()) name = w->toolTip();
        if (!name.isEmpty()) w->setAccessibleName(name);
    }
}
