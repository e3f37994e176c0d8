// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What an import did not take, by reason, filled by every reader and by the end of the
// import, and the report lines made from it: the window's report and kestro-cli's standard
// error print these same lines. A new reason is one enumerator and one line of wording.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class NotTakenReason : std::uint8_t {
    AlreadyHeld,          // the same message is in the collection already (or earlier in the import)
    PastCapacity,         // the collection was full
    WithoutNumberOrText,  // no phone number or no text
    NotSentOrReceived,    // drafts, outbox, failed, queued
    NotADate,             // a time that is no date
    Blocked,              // the number is blocked in the contact history
    Reaction,             // an iPhone's reaction to another message: no message of its own
    GroupEvent,           // an iPhone's group event (members, names): no message
    Count                 // not a reason: how many there are
};

struct ImportNotTaken {
    std::array<std::int64_t, static_cast<std::size_t>(NotTakenReason::Count)> Counts{};
    std::int64_t TextsCut = 0;  // taken, but with the text cut to the store's 16,383 bytes

    std::int64_t& operator[](NotTakenReason r) { return Counts[static_cast<std::size_t>(r)]; }
    std::int64_t operator[](NotTakenReason r) const { return Counts[static_cast<std::size_t>(r)]; }
    ImportNotTaken& operator+=(const ImportNotTaken& other);
    std::int64_t Total() const;
};

// One line per reason that has a count, in the order of the reasons, without a line end,
// such as "3 messages not taken: duplicates of messages already held", and then "N texts cut
// to 16,383 bytes" when texts were cut. None when nothing was left out or cut.
std::vector<std::string> NotTakenLines(const ImportNotTaken& notTaken);
