// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of an iPhone message's `attributedBody`: an NSAttributedString archived by
// NSArchiver as a "typedstream". Written by hand: no Debian library reads the format, and
// only the string at its start is needed, so the decoder reads exactly that much and
// refuses anything that does not follow the layout.
#include <optional>
#include <string>
#include <string_view>

// The UTF-8 string held by the archived attributed string: the header ("streamtyped",
// version 4), an object of a class chain holding NSAttributedString, whose first value is
// an object of a class chain holding NSString with its characters as a "+" value. Nothing
// when the bytes are anything else, cut short, or not valid UTF-8.
std::optional<std::string> TypedStreamText(std::string_view bytes);

// An archive as TypedStreamText reads it, holding `text`, for tests and seed inputs.
std::string MakeTypedStream(std::string_view text);
