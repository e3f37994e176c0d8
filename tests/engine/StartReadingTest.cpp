// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cerrno>
#include <exception>
#include <string>
#include <typeinfo>

#include "MBVars/DataFile.h"
#include "MBVars/History.h"
#include "MBVars/LoadSequences.h"
#include "MBVars/StartReading.h"
#include "OFuncs/IoError.h"
#include "support/FileTestHelpers.h"
#include "support/StoreBuilder.h"
#include "support/StoreCompare.h"

namespace {

constexpr const char* Anna = "+15555550100";
constexpr const char* Tom = "+15555550101";

// What a failure was, for comparing the two ways of starting: its type and its text.
std::string Described(const std::exception_ptr& failure) {
    if (!failure) return "none";
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return std::string(typeid(e).name()) + ": " + e.what();
    }
}

struct Outcome {
    MsgStore Store;
    DefaultsType Defaults;
    int HistoryError = 0, OpenError = 0;
    std::string HistoryFailure = "none", OpenFailure = "none";
};

// A store that holds something already, as a window's may before the start reads.
void PreFill(Outcome& o) {
    AddMessage(o.Store, "2001.01.01 00:00", Anna, "here before the start");
    o.Defaults.SortColumn = 4;
    o.Defaults.ViewMode = 1;
}

// The start as one thread would do it: the history read, then the collection reopened.
Outcome StartInOrder(const std::string& history, const std::string& data, bool useHistory) {
    Outcome o;
    PreFill(o);
    o.Defaults.UseHistory = useHistory;
    try {
        o.HistoryError = ReadHistory(o.Store, history);
    } catch (...) {
        o.HistoryFailure = Described(std::current_exception());
    }
    if (data.empty()) return o;
    try {
        o.OpenError = ReopenCollection(o.Store, o.Defaults, data);
    } catch (...) {
        o.OpenFailure = Described(std::current_exception());
    }
    return o;
}

// The same read beside the window and adopted afterwards.
Outcome StartInBackground(const std::string& history, const std::string& data, bool useHistory) {
    Outcome o;
    PreFill(o);
    o.Defaults.UseHistory = useHistory;
    StartRead read = ReadAtStartInBackground(history, data, o.Defaults).get();
    AdoptStartRead(o.Store, o.Defaults, read);
    o.HistoryError = read.HistoryError;
    o.OpenError = read.OpenError;
    o.HistoryFailure = Described(read.HistoryFailure);
    o.OpenFailure = Described(read.OpenFailure);
    return o;
}

std::string WriteCollection(const TempDir& dir, const std::string& name) {
    MsgStore S;
    AddMessage(S, "2024.03.02 10:00", Anna, "see you", MsgSms | MsgSent);
    AddMessage(S, "2024.03.01 09:00", Tom, "on my way", MsgSms | MsgReceived);
    AddMessage(S, "2024.03.04 12:00", Tom, "thanks", MsgSms | MsgReceived);
    AddMessage(S, "2024.03.03 11:00", Anna, "see you", MsgSms | MsgSent);
    const std::string path = PathIn(dir, name);
    EXPECT_EQ(WriteDataFile(S, path), 0);
    return path;
}

std::string WriteHistoryFile(const TempDir& dir, const std::string& name) {
    MsgStore S;
    S.HistoryCount = 2;
    S.History[1].Phone = Anna;
    S.History[1].Name = "Anna Berg";
    S.History[2].Phone = Tom;
    S.History[2].Blocked = 1;
    const std::string path = PathIn(dir, name);
    EXPECT_EQ(WriteHistory(S, path), 0);
    return path;
}

}  // namespace

TEST(StartReading, ReadingBesideTheWindowEndsAsReadingInOrder) {
    TempDir dir;
    const std::string history = WriteHistoryFile(dir, "Kestro.hst");
    const std::string collection = WriteCollection(dir, "messages.kst");
    const std::string cutHistory = PathIn(dir, "cut.hst"), cutCollection = PathIn(dir, "cut.kst");
    WriteFileBytes(cutHistory, TempDir::Read(history).substr(0, 67 * 2 + 10));
    WriteFileBytes(cutCollection, TempDir::Read(collection).substr(0, TempDir::Read(collection).size() - 9));
    const std::string foreign = PathIn(dir, "list.csv"), missing = PathIn(dir, "gone.kst");
    WriteFileBytes(foreign, "\"sms\",\"deliver\"\r\n");

    for (const std::string& h : {history, cutHistory, missing})
        for (const std::string& data : {std::string(), collection, cutCollection, foreign, missing})
            for (bool useHistory : {false, true}) {
                SCOPED_TRACE(h + " / " + data + (useHistory ? " / history used" : ""));
                const Outcome inOrder = StartInOrder(h, data, useHistory);
                const Outcome beside = StartInBackground(h, data, useHistory);
                ExpectSameStore(beside.Store, inOrder.Store);
                EXPECT_EQ(beside.Store.HistoryIncomplete, inOrder.Store.HistoryIncomplete);
                EXPECT_EQ(beside.Defaults.SortColumn, inOrder.Defaults.SortColumn);
                EXPECT_EQ(beside.Defaults.ViewMode, inOrder.Defaults.ViewMode);
                EXPECT_EQ(beside.HistoryError, inOrder.HistoryError);
                EXPECT_EQ(beside.HistoryFailure, inOrder.HistoryFailure);
                EXPECT_EQ(beside.OpenError, inOrder.OpenError);
                EXPECT_EQ(beside.OpenFailure, inOrder.OpenFailure);
            }
}

TEST(StartReading, WhatWasReadArrivesWhole) {
    TempDir dir;
    const std::string history = WriteHistoryFile(dir, "Kestro.hst");
    const std::string collection = WriteCollection(dir, "messages.kst");
    DefaultsType D;
    D.UseHistory = true;
    StartRead read = ReadAtStartInBackground(history, collection, D).get();
    EXPECT_TRUE(read.Reopened);
    EXPECT_TRUE(read.CollectionRead);
    MsgStore S;
    S.StartTime = 45000.5;
    AdoptStartRead(S, D, read);
    EXPECT_EQ(S.StartTime, 45000.5);  // the start time is the program's, not the reading's
    EXPECT_EQ(S.HistoryCount, 2);
    EXPECT_EQ(S.MessageCount, 2);  // Tom's number is blocked
    EXPECT_EQ(S.Messages[1].Name.str(), "Anna Berg");
    EXPECT_EQ(S.Messages[1].Serial, 1);
    EXPECT_FALSE(S.Modified);
    EXPECT_FALSE(S.HistoryIncomplete);
}
