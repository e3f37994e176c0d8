// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Unicode case folding, so that a search ignores letter case in every script.
#include <string>
#include <string_view>
#include <vector>

// The full default case folding of a UTF-8 text, as ICU does it (ß becomes ss, final
// sigma becomes sigma, İ becomes i with a combining dot; the Turkic special rules are not
// applied). A byte that starts no well-formed character is kept as it is.
std::string FoldCase(std::string_view utf8);
// The same into `out` (replacing its content), for loops that reuse one buffer.
void FoldCaseInto(std::string_view utf8, std::string& out);

// The folding of a stored message text as shown, in one pass over the stored bytes:
// equal to FoldCaseInto(DisplayMessageUtf8(stored)).
void FoldShownMessageInto(std::string_view stored, std::string& out);

// The folding of a UTF-8 text with, for every folded byte, the offset in `utf8` of the
// character it comes from (`origin` gets one entry more: utf8.size()), so that a match in
// the folded text can be marked in the text itself. `out` equals FoldCase(utf8).
void FoldCaseMapped(std::string_view utf8, std::string& out, std::vector<std::size_t>& origin);
