// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The byte filter of the backup merge. It makes a phone's backup acceptable to a strict XML
// parser while keeping every other byte as it is:
// - a high and a low surrogate reference in a row become the UTF-8 of the character they
//   make; a lone surrogate reference (or one to no character, U+FFFE or U+FFFF) becomes
//   U+FFFD; references to characters below U+0020 other than tab, CR and LF are dropped;
// - raw bytes below 0x20 other than tab, CR and LF are dropped;
// - comments, CDATA sections and processing instructions pass untouched but for those raw
//   bytes.
// For reading (DataValues::Hash) the value of every attribute named `data` (an MMS part's
// picture, in base64) becomes the 32 hex digits of its 128-bit hash followed by its line
// feeds, so that the parser neither holds the picture nor loses count of lines. The filter
// remembers where its output and input offsets part, so that the parser's byte positions
// lead back to the bytes of the file.
// Written by hand because no XML library repairs these references: expat, libxml2 and
// Python's parser all stop at them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <xxhash.h>

class BackupMergeRepair {
public:
    enum class DataValues : std::uint8_t { Keep, Hash };
    explicit BackupMergeRepair(DataValues data);
    BackupMergeRepair(const BackupMergeRepair&) = delete;
    BackupMergeRepair& operator=(const BackupMergeRepair&) = delete;
    ~BackupMergeRepair();

    // Appends the repaired form of the next bytes of the file to `out`.
    void Feed(std::string_view in, std::string& out);
    // The end of the file: a reference still open is passed on as it was.
    void Finish(std::string& out);

    // The file offset of the repaired byte at `outOffset` (counted over everything appended
    // since the start); exact at every place outside a changed piece, such as the `<` of a
    // tag and the byte after a `>`. Offsets before the last Forget are not asked for.
    std::uint64_t InputOffset(std::uint64_t outOffset) const;
    // The offsets before `outOffset` will not be asked for again.
    void Forget(std::uint64_t outOffset);

    // Whether the filter changed any byte of the file in [start, end) (hashed data values
    // aside): when not, those bytes pass a fresh filter unchanged and can be copied as they
    // are. Changes before `start` are forgotten, so ranges are asked for in file order.
    bool ChangedIn(std::uint64_t start, std::uint64_t end);

    // A hashed reading's data values of at least LongValue bytes that a fresh filter passes
    // on untouched (no control, reference or markup in them): as bytes of the file, [first,
    // second). A copy through the filter skips them and copies them as they are.
    static constexpr std::uint64_t LongValue = std::uint64_t(1) << 16;
    using Span = std::pair<std::uint64_t, std::uint64_t>;
    // Appends those lying in [start, end) to `out`; those before `start` are forgotten, so
    // ranges are asked for in file order.
    void LongValuesIn(std::uint64_t start, std::uint64_t end, std::vector<Span>& out);

private:
    enum class Mode : std::uint8_t { Text, Open, Bang, BangDash, Comment, CData, Instruction, Tag, Value, DataValue };
    void Byte(char c, std::string& out);
    void Emit(char c, std::string& out);
    void TagByte(char c, std::string& out);
    void EndReference(std::string& out);
    void FlushPending(std::string& out, std::uint64_t nextIn);
    void HashValue(std::string_view in, std::string& out);
    std::size_t PlainRun(std::string_view in) const;
    // A run of names, blanks and equals signs in a tag, copied at once; false when none.
    bool NameRun(std::string_view in, std::string& out);
    // After a change: the next output byte stands for the input byte at `nextIn`.
    void Mark(const std::string& out, std::uint64_t nextIn);
    void Changed() { changes_.push_back(Here()); }
    std::uint64_t Here() const { return inBase_ + inAt_; }

    DataValues data_;
    Mode mode_ = Mode::Text;
    char quote_ = 0;
    char last1_ = 0, last2_ = 0;  // the two bytes before, for the ends of comments and sections
    std::string name_;            // the attribute name being read in a tag (up to 5 bytes)
    bool inName_ = false, afterEquals_ = false, afterDataEquals_ = false;
    std::string ref_;             // an open "&#..." reference
    std::uint32_t pending_ = 0;   // a high surrogate waiting for its low half
    XXH3_state_t* hash_ = nullptr;
    std::size_t newlines_ = 0;    // the line feeds of the data value being hashed
    bool strayMarkup_ = false;    // the data value being hashed holds a '<' or '&'
    bool droppedInValue_ = false; // ... or a control the copy drops (its first one is a change)
    std::uint64_t valueStart_ = 0;  // the file offset of the hashed value's first byte
    std::vector<Span> longValues_;  // rising
    std::size_t firstLongValue_ = 0;

    // Where the offsets part: from out[k].first on, the input offset is out[k].second plus
    // the distance from there.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> marks_{{0, 0}};
    std::size_t firstMark_ = 0;
    std::vector<std::uint64_t> changes_;  // file offsets of changed bytes, rising
    std::size_t firstChange_ = 0;
    std::uint64_t inBase_ = 0;   // input offset of the piece being fed
    std::uint64_t outBase_ = 0;  // output offset of out[0] in the piece being fed
    std::uint64_t outTotal_ = 0;
    std::size_t inAt_ = 0;       // the byte of the piece being handled
};
