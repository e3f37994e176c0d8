// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupReader.h"

#include <expat.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "Formats/MediaWriter.h"
#include "Formats/SmsBackupFields.h"
#include "MBVars/Store.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/WholeCharacters.h"
#include "Formats/XmlRepair.h"

namespace {
constexpr std::size_t ChunkSize = std::size_t(1) << 18;
// What the reading thread hands over at a time: large, so that the threads seldom wait for
// each other.
constexpr std::size_t PieceSize = std::size_t(1) << 20;
constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view FromAddress = "137";
constexpr std::string_view ToAddress = "151";
constexpr std::string_view CcAddress = "130";
constexpr std::size_t MaxMembers = 64;  // of one group: more would only fill the text
constexpr std::size_t MaxMedia = 100;   // of one message: a phone sends a few

// The value of attribute `name`, or empty.
std::string_view Attribute(const XML_Char** atts, std::string_view name) {
    for (; atts[0]; atts += 2)
        if (name == atts[0]) return atts[1];
    return {};
}

std::uint16_t Direction(std::string_view type) {
    if (type == "1") return MsgReceived;
    if (type == "2") return MsgSent;
    return 0;
}
}  // namespace

struct SmsBackupParser::State {
    XML_Parser Parser = nullptr;
    // Only the attributes read here reach the parser: a phone writes a dozen more per message.
    XmlRepairFilter Filter{{"address", "body", "cl", "contact_name", "ct", "date", "fn", "msg_box", "name", "text", "type"}};
    MediaWriter* Media = nullptr;
    std::string Repaired;
    BackupMessageSink Sink;
    BackupReadResult Result;
    bool Ended = false;
    bool StoppedByCaller = false;
    bool SawRoot = false;
    int Depth = 0;

    // The MMS being read, from its start tag to its end tag.
    bool InMms = false;
    BackupMessage Mms;
    std::string MmsAddress;
    std::string MmsName;
    std::vector<std::string> From, To;  // the `addr` numbers: the sender; the receivers and copies
    std::string MmsDate;

    void StartElement(const XML_Char* name, const XML_Char** atts) {
        ++Depth;
        if (Depth == 1) {
            SawRoot = true;
            if (std::strcmp(name, "smses") != 0) {
                Result.End = BackupEnd::NotBackup;
                XML_StopParser(Parser, XML_FALSE);
            }
            return;
        }
        if (Depth == 2 && std::strcmp(name, "sms") == 0) {
            ReadSms(atts);
        } else if (Depth == 2 && std::strcmp(name, "mms") == 0) {
            StartMms(atts);
        } else if (InMms && std::strcmp(name, "part") == 0) {
            AddPart(atts);
        } else if (InMms && std::strcmp(name, "addr") == 0) {
            const std::string_view type = Attribute(atts, "type");
            const std::string_view address = Attribute(atts, "address");
            std::vector<std::string>* list = type == FromAddress                     ? &From
                                             : type == ToAddress || type == CcAddress ? &To
                                                                                      : nullptr;
            if (list && list->size() < MaxMembers && IsPhoneNumber(address)) list->emplace_back(BackupPhone(address));
        }
    }

    // Entities are never expanded: a backup carries no DOCTYPE.
    void StartDoctype() {
        if (Result.End == BackupEnd::NotBackup) return;
        Result.End = BackupEnd::NotBackup;
        XML_StopParser(Parser, XML_FALSE);
    }

    void EndElement(const XML_Char* name) {
        if (Depth == 2 && InMms && std::strcmp(name, "mms") == 0) EndMms();
        --Depth;
    }

    void ReadSms(const XML_Char** atts) {
        BackupMessage m;
        const std::uint16_t direction = Direction(Attribute(atts, "type"));
        if (!direction) {
            ++Result.OtherTypes;
            return;
        }
        m.Record.Flags = static_cast<std::uint16_t>(MsgSms | MsgExactTime | direction);
        const std::string_view address = Attribute(atts, "address");
        const std::string_view phone = BackupPhone(address);
        m.Record.Phone = phone;
        m.Record.Name = BackupName(Attribute(atts, "contact_name"), phone);
        AppendBackupText(Attribute(atts, "body"), m.Record.Text);
        if (address.find_first_of("~,;") != std::string_view::npos) {
            const std::vector<std::string_view> listed = BackupNumbers(address);
            std::vector<std::string> others;
            for (const std::string_view n : listed) AddMember(others, n, phone);
            AddGroupLine(others, m.Record.Text);
        }
        Give(m, Attribute(atts, "date"));
    }

