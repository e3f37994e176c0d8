// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small phone-suite exports for the window tests, written into a folder of the test's own.
#include <QDir>
#include <QString>
#include <filesystem>
#include <fstream>
#include <string>

inline std::string ReceivedLine(const std::string& phone, const std::string& time, const std::string& text) {
    return "\"sms\",\"deliver\",\"" + phone + "\",\"\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
}

inline std::string SentLine(const std::string& phone, const std::string& time, const std::string& text) {
    return "\"sms\",\"submit\",\"\",\"" + phone + "\",\"\",\"" + time + "\",\"\",\"" + text + "\"\r\n";
}

inline std::string WriteExport(const QString& folder, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(folder.toStdString());
    const std::string path = folder.toStdString() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}

// Two received messages from Anna, one sent to Tom.
inline std::string ExportOfThree() {
    return ReceivedLine("+15555550100", "2008.01.01 10:00", "Hello there") +
           ReceivedLine("+15555550100", "2008.01.02 11:00", "Are you coming?") +
           SentLine("+15555550101", "2008.01.03 12:00", "On my way");
}

// One message each way with Mia.
inline std::string ExportOfTwo() {
    return ReceivedLine("+15555550102", "2008.02.01 09:00", "Morning") +
           SentLine("+15555550102", "2008.02.01 09:05", "Morning to you");
}
