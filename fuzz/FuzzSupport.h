// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the fuzz targets: a property check that stops the run loudly, a private
// scratch folder for the file readers, and a way to cut one input into several texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace fuzz {

// A property that does not hold is a finding: say which one and stop, so that the fuzzer
// keeps the input and the replay test fails.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}
#define FUZZ_CHECK(cond)                                          \
    do {                                                          \
        if (!(cond)) ::fuzz::Fail(#cond, __FILE__, __LINE__);     \
    } while (0)

// One scratch folder per process, removed when the process ends normally.
class ScratchDir {
public:
    static ScratchDir& Get() {
        static ScratchDir dir;
        return dir;
    }
    std::string Path(const std::string& name) const { return (path_ / name).string(); }

    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

private:
    // In memory where the system has a tmpfs: a file replaced on a disk waits for its
    // blocks to be written, which would make the readers' targets wait on every input.
    static std::filesystem::path Base() {
        std::error_code ec;
        if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
            return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }
    ScratchDir() {
        std::string pattern = (Base() / "kestro-fuzz-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (!::mkdtemp(name.data())) Fail("a scratch folder can be made", __FILE__, __LINE__);
        path_ = name.data();
    }
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail("the scratch file can be written", __FILE__, __LINE__);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Takes an input apart front to back: texts up to a zero byte, and the rest.
class InputCutter {
public:
    InputCutter(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The text up to the next zero byte (which is consumed), or everything left.
    std::string_view Text() {
        const std::size_t end = rest_.find('\0');
        const std::string_view part = rest_.substr(0, end);
        rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
        return part;
    }
    // The next byte, or 0 when nothing is left.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace fuzz
