// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Screen readers name a control by its caption; a control without one is named by its
// tooltip, a box by the label that introduces it.
class QWidget;
class QString;

// Gives every control inside `root` that has neither an accessible name nor a caption its
// tooltip as its name (a caption names its control by itself).
void NameControlsForAccess(QWidget* root);
// Names `control` after the label text that introduces it.
void NameAfterLabel(QWidget* control, const QString& label);
