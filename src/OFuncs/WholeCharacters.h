// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Cutting a typed text to a byte budget without leaving half a character behind.
#include <cstddef>
#include <string_view>

// The first at most maxBytes bytes of text. When the cut would fall inside a UTF-8
// sequence (a lead byte whose continuation bytes run past the budget), the whole
// sequence goes. Bytes that do not form such a sequence are single characters and are
// cut like any other.
std::string_view CutToWholeCharacters(std::string_view text, std::size_t maxBytes);