    void StartMms(const XML_Char** atts) {
        const std::uint16_t direction = Direction(Attribute(atts, "msg_box"));
        if (!direction) {
            ++Result.OtherTypes;
            return;
        }
        InMms = true;
        Mms = BackupMessage{};
        Mms.Record.Flags = static_cast<std::uint16_t>(MsgMms | MsgExactTime | direction);
        MmsName = Attribute(atts, "contact_name");
        MmsAddress = Attribute(atts, "address");
        MmsDate = Attribute(atts, "date");
        From.clear();
        To.clear();
    }

    void AddPart(const XML_Char** atts) {
        const std::string_view type = Attribute(atts, "ct");
        if (Media) TakeMedium(atts, type);
        std::string& text = Mms.Record.Text;
        if (text.size() > MaxTextLength) return;  // cut below; the rest is not needed
        const std::optional<std::string_view> word = PartPlaceholder(type);
        const std::string_view piece = word ? *word : Attribute(atts, "text");
        if (piece.empty()) return;
        if (!text.empty()) text += CrLf;
        AppendBackupText(piece, text);
    }

    // The data of a part went to the media writer, which left its token in its place: the
    // medium is kept for a part that shows as a placeholder (not a text, not a layout).
    void TakeMedium(const XML_Char** atts, std::string_view type) {
        std::string_view token = Attribute(atts, "data");
        token = token.substr(0, token.find(' '));  // the value's line feeds follow it
        if (token.empty()) return;
        const std::optional<std::string_view> word = PartPlaceholder(type);
        if (!word || word->empty() || Mms.Media.size() >= MaxMedia) return Media->Drop(token);
        std::string_view name = MediaPartName(Attribute(atts, "name")).empty() ? Attribute(atts, "fn") : Attribute(atts, "name");
        if (MediaPartName(name).empty()) name = Attribute(atts, "cl");
        if (std::optional<MediaItem> item = Media->Keep(token, type, name)) Mms.Media.push_back(std::move(*item));
    }

    // Adds n to a group's other members unless it is the message's phone or listed already.
    static void AddMember(std::vector<std::string>& others, std::string_view n, std::string_view phone) {
        if (n == phone || others.size() >= MaxMembers || std::find(others.begin(), others.end(), n) != others.end()) return;
        others.emplace_back(n);
    }

    // A message of a group starts with the line naming the group's other members, in byte
    // order, so that the same message reads the same whatever order a backup lists them in.
    static void AddGroupLine(std::vector<std::string> others, std::string& text) {
        if (others.empty() || text.empty()) return;
        std::sort(others.begin(), others.end());
        text.insert(0, GroupLine(others) + std::string(CrLf));
    }

    // The other party is the `address` when it names one number; else, and for a group,
    // the sender of a received message and the smallest number among the receivers of a
    // sent one (as `addrs` give them, else as `address` lists them), so that the same group
    // message is read under the same number whatever order a backup lists its members in.
    // The other members of a group, in byte order: the numbers of `address` when it names
    // several, else the receivers `addrs` give for a sent message without `address`, or for
    // any message that went to several (a received one then has the reader's own number
    // among them: the file does not tell which it is).
    void EndMms() {
        InMms = false;
        const bool received = Mms.Record.Flags & MsgReceived;
        const std::vector<std::string_view> listed = BackupNumbers(MmsAddress);
        const std::vector<std::string>& party = received ? From : To;
        const auto smallest = [](const auto& numbers) { return std::string_view(*std::min_element(numbers.begin(), numbers.end())); };
        std::string_view phone;
        if (listed.size() == 1) phone = listed.front();
        else if (!party.empty()) phone = received ? std::string_view(party.front()) : smallest(party);
        else if (!listed.empty()) phone = received ? listed.front() : smallest(listed);
        else if (!From.empty()) phone = From.front();
        else if (!To.empty()) phone = To.front();
        Mms.Record.Phone = phone;
        Mms.Record.Name = BackupName(MmsName, phone);
        std::vector<std::string> others;
        if (listed.size() >= 2)
            for (const std::string_view n : listed) AddMember(others, n, phone);
        else if ((!received && listed.empty()) || To.size() >= 2)
            for (const std::string& n : To) AddMember(others, n, phone);
        AddGroupLine(others, Mms.Record.Text);
        Give(Mms, MmsDate);
    }

