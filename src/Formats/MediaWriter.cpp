// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/MediaWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "Formats/Base64.h"
#include "Formats/Sha256.h"
#include "OFuncs/IoError.h"

namespace {
constexpr std::string_view IncomingPrefix = ".incoming-";

std::string PathIn(const std::string& folder, std::string_view name) { return folder + "/" + std::string(name); }
bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}
}  // namespace

struct MediaWriter::Medium {
    std::uint64_t Token = 0;
    Base64Decoder Decoder;
    std::uint64_t Size = 0;
    bool Ended = false;
    // The worker's, until Hashed: then the reader's.
    Sha256 Hash;
    std::string SpillPath;  // the temporary file its bytes go to
    int SpillFd = -1;
    Sha256Digest Digest{};
    bool Hashed = false;  // under the worker's lock

    ~Medium() {
        if (SpillFd >= 0) ::close(SpillFd);
        if (!SpillPath.empty()) ::unlink(SpillPath.c_str());
    }
};

// Hashing and writing run on a thread of their own, a block behind the decoding, so that
// two cores share the work; the reader waits only for a medium's last block.
struct MediaWriter::Worker {
    struct Job {
        Medium* For = nullptr;
        std::vector<unsigned char> Bytes;
        bool Last = false;
    };
    static constexpr std::size_t Blocks = 4;  // decoded blocks in flight at most

    explicit Worker(MediaWriter& writer) : Writer(writer), Thread([this] { Run(); }) {}
    ~Worker() {
        {
            const std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Changed.notify_all();
        Thread.join();
    }

    // A free block to decode into.
    std::vector<unsigned char> Block() {
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [&] { return !Spare.empty() || Made < Blocks; });
        if (Spare.empty()) {
            ++Made;
            return {};
        }
        std::vector<unsigned char> b = std::move(Spare.back());
        Spare.pop_back();
        return b;
    }
    void Push(Job job) {
        {
            const std::lock_guard lock(Mutex);
            Jobs.push_back(std::move(job));
        }
        Changed.notify_all();
    }
    // Waits until the medium's bytes are all hashed and written; rethrows the worker's failure.
    void WaitFor(const Medium& m) {
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [&] { return m.Hashed; });
        if (Failure) std::rethrow_exception(Failure);
    }

    void Run() {
        std::unique_lock lock(Mutex);
        for (;;) {
            Changed.wait(lock, [&] { return Stopping || !Jobs.empty(); });
            if (Jobs.empty()) return;
            Job job = std::move(Jobs.front());
            Jobs.pop_front();
            const bool failed = Failure != nullptr;
            lock.unlock();
            Medium& m = *job.For;
            std::exception_ptr failure;
            if (!failed) {
                try {
                    m.Hash.Update(job.Bytes.data(), job.Bytes.size());
                    if (!job.Bytes.empty()) {
                        if (m.SpillFd < 0) Writer.Spill(m);
                        Writer.WriteOut(m.SpillFd, m.SpillPath, job.Bytes.data(), job.Bytes.size());
                    }
                    if (job.Last) m.Digest = m.Hash.Final();
                } catch (...) {
                    failure = std::current_exception();
                }
            }
            lock.lock();
            if (failure && !Failure) Failure = failure;
            if (job.Last) m.Hashed = true;
            job.Bytes.clear();
            Spare.push_back(std::move(job.Bytes));
            Changed.notify_all();
        }
    }

    MediaWriter& Writer;
    std::mutex Mutex;
    std::condition_variable Changed;
    std::deque<Job> Jobs;
    std::vector<std::vector<unsigned char>> Spare;
    std::size_t Made = 0;
    std::exception_ptr Failure;
    bool Stopping = false;
    std::thread Thread;
};

MediaWriter::MediaWriter(std::string folder) : folder_(std::move(folder)) {}
MediaWriter::~MediaWriter() {
    worker_.reset();  // before the media its jobs write
}

std::string MediaWriter::Begin() {
    if (!worker_) worker_ = std::make_unique<Worker>(*this);
    auto m = std::make_unique<Medium>();
    m->Token = next_++;
    feeding_ = m.get();
    open_.push_back(std::move(m));
    return std::to_string(feeding_->Token);
}

