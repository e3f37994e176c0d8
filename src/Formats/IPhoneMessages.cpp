// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/IPhoneMessages.h"

#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <unordered_map>
#include <vector>

#include "Formats/ReadOnlyDatabase.h"
#include "Formats/SmsBackupFields.h"
#include "Formats/TypedStream.h"
#include "MBVars/Store.h"
#include "OFuncs/IoError.h"
#include "OFuncs/WholeCharacters.h"

namespace {
constexpr std::string_view SqliteMagic{"SQLite format 3\0", 16};
constexpr std::int64_t AppleEpochMillis = 978307200000;  // 2001-01-01 UTC
// Below this a date is seconds, from it on nanoseconds.
constexpr std::int64_t SmallestNanoseconds = 100'000'000'000;
constexpr std::int64_t ReactionsFrom = 2000, ReactionsTo = 3007;
// How much of a text or an archived text is read: the stored text is cut far below.
constexpr int LongestText = 65536;
constexpr int LongestArchive = 1 << 20;
constexpr std::size_t LongestParty = 4096;
constexpr int RowsBetweenProgress = 4096;
constexpr std::string_view ObjectReplacement = "\xEF\xBF\xBC";  // U+FFFC, where an attachment stands
constexpr std::string_view CrLf = "\r\n";

struct Statement {
    sqlite3_stmt* S = nullptr;
    ~Statement() { sqlite3_finalize(S); }
    bool Prepare(sqlite3* db, const std::string& sql) {
        return sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &S, nullptr) == SQLITE_OK;
    }
    std::string_view Text(int column) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(S, column));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(S, column))) : std::string_view();
    }
    std::string_view Blob(int column) const {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(S, column));
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(S, column))) : std::string_view();
    }
};

// The names of the tables (views do not count) and of one table's columns.
std::set<std::string> Names(sqlite3* db, const std::string& sql, bool& failed) {
    std::set<std::string> names;
    Statement st;
    if (!st.Prepare(db, sql)) {
        failed = true;
        return names;
    }
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st.S)) == SQLITE_ROW) names.emplace(st.Text(0));
    if (rc != SQLITE_DONE) failed = true;
    return names;
}

class Reader {
public:
    Reader(ReadOnlyDatabase& db, const BackupMessageSink& sink, BackupReadResult& result, const BackupProgress& progress,
           std::uint64_t fileSize)
        : db_(db.Handle()), sink_(sink), result_(result), progress_(progress), fileSize_(fileSize) {
        db.StopWhen(
            [](void* self) {
                auto* r = static_cast<Reader*>(self);
                return r->progress_ && !r->progress_(r->Position(), r->result_.Messages);
            },
            this);
    }
    ~Reader() = default;

    void Run() {
        result_ = BackupReadResult{};
        bool failed = false;
        const std::set<std::string> tables = Names(db_, "SELECT name FROM sqlite_master WHERE type = 'table'", failed);
        if (failed) return Fail();
        if (!tables.contains("message") || !tables.contains("handle")) return NotMessages();
        const std::set<std::string> columns = Names(db_, "SELECT name FROM pragma_table_info('message')", failed);
        const std::set<std::string> handleColumns = Names(db_, "SELECT name FROM pragma_table_info('handle')", failed);
        if (failed) return Fail();
        for (const char* needed : {"text", "handle_id", "date", "is_from_me"})
            if (!columns.contains(needed)) return NotMessages();
        if (!handleColumns.contains("id")) return NotMessages();
        const bool chats = tables.contains("chat_message_join");
        if (!ReadChatParties(tables)) return Fail();
        if (!LastRow()) return NotMessages();  // a table without row ids

        const auto optional = [&](const char* name, const char* otherwise) {
            return columns.contains(name) ? std::string("m.") + name : std::string(otherwise);
        };
        const std::string archive = columns.contains("attributedBody")
                                        ? "CASE WHEN length(m.attributedBody) <= " + std::to_string(LongestArchive) +
                                              " THEN m.attributedBody END"
                                        : "NULL";
        Statement messages;
        if (!messages.Prepare(db_, "SELECT m.ROWID, m.date, m.is_from_me, substr(m.text, 1, " + std::to_string(LongestText) +
                                       "), " + archive + ", " + optional("item_type", "0") + ", " +
                                       optional("associated_message_type", "0") + ", h.id, " +
                                       (chats ? "c.chat_id" : "NULL") +
                                       " FROM message AS m LEFT JOIN handle AS h ON h.ROWID = m.handle_id" +
                                       (chats ? " LEFT JOIN chat_message_join AS c ON c.message_id = m.ROWID" : "") +
                                       " ORDER BY m.ROWID"))
            return NotMessages();  // tables of these names, but not the phone's (no row ids, say)
        const bool attachments = tables.contains("message_attachment_join") && tables.contains("attachment");
        if (attachments && !attachments_.Prepare(db_, "SELECT j.message_id, a.mime_type FROM message_attachment_join AS j "
                                                      "LEFT JOIN attachment AS a ON a.ROWID = j.attachment_id "
                                                      "ORDER BY j.message_id, j.attachment_id"))
            return NotMessages();
        attachmentRow_ = attachments ? Step(attachments_) : SQLITE_DONE;
        if (attachmentRow_ != SQLITE_ROW && attachmentRow_ != SQLITE_DONE) return Fail();

        bool first = true;
        std::int64_t previous = 0;
        int rc = SQLITE_ROW;
        for (std::int64_t rows = 0; (rc = Step(messages)) == SQLITE_ROW; ++rows) {
            const std::int64_t id = sqlite3_column_int64(messages.S, 0);
            if (!first && id == previous) continue;  // the same message in a second chat
            first = false;
            previous = id;
            rowid_ = id;
            if (rows % RowsBetweenProgress == 0 && progress_ && !progress_(Position(), result_.Messages)) {
                result_.End = BackupEnd::Stopped;
                return;
            }
            if (!Offer(messages)) return Fail();
        }
        if (rc != SQLITE_DONE) return Fail();
    }

private:
    int Step(Statement& st) { return sqlite3_step(st.S); }

