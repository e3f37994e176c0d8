// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBVars/ImportMessageLines.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MBVars/HeldMessages.h"
#include "MBVars/ImportHelper.h"
#include "MBVars/ImportMessageLine.h"
#include "MBVars/ImportNotTaken.h"
#include "MBVars/ImportPieceClaims.h"
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
        if (held_.Holds(m, key)) {
            ++notTaken_[NotTakenReason::AlreadyHeld];
            return;
        }
        if (S_.MessageCount >= MaxMessages) {
            ++dropped_;
            ++notTaken_[NotTakenReason::PastCapacity];
            return;
        }
        GrowMessages(S_, S_.MessageCount + 1);
        S_.Messages[++S_.MessageCount] = std::move(m);
        held_.Add(S_.MessageCount, key);
    }
    std::int32_t Dropped() const { return dropped_; }
    // The lines refused here, and those the parsing refused, added by the caller.
    ImportNotTaken& NotTaken() { return notTaken_; }

private:
    MsgStore& S_;
    HeldMessages held_;
    std::int32_t dropped_ = 0;
    ImportNotTaken notTaken_;
};

// The reason in the report of a line that gives no message, if it has one.
void CountRefused(LineVerdict verdict, ImportNotTaken& notTaken) {
    switch (verdict) {
        case LineVerdict::WithoutNumberOrText: ++notTaken[NotTakenReason::WithoutNumberOrText]; break;
        case LineVerdict::NoDate: ++notTaken[NotTakenReason::NotADate]; break;
        case LineVerdict::NotSentOrReceived: ++notTaken[NotTakenReason::NotSentOrReceived]; break;
        case LineVerdict::Message:
        case LineVerdict::NoMessage: break;
    }
}

