// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Formats/FileKind.h"
#include "Formats/IPhoneMessages.h"
#include "Formats/SmsBackupFields.h"
#include "Formats/TypedStream.h"
#include "MBVars/ImportFile.h"
#include "OFuncs/IoError.h"
#include "cli/ImportCommand.h"
#include "support/FileTestHelpers.h"
#include "support/MessagesDatabase.h"

namespace {
namespace fs = std::filesystem;
using test::AppleNanoseconds;
using test::AppleSeconds;
using test::MessagesDatabase;

constexpr std::int64_t May2023 = 1682942400;  // 2023-05-01 12:00 UTC
const std::string Grin = "\xF0\x9F\x98\x80";
const std::string Attachment = "\xEF\xBF\xBC";  // U+FFFC

std::string TimeOf(std::int64_t unixSeconds) { return BackupTimeOfMillis(unixSeconds * 1000)->str(); }

std::vector<BackupMessage> ReadAll(const std::string& db, BackupReadResult& result) {
    std::vector<BackupMessage> got;
    EXPECT_EQ(ReadIPhoneMessagesFile(db, db + "-wal", [&](BackupMessage& m) { got.push_back(m); }, result), 0);
    return got;
}

std::map<fs::path, std::string> FilesIn(const fs::path& dir) {
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) files[e.path()] = TempDir::Read(e.path().string());
    return files;
}

TEST(TypedStream, DecodesWhatItArchivesAndRefusesEverythingCutOrBent) {
    for (const std::string& text : {std::string(), std::string("Hi"), "Caf\xC3\xA9 " + Grin + Attachment + " ok",
                                    std::string(300, 'x'), std::string(40000, 'y')}) {
        const std::string archive = MakeTypedStream(text);
        ASSERT_EQ(TypedStreamText(archive), text);
        // Every cut inside what is read is refused.
        const std::size_t read = archive.size() - 7;  // the attribute run after the string is not read
        for (std::size_t n = 0; n < read; n += (n < 200 ? 1 : 997)) EXPECT_FALSE(TypedStreamText(archive.substr(0, n))) << n;
    }
    const std::string good = MakeTypedStream("Hello");
    const auto bent = [&](std::size_t at, char to) {
        std::string b = good;
        b[at] = to;
        return b;
    };
    const std::size_t attributed = good.find("NSAttributedString"), string = good.find("NSString");
    for (const std::string& bad : {bent(0, 3), bent(2, 'S'), bent(good.find('@'), '#'), bent(attributed + 2, 'X'),
                                   bent(string + 2, 'X'), bent(good.find('+'), '*'), bent(good.find("Hello") - 1, 6),
                                   bent(good.find("Hello") + 5, '\x85'), bent(good.find("Hello"), '\xC3'),
                                   bent(string + 10, '\x99')})
        EXPECT_FALSE(TypedStreamText(bad)) << bad;
}