    // Where the reading stands, as a share of the file's size.
    std::uint64_t Position() const {
        if (lastRow_ <= 0 || rowid_ <= 0) return 0;
        return static_cast<std::uint64_t>(static_cast<double>(fileSize_) * static_cast<double>(std::min(rowid_, lastRow_)) /
                                          static_cast<double>(lastRow_));
    }

    bool LastRow() {
        Statement st;
        if (!st.Prepare(db_, "SELECT max(ROWID) FROM message")) return false;
        const int rc = Step(st);
        if (rc == SQLITE_ROW) lastRow_ = sqlite3_column_int64(st.S, 0);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    }

    // Each chat's other members in the order they joined, joined by "~" as a backup's group
    // address is: a sent message that names nobody goes to its chat's.
    bool ReadChatParties(const std::set<std::string>& tables) {
        if (tables.contains("chat_handle_join")) {
            Statement st;
            if (!st.Prepare(db_, "SELECT j.chat_id, h.id FROM chat_handle_join AS j JOIN handle AS h ON h.ROWID = j.handle_id "
                                 "ORDER BY j.chat_id, j.ROWID"))
                return true;  // not the phone's table: no chat names its party
            int rc = SQLITE_ROW;
            while ((rc = Step(st)) == SQLITE_ROW) {
                std::string& party = chatParty_[sqlite3_column_int64(st.S, 0)];
                const std::string_view member = st.Text(1);
                if (member.empty() || party.size() + member.size() >= LongestParty) continue;
                if (!party.empty()) party += '~';
                party += member;
            }
            if (rc != SQLITE_DONE) return false;
        }
        if (tables.contains("chat")) {
            // A chat without members names its party itself (a one-to-one chat's identifier
            // is the other's number or address).
            bool failed = false;
            const std::set<std::string> columns = Names(db_, "SELECT name FROM pragma_table_info('chat')", failed);
            if (failed) return false;
            if (!columns.contains("chat_identifier")) return true;
            Statement st;
            if (!st.Prepare(db_, "SELECT ROWID, substr(chat_identifier, 1, " + std::to_string(LongestParty) + ") FROM chat"))
                return true;
            int rc = SQLITE_ROW;
            while ((rc = Step(st)) == SQLITE_ROW) {
                const std::int64_t chat = sqlite3_column_int64(st.S, 0);
                if (!chatParty_.contains(chat) && !st.Text(1).empty()) chatParty_[chat] = st.Text(1);
            }
            if (rc != SQLITE_DONE) return false;
        }
        return true;
    }

    // The words of this message's attachments, in order; false when SQLite failed.
    bool Attachments(std::vector<std::string_view>& words) {
        words.clear();
        while (attachmentRow_ == SQLITE_ROW) {
            const std::int64_t owner = sqlite3_column_int64(attachments_.S, 0);
            if (owner > rowid_) break;
            if (owner == rowid_) {
                const std::optional<std::string_view> word = PartPlaceholder(attachments_.Text(1));
                if (!word) words.push_back("[file]");  // a text file
                else if (!word->empty()) words.push_back(*word);
            }
            attachmentRow_ = Step(attachments_);
        }
        return attachmentRow_ == SQLITE_ROW || attachmentRow_ == SQLITE_DONE;
    }

