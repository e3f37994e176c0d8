// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes the media of a backup's MMS into a media folder while the backup is read: the
// base64 of each part's data is decoded, hashed and written to a temporary file in the
// folder as it streams by (never held whole in memory; the hashing and writing on a thread
// of their own, a few blocks behind the decoding), until the reader knows the part's
// content type. A medium the reader keeps becomes the file named by its SHA-256 and an
// extension from its content type (renamed: each byte is written once; a repeat of a file
// the folder holds is let go); one it does not keep (the text of a text part, a layout) is
// removed. The folder is made with the first medium.
//
// Damaged data (bad base64, nothing in it) gives an item marked Damaged and no file. A disk
// that fails throws IoError naming the file.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Formats/MediaFolder.h"
#include "Formats/XmlRepair.h"

class MediaWriter final : public XmlValueSink {
public:
    explicit MediaWriter(std::string folder);
    ~MediaWriter() override;  // removes temporary files of media never kept
    MediaWriter(const MediaWriter&) = delete;
    MediaWriter& operator=(const MediaWriter&) = delete;

    const std::string& Folder() const { return folder_; }

    // The data of one medium, as base64 in pieces: Begin gives the token that stands for
    // it until it is kept or let go.
    std::string Begin() override;
    void Feed(std::string_view base64) override;
    void End() override;
    // A tag begins: the media that ended before it and were not kept are let go at the
    // next Settle, so that a part the reader does not look at holds nothing.
    void TagStarts() override;
    void Settle();

    // Keeps the medium `token` as a part of `contentType` named `name` (empty when it has
    // none): its item, or nullopt for no token this writer gave that is still open.
    std::optional<MediaItem> Keep(std::string_view token, std::string_view contentType, std::string_view name);
    void Drop(std::string_view token);

    // The files this writer made, by name in the folder.
    const std::vector<std::string>& Made() const { return made_; }
    // Removes the files it made that the index does not name (media of messages left out),
    // or all of them (an import cancelled), and the folder when it made it and it is empty.
    void RemoveUnused(const MediaIndex& index);
    void RemoveAll();

private:
    struct Medium;
    struct Worker;
    Medium* Find(std::string_view token);
    void MakeFolder();
    void Spill(Medium& m);
    void WriteOut(int fd, const std::string& path, const void* data, std::size_t n);

    std::string folder_;
    std::atomic<bool> folderMade_ = false;  // by the worker
    std::uint64_t next_ = 1;
    std::uint64_t tagStart_ = 1;  // the first token given in the current tag
    std::vector<std::unique_ptr<Medium>> open_;  // begun, not yet kept or let go; few
    Medium* feeding_ = nullptr;
    std::vector<std::string> made_;
    std::unique_ptr<Worker> worker_;  // hashes and writes; started with the first medium
};
