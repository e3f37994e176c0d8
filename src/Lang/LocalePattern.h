// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns the date and time patterns that a platform locale gives (letters d M y h H m s z
// a/A t, text in single quotes, '' for a quote) into this program's date-time format
// language, so that the window can fill a LocaleInfo from the platform's locale.
#include <string>
#include <string_view>

// d..dddd stay, M..MMMM become m..mmmm, yy/yyyy stay, h/H become h, m becomes n, s stays,
// a/A/ap/AP become ampm (the locale's AM and PM texts); milliseconds and time zones are
// dropped with the spaces they leave at the end; other text is kept, quoted where this
// language would read it as a code or a separator. Runs longer than a code (ddddd) are
// split as the platform splits them (dddd then d).
std::string ConvertLocalePattern(std::string_view pattern);

// The first printable ASCII character of a pattern that is neither a letter, a digit nor a
// quote (the "." of "dd.MM.yy", the ":" of "HH:mm"), or `fallback` when there is none.
std::string PatternSeparator(std::string_view pattern, std::string_view fallback);
