// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The media of a collection's MMS (pictures, videos, voice messages, contact cards), kept
// beside its data file: `NAME.kst` keeps them in the folder `NAME.media/`, each file named
// by the SHA-256 of its bytes (hex) and an extension from its content type, so that the same
// picture is stored once. An index file in the folder ties each message to its media by the
// message's identity (what SameMessage compares: number, time text, direction, text), not by
// its place in the store, so that sorting, deleting and moving messages never need it
// rewritten. The data file's format does not change: a data file without its folder simply
// has no media, and the folder is made only when there are media to keep.
//
// The index holds names and sizes only, never the media's bytes.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MBVars/MsgRec.h"

// One medium of a message.
struct MediaItem {
    std::string File;         // name inside the media folder: SHA-256 hex + "." + ext; empty when damaged
    std::string ContentType;  // as the backup gave it, in lower case ("image/jpeg")
    std::string Name;         // the part's own file name if it had one ("IMG_0042.jpg"), else empty
    std::uint64_t Size = 0;   // bytes of the file (0 when damaged)
    bool Damaged = false;     // the backup's data could not be read (bad base64, cut short, empty)
    friend bool operator==(const MediaItem&, const MediaItem&) = default;
};

// The folder that keeps the media of the data file `dataFile`: its name with the extension
// `.kst` (or any last extension) replaced by `.media`; "NAME.media" for a name without one.
std::string MediaFolderOf(const std::string& dataFile);

// A part's content type as an item keeps it: lower case, without parameters (";name=...").
std::string MediaContentType(std::string_view contentType);
// A part's file name as an item keeps it: empty for none ("null"), at most 255 bytes.
std::string MediaPartName(std::string_view name);
// The extension of a medium's file, from its content type ("jpg", "heic", "mp4", "vcf"; the
// subtype's letters and digits for others, "bin" without any).
std::string MediaExtensionOf(std::string_view contentType);
// Whether a name in a media folder is that of a medium's file (64 hex digits, '.', extension).
bool IsMediaFileName(std::string_view name);

// The name of the index file inside a media folder.
constexpr std::string_view MediaIndexName = "index.tsv";

class MediaIndex {
public:
    MediaIndex();
    // A new collection's index for `folder`: its Save replaces whatever index the folder had.
    explicit MediaIndex(std::string folder);
    ~MediaIndex();
    MediaIndex(const MediaIndex&);
    MediaIndex& operator=(const MediaIndex&);
    MediaIndex(MediaIndex&&) noexcept;
    MediaIndex& operator=(MediaIndex&&) noexcept;

    // The media folder (absolute or as given; may not exist yet). Empty: no folder (media
    // cannot be kept, Find finds nothing).
    const std::string& Folder() const { return folder_; }
    // The full path of an item's file: Folder() + "/" + item.File (empty for a damaged item).
    std::string PathOf(const MediaItem& item) const;

    // The media of a message, in the order of its parts; nullptr when it has none. The text
    // is taken as it is held; `textMask` is the byte it is scrambled with on screen (0 when
    // it is plain, TextMask while the window shows it scrambled). Thread-safe against other
    // const calls; the pointer stays valid until the index is changed.
    const std::vector<MediaItem>* Find(const XMsgRecType& m, std::uint8_t textMask = 0) const;
    // The same by the identity's fields; `direction` is MsgSent or MsgReceived.
    const std::vector<MediaItem>* Find(std::string_view phone, std::string_view time, std::uint16_t direction,
                                       std::string_view text) const;

    // Ties the media to the message (replacing what it had); an empty list unties it.
    void Set(const XMsgRecType& m, std::vector<MediaItem> items);
    // Whether an entry names the file (a name in the folder).
    bool Names(std::string_view file) const;
    // How many messages have media.
    std::size_t Messages() const;
    bool Empty() const { return Messages() == 0; }
    // Every message's entry, in no particular order; the index keeps a text only as the
    // SHA-256 of its bytes (hex), so that it never holds the messages' words.
    void ForEach(const std::function<void(std::string_view phone, std::string_view time, std::uint16_t direction,
                                          std::string_view textDigest, const std::vector<MediaItem>& items)>& f) const;

    // Follows a renumbering of the held messages: each entry whose phone `renumber` maps to
    // another gets that one (a function returning its argument, or empty, keeps it).
    void Renumber(const std::function<std::string(std::string_view oldPhone)>& renumber);

    // Reads Folder()/index.tsv: 0 (also when the folder or the index does not exist: no
    // media), or the errno of a failed read. Lines it cannot read are passed over.
    int Load();
    // The same from the index file's bytes; and the bytes Save writes.
    void LoadFrom(std::string_view bytes);
    std::string Text() const;
    // Lets go of the entries of messages the store does not hold (texts scrambled with
    // `textMask`).
    void KeepHeld(const struct MsgStore& S, std::uint8_t textMask = 0);
    // Writes Folder()/index.tsv atomically, keeping only the entries of messages the store
    // holds (slots 1..MessageCount, texts scrambled with `textMask`), then removes from the
    // folder the media files no kept entry names. With no entry left the index file is
    // removed (and the folder too when empty); nothing is made when there never were media.
    // An index that was neither loaded nor given an entry since SetFolder leaves the folder
    // as it is: it does not know what the folder holds. Throws IoError naming the file on
    // failure.
    void Save(const struct MsgStore& S, std::uint8_t textMask = 0);
    // Copies the media files that entries name into `folder` (made when needed) and makes
    // the index refer to it, for Save As; Save then writes the index there. With `link`,
    // a file is a hard link to its original where the file system allows it (the files
    // never change: their name is their content). Throws IoError naming the file on failure.
    void CopyTo(const std::string& folder, bool link = false);
    // Switches to another folder with no entries (New; Open then Loads).
    void SetFolder(std::string folder);

private:
    void RemoveUnusedFiles() const;
    struct Table;
    std::string folder_;
    bool known_ = false;  // loaded, or given entries, since the folder was set
    std::unique_ptr<Table> table_;
};

// Follows the rewriting of held messages' numbers into their international forms
// (RewriteHeldNumbersInternationally), which a new home country or an import does: the
// media of a message stay found under its new number.
void FollowInternationalForms(MediaIndex& media, const std::string& homeCountry);
