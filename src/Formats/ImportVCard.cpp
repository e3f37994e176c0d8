// SPDX-License-Identifier: GPL-3.0-or-later
#include "Formats/ImportVCard.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "MBVars/ImportSource.h"
#include "Formats/VCard.h"
#include "OFuncs/FileReader.h"

namespace {
constexpr std::size_t SniffBytes = 64;  // room for a byte-order mark and blank lines before BEGIN:VCARD
constexpr std::size_t ChunkBytes = 1 << 16;
}  // namespace

int ImportVCardFile(MsgStore& S, const std::string& path) {
    FileReader file;
    if (file.Open(path) != 0) return NotVCardFile;
    return ImportVCardFrom(S, file, path);
}

int ImportVCardFrom(MsgStore& S, FileReader& file, const std::string& path) {
    std::string bytes(SniffBytes, '\0');
    bytes.resize(file.ReadSome(bytes.data(), bytes.size()));
    if (!LooksLikeVCard(bytes)) return NotVCardFile;
    for (std::size_t got = ChunkBytes; got == ChunkBytes;) {
        if (bytes.size() > MaxImportFileSize) return EFBIG;
        const std::size_t had = bytes.size();
        bytes.resize(had + ChunkBytes);
        got = file.ReadSome(bytes.data() + had, ChunkBytes);
        bytes.resize(had + got);
    }
    VCardBook read = ParseVCards(bytes);

    AddressBook& book = S.Book;
    const auto same = std::find_if(book.Files.begin(), book.Files.end(), [&](const AddressBookFile& f) { return f.Path == path; });
    const auto fileIndex = static_cast<std::int32_t>(same - book.Files.begin());
    if (same == book.Files.end()) book.Files.push_back({});
    std::erase_if(book.Cards, [&](const AddressCard& c) { return c.File == fileIndex; });
    book.Files[static_cast<std::size_t>(fileIndex)] = AddressBookFile{path, read.CardsRead, 0, false};
    for (VCardContact& c : read.Contacts) book.Cards.push_back({std::move(c.Name), std::move(c.Phones), fileIndex});
    return 0;
}

std::string TakeAddressBookReport(AddressBook& book) {
    std::string report;
    for (AddressBookFile& f : book.Files) {
        if (f.Reported) continue;
        f.Reported = true;
        report += std::filesystem::path(f.Path).filename().string() + ": " + std::to_string(f.CardsRead) +
                  " cards read, " + std::to_string(f.Named) + " contacts named messages\r\n";
    }
    return report;
}
