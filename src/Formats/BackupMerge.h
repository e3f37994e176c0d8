// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Several phone backups merged into one that a backup app restores: every `sms` and `mms`
// element of the inputs once, oldest first, each copied byte for byte from its input but
// for the character references a strict XML parser refuses (see BackupMergeRepair.h).
//
// The inputs are read twice, streaming: first (two inputs at once where there are two
// cores) to know each message by a 128-bit key of what makes it the same message, with the
// place of its element, then to copy the chosen elements into the new file. Memory holds only the keys and places (about 60 bytes a
// message) and the largest element.
//
// The same message: for an SMS the same address (each number of a group as the reader
// takes numbers), `date`, `type` and `body`; for an MMS the same `date`, `msg_box`,
// addresses (of its `addr` elements, in any order, else its `address`) and parts in order
// (`ct`, `text` and the hash of `data`). Of copies in several inputs the one of the newest
// input is written: the input with the latest root `backup_date`, the later one given of
// equal dates. The XML declaration and the root's other attributes come from that input
// too, with `count` set to the messages written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MergeInputReport {
    std::string Path;
    std::int64_t Read = 0;     // `sms` and `mms` elements read whole
    std::int64_t Written = 0;  // of them, the copies written
    std::int64_t Twice = 0;    // of them, found before in this or another input
    bool Damaged = false;      // the input is not well-formed or cut short
    std::uint64_t Line = 0;    // Damaged: the line where reading stopped
    std::string Reason;        // Damaged: the parser's words
    std::uint64_t BytesTaken = 0;  // Damaged: the bytes up to the end of the last element read
    std::uint64_t Size = 0;        // the bytes of the file
};

enum class MergeEnd : std::uint8_t {
    Written,    // the output was written
    NotBackup,  // an input is no phone backup: nothing was written
    Damaged,    // an input is damaged and damaged inputs are not taken: nothing was written
    Stopped,    // the progress said to stop: nothing was written
};

struct MergeResult {
    MergeEnd End = MergeEnd::Written;
    std::size_t Input = 0;  // NotBackup, Damaged: the input that stopped the merge
    std::vector<MergeInputReport> Inputs;
    std::int64_t Written = 0;
};

struct MergeOptions {
    bool SkipDamaged = false;  // take what can be read of a damaged input
    // Called often with the work done and the work in all (bytes read twice over, roughly);
    // false stops, and nothing is written.
    std::function<bool(std::uint64_t done, std::uint64_t total)> Progress;
};

class AtomicFileWriter;

// Merges `inputs` into `output`, replaced only by a complete new file. Throws IoError naming
// the file when one cannot be read or the output cannot be written (nothing is written then).
MergeResult MergeBackups(const std::vector<std::string>& inputs, const std::string& output,
                         const MergeOptions& options = {});
// The same into a writer the caller opened, and commits when the result is Written (so that
// a window can still honour a Cancel that comes after the last byte).
MergeResult MergeBackupsInto(const std::vector<std::string>& inputs, AtomicFileWriter& writer,
                             const MergeOptions& options = {});

// The report in lines, for the command line and the window: one per input, then the total
// (or why nothing was written).
std::vector<std::string> MergeReportLines(const MergeResult& result, const std::string& output);
