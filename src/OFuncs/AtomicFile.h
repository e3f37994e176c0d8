// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replaces a file only by a complete new one: the bytes go to a temporary file in the
// target's folder, which is renamed over the target when everything was written, and the
// folder is flushed after the rename. On any failure the old file stays untouched and the
// temporary file is removed; an interrupt, a termination request or a file-size limit
// during the save removes it too.
//
// The target is the file a symbolic link leads to (the link stays a link); an existing
// target keeps its permission bits, and its owner and group where the process may set
// them. A target that is not a regular file ("Not a regular file") and one whose owner
// may not write it ("Permission denied") are never replaced.
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();  // discards an uncommitted temporary file

    // Creates the temporary file beside the target (clearing temporary files that earlier
    // saves of the same target left behind); 0, or the failure code (an errno value, or
    // NotRegularFileCode).
    int Open(const std::string& path);
    // Throws IoError ("Disk full", "File too large", the system's reason), naming the file,
    // when the bytes cannot be written.
    void Write(const void* data, std::size_t n);
    void Write(std::string_view s) { Write(s.data(), s.size()); }
    // Flushes, closes and renames over the target, then flushes the folder; throws
    // IoError on failure.
    void Commit();

    // The file that is replaced: the path given to Open with symbolic links followed.
    const std::string& Target() const { return target_; }
    // The temporary file's name within the target's folder, for one target: short, so that
    // a target name of any valid length leaves room for it.
    static std::string TemporaryPrefix(std::string_view targetName);

private:
    void Flush();
    void WriteOut(const char* p, std::size_t n);  // every byte, or Discard and throw
    void Discard();

    std::string given_;   // the path as the caller named it, for error messages
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    int slot_ = -1;  // this writer's place among the files removed on a signal
    std::string buffer_;
};
