// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's pictures, drawn at run time so that they stay sharp at any size: the
// sent and received arrows of the grid's Type column, and the tool bar pictures.
#include <QIcon>
#include <QPixmap>

// 32 x 32: a white arrow pointing right on a blue disc.
const QPixmap& SentPicture();
// 32 x 32: a white arrow pointing left on a green disc.
const QPixmap& ReceivedPicture();

enum class ToolPicture {
    NewFile,
    ImportFiles,
    OpenFile,
    SaveFile,
    Options,
    Sent,
    Received,
    All,
    ThisPerson,
    Contacts,
    Colours,
    Search,
    WebLink,
    Program,
    Conversation,
};

// The picture with its greyed variant for the disabled state (made by the style).
QIcon ToolIcon(ToolPicture picture);
