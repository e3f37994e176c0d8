// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the file tests: paths in a temporary folder, whole-file writes, and a cap on
// the size of files this process writes (to make writes fail as on a full disk).
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "support/TempDir.h"

inline std::string PathIn(const TempDir& dir, const std::string& name) { return (dir.Path() / name).string(); }

// How many entries the folder holds (to see that no temporary file was left behind).
inline std::size_t FileCount(const TempDir& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
}

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// While alive, no file of this process can grow beyond `bytes`: writes past it fail with
// EFBIG instead of raising SIGXFSZ.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit cap = old_;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};
