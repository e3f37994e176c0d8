// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How stored 8-bit bytes read as characters. Phones write their texts in UTF-8, the
// contacts import stores UTF-8, and older exports and typed names hold Windows-1252:
// stored bytes that are valid UTF-8 are read as UTF-8, any others as Windows-1252.
// The stored bytes themselves never change; these give the text a person sees.
#include <cstddef>
#include <string>
#include <string_view>

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates,
// nothing above U+10FFFF. The empty text and plain ASCII are valid.
bool IsValidUtf8(std::string_view bytes);

// A name, phone number or other stored short text as shown, in UTF-8.
std::string DisplayUtf8(std::string_view stored);

// A stored message text as shown, in UTF-8: as stored when valid UTF-8, otherwise its
// display form (NormaliseText) read as Windows-1252.
std::string DisplayMessageUtf8(std::string_view stored);
// The same into `out` (replacing its content), for loops that reuse one buffer.
void DisplayMessageUtf8Into(std::string_view stored, std::string& out);

// The stored form of text a person typed (UTF-8 in): Windows-1252 when every character
// has a Windows-1252 byte and those bytes do not read as UTF-8 (so that the text shows
// again exactly as typed), otherwise UTF-8. Nothing is ever replaced by '?'.
std::string StoredFromUtf8(std::string_view typed);

// The stored text cut to at most maxBytes bytes, never inside a character: a valid UTF-8
// text loses the whole of a character the cut would split.
std::string_view CutOnCharBoundary(std::string_view stored, std::size_t maxBytes);
