// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a file front to back through one buffer, for the binary readers (data file,
// history). Never seeks: a short file simply runs out.
#include <cstddef>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class FileReader {
public:
    FileReader() = default;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // Opens a regular file for reading only; 0, or the failure code (an errno value; a
    // folder gives EISDIR, a device or pipe NotRegularFileCode). With `pipes`, a named pipe
    // is read too (a pipe nobody writes to reads as empty).
    int Open(const std::string& path, bool pipes = false);
    // The first bytes of the file, up to 64 KiB (fewer only when it is shorter), read into
    // the buffer without being consumed: the reads that follow start with them. Only
    // before anything is consumed. Throws IoError as ReadSome does.
    std::string_view Head();
    // Whether it is a regular file, and its size when it was opened.
    bool IsRegular() const { return regular_; }
    std::uint64_t Size() const { return size_; }
    // Fills dst with the next n bytes; false when the file ends first (the bytes that were
    // left are consumed). Throws IoError (the system's reason, naming the file) when
    // reading fails.
    bool Read(void* dst, std::size_t n);
    // Fills dst with up to n bytes; fewer only when the file ends. Returns how many.
    std::size_t ReadSome(void* dst, std::size_t n);
    // The next n bytes, passed over, where they lie whole in the buffer (valid until the
    // next call); nullptr, and nothing passed over, when they do not: read them then.
    const unsigned char* Take(std::size_t n) {
        if (end_ - pos_ < n) return nullptr;
        const unsigned char* p = buffer_.get() + pos_;
        pos_ += n;
        return p;
    }
    // Passes over the next n bytes; false when the file ends first.
    bool Skip(std::size_t n);
    // True when no byte is left.
    bool AtEnd();

private:
    bool Fill();  // refills the buffer; false at the end of the file

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::size_t pos_ = 0, end_ = 0;
    bool regular_ = false;
    std::uint64_t size_ = 0;
};
