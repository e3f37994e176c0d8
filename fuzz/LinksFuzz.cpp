// SPDX-License-Identifier: GPL-3.0-or-later
// The link and address finders against their definitions written out step by step, on
// the text as the detail line passes it (a space before and after) and as it stands.
#include <string>

#include "FuzzSupport.h"
#include "OFuncs/Links.h"

namespace {

bool IsAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Trailing ".", ",", ";", "!" and "?" removed, one kind after the other.
void TrimPunctuation(std::string& link) {
    for (const char tail : std::string(".,;!?"))
        while (!link.empty() && link.back() == tail) link.pop_back();
}

// The host and path after the first "://" up to the next space, behind "https://" when the
// word right before the "://" is "https" in any letter case, else behind "http://"; then
// trailing ".", ",", ";", "!" and "?" removed, one kind after the other.
std::string LiteralWebLink(std::string_view s) {
    const std::size_t p = s.find("://");
    if (p == std::string_view::npos) return "";
    std::string host;
    for (std::size_t i = p + 3; i < s.size() && s[i] != ' '; ++i) host += s[i];
    std::string scheme;
    std::size_t start = p;
    while (start > 0 && IsAsciiAlnum(s[start - 1])) --start;
    for (std::size_t i = start; i < p; ++i) scheme += static_cast<char>(s[i] >= 'A' && s[i] <= 'Z' ? s[i] + 32 : s[i]);
    std::string link = (scheme == "https" ? "https://" : "http://") + host;
    TrimPunctuation(link);
    return link;
}

// The word around the first "@", never taking the last character of s, without its
// trailing punctuation as a web link loses it; an address when a "." stands after the "@"
// in what is left and that is longer than 3 characters.
std::string LiteralEmailAddress(std::string_view s) {
    const std::size_t at = s.find('@');
    if (at == std::string_view::npos) return "";
    std::string before;
    for (std::size_t i = at; i > 0 && s[i - 1] != ' '; --i) before.insert(before.begin(), s[i - 1]);
    std::string address = before + "@";
    for (std::size_t i = at + 1; i + 1 < s.size() && s[i] != ' '; ++i) address += s[i];
    TrimPunctuation(address);
    const bool dot = address.size() > before.size() + 1 &&
                     address.substr(before.size() + 1).find('.') != std::string::npos;
    return dot && address.size() > 3 ? address : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string padded = " " + std::string(text) + " ";
    for (const std::string_view s : {std::string_view(padded), text}) {
        FUZZ_CHECK(FindWebLink(s) == LiteralWebLink(s));
        FUZZ_CHECK(FindEmailAddress(s) == LiteralEmailAddress(s));
    }
    return 0;
}
