// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small text operations shared by the import, the display and the statistics.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// As long as s contains `from`, replace its leftmost occurrence by `to`, searching
// again from the start each time. Nothing is replaced when `to` contains `from` (or
// `from` is empty). A replacement may recreate the pattern with its surroundings, so
// that the replacing never ends or grows the text exponentially: the result is exactly
// that of the procedure whenever it ends within ReplaceAllMaxSteps replacements with
// the text never longer than ReplaceAllMaxSize bytes; past either bound the text is
// returned as it was. The program's own patterns never come near either bound.
std::string ReplaceAll(std::string_view from, std::string_view to, std::string s);
constexpr std::size_t ReplaceAllMaxSize(std::size_t textSize) { return 16 * textSize + 4096; }
constexpr std::size_t ReplaceAllMaxSteps(std::size_t textSize) { return 64 * textSize + 1024; }

// Part before the first d and part after it; nothing when s or d is empty or d is absent.
std::optional<std::pair<std::string_view, std::string_view>> SplitAt(std::string_view s,
                                                                     std::string_view d);

// The text between the first double quote of s and the next one, and everything after
// the closing quote. Nothing when s has no quote, nothing after it, or no closing quote.
std::optional<std::pair<std::string_view, std::string_view>> NextQuotedField(std::string_view s);

// Display form of a message text: five two-byte UTF-8 letters become their Latin-1 byte.
std::string NormaliseText(std::string_view text);
// The same into `out` (replacing its content), for loops that reuse one buffer.
void NormaliseTextInto(std::string_view text, std::string& out);

// Words separated by spaces after . , ; ! ? + - and " became spaces; an empty text is 1 word.
int CountWords(std::string_view text);

// The text without its trailing spaces (only the space character counts).
inline std::string_view TrimTrailingSpaces(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// The text without any byte below 32.
std::string RemoveControlChars(std::string_view s);
