// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stored texts are 8-bit bytes: UTF-8 when they are valid UTF-8, Windows-1252 otherwise
// (OFuncs/DisplayText.h decides); the widgets show QString.
#include <QString>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

// Each byte read as Windows-1252.
QString FromCp1252(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'. For data that must be Windows-1252;
// what a person typed is stored with StoredFromTyped instead.
std::string ToCp1252(const QString& text);

// How a person sees stored 8-bit bytes: names, phone numbers and other stored texts.
// Every display, tooltip, dialog and clipboard text of stored bytes goes through here.
QString ShownText(std::string_view stored);
// How a person sees a stored message text: as UTF-8 when it is, otherwise its display
// form read as Windows-1252.
QString ShownMessageText(std::string_view stored);
// What the user typed (a name, an edited message), in the stored 8-bit form: Windows-1252
// when that holds it and shows it again as typed, otherwise UTF-8; never '?'. A longer
// result is cut to maxBytes on a character boundary (names hold 30 bytes).
std::string StoredFromTyped(const QString& typed,
                            std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
