// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/SmsBackupReader.h"

#include <expat.h>

#include <cstring>
#include <vector>

#include "Formats/SmsBackupFields.h"
#include "MBVars/Store.h"
#include "OFuncs/FileReader.h"
#include "OFuncs/WholeCharacters.h"
#include "Formats/XmlRepair.h"

namespace {
constexpr std::size_t ChunkSize = std::size_t(1) << 18;
constexpr std::string_view CrLf = "\r\n";
constexpr std::string_view FromAddress = "137";

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
    XmlRepairFilter Filter;
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
    std::string FromNumber;
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
            if (FromNumber.empty() && type == FromAddress && IsPhoneNumber(address))
                FromNumber = address;
        }
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
        m.Record.Phone = BackupPhone(Attribute(atts, "address"));
        m.Record.Name = BackupName(Attribute(atts, "contact_name"));
        AppendBackupText(Attribute(atts, "body"), m.Record.Text);
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
        Mms.Record.Name = BackupName(Attribute(atts, "contact_name"));
        MmsAddress = Attribute(atts, "address");
        MmsDate = Attribute(atts, "date");
        FromNumber.clear();
    }

    void AddPart(const XML_Char** atts) {
        std::string& text = Mms.Record.Text;
        if (text.size() > MaxTextLength) return;  // cut below; the rest is not needed
        const std::optional<std::string_view> word = PartPlaceholder(Attribute(atts, "ct"));
        const std::string_view piece = word ? *word : Attribute(atts, "text");
        if (piece.empty()) return;
        if (!text.empty()) text += CrLf;
        AppendBackupText(piece, text);
    }

    void EndMms() {
        InMms = false;
        const bool received = Mms.Record.Flags & MsgReceived;
        Mms.Record.Phone = BackupPhone(received && !FromNumber.empty() ? FromNumber : MmsAddress);
        Give(Mms, MmsDate);
    }

    // Completes a message with its time and hands it on, or counts it passed over.
    void Give(BackupMessage& m, std::string_view date) {
        const std::optional<TimeText> time = BackupTime(date);
        std::string& text = m.Record.Text;
        if (text.size() > MaxTextLength) text.resize(CutToWholeCharacters(text, MaxTextLength).size());
        if (!time || m.Record.Phone.empty() || text.empty()) {
            ++(time ? Result.WithoutContent : Result.NotADate);
            return;
        }
        m.Record.Time = *time;
        m.Millis = *BackupMillis(date);
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

SmsBackupParser::SmsBackupParser(BackupMessageSink sink) : state_(std::make_unique<State>()) {
    state_->Sink = std::move(sink);
    state_->Parser = XML_ParserCreate(nullptr);
    if (!state_->Parser) throw std::bad_alloc();
    XML_SetUserData(state_->Parser, state_.get());
    XML_SetElementHandler(
        state_->Parser,
        [](void* data, const XML_Char* name, const XML_Char** atts) { static_cast<State*>(data)->StartElement(name, atts); },
        [](void* data, const XML_Char* name) { static_cast<State*>(data)->EndElement(name); });
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
        if (!s.Parse(s.Repaired.data(), s.Repaired.size(), end)) return false;
    } while (!bytes.empty());
    return !s.Ended;
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

BackupReadResult ReadSmsBackupBytes(std::string_view bytes, const BackupMessageSink& sink) {
    SmsBackupParser parser(sink);
    parser.Feed(bytes, true);
    return parser.Result();
}

int ReadSmsBackupFile(const std::string& path, const BackupMessageSink& sink, BackupReadResult& result,
                      const BackupProgress& progress) {
    FileReader file;
    if (const int err = file.Open(path)) return err;
    ReadSmsBackupFrom(file, sink, result, progress);
    return 0;
}

void ReadSmsBackupFrom(FileReader& file, const BackupMessageSink& sink, BackupReadResult& result,
                       const BackupProgress& progress) {
    SmsBackupParser parser(sink);
    std::vector<char> chunk(ChunkSize);
    std::uint64_t read = 0;
    for (;;) {
        const std::size_t n = file.ReadSome(chunk.data(), chunk.size());
        read += n;
        const bool last = n < chunk.size();
        if (progress && !progress(read, parser.Result().Messages)) {
            parser.Stop();
            break;
        }
        if (!parser.Feed(std::string_view(chunk.data(), n), last) || last) break;
    }
    result = parser.Result();
}

bool LooksLikeXmlFile(const std::string& path) {
    FileReader file;
    return file.Open(path) == 0 && LooksLikeXml(file.Head());
}

bool LooksLikeXml(std::string_view s) {
    if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    return !s.empty() && s.front() == '<';
}