// One database with every kind of row a phone writes.
TEST(IPhoneMessages, ReadsEachKindOfRowAsABackupsMessage) {
    TempDir dir;
    const std::string path = PathIn(dir, "sms.db");
    {
        MessagesDatabase db(path);
        const auto ann = db.Handle("+15555550101"), bob = db.Handle("bob@example.com"), cy = db.Handle("+15555550103");
        const auto annChat = db.Chat("+15555550101", {ann}), group = db.Chat("chat555", {cy, ann});
        const auto at = [](int minutes) { return May2023 + 60 * minutes; };
        db.Message({ann, AppleSeconds(at(0)), false, "Seconds", {}, 0, 0, {annChat}, {}});
        db.Message({ann, AppleNanoseconds(at(1)) + 123456789, true, "Nano\nseconds", {}, 0, 0, {annChat}, {}});
        db.Message({ann, AppleNanoseconds(at(2)), false, std::nullopt, MakeTypedStream("Archived " + Grin), 0, 0, {annChat}, {}});
        db.Message({bob, AppleNanoseconds(at(3)), false, "", MakeTypedStream("Mail"), 0, 0, {}, {}});
        db.Message({0, AppleNanoseconds(at(4)), true, "To the group", {}, 0, 0, {group}, {}});
        db.Message({cy, AppleNanoseconds(at(5)), false, "From Cy", {}, 0, 0, {group}, {}});
        db.Message({ann, AppleNanoseconds(at(6)), false, Attachment + "Look", {}, 0, 0, {annChat}, {"image/jpeg", "video/mp4"}});
        db.Message({ann, AppleNanoseconds(at(7)), false, std::nullopt, {}, 0, 0, {annChat}, {std::nullopt}});
        db.Message({ann, AppleNanoseconds(at(8)), false, "Twice listed", {}, 0, 0, {annChat, group}, {}});
        // Passed over: reactions, group events, rows without text, party or date.
        db.Message({ann, AppleNanoseconds(at(9)), true, "Loved \xE2\x80\x9CSeconds\xE2\x80\x9D", {}, 0, 2000, {annChat}, {}});
        db.Message({ann, AppleNanoseconds(at(9)), true, "Removed a like", {}, 0, 3001, {annChat}, {}});
        db.Message({ann, AppleNanoseconds(at(9)), true, "Sticker", {}, 0, 3007, {annChat}, {}});
        db.Message({cy, AppleNanoseconds(at(9)), false, {}, {}, 1, 0, {group}, {}});
        db.Message({cy, AppleNanoseconds(at(9)), false, {}, {}, 2, 0, {group}, {}});
        db.Message({ann, AppleNanoseconds(at(9)), false, std::nullopt, std::string("not an archive"), 0, 0, {annChat}, {}});
        db.Message({0, AppleNanoseconds(at(9)), false, "Nobody", {}, 0, 0, {}, {}});
        db.Exec("INSERT INTO message (guid, text, handle_id, date) VALUES ('no date', 'x', 1, NULL)");
    }
    BackupReadResult result;
    const std::vector<BackupMessage> got = ReadAll(path, result);
    struct Expected {
        std::uint16_t Flags;
        std::string Phone, Text;
        int Minute;
    };
    const std::uint16_t In = MsgSms | MsgReceived | MsgExactTime, Out = MsgSms | MsgSent | MsgExactTime;
    const std::uint16_t MmsIn = MsgMms | MsgReceived | MsgExactTime;
    const std::vector<Expected> expected = {
        {In, "+15555550101", "Seconds", 0},
        {Out, "+15555550101", "Nano\r\nseconds", 1},
        {In, "+15555550101", "Archived " + Grin, 2},
        {In, "bob@example.com", "Mail", 3},
        {Out, "+15555550103", "To the group", 4},  // the group's first member, as a backup's group address gives
        {In, "+15555550103", "From Cy", 5},
        {MmsIn, "+15555550101", "[image]\r\n[video]\r\nLook", 6},
        {MmsIn, "+15555550101", "[file]", 7},
        {In, "+15555550101", "Twice listed", 8},
    };
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].Record.Flags, expected[k].Flags) << k;
        EXPECT_EQ(got[k].Record.Phone.str(), expected[k].Phone) << k;
        EXPECT_EQ(got[k].Record.Text, expected[k].Text) << k;
        EXPECT_EQ(got[k].Record.Time.str(), TimeOf(May2023 + 60 * expected[k].Minute)) << k;
        EXPECT_TRUE(got[k].Record.Name.empty());
    }
    EXPECT_EQ(got[1].Millis, (May2023 + 60) * 1000 + 123);
    EXPECT_EQ(result.End, BackupEnd::Complete);
    EXPECT_EQ(result.Messages, 9);
    EXPECT_EQ(result.Reactions, 3);
    EXPECT_EQ(result.GroupEvents, 2);
    EXPECT_EQ(result.WithoutContent, 3);
}

TEST(IPhoneMessages, OlderSchemaAndWriteAheadLogReadWithoutChangingAFile) {
    TempDir dir;
    const std::string older = PathIn(dir, "older.db");
    {
        MessagesDatabase db(older, true);
        const auto ann = db.Handle("+15555550101");
        db.Message({ann, AppleSeconds(May2023), false, "Old phone", {}, 0, 0, {}, {}});
    }
    BackupReadResult result;
    std::vector<BackupMessage> got = ReadAll(older, result);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Record.Text, "Old phone");

    // The newest messages still in the log: read, and nothing written beside the files.
    fs::create_directory(dir.Path() / "phone");
    const std::string path = (dir.Path() / "phone" / "sms.db").string();
    {
        MessagesDatabase db(path, false, true);
        const auto ann = db.Handle("+15555550101");
        for (int k = 0; k < 50; ++k) db.Message({ann, AppleNanoseconds(May2023 + k * 60), k % 2 == 0, "In the log", {}, 0, 0, {}, {}});
    }
    fs::remove(path + "-shm");
    ASSERT_GT(fs::file_size(path + "-wal"), 0u);
    const auto before = FilesIn(dir.Path() / "phone");
    got = ReadAll(path, result);
    EXPECT_EQ(got.size(), 50u);
    fs::permissions(dir.Path() / "phone", fs::perms::owner_write, fs::perm_options::remove);  // a read-only folder too
    got = ReadAll(path, result);
    EXPECT_EQ(got.size(), 50u);
    fs::permissions(dir.Path() / "phone", fs::perms::owner_write, fs::perm_options::add);
    MsgStore S;
    ImportFileReport report;
    EXPECT_EQ(ImportFile(S, path, report), 0);
    EXPECT_EQ(S.MessageCount, 50);
    EXPECT_EQ(FilesIn(dir.Path() / "phone"), before);
    // Without the log, the database alone is read in place.
    fs::remove(path + "-wal");
    const auto alone = FilesIn(dir.Path() / "phone");
    got = ReadAll(path, result);
    EXPECT_EQ(FilesIn(dir.Path() / "phone"), alone);
}

