// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message store: every table and counter of the open collection, plus the contact
// history that outlives collections. The program owns one; every test makes its own.
#include <cstdint>
#include <string>
#include <vector>

#include "Formats/AddressBook.h"
#include "MBVars/Defaults.h"
#include "MBVars/MsgRec.h"

constexpr std::int32_t MaxMessages = 16380;  // slot 0 is the work record
constexpr std::int32_t MaxContacts = 1000;   // slot 0 is the sort's swap buffer
constexpr std::int32_t MaxHistory = 1000;    // entry 0 is the file header
constexpr std::size_t ImportBufferSize = 65536;
// The longest message text kept: the scrambling and data-file buffers hold this many bytes.
constexpr std::size_t MaxTextLength = 16383;
// The byte message texts are scrambled with, on screen and in the data file.
constexpr std::uint8_t TextMask = 0x5A;

// The message, contact and view tables hold the slots the store has used so far, and room
// for every slot up to their maximum: a slot exists from the moment a writer grows the
// table to it (GrowMessages, GrowContacts, BuildView), and once it exists it stays. Slots
// above a count are empty, except the contacts' totals a rebuilt table leaves behind.
struct MsgStore {
    MsgStore();  // an empty store (InitStore)

    std::vector<XMsgRecType> Messages;  // slots 0..MessageCount at least, up to MaxMessages
    std::int32_t MessageCount = 0;
    std::int32_t SentCount = 0, ReceivedCount = 0, ColoredCount = 0;  // after CountMessages
    bool Modified = false;

    std::vector<ContactRec> Contacts;  // slots 0..ContactCount at least, up to MaxContacts
    std::int32_t ContactCount = 0;

    std::vector<HistoryRec> History;  // entries 0..MaxHistory
    std::int32_t HistoryCount = 0;
    // The history file exists but was not read completely (ReadHistory): before the next
    // WriteHistory replaces it, the old file is kept aside, under HistoryKeptAs.
    bool HistoryIncomplete = false;
    std::string HistoryKeptAs;  // set by the WriteHistory that kept it aside; the caller says so once

    AddressBook Book;  // address books read in this run; ClearStore keeps them, like the history

    std::vector<std::uint16_t> ViewIndex;  // entries 0..MessageCount at least, entry 0 unused; zero above ViewCount
    std::int32_t ViewCount = 0;
    std::uint16_t ViewMask = 0;

    std::vector<unsigned char> ImportBuffer;  // ImportBufferSize bytes once an import needs it

    double StartTime = 0;  // local date-time of program start, days since 1899-12-30
};

// Creates every table empty and clears the history. No slot beyond slot 0 is made: the
// tables only reserve their room.
void InitStore(MsgStore& S);
// Makes message slots up to `last` exist (new ones empty), for a writer about to fill slot
// `last`; never more than MaxMessages. Records stay where they are while the table has its
// reserved room; a store copied without it may move them.
void GrowMessages(MsgStore& S, std::int32_t last);
// The same for the contact table, up to MaxContacts.
void GrowContacts(MsgStore& S, std::int32_t last);
// The same for the view index, up to MaxMessages.
void GrowViewIndex(MsgStore& S, std::int32_t last);
// Reserves the room of every table (a copied store has only its slots), so that growing
// moves no record: for writers that hold a record while they grow a table.
void ReserveRoom(MsgStore& S);
// Empties the collection, the contact table and the view; the history stays.
// Also resets the sort column and view mode of the settings record.
void ClearStore(MsgStore& S, DefaultsType& D);
void CountMessages(MsgStore& S);
void Renumber(MsgStore& S);
// First position whose Serial is s, or 0.
std::int32_t FindSerial(const MsgStore& S, std::uint16_t s);
// Exclusive-or of every text byte with mask; sets Modified.
void ScrambleTexts(MsgStore& S, std::uint8_t mask);
// The local date and time now, days since 1899-12-30.
double LocalTimeNow();
