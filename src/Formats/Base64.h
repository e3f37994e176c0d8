// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A streaming decoder of base64 (the standard alphabet, as phone backups write a picture's
// bytes), fed in pieces of any size. White space (space, tab, CR, LF) is passed over
// wherever it stands; '=' padding ends the data; a final group of two or three characters
// without padding is taken (some writers leave the padding out). Any other byte, data after
// the padding, or a lone final character make the data damaged: decoding stops there.
//
// Written by hand: of the Debian libraries, OpenSSL's streaming decoder runs at a sixth of
// this one's speed (it copies every line through a small buffer), and its block decoder
// neither streams nor takes line breaks. The plain runs, which are nearly all of a
// picture, are decoded eight characters at a time through four tables.
#include <cstddef>
#include <cstdint>
#include <string_view>

class Base64Decoder {
public:
    // Decodes `in`, writing at most DecodedRoom(in.size()) bytes to `out`; returns how many.
    std::size_t Decode(std::string_view in, unsigned char* out);
    // After the last piece: writes the bytes of an unpadded final group (at most 2) to `out`
    // and returns how many; sets Damaged() when the data ended in the middle of a byte.
    std::size_t Finish(unsigned char* out);
    bool Damaged() const { return damaged_; }
    // The most bytes Decode can write for `n` characters (those of a group begun before
    // included).
    static constexpr std::size_t DecodedRoom(std::size_t n) { return (n + 3) / 4 * 3 + 3; }

private:
    std::size_t Slow(const unsigned char*& p, const unsigned char* end, unsigned char* out);  // moves p on
    std::uint32_t group_ = 0;  // the bits of the open group
    int count_ = 0;            // characters in the open group
    int padding_ = 0;          // '=' seen; data has ended
    bool damaged_ = false;
};
