// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the conversation pane and the exports find a message's media: the collection's index
// and the mask its texts are held with at the moment (the window may show them scrambled).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Formats/MediaFolder.h"

struct MessageMedia {
    const MediaIndex* Index = nullptr;
    std::function<std::uint8_t()> Mask;  // none: the texts are plain

    const std::vector<MediaItem>* Find(const XMsgRecType& m) const {
        return Index ? Index->Find(m, Mask ? Mask() : 0) : nullptr;
    }
    std::string PathOf(const MediaItem& item) const { return Index ? Index->PathOf(item) : std::string(); }
};

// What kind of medium an item is, from its content type.
enum class MediumKind { Picture, Video, Audio, Contact, Other };
MediumKind KindOfMedium(std::string_view contentType);
// The short name of a medium's type as its tile shows it: the content type's subtype in
// capitals without an "x-" ("image/jpeg" -> "JPEG", "video/3gpp" -> "3GPP").
std::string MediumTypeName(std::string_view contentType);
// A size in bytes as people read it: "830 bytes", "42 KB", "1.2 MB".
std::string ReadableSize(std::uint64_t bytes);
// What is shown in place of a medium that could not be read (or whose file is lost).
inline constexpr std::string_view UnreadableMedium = "picture could not be read";
// What a tile or a page says of an item: "picture could not be read" when damaged, else its
// kind, type and size ("Video, 3GPP, 1.2 MB").
std::string MediumCaption(const MediaItem& item);
