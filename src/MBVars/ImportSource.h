// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bytes an import parses: the source file with line breaks inside texts joined, the
// separator found by the vote, and the file read as text lines.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

// Counts, per byte value, how often a byte stands alone between two double quotes. The
// value that first reaches the highest count is the separator; 0 means none was found.
class SeparatorVote {
public:
    void Add(unsigned char c);
    // Counts the votes of a later part of the file, as if they had been added here in turn:
    // of the values at the highest count, the one whose last vote came first wins.
    void Append(const SeparatorVote& later);
    unsigned char Separator() const { return separator_; }

private:
    std::array<std::uint32_t, 256> counts_{};
    std::array<std::uint32_t, 256> lastVote_{};  // the number of votes in all when the value had its last
    std::uint32_t votes_ = 0;
    std::uint32_t best_ = 0;
    unsigned char separator_ = 0;
};

// The largest file an import reads: Kestro holds at most MaxMessages messages, and an
// export line carries at most a text of MaxTextLength bytes (twice that with every quote
// doubled) and its other fields; a larger file is no export Kestro can hold.
constexpr std::uint64_t MaxImportFileSize = std::uint64_t(MaxMessages) * 32768;

// Examines one block by itself, position by position: a CR LF that follows anything but a
// double quote is a line break inside a text and becomes two spaces; a quote, byte, quote
// pattern votes for its middle byte. Votes straddling two blocks are not seen.
void ExamineBlock(unsigned char* block, std::size_t n, SeparatorVote& vote);
// The line-break check for the positions that straddle the start of the block appended
// at `blockStart`: a line break inside a text is joined wherever it falls in the file.
void JoinLineBreaksAcrossBlocks(std::string& bytes, std::size_t blockStart);

struct PreparedCsv {
    std::string Bytes;             // the whole file as examined
    unsigned char Separator = 0;  // 0: no separator
};

// Reads the file (for reading only) through S.ImportBuffer in blocks of ImportBufferSize
// bytes, each examined by itself, line breaks joined across blocks too. A large file's blocks
// are examined by two threads, with the same bytes and separator. Returns 0, or the
// failure code: the errno of opening it (EISDIR for a folder), NotRegularFileCode for a
// device or socket, EFBIG for more than MaxImportFileSize bytes, OutOfMemoryCode when the
// bytes do not fit in memory. Throws IoError, naming the file, when a read fails.
int PrepareCsvFile(MsgStore& S, const std::string& path, PreparedCsv& out);
// The same for a file opened by the caller (a named pipe allowed), read from where it stands.
int PrepareCsvFrom(MsgStore& S, class FileReader& file, const std::string& path, PreparedCsv& out);

// Splits bytes into text lines: a line ends at a line feed, and no carriage return is
// part of a line (one before the line feed belongs to the line end, others are dropped).
// A last line without a line feed counts; nothing follows a final line feed.
class TextLines {
public:
    explicit TextLines(std::string_view bytes) : rest_(bytes) {}
    // The next line (valid until the next call); false at the end.
    bool Next(std::string_view& line);

private:
    std::string_view rest_;
    std::string scratch_;
};
