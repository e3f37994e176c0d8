// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recognition of a web link and of an e-mail address in a message text. Callers pass the
// text with one space added before and after it; only spaces delimit (a tab or a line
// break is part of a link).
#include <string>
#include <string_view>

// The link after the first "://", up to the next space, as "http://" + host and path, or
// "https://" when the scheme written before the "://" is https (any letter case); trailing
// ".", ",", ";", "!" and "?" are removed in that order, each kind as often as it repeats.
// Empty when the text holds no "://".
std::string FindWebLink(std::string_view s);

// The space-delimited word around the first "@" (never taking the text's last character),
// with trailing punctuation removed as from a web link, when a "." still follows the "@"
// and it is longer than 3 characters; empty otherwise.
std::string FindEmailAddress(std::string_view s);

// "mailto:" and the address alone: what follows a "?" or "#" (headers such as attach= or
// subject=) and anything from a space or control character on is left out; empty when what
// is left has no "@" with a "." after it.
std::string MailtoLink(std::string_view address);

// The first space-delimited word of `s` (padded as above) that begins with "www." (any
// letter case) and goes on after it, without trailing punctuation: its position, or npos.
std::size_t FindWwwWord(std::string_view s);

// The link the detail line's button offers for a text as shown (its web link, else the
// first word beginning with "www." as an http link, else "mailto:" and its e-mail address) and where it is written: the bytes [Begin, End) of
// the space-delimited word it was found in, without trailing sentence punctuation. The
// text is passed without the added spaces. Url empty when the text holds neither.
struct LinkInText {
    std::string Url;
    std::size_t Begin = 0, End = 0;
};
LinkInText FindLinkInText(std::string_view shown);
