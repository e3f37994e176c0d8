// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportNotTaken.h"

#include <string_view>

#include "MBVars/Store.h"

namespace {
// The words after the count: what is counted (one, several), then why.
struct Wording {
    std::string_view One, Many, Why;
};

constexpr std::size_t ReasonCount = static_cast<std::size_t>(NotTakenReason::Count);

static_assert(MaxMessages == 16380, "the capacity's wording names it");
constexpr std::array<Wording, ReasonCount> Wordings = {{
    {"message", "messages", "not taken: duplicates of messages already held"},
    {"message", "messages", "not taken: past the collection's capacity (16380 messages)"},
    {"message", "messages", "not taken: without number or text"},
    {"message", "messages", "not taken: not sent or received (drafts, outbox, failed)"},
    {"message", "messages", "not taken: with a date that is not a date"},
    {"message", "messages", "not taken: blocked"},
    {"reaction", "reactions", "to other messages not taken"},
    {"group event", "group events", "(members, names) not taken"},
}};

constexpr bool EveryReasonWorded() {
    for (const Wording& w : Wordings)
        if (w.Why.empty()) return false;
    return true;
}
static_assert(EveryReasonWorded(), "every reason has its words");
}  // namespace

ImportNotTaken& ImportNotTaken::operator+=(const ImportNotTaken& other) {
    for (std::size_t r = 0; r < Counts.size(); ++r) Counts[r] += other.Counts[r];
    TextsCut += other.TextsCut;
    return *this;
}

std::int64_t ImportNotTaken::Total() const {
    std::int64_t total = 0;
    for (const std::int64_t n : Counts) total += n;
    return total;
}

std::vector<std::string> NotTakenLines(const ImportNotTaken& notTaken) {
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < ReasonCount; ++r) {
        const std::int64_t n = notTaken.Counts[r];
        if (n <= 0) continue;
        const Wording& w = Wordings[r];
        lines.push_back(std::to_string(n) + ' ' + std::string(n == 1 ? w.One : w.Many) + ' ' + std::string(w.Why));
    }
    static_assert(MaxTextLength == 16383, "the cut's wording names the text's capacity");
    if (notTaken.TextsCut > 0)
        lines.push_back(std::to_string(notTaken.TextsCut) + (notTaken.TextsCut == 1 ? " text" : " texts") +
                        " cut to 16,383 bytes");
    return lines;
}
