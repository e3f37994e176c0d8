// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures that came with messages, read for the conversation pane and the pages: every
// format Qt reads, and HEIC (iPhones' photos) through libheif. A picture file is outside
// bytes: its size is capped, and one that cannot be read gives a null image, never a crash.
#include <QImage>
#include <QSize>
#include <QString>

// The picture's size as shown (its orientation applied), read from its header without
// decoding it; an invalid size when it is no picture that can be read.
QSize PictureSize(const QString& path);
// The picture scaled to fit inside `box` (never enlarged), its orientation applied; a null
// image when it cannot be read.
QImage ReadScaledPicture(const QString& path, QSize box);
// `size` scaled to fit inside `box`, never enlarged, keeping its shape (at least 1 x 1).
QSize FitInside(QSize size, QSize box);
