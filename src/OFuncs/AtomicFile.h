// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replaces a file only by a complete new one: the bytes go to a temporary file in the
// target's folder, which is renamed over the target when everything was written, and the
// folder is flushed after the rename. On any failure the old file stays untouched and the
// temporary file is removed; an interrupt, a termination request or a file-size limit
// during the save removes it too.
//
// Every step works on the folder's descriptor (openat, renameat, unlinkat): a folder that
// is moved during the save keeps its file whole and is left without a temporary file.
// Saves of one file are serialised by an advisory lock (flock) on a short-lived lock file
// beside it, held from before the temporary file is made until after the rename; a second
// writer waits a few seconds and then fails with BeingSavedCode. Temporary files that
// killed saves left behind are cleared only under that lock.
//
// The target is the file a symbolic link leads to (the link stays a link), followed only
// as the kernel's protected_symlinks rule allows: a link in a sticky, world-writable folder
// that belongs neither to the folder's owner nor to this user is refused ("Permission
// denied"). An existing target keeps its permission bits, and its owner and group where the
// process may set them. A target that is not a regular file ("Not a regular file") and one
// whose owner may not write it ("Permission denied") are never replaced.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();  // discards an uncommitted temporary file

    // Takes the file's save lock and creates the temporary file beside the target (clearing
    // temporary files that earlier saves of the same target left behind); 0, or the failure
    // code (an errno value, NotRegularFileCode or BeingSavedCode).
    int Open(const std::string& path);
    // Throws IoError ("Disk full", "File too large", the system's reason), naming the file,
    // when the bytes cannot be written.
    void Write(const void* data, std::size_t n);
    void Write(std::string_view s) { Write(s.data(), s.size()); }
    // Appends n bytes of the open file `from` (named `fromPath`) from `offset` on, copied by
    // the kernel where it can (copy_file_range), else through a buffer; returns the bytes
    // copied, fewer only where that file ends. Throws IoError naming `fromPath` when it
    // cannot be read, and as Write does when the bytes cannot be written.
    std::uint64_t CopyFrom(int from, const std::string& fromPath, std::uint64_t offset, std::uint64_t n);
    // Flushes, closes and renames over the target, then flushes the folder and lets go of
    // the lock; throws IoError on failure.
    void Commit();

    // The file that is replaced: the path given to Open with symbolic links followed.
    const std::string& Target() const { return target_; }
    // The temporary file's name within the target's folder, for one target: short, so that
    // a target name of any valid length leaves room for it.
    static std::string TemporaryPrefix(std::string_view targetName);
    // The lock file's name within the target's folder.
    static std::string LockName(std::string_view targetName);
    // How long Open waits for another save of the same file (a few seconds unless set).
    static void SetLockWait(std::chrono::milliseconds wait);

private:
    int Lock();
    void Unlock();
    void Flush();
    void WriteOut(const char* p, std::size_t n);  // every byte, or Discard and throw
    void Written(std::uint64_t n);                // counts bytes written, sending them to disk now and then
    void Discard();

    std::string given_;   // the path as the caller named it, for error messages
    std::string target_;
    std::string name_;  // the target's name in its folder
    std::string temp_;  // the temporary file's name in the folder
    int dir_ = -1;      // the target's folder
    int lock_ = -1;
    int fd_ = -1;
    int slot_ = -1;  // this writer's place among the files removed on a signal
    std::string buffer_;
    bool kernelCopy_ = true;  // copy_file_range works between the files so far
    std::uint64_t written_ = 0, sentToDisk_ = 0;
};

// What identifies a file's contents on disk, to see whether another program replaced or
// changed it: device, inode, size and modification time (links followed).
struct FileStamp {
    bool Exists = false;
    std::uint64_t Device = 0, Inode = 0, Size = 0;
    std::int64_t ModifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);