    // Completes a message with its time and hands it on, or counts it passed over.
    void Give(BackupMessage& m, std::string_view date) {
        const std::optional<std::int64_t> millis = BackupMillis(date);
        const std::optional<TimeText> time = millis ? BackupTimeOfMillis(*millis) : std::nullopt;
        if (!time) {
            ++Result.NotADate;
            return;
        }
        std::string& text = m.Record.Text;
        if (m.Record.Phone.empty() || text.empty()) {
            ++Result.WithoutContent;
            return;
        }
        if (text.size() > MaxTextLength) {
            text.resize(CutToWholeCharacters(text, MaxTextLength).size());
            ++Result.TextsCut;
        }
        m.Record.Time = *time;
        m.Millis = *millis;
        ++Result.Messages;
        Sink(m);
    }

    bool Parse(const char* bytes, std::size_t n, bool last) {
        if (XML_Parse(Parser, bytes, static_cast<int>(n), last ? XML_TRUE : XML_FALSE) != XML_STATUS_ERROR) {
            if (last) Ended = true;
            return true;
        }
        Ended = true;
        if (StoppedByCaller) {
            Result.End = BackupEnd::Stopped;
        } else if (Result.End != BackupEnd::NotBackup) {
            if (!SawRoot) {
                Result.End = BackupEnd::NotBackup;
            } else {
                Result.End = BackupEnd::Damaged;
                Result.Line = XML_GetCurrentLineNumber(Parser);
                Result.Reason = XML_ErrorString(XML_GetErrorCode(Parser));
            }
        }
        return false;
    }
};

SmsBackupParser::SmsBackupParser(BackupMessageSink sink, MediaWriter* media) : state_(std::make_unique<State>()) {
    state_->Sink = std::move(sink);
    if (media && !media->Folder().empty()) {
        state_->Media = media;
        state_->Filter.SendValues("part", "data", media);
    }
    state_->Parser = XML_ParserCreate(nullptr);
    if (!state_->Parser) throw std::bad_alloc();
    XML_SetUserData(state_->Parser, state_.get());
    XML_SetElementHandler(
        state_->Parser,
        [](void* data, const XML_Char* name, const XML_Char** atts) { static_cast<State*>(data)->StartElement(name, atts); },
        [](void* data, const XML_Char* name) { static_cast<State*>(data)->EndElement(name); });
    XML_SetStartDoctypeDeclHandler(state_->Parser, [](void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<State*>(data)->StartDoctype();
    });
}

SmsBackupParser::~SmsBackupParser() { XML_ParserFree(state_->Parser); }

bool SmsBackupParser::Feed(std::string_view bytes, bool last) {
    State& s = *state_;
    if (s.Ended) return false;
    // Chunk by chunk, so that the repaired copy stays small whatever the caller hands in.
    do {
        const std::string_view piece = bytes.substr(0, ChunkSize);
        bytes.remove_prefix(piece.size());
        s.Repaired.clear();
        s.Filter.Feed(piece, s.Repaired);
        const bool end = last && bytes.empty();
        if (end) s.Filter.Finish(s.Repaired);
        const bool going = s.Parse(s.Repaired.data(), s.Repaired.size(), end);
        if (s.Media) s.Media->Settle();  // media of parts the parser has passed and no reader kept
        if (!going) return false;
    } while (!bytes.empty());
    return !s.Ended;
}