TEST(IPhoneMessages, ImportsAsABackupDoesAndAddsNothingTwice) {
    TempDir dir;
    const std::string path = PathIn(dir, "sms.db");
    {
        MessagesDatabase db(path);
        const auto ann = db.Handle("+15555550101");
        db.Begin();
        for (int k = 0; k < 30; ++k) db.Message({ann, AppleNanoseconds(May2023 + 60 * k), k % 3 == 0, "Same text", {}, 0, 0, {}, {}});
        db.Commit();
    }
    // The first of them, already imported from a phone's XML backup, is the same message.
    const std::string xml = dir.Write("backup.xml", "<smses><sms address=\"+15555550101\" date=\"" + std::to_string(May2023 * 1000) +
                                                        "\" type=\"2\" body=\"Same text\"/></smses>");
    MsgStore S;
    ImportFileReport report;
    ASSERT_EQ(ImportFile(S, xml, report), 0);
    ASSERT_EQ(ImportFile(S, path, report), 0);
    EXPECT_TRUE(report.Backup);
    EXPECT_EQ(report.BackupReport.Added, 29);
    ASSERT_EQ(ImportFile(S, path, report), 0);
    EXPECT_EQ(report.BackupReport.Added, 0);
    EXPECT_EQ(S.MessageCount, 30);
    // Equal texts at different exact times stay apart when duplicates are removed.
    std::ostringstream out, err;
    EXPECT_EQ(RunImportCommand({xml, path}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("30 messages (10 sent, 20 received"), std::string::npos) << out.str();
}

std::string MakeBackupFolder(const TempDir& dir, const std::string& name, bool nested, std::optional<bool> encrypted,
                             bool binaryPlist = true) {
    const fs::path folder = dir.Path() / name;
    test::MakeIPhoneBackup(folder, nested, encrypted, binaryPlist);
    return folder.string();
}

TEST(IPhoneMessages, BackupFoldersAreReadAndEncryptedOnesRefused) {
    TempDir dir;
    for (const auto& [nested, encrypted, binary] : std::vector<std::tuple<bool, std::optional<bool>, bool>>{
             {true, std::nullopt, true}, {false, false, true}, {true, false, false}}) {
        const std::string folder = MakeBackupFolder(dir, "backup" + std::to_string(nested) + std::to_string(binary), nested, encrypted, binary);
        MsgStore S;
        ImportFileReport report;
        EXPECT_EQ(ImportFile(S, folder, report), 0);
        ASSERT_EQ(S.MessageCount, 1);
        EXPECT_EQ(S.Messages[1].Text, "From the backup");
    }
    const std::string data = PathIn(dir, "out.kst");
    for (const bool binary : {true, false}) {
        const std::string locked = MakeBackupFolder(dir, binary ? "locked" : "locked-xml", true, true, binary);
        MsgStore S;
        ImportFileReport report;
        EXPECT_EQ(ImportFile(S, locked, report), EncryptedBackupCode);
        EXPECT_EQ(S.MessageCount, 0);
        std::ostringstream out, err;
        EXPECT_EQ(RunImportCommand({locked, "-o", data}, out, err), 1);
        EXPECT_NE(err.str().find(locked + " is an encrypted iPhone backup; Kestro cannot read encrypted backups yet"),
                  std::string::npos)
            << err.str();
        EXPECT_FALSE(fs::exists(data));
    }
}

TEST(IPhoneMessages, DatabasesThatOnlyLookLikeThePhonesAreRefusedQuickly) {
    TempDir dir;
    const std::vector<std::string> schemas = {
        // A view that never ends where the messages should be.
        "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY, id TEXT); CREATE VIEW message AS WITH RECURSIVE c(x) AS "
        "(SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x AS text, 1 AS handle_id, x AS date, 0 AS is_from_me FROM c",
        "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY, id TEXT); CREATE TABLE message (guid TEXT PRIMARY KEY, text TEXT, "
        "handle_id INTEGER, date INTEGER, is_from_me INTEGER) WITHOUT ROWID; INSERT INTO message VALUES ('g', 'x', 1, 1, 0)",
        "CREATE TABLE handle (ROWID INTEGER PRIMARY KEY, id TEXT); CREATE TABLE message (text TEXT, date INTEGER)",
    };
    for (std::size_t k = 0; k < schemas.size(); ++k) {
        const std::string path = PathIn(dir, "odd" + std::to_string(k) + ".db");
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        ASSERT_EQ(sqlite3_exec(db, ("PRAGMA synchronous = OFF; " + schemas[k]).c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << schemas[k];
        sqlite3_close(db);
        MsgStore S;
        ImportFileReport report;
        EXPECT_EQ(ImportFile(S, path, report), NotValidFileCode) << schemas[k];
    }
}

TEST(ImportFile, TellsEachKindByItsFirstBytesAndRefusesTheRest) {
    TempDir dir;
    const std::string notMessages = PathIn(dir, "notes.db");
    {
        sqlite3* db = nullptr;
        sqlite3_open(notMessages.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE note (id INTEGER, text TEXT); INSERT INTO note VALUES (1, 'x')", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    struct Case {
        std::string Name, Bytes;
        FileKind Kind;
        int Code;
        std::int32_t Messages;
    };
    const std::string suiteLine = "\"sms\",\"deliver\",\"+15550100\",\"\",\"\",\"2007.05.01 18:22\",\"\",\"See you at 8\"\r\n";
    const std::vector<Case> cases = {
        {"empty.csv", "", FileKind::SuiteExport, 0, 0},
        {"blank.csv", "\r\n \r\n", FileKind::SuiteExport, 0, 0},
        {"lines.csv", suiteLine + suiteLine, FileKind::SuiteExport, 0, 1},
        {"bom.csv", "\xEF\xBB\xBF" + suiteLine, FileKind::SuiteExport, 0, 1},
        {"contacts.csv", "\"Title\",\"First name\"\r\n\"\",\"Ann\"\r\n", FileKind::SuiteExport, 0, 0},
        {"passwd", "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n", FileKind::Unknown, NotValidFileCode, 0},
        {"gz.xml", std::string("\x1F\x8B\x08\x00\"a\"", 8), FileKind::Unknown, NotValidFileCode, 0},
        {"zip.csv", std::string("PK\x03\x04\"a\"", 8), FileKind::Unknown, NotValidFileCode, 0},
        {"card.vcf", "FN:Ann\nTEL:5550100\n", FileKind::Unknown, NotValidFileCode, 0},
        {"page.xml", "<html/>", FileKind::SmsBackup, NotValidFileCode, 0},
        {"backup.xml", "<smses><sms address=\"+15550100\" date=\"1000\" type=\"1\" body=\"a\"/></smses>", FileKind::SmsBackup, 0, 1},
        {"book.vcf", "BEGIN:VCARD\r\nFN:Ann\r\nTEL:+15550100\r\nEND:VCARD\r\n", FileKind::AddressBook, 0, 0},
        {"export.csv", "Time,Phone,Name,Direction,Message\r\n2020-01-01 10:00,+15550100,Ann,Sent,Hi\r\n", FileKind::CsvExport, 0, 1},
        {"notes.db", TempDir::Read(notMessages), FileKind::MessagesDatabase, NotValidFileCode, 0},
    };
    for (const Case& c : cases) {
        const std::string path = c.Name == "notes.db" ? notMessages : dir.Write(c.Name, c.Bytes);
        EXPECT_EQ(KindOfFile(c.Bytes), c.Kind) << c.Name;
        MsgStore S;
        ImportFileReport report;
        EXPECT_EQ(ImportFile(S, path, report), c.Code) << c.Name;
        EXPECT_EQ(S.MessageCount, c.Messages) << c.Name;
        if (c.Code != NotValidFileCode) continue;
        std::ostringstream out, err;
        const std::string data = PathIn(dir, "out.kst");
        EXPECT_EQ(RunImportCommand({path, "-o", data}, out, err), 1) << c.Name;
        EXPECT_EQ(err.str().find("kestro-cli: " + path + " is not a phone backup, an address book or a message export\n"), 0u)
            << err.str();
        EXPECT_FALSE(fs::exists(data));
    }
}

}  // namespace
