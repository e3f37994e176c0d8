// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Adding the message lines of a prepared export to the store, on two threads when the
// export is large: the lines are parsed in pieces by both threads and added in file
// order by the calling thread alone, with the same result as one loop over the lines.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "MBVars/ImportNotTaken.h"
#include "MBVars/Store.h"

struct MessageLineSplit {
    // Exports smaller than this are read by the calling thread alone: a thread costs more
    // than it saves there.
    std::size_t ParallelFrom = std::size_t(256) << 10;
    // About this many bytes per piece (whole lines); the threads take pieces as they go.
    std::size_t PieceSize = std::size_t(64) << 10;
    // Called before a piece is parsed, on the calling thread or (`helper`) the second one:
    // for tests that hold a thread back or make it fail.
    std::function<void(std::string_view piece, bool helper)> BeforePiece;
};

// Appends every acceptable line of `bytes` that the store does not already hold, in file
// order, while the store has room (HeldMessages keeps the already-held rule). Returns how
// many new lines found the store full; `notTaken`, when given, gets every message line left
// out by its reason. The work record S.Messages[0] is left cleared.
// An exception (std::bad_alloc) on either thread ends the import after the messages of
// the lines before the line that failed and is thrown to the caller.
std::int32_t ImportMessageLines(MsgStore& S, std::string_view bytes, unsigned char separator,
                                const MessageLineSplit& split = {}, ImportNotTaken* notTaken = nullptr);
