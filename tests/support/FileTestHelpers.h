// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the file tests: paths in a temporary folder, whole-file writes, and a cap on
// the size of files this process writes (to make writes fail as on a full disk).
#include <sys/mount.h>
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

// A small tmpfs mounted on a new folder, for a disk that fills up or is read-only; Mounted()
// is false where the process may not mount (not root), and the test skips what needs it.
class SmallDisk {
public:
    SmallDisk(const std::filesystem::path& folder, std::size_t kib) : folder_(folder.string()) {
        std::filesystem::create_directories(folder);
        options_ = "size=" + std::to_string(kib) + "k,mode=0755";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options_.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return mounted_; }
    bool MakeReadOnly() {
        return mounted_ && ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
    }

private:
    std::string folder_, options_;
    bool mounted_ = false;
};
