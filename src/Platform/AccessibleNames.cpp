// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform/AccessibleNames.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace {

QString Plain(QString caption) {
    caption.remove(QStringLiteral("&&")).remove(QLatin1Char('&'));
    return caption.trimmed();
}

QString CaptionOf(const QWidget* w) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return Plain(button->text());
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) return Plain(group->title());
    if (const auto* label = qobject_cast<const QLabel*>(w)) return Plain(label->text());
    return {};
}

}  // namespace

void NameControlsForAccess(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        // A caption names its control by itself, and follows it when it changes.
        if (!w->accessibleName().isEmpty() || !CaptionOf(w).isEmpty()) continue;
        if (!w->toolTip().isEmpty()) w->setAccessibleName(w->toolTip());
    }
}

void NameAfterLabel(QWidget* control, const QString& label) { control->setAccessibleName(Plain(label)); }
