// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How many characters a stored message text shows.
#include <cstdint>
#include <string_view>

// A text that is valid UTF-8 counts its user-perceived characters (grapheme clusters as
// ICU finds them: a letter with its accents, an emoji with its modifiers, a flag, each
// once), except that a CR LF pair counts as two, as it does in any other text. Any other
// text counts the bytes of its display form (NormaliseText), one per Windows-1252 letter.
std::int32_t DisplayCharCount(std::string_view stored);
