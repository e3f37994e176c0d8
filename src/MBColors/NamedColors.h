// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 147 named web colours of the colour chooser, and its two orders.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct NamedColor {
    std::string_view Name;
    std::int32_t Value;  // 0x00RRGGBB, the way web colours are written
    friend bool operator==(const NamedColor&, const NamedColor&) = default;
};

constexpr std::size_t NamedColorCount = 147;
using NamedColorTable = std::array<NamedColor, NamedColorCount>;

// The rows in name order (each Gray directly followed by its Grey twin).
extern const NamedColorTable NamedColorConstants;

// Red + green + blue bytes, 0..765.
int ColorLuminance(std::int32_t value);
// The platform layout 0x00BBGGRR of a web value 0x00RRGGBB (and back: the swap is its own inverse).
std::int32_t WebToPlatformColor(std::int32_t value);
// What the chooser shows for a clicked row: the name, two spaces, "($RRGGBB)".
std::string NamedColorHint(const NamedColor& row);

// Restores the name order (copies every row of NamedColorConstants over the table).
void CopyConstantsToVariable(NamedColorTable& table);
// byName true: the name order; false: brightest first, by the gap-halving exchange sort
// with gaps 73, 36, ..., 1 and repeated passes (which settles the order of equal keys).
void SortColours(NamedColorTable& table, bool byName);