    bool Offer(const Statement& row) {
        sqlite3_stmt* s = row.S;
        if (!Attachments(words_)) return false;
        if (sqlite3_column_int64(s, 5) != 0) {
            ++result_.GroupEvents;
            return true;
        }
        if (const std::int64_t kind = sqlite3_column_int64(s, 6); kind >= ReactionsFrom && kind <= ReactionsTo) {
            ++result_.Reactions;
            return true;
        }
        BackupMessage m;
        const std::uint16_t direction = sqlite3_column_int64(s, 2) != 0 ? MsgSent : MsgReceived;
        m.Record.Flags = static_cast<std::uint16_t>((words_.empty() ? MsgSms : MsgMms) | MsgExactTime | direction);

        std::string_view party = row.Text(7);
        if (party.empty() && sqlite3_column_type(s, 8) != SQLITE_NULL) {
            const auto chat = chatParty_.find(sqlite3_column_int64(s, 8));
            if (chat != chatParty_.end()) party = chat->second;
        }
        m.Record.Phone = BackupPhone(party);

        std::string& text = m.Record.Text;
        for (const std::string_view word : words_) {
            if (!text.empty()) text += CrLf;
            text += word;
        }
        std::optional<std::string> decoded;
        std::string_view body = row.Text(3);
        if (body.empty() && sqlite3_column_type(s, 4) == SQLITE_BLOB) {
            decoded = TypedStreamText(row.Blob(4));
            if (decoded) body = *decoded;
        }
        body_.clear();
        for (std::size_t from = 0;;) {  // the attachments' places are said above
            const std::size_t mark = body.find(ObjectReplacement, from);
            body_.append(body.substr(from, mark == std::string_view::npos ? std::string_view::npos : mark - from));
            if (mark == std::string_view::npos) break;
            from = mark + ObjectReplacement.size();
        }
        const std::size_t first = body_.find_first_not_of(" \r\n");
        if (first != std::string::npos) {
            if (!text.empty()) text += CrLf;
            AppendBackupText(std::string_view(body_).substr(first, body_.find_last_not_of(" \r\n") + 1 - first), text);
        }
        if (text.size() > MaxTextLength) text.resize(CutToWholeCharacters(text, MaxTextLength).size());

        std::optional<std::int64_t> millis;
        const int dateType = sqlite3_column_type(s, 1);
        if (dateType == SQLITE_INTEGER) millis = AppleDateMillis(sqlite3_column_int64(s, 1));
        if (dateType == SQLITE_FLOAT) {
            const double d = sqlite3_column_double(s, 1);
            if (d > -9.2e18 && d < 9.2e18) millis = AppleDateMillis(static_cast<std::int64_t>(d));
        }
        const std::optional<TimeText> time = millis ? BackupTimeOfMillis(*millis) : std::nullopt;
        if (!time || m.Record.Phone.empty() || text.empty()) {
            ++result_.WithoutContent;
            return true;
        }
        m.Record.Time = *time;
        m.Millis = *millis;
        ++result_.Messages;
        sink_(m);
        return true;
    }

    void NotMessages() { result_.End = BackupEnd::NotBackup; }
    void Fail() {
        const int code = sqlite3_errcode(db_);
        if (code == SQLITE_INTERRUPT) {
            result_.End = BackupEnd::Stopped;
        } else if (code == SQLITE_NOTADB && result_.Messages == 0) {
            result_.End = BackupEnd::NotBackup;
        } else {
            result_.End = BackupEnd::Damaged;
            result_.Reason = sqlite3_errmsg(db_);
        }
    }

    sqlite3* db_;
    const BackupMessageSink& sink_;
    BackupReadResult& result_;
    const BackupProgress& progress_;
    std::uint64_t fileSize_;
    std::int64_t lastRow_ = 0, rowid_ = 0;
    std::unordered_map<std::int64_t, std::string> chatParty_;
    Statement attachments_;
    int attachmentRow_ = SQLITE_DONE;
    std::vector<std::string_view> words_;
    std::string body_;
};
}  // namespace

bool IsSqliteHeader(std::string_view head) { return head.starts_with(SqliteMagic); }

std::optional<std::int64_t> AppleDateMillis(std::int64_t date) {
    constexpr std::int64_t LargestSeconds = SmallestNanoseconds;  // beyond any year a time is shown in
    if (date > -LargestSeconds && date < LargestSeconds) return date * 1000 + AppleEpochMillis;
    // Nanoseconds: whole milliseconds toward the past.
    const std::int64_t ms = date / 1'000'000 - (date % 1'000'000 < 0 ? 1 : 0);
    return ms + AppleEpochMillis;
}

void ReadIPhoneMessages(ReadOnlyDatabase& db, const BackupMessageSink& sink, BackupReadResult& result,
                        const BackupProgress& progress, std::uint64_t fileSize) {
    Reader reader(db, sink, result, progress, fileSize);
    reader.Run();
    db.StopWhen(nullptr, nullptr);
}

int ReadIPhoneMessagesFile(const std::string& path, const std::string& wal, const BackupMessageSink& sink,
                           BackupReadResult& result, const BackupProgress& progress) {
    result = BackupReadResult{};
    ReadOnlyDatabase db;
    if (const int err = db.Open(path, wal)) return err;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    ReadIPhoneMessages(db, sink, result, progress, ec ? 0 : size);
    return 0;
}

BackupReadResult ReadIPhoneMessagesBytes(std::string_view bytes, const BackupMessageSink& sink) {
    BackupReadResult result;
    ReadOnlyDatabase db;
    if (db.OpenBytes(bytes) != 0) {
        result.End = BackupEnd::NotBackup;
        return result;
    }
    ReadIPhoneMessages(db, sink, result, {}, bytes.size());
    return result;
}
