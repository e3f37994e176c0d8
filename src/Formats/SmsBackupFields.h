// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fields of a phone's XML backup as a message record takes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MBVars/MsgRec.h"

// The milliseconds of a `date` value: decimal digits alone (spaces at their ends aside), a
// time from 1970 to the last day of 9999; nothing for any other form or time.
std::optional<std::int64_t> BackupMillis(std::string_view millis);
// "yyyy.mm.dd hh:mm" of milliseconds since 1970, as the local time of the user's time zone
// at that moment (summer time included); nothing outside 1970 to 9999. Every reader of
// phones' messages stores its times through it.
std::optional<TimeText> BackupTimeOfMillis(std::int64_t millis);
// The numbers an `address` names: a group's are joined by "~" (some phones add "," or ";"),
// each with the spaces at its ends removed, cut to the phone's capacity on a character
// boundary; empty pieces and "null" are none.
std::vector<std::string_view> BackupNumbers(std::string_view address);
// The first of BackupNumbers, or empty. Every reader of phones' messages (the XML backups,
// the iPhone's database) takes its numbers through it.
std::string_view BackupPhone(std::string_view address);
// Whether an MMS `addr` is a phone number rather than a token such as "insert-address-token".
bool IsPhoneNumber(std::string_view address);
// The `contact_name` unless it is no name: empty, "null", "(Unknown)" or the phone itself;
// cut to 30 bytes on a character boundary.
std::string_view BackupName(std::string_view contactName, std::string_view phone);
// The first line of a message that went to or came from a group: the other members of
// the group, "[group: 5550101, 5550102]".
std::string GroupLine(const std::vector<std::string>& others);
// A text as stored: characters below U+0020 other than tab, CR and LF dropped, every line
// break (LF, CR LF, CR) made CR LF, appended to `out` (cut at MaxTextLength bytes, on a
// character boundary, by the caller; what lies a few bytes past that is not appended).
void AppendBackupText(std::string_view text, std::string& out);
// What an MMS part adds to the text: its `text` for text/plain, a word in brackets for
// pictures, films, sounds, contacts and other files, nothing for the layout.
std::optional<std::string_view> PartPlaceholder(std::string_view contentType);
