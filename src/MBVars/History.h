#pragma once
// The contact history: names, colours and blocked marks of up to 1000 numbers, kept
// across collections in "Kestro.hst".
#include <cstdint>
#include <string>

#include "MBVars/Store.h"

inline constexpr const char* HistoryFileName = "Kestro.hst";
constexpr std::size_t HistoryEntrySize = 67;

// 0, or the errno of opening; throws IoError when the file ends early (what was read stays).
int ReadHistory(MsgStore& S, const std::string& path);
// Brings the table up to date with the collection, then replaces the file whole;
// 0, or the errno of creating it (the table keeps its changes).
int WriteHistory(MsgStore& S, const std::string& path);
// Replaces the file whole with the table as it stands (no merge with the collection), so
// that changed blocked marks last; 0, or the errno of creating it. Throws IoError when the
// bytes cannot be written (the old file stays).
int SaveHistory(const MsgStore& S, const std::string& path);
// Forgets the history: no entries, the file deleted (a failure, such as no file, is
// ignored), and every message named by its own phone; sets Modified.
void RemoveContactsHistory(MsgStore& S, const std::string& path);
// Names from the contact table, then (when useHistory) names and colours from the history
// and removal of blocked numbers; returns how many messages were removed as blocked.
std::int32_t FitNames(MsgStore& S, bool useHistory);
// Removes the messages of every blocked entry, in one purge; returns how many went (the
// sum that removing each blocked entry's phone in table order gives). Nothing happens,
// and Modified stays, when no entry is blocked.
std::int32_t DeleteBlocked(MsgStore& S);