namespace {
// The pieces of a file on their way from the thread that reads them to the one that parses
// them: a few at a time, each slot's buffer used again.
class PiecePipe {
public:
    struct Piece {
        std::string Bytes;
        std::uint64_t Read = 0;  // bytes of the file read so far
        bool Last = false;
        std::exception_ptr Failure;
    };
    // The slot to fill next, once one is free; nullptr when the reader is to stop.
    Piece* Free() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || count_ < slots_.size(); });
        return stop_ ? nullptr : &slots_[(head_ + count_) % slots_.size()];
    }
    void Filled() {
        const std::lock_guard lock(mutex_);
        ++count_;
        changed_.notify_all();
    }
    // The next piece, once there is one.
    Piece& Next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return count_ > 0; });
        return slots_[head_];
    }
    void Used() {
        const std::lock_guard lock(mutex_);
        head_ = (head_ + 1) % slots_.size();
        --count_;
        changed_.notify_all();
    }
    void Stop() {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<Piece, 4> slots_;
    std::size_t head_ = 0, count_ = 0;
    bool stop_ = false;
};
}  // namespace

void SmsBackupParser::FeedFile(FileReader& file, const BackupProgress& progress) {
    State& s = *state_;
    if (std::thread::hardware_concurrency() < 2) {
        std::vector<char> chunk(ChunkSize);
        std::uint64_t read = 0;
        for (;;) {
            const std::size_t n = file.ReadSome(chunk.data(), chunk.size());
            read += n;
            const bool last = n < chunk.size();
            if (progress && !progress(read, s.Result.Messages)) return Stop();
            if (!Feed(std::string_view(chunk.data(), n), last) || last) return;
        }
    }
    // The media writer hears from the filter and from the parser alike: with one, the
    // filter stays on this thread.
    const bool repairAhead = !s.Media;
    PiecePipe pipe;
    std::thread reader([&] {
        std::vector<char> chunk(PieceSize);
        std::uint64_t read = 0;
        for (bool last = false; !last;) {
            PiecePipe::Piece* piece = pipe.Free();
            if (!piece) return;
            piece->Bytes.clear();
            try {
                const std::size_t n = file.ReadSome(chunk.data(), chunk.size());
                read += n;
                last = n < chunk.size();
                const std::string_view bytes(chunk.data(), n);
                if (repairAhead) {
                    s.Filter.Feed(bytes, piece->Bytes);
                    if (last) s.Filter.Finish(piece->Bytes);
                } else {
                    piece->Bytes.assign(bytes);
                }
            } catch (...) {
                piece->Failure = std::current_exception();
                last = true;
            }
            piece->Read = read;
            piece->Last = last;
            pipe.Filled();
        }
    });
    struct Joined {  // however this thread leaves, the reader stops and is waited for
        PiecePipe& Pipe;
        std::thread& Reader;
        ~Joined() {
            Pipe.Stop();
            Reader.join();
        }
    } joined{pipe, reader};
    std::exception_ptr failure;
    for (;;) {
        PiecePipe::Piece& piece = pipe.Next();
        if ((failure = piece.Failure)) break;
        if (progress && !progress(piece.Read, s.Result.Messages)) {
            Stop();
            break;
        }
        const bool going = repairAhead ? s.Parse(piece.Bytes.data(), piece.Bytes.size(), piece.Last)
                                       : Feed(piece.Bytes, piece.Last);
        const bool last = piece.Last;
        pipe.Used();
        if (!going || last || s.Ended) break;
    }
    if (failure) std::rethrow_exception(failure);
}

void SmsBackupParser::Stop() {
    State& s = *state_;
    if (s.Ended) return;
    s.StoppedByCaller = true;
    s.Ended = true;
    s.Result.End = BackupEnd::Stopped;
}

const BackupReadResult& SmsBackupParser::Result() const {
    return state_->Result;
}

BackupReadResult ReadSmsBackupBytes(std::string_view bytes, const BackupMessageSink& sink, MediaWriter* media) {
    SmsBackupParser parser(sink, media);
    parser.Feed(bytes, true);
    return parser.Result();
}

int ReadSmsBackupFile(const std::string& path, const BackupMessageSink& sink, BackupReadResult& result,
                      const BackupProgress& progress, MediaWriter* media) {
    FileReader file;
    if (const int err = file.Open(path)) return err;
    ReadSmsBackupFrom(file, sink, result, progress, media);
    return 0;
}

void ReadSmsBackupFrom(FileReader& file, const BackupMessageSink& sink, BackupReadResult& result,
                       const BackupProgress& progress, MediaWriter* media) {
    SmsBackupParser parser(sink, media);
    parser.FeedFile(file, progress);
    result = parser.Result();
}

bool LooksLikeXml(std::string_view s) {
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    return !s.empty() && s.front() == '<';
}
