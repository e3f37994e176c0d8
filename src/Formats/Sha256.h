// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SHA-256 through OpenSSL's libcrypto, which uses the processor's SHA instructions where
// it has them: the names of the media files, and the identity of a message's text in the
// media index.
#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

using Sha256Digest = std::array<unsigned char, 32>;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void Update(const void* data, std::size_t n);
    void Update(std::string_view s) { Update(s.data(), s.size()); }
    // The digest of everything given since the start (or the last Final); starts afresh.
    Sha256Digest Final();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

Sha256Digest Sha256Of(std::string_view bytes);
// The digest as 64 lower-case hex digits.
std::string HexOf(const Sha256Digest& digest);
