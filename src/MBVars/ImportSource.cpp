// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "MBVars/ImportHelper.h"
#include "MBVars/ImportPieceClaims.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/FindByte.h"
#include "OFuncs/IoError.h"

namespace {
constexpr unsigned char Quote = '"', CR = '\r', LF = '\n', Space = ' ';
constexpr std::size_t PresizeLimit = std::size_t(64) << 20;
// Files of fewer blocks are examined by one thread.
constexpr std::size_t BlocksForTwoThreads = 4;

// Examines block b of the bytes by itself.
void ExamineBlockAt(std::string& bytes, std::size_t b, SeparatorVote& vote) {
    const std::size_t start = b * ImportBufferSize;
    ExamineBlock(reinterpret_cast<unsigned char*>(bytes.data()) + start, std::min(ImportBufferSize, bytes.size() - start),
                 vote);
}

// Examines the file's bytes block by block and joins the line breaks across blocks; returns
// the separator. Each block is examined by itself, and a join across blocks only looks at
// the two blocks' bytes after their own examination: so a large file's blocks are shared by
// two threads (this one from the front, a helper from the back, each block's votes kept
// apart and counted in file order), and the joins across blocks follow.
unsigned char ExamineBlocks(std::string& bytes) {
    const std::size_t blocks = (bytes.size() + ImportBufferSize - 1) / ImportBufferSize;
    SeparatorVote vote;
    if (blocks < BlocksForTwoThreads) {
        for (std::size_t b = 0; b < blocks; ++b) ExamineBlockAt(bytes, b, vote);
    } else {
        PieceClaims claims(blocks);
        std::vector<SeparatorVote> helperVotes(blocks);
        std::size_t next = 0;  // the first block the helper took
        ImportHelperTask helper([&] {
            for (std::size_t b = 0; claims.TakeBack(b);) ExamineBlockAt(bytes, b, helperVotes[b]);
        });
        for (std::size_t b = 0; claims.TakeFront(b); next = b + 1) ExamineBlockAt(bytes, b, vote);
        helper.End();  // the helper has finished its blocks (or never began)
        for (std::size_t b = next; b < blocks; ++b) vote.Append(helperVotes[b]);
    }
    for (std::size_t b = 1; b < blocks; ++b) JoinLineBreaksAcrossBlocks(bytes, b * ImportBufferSize);
    return vote.Separator();
}

}  // namespace

void SeparatorVote::Add(unsigned char c) {
    lastVote_[c] = ++votes_;
    if (++counts_[c] > best_) {
        best_ = counts_[c];
        separator_ = c;
    }
}

void SeparatorVote::Append(const SeparatorVote& later) {
    for (std::size_t c = 0; c < counts_.size(); ++c) {
        if (later.counts_[c] == 0) continue;
        counts_[c] += later.counts_[c];
        lastVote_[c] = votes_ + later.lastVote_[c];
    }
    votes_ += later.votes_;
    // A value reached its final count with its last vote: the first to reach the top count
    // is the top value whose last vote came first.
    best_ = 0;
    separator_ = 0;
    for (std::size_t c = 0; c < counts_.size(); ++c)
        if (counts_[c] > best_ || (counts_[c] == best_ && best_ > 0 && lastVote_[c] < lastVote_[separator_])) {
            best_ = counts_[c];
            separator_ = static_cast<unsigned char>(c);
        }
}

void ExamineBlock(unsigned char* block, std::size_t n, SeparatorVote& vote) {
    if (n < 3) return;
    // The position-by-position examination in two passes over runs of bytes. They are
    // independent: a join only turns a CR LF into spaces, and neither a CR, an LF nor a
    // space is a quote, so no vote and no other join sees a difference. Votes are counted
    // in the order of their positions, as the first value to reach the top count wins.
    const std::string_view bytes(reinterpret_cast<const char*>(block), n);
    ForEachBytePair(bytes, Quote, 2, [&](std::size_t q) {
        if (block[q + 1] != 0) vote.Add(block[q + 1]);
    });
    // A CR at position p >= 1 with its LF inside the block, the byte before it no quote.
    for (std::size_t cr = FindByte(bytes.substr(0, n - 1), CR, 1); cr != std::string_view::npos;
         cr = FindByte(bytes.substr(0, n - 1), CR, cr + 1))
        if (block[cr + 1] == LF && block[cr - 1] != Quote) block[cr] = block[cr + 1] = Space;
}

