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
    unsigned char Separator() const { return separator_; }

private:
    std::array<std::uint32_t, 256> counts_{};
    std::uint32_t best_ = 0;
    unsigned char separator_ = 0;
};

// Examines one block by itself, position by position: a CR LF that follows anything but a
// double quote is a line break inside a text and becomes two spaces; a quote, byte, quote
// pattern votes for its middle byte. Patterns straddling two blocks are not seen.
void ExamineBlock(unsigned char* block, std::size_t n, SeparatorVote& vote);

struct PreparedCsv {
    std::string Bytes;             // the whole file as examined
    unsigned char Separator = 0;  // 0: no separator
};

// Reads the file (for reading only) through S.ImportBuffer in blocks of ImportBufferSize
// bytes, each examined by itself. Returns 0, or the errno of opening it (EISDIR for a
// folder, EINVAL for a device or socket); throws IoError when a read fails after opening.
int PrepareCsvFile(MsgStore& S, const std::string& path, PreparedCsv& out);

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
