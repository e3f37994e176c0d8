// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/Links.h"

namespace {
bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether the word written right before position p is "https" in any letter case (and
// not the end of a longer word such as "xhttps").
bool SecureSchemeBefore(std::string_view s, std::size_t p) {
    static constexpr std::string_view https = "https";
    if (p < https.size()) return false;
    for (std::size_t k = 0; k < https.size(); ++k) {
        char c = s[p - https.size() + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != https[k]) return false;
    }
    return p == https.size() || !IsAsciiAlnum(s[p - https.size() - 1]);
}

// Sentence punctuation written right after a link or an address is not part of it.
void TrimTrailingPunctuation(std::string& link) {
    for (char tail : {'.', ',', ';', '!', '?'})
        while (!link.empty() && link.back() == tail) link.pop_back();
}
}  // namespace

std::string FindWebLink(std::string_view s) {
    const std::size_t p = s.find("://");
    if (p == std::string_view::npos) return {};
    const std::size_t hostStart = p + 3;
    const std::size_t space = s.find(' ', hostStart);
    const std::string_view host =
        s.substr(hostStart, space == std::string_view::npos ? std::string_view::npos
                                                            : space - hostStart);
    std::string link = SecureSchemeBefore(s, p) ? "https://" : "http://";
    link += host;
    TrimTrailingPunctuation(link);
    return link;
}

std::string FindEmailAddress(std::string_view s) {
    const std::size_t at = s.find('@');
    if (at == std::string_view::npos) return {};
    std::size_t first = at;
    while (first > 0 && s[first - 1] != ' ') --first;
    std::size_t end = at + 1;  // one past the word
    while (end + 1 < s.size() && s[end] != ' ') ++end;
    std::string address(s.substr(first, end - first));
    TrimTrailingPunctuation(address);
    // The rules hold for the address as it is used, without the punctuation.
    const std::size_t atInAddress = at - first;
    if (address.size() <= 3 || address.find('.', atInAddress + 1) == std::string::npos) return {};
    return address;
}

std::string MailtoLink(std::string_view address) {
    // A "?" starts the headers (subject, body, attach, ...) and a "#" a fragment; a space or
    // a control character ends an address and could start a header in a careless reader.
    std::size_t end = 0;
    while (end < address.size() && address[end] != '?' && address[end] != '#' &&
           static_cast<unsigned char>(address[end]) > ' ' && address[end] != 0x7f)
        ++end;
    const std::string_view alone = address.substr(0, end);
    const std::size_t at = alone.find('@');
    if (at == std::string_view::npos || alone.find('.', at + 1) == std::string_view::npos) return {};
    return "mailto:" + std::string(alone);
}

std::size_t FindWwwWord(std::string_view s) {
    static constexpr std::string_view www = "www.";
    for (std::size_t p = s.find(' '); p != std::string_view::npos; p = s.find(' ', p + 1)) {
        const std::size_t start = p + 1;
        if (s.size() - start <= www.size()) break;
        bool match = true;
        for (std::size_t k = 0; k < www.size() && match; ++k) {
            char c = s[start + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            match = c == www[k];
        }
        if (!match) continue;
        std::string word(s.substr(start, s.find(' ', start) - start));
        TrimTrailingPunctuation(word);
        if (word.size() > www.size()) return start;
    }
    return std::string_view::npos;
}

LinkInText FindLinkInText(std::string_view shown) {
    const std::string padded = " " + std::string(shown) + " ";
    LinkInText found;
    std::size_t mark = std::string::npos;  // where the link was recognised, in `shown`
    found.Url = FindWebLink(padded);
    const std::size_t www = found.Url.empty() ? FindWwwWord(padded) : std::string_view::npos;
    if (!found.Url.empty()) {
        mark = padded.find("://") - 1;
    } else if (www != std::string_view::npos) {
        // A link written without its scheme, as people write them: opened as http.
        std::string word = padded.substr(www, padded.find(' ', www) - www);
        TrimTrailingPunctuation(word);
        found.Url = "http://" + word;
        mark = www - 1;
    } else if (std::string address = FindEmailAddress(padded); !address.empty()) {
        found.Url = MailtoLink(address);
        mark = padded.find('@') - 1;
    }
    if (found.Url.empty()) return found;
    std::size_t begin = mark, end = mark;
    while (begin > 0 && shown[begin - 1] != ' ') --begin;
    while (end < shown.size() && shown[end] != ' ') ++end;
    std::string word(shown.substr(begin, end - begin));
    TrimTrailingPunctuation(word);
    found.Begin = begin;
    found.End = begin + word.size();
    return found;
}