// Parses the lines of `piece` into `work` and offers each message to `take` with its key,
// while keepGoing() says so; the lines that give no message are counted in `refused`.
template <class Take, class KeepGoing>
void ParseLines(std::string_view piece, unsigned char separator, XMsgRecType& work, Take take, KeepGoing keepGoing,
                ImportNotTaken& refused) {
    TextLines lines(piece);
    std::string_view line;
    std::string scratch;  // for the few lines that change before their fields are read
    while (keepGoing() && lines.Next(line)) {
        const LineVerdict verdict = ReadMessageLine(line, separator, work, scratch);
        if (verdict != LineVerdict::Message) {
            CountRefused(verdict, refused);
            continue;
        }
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

// What the helper thread parsed, piece by piece. A piece's lines are the calling thread's
// to read once its state says Parsed (or Failed: the lines before the failure, then the
// exception).
class HelperResults {
public:
    enum State : std::uint8_t { Pending, Parsed, Failed };

    explicit HelperResults(std::size_t pieces)
        : lines_(pieces), refused_(pieces), states_(new std::atomic<std::uint8_t>[pieces]) {
        for (std::size_t k = 0; k < pieces; ++k) states_[k].store(Pending, std::memory_order_relaxed);
    }
    std::vector<ParsedLine>& Lines(std::size_t k) { return lines_[k]; }
    ImportNotTaken& Refused(std::size_t k) { return refused_[k]; }
    State StateOf(std::size_t k) const { return static_cast<State>(states_[k].load(std::memory_order_acquire)); }
    void Finish(std::size_t k) { states_[k].store(Parsed, std::memory_order_release); }
    void Fail(std::size_t k, std::exception_ptr failure) {
        failure_ = std::move(failure);
        states_[k].store(Failed, std::memory_order_release);
    }
    [[noreturn]] void Rethrow() const { std::rethrow_exception(failure_); }

private:
    std::vector<std::vector<ParsedLine>> lines_;
    std::vector<ImportNotTaken> refused_;  // the lines of each piece that gave no message
    std::unique_ptr<std::atomic<std::uint8_t>[]> states_;
    std::exception_ptr failure_;
};

// The helper thread: pieces from the back, until they meet the calling thread's or it is
// told to stop (it then leaves the piece it is in unfinished).
void ParseFromBack(const std::atomic<bool>& stop, const std::vector<std::string_view>& pieces, unsigned char separator,
                   PieceClaims& claims, HelperResults& out, const MessageLineSplit& split) {
    std::size_t k = 0;
    const auto keepGoing = [&] { return !stop.load(std::memory_order_relaxed); };
    try {
        while (keepGoing() && claims.TakeBack(k)) {
            if (split.BeforePiece) split.BeforePiece(pieces[k], true);
            std::vector<ParsedLine>& lines = out.Lines(k);
            lines.reserve(pieces[k].size() / ShortestUsualLine);
            XMsgRecType work;
            ParseLines(pieces[k], separator, work, [&](XMsgRecType& m, std::uint64_t key) {
                lines.push_back(ParsedLine{std::move(m), key});
            }, keepGoing, out.Refused(k));
            if (!keepGoing()) return;
            out.Finish(k);
        }
    } catch (...) {
        out.Fail(k, std::current_exception());
    }
}

std::int32_t ImportInPieces(MsgStore& S, std::string_view bytes, unsigned char separator, const MessageLineSplit& split,
                            ImportNotTaken& notTaken) {
    MessageAppender appender(S, bytes.size());
    XMsgRecType& work = S.Messages[0];
    const auto offer = [&](XMsgRecType& m, std::uint64_t key) { appender.Offer(m, key); };
    const auto always = [] { return true; };

    const std::vector<std::string_view> pieces = CutIntoPieces(bytes, split.PieceSize);
    PieceClaims claims(pieces.size());
    HelperResults helped(pieces.size());
    std::atomic<bool> stop = false;
    ImportHelperTask helper([&] { ParseFromBack(stop, pieces, separator, claims, helped, split); });
    // Leaving early (an exception) stops the helper before it is waited for.
    struct StopOnExit {
        std::atomic<bool>& Stop;
        ~StopOnExit() { Stop = true; }
    } stopOnExit{stop};
    std::size_t k = 0;
    for (std::size_t front = 0; claims.TakeFront(front); k = front + 1) {
        if (split.BeforePiece) split.BeforePiece(pieces[front], false);
        ParseLines(pieces[front], separator, work, offer, always, appender.NotTaken());
    }
    // The rest was taken by the helper, from the back: all parsed but for the one it may be
    // in, the lowest. That one is parsed here rather than waited for, the helper stopped.
    for (; k < pieces.size(); ++k) {
        const HelperResults::State state = helped.StateOf(k);
        if (state == HelperResults::Pending) {
            stop = true;
            ParseLines(pieces[k], separator, work, offer, always, appender.NotTaken());
            continue;
        }
        appender.NotTaken() += helped.Refused(k);
        for (ParsedLine& line : helped.Lines(k)) appender.Offer(line.Record, line.Key);
        helped.Lines(k) = {};
        if (state == HelperResults::Failed) helped.Rethrow();
    }
    stop = true;
    helper.End();
    notTaken += appender.NotTaken();
    return appender.Dropped();
}
}  // namespace

std::int32_t ImportMessageLines(MsgStore& S, std::string_view bytes, unsigned char separator,
                                const MessageLineSplit& split, ImportNotTaken* notTaken) {
    ReserveRoom(S);  // the work record stays where it is while the table grows
    std::int32_t dropped = 0;
    ImportNotTaken ignored;
    ImportNotTaken& counted = notTaken ? *notTaken : ignored;
    try {
        if (bytes.size() < split.ParallelFrom) {
            MessageAppender appender(S, bytes.size());
            ParseLines(bytes, separator, S.Messages[0],
                       [&](XMsgRecType& m, std::uint64_t key) { appender.Offer(m, key); }, [] { return true; },
                       appender.NotTaken());
            dropped = appender.Dropped();
            counted += appender.NotTaken();
        } else {
            dropped = ImportInPieces(S, bytes, separator, split, counted);
        }
    } catch (...) {
        S.Messages[0].Clear();
        throw;
    }
    S.Messages[0].Clear();
    return dropped;
}
