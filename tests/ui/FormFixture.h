#pragma once
// A fresh main window per test: its own store, settings, scripted dialogs, and a
// temporary documents folder.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "MBVars/Store.h"
#include "MBrowser/TMBForm.h"
#include "ScriptedDialogs.h"

class FormTest : public ::testing::Test {
protected:
    QTemporaryDir Documents;
    MsgStore Store;
    Settings Config;
    ScriptedDialogs Answers;
    std::unique_ptr<TMBForm> Form;

    FormEnvironment Environment() const { return {Documents.path(), QString::fromUtf8(KESTRO_TEST_DATA)}; }

    TMBForm& Open() {
        Form = std::make_unique<TMBForm>(Store, Config, Answers, Environment());
        Form->show();
        return *Form;
    }
    std::string ProgramFolder() const { return Documents.path().toStdString() + "/Kestro"; }
};
