// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks what a file dialog was started with.
#include <gtest/gtest.h>

#include "ScriptedDialogs.h"

inline void ExpectFileRequest(const AskedQuestion& asked, const FileRequest& expected) {
    EXPECT_EQ(asked.File.Title, expected.Title);
    EXPECT_EQ(asked.File.Folder, expected.Folder);
    EXPECT_EQ(asked.File.FileName, expected.FileName);
    EXPECT_EQ(asked.File.Filter, expected.Filter);
    EXPECT_EQ(asked.File.DefaultSuffix, expected.DefaultSuffix);
}
