// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The marking step of the message filter: which messages the search bar, the search menu
// and the contact view show.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MBVars/Store.h"

constexpr int FetchByName = 3;   // Name equals the text exactly
constexpr int FetchByPhone = 4;  // Phone equals the text exactly (a contact without a name)
constexpr int FetchByText = 5;  // the text occurs in the display form, ignoring letter case

// Clears MsgFound on every message 1..MessageCount and sets it on those that match `text`
// by `mode` (every message when `text` is empty; none for an unknown mode); returns how
// many were marked. Modified is not touched. The caller then builds the view with 0x80.
// The text mode compares the text as shown (DisplayUtf8 of `text`, a stored-form text,
// against DisplayMessageUtf8 of each message) after Unicode case folding, in any script.
std::int32_t MarkFound(MsgStore& S, int mode, std::string_view text);

// Where a search's `text` (stored form, as for MarkFound's text mode) occurs in a message
// text as shown (UTF-8): the byte ranges [Begin, End) of each match, left to right, not
// overlapping, found as MarkFound finds them and widened to whole characters. None for an
// empty text.
struct TextSpan {
    std::size_t Begin = 0, End = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};
std::vector<TextSpan> FindShownMatches(std::string_view shownUtf8, std::string_view text);
