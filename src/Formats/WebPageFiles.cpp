// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/WebPageFiles.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "Formats/MessageMedia.h"
#include "OFuncs/IoError.h"

namespace fs = std::filesystem;

namespace {
[[noreturn]] void Fail(const std::error_code& ec, const fs::path& path) {
    throw IoError(FileErrorReason(ec.value()), path.string(), "write");
}

// Puts the file at `target` whole: linked or copied under a temporary name, then renamed.
void Place(const fs::path& source, const fs::path& target) {
    const fs::path part = target.parent_path() / ("." + target.filename().string() + ".part");
    std::error_code ec;
    fs::remove(part, ec);
    fs::create_hard_link(source, part, ec);
    if (ec) {
        ec.clear();
        fs::copy_file(source, part, ec);
        if (ec) {
            std::error_code ignored;
            fs::remove(part, ignored);
            Fail(ec, target);
        }
    }
    fs::rename(part, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(part, ignored);
        Fail(ec, target);
    }
}
}  // namespace

std::string PageFilesFolder(const std::string& pagePath) {
    const fs::path page(pagePath);
    return (page.parent_path() / (page.stem().string() + "_files")).string();
}

void WriteWebPage(const std::string& path, const MsgStore& S, ExportRows rows, const ExportLook& look,
                  const MessageMedia* media) {
    const fs::path folder(PageFilesFolder(path));
    PageMedia page;
    page.Media = media;
    page.Folder = folder.filename().string();
    std::vector<std::pair<std::string, fs::path>> wanted;  // a file's name and where it is now
    if (media && media->Index) {
        std::unordered_set<std::string> seen;
        for (const std::int32_t n : rows) {
            const std::vector<MediaItem>* items = media->Find(S.Messages[static_cast<std::size_t>(n)]);
            if (!items) continue;
            for (const MediaItem& item : *items) {
                if (item.Damaged || item.File.empty() || !seen.insert(item.File).second) continue;
                const fs::path source(media->PathOf(item));
                std::error_code ec;
                if (fs::is_regular_file(source, ec)) wanted.emplace_back(item.File, source);  // a lost file shows as unreadable
            }
        }
    }
    std::error_code ec;
    if (!wanted.empty()) {
        if (!fs::create_directory(folder, ec) && ec) Fail(ec, folder);
        for (const auto& [name, source] : wanted) {
            const fs::path target = folder / name;
            // Named by its contents: a file of that name already there is the same file.
            const bool there = fs::is_regular_file(target, ec) && fs::file_size(target, ec) == fs::file_size(source, ec) && !ec;
            if (!there) Place(source, target);
            page.Files.insert(name);
        }
    }
    WriteExportFile(path, HtmlExport(S, rows, look, &page));
    // What an earlier export of this page showed and this one does not goes; a tidy-up only.
    if (!fs::is_directory(folder, ec)) return;
    std::vector<fs::path> gone;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (IsMediaFileName(name) && page.Files.count(name) == 0) gone.push_back(entry.path());
    }
    for (const fs::path& file : gone) fs::remove(file, ec);
    if (page.Files.empty()) fs::remove(folder, ec);  // only when empty
}
