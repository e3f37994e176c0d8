// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages as one self-contained web page: UTF-8, its styles inside, no scripts and
// nothing fetched from elsewhere, made to read on screen and to print. A title, then a
// table of the same five columns as the spreadsheet export, sent and received messages
// told apart as the grid tells them.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "MBVars/Defaults.h"
#include "Formats/ExportFields.h"

struct ExportLook {
    std::string Title;   // what was exported, e.g. "Messages with Ada Ashgrove"
    std::string Source;  // the collection's file name, shown under the title
    // The grid's colours (0x00BBGGRR) and row styles (0 regular, 1 italic, 2 bold, 3 both);
    // without settings, the standard sent and received colours.
    std::uint8_t ColorMode = 1;  // 0 default colour, 1 sent/received, 2 contact colours
    std::int32_t DefaultColor = 0xFFFFFF, SentColor = 0xF0CAA6, ReceivedColor = 0xC0DCC0;
    std::int32_t HeaderColor = 0xE0E0E0;
    std::uint8_t SentFont = 0, ReceivedFont = 0;

    // The colours and styles of the current settings.
    static ExportLook FromSettings(const DefaultsType& D, std::string title, std::string source);
    // The background a message's row takes; -1 for the page's own (white).
    std::int32_t RowColor(const XMsgRecType& m) const;
};

// "#rrggbb" of a colour 0x00BBGGRR.
std::string CssColor(std::int32_t colorRef);
// The text with & < > " ' written as character references, line breaks (CR LF, LF or CR)
// as <br>, other control characters as spaces.
void AppendHtmlText(std::string& out, std::string_view utf8);

struct MessageMedia;
// The media a page shows under each message's text: its pictures, and links to its other
// media. `Folder` is the folder of their files as the page names it ("messages_files");
// an item whose file is not in `Files` shows as "picture could not be read".
struct PageMedia {
    const MessageMedia* Media = nullptr;
    std::string Folder;
    std::unordered_set<std::string> Files;
};

std::string HtmlExport(const MsgStore& S, ExportRows rows, const ExportLook& look, const PageMedia* media = nullptr);
