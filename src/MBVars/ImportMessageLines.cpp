#include "MBVars/ImportMessageLines.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "MBVars/HeldMessages.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/ImportSource.h"
#include "OFuncs/FindByte.h"

namespace {
// Fewer bytes than an export line with a short text takes, for a guess at the line count.
constexpr std::size_t ShortestUsualLine = 64;

// A line parsed ahead of its turn, with its already-held key.
struct ParsedLine {
    XMsgRecType Record;
    std::uint64_t Key = 0;
};

// Adds parsed messages in file order: the already-held rule, the store's limit and the
// count of new lines that found it full.
class MessageAppender {
public:
    MessageAppender(MsgStore& S, std::size_t bytes) : S_(S), held_(S, bytes / ShortestUsualLine) {}

    // `m` is moved into the store when it is added.
    void Offer(XMsgRecType& m, std::uint64_t key) {
        if (held_.Holds(m, key)) return;
        if (S_.MessageCount >= MaxMessages) {
            ++dropped_;
            return;
        }
        GrowMessages(S_, S_.MessageCount + 1);
        S_.Messages[++S_.MessageCount] = std::move(m);
        held_.Add(S_.MessageCount, key);
    }
    std::int32_t Dropped() const { return dropped_; }

private:
    MsgStore& S_;
    HeldMessages held_;
    std::int32_t dropped_ = 0;
};

// Parses every line of `piece` into `work` and offers each message to `take` with its key.
template <class Take>
void ParseLines(std::string_view piece, unsigned char separator, XMsgRecType& work, Take take) {
    TextLines lines(piece);
    std::string_view line;
    std::string scratch;  // for the few lines that change before their fields are read
    while (lines.Next(line)) {
        if (!ParseMessageLine(line, separator, work, scratch)) continue;
        take(work, HeldMessages::HashOf(work));
    }
}

// The bytes cut into pieces of whole lines, each ending just after a line feed (the last
// at the end): lines end only at line feeds, so the pieces' lines are the file's lines.
std::vector<std::string_view> CutIntoPieces(std::string_view bytes, std::size_t pieceSize) {
    std::vector<std::string_view> pieces;
    pieceSize = std::max<std::size_t>(pieceSize, 1);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.size();
        if (bytes.size() - start > pieceSize) {
            const std::size_t lf = FindByte(bytes, '\n', start + pieceSize - 1);
            if (lf != std::string_view::npos) end = lf + 1;
        }
        pieces.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return pieces;
}

// The pieces not yet taken: the calling thread takes them from the front, the helper from
// the back, until they meet. Both ends live in one word so that a piece is taken once.
class PieceClaims {
public:
    explicit PieceClaims(std::size_t count) : ends_(Pack(0, static_cast<std::uint32_t>(count))) {}

    bool TakeFront(std::size_t& piece) {
        std::uint64_t ends = ends_.load(std::memory_order_relaxed);
        do {
            if (Front(ends) >= Back(ends)) return false;
        } while (!ends_.compare_exchange_weak(ends, Pack(Front(ends) + 1, Back(ends)), std::memory_order_relaxed));
        piece = Front(ends);
        return true;
    }
    bool TakeBack(std::size_t& piece) {
        std::uint64_t ends = ends_.load(std::memory_order_relaxed);
        do {
            if (Front(ends) >= Back(ends)) return false;
        } while (!ends_.compare_exchange_weak(ends, Pack(Front(ends), Back(ends) - 1), std::memory_order_relaxed));
        piece = Back(ends) - 1;
        return true;
    }

private:
    static std::uint64_t Pack(std::uint32_t front, std::uint32_t back) { return (std::uint64_t(front) << 32) | back; }
    static std::uint32_t Front(std::uint64_t ends) { return static_cast<std::uint32_t>(ends >> 32); }
    static std::uint32_t Back(std::uint64_t ends) { return static_cast<std::uint32_t>(ends); }

    std::atomic<std::uint64_t> ends_;
};

// What the helper thread parsed: per piece its lines, and the piece it failed in.
struct HelperResults {
    std::vector<std::vector<ParsedLine>> Lines;  // by piece
    std::exception_ptr Failure;
    std::size_t FailedPiece = 0;
};

void ParseFromBack(std::stop_token stop, const std::vector<std::string_view>& pieces, unsigned char separator,
                   PieceClaims& claims, HelperResults& out, const MessageLineSplit& split) {
    std::size_t k = 0;
    try {
        while (!stop.stop_requested() && claims.TakeBack(k)) {
            if (split.BeforeHelperPiece) split.BeforeHelperPiece(pieces[k]);
            std::vector<ParsedLine>& lines = out.Lines[k];
            lines.reserve(pieces[k].size() / ShortestUsualLine);
            XMsgRecType work;
            ParseLines(pieces[k], separator, work, [&](XMsgRecType& m, std::uint64_t key) {
                lines.push_back(ParsedLine{std::move(m), key});
            });
        }
    } catch (...) {
        out.Failure = std::current_exception();
        out.FailedPiece = k;
    }
}

std::int32_t ImportInPieces(MsgStore& S, std::string_view bytes, unsigned char separator, const MessageLineSplit& split) {
    MessageAppender appender(S, bytes.size());
    XMsgRecType& work = S.Messages[0];
    const auto offer = [&](XMsgRecType& m, std::uint64_t key) { appender.Offer(m, key); };

    const std::vector<std::string_view> pieces = CutIntoPieces(bytes, split.PieceSize);
    PieceClaims claims(pieces.size());
    HelperResults helped;
    helped.Lines.resize(pieces.size());
    std::size_t next = 0;  // the first piece not yet added
    {
        std::jthread helper;
        try {
            helper = std::jthread(ParseFromBack, std::cref(pieces), separator, std::ref(claims), std::ref(helped),
                                  std::cref(split));
        } catch (const std::system_error&) {
            // No second thread: the calling thread takes every piece.
        }
        for (std::size_t k = 0; claims.TakeFront(k); next = k + 1) ParseLines(pieces[k], separator, work, offer);
    }  // the helper has finished: its pieces are the rest, in order
    for (std::size_t k = next; k < pieces.size(); ++k) {
        for (ParsedLine& line : helped.Lines[k]) appender.Offer(line.Record, line.Key);
        helped.Lines[k] = {};
        if (helped.Failure && k == helped.FailedPiece) std::rethrow_exception(helped.Failure);
    }
    return appender.Dropped();
}
}  // namespace

std::int32_t ImportMessageLines(MsgStore& S, std::string_view bytes, unsigned char separator,
                                const MessageLineSplit& split) {
    ReserveRoom(S);  // the work record stays where it is while the table grows
    std::int32_t dropped = 0;
    try {
        if (bytes.size() < split.ParallelFrom) {
            MessageAppender appender(S, bytes.size());
            ParseLines(bytes, separator, S.Messages[0],
                       [&](XMsgRecType& m, std::uint64_t key) { appender.Offer(m, key); });
            dropped = appender.Dropped();
        } else {
            dropped = ImportInPieces(S, bytes, separator, split);
        }
    } catch (...) {
        S.Messages[0].Clear();
        throw;
    }
    S.Messages[0].Clear();
    return dropped;
}
