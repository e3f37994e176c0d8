#include "OFuncs/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "OFuncs/IoError.h"

namespace {
constexpr std::size_t kBufferSize = 1 << 16;

IoError WriteFailure(int err) { return err == ENOSPC ? IoError::DiskFull() : IoError::Other(err); }

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
}  // namespace

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

int AtomicFileWriter::Open(const std::string& path) {
    Discard();
    target_ = path;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return errno;
    temp_ = name.data();
    ::fchmod(fd_, NewFileMode());
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    return 0;
}

void AtomicFileWriter::Write(const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + n > kBufferSize) Flush();
    if (n >= kBufferSize) {
        buffer_.assign(p, n);
        Flush();
    } else {
        buffer_.append(p, n);
    }
}

void AtomicFileWriter::Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t w = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            Discard();
            throw WriteFailure(err);
        }
        if (w == 0) {
            Discard();
            throw IoError::DiskFull();
        }
        done += static_cast<std::size_t>(w);
    }
    buffer_.clear();
}

void AtomicFileWriter::Commit() {
    Flush();
    if (::fsync(fd_) != 0 && errno != EINVAL) {
        const int err = errno;
        Discard();
        throw WriteFailure(err);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        Discard();
        throw WriteFailure(err);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw IoError::Other(err);
    }
    temp_.clear();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    buffer_.clear();
}
