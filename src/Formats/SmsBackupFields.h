// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fields of a phone's XML backup as a message record takes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MBVars/MsgRec.h"

// "yyyy.mm.dd hh:mm" of the milliseconds since 1970-01-01 UTC, as the local time of the
// user's time zone at that moment (summer time included); nothing for a value that is no
// number or no year 1..9999.
std::optional<TimeText> BackupTime(std::string_view millis);
// The same for the milliseconds as a number: every reader of phones' messages stores its
// times through it.
std::optional<TimeText> BackupTimeOfMillis(std::int64_t millis);
// The milliseconds of a `date` value; nothing when it is no number.
std::optional<std::int64_t> BackupMillis(std::string_view millis);
// The first number of an `address` ("~" joins a group's), spaces at its ends removed, cut
// to the phone's capacity on a character boundary; "null" is none. Every reader of phones'
// messages (the XML backups, the iPhone's database) takes its numbers through it.
std::string_view BackupPhone(std::string_view address);
// Whether an MMS `addr` is a phone number rather than a token such as "insert-address-token".
bool IsPhoneNumber(std::string_view address);
// The `contact_name` unless it is empty, "null" or "(Unknown)", cut to 30 bytes on a
// character boundary.
std::string_view BackupName(std::string_view contactName);
// A text as stored: characters below U+0020 other than tab, CR and LF dropped, every line
// break (LF, CR LF, CR) made CR LF, appended to `out` (cut at MaxTextLength bytes, on a
// character boundary, by the caller).
void AppendBackupText(std::string_view text, std::string& out);
// What an MMS part adds to the text: its `text` for text/plain, a word in brackets for
// pictures, films, sounds, contacts and other files, nothing for the layout.
std::optional<std::string_view> PartPlaceholder(std::string_view contentType);
