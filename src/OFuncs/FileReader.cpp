// SPDX-License-Identifier: GPL-3.0-or-later
#include "OFuncs/FileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;
constexpr std::size_t kSmallestBuffer = 1 << 12;
}

FileReader::~FileReader() {
    if (fd_ >= 0) ::close(fd_);
}

int FileReader::Open(const std::string& path, bool pipes) {
    if (fd_ >= 0) ::close(fd_);
    pos_ = end_ = 0;
    path_ = path;
    // Non-blocking so that opening a pipe cannot wait; only regular files are read, since a
    // device such as /dev/zero would never end.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) return errno;
    struct stat st{};
    const int refused = ::fstat(fd_, &st) != 0 ? errno
                        : S_ISDIR(st.st_mode)   ? EISDIR
                        : !S_ISREG(st.st_mode) && !(pipes && S_ISFIFO(st.st_mode)) ? NotRegularFileCode
                                                : 0;
    // A pipe is read waiting for its writer, as a file is.
    if (!refused && !S_ISREG(st.st_mode) && ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd_);
        fd_ = -1;
        return errno;
    }
    if (refused) {
        ::close(fd_);
        fd_ = -1;
        return refused;
    }
    // A small file needs no more room than it holds (one read more finds its end, or any
    // bytes it gained since); the room is left as it comes, every byte used is read first.
    regular_ = S_ISREG(st.st_mode);
    const auto fileSize = static_cast<std::uint64_t>(std::max<off_t>(st.st_size, 0));
    size_ = regular_ ? fileSize : 0;
    const auto wanted = regular_ ? static_cast<std::size_t>(std::clamp<std::uint64_t>(fileSize + 1, kSmallestBuffer, kBufferSize))
                                 : kBufferSize;
    if (bufferSize_ != wanted) {
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(wanted);
        bufferSize_ = wanted;
    }
    return 0;
}

bool FileReader::Fill() {
    pos_ = end_ = 0;
    if (fd_ < 0) return false;
    for (;;) {
        const ssize_t r = ::read(fd_, buffer_.get(), bufferSize_);
        if (r > 0) {
            end_ = static_cast<std::size_t>(r);
            return true;
        }
        if (r == 0) return false;
        if (errno != EINTR) throw IoError::Other(errno).In(path_);
    }
}

std::string_view FileReader::Head() {
    while (fd_ >= 0 && pos_ == 0 && end_ < bufferSize_) {
        const ssize_t r = ::read(fd_, buffer_.get() + end_, bufferSize_ - end_);
        if (r == 0) break;
        if (r < 0) {
            if (errno == EINTR) continue;
            throw IoError::Other(errno).In(path_);
        }
        end_ += static_cast<std::size_t>(r);
    }
    return {reinterpret_cast<const char*>(buffer_.get()) + pos_, end_ - pos_};
}

bool FileReader::Read(void* dst, std::size_t n) { return ReadSome(dst, n) == n; }

std::size_t FileReader::ReadSome(void* dst, std::size_t n) {
    auto* out = static_cast<unsigned char*>(dst);
    std::size_t done = 0;
    while (done < n) {
        // A request as large as the buffer, with nothing buffered, is read straight in.
        if (pos_ == end_ && n - done >= bufferSize_ && fd_ >= 0) {
            const ssize_t r = ::read(fd_, out + done, n - done);
            if (r > 0) {
                done += static_cast<std::size_t>(r);
                continue;
            }
            if (r == 0) break;
            if (errno != EINTR) throw IoError::Other(errno).In(path_);
            continue;
        }
        if (pos_ == end_ && !Fill()) break;
        const std::size_t take = std::min(n - done, end_ - pos_);
        std::memcpy(out + done, buffer_.get() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

bool FileReader::Skip(std::size_t n) {
    while (n > 0) {
        if (pos_ == end_ && !Fill()) return false;
        const std::size_t take = std::min(n, end_ - pos_);
        pos_ += take;
        n -= take;
    }
    return true;
}

bool FileReader::AtEnd() { return pos_ == end_ && !Fill(); }
