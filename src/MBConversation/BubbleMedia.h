// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The media of a bubble, under its text: each picture in a box of one size (so that a
// bubble's height never waits for its picture to be decoded), and a tile for what is no
// picture or cannot be shown (a video, a voice message, a damaged picture) saying what it
// is. A click on a box or a tile opens the file with the desktop's program.
#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>
#include <vector>

#include "Formats/MessageMedia.h"

class QPainter;
class Thumbnails;

struct BubbleMediaLook {
    int Width = 0;          // of a picture's box and of a tile
    int PictureHeight = 0;  // of a picture's box
    int TileHeight = 0;
    int Gap = 0;            // between the text and the media, and between two media
};

// Whether an item shows as a picture (else as a tile).
bool ShownAsPicture(const MediaItem& item);
// The height the media take, the gaps included (0 without media).
int MediaHeight(const std::vector<MediaItem>& items, const BubbleMediaLook& look);
// The rectangle of each item, the first one's top at `top`.
std::vector<QRect> MediaRects(const std::vector<MediaItem>& items, int left, int top, const BubbleMediaLook& look);
// The message's text as the bubble shows it with its media: without the lines that only
// stood for them ("[image]", "[video]", ...), which the media replace.
std::string WithoutMediaWords(std::string_view shown);
// What a screen reader hears of a bubble with media: its words, then each medium's caption
// ("Look. Picture, JPEG, 42 KB. Video, 3GPP, 1.2 MB").
QString MediaSpoken(const QString& words, const std::vector<MediaItem>& items);

// Paints an item in its rectangle: the decoded picture, a placeholder until it is, or a tile.
void PaintMedium(QPainter& p, const QRect& box, const MediaItem& item, const QString& path, Thumbnails& thumbnails,
                 qreal pixelRatio, const QColor& ground, const QFont& font);