void MediaWriter::Feed(std::string_view base64) {
    Medium* m = feeding_;
    if (!m || m->Decoder.Damaged()) return;
    // In slices, so that a decoded block stays small whatever the caller hands in.
    constexpr std::size_t Slice = std::size_t(1) << 18;
    while (!base64.empty() && !m->Decoder.Damaged()) {
        const std::string_view piece = base64.substr(0, Slice);
        base64.remove_prefix(piece.size());
        std::vector<unsigned char> block = worker_->Block();
        block.resize(Base64Decoder::DecodedRoom(piece.size()));
        const std::size_t n = m->Decoder.Decode(piece, block.data());
        block.resize(n);
        m->Size += n;
        worker_->Push({m, std::move(block), false});
    }
}

void MediaWriter::End() {
    Medium* m = std::exchange(feeding_, nullptr);
    if (!m) return;
    std::vector<unsigned char> block = worker_->Block();
    block.resize(3);
    block.resize(m->Decoder.Finish(block.data()));
    m->Size += block.size();
    m->Ended = true;
    worker_->Push({m, std::move(block), true});
}

void MediaWriter::TagStarts() { tagStart_ = next_; }

void MediaWriter::Settle() {
    std::erase_if(open_, [&](const std::unique_ptr<Medium>& m) {
        if (!m->Ended || m->Token >= tagStart_) return false;
        worker_->WaitFor(*m);
        return true;
    });
}

MediaWriter::Medium* MediaWriter::Find(std::string_view token) {
    std::uint64_t t = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), t);
    if (ec != std::errc() || end != token.data() + token.size()) return nullptr;
    for (const auto& m : open_)
        if (m->Token == t && m->Ended) return m.get();
    return nullptr;
}

std::optional<MediaItem> MediaWriter::Keep(std::string_view token, std::string_view contentType, std::string_view name) {
    Medium* m = Find(token);
    if (!m) return std::nullopt;
    worker_->WaitFor(*m);
    MediaItem item;
    item.ContentType = MediaContentType(contentType);
    item.Name = MediaPartName(name);
    if (m->Decoder.Damaged() || m->Size == 0) {
        item.Damaged = true;
    } else {
        item.File = HexOf(m->Digest) + "." + MediaExtensionOf(item.ContentType);
        item.Size = m->Size;
        const std::string path = PathIn(folder_, item.File);
        if (!Exists(path)) {
            if (::close(std::exchange(m->SpillFd, -1)) != 0) throw IoError(FileErrorReason(errno), m->SpillPath, "write");
            if (::rename(m->SpillPath.c_str(), path.c_str()) != 0) throw IoError(FileErrorReason(errno), path, "write");
            m->SpillPath.clear();
            made_.push_back(item.File);
        }
    }
    Drop(token);
    return item;
}

void MediaWriter::Drop(std::string_view token) {
    const Medium* m = Find(token);
    if (!m) return;
    worker_->WaitFor(*m);
    std::erase_if(open_, [&](const std::unique_ptr<Medium>& o) { return o.get() == m; });
}

void MediaWriter::MakeFolder() {
    if (folderMade_ || Exists(folder_)) return;
    // The untitled collection's folder may not be there yet either.
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) throw IoError(ec.message(), folder_, "write");
    folderMade_ = true;
}

void MediaWriter::Spill(Medium& m) {
    MakeFolder();
    std::string path = PathIn(folder_, std::string(IncomingPrefix) + "XXXXXX");
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) throw IoError(FileErrorReason(errno), folder_, "write");
    m.SpillFd = fd;
    m.SpillPath = std::move(path);
}

void MediaWriter::WriteOut(int fd, const std::string& path, const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) throw IoError(FileErrorReason(w < 0 ? errno : ENOSPC), path, "write");
        p += w;
        n -= static_cast<std::size_t>(w);
    }
}

void MediaWriter::RemoveUnused(const MediaIndex& index) {
    std::erase_if(made_, [&](const std::string& file) {
        if (index.Names(file)) return false;
        ::unlink(PathIn(folder_, file).c_str());
        return true;
    });
    if (folderMade_) ::rmdir(folder_.c_str());  // only when empty
}

void MediaWriter::RemoveAll() { RemoveUnused(MediaIndex()); }
