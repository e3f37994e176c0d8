// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The contact history: names, colours and blocked marks of up to 1000 numbers, kept
// across collections in "Kestro.hst".
#include <cstdint>
#include <string>
#include <string_view>

#include "MBVars/Store.h"

inline constexpr const char* HistoryFileName = "Kestro.hst";
constexpr std::size_t HistoryEntrySize = 67;

// 0, or the failure code of opening; throws IoError when the file ends early (what was
// read stays). A file that exists but was not read completely (not opened, cut short, or
// holding more entries than the table) sets S.HistoryIncomplete.
int ReadHistory(MsgStore& S, const std::string& path);
// Brings the table up to date with the collection, then replaces the file whole;
// 0, or the failure code (the table keeps its changes). When S.HistoryIncomplete, the old
// file is first kept aside (KeepFileAside, its new name in S.HistoryKeptAs); when that
// fails, nothing is written and its code is returned.
int WriteHistory(MsgStore& S, const std::string& path);
// Replaces the file whole with the table as it stands (no merge with the collection), so
// that changed blocked marks last; 0, or the failure code. An incompletely read file is
// kept aside first, as WriteHistory does. Throws IoError when the bytes cannot be written
// (the old file stays).
int SaveHistory(MsgStore& S, const std::string& path);
// WriteHistory in its three steps, for a caller that writes the file elsewhere: the table
// brought up to date with the collection; the file's bytes (0, or the code of keeping an
// incompletely read file aside, when nothing is to be written); the file replaced whole
// (0, or the failure code of creating it; throws IoError when the bytes cannot be written).
void MergeHistoryWithCollection(MsgStore& S);
int HistoryFileBytes(MsgStore& S, const std::string& path, std::string& bytes);
int ReplaceHistoryFile(const std::string& path, std::string_view bytes);
// Forgets the history: no entries, the file deleted (a failure, such as no file, is
// ignored), and every message named by its own phone; sets Modified.
void RemoveContactsHistory(MsgStore& S, const std::string& path);
// Renames the file to path + ".unreadable-YYYYMMDD-HHMMSS" (with "-2", "-3"... when that
// name is taken); the new path, or empty with the errno in `err`.
std::string KeepFileAside(const std::string& path, int& err);
// Names from the contact table, then (when useHistory) names and colours from the history
// and removal of blocked numbers, then one name per person (SpreadPersonNames); returns how
// many messages were removed as blocked.
std::int32_t FitNames(MsgStore& S, bool useHistory);
// Removes the messages of every blocked entry, its number in any form (the same
// international form), in one purge; returns how many went (the sum that removing each
// blocked entry's number in table order gives). Nothing happens,
// and Modified stays, when no entry is blocked.
std::int32_t DeleteBlocked(MsgStore& S);
