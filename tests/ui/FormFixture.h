// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh main window per test: its own store, settings, scripted dialogs, and a
// temporary documents folder; helpers write the files a start-up reads.
#include <QApplication>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "MBVars/DataFile.h"
#include "MBVars/SettingsFile.h"
#include "MBVars/Store.h"
#include "MBrowser/DetailLineEdit.h"
#include "MBrowser/TMBForm.h"
#include "ScriptedDialogs.h"
#include "support/StoreBuilder.h"

class FormTest : public ::testing::Test {
protected:
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    // A desktop larger than the offscreen screen, so that sizes from settings stand.
    QRect Desktop{0, 0, 1920, 1080};
    FormEnvironment Environment() const { return {Documents.path(), QString::fromUtf8(KESTRO_TEST_DATA), Desktop}; }
    std::string ProgramFolder() const { return Documents.path().toStdString() + "/Kestro"; }
    std::string ConfigPath() const { return ProgramFolder() + "/Kestro.cfg"; }

    TMBForm& Open() {
        Form = std::make_unique<TMBForm>(Store, Config, Answers, Environment());
        Form->show();
        QApplication::processEvents();
        return *Form;
    }

    // A settings file as the program would write it, changed by `change` first.
    void WriteConfig(const std::function<void(Settings&, WindowSize&)>& change) {
        Settings s;
        WindowSize size;
        ReadSettingsFile(ProgramFolder() + "/missing.cfg", s, size);  // every default
        std::filesystem::create_directories(ProgramFolder());
        s.DefaultDir = s.ImportDir = ProgramFolder();
        change(s, size);
        ASSERT_EQ(WriteSettingsFile(ConfigPath(), s, size), 0);
    }

    // Writes a small collection to a data file in the documents folder: three contacts,
    // both directions, stored oldest first; returns its path.
    std::string WriteCollection(const std::string& name = "messages.kst") {
        MsgStore source;
        AddMessage(source, "2007.03.01 08:00", "+15555550100", "Good morning", MsgSms | MsgReceived, "Anna Berg");
        AddMessage(source, "2007.03.01 08:05", "+15555550100", "Morning to you too", MsgSms | MsgSent, "Anna Berg");
        AddMessage(source, "2007.03.02 12:30", "+15555550101", "Lunch at noon?", MsgSms | MsgReceived, "Tom Hale");
        AddMessage(source, "2007.03.03 18:00", "+15555550101", "See https://example.com/menu today", MsgSms | MsgSent,
                   "Tom Hale");
        AddMessage(source, "2007.03.04 09:15", "+15555550102", "Write to mia@example.org", MsgSms | MsgReceived,
                   "Mia Chen");
        AddMessage(source, "2007.03.05 21:40", "+15555550100", "Good night", MsgSms | MsgSent, "Anna Berg");
        Renumber(source);
        const std::string path = Documents.path().toStdString() + "/" + name;
        EXPECT_EQ(WriteDataFile(source, path), 0);
        return path;
    }

    // Starts on a reopened collection.
    TMBForm& OpenCollection() {
        const std::string path = WriteCollection();
        WriteConfig([&](Settings& s, WindowSize&) { s.Defaults.LastSavedFile = path; });
        return Open();
    }
};
