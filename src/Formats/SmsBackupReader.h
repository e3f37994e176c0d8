// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading the XML backups that Android backup apps write (root `smses`, children `sms` and
// `mms`), streaming: the file passes through the repair filter and expat in fixed-size
// chunks, so memory does not grow with the file, nor with a picture inside it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <vector>

#include "Formats/MediaFolder.h"
#include "MBVars/MsgRec.h"

class MediaWriter;

// One message as the backup gives it, with the exact time for ordering.
struct BackupMessage {
    XMsgRecType Record;  // Flags, Time, Phone, Name, Text
    std::int64_t Millis = 0;
    std::vector<MediaItem> Media;  // of an MMS, when the reading keeps media: in the order of its parts
};

enum class BackupEnd : std::uint8_t {
    Complete,   // the whole file was read
    NotBackup,  // no XML, a DOCTYPE, or a root other than `smses`: nothing was given
    Damaged,    // not well-formed or cut short: the messages before the damage were given
    Stopped,    // the caller stopped it (progress said so)
};

struct BackupReadResult {
    BackupEnd End = BackupEnd::Complete;
    std::uint64_t Line = 0;  // Damaged: the line where reading stopped
    std::string Reason;      // Damaged: the parser's words
    std::int64_t Messages = 0;        // given to the caller
    std::int64_t OtherTypes = 0;      // drafts, outbox, failed, queued: passed over
    std::int64_t WithoutContent = 0;  // no phone or text: passed over
    std::int64_t NotADate = 0;        // a `date` that is no time from 1970 to 9999: passed over
    std::int64_t TextsCut = 0;        // given with their texts cut to MaxTextLength bytes
    std::int64_t Reactions = 0;       // an iPhone's reactions to other messages: passed over
    std::int64_t GroupEvents = 0;     // an iPhone's group events (members, names, ...): passed over
};

using BackupMessageSink = std::function<void(BackupMessage&)>;
// Called after each chunk with the bytes read so far and the messages found; false stops.
using BackupProgress = std::function<bool(std::uint64_t bytesRead, std::int64_t messages)>;

// Parses a backup fed in pieces; each message goes to the sink as soon as it is complete.
class SmsBackupParser {
public:
    // With a media writer, the media of each MMS part (pictures, videos, voice messages,
    // contact cards) are written into its folder and listed in the message's Media.
    explicit SmsBackupParser(BackupMessageSink sink, MediaWriter* media = nullptr);
    ~SmsBackupParser();
    SmsBackupParser(const SmsBackupParser&) = delete;
    SmsBackupParser& operator=(const SmsBackupParser&) = delete;

    // False once reading has ended (not a backup, damaged, or after Stop); `last` ends the file.
    bool Feed(std::string_view bytes, bool last);
    // Feeds the rest of `file`, read (and, without media, repaired) ahead on a second
    // thread while this one parses; `progress` as ReadSmsBackupFrom takes it.
    void FeedFile(class FileReader& file, const BackupProgress& progress);
    void Stop();
    const BackupReadResult& Result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The bytes of a whole backup, read as the file reader reads them.
BackupReadResult ReadSmsBackupBytes(std::string_view bytes, const BackupMessageSink& sink, MediaWriter* media = nullptr);
// The file: 0, or the failure code of opening it (an errno; NotRegularFileCode for no plain
// file). Throws IoError, naming the file, when a read fails after opening.
int ReadSmsBackupFile(const std::string& path, const BackupMessageSink& sink, BackupReadResult& result,
                      const BackupProgress& progress = {}, MediaWriter* media = nullptr);
// The same for a file opened (and perhaps peeked at) by the caller.
void ReadSmsBackupFrom(class FileReader& file, const BackupMessageSink& sink, BackupReadResult& result,
                       const BackupProgress& progress = {}, MediaWriter* media = nullptr);
// Whether bytes that start a file look like XML: the first byte after a byte-order mark
// and white space is '<'.
bool LooksLikeXml(std::string_view head);
