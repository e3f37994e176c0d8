#pragma once
// Replaces a file only by a complete new one: the bytes go to a temporary file in the
// same folder, which is renamed over the target when everything was written. On any
// failure the old file stays untouched and the temporary file is removed.
#include <cstddef>
#include <string>
#include <string_view>

class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();  // discards an uncommitted temporary file

    // Creates the temporary file beside `path`; 0, or the errno of the failure.
    int Open(const std::string& path);
    // Throws IoError ("Disk full", "I/O error %d") when the bytes cannot be written.
    void Write(const void* data, std::size_t n);
    void Write(std::string_view s) { Write(s.data(), s.size()); }
    // Flushes, closes and renames over the target; throws IoError on failure.
    void Commit();

private:
    void Flush();
    void Discard();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    std::string buffer_;
};
