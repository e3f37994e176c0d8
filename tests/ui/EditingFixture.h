// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window reopened on a collection built by the test, with a contact history of the
// test's choosing in the program folder.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FormFixture.h"
#include "MBVars/History.h"

class EditingTest : public FormTest {
protected:
    std::string HistoryFile() const { return ProgramFolder() + "/Kestro.hst"; }

    // Writes the history file the start-up reads.
    void WriteHistoryFile(const std::vector<HistoryRec>& entries) {
        MsgStore history;
        for (const HistoryRec& e : entries) history.History[static_cast<std::size_t>(++history.HistoryCount)] = e;
        std::filesystem::create_directories(ProgramFolder());
        ASSERT_EQ(SaveHistory(history, HistoryFile()), 0);
    }

    static HistoryRec Entry(std::string_view phone, std::string_view name, bool blocked = false) {
        HistoryRec e;
        e.Phone = phone;
        e.Name = name;
        e.Blocked = blocked ? 1 : 0;
        return e;
    }

    // Starts on a collection that `fill` builds (the start-up sorts it newest first).
    TMBForm& OpenStore(const std::function<void(MsgStore&)>& fill) {
        MsgStore source;
        fill(source);
        Renumber(source);
        const std::string path = Documents.path().toStdString() + "/built.kst";
        EXPECT_EQ(WriteDataFile(source, path), 0);
        WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
        return Open();
    }

    // Texts of the messages of a phone, in store order.
    std::vector<std::string> TextsOf(std::string_view phone) const {
        std::vector<std::string> texts;
        for (std::int32_t n = 1; n <= Store.MessageCount; ++n)
            if (Store.Messages[static_cast<std::size_t>(n)].Phone == phone) texts.push_back(Store.Messages[static_cast<std::size_t>(n)].Text);
        return texts;
    }

    QString LastOf(const char* kind) const {
        const auto asked = Answers.AskedOf(QString::fromLatin1(kind));
        return asked.empty() ? QString() : asked.back().Text;
    }
};