void JoinLineBreaksAcrossBlocks(std::string& bytes, std::size_t blockStart) {
    // The two positions whose three bytes straddle the boundary. A join only ever turns CR
    // and LF into spaces, so the order of the checks changes nothing.
    for (std::size_t i = blockStart >= 2 ? blockStart - 2 : 0; i < blockStart && i + 2 < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) != Quote && bytes[i + 1] == static_cast<char>(CR) &&
            bytes[i + 2] == static_cast<char>(LF))
            bytes[i + 1] = bytes[i + 2] = static_cast<char>(Space);
    }
}

int PrepareCsvFile(MsgStore& S, const std::string& path, PreparedCsv& out) {
    out = PreparedCsv{};
    FileReader file;
    if (const int err = file.Open(path, true)) return err;
    return PrepareCsvFrom(S, file, path, out);
}

int PrepareCsvFrom(MsgStore& S, FileReader& file, const std::string& path, PreparedCsv& out) {
    out = PreparedCsv{};
    if (file.Size() > MaxImportFileSize) return EFBIG;
    try {
        // Memory grows with the bytes actually read (beyond a reservation of what a regular
        // file's size announces, within reason).
        if (S.ImportBuffer.size() != ImportBufferSize) S.ImportBuffer.assign(ImportBufferSize, 0);
        unsigned char* buf = S.ImportBuffer.data();
        const std::size_t size = S.ImportBuffer.size();
        // A regular file's size is room worth taking at once, within reason: past it the
        // string grows as bytes arrive.
        if (file.IsRegular()) out.Bytes.reserve(std::min<std::size_t>(static_cast<std::size_t>(file.Size()) + 1, PresizeLimit));
        // A small file's blocks are examined as they arrive, while still in the nearest cache;
        // a large file's (or a pipe's) once all are in, shared by two threads.
        const bool examineAsRead = file.IsRegular() && file.Size() < BlocksForTwoThreads * size;
        SeparatorVote vote;
        for (;;) {
            // Blocks start at multiples of the buffer's size even when the system delivers
            // fewer bytes per read (pipes): each read fills the buffer as far as the file allows.
            const std::size_t n = file.ReadSome(buf, size);
            if (n == 0) break;
            if (out.Bytes.size() + n > MaxImportFileSize) {
                out = PreparedCsv{};
                return EFBIG;  // a pipe that goes on past any export
            }
            if (examineAsRead) ExamineBlock(buf, n, vote);
            const std::size_t start = out.Bytes.size();
            out.Bytes.append(reinterpret_cast<const char*>(buf), n);
            if (examineAsRead) JoinLineBreaksAcrossBlocks(out.Bytes, start);
        }
        out.Separator = examineAsRead ? vote.Separator() : ExamineBlocks(out.Bytes);
    } catch (const std::bad_alloc&) {
        out = PreparedCsv{};
        return OutOfMemoryCode;
    } catch (const IoError& e) {
        throw IoError(e.what()).In(path, "import");
    }
    return 0;
}

bool TextLines::Next(std::string_view& line) {
    if (rest_.empty()) return false;
    // The usual line ends in place: an LF with no CR before it, or a CR LF.
    const std::size_t stop = FindEitherByte(rest_, static_cast<char>(CR), static_cast<char>(LF), 0);
    if (stop == std::string_view::npos) {
        line = rest_;
        rest_ = {};
        return true;
    }
    if (rest_[stop] == static_cast<char>(LF) ||
        (stop + 1 < rest_.size() && rest_[stop + 1] == static_cast<char>(LF))) {
        line = rest_.substr(0, stop);
        rest_.remove_prefix(stop + (rest_[stop] == static_cast<char>(LF) ? 1 : 2));
        return true;
    }
    // A CR elsewhere: the line up to its LF without any CR.
    const std::size_t end = FindByte(rest_, static_cast<char>(LF), stop);
    const std::string_view raw = rest_.substr(0, end);
    rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
    // The pieces between the CRs, found as the line ends are, rather than byte by byte.
    scratch_.clear();
    for (std::size_t from = 0;;) {
        const std::size_t cr = FindByte(raw, static_cast<char>(CR), from);
        scratch_.append(raw.substr(from, cr == std::string_view::npos ? std::string_view::npos : cr - from));
        if (cr == std::string_view::npos) break;
        from = cr + 1;
    }
    line = scratch_;
    return true;
}
