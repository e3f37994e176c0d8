// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An input/output failure after a file was opened. It ends the running command; the
// window's general error handler shows it, naming the file when the failure knows it.
// What the store already holds stays.
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

// Failure codes of our own, beside the system's errno values (which are all small).
inline constexpr int NotRegularFileCode = 0x10001;  // a folder entry that is no plain file
inline constexpr int OutOfMemoryCode = 0x10002;     // an allocation failed while reading
inline constexpr int NotValidFileCode = 0x10003;    // a file of no kind an import reads (an XML that is no backup)
inline constexpr int BeingSavedCode = 0x10004;      // another process holds the file's save lock
inline constexpr std::string_view BeingSavedReason = "is being saved by another Kestro";
inline constexpr int EncryptedBackupCode = 0x10005; // an iPhone backup made with a password

// The reason in words: "Disk full", "Not a regular file", "Out of memory", or the
// system's own text for its error codes.
inline std::string FileErrorReason(int code) {
    switch (code) {
        case ENOSPC: return "Disk full";
        case NotRegularFileCode: return "Not a regular file";
        case OutOfMemoryCode: return "Out of memory";
        case NotValidFileCode: return "Not a valid file";
        case BeingSavedCode: return std::string(BeingSavedReason);
        case EncryptedBackupCode: return "An encrypted iPhone backup";
        default: return std::strerror(code);
    }
}

// "Cannot <verb> "<path>": <reason>", the form of every file error the user sees; a file
// another save holds is ""<path>" is being saved by another Kestro".
inline std::string FileErrorText(std::string_view verb, std::string_view path, std::string_view reason) {
    if (reason == BeingSavedReason) return "\"" + std::string(path) + "\" " + std::string(reason);
    std::string text = "Cannot ";
    text += verb;
    text += " \"";
    text += path;
    text += "\": ";
    text += reason;
    return text;
}

class IoError : public std::runtime_error {
public:
    explicit IoError(const std::string& reason, std::string path = {}, std::string verb = "read")
        : std::runtime_error(reason), path_(std::move(path)), verb_(std::move(verb)) {}

    static IoError DiskFull() { return IoError(FileErrorReason(ENOSPC)); }
    static IoError ReadBeyondEnd() { return IoError("Read beyond end of file"); }
    static IoError Other(int code) { return IoError(FileErrorReason(code)); }
    static IoError FileTooLarge() { return IoError(FileErrorReason(EFBIG)); }

    // The file the failure happened in; empty when the thrower did not know it.
    const std::string& Path() const { return path_; }
    // The same failure, naming the file and what was done with it ("read", "write",
    // "import"); a file it already names stays.
    IoError In(const std::string& path, std::string verb = "read") const {
        return path_.empty() ? IoError(what(), path, std::move(verb)) : *this;
    }
    // "Cannot <verb> "<path>": <reason>"; the reason alone when no file is named.
    std::string Text() const { return path_.empty() ? std::string(what()) : FileErrorText(verb_, path_, what()); }
    // The same, for a caller that knows the file and what it did when the thrower did not.
    std::string Text(std::string_view verb, const std::string& path) const {
        return path_.empty() ? FileErrorText(verb, path, what()) : Text();
    }

private:
    std::string path_;
    std::string verb_;
};
