#pragma once
// Small text operations shared by the import, the display and the statistics.
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// As long as s contains `from`, replace its leftmost occurrence by `to`, searching
// again from the start each time. Nothing is replaced when `to` contains `from`
// (or `from` is empty), nor when the replacing would never end because a replacement
// recreates the pattern with its surroundings: past (s.size() + 1) times the longer of
// the two texts, or s.size() + 1 squared replacements of an equally long text, the
// text is returned as it was.
std::string ReplaceAll(std::string_view from, std::string_view to, std::string s);

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
