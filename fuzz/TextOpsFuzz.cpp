// SPDX-License-Identifier: GPL-3.0-or-later
// The text helpers against their literal definitions: ReplaceAll (leftmost occurrence,
// search again from the start, nothing when the replacement holds the pattern), SplitAt,
// NextQuotedField, NormaliseText (five replacements one after the other), CountWords,
// TrimTrailingSpaces, RemoveControlChars, and the Windows-1252 helpers.
//
// Input: the pattern up to a zero byte, the replacement up to the next, then the text.
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "OFuncs/Cp1252.h"
#include "OFuncs/TextOps.h"

namespace {

// ReplaceAll as written, step by step; nothing when it has not ended within the bounds
// that ReplaceAll promises to keep.
std::optional<std::string> LiteralReplaceAll(std::string_view from, std::string_view to, std::string s) {
    if (from.empty() || to.find(from) != std::string_view::npos) return s;
    const std::size_t maxSteps = ReplaceAllMaxSteps(s.size()), maxSize = ReplaceAllMaxSize(s.size());
    for (std::size_t step = 0;; ++step) {
        const std::size_t p = s.find(from);
        if (p == std::string::npos) return s;
        if (step == maxSteps) return std::nullopt;
        s.replace(p, from.size(), to);
        if (s.size() > maxSize) return std::nullopt;
    }
}

std::string LiteralNormalise(std::string s) {
    static const char* const pairs[5][2] = {
        {"\xC3\x84", "\xC4"}, {"\xC3\x96", "\xD6"}, {"\xC3\xA4", "\xE4"}, {"\xC3\xB6", "\xF6"}, {"\xC3\xA5", "\xE5"}};
    for (const auto& pair : pairs) s = *LiteralReplaceAll(pair[0], pair[1], std::move(s));
    return s;
}

int LiteralCountWords(std::string s) {
    for (char& c : s)
        if (std::string_view(".,;!?+-\"").find(c) != std::string_view::npos) c = ' ';
    s = *LiteralReplaceAll("  ", " ", std::move(s));
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    if (s.empty()) return 1;
    int words = 1;
    for (char c : s) words += c == ' ';
    return words;
}

void CheckReplaceAll(std::string_view from, std::string_view to, std::string_view s) {
    // Within the bounds the literal result exactly; past them the text unchanged.
    const std::optional<std::string> literal = LiteralReplaceAll(from, to, std::string(s));
    FUZZ_CHECK(ReplaceAll(from, to, std::string(s)) == literal.value_or(std::string(s)));
}

void CheckSplitAt(std::string_view s, std::string_view d) {
    const auto split = SplitAt(s, d);
    if (!split) {
        FUZZ_CHECK(s.empty() || d.empty() || s.find(d) == std::string_view::npos);
        return;
    }
    const auto& [before, after] = *split;
    FUZZ_CHECK(!d.empty() && before.find(d) == std::string_view::npos);
    FUZZ_CHECK(std::string(before) + std::string(d) + std::string(after) == s);
}

void CheckNextQuotedField(std::string_view s) {
    const std::size_t open = s.find('"');
    const std::size_t close = open == std::string_view::npos ? open : s.find('"', open + 1);
    const auto field = NextQuotedField(s);
    if (close == std::string_view::npos) {
        FUZZ_CHECK(!field);
        return;
    }
    FUZZ_CHECK(field);
    FUZZ_CHECK(field->first == s.substr(open + 1, close - open - 1));
    FUZZ_CHECK(field->second == s.substr(close + 1));
}

void CheckCp1252(std::string_view s) {
    const std::string utf8 = Cp1252ToUtf8(s);
    FUZZ_CHECK(utf8.size() >= s.size() && utf8.size() <= 3 * s.size());
    std::size_t chars = 0;
    for (char c : utf8) chars += (static_cast<unsigned char>(c) >> 6) != 2;
    FUZZ_CHECK(chars == s.size());
    const std::string lower = Cp1252Lower(s);
    FUZZ_CHECK(lower.size() == s.size() && Cp1252Lower(lower) == lower);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputCutter in(data, size);
    const std::string_view from = in.Text();
    const std::string_view to = in.Text();
    const std::string_view s = in.Rest();

    CheckReplaceAll(from, to, s);
    CheckSplitAt(s, from);
    CheckNextQuotedField(s);
    FUZZ_CHECK(NormaliseText(s) == LiteralNormalise(std::string(s)));
    FUZZ_CHECK(CountWords(s) == LiteralCountWords(std::string(s)));
    std::string trimmed(s);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    FUZZ_CHECK(TrimTrailingSpaces(s) == trimmed);
    std::string visible;
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 32) visible += c;
    FUZZ_CHECK(RemoveControlChars(s) == visible);
    CheckCp1252(s);
    return 0;
}
